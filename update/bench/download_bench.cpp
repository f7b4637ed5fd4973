// DownloadToFile's throughput against a plain WinINet loop of 64 KB reads, over the same bytes
// from the loopback server, in the same run. Run by hand under Wine with the server up:
//   download_bench.exe <address of a large file> [rounds]
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "update/download.h"
#include "win/internet.h"
#include "win/unique_any.h"

namespace {

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  return double(to.QuadPart - from.QuadPart) / frequency.QuadPart;
}

// The plain loop: open, read 64 KB at a time, write.
bool PlainCopy(const wchar_t* url, const wchar_t* path) {
  win::UniqueInternet session(::InternetOpenW(
      nullptr, INTERNET_OPEN_TYPE_PRECONFIG_WITH_NO_AUTOPROXY, nullptr, nullptr, 0));
  win::UniqueInternet request(
      ::InternetOpenUrlW(session.get(), url, nullptr, 0, INTERNET_FLAG_NO_CACHE_WRITE, 0));
  win::UniqueFile file(::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!request || !file) return false;
  std::vector<char> buffer(64 * 1024);
  DWORD read = 0, written = 0;
  while (
      ::InternetReadFile(request.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read) &&
      read)
    if (!::WriteFile(file.get(), buffer.data(), read, &written, nullptr)) return false;
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::printf("usage: download_bench <address> [rounds]\n");
    return 2;
  }
  const int rounds = argc > 2 ? _wtoi(argv[2]) : 5;
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring target = std::wstring(temp) + L"download_bench.bin";
  std::vector<double> ours, plain;
  for (int i = 0; i < 2 * rounds; ++i) {
    // Taking turns, so that neither always comes first.
    const bool mine = (i % 4 == 0 || i % 4 == 3);
    LARGE_INTEGER a, b;
    ::QueryPerformanceCounter(&a);
    const bool ok =
        mine ? renova::DownloadToFile(argv[1], target.c_str()) : PlainCopy(argv[1], target.c_str());
    ::QueryPerformanceCounter(&b);
    if (!ok) return 1;
    (mine ? ours : plain).push_back(Seconds(a, b));
  }
  std::sort(ours.begin(), ours.end());
  std::sort(plain.begin(), plain.end());
  const double o = ours[ours.size() / 2], p = plain[plain.size() / 2];
  std::printf("DownloadToFile %.1f ms, plain 64 KB loop %.1f ms, ratio %.2f (medians of %d)\n",
              o * 1000, p * 1000, o / p, rounds);
  ::DeleteFileW(target.c_str());
  return 0;
}
