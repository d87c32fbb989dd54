#pragma once
// What the instance state tests work on: JSON from text, finding lookups, a
// grid-only test audition, and a richer project than the demo.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "document/diagnostics.h"
#include "document/instance/state_fields.h"
#include "document/json/json.h"
#include "engine/model/demo_project.h"
#include "engine/model/project.h"
#include "engine/model/project_ids.h"
#include "engine/params/param_tables.h"

namespace obtest {

inline ob::JsonValue json(std::string_view text) {
  ob::JsonValue v;
  std::string error;
  EXPECT_TRUE(ob::parseJson(text, v, error)) << error << "\n" << text;
  return v;
}

inline int countCode(const ob::Diagnostics& d, std::string_view code, std::string_view path = {}) {
  int n = 0;
  for (const ob::Diagnostic& x : d)
    if (x.code == code && (path.empty() || x.path == path)) ++n;
  return n;
}

inline const ob::Diagnostic* findCode(const ob::Diagnostics& d, std::string_view code) {
  for (const ob::Diagnostic& x : d)
    if (x.code == code) return &x;
  return nullptr;
}

inline int errorCount(const ob::Diagnostics& d) {
  int n = 0;
  for (const ob::Diagnostic& x : d) n += x.severity == ob::Severity::Error ? 1 : 0;
  return n;
}

inline std::string listing(const ob::Diagnostics& d) {
  std::string s;
  for (const ob::Diagnostic& x : d) s += x.code + " @" + x.path + ": " + x.message + "\n";
  return s;
}

inline bool sameBytes(const ob::Project& a, const ob::Project& b) {
  return std::memcmp(&a, &b, sizeof(ob::Project)) == 0;
}

// ---- A project that uses every field the state carries.

inline void setSound(ob::Sound& s, int machine, const char* name) {
  ob::initSoundParams(s, machine);
  ob::copyText(s.name, name);
}

inline void buildRichProject(ob::Project& p) {
  ob::buildDemoProject(p);
  ob::Pattern& pat = p.patterns[0];
  ob::Kit& kit = pat.kit;
  ob::copyText(p.author, "Tester");
  ob::copyText(pat.name, "Verse");
  p.version = 7;
  p.seed = 0x0123456789abcdefull;
  kit.version = 3;
  ob::copyText(kit.author, "Kit author");
  ob::copyText(kit.tags[0], "dry");
  ob::copyText(kit.tags[1], "tight");
  kit.tagCount = 2;

  // Two samples with ids, tags, slices and a factory set.
  p.samples.count = 2;
  ob::copyText(p.samples.slots[0].id, "smp-kick");
  ob::copyText(p.samples.slots[0].name, "Kick one");
  ob::copyText(p.samples.slots[0].tags[0], "kick");
  p.samples.slots[0].tagCount = 1;
  p.samples.slots[0].slices[0] = 0.1f;
  p.samples.slots[0].slices[1] = 0.5f;
  p.samples.slots[0].sliceCount = 2;
  p.samples.slots[0].src = 2;
  ob::copyText(p.samples.slots[1].id, "smp-snare");
  ob::copyText(p.samples.slots[1].name, "Snare");

  // Track 6: a sampler with zones and velocity routes.
  ob::Sound& sampler = kit.sounds[6];
  setSound(sampler, ob::kMachineSample, "Layered");
  sampler.params[0] = 1.0f;  // the second sample
  sampler.mode = 2;
  sampler.zoneCount = 2;
  sampler.slot[0] = 0;
  sampler.velMax[0] = 64;
  sampler.slot[1] = 1;
  sampler.velMax[1] = 127;
  sampler.velDestCount = 1;
  sampler.velDests[0].param = 0;
  sampler.velDests[0].value = 0.25f;
  // Track 7: a VA sound, not muted tracks and modulators.
  ob::Sound& va = kit.sounds[7];
  setSound(va, ob::kMachineVa, "Zap");
  pat.numTracks = 8;
  for (int t = 6; t < 8; ++t) {
    ob::Track& tr = pat.tracks[t];
    tr.soundIndex = static_cast<std::int8_t>(t);
    tr.steps[t].active = 1;
  }
  ob::Track& t6 = pat.tracks[6];
  t6.rate = 4;
  t6.chromatic = 1;
  t6.swing = 0.25f;
  t6.chokeGroup = 2;
  t6.lfos[1].enabled = 1;
  t6.lfos[1].dest = 3;
  t6.lfos[1].rate = 2.5f;
  t6.lfos[1].shape = 4;
  t6.lfos[1].depth = -0.5f;
  t6.lfos[1].trig = 3;
  t6.lfos[1].sync = 1;
  t6.lfos[1].rateDiv = 7;
  t6.modEnvs[0].enabled = 1;
  t6.modEnvs[0].dest = 2;
  t6.modEnvs[0].attack = 0.01f;
  t6.modEnvs[0].hold = 0.1f;
  t6.modEnvs[0].decay = 0.3f;
  t6.modEnvs[0].depth = 0.75f;
  t6.modEnvs[0].sync = 1;
  t6.modEnvs[0].atkDiv = 0;
  t6.modEnvs[0].decDiv = 9;
  t6.trackRandCount = 2;
  t6.trackRands[0].param = 1;
  t6.trackRands[0].value = 0.2f;
  t6.trackRands[1].param = 5;
  t6.trackRands[1].value = 0.4f;
  pat.muteMask = 0x81;
  pat.tracks[7].modEnvs[1].enabled = 1;
  pat.tracks[7].modEnvs[1].dest = 1;

  ob::Macro& m = kit.macros[2];
  ob::copyText(m.name, "Squash");
  m.value = 0.3f;
  m.destCount = 1;
  m.dests[0].track = 7;
  m.dests[0].param = 0;
  m.dests[0].target = 0.5f;
  kit.macros[3].value = 1.0f;
  ob::assignPatternIds(pat);
}

}  // namespace obtest
