// Peak memory of reading hostile JSON: 1, 10 and 100 MB of small arrays,
// alone and as a foreign member of an instance document, through the parser
// and through the whole document load; the load and the save of a compact
// document whose foreign member is 2.59 MiB of nested values, with what the
// load holds once done; and of reading a package of sample assets, fresh or
// beside the pool that holds them, from memory or from a file, or of packed
// samples it refuses, or of samples packed small beside chunks that are not
// audio, and of their save. The peak is the bytes held through operator new at the worst
// moment, counted by the replaced allocation functions; it is reported as a
// counter next to the time. The plug-in's state load and save and a project
// file's save are measured by the process's resident peak instead, which
// counts every way of holding memory.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "document/archive/crc32.h"
#include "document/archive/deflate.h"
#include "document/archive/sha256.h"
#include "document/instance/instance_shape.h"
#include "document/json/json.h"
#include "document/project/project_load.h"
#include "document/project/project_save.h"
#include "document/wav/wav.h"
#include "document/wav/wav_header.h"
#include "document/wav/wav_pool.h"
#include "engine/model/demo_project.h"
#include "engine/pool/sample_pool.h"
#include "plugin/ext_state.h"
#include "support/allocation_counter.h"
#include "support/document/fullest_pattern.h"
#include "support/plugin/process_harness.h"
#include "support/resident_peak.h"

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
using Load = std::function<bool(ob::Project& project, ob::SamplePool& pool, ob::KeptDocument& kept)>;
std::size_t peakOfLoad(const Load& load, bool& accepted) {
  ob::test::resetPeakLiveBytes();
  const std::size_t before = ob::test::liveBytes();
  {
    auto project = ob::makeProject();
    ob::SamplePool pool;
    ob::KeptDocument kept;
    accepted = load(*project, pool, kept);
  }
  return ob::test::peakLiveBytes() - before;
}

std::size_t peakOfRead(const std::vector<std::uint8_t>& bytes, const ob::SamplePool* shareFrom,
                       bool& accepted) {
  return peakOfLoad(
      [&](ob::Project& project, ob::SamplePool& pool, ob::KeptDocument& kept) {
        return ob::readDocument(bytes.data(), bytes.size(), project, pool, kept, nullptr, nullptr,
                                ob::DocumentSource::File, shareFrom);
      },
      accepted);
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

// The demo's document, compact.
std::string demoDocumentText() {
  auto demo = ob::makeProject();
  ob::buildDemoProject(*demo);
  const std::vector<std::uint8_t> saved = ob::writeProjectDocument(*demo, ob::SamplePool{}, {});
  ob::JsonValue document;
  std::string error;
  ob::parseJson(std::string(saved.begin(), saved.end()), document, error);
  return ob::writeJson(document);
}

// The demo's document, compact, after a foreign member of nested objects
// and arrays that makes it 2.59 MiB.
const std::vector<std::uint8_t>& nestedForeignDocument() {
  static const std::vector<std::uint8_t> bytes = [] {
    const std::string unit = R"({"a":[1,{"b":[2,3]}],"c":[[4],[5,6]]})";
    std::string text = "{\"nested\":[" + unit;
    const std::string rest = demoDocumentText().substr(1);
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

// This build's fullest pattern (support/document/fullest_pattern.h).
const std::vector<std::uint8_t>& fullestPatternDocument() {
  static const std::vector<std::uint8_t> bytes = [] {
    auto project = ob::makeProject();
    obtest::buildFullestPattern(*project);
    return ob::writeProjectDocument(*project, ob::SamplePool{}, {});
  }();
  return bytes;
}

// The demo's document, compact, whose audition holds as many notes as its
// reader reads, each an array of 27 zeros: about 460,000 values, near all
// a document may build, in under a megabyte (6 KB packed).
const std::vector<std::uint8_t>& notesAtTheirLimit() {
  static const std::vector<std::uint8_t> bytes = [] {
    std::string text(demoDocumentText());
    std::string zeros = "[0";
    for (int i = 1; i < 27; ++i) zeros += ",0";
    zeros += "]";
    std::string notes;
    for (std::uint32_t i = 0; i < ob::kAuditionNotesRead; ++i) notes += (i ? "," : "") + zeros;
    const std::size_t from = text.find("\"notes\":[") + 9;
    text.replace(from, text.find("],\"ext\"", from) - from, notes);
    return std::vector<std::uint8_t>(text.begin(), text.end());
  }();
  return bytes;
}

// What a load of arg 0 (the fullest pattern) or arg 1 (notes at their
// limit) holds at its peak and once done, and what its save holds at its
// peak, beside what a parse of the document builds.
void BM_ReadAndSavePeak(benchmark::State& state) {
  const std::vector<std::uint8_t>& bytes =
      state.range(0) == 0 ? fullestPatternDocument() : notesAtTheirLimit();
  std::size_t parsed = 0, peak = 0, held = 0, savePeak = 0;
  bool accepted = false;
  for (auto _ : state) {
    ob::test::resetPeakLiveBytes();
    std::size_t before = ob::test::liveBytes();
    {
      ob::JsonValue value;
      std::string error;
      ob::parseJson(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                    ob::instanceDocumentShape(), value, error);
      parsed = ob::test::peakLiveBytes() - before;
    }
    auto project = ob::makeProject();
    ob::SamplePool pool;
    ob::KeptDocument kept;
    ob::test::resetPeakLiveBytes();
    before = ob::test::liveBytes();
    accepted = ob::readDocument(bytes, *project, pool, kept, nullptr, nullptr);
    peak = ob::test::peakLiveBytes() - before;
    held = ob::test::liveBytes() - before;
    ob::test::resetPeakLiveBytes();
    before = ob::test::liveBytes();
    accepted = accepted && !ob::writeProjectDocument(*project, pool, kept).empty();
    savePeak = ob::test::peakLiveBytes() - before;
  }
  report(state, peak, accepted, bytes.size());
  state.counters["parse_MB"] = static_cast<double>(parsed) / kMB;
  state.counters["held_MB"] = static_cast<double>(held) / kMB;
  state.counters["save_peak_MB"] = static_cast<double>(savePeak) / kMB;
}
BENCHMARK(BM_ReadAndSavePeak)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The demo's document, compact, with `entries` zeros opening a list its
// readers read: arg 0 its extensions, 1 its kit's tags, 2 its audition's
// lanes, 3 its audition's notes.
const std::vector<std::uint8_t>& crowdedDocument(int member, std::size_t entries) {
  static std::map<std::pair<int, std::size_t>, std::vector<std::uint8_t>> made;
  std::vector<std::uint8_t>& bytes = made[{member, entries}];
  if (!bytes.empty()) return bytes;
  std::string text = demoDocumentText();
  std::string zeros;
  for (std::size_t i = 0; i < entries; ++i) zeros += "0,";
  // Where the list opens, and whether it is there already or made here.
  const struct {
    const char* at;
    const char* list;
  } places[] = {{"\"extensions\":[", nullptr},
                {"\"meta\":{", "\"tags\":["},
                {"\"audition\":{", "\"lanes\":["},
                {"\"notes\":[", nullptr}};
  const auto& place = places[member];
  const std::size_t after = text.find(place.at) + std::string(place.at).size();
  if (place.list != nullptr) zeros = place.list + zeros.substr(0, zeros.size() - 1) + "],";
  text.insert(after, zeros);
  bytes.assign(text.begin(), text.end());
  return bytes;
}

// The peak of loading it: with 900,000 entries the size of the three
// states that began this (a few kilobytes packed), or with as many as its
// readers read there.
void BM_ReadCrowdedMemberPeak(benchmark::State& state) {
  const auto& bytes =
      crowdedDocument(static_cast<int>(state.range(0)), static_cast<std::size_t>(state.range(1)));
  std::size_t peak = 0;
  bool accepted = false;
  for (auto _ : state) peak = peakOfRead(bytes, nullptr, accepted);
  report(state, peak, accepted, bytes.size());
}
BENCHMARK(BM_ReadCrowdedMemberPeak)
    ->Args({0, 900000})
    ->Args({1, 900000})
    ->Args({2, 900000})
    ->Args({3, 900000})
    ->Args({0, 1000})
    ->Args({1, 1000})
    ->Args({2, 1000})
    ->Args({3, 16000})
    ->Unit(benchmark::kMillisecond);

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

// The same package opened from a file, as "Open project..." reads it.
void BM_OpenSamplePackagePeak(benchmark::State& state) {
  const std::vector<std::uint8_t>& bytes = floatPackage();
  const auto path = std::filesystem::temp_directory_path() /
                    ("ob_benchmark_open_" + std::to_string(::getpid()) + ".project.orbi");
  std::FILE* file = std::fopen(path.c_str(), "wb");
  const bool written = file != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (file != nullptr) std::fclose(file);
  std::size_t peak = 0;
  bool accepted = false;
  for (auto _ : state)
    peak = peakOfLoad(
        [&](ob::Project& project, ob::SamplePool& pool, ob::KeptDocument& kept) {
          return written && ob::loadDocumentFile(path, project, pool, kept, nullptr, nullptr);
        },
        accepted);
  std::error_code ec;
  std::filesystem::remove(path, ec);
  report(state, peak, accepted, bytes.size());
}
BENCHMARK(BM_OpenSamplePackagePeak)->Unit(benchmark::kMillisecond);

// The demo with `count` samples named `name` and a number, the files that
// fileOf makes, each deflated into the package and referred to as an
// asset.
std::vector<std::uint8_t> demoWithDeflatedFiles(
    std::uint32_t count, const std::string& name,
    const std::function<std::vector<std::uint8_t>(std::uint32_t)>& fileOf) {
  auto demo = ob::makeProject();
  ob::buildDemoProject(*demo);
  ob::SamplePool pool;
  demo->samples.count = static_cast<std::uint8_t>(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::vector<std::uint8_t> file = fileOf(i);
    ob::KeptSampleFile deflated;
    deflated.stored = ob::zip::deflate(file.data(), file.size());
    deflated.method = 8;
    deflated.crc = ob::zip::crc32(file.data(), file.size());
    deflated.size = file.size();
    deflated.digest = ob::sha256Hex(file.data(), file.size());
    deflated.ref = "asset:" + deflated.digest;
    demo->samples.slots[i] = {};
    ob::copyText(demo->samples.slots[i].name, (name + " " + std::to_string(i) + ".wav").c_str());
    pool.replaceSlot(i, ob::makeKeptSample(std::move(deflated)));
  }
  return ob::writeProjectDocument(*demo, pool, {});
}

// The demo with three deflated 8-bit samples, each a 100 MB file that
// decodes past the sample limit: a package of about a megabyte that the
// load refuses sample by sample.
const std::vector<std::uint8_t>& refusedPackage() {
  static const std::vector<std::uint8_t> bytes = demoWithDeflatedFiles(3, "long", [](std::uint32_t i) {
    constexpr std::uint32_t kFrames = 100 * kMB;
    std::vector<std::uint8_t> file;
    ob::writeWavHeader(file, ob::kWavFormatPcm, 1, 44100, 8, kFrames);
    file.resize(file.size() + kFrames, 0x80);
    for (std::size_t at = ob::kWavHeaderBytes; at < file.size(); at += 4096) file[at] = std::uint8_t(at * i);
    return file;
  });
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

// The demo with four deflated 16-bit samples of a second, each beside a
// chunk of 100 MB of zeros with a byte set every 64 KiB: a package of a
// few megabytes whose files unpack to 400 MB.
const std::vector<std::uint8_t>& chunkedPackage() {
  static const std::vector<std::uint8_t> bytes = demoWithDeflatedFiles(4, "chunked", [](std::uint32_t i) {
    constexpr std::uint32_t kFrames = 48000, kChunk = 100 * kMB;
    std::vector<std::uint8_t> file;
    ob::writeWavHeader(file, ob::kWavFormatPcm, 2, 48000, 16, kFrames * 4);
    for (std::uint32_t f = 0; f < 2 * kFrames; ++f) {
      const auto x = static_cast<std::int16_t>(8000.0 * std::sin(0.01 * f * (i + 1)));
      file.push_back(static_cast<std::uint8_t>(x));
      file.push_back(static_cast<std::uint8_t>(x >> 8));
    }
    const std::uint8_t junk[8] = {'j', 'u', 'n', 'k', 0, 0xE1, 0xF5, 0x05};  // 100,000,000
    file.insert(file.end(), junk, junk + 8);
    const std::size_t chunk = file.size();
    file.resize(chunk + kChunk);
    for (std::size_t at = chunk; at < file.size(); at += 65536) file[at] = std::uint8_t(at >> 16 | 1);
    return file;
  });
  return bytes;
}

// Arg 0 loads it; 1 saves what was loaded. The counter "held" is what the
// loaded pool keeps.
void BM_ChunkedSamplePackagePeak(benchmark::State& state) {
  const std::vector<std::uint8_t>& bytes = chunkedPackage();
  const bool save = state.range(0) != 0;
  std::size_t peak = 0, held = 0, size = bytes.size();
  bool accepted = false;
  for (auto _ : state) {
    auto project = ob::makeProject();
    ob::SamplePool pool;
    ob::KeptDocument kept;
    ob::test::resetPeakLiveBytes();
    std::size_t before = ob::test::liveBytes();
    accepted = ob::readDocument(bytes.data(), bytes.size(), *project, pool, kept, nullptr, nullptr);
    held = ob::test::liveBytes() - before;
    if (save) {
      ob::test::resetPeakLiveBytes();
      before = ob::test::liveBytes();
      const std::vector<std::uint8_t> saved = ob::writeProjectDocument(*project, pool, kept);
      accepted = accepted && !saved.empty();
      size = saved.size();
    }
    peak = ob::test::peakLiveBytes() - before;
  }
  report(state, peak, accepted, size);
  state.counters["held_MB"] = static_cast<double>(held) / kMB;
}
BENCHMARK(BM_ChunkedSamplePackagePeak)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

// The demo with four 16-bit stereo samples of noise, each 32 MiB decoded,
// as the plug-in saves its state: 64 MiB of files, 128 MiB of audio.
constexpr std::size_t kStateSamples = 4;
constexpr std::uint32_t kStateSampleFrames = std::uint32_t(4) << 20;

const std::vector<std::uint8_t>& pcmState() {
  static const std::vector<std::uint8_t> bytes = [] {
    auto demo = ob::makeProject();
    ob::buildDemoProject(*demo);
    ob::SamplePool pool;
    std::mt19937 noise(5);
    demo->samples.count = kStateSamples;
    for (std::uint32_t i = 0; i < kStateSamples; ++i) {
      std::vector<std::uint8_t> file;
      ob::writeWavHeader(file, ob::kWavFormatPcm, 2, 44100, 16, kStateSampleFrames * 4);
      file.resize(file.size() + std::size_t(kStateSampleFrames) * 4);
      for (std::size_t at = ob::kWavHeaderBytes; at < file.size(); ++at) file[at] = std::uint8_t(noise());
      demo->samples.slots[i] = {};
      ob::copyText(demo->samples.slots[i].name, ("take " + std::to_string(i) + ".wav").c_str());
      ob::replaceSlotWav(pool, i, std::move(file));
    }
    std::vector<std::uint8_t> state(ob::clap::kStateMagic, ob::clap::kStateMagic + 4);
    state.resize(ob::clap::kStateHeaderSize, 0);
    const std::vector<std::uint8_t> document = ob::writeProjectDocument(*demo, pool, {});
    state.insert(state.end(), document.begin(), document.end());
    return state;
  }();
  return bytes;
}

// The host's side of a state: read from memory a piece a call, and
// written into memory, or nowhere when none is given.
struct HostStreams {
  const std::vector<std::uint8_t>* in = nullptr;
  std::size_t at = 0;
  std::vector<std::uint8_t>* out = nullptr;
  clap_istream_t istream{this, [](const clap_istream_t* s, void* out, std::uint64_t size) -> std::int64_t {
                           auto* self = static_cast<HostStreams*>(s->ctx);
                           const std::size_t n = std::min<std::size_t>(size, self->in->size() - self->at);
                           std::memcpy(out, self->in->data() + self->at, n);
                           self->at += n;
                           return static_cast<std::int64_t>(n);
                         }};
  clap_ostream_t ostream{this,
                         [](const clap_ostream_t* s, const void* bytes, std::uint64_t size) -> std::int64_t {
                           const auto* from = static_cast<const std::uint8_t*>(bytes);
                           if (auto* to = static_cast<HostStreams*>(s->ctx)->out)
                             to->insert(to->end(), from, from + size);
                           return static_cast<std::int64_t>(size);
                         }};
};

bool loadState(const ob::test::ProcessHarness& host, const std::vector<std::uint8_t>& bytes) {
  HostStreams streams;
  streams.in = &bytes;
  return ob::clap::stateExtension()->load(host.clap, &streams.istream);
}

// The demo's state, without samples: loaded between two measured loads, so
// that each decodes its samples afresh.
const std::vector<std::uint8_t>& demoState() {
  static const std::vector<std::uint8_t> bytes = [] {
    ob::test::ProcessHarness host;
    std::vector<std::uint8_t> saved;
    HostStreams streams;
    streams.out = &saved;
    ob::clap::stateExtension()->save(host.clap, &streams.ostream);
    return saved;
  }();
  return bytes;
}

// The resident peak of `run` beyond what was resident before it, with the
// memory freed before it handed back, so that none of it is used again
// unseen.
template <typename Run>
std::size_t residentPeakOf(Run&& run) {
  ::malloc_trim(0);
  return static_cast<std::size_t>(ob::test::residentPeakOf(run));
}

void reportAgainstAudio(benchmark::State& state, std::size_t peak, bool accepted) {
  constexpr double kMiB = 1024.0 * 1024.0;
  state.counters["peak_MiB"] = static_cast<double>(peak) / kMiB;
  state.counters["state_MiB"] = static_cast<double>(pcmState().size()) / kMiB;
  state.counters["audio_MiB"] =
      static_cast<double>(kStateSamples * kStateSampleFrames * 2 * sizeof(float)) / kMiB;
  state.counters["accepted"] = accepted ? 1 : 0;
}

// The memory the plug-in's state load (arg 0) or save (1) holds at its
// peak beyond what it held before; a load's peak holds the audio it
// decodes, a save's nothing it keeps.
void BM_StatePeak(benchmark::State& state) {
  ob::test::ProcessHarness host;
  const bool save = state.range(0) != 0;
  bool accepted = save ? loadState(host, pcmState()) : !pcmState().empty();
  std::size_t peak = 0;
  for (auto _ : state) {
    if (!save) accepted = loadState(host, demoState());
    peak = residentPeakOf([&] {
      HostStreams streams;
      if (save)
        accepted = accepted && ob::clap::stateExtension()->save(host.clap, &streams.ostream);
      else
        accepted = accepted && loadState(host, pcmState());
    });
  }
  reportAgainstAudio(state, peak, accepted);
}
BENCHMARK(BM_StatePeak)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

// The same for saving the loaded state as a project file.
void BM_ProjectFileSavePeak(benchmark::State& state) {
  auto project = ob::makeProject();
  ob::SamplePool pool;
  ob::KeptDocument kept;
  const std::vector<std::uint8_t> document(pcmState().begin() + ob::clap::kStateHeaderSize, pcmState().end());
  bool accepted = ob::readDocument(document, *project, pool, kept, nullptr, nullptr);
  const auto path = std::filesystem::temp_directory_path() /
                    ("ob_benchmark_peak_" + std::to_string(::getpid()) + ".project.orbi");
  std::size_t peak = 0;
  for (auto _ : state)
    peak = residentPeakOf(
        [&] { accepted = accepted && ob::saveDocumentFile(path, *project, pool, kept, nullptr); });
  std::error_code ec;
  std::filesystem::remove(path, ec);
  reportAgainstAudio(state, peak, accepted);
}
BENCHMARK(BM_ProjectFileSavePeak)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
