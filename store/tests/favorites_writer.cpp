// A writer of the favourites file for the kill test: saves a large list and appends to it, over
// and over, until it is stopped. Generation g is the 2000 records C:\big\<g>\<j>, then appended
// records C:\add\<g>\<k>, k = 0, 1, 2; the next generation's save replaces all of it.
//   favorites_writer.exe <file> <first generation> [operations]
// Without a count it runs until it is killed.
//   favorites_writer.exe --hold <file> <milliseconds> <event>
// Takes the writers' lock of <file> as another writer would, sets the named event, and keeps the
// lock that long (or until it is killed).
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "store/favorites_file.h"

int Hold(const std::wstring& path, DWORD milliseconds, const wchar_t* event) {
  HANDLE lock = ::CreateFileW((path + L".lock").c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, 0, nullptr);
  OVERLAPPED range{};
  if (lock == INVALID_HANDLE_VALUE || !::LockFileEx(lock, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &range))
    return 1;
  HANDLE held = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, event);
  if (!held || !::SetEvent(held)) return 1;
  ::Sleep(milliseconds);
  return 0;  // the system lets the lock go with the process
}

int wmain(int argc, wchar_t** argv) {
  if (argc == 5 && std::wstring(argv[1]) == L"--hold")
    return Hold(argv[2], std::wcstoul(argv[3], nullptr, 10), argv[4]);
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
