// Measured behaviour of the drum machine: decay times, pitch, bounds,
// mono/stereo agreement and the edge cases of its render loop.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "drum_harness.h"
#include "engine/drum/drum_machine.h"
#include "engine/drum/drum_params.h"
#include "engine/drum/string_loop.h"
#include "engine/params/param_tables.h"
#include "engine/pool/sample_pool_snapshot.h"

namespace drum_machine_test {

using namespace ob::drum_param;
using drumtest::Hit;
using drumtest::quietLayers;
using drumtest::renderHit;
using drumtest::set;

constexpr double kRates[] = {44100.0, 48000.0};
const double kLn1e4 = std::log(1e4);

// A slot of noise long enough that only the decay ends a recorded hit.
struct NoiseSample {
  std::vector<float> data;
  ob::SamplePoolSnapshot snapshot;
  explicit NoiseSample(int frames, double rate = 44100.0) {
    data.resize(frames);
    std::uint32_t s = 12345;
    for (float& v : data) v = ob::whiteNoise(s) * 0.8f;
    snapshot.slots[0].left = data.data();
    snapshot.slots[0].frames = frames;
    snapshot.slots[0].sampleRate = rate;
  }
};

ob::ModLayers exciterOnly(int type, float decay) {
  ob::ModLayers mod = quietLayers();
  set(mod, kExc1Type, static_cast<float>(type));
  set(mod, kExc1Level, 1.0f);
  set(mod, kExc1Decay, decay);
  set(mod, kExc1Aux1, 0.0f);
  return mod;
}

ob::ModLayers bodyOnly(int type, float decay) {
  ob::ModLayers mod = quietLayers();
  set(mod, kResType, static_cast<float>(type));
  set(mod, kResDecay, decay);
  set(mod, kResTone, 0.0f);
  set(mod, kResAux1, 0.0f);
  set(mod, kResAux2, 0.0f);
  if (type == kBodyString) {  // the string is driven, so it needs a strike
    set(mod, kExc1Type, kExcClick);
    set(mod, kExc1Level, 1.0f);
    set(mod, kExc1Decay, 0.002f);
    set(mod, kBleed, 0.0f);
  }
  return mod;
}

TEST(DrumMachine, ParameterIndicesMatchTheTable) {
  const std::pair<const char*, int> keys[] = {
      {"exc1_type", kExc1Type},   {"exc1_tone", kExc1Tone},   {"exc1_decay", kExc1Decay},
      {"exc1_level", kExc1Level}, {"exc1_aux1", kExc1Aux1},   {"exc1_aux2", kExc1Aux2},
      {"exc1_rev", kExc1Rev},     {"exc2_type", kExc2Type},   {"exc2_tone", kExc2Tone},
      {"exc2_decay", kExc2Decay}, {"exc2_level", kExc2Level}, {"exc2_aux1", kExc2Aux1},
      {"exc2_aux2", kExc2Aux2},   {"exc2_rev", kExc2Rev},     {"bleed", kBleed},
      {"res_type", kResType},     {"res_tune", kResTune},     {"res_decay", kResDecay},
      {"res_tone", kResTone},     {"res_level", kResLevel},   {"res_aux1", kResAux1},
      {"res_aux2", kResAux2},     {"res_rev", kResRev},       {"dist_amt", kDistAmt},
      {"dist_bias", kDistBias},   {"dist_fold", kDistFold},   {"dist_pos", kDistPos},
      {"level", kLevel},          {"exc1_width", kExc1Width}, {"exc2_width", kExc2Width}};
  for (const auto& [key, index] : keys) EXPECT_EQ(ob::findParamIndex(ob::kMachineDrum, key), index) << key;
  ob::DrumMachine m;
  EXPECT_EQ(m.paramCount(), kOwnCount);
  for (int i = 0; i < m.paramCount(); ++i)
    EXPECT_STREQ(m.paramInfo(i).id, ob::paramInfo(ob::kMachineDrum, i).id);
}

TEST(DrumMachine, ExcitersDecayToSilenceInTheirTime) {
  for (double rate : kRates) {
    NoiseSample sample(static_cast<int>(rate * 2));
    for (int type = kExcClick; type <= kExcHpNoise; ++type) {
      for (float decay : {0.01f, 0.08f}) {
        ob::DrumMachine m;
        m.setSampleSnapshot(&sample.snapshot);
        m.prepare(rate);
        const Hit h = renderHit(m, exciterOnly(type, decay), static_cast<int>(rate * 3), false);
        const std::string what = "type " + std::to_string(type) + " decay " + std::to_string(decay) +
                                 " rate " + std::to_string(rate);
        ASSERT_GT(h.endFrame, 0) << what;
        EXPECT_TRUE(drumtest::allFinite(h.left)) << what;
        const float peak = drumtest::peakAbs(h.left);
        EXPECT_GT(peak, 1e-3f) << what;
        EXPECT_LT(peak, 8.0f) << what;
        double expected = decay * kLn1e4;                                       // envelope 1 -> 1e-4
        if (type == kExcClap) expected = 0.010 + decay * std::log(0.7 / 1e-4);  // tail after two 5 ms gaps
        const double seconds = h.endFrame / rate;
        EXPECT_NEAR(seconds, expected, expected * 0.03 + 10.0 / rate) << what;
      }
    }
  }
}

TEST(DrumMachine, BodiesDecayToSilenceInTheirTime) {
  for (double rate : kRates) {
    NoiseSample sample(static_cast<int>(rate * 3));
    for (int type = kBodySine; type <= kBodyWave; ++type) {
      std::vector<double> ends;
      const bool str = type == kBodyString;
      for (float decay : {str ? 0.5f : 0.1f, str ? 1.5f : 0.4f}) {
        ob::DrumMachine m;
        m.setSampleSnapshot(&sample.snapshot);
        m.prepare(rate);
        ob::ModLayers mod = bodyOnly(type, decay);
        if (str) set(mod, kResTone, 1.0f);
        const Hit h = renderHit(m, mod, static_cast<int>(rate * 6), false);
        const std::string what = "body " + std::to_string(type) + " decay " + std::to_string(decay);
        ASSERT_GT(h.endFrame, 0) << what;
        EXPECT_TRUE(drumtest::allFinite(h.left)) << what;
        const float peak = drumtest::peakAbs(h.left);
        EXPECT_GT(peak, 1e-3f) << what;
        EXPECT_LT(peak, 4.0f) << what;
        const double seconds = h.endFrame / rate;
        ends.push_back(seconds);
        if (type == kBodyString) {
          // Peak follower: the loop's own -60 dB per decay time, then a
          // follower release of at most ~0.4 s.
          EXPECT_LT(seconds, decay * 4.0 / 3.0 + 0.45) << what;
          EXPECT_GT(seconds, decay * 0.5) << what;
          continue;
        }
        const double expected = (type == kBodyShell ? 0.6 : 1.0) * decay * kLn1e4;
        EXPECT_NEAR(seconds, expected, expected * 0.03 + 10.0 / rate) << what;
      }
      EXPECT_GT(ends[1], ends[0]) << "body " << type;
    }
  }
}

TEST(DrumMachine, TonalBodiesSoundAtTheirTuning) {
  struct Case {
    int type;
    float tone;
  };
  // Tone 2/3 selects the saw of the first wave bank.
  const Case cases[] = {{kBodySine, 0.0f}, {kBodyShell, 0.0f},       {kBodyModal, 0.0f},
                        {kBodyFm, 0.0f},   {kBodyWave, 2.0f / 3.0f}, {kBodyString, 0.0f}};
  for (double rate : kRates) {
    for (const Case& c : cases) {
      for (float tune : {55.0f, 220.0f}) {
        for (float note : {60.0f, 67.0f}) {
          ob::DrumMachine m;
          m.prepare(rate);
          ob::ModLayers mod = bodyOnly(c.type, 3.0f);
          set(mod, kResTone, c.tone);
          set(mod, kResTune, tune);
          const int frames = static_cast<int>(rate * 0.7);
          const Hit h = renderHit(m, mod, frames, false, 8, note);
          const double expected = tune * std::pow(2.0, (note - 60.0) / 12.0);
          const size_t from = static_cast<size_t>(0.1 * rate);
          const double f =
              drumtest::peakFrequency(h.left, from, frames - from, rate, expected * 0.8, expected * 1.25);
          EXPECT_NEAR(drumtest::cents(f, expected), 0.0, 3.0)
              << "body " << c.type << " tune " << tune << " note " << note << " rate " << rate << " got "
              << f;
        }
      }
    }
  }
}

TEST(DrumMachine, StringClampsItsPitch) {
  for (double rate : kRates) {
    {  // 10 Hz asked for: plays at 20 Hz
      ob::DrumMachine m;
      m.prepare(rate);
      ob::ModLayers mod = bodyOnly(kBodyString, 4.0f);
      set(mod, kResTone, 0.5f);
      set(mod, kResTune, 20.0f);
      const int frames = static_cast<int>(rate * 2.5);
      const Hit h = renderHit(m, mod, frames, false, 8, 48.0f);
      const double f = drumtest::peakFrequency(h.left, 0, frames, rate, 12.0, 30.0);
      EXPECT_NEAR(drumtest::cents(f, 20.0), 0.0, 5.0) << rate << " got " << f;
    }
    {  // far above the band: the same loop as one tuned to exactly 0.45 x rate
      auto render = [rate](float tune, float modulation) {
        ob::DrumMachine m;
        m.prepare(rate);
        ob::ModLayers mod = bodyOnly(kBodyString, 1.0f);
        set(mod, kResTone, 1.0f);
        set(mod, kResTune, tune);
        mod.layers[2][kResTune] = modulation;
        return renderHit(m, mod, 4800, false).left;
      };
      const std::vector<float> clamped = render(400.0f, 40000.0f);
      ASSERT_TRUE(drumtest::allFinite(clamped));
      EXPECT_GT(drumtest::peakAbs(clamped), 0.01f);
      EXPECT_EQ(clamped, render(static_cast<float>(0.45 * rate), 0.0f));
      EXPECT_NE(clamped, render(static_cast<float>(0.40 * rate), 0.0f));
      // ...and below 20 Hz the same loop as at 20 Hz.
      EXPECT_EQ(render(20.0f, -15.0f), render(20.0f, 0.0f));
    }
  }
}

TEST(DrumMachine, StringLoopSetUp) {
  for (double rate : kRates) {
    ob::StringLoop s;
    s.prepare(rate);
    EXPECT_EQ(s.buffer.size(), static_cast<size_t>(std::ceil(rate / 20.0)) + 3);
    s.start(1.0e6);
    EXPECT_NEAR(s.delay, 1.0 / 0.45, 1e-9);
    s.start(3.0);
    EXPECT_NEAR(s.delay, rate / 20.0, 1e-9);
    EXPECT_LE(s.length, static_cast<int>(s.buffer.size()));
    s.start(110.0);
    s.update(1.0f, 1.0f);
    EXPECT_EQ(s.damping, 0.0f);  // no damping at full tone
    s.update(0.0f, 1.0f);
    EXPECT_NEAR(s.damping, std::pow(0.85, 44100.0 / rate), 1e-6);
    // The loop gain makes up the filters' loss but never exceeds the ceiling.
    EXPECT_GT(s.compensation, 1.0f);
    EXPECT_LT(s.ceiling, 1.0f);
    // Decay gain: -60 dB after the decay time.
    EXPECT_NEAR(std::pow(s.decayGain, rate / s.delay), 1e-3, 1e-5);
  }
}

TEST(DrumMachine, KnockPitchFollowsTone) {
  const double rate = 48000.0;
  ob::DrumMachine m;
  m.prepare(rate);
  ob::ModLayers mod = exciterOnly(kExcKnock, 0.5f);
  set(mod, kExc1Tone, 0.5f);  // 460 x 0.5 + 40 = 270 Hz
  const Hit h = renderHit(m, mod, 24000, false);
  const double f = drumtest::peakFrequency(h.left, 0, 24000, rate, 200.0, 350.0);
  EXPECT_NEAR(drumtest::cents(f, 270.0), 0.0, 3.0);
}

TEST(DrumMachine, MonoEqualsStereoAtWidthZero) {
  NoiseSample sample(30000);
  for (int exc = kExcNone; exc <= kExcHpNoise; ++exc) {
    for (int body = kBodyNone; body <= kBodyWave; ++body) {
      ob::ModLayers mod = drumtest::defaultLayers();
      set(mod, kExc1Type, static_cast<float>(exc));
      set(mod, kExc1Level, 0.7f);
      set(mod, kExc2Type, kExcClap);
      set(mod, kExc2Level, 0.3f);
      set(mod, kResType, static_cast<float>(body));
      set(mod, kResDecay, 0.1f);
      ob::DrumMachine mono;
      ob::DrumMachine stereo;
      for (ob::DrumMachine* m : {&mono, &stereo}) {
        m->setSampleSnapshot(&sample.snapshot);
        m->prepare(48000.0);
      }
      const Hit a = renderHit(mono, mod, 12000, false);
      const Hit b = renderHit(stereo, mod, 12000, true);
      ASSERT_EQ(a.left, b.left) << exc << "/" << body;
      ASSERT_EQ(b.left, b.right) << exc << "/" << body;
      EXPECT_EQ(a.endFrame, b.endFrame);
    }
  }
}

TEST(DrumMachine, WidthSpreadsTheHitButKeepsTheBodyCentred) {
  for (int exc : {kExcClick, kExcBpNoise, kExcClap, kExcHpNoise}) {
    ob::ModLayers mod = exciterOnly(exc, 0.05f);
    set(mod, kExc1Width, 1.0f);
    set(mod, kResType, kBodySine);
    ob::DrumMachine m;
    m.prepare(48000.0);
    const Hit wide = renderHit(m, mod, 4000, true);
    EXPECT_NE(wide.left, wide.right) << exc;
    EXPECT_TRUE(drumtest::allFinite(wide.left) && drumtest::allFinite(wide.right));
    set(mod, kBleed, 0.0f);  // body only: must be centred
    ob::DrumMachine fresh;
    fresh.prepare(48000.0);
    const Hit body = renderHit(fresh, mod, 4000, true);
    EXPECT_EQ(body.left, body.right) << exc;
    EXPECT_GT(drumtest::peakAbs(body.left), 0.01f);
  }
  // Knock and recorded hit have no side channel.
  ob::ModLayers mod = exciterOnly(kExcKnock, 0.05f);
  set(mod, kExc1Width, 1.0f);
  ob::DrumMachine m;
  m.prepare(48000.0);
  const Hit h = renderHit(m, mod, 4000, true);
  EXPECT_EQ(h.left, h.right);
}

TEST(DrumMachine, DefaultSoundEndsAndSilentPartsDoNotHoldTheVoice) {
  // The table defaults: a click of level 0 and a sine body.
  ob::DrumMachine m;
  m.prepare(48000.0);
  ob::ModLayers mod = drumtest::defaultLayers();
  Hit h = renderHit(m, mod, 48000 * 10, false);
  ASSERT_GT(h.endFrame, 0);
  EXPECT_NEAR(h.endFrame / 48000.0, 0.35 * kLn1e4, 0.05);

  // No body: the level-0 click alone ends the voice after its first sample.
  set(mod, kResType, kBodyNone);
  h = renderHit(m, mod, 4800, false, 1);
  EXPECT_EQ(h.endFrame, 1);
  EXPECT_EQ(drumtest::peakAbs(h.left), 0.0f);

  // All parts none: inactive after the first sample.
  mod = quietLayers();
  h = renderHit(m, mod, 4800, false, 1);
  EXPECT_EQ(h.endFrame, 1);

  // Exciter and body types beyond their ranges (reachable by modulation)
  // are silent and let the voice end.
  mod = quietLayers();
  set(mod, kExc1Type, 6);
  mod.layers[2][kExc1Type] = 1.0f;  // 7
  set(mod, kExc1Level, 1.0f);
  set(mod, kResType, 8);
  mod.layers[3][kResType] = 1.0f;  // 9
  h = renderHit(m, mod, 4800, true, 1);
  EXPECT_EQ(h.endFrame, 1);
  EXPECT_EQ(drumtest::peakAbs(h.left), 0.0f);
  EXPECT_EQ(drumtest::peakAbs(h.right), 0.0f);
}

TEST(DrumMachine, BleedAndDrivePlacement) {
  const double rate = 48000.0;
  // Bleed 0: the body alone; with no body that is silence while the
  // exciter still runs.
  ob::ModLayers mod = exciterOnly(kExcClick, 0.05f);
  set(mod, kBleed, 0.0f);
  ob::DrumMachine m;
  m.prepare(rate);
  Hit h = renderHit(m, mod, 4800, false);
  EXPECT_EQ(drumtest::peakAbs(h.left), 0.0f);
  EXPECT_TRUE(m.isActive());
  // ...but the exciter still drives the string.
  set(mod, kResType, kBodyString);
  h = renderHit(m, mod, 4800, false);
  EXPECT_GT(drumtest::peakAbs(h.left), 0.01f);

  // An amount of 0 leaves the signal untouched, fold or not.
  ob::ModLayers base = drumtest::defaultLayers();
  set(base, kExc1Level, 0.5f);
  set(base, kDistAmt, 0.0f);
  ob::ModLayers folded = base;
  set(folded, kDistFold, 0.8f);
  set(folded, kDistBias, 0.5f);
  ob::DrumMachine a;
  ob::DrumMachine b;
  a.prepare(rate);
  b.prepare(rate);
  EXPECT_EQ(renderHit(a, base, 9600, false).left, renderHit(b, folded, 9600, false).left);

  // A position that rounds to 2 applies no drive at all.
  ob::ModLayers nowhere = base;
  set(nowhere, kDistAmt, 0.9f);
  set(nowhere, kDistPos, 2.0f);
  a.prepare(rate);
  b.prepare(rate);
  EXPECT_EQ(renderHit(a, base, 9600, false).left, renderHit(b, nowhere, 9600, false).left);

  // In the body the bleed path stays clean; after the mix it is driven too.
  ob::ModLayers driven = exciterOnly(kExcClick, 0.05f);
  set(driven, kDistAmt, 1.0f);
  ob::ModLayers clean = driven;
  set(clean, kDistAmt, 0.0f);
  a.prepare(rate);
  b.prepare(rate);
  EXPECT_EQ(renderHit(a, driven, 4800, false).left, renderHit(b, clean, 4800, false).left);
  set(driven, kDistPos, 1.0f);
  a.prepare(rate);
  b.prepare(rate);
  EXPECT_NE(renderHit(a, driven, 4800, false).left, renderHit(b, clean, 4800, false).left);
}

TEST(DrumMachine, DistortionCurve) {
  EXPECT_EQ(ob::DrumMachine::distort(0.3f, 0.0f, 0.5f, 0.7f), 0.3f);
  EXPECT_EQ(ob::DrumMachine::distort(-0.8f, -1.0f, 0.0f, 0.0f), -0.8f);
  for (float a : {0.1f, 0.5f, 1.0f}) {
    for (float c : {0.0f, 0.4f, 1.0f}) {
      EXPECT_NEAR(ob::DrumMachine::distort(0.0f, a, c, 0.0f), 0.0f, 1e-6f);  // bias never shifts silence
      if (c == 0.0f) {
        EXPECT_NEAR(ob::DrumMachine::distort(1.0f, a, c, 0.0f), 1.0f, 1e-5f);  // unit peak
      }
      float prev = -10.0f;
      for (float x = -2.0f; x <= 2.0f; x += 0.01f) {  // unfolded drive is monotonic
        const float y = ob::DrumMachine::distort(x, a, c, 0.0f);
        EXPECT_GE(y, prev - 1e-6f);
        prev = y;
      }
    }
  }
  // Full fold turns the peak back: sin(4 x pi/2 x 1) = 0.
  EXPECT_NEAR(ob::DrumMachine::distort(1.0f, 1.0f, 0.0f, 1.0f), 0.0f, 1e-5f);
}

TEST(DrumMachine, RetriggerKeepsOrClearsTheDcHistory) {
  const double rate = 48000.0;
  ob::ModLayers mod = quietLayers();
  set(mod, kResType, kBodySine);
  set(mod, kResDecay, 0.05f);
  set(mod, kResAux1, 0.5f);
  ob::DrumMachine m;
  m.prepare(rate);
  const Hit first = renderHit(m, mod, 48000, false);
  ASSERT_GT(first.endFrame, 0);
  // After the voice ended a new hit starts from a clean blocker: the same samples.
  const Hit second = renderHit(m, mod, 48000, false);
  EXPECT_EQ(first.left, second.left);
  // Retriggered while sounding: the blocker's history carries over.
  renderHit(m, mod, 900, false);
  ASSERT_TRUE(m.isActive());
  const Hit third = renderHit(m, mod, 48000, false);
  EXPECT_NE(first.left, third.left);
  EXPECT_NEAR(third.left[2000], first.left[2000], 0.05f);  // only the DC settling differs
}

TEST(DrumMachine, RampsTakeTargetsOnlyOnNewSerials) {
  ob::ModLayers mod = quietLayers();
  set(mod, kResType, kBodySine);
  set(mod, kResAux1, 0.0f);
  set(mod, kResDecay, 4.0f);
  ob::DrumMachine m;
  m.prepare(48000.0);
  m.trigger(60.0f, 1.0f);
  std::vector<float> a(64, 0.0f);
  mod.serial = 7;
  mod.rampLength = 8;
  m.renderMono(a.data(), 32, mod);
  // Same serial, level sum changed: the ramp keeps its value.
  set(mod, kLevel, 0.0f);
  m.renderMono(a.data() + 32, 32, mod);
  EXPECT_GT(drumtest::peakAbs(a, 32, 64), 0.05f);
  // New serial: glides to 0 over 8 samples.
  std::vector<float> b(64, 0.0f);
  mod.serial = 8;
  m.renderMono(b.data(), 64, mod);
  EXPECT_NE(b[3], 0.0f);
  for (int i = 8; i < 64; ++i) EXPECT_EQ(b[i], 0.0f) << i;
}

TEST(DrumMachine, NoiseRunsOnAndFollowsTheSeed) {
  ob::ModLayers mod = exciterOnly(kExcClick, 0.02f);
  ob::DrumMachine a;
  ob::DrumMachine b;
  ob::DrumMachine c;
  c.setSeed(809 + 3);
  for (ob::DrumMachine* m : {&a, &b, &c}) m->prepare(44100.0);
  const Hit a1 = renderHit(a, mod, 2000, false);
  const Hit a2 = renderHit(a, mod, 2000, false);
  EXPECT_NE(a1.left, a2.left);  // the sequence runs on from hit to hit
  EXPECT_EQ(a1.left, renderHit(b, mod, 2000, false).left);
  EXPECT_NE(a1.left, renderHit(c, mod, 2000, false).left);
  c.prepare(44100.0);  // prepare restarts the sequence from the seed
  const Hit c1 = renderHit(c, mod, 2000, false);
  c.prepare(44100.0);
  EXPECT_EQ(c1.left, renderHit(c, mod, 2000, false).left);
}

TEST(DrumMachine, VelocityAndLevelScaleTheOutput) {
  ob::ModLayers mod = quietLayers();
  set(mod, kResType, kBodyFm);
  ob::DrumMachine a;
  ob::DrumMachine b;
  a.prepare(48000.0);
  b.prepare(48000.0);
  const Hit full = renderHit(a, mod, 4800, false, 8, 60.0f, 1.0f);
  set(mod, kLevel, 0.5f);
  const Hit quiet = renderHit(b, mod, 4800, false, 8, 60.0f, 0.5f);
  for (int i = 0; i < 4800; ++i) EXPECT_NEAR(quiet.left[i], full.left[i] * 0.25f, 1e-6f);
}

TEST(DrumMachine, WaveBodyBanksAndDetune) {
  const double rate = 48000.0;
  auto render = [&](float tone, float aux1, float aux2) {
    ob::DrumMachine m;
    m.prepare(rate);
    ob::ModLayers mod = bodyOnly(kBodyWave, 2.0f);
    set(mod, kResTune, 200.0f);
    set(mod, kResTone, tone);
    set(mod, kResAux1, aux1);
    set(mod, kResAux2, aux2);
    return renderHit(m, mod, 24000, false).left;
  };
  auto mag = [&](const std::vector<float>& x, double f) {
    return drumtest::dftMagnitude(x, 0, 24000, f, rate);
  };
  // Sine of the first bank: nothing at the second harmonic.
  const std::vector<float> sine = render(0.0f, 0.0f, 0.0f);
  EXPECT_LT(mag(sine, 400.0), 0.001 * mag(sine, 200.0));
  // Saw: the second harmonic at about half the fundamental.
  const std::vector<float> saw = render(2.0f / 3.0f, 0.0f, 0.0f);
  EXPECT_NEAR(mag(saw, 400.0) / mag(saw, 200.0), 0.5, 0.05);
  // Full detune adds a second oscillator an octave up at equal level.
  const std::vector<float> detuned = render(0.0f, 0.0f, 1.0f);
  EXPECT_NEAR(mag(detuned, 400.0) / mag(detuned, 200.0), 1.0, 0.05);
  // Second bank, first wave: a single partial, whatever the tone blend says.
  const std::vector<float> single = render(0.0f, 0.5f, 0.0f);
  EXPECT_LT(mag(single, 400.0), 0.001 * mag(single, 200.0));
}

TEST(DrumMachine, MetalBodyNoiseShareAndBrightness) {
  const double rate = 48000.0;
  auto render = [&](float tone, float aux1) {
    ob::DrumMachine m;
    m.prepare(rate);
    ob::ModLayers mod = bodyOnly(kBodyMetal, 1.0f);
    set(mod, kResTune, 300.0f);
    set(mod, kResTone, tone);
    set(mod, kResAux1, aux1);
    return renderHit(m, mod, 9600, false).left;
  };
  // Spectral centroid over a log grid.
  auto centroid = [&](const std::vector<float>& x) {
    const dft::HannStretch stretch(x, 0, 9600);
    double num = 0.0;
    double den = 0.0;
    for (double f = 100.0; f < 20000.0; f *= 1.05) {
      const double e = std::pow(stretch.magnitudeAt(f, rate), 2) * f;
      num += e * f;
      den += e;
    }
    return num / den;
  };
  EXPECT_GT(centroid(render(1.0f, 0.0f)), 1.3 * centroid(render(0.0f, 0.0f)));
  const std::vector<float> tonal = render(0.5f, 0.0f);
  const std::vector<float> noisy = render(0.5f, 1.0f);
  EXPECT_NE(tonal, noisy);
  EXPECT_TRUE(drumtest::allFinite(noisy));
  EXPECT_GT(drumtest::peakAbs(noisy), 0.01f);
}

}  // namespace drum_machine_test
