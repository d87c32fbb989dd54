// Modulators of a track player: LFOs, envelopes, random offsets, velocity
// routes, smoothing and glide, checked against their defining numbers.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "engine/player/modulator_state.h"
#include "player_harness.h"

namespace ob {
namespace player_modulation_test {

using test::drumIndex;
using test::makePlayer;

constexpr double kRate = 48000.0;

Lfo makeLfo(int dest, float rate, int shape, float depth, int mode) {
  Lfo l;
  l.enabled = 1;
  l.dest = static_cast<std::uint8_t>(dest);
  l.rate = rate;
  l.shape = static_cast<std::uint8_t>(shape);
  l.depth = depth;
  l.trig = static_cast<std::uint8_t>(mode);
  return l;
}

ModEnv makeEnv(int dest, float attack, float hold, float decay, float depth) {
  ModEnv e;
  e.enabled = 1;
  e.dest = static_cast<std::uint8_t>(dest);
  e.attack = attack;
  e.hold = hold;
  e.decay = decay;
  e.depth = depth;
  return e;
}

// Written out independently of the engine's hashing helpers.
std::uint64_t refFnv(const char* s) {
  std::uint64_t h = 0xcbf29ce484222325ull;
  for (; *s; ++s) {
    h ^= static_cast<unsigned char>(*s);
    h *= 0x100000001b3ull;
  }
  return h;
}
std::uint64_t refMix(std::uint64_t z) {
  z ^= z >> 30;
  z *= 0xbf58476d1ce4e5b9ull;
  z ^= z >> 27;
  z *= 0x94d049bb133111ebull;
  z ^= z >> 31;
  return z;
}
float refRandomOffset(const char* key, std::uint64_t seed, float depth, float range) {
  const std::uint64_t g = 0x9e3779b97f4a7c15ull;
  const std::uint64_t a = refMix(refFnv(key) + g);
  const std::uint64_t b = refMix((a ^ seed) + g);
  const std::uint64_t c = refMix(b + g);
  const double u = static_cast<double>(c >> 11) * std::ldexp(1.0, -53);
  return static_cast<float>((2.0 * u - 1.0) * depth * range * 0.5);
}

TEST(PlayerLfo, ShapeValues) {
  EXPECT_FLOAT_EQ(lfoShapeValue(kLfoTri, 0.0, 0), -1.0f);
  EXPECT_FLOAT_EQ(lfoShapeValue(kLfoTri, 0.25, 0), 0.0f);
  EXPECT_FLOAT_EQ(lfoShapeValue(kLfoTri, 0.5, 0), 1.0f);
  EXPECT_FLOAT_EQ(lfoShapeValue(kLfoTri, 0.75, 0), 0.0f);
  EXPECT_NEAR(lfoShapeValue(kLfoSine, 0.25, 0), 1.0f, 1e-7);
  EXPECT_NEAR(lfoShapeValue(kLfoSine, 0.75, 0), -1.0f, 1e-7);
  EXPECT_FLOAT_EQ(lfoShapeValue(kLfoSawUp, 0.0, 0), -1.0f);
  EXPECT_FLOAT_EQ(lfoShapeValue(kLfoSawUp, 0.75, 0), 0.5f);
  EXPECT_FLOAT_EQ(lfoShapeValue(kLfoSawDown, 0.75, 0), -0.5f);
  EXPECT_FLOAT_EQ(lfoShapeValue(kLfoSquare, 0.49, 0), 1.0f);
  EXPECT_FLOAT_EQ(lfoShapeValue(kLfoSquare, 0.5, 0), -1.0f);
  EXPECT_FLOAT_EQ(lfoShapeValue(kLfoRandom, 0.3, 0.42f), 0.42f);
  EXPECT_FLOAT_EQ(lfoShapeValue(9, 0.3, 0.42f), 0.0f);
}

TEST(PlayerLfo, FreeSineQuarterCycle) {
  auto p = makePlayer(kRate);
  p->bindSound(kMachineDrum);
  const int dest = drumIndex("res_tune");
  const float range = 400.0f - 20.0f;
  p->bindLfo(0, makeLfo(dest, 1.0f, kLfoSine, 0.5f, kLfoFree));
  EXPECT_FLOAT_EQ(p->mod().layers[layer::kLfo][dest], 0.0f);  // sin(0)
  p->advanceLfos(12000);
  EXPECT_NEAR(p->lfo(0).phase, 0.25, 1e-12);
  EXPECT_NEAR(p->mod().layers[layer::kLfo][dest], 0.5f * range / 2.0f, 1e-3);
  // Wraps in free mode.
  p->advanceLfos(48000);
  EXPECT_NEAR(p->lfo(0).phase, 0.25, 1e-9);
  EXPECT_TRUE(p->lfo(0).running);
}

TEST(PlayerLfo, SyncedPeriodFollowsTempo) {
  auto p = makePlayer(kRate);
  p->bindSound(kMachineDrum);
  Lfo l = makeLfo(0, 5.0f, kLfoSine, 1.0f, kLfoFree);
  l.sync = 1;
  l.rateDiv = 7;  // a quarter note
  p->setTempo(120.0);
  p->bindLfo(0, l);
  EXPECT_NEAR(p->lfo(0).increment, 1.0 / (0.5 * kRate), 1e-15);
  p->setTempo(0.0);  // not positive: 120 assumed
  EXPECT_NEAR(p->lfo(0).increment, 1.0 / (0.5 * kRate), 1e-15);
  p->setTempo(60.0);
  EXPECT_NEAR(p->lfo(0).increment, 1.0 / (1.0 * kRate), 1e-15);
  l.rateDiv = 200;  // above 9 counts as 1/1
  p->bindLfo(1, l);
  EXPECT_NEAR(p->lfo(1).increment, 1.0 / (4.0 * kRate), 1e-15);
}

TEST(PlayerLfo, OneShotAndHalfModesStop) {
  const int dest = drumIndex("exc1_tone");  // range 1
  struct Case {
    int shape;
    float atOne;
  } cases[] = {{kLfoSine, 0.0f}, {kLfoTri, -1.0f}, {kLfoSawUp, 1.0f}};
  for (const Case& c : cases) {
    auto p = makePlayer(kRate);
    p->bindSound(kMachineDrum);
    p->bindLfo(0, makeLfo(dest, 10.0f, c.shape, 1.0f, kLfoOne));
    p->retriggerLfos();
    p->advanceLfos(4000);  // 0.83 cycles
    EXPECT_TRUE(p->lfo(0).running);
    p->advanceLfos(4000);
    EXPECT_FALSE(p->lfo(0).running);
    EXPECT_EQ(p->lfo(0).phase, 1.0);
    EXPECT_NEAR(p->mod().layers[layer::kLfo][dest], c.atOne * 0.5f, 1e-6) << c.shape;
    // A stopped LFO keeps its final value; a retrigger runs it again.
    p->advance(100000);
    EXPECT_EQ(p->lfo(0).phase, 1.0);
    p->retriggerLfos();
    EXPECT_TRUE(p->lfo(0).running);
    EXPECT_EQ(p->lfo(0).phase, 0.0);
  }
  auto p = makePlayer(kRate);
  p->bindSound(kMachineDrum);
  p->bindLfo(0, makeLfo(dest, 10.0f, kLfoTri, 1.0f, kLfoHalf));
  p->advanceLfos(3000);
  EXPECT_FALSE(p->lfo(0).running);
  EXPECT_EQ(p->lfo(0).phase, 0.5);
  EXPECT_FLOAT_EQ(p->mod().layers[layer::kLfo][dest], 0.5f);
}

TEST(PlayerLfo, TrigRestartsFreeRunsHoldSamples) {
  const int dest = drumIndex("exc1_tone");
  auto p = makePlayer(kRate);
  p->bindSound(kMachineDrum);
  p->bindLfo(0, makeLfo(dest, 1.0f, kLfoSawUp, 1.0f, kLfoTrig));
  p->bindLfo(1, makeLfo(dest + 1, 1.0f, kLfoSawUp, 1.0f, kLfoFree));
  p->advanceLfos(12000);
  p->retriggerLfos();
  EXPECT_EQ(p->lfo(0).phase, 0.0);
  EXPECT_NEAR(p->lfo(1).phase, 0.25, 1e-12);

  auto h = makePlayer(kRate);
  h->bindSound(kMachineDrum);
  h->bindLfo(0, makeLfo(dest, 1.0f, kLfoSawUp, 1.0f, kLfoHold));
  EXPECT_FLOAT_EQ(h->mod().layers[layer::kLfo][dest], 0.0f);  // nothing held yet
  h->advanceLfos(36000);                                      // phase 0.75: saw 0.5
  EXPECT_FLOAT_EQ(h->mod().layers[layer::kLfo][dest], 0.0f);
  h->retriggerLfos();
  EXPECT_NEAR(h->mod().layers[layer::kLfo][dest], 0.25f, 1e-6);  // 0.5 x amplitude 0.5
  h->advanceLfos(6000);                                          // phase free-runs on
  EXPECT_NEAR(h->lfo(0).phase, 0.875, 1e-9);
  EXPECT_NEAR(h->mod().layers[layer::kLfo][dest], 0.25f, 1e-6);
}

TEST(PlayerLfo, RandomChangesOnlyAtWholeCycles) {
  const int dest = drumIndex("exc1_tone");
  auto p = makePlayer(kRate);
  p->bindSound(kMachineDrum);
  p->bindLfo(0, makeLfo(dest, 1.0f, kLfoRandom, 1.0f, kLfoFree));
  EXPECT_EQ(p->lfo(0).randomValue, 0.0f);
  p->advanceLfos(47999);
  EXPECT_EQ(p->lfo(0).randomValue, 0.0f);
  p->advanceLfos(2);
  const std::uint32_t x = xorshift32(kLfoRandomSeed);
  const float expected = static_cast<float>((x >> 8) * std::ldexp(1.0, -23) - 1.0);
  EXPECT_EQ(p->lfo(0).randomValue, expected);
  EXPECT_FLOAT_EQ(p->mod().layers[layer::kLfo][dest], expected * 0.5f);
  // A big jump across several cycles still draws once.
  p->advanceLfos(48000 * 5);
  EXPECT_EQ(p->lfo(0).randomState, xorshift32(x));
  // Rebinding keeps the generator but restarts the value at 0.
  p->bindLfo(0, makeLfo(dest, 1.0f, kLfoRandom, 1.0f, kLfoFree));
  EXPECT_EQ(p->lfo(0).randomValue, 0.0f);
  EXPECT_EQ(p->lfo(0).randomState, xorshift32(x));
}

TEST(PlayerLfo, TwoOnOneDestinationAddAndDisablingClears) {
  const int dest = drumIndex("exc1_tone");
  auto p = makePlayer(kRate);
  p->bindSound(kMachineDrum);
  p->bindLfo(0, makeLfo(dest, 1.0f, kLfoSawUp, 1.0f, kLfoFree));
  p->bindLfo(1, makeLfo(dest, 1.0f, kLfoSawDown, 0.5f, kLfoFree));
  EXPECT_FLOAT_EQ(p->mod().layers[layer::kLfo][dest], -0.5f + 0.25f);
  Lfo off = makeLfo(dest, 1.0f, kLfoSawUp, 1.0f, kLfoFree);
  off.enabled = 0;
  p->bindLfo(0, off);
  p->bindLfo(1, off);
  EXPECT_FLOAT_EQ(p->mod().layers[layer::kLfo][dest], 0.0f);
  // Destinations above 63 are never written.
  p->bindLfo(0, makeLfo(200, 1.0f, kLfoSawUp, 1.0f, kLfoFree));
  for (int i = 0; i < 64; ++i) EXPECT_EQ(p->mod().layers[layer::kLfo][i], 0.0f);
}

TEST(PlayerModEnv, AttackHoldDecayLevels) {
  const int dest = drumIndex("exc1_tone");
  auto p = makePlayer(kRate);
  p->bindSound(kMachineDrum);
  p->bindModEnv(0, makeEnv(dest, 0.01f, 0.0f, 0.2f, 1.0f));
  p->retriggerModEnvs();
  EXPECT_FLOAT_EQ(p->mod().layers[layer::kModEnv][dest], 0.0f);  // attack starts at 0
  p->advanceModEnvs(240);
  EXPECT_FLOAT_EQ(p->mod().layers[layer::kModEnv][dest], 0.5f);
  p->advanceModEnvs(240);
  EXPECT_FLOAT_EQ(p->mod().layers[layer::kModEnv][dest], 1.0f);
  p->advanceModEnvs(9600);  // 0.2 s of decay: e^-1
  EXPECT_NEAR(p->mod().layers[layer::kModEnv][dest], std::exp(-1.0), 1e-5);

  // Hold keeps the peak for its time.
  auto h = makePlayer(kRate);
  h->bindSound(kMachineDrum);
  h->bindModEnv(1, makeEnv(dest, 0.0f, 0.1f, 0.2f, -0.5f));
  h->retriggerModEnvs();
  EXPECT_FLOAT_EQ(h->mod().layers[layer::kModEnv][dest], -0.5f);
  h->advanceModEnvs(4799);
  EXPECT_FLOAT_EQ(h->mod().layers[layer::kModEnv][dest], -0.5f);
}

TEST(PlayerModEnv, DecayStopsAfterAboutOnePoint84Seconds) {
  const int dest = drumIndex("exc1_tone");
  auto p = makePlayer(kRate);
  p->bindSound(kMachineDrum);
  p->bindModEnv(0, makeEnv(dest, 0.0f, 0.0f, 0.2f, 1.0f));
  p->retriggerModEnvs();
  EXPECT_FLOAT_EQ(p->mod().layers[layer::kModEnv][dest], 1.0f);
  const double endSample = std::log(1e4) * 0.2 * kRate;  // 88411.6
  int c = 0;
  while (p->modEnv(0).running && c < 200000) {
    p->advanceModEnvs(8);
    c += 8;
  }
  EXPECT_NEAR(c, endSample, 8.0);
  EXPECT_NEAR(c / kRate, 1.84, 0.01);
  EXPECT_EQ(p->mod().layers[layer::kModEnv][dest], 0.0f);
  EXPECT_FALSE(p->anyModEnvRunning());
}

TEST(PlayerModEnv, SyncedTimesAndBindKeepsCounter) {
  const int dest = drumIndex("exc1_tone");
  auto p = makePlayer(kRate);
  p->bindSound(kMachineDrum);
  ModEnv e = makeEnv(dest, 5.0f, 0.0f, 5.0f, 1.0f);
  e.sync = 1;
  e.atkDiv = 2;  // 1/16 at 120: 0.125 s = 6000 samples
  p->bindModEnv(0, e);
  p->retriggerModEnvs();
  p->advanceModEnvs(3000);
  EXPECT_FLOAT_EQ(p->mod().layers[layer::kModEnv][dest], 0.5f);
  e.depth = 0.5f;
  p->bindModEnv(0, e);  // settings change, counter stays
  EXPECT_EQ(p->modEnv(0).counter, 3000u);
  EXPECT_TRUE(p->modEnv(0).running);
  p->advanceModEnvs(1500);
  EXPECT_FLOAT_EQ(p->mod().layers[layer::kModEnv][dest], 0.375f);
  e.enabled = 0;
  p->bindModEnv(0, e);
  EXPECT_EQ(p->modEnv(0).output, 0.0f);
  EXPECT_EQ(p->mod().layers[layer::kModEnv][dest], 0.0f);
}

TEST(PlayerRandom, OffsetsFollowTheHash) {
  auto p = makePlayer(kRate);
  p->bindSound(kMachineDrum);
  const int tone = drumIndex("exc1_tone");
  const int tune = drumIndex("res_tune");
  const ParamLock track[2] = {{static_cast<std::uint8_t>(tone), 0.4f},
                              {static_cast<std::uint8_t>(tune), 0.3f}};
  const ParamLock step[1] = {{static_cast<std::uint8_t>(tune), 0.8f}};
  const std::uint64_t seed = 0x1234abcd5678ef01ull;

  p->applyHitModulation(step, 1, seed, track, 2);
  EXPECT_EQ(p->mod().layers[layer::kRandom][tone], refRandomOffset("exc1_tone", seed, 0.4f, 1.0f));
  // The step entry overrides the track entry of the same parameter.
  EXPECT_EQ(p->mod().layers[layer::kRandom][tune], refRandomOffset("res_tune", seed, 0.8f, 380.0f));
  const float toneFirst = p->mod().layers[layer::kRandom][tone];

  // Same seed, same offsets; another seed, other offsets.
  p->applyHitModulation(step, 1, seed, track, 2);
  EXPECT_EQ(p->mod().layers[layer::kRandom][tone], toneFirst);
  p->applyHitModulation(step, 1, seed + 1, track, 2);
  EXPECT_NE(p->mod().layers[layer::kRandom][tone], toneFirst);

  // The key matters: two parameters of equal range and depth draw apart.
  const int tone2 = drumIndex("exc2_tone");
  const ParamLock both[2] = {{static_cast<std::uint8_t>(tone), 0.5f},
                             {static_cast<std::uint8_t>(tone2), 0.5f}};
  p->applyHitModulation(both, 2, seed, nullptr, 0);
  EXPECT_NE(p->mod().layers[layer::kRandom][tone], p->mod().layers[layer::kRandom][tone2]);
  EXPECT_EQ(p->mod().layers[layer::kRandom][tune], 0.0f);  // layer cleared first

  // Offsets stay inside depth x range / 2.
  for (std::uint64_t s = 0; s < 200; ++s) {
    p->applyHitModulation(step, 1, s * 0x9e3779b97f4a7c15ull, nullptr, 0);
    EXPECT_LE(std::fabs(p->mod().layers[layer::kRandom][tune]), 0.8f * 380.0f * 0.5f);
  }
}

TEST(PlayerRandom, SkipsBadEntries) {
  auto p = makePlayer(kRate);
  p->bindSound(kMachineVa);  // 34 parameters
  const ParamLock bad[5] = {{64, 1.0f}, {40, 1.0f}, {3, 0.0f}, {4, -0.5f}, {5, NAN}};
  p->applyHitModulation(bad, 5, 99, bad, 5);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(p->mod().layers[layer::kRandom][i], 0.0f) << i;
}

TEST(PlayerVelocity, RoutesScaleByRange) {
  auto p = makePlayer(kRate);
  p->bindSound(kMachineDrum);
  const int tune = drumIndex("res_tune");
  const int tone = drumIndex("exc1_tone");
  const ParamLock routes[4] = {{static_cast<std::uint8_t>(tune), 0.5f},
                               {static_cast<std::uint8_t>(tone), -1.0f},
                               {70, 1.0f},
                               {2, 0.0f}};
  p->applyVelocityDests(0.8f, routes, 4);
  EXPECT_FLOAT_EQ(p->mod().layers[layer::kVelocity][tune], 0.8f * 0.5f * 380.0f);
  EXPECT_FLOAT_EQ(p->mod().layers[layer::kVelocity][tone], -0.8f);
  EXPECT_EQ(p->mod().layers[layer::kVelocity][2], 0.0f);
  p->applyVelocityDests(0.5f, routes + 1, 1);
  EXPECT_EQ(p->mod().layers[layer::kVelocity][tune], 0.0f);  // cleared
  EXPECT_FLOAT_EQ(p->mod().layers[layer::kVelocity][tone], -0.5f);
  // A parameter the machine lacks counts with range 1.
  p->bindSound(kMachineVa);
  const ParamLock beyond[1] = {{50, 0.25f}};
  p->applyVelocityDests(1.0f, beyond, 1);
  EXPECT_FLOAT_EQ(p->mod().layers[layer::kVelocity][50], 0.25f);
}

TEST(PlayerSmoothing, KnobMoveGlidesWithTwentyMillisecondConstant) {
  auto p = makePlayer(kRate);
  p->bindSound(kMachineDrum);
  const int tune = drumIndex("res_tune");
  p->mod().layers[layer::kBase][tune] = 100.0f;
  p->refreshResolvedParams();
  EXPECT_TRUE(p->smoothingFlag(tune));

  p->mod().layers[layer::kBase][tune] = 200.0f;
  p->keepHeldParams();
  EXPECT_TRUE(p->smoothingActive());
  EXPECT_FLOAT_EQ(p->mod().value(tune), 100.0f);  // no jump
  // 20 ms in control blocks of 8: e^-1 of the distance is left.
  for (int i = 0; i < 120; ++i) p->decaySmoothing(8);
  EXPECT_NEAR(200.0f - p->mod().value(tune), 100.0 * std::exp(-1.0), 0.01);
  float last = p->mod().value(tune);
  for (int i = 0; i < 2000 && p->smoothingActive(); ++i) {
    p->decaySmoothing(8);
    const float now = p->mod().value(tune);
    EXPECT_GE(now, last);  // monotone, never overshoots
    EXPECT_LE(now, 200.0f);
    last = now;
  }
  EXPECT_FALSE(p->smoothingActive());
  EXPECT_EQ(p->mod().value(tune), 200.0f);

  // A macro move smooths the same way; the next hit takes the value at once.
  p->mod().layers[layer::kMacro][tune] = 50.0f;
  p->keepHeldParams();
  EXPECT_FLOAT_EQ(p->mod().value(tune), 200.0f);
  p->refreshResolvedParams();
  EXPECT_FLOAT_EQ(p->mod().value(tune), 250.0f);
}

TEST(PlayerSmoothing, SteppedAndSlotChangeAtOnce) {
  auto p = makePlayer(kRate);
  p->bindSound(kMachineDrum);
  const int type = drumIndex("exc1_type");
  EXPECT_FALSE(p->smoothingFlag(type));
  p->mod().layers[layer::kBase][type] = 3.0f;
  p->keepHeldParams();
  EXPECT_EQ(p->mod().value(type), 3.0f);

  p->bindSound(kMachineSample);
  const int slot = findParamIndex(kMachineSample, "slot");
  const int slice = findParamIndex(kMachineSample, "slice");
  const int tune = findParamIndex(kMachineSample, "tune");
  EXPECT_FALSE(p->smoothingFlag(slot));
  EXPECT_FALSE(p->smoothingFlag(slice));
  EXPECT_TRUE(p->smoothingFlag(tune));
  EXPECT_FALSE(p->smoothingFlag(test::voiceRevIndex(kMachineSample)));
  p->mod().layers[layer::kBase][slot] = 7.0f;
  p->keepHeldParams();
  EXPECT_EQ(p->mod().value(slot), 7.0f);
  // Beyond the machine's parameters nothing is smoothed.
  EXPECT_FALSE(p->smoothingFlag(paramCount(kMachineSample)));
}

TEST(PlayerGlide, LandsOnTarget) {
  auto p = makePlayer(kRate);
  p->bindSound(kMachineDrum);
  const int tune = drumIndex("res_tune");
  float targets[64] = {};
  targets[tune] = 24.0f;
  p->mod().layers[layer::kHit][tune] = 0.0f;
  p->glideTo(targets, 1000);
  EXPECT_TRUE(p->glideActive());
  p->glide(500);
  EXPECT_NEAR(p->mod().layers[layer::kHit][tune], 12.0f, 1e-4);
  for (int i = 0; i < 62; ++i) p->glide(8);  // 496 more
  EXPECT_TRUE(p->glideActive());
  p->glide(8);
  EXPECT_FALSE(p->glideActive());
  EXPECT_EQ(p->mod().layers[layer::kHit][tune], 24.0f);

  // A delay of one sample or less sets the targets at once.
  targets[tune] = -5.0f;
  p->glideTo(targets, 1);
  EXPECT_FALSE(p->glideActive());
  EXPECT_EQ(p->mod().layers[layer::kHit][tune], -5.0f);

  // The pending advance drives glide at control rate.
  targets[tune] = 5.0f;
  p->glideTo(targets, 80);
  p->addPending(80);
  p->flushPending();
  EXPECT_EQ(p->mod().layers[layer::kHit][tune], 5.0f);
  EXPECT_EQ(p->pendingAdvance(), 0);
}

TEST(PlayerBind, DefaultsAndModulatorsReset) {
  auto p = makePlayer(kRate);
  p->bindSound(kMachineDrum);
  p->bindLfo(0, makeLfo(3, 1.0f, kLfoSawUp, 1.0f, kLfoFree));
  p->bindModEnv(0, makeEnv(3, 0.0f, 0.0f, 1.0f, 1.0f));
  p->retriggerModEnvs();
  p->mod().layers[layer::kHit][5] = 1.0f;

  p->bindSound(kMachineVa);
  EXPECT_EQ(p->machineType(), kMachineVa);
  EXPECT_EQ(p->ownCount(), 12);
  for (int i = 0; i < 64; ++i) {
    const float def = i < paramCount(kMachineVa) ? paramInfo(kMachineVa, i).defaultValue : 0.0f;
    EXPECT_EQ(p->mod().layers[layer::kBase][i], def) << i;
    EXPECT_EQ(p->mod().layers[layer::kHit][i], 0.0f);
    EXPECT_EQ(p->mod().layers[layer::kLfo][i], 0.0f);
    EXPECT_EQ(p->mod().layers[layer::kModEnv][i], 0.0f);
  }
  EXPECT_FALSE(p->lfo(0).enabled);
  EXPECT_EQ(p->modEnv(0), ModEnvState{});
}

}  // namespace player_modulation_test
}  // namespace ob
