// MD5 throughput of the library's own digest against Nettle's over the same bytes.
#include <benchmark/benchmark.h>
#include <nettle/md5.h>

#include <string>

#include "corelet/md5.h"

namespace {

const std::string& Bytes(size_t size) {
  static std::string bytes;
  if (bytes.size() != size) {
    bytes.assign(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 131 + 7);
  }
  return bytes;
}

void BM_Md5(benchmark::State& state) {
  const std::string& bytes = Bytes(static_cast<size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(corelet::Md5(bytes));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

void BM_NettleMd5(benchmark::State& state) {
  const std::string& bytes = Bytes(static_cast<size_t>(state.range(0)));
  uint8_t digest[MD5_DIGEST_SIZE];
  for (auto _ : state) {
    md5_ctx context;
    md5_init(&context);
    md5_update(&context, bytes.size(), reinterpret_cast<const uint8_t*>(bytes.data()));
    md5_digest(&context, MD5_DIGEST_SIZE, digest);
    benchmark::DoNotOptimize(digest);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

BENCHMARK(BM_Md5)->Arg(64)->Arg(1 << 20);
BENCHMARK(BM_NettleMd5)->Arg(64)->Arg(1 << 20);

}  // namespace

BENCHMARK_MAIN();
