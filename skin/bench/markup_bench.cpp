// The styled-text parser on typical skin texts.
#include <benchmark/benchmark.h>

#include "skin/markup.h"

namespace {

void BM_ParsePlainCaption(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(stashly::ParseStyledText(L"添加文件夹"));
}
BENCHMARK(BM_ParsePlainCaption);

void BM_ParseTitle(benchmark::State& state) {
  const std::wstring title = stashly::FormatTitleMarkup(L"rgb(255,255,255)", L"Velto文件收藏夹");
  for (auto _ : state) benchmark::DoNotOptimize(stashly::ParseStyledText(title));
}
BENCHMARK(BM_ParseTitle);

void BM_ParseMixedLine(benchmark::State& state) {
  const std::wstring text =
      L"Hello {style=color=255,0,0;bold=1;size=-14}world{/style}! "
      L"{style=font=Tahoma;italic=1;underline=1}second{/style} tail";
  for (auto _ : state) benchmark::DoNotOptimize(stashly::ParseStyledText(text));
}
BENCHMARK(BM_ParseMixedLine);

}  // namespace

BENCHMARK_MAIN();
