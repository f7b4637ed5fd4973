// How long Report keeps its caller, under Wine: the time from the call to its return, with no
// server listening (the request itself runs on the worker). Run by hand inside a Wine session:
//   report_bench.exe [rounds]
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "abi/xunknown.h"
#include "win/module.h"

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 21;
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  HMODULE library = ::LoadLibraryW(win::FileBesideProgram(L"Corelet.dll").c_str());
  auto create = win::GetExport<stashly::CreateInstanceFn>(library, "CreateInstance");
  if (!create) {
    std::printf("no Corelet.dll beside the program\n");
    return 1;
  }
  LARGE_INTEGER frequency, start, end;
  ::QueryPerformanceFrequency(&frequency);
  std::vector<double> times;
  for (int i = 0; i < rounds; ++i) {
    auto* statistic = static_cast<stashly::IStatistic*>(create(&stashly::IID_IStatistic));
    if (!statistic) return 1;
    ::QueryPerformanceCounter(&start);
    statistic->Report(L"http://127.0.0.1:9/stat.php?src=stashly&type=open&");
    ::QueryPerformanceCounter(&end);
    statistic->Release();
    times.push_back(1000.0 * (end.QuadPart - start.QuadPart) / frequency.QuadPart);
  }
  std::vector<double> sorted = times;
  std::sort(sorted.begin(), sorted.end());
  std::printf("Report returns after: first %.2f ms, median %.2f ms, slowest %.2f ms (%d rounds)\n",
              times[0], sorted[sorted.size() / 2], sorted.back(), rounds);
  ::Sleep(argc > 2 ? std::atoi(argv[2]) : 500);  // let the workers finish before the process goes
  return 0;
}
