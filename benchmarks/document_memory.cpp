// Peak memory of reading hostile JSON: 1, 10 and 100 MB of small arrays,
// alone and as a foreign member of an instance document, through the parser
// and through the whole document load; the load and the save of a compact
// document whose foreign member is 2.59 MiB of nested values, with what the
// load holds once done; and of reading a package of sample
// assets, fresh or beside the pool that holds them, or of packed samples it
// refuses. The peak is the bytes held through operator new at the worst
// moment, counted by the replaced allocation functions; it is reported as a
// counter next to the time.
#include <benchmark/benchmark.h>

#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "document/archive/crc32.h"
#include "document/archive/deflate.h"
#include "document/archive/sha256.h"
#include "document/json/json.h"
#include "document/project/project_load.h"
#include "document/project/project_save.h"
#include "document/wav/wav.h"
#include "document/wav/wav_header.h"
#include "document/wav/wav_pool.h"
#include "engine/model/demo_project.h"
#include "engine/pool/sample_pool.h"
#include "support/allocation_counter.h"

namespace {

constexpr std::size_t kMB = 1000000;

// `[[],[],...]` of about the given size: three bytes and one value an array.
std::string smallArrays(std::size_t bytes) {
  std::string text = "[[]";
  text.reserve(bytes + 8);
  while (text.size() + 4 < bytes) text += ",[]";
  return text + "]";
}

// The demo's instance document carrying the arrays as a member it does not
// know.
std::string instanceWithArrays(std::size_t bytes) {
  auto demo = ob::makeProject();
  ob::buildDemoProject(*demo);
  ob::SamplePool pool;
  const std::vector<std::uint8_t> saved = ob::writeProjectDocument(*demo, pool, {});
  std::string text(saved.begin(), saved.end());
  text.insert(text.find("\"kind\""), "\"extra\": " + smallArrays(bytes) + ",\n  ");
  return text;
}

const std::string& input(std::size_t megabytes, bool asInstance) {
  static std::map<std::pair<std::size_t, bool>, std::string> made;
  std::string& text = made[{megabytes, asInstance}];
  if (text.empty()) text = asInstance ? instanceWithArrays(megabytes * kMB) : smallArrays(megabytes * kMB);
  return text;
}

void report(benchmark::State& state, std::size_t peak, bool accepted, std::size_t size) {
  state.counters["peak_MB"] = static_cast<double>(peak) / kMB;
  state.counters["accepted"] = accepted ? 1 : 0;
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

void BM_ParseJsonPeak(benchmark::State& state) {
  const std::string& text = input(static_cast<std::size_t>(state.range(0)), false);
  std::size_t peak = 0;
  bool accepted = false;
  for (auto _ : state) {
    ob::test::resetPeakLiveBytes();
    const std::size_t before = ob::test::liveBytes();
    {
      ob::JsonValue value;
      std::string error;
      accepted = ob::parseJson(text, value, error);
      benchmark::DoNotOptimize(value);
    }
    peak = ob::test::peakLiveBytes() - before;
  }
  report(state, peak, accepted, text.size());
}
BENCHMARK(BM_ParseJsonPeak)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);

// The bytes one whole document load holds at its peak.
std::size_t peakOfRead(const std::vector<std::uint8_t>& bytes, const ob::SamplePool* shareFrom,
                       bool& accepted) {
  ob::test::resetPeakLiveBytes();
  const std::size_t before = ob::test::liveBytes();
  {
    auto project = ob::makeProject();
    ob::SamplePool pool;
    ob::KeptDocument kept;
    std::string error;
    accepted = ob::readDocument(bytes.data(), bytes.size(), *project, pool, kept, &error, nullptr,
                                ob::DocumentSource::File, shareFrom);
  }
  return ob::test::peakLiveBytes() - before;
}

void BM_ReadDocumentPeak(benchmark::State& state) {
  const std::string& text = input(static_cast<std::size_t>(state.range(0)), true);
  const std::vector<std::uint8_t> bytes(text.begin(), text.end());
  std::size_t peak = 0;
  bool accepted = false;
  for (auto _ : state) peak = peakOfRead(bytes, nullptr, accepted);
  report(state, peak, accepted, bytes.size());
}
BENCHMARK(BM_ReadDocumentPeak)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);

// The demo's document, compact, after a foreign member of nested objects
// and arrays that makes it 2.59 MiB.
const std::vector<std::uint8_t>& nestedForeignDocument() {
  static const std::vector<std::uint8_t> bytes = [] {
    const std::string unit = R"({"a":[1,{"b":[2,3]}],"c":[[4],[5,6]]})";
    auto project = ob::makeProject();
    ob::buildDemoProject(*project);
    const std::vector<std::uint8_t> saved = ob::writeProjectDocument(*project, ob::SamplePool{}, {});
    ob::JsonValue demo;
    std::string error;
    ob::parseJson(std::string(saved.begin(), saved.end()), demo, error);
    std::string text = "{\"nested\":[" + unit;
    const std::string rest = ob::writeJson(demo).substr(1);
    while (text.size() + rest.size() + unit.size() + 3 < std::size_t(2.59 * 1048576)) text += "," + unit;
    text += "]," + rest;
    return std::vector<std::uint8_t>(text.begin(), text.end());
  }();
  return bytes;
}

// Held beside the counters: what the load leaves in memory once it is done.
void BM_ReadNestedForeignPeak(benchmark::State& state) {
  const std::vector<std::uint8_t>& bytes = nestedForeignDocument();
  std::size_t peak = 0;
  std::size_t held = 0;
  bool accepted = false;
  for (auto _ : state) {
    ob::test::resetPeakLiveBytes();
    const std::size_t before = ob::test::liveBytes();
    auto project = ob::makeProject();
    ob::SamplePool pool;
    ob::KeptDocument kept;
    accepted = ob::readDocument(bytes, *project, pool, kept, nullptr, nullptr);
    peak = ob::test::peakLiveBytes() - before;
    held = ob::test::liveBytes() - before;
  }
  report(state, peak, accepted, bytes.size());
  state.counters["held_MB"] = static_cast<double>(held) / kMB;
}
BENCHMARK(BM_ReadNestedForeignPeak)->Unit(benchmark::kMillisecond);

void BM_SaveNestedForeignPeak(benchmark::State& state) {
  auto project = ob::makeProject();
  ob::SamplePool pool;
  ob::KeptDocument kept;
  const bool accepted = ob::readDocument(nestedForeignDocument(), *project, pool, kept, nullptr, nullptr);
  std::size_t peak = 0;
  std::size_t size = 0;
  for (auto _ : state) {
    ob::test::resetPeakLiveBytes();
    const std::size_t before = ob::test::liveBytes();
    size = ob::writeProjectDocument(*project, pool, kept).size();
    peak = ob::test::peakLiveBytes() - before;
  }
  report(state, peak, accepted, size);
}
BENCHMARK(BM_SaveNestedForeignPeak)->Unit(benchmark::kMillisecond);

// The demo with one sample: a float asset in this build's own form, 64 MiB
// decoded.
const std::vector<std::uint8_t>& floatPackage() {
  static const std::vector<std::uint8_t> bytes = [] {
    std::vector<float> left(std::size_t(8) << 20), right(left.size());
    for (std::size_t i = 0; i < left.size(); ++i) {
      left[i] = 0.5f * std::sin(0.001f * static_cast<float>(i));
      right[i] = -left[i];
    }
    const std::vector<std::uint8_t> file =
        ob::encodeWav(left.data(), right.data(), static_cast<std::int32_t>(left.size()), 48000.0);
    auto demo = ob::makeProject();
    ob::buildDemoProject(*demo);
    demo->samples.count = 1;
    demo->samples.slots[0] = {};
    ob::copyText(demo->samples.slots[0].name, "long.wav");
    ob::SamplePool pool;
    pool.replaceSlot(0, ob::decodeForPool(pool, 0, file).audio);
    return ob::writeProjectDocument(*demo, pool, {});
  }();
  return bytes;
}

// Arg 0 reads it fresh, 1 beside a pool that holds it already.
void BM_ReadSamplePackagePeak(benchmark::State& state) {
  const std::vector<std::uint8_t>& bytes = floatPackage();
  const bool again = state.range(0) != 0;
  ob::SamplePool held;
  if (again) {
    auto project = ob::makeProject();
    ob::KeptDocument kept;
    ob::readDocument(bytes, *project, held, kept, nullptr, nullptr);
  }
  std::size_t peak = 0;
  bool accepted = false;
  for (auto _ : state) peak = peakOfRead(bytes, again ? &held : nullptr, accepted);
  report(state, peak, accepted, bytes.size());
}
BENCHMARK(BM_ReadSamplePackagePeak)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The demo with three deflated 8-bit samples, each a 100 MB file that
// decodes past the sample limit: a package of about a megabyte that the
// load refuses sample by sample.
const std::vector<std::uint8_t>& refusedPackage() {
  static const std::vector<std::uint8_t> bytes = [] {
    constexpr std::uint32_t kFrames = 100 * kMB;
    auto demo = ob::makeProject();
    ob::buildDemoProject(*demo);
    ob::SamplePool pool;
    demo->samples.count = 3;
    for (std::uint32_t i = 0; i < 3; ++i) {
      std::vector<std::uint8_t> file;
      ob::writeWavHeader(file, ob::kWavFormatPcm, 1, 44100, 8, kFrames);
      file.resize(file.size() + kFrames, 0x80);
      for (std::size_t at = ob::kWavHeaderBytes; at < file.size(); at += 4096)
        file[at] = std::uint8_t(at * i);
      ob::KeptSampleFile kept;
      kept.stored = ob::zip::deflate(file.data(), file.size());
      kept.method = 8;
      kept.crc = ob::zip::crc32(file.data(), file.size());
      kept.size = file.size();
      kept.digest = ob::sha256Hex(file.data(), file.size());
      demo->samples.slots[i] = {};
      ob::copyText(demo->samples.slots[i].name, ("long " + std::to_string(i) + ".wav").c_str());
      pool.replaceSlot(i, ob::makeKeptSample(std::move(kept)));
    }
    return ob::writeProjectDocument(*demo, pool, {});
  }();
  return bytes;
}

void BM_ReadRefusedSamplePackagePeak(benchmark::State& state) {
  const std::vector<std::uint8_t>& bytes = refusedPackage();
  std::size_t peak = 0;
  bool accepted = false;
  for (auto _ : state) peak = peakOfRead(bytes, nullptr, accepted);
  report(state, peak, accepted, bytes.size());
}
BENCHMARK(BM_ReadRefusedSamplePackagePeak)->Unit(benchmark::kMillisecond);

}  // namespace
