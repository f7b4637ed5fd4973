// What painting the list waits for: the existence checks of 200 entries started and every row's
// answer read, with 50 of them on a share that does not answer for longer than the time-out,
// against all 200 local (a local check here costs 50 us, as a warm disk does). Painting must not
// wait for the share.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "app/path_presence.h"

namespace {

using namespace std::chrono_literals;

std::vector<std::wstring> Paths(int unreachable) {
  std::vector<std::wstring> paths;
  for (int i = 0; i < 200; ++i)
    paths.push_back(i < 200 - unreachable
                        ? L"C:\\data\\file" + std::to_wstring(i) + L".txt"
                        : L"\\\\192.0.2.1\\share\\file" + std::to_wstring(i) + L".docx");
  return paths;
}

stashly::Presence Probe(const std::wstring& path) {
  if (path.starts_with(L"\\\\")) {
    std::this_thread::sleep_for(3s);  // a dead share: longer than the time-out
    return stashly::Presence::kUnknown;
  }
  std::this_thread::sleep_for(50us);
  return stashly::Presence::kFile;
}

// One round as a reload or a show makes it: the checks started anew, then every row read.
void BM_RefreshAndPaintReads(benchmark::State& state) {
  const std::vector<std::wstring> paths = Paths(static_cast<int>(state.range(0)));
  stashly::PathPresence presence(
      Probe, [] {}, 2000ms);
  for (auto _ : state) {
    presence.Refresh(paths);
    for (const std::wstring& path : paths) benchmark::DoNotOptimize(presence.Get(path));
  }
}
BENCHMARK(BM_RefreshAndPaintReads)->Arg(0)->Arg(50)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
