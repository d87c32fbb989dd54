// Inflate and deflate throughput on 16 MiB of mixed data, each next to
// zlib's in the same run. The *Ratio benchmarks time both codecs on the same
// input and report ours_over_zlib (our time divided by zlib's). SHA-256 and
// CRC-32 on the same data, by the portable code (arg 0) and by the fastest
// this CPU runs (arg 1).
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "document/archive/crc32.h"
#include "document/archive/deflate.h"
#include "document/archive/inflate.h"
#include "document/archive/sha256.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// 64 KiB blocks in turn: document text, 16-bit audio, random bytes and a
// mostly silent stretch, as a package's entries mix them.
const Bytes& mixedData() {
  static const Bytes data = [] {
    constexpr std::size_t kSize = 16u << 20, kBlock = 64u << 10;
    static const char* kWords[] = {
        "\"kind\": ", "\"instance\", ",   "\"tempo\": ", "120.0, ",   "\"tracks\": [",
        "{\n    ",    "\"sound\": ",      "\"kick\"",    "\"snare\"", "0.25, ",
        "}, ",        "\"flt_cutoff\": ", "0.731"};
    std::mt19937 rng(2024);
    Bytes out;
    out.reserve(kSize);
    double phase = 0;
    for (std::size_t block = 0; out.size() < kSize; ++block) {
      const std::size_t end = std::min(kSize, out.size() + kBlock);
      switch (block % 4) {
        case 0:
          while (out.size() < end) {
            for (const char* w = kWords[rng() % 13]; *w && out.size() < end; ++w)
              out.push_back(std::uint8_t(*w));
          }
          break;
        case 1:
          while (out.size() + 1 < end) {
            phase += 0.0627;
            const auto s = std::int16_t(std::sin(phase) * 12000 + double(rng() % 512) - 256);
            out.push_back(std::uint8_t(s));
            out.push_back(std::uint8_t(s >> 8));
          }
          while (out.size() < end) out.push_back(0);
          break;
        case 2:
          while (out.size() < end) out.push_back(std::uint8_t(rng()));
          break;
        default:
          while (out.size() < end) out.push_back(rng() % 97 == 0 ? std::uint8_t(rng()) : 0);
      }
    }
    return out;
  }();
  return data;
}

Bytes zlibDeflate(const Bytes& data, int level) {
  z_stream z{};
  deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  Bytes out(deflateBound(&z, data.size()));
  z.next_in = const_cast<Bytef*>(data.data());
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  ::deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

Bytes zlibInflate(const Bytes& packed, std::size_t size) {
  Bytes out(size);
  z_stream z{};
  inflateInit2(&z, -15);
  z.next_in = const_cast<Bytef*>(packed.data());
  z.avail_in = static_cast<uInt>(packed.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  ::inflate(&z, Z_FINISH);
  inflateEnd(&z);
  return out;
}

Bytes ourInflate(const Bytes& packed, std::size_t size) {
  Bytes out;
  out.reserve(size);  // as the zip reader does
  std::string error;
  ob::zip::inflate(packed.data(), packed.size(), size, out, error);
  return out;
}

const Bytes& zlibStream() {
  static const Bytes packed = zlibDeflate(mixedData(), 6);
  return packed;
}

template <typename F>
double seconds(F&& f) {
  const auto t0 = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void setBytes(benchmark::State& state) {
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(mixedData().size()));
}

void BM_InflateOurs(benchmark::State& state) {
  const Bytes& packed = zlibStream();
  for (auto _ : state) benchmark::DoNotOptimize(ourInflate(packed, mixedData().size()));
  setBytes(state);
}

void BM_InflateZlib(benchmark::State& state) {
  const Bytes& packed = zlibStream();
  for (auto _ : state) benchmark::DoNotOptimize(zlibInflate(packed, mixedData().size()));
  setBytes(state);
}

void BM_InflateRatio(benchmark::State& state) {
  const Bytes& packed = zlibStream();
  double ours = 0, theirs = 0;
  for (auto _ : state) {
    ours += seconds([&] { benchmark::DoNotOptimize(ourInflate(packed, mixedData().size())); });
    theirs += seconds([&] { benchmark::DoNotOptimize(zlibInflate(packed, mixedData().size())); });
  }
  state.counters["ours_over_zlib"] = ours / theirs;
}

void BM_DeflateOurs(benchmark::State& state) {
  const Bytes& data = mixedData();
  std::size_t packed = 0;
  for (auto _ : state) {
    const Bytes out = ob::zip::deflate(data.data(), data.size());
    packed = out.size();
  }
  setBytes(state);
  state.counters["packed_fraction"] = double(packed) / double(data.size());
}

void BM_DeflateZlib(benchmark::State& state) {
  const Bytes& data = mixedData();
  const int level = int(state.range(0));
  std::size_t packed = 0;
  for (auto _ : state) packed = zlibDeflate(data, level).size();
  setBytes(state);
  state.counters["packed_fraction"] = double(packed) / double(data.size());
}

void BM_DeflateRatio(benchmark::State& state) {
  const Bytes& data = mixedData();
  const int level = int(state.range(0));
  double ours = 0, theirs = 0;
  for (auto _ : state) {
    ours += seconds([&] { benchmark::DoNotOptimize(ob::zip::deflate(data.data(), data.size())); });
    theirs += seconds([&] { benchmark::DoNotOptimize(zlibDeflate(data, level)); });
  }
  state.counters["ours_over_zlib"] = ours / theirs;
}

void BM_Sha256(benchmark::State& state) {
  const Bytes& data = mixedData();
  const ob::Sha256Blocks blocks =
      state.range(0) != 0 ? ob::fastestSha256Blocks() : ob::portableSha256Blocks();
  for (auto _ : state) {
    ob::Sha256 hash(blocks);
    hash.add(data.data(), data.size());
    benchmark::DoNotOptimize(hash.hex());
  }
  setBytes(state);
}

void BM_Crc32(benchmark::State& state) {
  const Bytes& data = mixedData();
  const bool fastest = state.range(0) != 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(fastest ? ob::zip::crc32(data.data(), data.size())
                                     : ob::zip::portableCrc32(data.data(), data.size()));
  setBytes(state);
}

}  // namespace

BENCHMARK(BM_InflateOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InflateZlib)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InflateRatio)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeflateOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeflateZlib)->Arg(1)->Arg(6)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeflateRatio)->Arg(1)->Arg(6)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sha256)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Crc32)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
