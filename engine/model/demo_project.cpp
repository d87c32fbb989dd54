#include "engine/model/demo_project.h"

#include <cstring>
#include <memory>

#include "engine/model/edit_command.h"
#include "engine/model/project_ids.h"
#include "engine/params/param_tables.h"

namespace ob {
namespace {

struct KeyValue {
  const char* key;
  float value;
};

struct DemoSound {
  const char* name;
  KeyValue params[16];
  int paramCount;
};

const DemoSound kSounds[6] = {
    {"Kick",
     {{"exc1_type", 1},
      {"exc1_tone", 0.5f},
      {"exc1_decay", 0.003f},
      {"exc1_level", 0.5f},
      {"bleed", 1},
      {"res_type", 1},
      {"res_tune", 55},
      {"res_decay", 0.35f},
      {"res_tone", 0},
      {"res_level", 0.9f},
      {"res_aux1", 0.583f},
      {"res_aux2", 0.114f},
      {"dist_amt", 0.2f},
      {"level", 0.9f}},
     14},
    {"Snare",
     {{"exc1_type", 3},
      {"exc1_tone", 0.153f},
      {"exc1_decay", 0.12f},
      {"exc1_level", 0.5f},
      {"exc1_aux1", 0.2f},
      {"exc1_aux2", 0.5f},
      {"bleed", 0.55f},
      {"res_type", 2},
      {"res_tune", 180},
      {"res_decay", 0.25f},
      {"res_tone", 0.5f},
      {"res_level", 0.7f},
      {"res_aux1", 0.583f},
      {"res_aux2", 0.2f},
      {"level", 0.85f}},
     15},
    {"Closed hat",
     {{"exc1_type", 3},
      {"exc1_tone", 0.661f},
      {"exc1_decay", 0.04f},
      {"exc1_level", 0.6f},
      {"exc1_aux1", 0.15f},
      {"exc1_aux2", 0.3f},
      {"bleed", 1},
      {"res_type", 0},
      {"res_level", 0},
      {"level", 0.8f}},
     10},
    {"Open hat",
     {{"exc1_type", 3},
      {"exc1_tone", 0.62f},
      {"exc1_decay", 0.28f},
      {"exc1_level", 0.55f},
      {"exc1_aux1", 0.2f},
      {"exc1_aux2", 0.25f},
      {"bleed", 1},
      {"res_type", 0},
      {"res_level", 0},
      {"level", 0.7f}},
     10},
    {"Tom",
     {{"exc1_type", 1},
      {"exc1_tone", 0.15f},
      {"exc1_decay", 0.012f},
      {"exc1_level", 0.5f},
      {"bleed", 0.8f},
      {"res_type", 3},
      {"res_tune", 110},
      {"res_decay", 0.4f},
      {"res_tone", 0.5f},
      {"res_level", 0.8f},
      {"res_aux1", 0.15f},
      {"level", 0.85f}},
     12},
    {"Rim",
     {{"exc1_type", 1},
      {"exc1_tone", 0.9f},
      {"exc1_decay", 0.002f},
      {"exc1_level", 0.6f},
      {"bleed", 0.6f},
      {"res_type", 3},
      {"res_tune", 400},
      {"res_decay", 0.06f},
      {"res_tone", 0.6f},
      {"res_level", 0.8f},
      {"res_aux1", 0.3f},
      {"level", 0.85f}},
     12},
};

const float kGain[6] = {1.0f, 0.8f, 0.55f, 0.5f, 0.65f, 0.55f};
const float kPan[6] = {0.0f, 0.06f, 0.35f, 0.28f, -0.22f, -0.34f};

struct DemoHit {
  int track;
  int step;
  int velocity;
};

const DemoHit kHits[] = {
    {0, 0, 127}, {0, 4, 127}, {0, 8, 127},  {0, 12, 127}, {1, 4, 118}, {1, 12, 118}, {1, 7, 70},  {2, 0, 88},
    {2, 2, 88},  {2, 4, 88},  {2, 6, 88},   {2, 8, 88},   {2, 10, 88}, {2, 12, 88},  {2, 14, 88}, {2, 15, 80},
    {3, 6, 78},  {3, 14, 96}, {4, 10, 100}, {4, 11, 92},  {5, 2, 84},  {5, 13, 78},
};

struct DemoStepValue {
  int track;
  int step;
  const char* key;
  float value;
  bool random;  // a random depth rather than a lock
};

const DemoStepValue kStepValues[] = {
    {0, 12, "res_tune", 72, false},     {1, 7, "exc1_tone", 0.3f, true},
    {1, 7, "res_tune", 0.22f, true},    {1, 12, "exc1_tone", 0.34f, false},
    {2, 14, "exc1_type", 1, false},     {2, 14, "exc1_decay", 0.006f, false},
    {3, 6, "exc1_decay", 0.12f, false}, {3, 14, "exc1_decay", 0.35f, true},
    {4, 11, "res_tune", 74, false},
};

void addRandom(Step& step, int param, float depth) {
  if (step.randCount >= kListCapacity) return;
  step.rands[step.randCount].param = static_cast<std::uint8_t>(param);
  step.rands[step.randCount].value = depth;
  ++step.randCount;
}

void setLfo(Lfo& lfo, const char* destKey, float rate, int shape, float depth, int mode) {
  const int dest = findParamIndex(kMachineDrum, destKey);
  if (dest < 0 || dest >= kSoundParamSlots) return;
  lfo.enabled = 1;
  lfo.dest = static_cast<std::uint8_t>(dest);
  lfo.rate = rate;
  lfo.shape = static_cast<std::uint8_t>(shape);
  lfo.depth = depth;
  lfo.trig = static_cast<std::uint8_t>(mode);
  lfo.sync = 0;
  lfo.rateDiv = 5;
}

void addMacroDest(Macro& macro, int track, const char* key, float target) {
  const int param = findParamIndex(kMachineDrum, key);
  if (param < 0 || macro.destCount >= kListCapacity) return;
  MacroDest& d = macro.dests[macro.destCount++];
  d.track = static_cast<std::uint8_t>(track);
  d.param = static_cast<std::uint8_t>(param);
  d.target = target;
}

}  // namespace

Project& buildDemoProject(Project& destination) {
  // Constructed in place (zero-filled, then defaults) rather than in a
  // 62 KiB local; the same bytes whatever the destination held before.
  std::destroy_at(&destination);
  std::memset(static_cast<void*>(&destination), 0, sizeof(Project));
  std::construct_at(&destination);
  Project& project = destination;
  Pattern& pattern = project.patterns[0];

  copyText(project.name, "Demo Beat");
  copyText(pattern.kit.name, "Demo Kit");
  pattern.numTracks = 6;
  pattern.length = 16;
  pattern.bpm = 124.0f;
  pattern.swing = 56.0f;
  pattern.accentAmount = 0.18f;
  pattern.accentEvery = 4;
  pattern.accentCurve = 0.6f;

  for (int s = 0; s < 6; ++s) {
    Sound& sound = pattern.kit.sounds[s];
    initSoundParams(sound, kMachineDrum);
    copyText(sound.name, kSounds[s].name);
    for (int i = 0; i < kSounds[s].paramCount; ++i) {
      const int index = findParamIndex(kMachineDrum, kSounds[s].params[i].key);
      if (index >= 0 && index < kSoundParamSlots) sound.params[index] = kSounds[s].params[i].value;
    }
  }

  for (int t = 0; t < 6; ++t) {
    Track& track = pattern.tracks[t];
    track.soundIndex = static_cast<std::int8_t>(t);
    track.length = 16;
    track.chromatic = 0;
    track.gain = kGain[t];
    track.pan = kPan[t];
  }

  for (const DemoHit& hit : kHits) {
    Step& step = pattern.tracks[hit.track].steps[hit.step];
    step.active = 1;
    step.note = 60;
    step.velocity = static_cast<std::uint8_t>(hit.velocity);
    step.lengthTicks = 6;
  }
  for (const DemoStepValue& sv : kStepValues) {
    const int param = findParamIndex(kMachineDrum, sv.key);
    if (param < 0 || param >= kSoundParamSlots) continue;
    Step& step = pattern.tracks[sv.track].steps[sv.step];
    if (sv.random)
      addRandom(step, param, sv.value);
    else
      setStepLock(step, param, sv.value);
  }

  Step& roll = pattern.tracks[2].steps[15];
  roll.lengthTicks = 2;
  roll.count = 4;
  roll.rateTicks = 6;
  roll.velCurve = -50;

  setLfo(pattern.tracks[2].lfos[0], "exc1_tone", 0.37f, 0, 0.3f, 0);
  setLfo(pattern.tracks[4].lfos[0], "res_aux1", 0.8f, 1, 0.35f, 1);

  Macro& macro = pattern.kit.macros[0];
  copyText(macro.name, "Open up");
  macro.value = 0.0f;
  addMacroDest(macro, 2, "exc1_decay", 0.16f);
  addMacroDest(macro, 1, "res_decay", 0.6f);

  assignPatternIds(pattern);
  return destination;
}

}  // namespace ob
