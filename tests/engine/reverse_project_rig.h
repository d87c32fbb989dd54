#pragma once
// Seeded random projects that play reversed hits: every machine kind, locks
// and random amounts (some on the reverse switch itself), LFOs and envelopes
// of every mode, retrigs, micro timing, slides, swing, velocity routes and
// layer zones; with the sample memory they play and a seeded run of tempo
// changes and edits to play them with.

#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "engine/engine/engine.h"
#include "engine/model/demo_project.h"
#include "engine/model/edit_command.h"
#include "engine/model/project.h"
#include "engine/params/param_tables.h"
#include "engine/pool/sample_pool_snapshot.h"

namespace reversetest {

// Four slots of synthetic audio: a decaying tone, a noise burst, a click and
// a long swell, a mix of lengths around and beyond one second.
inline const ob::SamplePoolSnapshot& testSamples() {
  static std::vector<float> audio[4];
  static ob::SamplePoolSnapshot snap;
  if (audio[0].empty()) {
    std::uint32_t x = 0x2468aceu;
    const int lengths[4] = {30000, 9000, 800, 70000};
    for (int s = 0; s < 4; ++s) {
      audio[s].resize(static_cast<std::size_t>(lengths[s]));
      for (int i = 0; i < lengths[s]; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        const double t = i / 44100.0;
        const double noise = (x >> 8) * 0x1.0p-23 - 1.0;
        const double tone = std::sin(6.283185307 * (110.0 + 70.0 * s) * t);
        const double env = s == 3 ? t / 1.6 : std::exp(-t * (3.0 + 10.0 * s));
        audio[s][static_cast<std::size_t>(i)] = static_cast<float>((0.6 * tone + 0.3 * noise) * env);
      }
      snap.slots[s].left = audio[s].data();
      snap.slots[s].frames = lengths[s];
      snap.slots[s].sampleRate = 44100.0;
      snap.slots[s].peak = 1.0f;
    }
  }
  return snap;
}

class Dice {
 public:
  explicit Dice(std::uint32_t seed) : rng_(seed) {}
  int below(int n) { return n > 0 ? static_cast<int>(rng_() % static_cast<std::uint32_t>(n)) : 0; }
  bool chance(double p) { return std::uniform_real_distribution<double>(0.0, 1.0)(rng_) < p; }
  float between(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng_); }

 private:
  std::mt19937 rng_;
};

inline void setParam(ob::Sound& s, const char* key, float v) {
  const int i = ob::findParamIndex(s.machine, key);
  if (i >= 0) s.params[i] = v;
}

inline int revIndex(int machine) { return ob::findParamIndex(machine, "voice_rev"); }

// A value inside a parameter's range.
inline float anyValue(Dice& d, int machine, int param) {
  const ob::ParamInfo info = ob::paramInfo(machine, param);
  if (info.stepped)
    return static_cast<float>(static_cast<int>(info.min) +
                              d.below(static_cast<int>(info.max - info.min) + 1));
  return d.between(info.min, info.max);
}

// A parameter index the machine has, sometimes the reverse switch.
inline std::uint8_t anyParam(Dice& d, int machine) {
  if (d.chance(0.15)) return static_cast<std::uint8_t>(revIndex(machine));
  return static_cast<std::uint8_t>(d.below(ob::paramCount(machine)));
}

inline void randomSound(Dice& d, ob::Sound& s, int machine) {
  ob::initSoundParams(s, machine);
  if (machine == ob::kMachineDrum) {
    setParam(s, "exc1_type", static_cast<float>(d.below(8)));
    setParam(s, "exc2_type", static_cast<float>(d.below(8)));
    setParam(s, "res_type", static_cast<float>(d.below(9)));
    setParam(s, "res_decay", d.between(0.05f, 2.0f));
    setParam(s, "exc1_decay", d.between(0.01f, 0.6f));
  } else {
    setParam(s, "slot", static_cast<float>(d.below(4)));
    setParam(s, "decay", d.between(0.05f, 2.0f));
  }
  for (int i = 0; i < 3; ++i) {
    const int p = d.below(ob::paramCount(machine));
    if (p != revIndex(machine)) s.params[p] = anyValue(d, machine, p);
  }
  setParam(s, "amp_decay", d.between(0.1f, 3.0f));
  setParam(s, "space_mix", d.chance(0.4) ? d.between(0.1f, 0.6f) : 0.0f);
  setParam(s, "voice_rev", d.chance(0.75) ? 1.0f : 0.0f);
  if (d.chance(0.3)) {
    s.velDestCount = 1;
    s.velDests[0].param = anyParam(d, machine);
    s.velDests[0].value = d.between(-0.8f, 0.8f);
  }
  if ((machine == ob::kMachineSample || machine == ob::kMachineGranular) && d.chance(0.4)) {
    s.zoneCount = 2;
    s.mode = static_cast<std::uint8_t>(d.below(3));
    s.slot[0] = static_cast<std::uint8_t>(d.below(4));
    s.slot[1] = static_cast<std::uint8_t>(d.below(4));
    s.velMax[0] = static_cast<std::uint8_t>(d.below(127));
    s.velMax[1] = 127;
  }
}

inline void randomModulators(Dice& d, ob::Track& track, int machine) {
  for (ob::Lfo& lfo : track.lfos) {
    lfo = ob::Lfo{};
    if (!d.chance(0.45)) continue;
    lfo.enabled = 1;
    lfo.dest = anyParam(d, machine);
    lfo.rate = d.between(0.1f, 9.0f);
    lfo.shape = static_cast<std::uint8_t>(d.below(6));
    lfo.depth = d.between(-0.6f, 0.6f);
    lfo.trig = static_cast<std::uint8_t>(d.below(5));
    lfo.sync = d.chance(0.3) ? 1 : 0;
    lfo.rateDiv = static_cast<std::uint8_t>(d.below(10));
  }
  for (ob::ModEnv& env : track.modEnvs) {
    env = ob::ModEnv{};
    if (!d.chance(0.3)) continue;
    env.enabled = 1;
    env.dest = anyParam(d, machine);
    env.attack = d.chance(0.5) ? 0.0f : d.between(0.0f, 0.2f);
    env.hold = d.between(0.0f, 0.1f);
    env.decay = d.between(0.02f, 1.0f);
    env.depth = d.between(-0.7f, 0.7f);
    env.sync = d.chance(0.25) ? 1 : 0;
  }
  track.trackRandCount = 0;
  if (d.chance(0.3)) {
    track.trackRandCount = 1;
    track.trackRands[0].param = anyParam(d, machine);
    track.trackRands[0].value = d.between(0.05f, 0.8f);
  }
}

inline void randomStep(Dice& d, ob::Step& st, int machine) {
  st = ob::Step{};
  st.active = d.chance(0.45) ? 1 : 0;
  st.velocity = static_cast<std::uint8_t>(d.chance(0.08) ? 0 : 1 + d.below(127));
  st.note = static_cast<std::uint8_t>(48 + d.below(24));
  if (d.chance(0.3)) st.micro = static_cast<std::int8_t>(d.below(128) - 64);
  if (d.chance(0.15)) {
    st.count = static_cast<std::uint8_t>(2 + d.below(3));
    st.rateTicks = static_cast<std::uint16_t>(3 + d.below(10));
    st.velCurve = static_cast<std::int8_t>(d.below(256) - 128);
  }
  if (d.chance(0.2)) st.randVel = d.between(0.0f, 0.5f);
  if (d.chance(0.15)) st.randTime = d.between(0.0f, 0.4f);
  if (d.chance(0.1)) st.slide = 1;
  const int locks = d.chance(0.35) ? 1 + d.below(3) : 0;
  for (int i = 0; i < locks; ++i) {
    const std::uint8_t p = anyParam(d, machine);
    st.locks[st.lockCount].param = p;
    st.locks[st.lockCount].value = anyValue(d, machine, p);
    ++st.lockCount;
  }
  if (d.chance(0.2)) {
    st.randCount = 1;
    st.rands[0].param = anyParam(d, machine);
    st.rands[0].value = d.between(0.05f, 0.9f);
  }
}

// Eight tracks, each on its own sound.
inline std::unique_ptr<ob::Project> randomProject(std::uint32_t seed) {
  Dice d(seed);
  auto project = ob::makeProject();
  ob::buildDemoProject(*project);
  ob::Pattern& pat = project->patterns[0];
  pat.numTracks = 8;
  pat.bpm = d.between(70.0f, 190.0f);
  pat.swing = d.chance(0.5) ? d.between(50.0f, 75.0f) : 50.0f;
  for (int t = 0; t < 8; ++t) {
    const int machine = d.chance(0.5) ? ob::kMachineDrum : d.below(3);
    ob::Track& track = pat.tracks[t];
    track.soundIndex = static_cast<std::int8_t>(t);
    track.rate = static_cast<std::uint8_t>(d.below(6));
    track.length = static_cast<std::uint16_t>(8 + d.below(9));
    track.chromatic = d.chance(0.3) ? 1 : 0;
    track.chokeGroup = d.chance(0.15) ? 1 : ob::kNoChokeGroup;
    randomSound(d, pat.kit.sounds[t], machine);
    randomModulators(d, track, machine);
    for (ob::Step& st : track.steps) randomStep(d, st, machine);
  }
  for (ob::Macro& m : pat.kit.macros) m.value = d.chance(0.3) ? d.between(0.0f, 1.0f) : 0.0f;
  return project;
}

// What the host does before one block: the transport record (which now and
// then stops for a while), and the triggers, timed events and edits it
// hands over. Drawn from a seed so two engines can be driven identically.
struct Host {
  Dice dice;
  double tempo;
  std::int64_t position = 0;
  bool hostNotes;
  bool edits;
  std::int64_t restFrames = 0;  // the transport stays stopped this much longer

  Host(std::uint32_t seed, double bpm, bool notes, bool withEdits)
      : dice(seed), tempo(bpm), hostNotes(notes), edits(withEdits) {}

  // Before a block of n frames: fills `info`, queues into both engines.
  template <typename Each>
  ob::RenderInfo next(int n, double rate, Each&& each) {
    if (dice.chance(static_cast<double>(n) / (rate * 0.7))) tempo = dice.between(60.0f, 200.0f);
    if (restFrames <= 0 && dice.chance(static_cast<double>(n) / (rate * 1.5)))
      restFrames = static_cast<std::int64_t>(dice.between(0.02f, 0.5f) * rate);
    const std::uint8_t playing = restFrames > 0 ? 0 : 1;
    restFrames -= n;
    ob::RenderInfo info;
    info.playing = playing;
    info.clockRunning = playing;
    info.internalPlay = playing;
    info.tempo = tempo;
    info.hasPosition = 1;
    info.position = position;
    if (dice.chance(static_cast<double>(n) / (rate * 3.0))) info.position += dice.below(5000);  // a jump
    position = info.position + n;
    if (hostNotes && dice.chance(static_cast<double>(n) / (rate * 0.4))) {
      ob::Trigger tr;
      tr.track = static_cast<std::uint8_t>(dice.below(8));
      tr.time = static_cast<std::uint32_t>(dice.below(n));
      tr.gain = dice.between(0.2f, 1.0f);
      tr.note = 60;
      each([&](ob::Engine& e) { e.queueTrigger(tr); });
    }
    if (edits && dice.chance(static_cast<double>(n) / (rate * 0.5))) {
      ob::EditCommand c;
      c.kind = ob::kEditSoundParam;
      c.track = static_cast<std::uint32_t>(dice.below(8));
      c.param = dice.below(30);
      c.value = dice.between(0.0f, 1.0f);
      ob::BlockEvent ev;
      ev.command = c;
      ev.time = dice.below(n);
      each([&](ob::Engine& e) { e.queueBlockEvent(ev); });
    }
    if (edits && dice.chance(static_cast<double>(n) / (rate * 0.4))) {
      // Posted edits take effect at the next block: a macro, a step lock, an
      // LFO's rate or the pattern tempo.
      ob::EditCommand c;
      c.track = static_cast<std::uint32_t>(dice.below(8));
      c.step = static_cast<std::uint32_t>(dice.below(16));
      c.value = dice.between(0.0f, 1.0f);
      switch (dice.below(4)) {
        case 0:
          c.kind = ob::kEditMacroValue;
          c.param = dice.below(4);
          break;
        case 1:
          c.kind = ob::kEditSetStepLock;
          c.param = dice.below(30);
          break;
        case 2:
          c.kind = ob::kEditLfoRate;
          c.param = dice.below(2);
          c.value = dice.between(0.1f, 8.0f);
          break;
        default:
          c.kind = ob::kEditBpm;
          c.value = dice.between(70.0f, 190.0f);
          break;
      }
      each([&](ob::Engine& e) { e.postCommand(c); });
    }
    return info;
  }
};

}  // namespace reversetest
