#include "document/project/sanitize_project.h"

#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>
#include <memory>

#include "engine/clock/tempo.h"
#include "engine/model/edit_command.h"
#include "engine/model/utf8_text.h"
#include "engine/params/param_tables.h"

namespace ob {
namespace {

constexpr float kBig = std::numeric_limits<float>::max();

// Counts what it changes so callers and tests can tell a clean record.
struct Fixer {
  int changed = 0;

  template <typename T>
  void clampInt(T& field, int lo, int hi) {
    const int v = static_cast<int>(field);
    const int c = v < lo ? lo : (v > hi ? hi : v);
    if (c != v) {
      field = static_cast<T>(c);
      ++changed;
    }
  }

  void flag(std::uint8_t& field) {
    if (field > 1) {
      field = 1;
      ++changed;
    }
  }

  // NaN and infinities take the fallback; finite values are pulled into lo..hi.
  void clampFloat(float& field, float lo, float hi, float fallback) {
    float c = field;
    if (!std::isfinite(c))
      c = fallback;
    else if (c < lo)
      c = lo;
    else if (c > hi)
      c = hi;
    if (std::memcmp(&c, &field, sizeof c) != 0) {
      field = c;
      ++changed;
    }
  }

  void finite(float& field, float fallback) {
    if (!std::isfinite(field)) {
      field = fallback;
      ++changed;
    }
  }

  // Terminated inside the field, and UTF-8: what is not reads as U+FFFD,
  // cut at a character's boundary.
  template <std::size_t N>
  void text(char (&field)[N]) {
    if (field[N - 1] != '\0') {
      field[N - 1] = '\0';
      ++changed;
    }
    if (!isValidUtf8(field)) {
      copyText(field, mendedUtf8(field).c_str());
      ++changed;
    }
  }

  // Keeps the entries 0..count-1 whose parameter indexes a sound's array,
  // in order; the vacated tail is reset to empty entries.
  void paramList(std::uint8_t& count, ParamLock (&list)[kListCapacity], float lo, float hi) {
    clampInt(count, 0, kListCapacity);
    int kept = 0;
    for (int i = 0; i < count; ++i) {
      if (list[i].param >= kSoundParamSlots) {
        ++changed;
        continue;
      }
      ParamLock entry = list[i];
      clampFloat(entry.value, lo, hi, 0.0f);
      list[kept++] = entry;
    }
    for (int i = kept; i < count; ++i) std::construct_at(&list[i]);
    count = static_cast<std::uint8_t>(kept);
    for (int i = count; i < kListCapacity; ++i) finite(list[i].value, 0.0f);
  }
};

void fixStep(Fixer& f, Step& s) {
  f.flag(s.active);
  f.flag(s.muted);
  f.flag(s.slide);
  f.clampInt(s.note, 0, 127);
  f.clampInt(s.velocity, 0, 127);
  f.clampInt(s.micro, -64, 63);
  f.clampInt(s.lengthTicks, 1, 1536);
  // Locked values are parameter values; their range is the parameter's,
  // which the player clamps. Only non-finite values are refused here.
  f.paramList(s.lockCount, s.locks, -kBig, kBig);
  f.clampInt(s.count, 0, 32);
  f.clampInt(s.rateTicks, 0, 192);  // 0 until a retrig rate is set
  f.paramList(s.randCount, s.rands, 0.0f, kBig);
  f.clampFloat(s.randVel, 0.0f, 1.0f, 0.0f);
  f.clampFloat(s.randTime, 0.0f, 1.0f, 0.0f);
  f.clampFloat(s.randPan, 0.0f, 1.0f, 0.0f);
  f.flag(s.panLocked);
  f.clampFloat(s.panValue, -1.0f, 1.0f, 0.0f);
}

void fixTrack(Fixer& f, Track& t) {
  f.text(t.id);
  for (Step& s : t.steps) fixStep(f, s);
  f.clampInt(t.length, 1, kStepsPerTrack);
  f.clampInt(t.rate, 0, kTrackRateCount - 1);
  f.flag(t.chromatic);
  if (!std::isfinite(t.swing) || t.swing < 0.0f) {
    if (t.swing != -1.0f) {
      t.swing = -1.0f;
      ++f.changed;
    }
  } else {
    f.clampFloat(t.swing, 50.0f, 80.0f, -1.0f);
  }
  if (t.soundIndex < -1 || t.soundIndex >= kMaxTracks) {
    t.soundIndex = -1;
    ++f.changed;
  }
  f.finite(t.gain, 1.0f);
  f.clampFloat(t.pan, -1.0f, 1.0f, 0.0f);
  if (t.chokeGroup >= kChokeGroups && t.chokeGroup != kNoChokeGroup) {
    t.chokeGroup = kNoChokeGroup;
    ++f.changed;
  }
  for (Lfo& l : t.lfos) {
    f.flag(l.enabled);
    f.clampInt(l.dest, 0, kSoundParamSlots - 1);
    f.clampFloat(l.rate, 0.01f, 50.0f, 1.0f);
    f.clampInt(l.shape, 0, 5);
    f.clampFloat(l.depth, -1.0f, 1.0f, 0.0f);
    f.clampInt(l.trig, 0, 4);
    f.flag(l.sync);
    f.clampInt(l.rateDiv, 0, kDivisionCount - 1);
  }
  for (ModEnv& e : t.modEnvs) {
    f.flag(e.enabled);
    f.clampInt(e.dest, 0, kSoundParamSlots - 1);
    f.clampFloat(e.attack, 0.0f, 8.0f, 0.0f);
    f.clampFloat(e.hold, 0.0f, 8.0f, 0.0f);
    f.clampFloat(e.decay, 0.0f, 16.0f, 0.2f);
    f.clampFloat(e.depth, -1.0f, 1.0f, 0.0f);
    f.flag(e.sync);
    f.clampInt(e.atkDiv, 0, kDivisionCount - 1);
    f.clampInt(e.decDiv, 0, kDivisionCount - 1);
  }
  f.paramList(t.trackRandCount, t.trackRands, 0.0f, kBig);
}

// Choice parameters pick table entries and are always pinned to their range.
// Continuous values are pinned only on sounds a track plays: an unused sound
// keeps the all-zero values of a fresh record, which the model allows.
void fixSound(Fixer& f, Sound& s, bool inUse) {
  f.text(s.id);
  f.text(s.name);
  if (s.machine > kMachineDrum) {
    s.machine = kMachineDrum;
    ++f.changed;
  }
  const int n = paramCount(s.machine);
  for (int i = 0; i < kSoundParamSlots; ++i) {
    if (i >= n) {
      f.finite(s.params[i], 0.0f);
      continue;
    }
    const ParamInfo info = paramInfo(s.machine, i);
    const float lo = info.min < info.max ? info.min : info.max;
    const float hi = info.min < info.max ? info.max : info.min;
    if (info.stepped || inUse)
      f.clampFloat(s.params[i], lo, hi, info.defaultValue);
    else
      f.finite(s.params[i], info.defaultValue);
  }
  f.clampInt(s.zoneCount, 0, kListCapacity);
  f.clampInt(s.mode, 0, 2);
  for (int z = 0; z < kListCapacity; ++z) {
    f.clampInt(s.slot[z], 0, kSampleSlots - 1);
    f.clampInt(s.velMax[z], 0, 127);
  }
  f.paramList(s.velDestCount, s.velDests, -1.0f, 1.0f);
}

void fixMacro(Fixer& f, Macro& m) {
  f.text(m.name);
  f.clampFloat(m.value, 0.0f, 1.0f, 0.0f);
  f.clampInt(m.destCount, 0, kListCapacity);
  int kept = 0;
  for (int i = 0; i < m.destCount; ++i) {
    MacroDest d = m.dests[i];
    if (d.track >= kMaxTracks || d.param >= kSoundParamSlots) {
      ++f.changed;
      continue;
    }
    f.finite(d.target, 0.0f);
    m.dests[kept++] = d;
  }
  for (int i = kept; i < m.destCount; ++i) std::construct_at(&m.dests[i]);
  m.destCount = static_cast<std::uint8_t>(kept);
  for (int i = kept; i < kListCapacity; ++i) f.finite(m.dests[i].target, 0.0f);
}

void fixPattern(Fixer& f, Pattern& p) {
  for (Track& t : p.tracks) fixTrack(f, t);
  f.clampInt(p.numTracks, 0, kMaxTracks);
  bool played[kMaxTracks] = {};
  for (int t = 0; t < p.numTracks; ++t) {
    const int s = p.tracks[t].soundIndex;
    if (s >= 0 && s < kMaxTracks) played[s] = true;
  }
  Kit& kit = p.kit;
  for (int s = 0; s < kMaxTracks; ++s) fixSound(f, kit.sounds[s], played[s]);
  for (Macro& m : kit.macros) fixMacro(f, m);
  f.text(kit.name);
  f.text(kit.author);
  for (auto& tag : kit.tags) f.text(tag);
  f.clampInt(kit.tagCount, 0, kTagCapacity);
  f.text(p.name);
  f.flag(p.grooveEdited);
  f.clampInt(p.length, 1, kStepsPerTrack);
  f.clampFloat(p.swing, 50.0f, 80.0f, 50.0f);
  // Zero or a negative tempo already means the default to every reader of it.
  if (!std::isfinite(p.bpm)) {
    p.bpm = kDefaultTempo;
    ++f.changed;
  } else if (p.bpm > 0.0f) {
    f.clampFloat(p.bpm, kMinBpm, kMaxBpm, kDefaultTempo);
  }
  f.clampFloat(p.accentAmount, 0.0f, 1.0f, 0.0f);
  f.clampInt(p.accentEvery, 1, 16);
  f.clampFloat(p.accentCurve, 0.0f, 1.0f, 0.5f);
}

void fixSamples(Fixer& f, SampleSlotTable& table) {
  f.clampInt(table.count, 0, kSampleSlots);
  for (SampleSlot& s : table.slots) {
    f.text(s.id);
    f.text(s.factory);
    f.text(s.name);
    for (auto& tag : s.tags) f.text(tag);
    f.clampInt(s.tagCount, 0, kTagCapacity);
    f.clampInt(s.sliceCount, 0, kMaxSlices);
    for (float& x : s.slices) f.finite(x, 0.0f);
    // Source codes name a row of the sample-credits table: 0 user, 1..4 sets.
    if (s.src > 4) {
      s.src = 0;
      ++f.changed;
    }
  }
}

}  // namespace

int sanitizePattern(Pattern& pattern) {
  Fixer f;
  fixPattern(f, pattern);
  return f.changed;
}

int sanitizeProject(Project& project) {
  Fixer f;
  fixPattern(f, project.patterns[0]);
  if (project.patternCount != 1) {
    project.patternCount = 1;
    ++f.changed;
  }
  fixSamples(f, project.samples);
  f.text(project.name);
  f.text(project.author);
  return f.changed;
}

}  // namespace ob
