// Loading a long favourites list against the floor: the same bytes split into lines with
// memchr and nothing else.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "store/favorites_format.h"
#include "testing/iconv_codec.h"

namespace {

const std::string& SampleFile() {
  static const std::string path = [] {
    std::string name = (std::filesystem::temp_directory_path() / "favorites_bench.qvd").string();
    std::ofstream out(name, std::ios::binary);
    for (int i = 0; i < 100000; ++i) {
      out << "C:\\Users\\someone\\Documents\\Projects\\folder " << i;
      // One record in twenty carries a non-ASCII (1252) character.
      if (i % 20 == 0) out << " caf\xE9";
      out << "\r\n";
    }
    return name;
  }();
  return path;
}

std::string ReadFile(const std::string& path) {
  std::string bytes;
  if (FILE* file = std::fopen(path.c_str(), "rb")) {
    std::fseek(file, 0, SEEK_END);
    bytes.resize(static_cast<size_t>(std::ftell(file)));
    std::fseek(file, 0, SEEK_SET);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    std::fclose(file);
  }
  return bytes;
}

void BM_LoadFavorites(benchmark::State& state) {
  const stashly::IconvCodec codec("CP1252");
  for (auto _ : state) {
    std::string bytes = ReadFile(SampleFile());
    auto content = stashly::ParseFavorites(bytes, codec);
    benchmark::DoNotOptimize(content.records.size());
  }
  state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_LoadFavorites)->Unit(benchmark::kMillisecond);

void BM_FloorReadAndSplitLines(benchmark::State& state) {
  for (auto _ : state) {
    std::string bytes = ReadFile(SampleFile());
    size_t lines = 0;
    const char* p = bytes.data();
    const char* end = p + bytes.size();
    while (p < end) {
      const char* lf = static_cast<const char*>(std::memchr(p, '\n', end - p));
      ++lines;
      p = lf ? lf + 1 : end;
    }
    benchmark::DoNotOptimize(lines);
  }
  state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_FloorReadAndSplitLines)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
