// Project save and load with 64 user samples of one to two seconds of stereo
// audio in each of three encodings, in memory and through a file; the kit
// text the kit browser compares every frame; and a save that sets apart
// macro destinations its load kept.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "document/json/json_parse.h"
#include "document/json/json_write.h"
#include "document/legacy/legacy_writer.h"
#include "document/project/project_load.h"
#include "document/project/project_save.h"
#include "document/wav/wav.h"
#include "document/wav/wav_header.h"
#include "document/wav/wav_pool.h"
#include "engine/model/demo_project.h"
#include "engine/model/edit_command.h"
#include "engine/params/param_tables.h"
#include "engine/pool/sample_pool.h"

namespace {

// How the samples' files store their audio: this build's own 32-bit float
// form, 24-bit PCM as recorders write it, or 64-bit float finer than 32 bits.
enum Encoding : int { kOwnFloat, kPcm24, kFineFloat64 };

std::vector<std::uint8_t> wavOf(Encoding encoding, const std::vector<float>& l, const std::vector<float>& r) {
  const auto n = static_cast<std::uint32_t>(l.size());
  if (encoding == kOwnFloat) return ob::encodeWav(l.data(), r.data(), static_cast<std::int32_t>(n), 44100.0);
  const std::uint16_t bytes = encoding == kPcm24 ? 3 : 8;
  std::vector<std::uint8_t> wav;
  ob::writeWavHeader(wav, encoding == kPcm24 ? ob::kWavFormatPcm : ob::kWavFormatFloat, 2, 44100,
                     static_cast<std::uint16_t>(8 * bytes), n * 2 * bytes);
  for (std::uint32_t i = 0; i < 2 * n; ++i) {
    const double x = (i % 2 == 0 ? l : r)[i / 2];
    std::uint64_t word = 0;
    if (encoding == kPcm24) {
      word = static_cast<std::uint32_t>(static_cast<std::int32_t>(x * 8388607.0));
    } else {
      const double fine = x + 1e-12 * (i % 7);
      std::memcpy(&word, &fine, sizeof word);
    }
    for (std::uint16_t b = 0; b < bytes; ++b) wav.push_back(static_cast<std::uint8_t>(word >> (8 * b)));
  }
  return wav;
}

struct Fixture {
  std::unique_ptr<ob::Project> project = std::make_unique<ob::Project>();
  ob::SamplePool pool;
  ob::KeptDocument kept;
  std::size_t audioBytes = 0;

  explicit Fixture(Encoding encoding) {
    ob::buildDemoProject(*project);
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> frames(44100, 88200);
    std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
    for (int i = 0; i < ob::kSampleSlots; ++i) {
      const int n = frames(rng);
      std::vector<float> l(static_cast<std::size_t>(n)), r(l.size());
      for (int k = 0; k < n; ++k) {
        l[k] = noise(rng);
        r[k] = noise(rng);
      }
      std::vector<std::uint8_t> wav = wavOf(encoding, l, r);
      audioBytes += wav.size();
      ob::replaceSlotWav(pool, static_cast<std::uint32_t>(i), std::move(wav));
      std::snprintf(project->samples.slots[i].name, sizeof project->samples.slots[i].name, "take %02d.wav",
                    i);
    }
    project->samples.count = ob::kSampleSlots;
  }
};

Fixture& fixture(std::int64_t encoding) {
  static std::map<std::int64_t, std::unique_ptr<Fixture>> made;
  std::unique_ptr<Fixture>& f = made[encoding];
  if (!f) f = std::make_unique<Fixture>(static_cast<Encoding>(encoding));
  return *f;
}

// Arg: the samples' encoding.
void BM_SaveProject(benchmark::State& state) {
  Fixture& f = fixture(state.range(0));
  std::size_t size = 0;
  for (auto _ : state) {
    std::vector<std::uint8_t> bytes = ob::writeProjectDocument(*f.project, f.pool, f.kept);
    size = bytes.size();
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
  state.counters["MiB"] = static_cast<double>(size) / (1024.0 * 1024.0);
}
BENCHMARK(BM_SaveProject)->Arg(kOwnFloat)->Arg(kPcm24)->Arg(kFineFloat64)->Unit(benchmark::kMillisecond);

void BM_SaveProjectFile(benchmark::State& state) {
  Fixture& f = fixture(state.range(0));
  const auto path = std::filesystem::temp_directory_path() / "ob_benchmark_project.orbi";
  for (auto _ : state) {
    std::string error;
    if (!ob::saveDocumentFile(path, *f.project, f.pool, f.kept, &error)) state.SkipWithError(error.c_str());
  }
  std::error_code ec;
  std::filesystem::remove(path, ec);
}
BENCHMARK(BM_SaveProjectFile)->Arg(kOwnFloat)->Arg(kPcm24)->Arg(kFineFloat64)->Unit(benchmark::kMillisecond);

void BM_LoadProject(benchmark::State& state) {
  Fixture& f = fixture(state.range(0));
  const std::vector<std::uint8_t> bytes = ob::writeProjectDocument(*f.project, f.pool, f.kept);
  auto project = ob::makeProject();
  for (auto _ : state) {
    ob::SamplePool pool;
    ob::KeptDocument kept;
    std::string error;
    if (!ob::readDocument(bytes, *project, pool, kept, &error, nullptr)) state.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(pool.slots.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_LoadProject)->Arg(kOwnFloat)->Arg(kPcm24)->Arg(kFineFloat64)->Unit(benchmark::kMillisecond);

// The same opened from a file (arg 0), or saved from what was opened (1).
void BM_OpenProjectFile(benchmark::State& state) {
  Fixture& f = fixture(state.range(0));
  const auto path = std::filesystem::temp_directory_path() / "ob_benchmark_open.orbi";
  std::string error;
  if (!ob::saveDocumentFile(path, *f.project, f.pool, f.kept, &error)) state.SkipWithError(error.c_str());
  auto project = ob::makeProject();
  ob::SamplePool pool;
  ob::KeptDocument kept;
  const bool save = state.range(1) != 0;
  if (save && !ob::loadDocumentFile(path, *project, pool, kept, &error, nullptr))
    state.SkipWithError(error.c_str());
  for (auto _ : state) {
    if (save)
      benchmark::DoNotOptimize(ob::writeProjectDocument(*project, pool, kept).data());
    else if (!ob::loadDocumentFile(path, *project, pool, kept, &error, nullptr))
      state.SkipWithError(error.c_str());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * std::filesystem::file_size(path)));
  std::error_code ec;
  std::filesystem::remove(path, ec);
}
BENCHMARK(BM_OpenProjectFile)
    ->ArgsProduct({{kOwnFloat, kPcm24, kFineFloat64}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

// Eight tracks with modulators, locks and routes over eight sounds.
void BM_KitText(benchmark::State& state) {
  ob::Project project;
  ob::buildDemoProject(project);
  ob::Pattern& p = project.patterns[0];
  p.numTracks = ob::kMaxTracks;
  for (int t = 0; t < ob::kMaxTracks; ++t) {
    ob::Track& track = p.tracks[t];
    track.soundIndex = static_cast<std::int8_t>(t);
    ob::Sound& s = p.kit.sounds[t];
    if (ob::paramCount(s.machine) == 0 || s.params[0] == 0.0f) ob::initSoundParams(s, t % 4);
    track.lfos[0].enabled = 1;
    track.modEnvs[0].enabled = 1;
    track.trackRandCount = 2;
    track.trackRands[0] = {1, 0.2f};
    track.trackRands[1] = {2, 0.3f};
    s.velDestCount = 1;
    s.velDests[0] = {3, 0.5f};
    for (int k = 0; k < ob::kStepsPerTrack; k += 2) {
      track.steps[k].active = 1;
      track.steps[k].lockCount = 1;
      track.steps[k].locks[0] = {4, 0.25f};
    }
  }
  for (int m = 0; m < ob::kMacroCount; ++m) {
    p.kit.macros[m].destCount = 2;
    p.kit.macros[m].dests[0] = {static_cast<std::uint8_t>(m), 1, 0.5f};
    p.kit.macros[m].dests[1] = {static_cast<std::uint8_t>(m + 4), 2, 0.75f};
  }
  std::size_t size = 0;
  for (auto _ : state) {
    std::string text = ob::patternToJsonText(p);
    size = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.counters["bytes"] = static_cast<double>(size);
}
BENCHMARK(BM_KitText)->Unit(benchmark::kMicrosecond);

}  // namespace

// The demo with four macros of eight destinations each and 1,016 more the
// load kept for want of room; arg 1: one destination of each removed, so
// that a load of the save would apply the kept ones and the save sets them
// apart, arg 0: none; arg 2 and 3: the same with each kept one on a voice
// and param of its own, and in 3 one applied in the place of the removed.
void BM_SaveKeptDestinations(benchmark::State& state) {
  auto project = ob::makeProject();
  ob::buildDemoProject(*project);
  ob::Pattern& part = project->patterns[0];
  const ob::Sound& sound = part.kit.sounds[part.tracks[0].soundIndex];
  for (ob::Macro& macro : part.kit.macros) {
    macro.destCount = ob::kListCapacity;
    for (int d = 0; d < ob::kListCapacity; ++d) macro.dests[d] = {0, static_cast<std::uint8_t>(d), 0.5f};
  }
  ob::SamplePool none;
  ob::KeptDocument nothing;
  const std::vector<std::uint8_t> written = ob::writeProjectDocument(*project, none, nothing);
  ob::JsonValue document;
  std::string error;
  ob::parseJson(std::string(written.begin(), written.end()), document, error);
  ob::JsonValue dest = ob::makeJsonObject();
  dest.set("voice", ob::makeJsonString(part.tracks[0].id));
  dest.set("param", ob::makeJsonString(ob::paramInfo(sound.machine, 0).id));
  dest.set("target", ob::makeJsonDouble(0.5));
  const bool edited = (state.range(0) & 1) != 0, distinct = (state.range(0) & 2) != 0;
  const int tracks = part.numTracks;
  for (ob::JsonMember& macro : document.find("state")->find("macros")->members)
    for (int k = 0; k < 1016; ++k) {
      if (distinct) {
        const ob::Track& track = part.tracks[k % tracks];
        const ob::Sound& own = part.kit.sounds[track.soundIndex];
        dest.set("voice", ob::makeJsonString(track.id));
        dest.set("param", ob::makeJsonString(ob::paramInfo(own.machine, 1 + k / tracks % 20).id));
      }
      macro.value.find("dests")->set("kept-" + std::to_string(k), dest);
    }
  const std::string text = ob::writeJson(document);
  ob::SamplePool pool;
  ob::KeptDocument kept;
  if (!ob::readDocument(std::vector<std::uint8_t>(text.begin(), text.end()), *project, pool, kept, &error,
                        nullptr))
    state.SkipWithError(error.c_str());
  if (edited)
    for (int m = 0; m < ob::kMacroCount; ++m) {
      ob::EditCommand remove{ob::kEditRemoveMacroDest, 0, 0, m};
      ob::applyEditCommand(*project, remove);
      // And one applied in its place, on a param none of the kept ones has.
      if (distinct) {
        ob::EditCommand apply{ob::kEditMacroDest, 1, 30, m, 0.25f};
        ob::applyEditCommand(*project, apply);
      }
    }
  for (auto _ : state) benchmark::DoNotOptimize(ob::writeProjectDocument(*project, pool, kept).data());
}
BENCHMARK(BM_SaveKeptDestinations)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
