// A writer of the favourites file for the kill test: saves a large list and appends to it, over
// and over, until it is stopped. Generation g is the 2000 records C:\big\<g>\<j>, then appended
// records C:\add\<g>\<k>, k = 0, 1, 2; the next generation's save replaces all of it.
//   favorites_writer.exe <file> <first generation> [operations]
// Without a count it runs until it is killed.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "store/favorites_file.h"

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  const std::wstring path = argv[1];
  long generation = std::wcstol(argv[2], nullptr, 10);
  const long operations = argc > 3 ? std::wcstol(argv[3], nullptr, 10) : -1;
  for (long done = 0; operations < 0 || done < operations; ++generation) {
    std::vector<std::wstring> records;
    for (int j = 0; j < 2000; ++j)
      records.push_back(L"C:\\big\\" + std::to_wstring(generation) + L"\\" + std::to_wstring(j));
    if (!stashly::WriteFavoritesFile(path, records)) return 1;
    if (++done == operations) break;
    for (int k = 0; k < 3 && done != operations; ++k, ++done) {
      if (!stashly::AppendFavorite(
              path, L"C:\\add\\" + std::to_wstring(generation) + L"\\" + std::to_wstring(k)))
        return 1;
    }
  }
  return 0;
}
