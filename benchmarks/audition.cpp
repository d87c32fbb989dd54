// The audition's worst case: eight tracks at 1/32 triplets, every step
// retriggered 32 times (about 12,000 notes). Argument 0 is that grid plain;
// argument 1 also gives every step eight locks, eight random amounts and a
// pan, which makes each note about four times longer. Saving writes it
// (notes, fingerprint, groove) on the main thread during the host's state
// save; loading reads it back.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "document/audition/audition_reader.h"
#include "document/audition/audition_writer.h"
#include "document/audition/notes_fingerprint.h"
#include "document/json/json.h"
#include "document/json/json_elements.h"
#include "engine/model/demo_project.h"
#include "engine/model/edit_command.h"
#include "engine/model/project.h"
#include "engine/params/param_tables.h"

namespace {

std::unique_ptr<ob::Project> worstCase(bool loaded) {
  auto p = ob::makeProject();
  ob::buildDemoProject(*p);
  ob::Pattern& pat = p->patterns[0];
  pat.numTracks = 8;
  const char* keys[] = {"res_tune", "exc1_tone", "exc1_decay", "level",
                        "bleed",    "res_decay", "res_tone",   "exc1_level"};
  for (int t = 0; t < 8; ++t) {
    ob::Track& track = pat.tracks[t];
    if (track.id[0] == '\0') ob::copyText(track.id, ("v-extra-" + std::to_string(t)).c_str());
    track.soundIndex = static_cast<std::int8_t>(t);
    if (t >= 6) ob::initSoundParams(pat.kit.sounds[t], ob::kMachineDrum);
    track.rate = 5;
    track.chromatic = 1;
    for (int s = 0; s < ob::kStepsPerTrack; ++s) {
      ob::Step& step = track.steps[s];
      step.active = 1;
      step.velocity = static_cast<std::uint8_t>(60 + s);
      step.note = static_cast<std::uint8_t>(48 + s);
      step.micro = static_cast<std::int8_t>(s - 8);
      step.count = 32;
      step.rateTicks = 1;
      step.velCurve = 40;
      step.lockCount = 0;
      step.randCount = 0;
      if (!loaded) continue;
      step.randVel = 0.2f;
      step.randTime = 0.1f;
      step.randPan = 0.3f;
      step.panLocked = 1;
      step.panValue = 0.25f;
      for (int i = 0; i < 8; ++i) {
        const int param = ob::findParamIndex(ob::kMachineDrum, keys[i]);
        ob::setStepLock(step, param, 0.1f * static_cast<float>(i + 1));
        step.rands[i] = {static_cast<std::uint8_t>(param), 0.05f * static_cast<float>(i + 1)};
      }
      step.randCount = 8;
    }
  }
  return p;
}

ob::JsonValue reparsed(const ob::JsonValue& v) {
  ob::JsonValue out;
  std::string error;
  ob::parseJson(ob::writeJson(v), out, error);
  return out;
}

void BM_AuditionWrite(benchmark::State& state) {
  auto p = worstCase(state.range(0) != 0);
  std::size_t notes = 0;
  for (auto _ : state) {
    ob::JsonValue doc = ob::writeAudition(*p, p->samples);
    notes = ob::JsonElements(*doc.find("notes")).size();
    benchmark::DoNotOptimize(doc);
  }
  state.counters["notes"] = static_cast<double>(notes);
}

void BM_AuditionFingerprint(benchmark::State& state) {
  auto p = worstCase(state.range(0) != 0);
  // As read from a document: every number carries its spelling.
  const ob::JsonValue doc = reparsed(ob::writeAudition(*p, p->samples));
  const ob::JsonValue& notes = *doc.find("notes");
  for (auto _ : state) benchmark::DoNotOptimize(ob::notesFingerprint(notes));
}

void BM_AuditionRead(benchmark::State& state) {
  auto p = worstCase(state.range(0) != 0);
  const ob::JsonValue doc = reparsed(ob::writeAudition(*p, p->samples));
  auto target = ob::makeProject();
  for (auto _ : state) {
    *target = *p;
    ob::Diagnostics d;
    ob::readAudition(doc, *target, target->samples, d, "/audition");
    benchmark::DoNotOptimize(target->patterns[0].tracks[0].steps[0].velocity);
  }
}

// Notes edited in another program: the grid is rebuilt from the notes.
void BM_AuditionReadPlaced(benchmark::State& state) {
  auto p = worstCase(state.range(0) != 0);
  ob::JsonValue doc = reparsed(ob::writeAudition(*p, p->samples));
  doc.find("notes")->elements[0].find("vel")->number = 0.5;
  doc.find("notes")->elements[0].find("vel")->numberText.clear();
  auto target = ob::makeProject();
  for (auto _ : state) {
    *target = *p;
    ob::Diagnostics d;
    ob::readAudition(doc, *target, target->samples, d, "/audition");
    benchmark::DoNotOptimize(target->patterns[0].tracks[0].steps[0].velocity);
  }
}

// A save followed by a load of the same pattern.
void BM_AuditionSaveAndLoad(benchmark::State& state) {
  auto p = worstCase(state.range(0) != 0);
  auto target = ob::makeProject();
  for (auto _ : state) {
    const ob::JsonValue doc = ob::writeAudition(*p, p->samples);
    *target = *p;
    ob::Diagnostics d;
    ob::readAudition(doc, *target, target->samples, d, "/audition");
    benchmark::DoNotOptimize(target->patterns[0].tracks[0].steps[0].velocity);
  }
}

BENCHMARK(BM_AuditionWrite)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AuditionFingerprint)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AuditionRead)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AuditionReadPlaced)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AuditionSaveAndLoad)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
