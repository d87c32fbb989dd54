// The exciters and recorded parts in detail: recorded hits and bodies,
// the clap's bursts and tail, the noise colours and the burst's attack.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "drum_harness.h"
#include "engine/drum/drum_exciter.h"
#include "engine/drum/drum_machine.h"
#include "engine/pool/sample_pool_snapshot.h"

namespace drum_exciter_test {

using namespace ob::drum_param;
using drumtest::Hit;
using drumtest::quietLayers;
using drumtest::renderHit;
using drumtest::set;

// Slot 5 holds a rising ramp 0..1 (so reading order is visible).
struct RampSample {
  std::vector<float> data;
  ob::SamplePoolSnapshot snapshot;
  explicit RampSample(int frames, double rate) {
    data.resize(frames);
    for (int i = 0; i < frames; ++i) data[i] = static_cast<float>(i) / (frames - 1);
    snapshot.slots[5].left = data.data();
    snapshot.slots[5].frames = frames;
    snapshot.slots[5].sampleRate = rate;
  }
};

constexpr float kSlot5 = 5.0f / 63.0f;

ob::ModLayers recordedHit(float slotValue) {
  ob::ModLayers mod = quietLayers();
  set(mod, kExc1Type, kExcSample);
  set(mod, kExc1Level, 1.0f);
  set(mod, kExc1Decay, 0.5f);
  set(mod, kExc1Tone, 1.0f);  // one-pole fully open
  set(mod, kExc1Aux1, slotValue);
  set(mod, kExc1Aux2, 1.0f / 3.0f);  // speed 1 at equal rates
  return mod;
}

TEST(DrumExciters, SlotIndexFromParameter) {
  EXPECT_EQ(ob::toSlotIndex(0.0f), 0);
  EXPECT_EQ(ob::toSlotIndex(kSlot5), 5);
  EXPECT_EQ(ob::toSlotIndex(1.0f), 63);
  EXPECT_EQ(ob::toSlotIndex(7.0f), 63);
  EXPECT_EQ(ob::toSlotIndex(-3.0f), 0);
}

TEST(DrumExciters, RecordedHitPlaysForwardsBackwardsAndFadesOut) {
  const double rate = 48000.0;
  RampSample sample(4800, rate);
  ob::DrumMachine m;
  m.setSampleSnapshot(&sample.snapshot);
  m.prepare(rate);
  ob::ModLayers mod = recordedHit(kSlot5);
  Hit fwd = renderHit(m, mod, 9600, false);
  // The DC blocker passes the first sample unchanged.
  EXPECT_NEAR(fwd.left[0], 0.0f, 1e-6f);
  ASSERT_GT(fwd.endFrame, 0);
  EXPECT_NEAR(fwd.endFrame, 4800, 8);  // ends with the slot

  set(mod, kExc1Rev, 1.0f);
  m.prepare(rate);
  Hit rev = renderHit(m, mod, 9600, false);
  EXPECT_NEAR(rev.left[0], 1.0f, 1e-3f);  // starts at the last frame
  EXPECT_LT(rev.left[2400], rev.left[100]);

  // Double speed (aux2 = 1) ends in half the time.
  set(mod, kExc1Rev, 0.0f);
  set(mod, kExc1Aux2, 1.0f);
  m.prepare(rate);
  Hit fast = renderHit(m, mod, 9600, false);
  EXPECT_NEAR(fast.endFrame, 2400, 8);
}

TEST(DrumExciters, RecordedHitFadesOutOverItsLastThreeMilliseconds) {
  const double rate = 48000.0;
  const int frames = 4800;
  std::vector<float> tone(frames);
  for (int i = 0; i < frames; ++i) tone[i] = static_cast<float>(std::sin(2.0 * M_PI * 1000.0 * i / rate));
  ob::SamplePoolSnapshot snap;
  snap.slots[5] = {tone.data(), frames, rate, nullptr, 0, nullptr, 1.0f};
  ob::DrumMachine m;
  m.setSampleSnapshot(&snap);
  m.prepare(rate);
  ob::ModLayers mod = recordedHit(kSlot5);
  set(mod, kExc1Decay, 0.5f);
  const Hit h = renderHit(m, mod, 2 * frames, false);
  ASSERT_NEAR(h.endFrame, frames, 8);
  const float before = drumtest::peakAbs(h.left, frames - 400, frames - 200);
  const float lastMs = drumtest::peakAbs(h.left, frames - 48, frames);
  EXPECT_GT(before, 0.5f);
  EXPECT_LT(lastMs, 0.4f * before);
  EXPECT_LT(std::fabs(h.left[frames - 2]), 0.05f);  // no step at the very end
}

TEST(DrumExciters, EmptyOrMissingSlotIsSilentAndEndsAtOnce) {
  const double rate = 44100.0;
  RampSample sample(4410, rate);
  ob::DrumMachine m;
  m.prepare(rate);  // no snapshot at all
  Hit h = renderHit(m, recordedHit(kSlot5), 4410, false, 1);
  EXPECT_EQ(h.endFrame, 1);
  EXPECT_EQ(drumtest::peakAbs(h.left), 0.0f);
  m.setSampleSnapshot(&sample.snapshot);
  h = renderHit(m, recordedHit(0.0f), 4410, false, 1);  // slot 0 is empty
  EXPECT_EQ(h.endFrame, 1);
  EXPECT_EQ(drumtest::peakAbs(h.left), 0.0f);

  // Recorded body: the same rules.
  ob::ModLayers body = quietLayers();
  set(body, kResType, kBodySample);
  set(body, kResAux1, 0.0f);
  h = renderHit(m, body, 4410, false, 1);
  EXPECT_EQ(h.endFrame, 1);
  set(body, kResAux1, kSlot5);
  set(body, kResTone, 1.0f);
  set(body, kResAux2, 1.0f / 3.0f);
  set(body, kResDecay, 4.0f);
  h = renderHit(m, body, 8820, false);
  EXPECT_NEAR(h.endFrame, 4410, 8);
  EXPECT_GT(drumtest::peakAbs(h.left), 0.5f);
  // The recorded body follows the note: an octave up plays twice as fast.
  h = renderHit(m, body, 8820, false, 8, 72.0f);
  EXPECT_NEAR(h.endFrame, 2205, 8);
  set(body, kResRev, 1.0f);
  h = renderHit(m, body, 8820, false);
  EXPECT_NEAR(h.left[0], 1.0f, 1e-3f);
}

TEST(DrumExciters, RecordedHitSpeedFollowsTheSlotRate) {
  RampSample sample(22050, 22050.0);  // one second at half the rate
  ob::DrumMachine m;
  m.setSampleSnapshot(&sample.snapshot);
  m.prepare(44100.0);
  const Hit h = renderHit(m, recordedHit(kSlot5), 88200, false, 8, 84.0f);  // the note does not matter
  EXPECT_NEAR(h.endFrame, 44100, 8);
}

TEST(DrumExciters, ClapSoundsBetweenBurstsAndEndsAfterItsTail) {
  const double rate = 48000.0;
  ob::ModLayers mod = quietLayers();
  set(mod, kExc1Type, kExcClap);
  set(mod, kExc1Level, 1.0f);
  set(mod, kExc1Aux1, 1.0f);      // 40 ms between bursts
  set(mod, kExc1Decay, 0.0005f);  // a very short tail
  ob::DrumMachine m;
  m.prepare(rate);
  const Hit h = renderHit(m, mod, 48000, false);
  // The burst envelope is far below 1e-4 at 39 ms, yet the voice goes on.
  ASSERT_GT(h.endFrame, static_cast<int>(0.080 * rate));
  // The last burst (4 ms time constant) outlasts the short tail.
  EXPECT_NEAR(h.endFrame / rate, 0.080 + 0.004 * std::log(1e4), 0.001);
  // Three bursts: energy right after 0, 40 and 80 ms, almost none before each.
  auto energy = [&](double from, double to) {
    double e = 0.0;
    for (int i = static_cast<int>(from * rate); i < static_cast<int>(to * rate); ++i)
      e += h.left[i] * h.left[i];
    return e;
  };
  for (double start : {0.040, 0.080})
    EXPECT_GT(energy(start, start + 0.004), 100.0 * energy(start - 0.008, start));
}

TEST(DrumExciters, BurstAttackGainOnFirstSampleOnly) {
  auto firstTwo = [](float aux2) {
    ob::ModLayers mod = quietLayers();
    set(mod, kExc1Type, kExcBpNoise);
    set(mod, kExc1Level, 1.0f);
    set(mod, kExc1Decay, 0.1f);
    set(mod, kExc1Aux2, aux2);
    ob::DrumMachine m;
    m.prepare(44100.0);
    return renderHit(m, mod, 2, false, 2).left;
  };
  const std::vector<float> plain = firstTwo(0.0f);
  const std::vector<float> boosted = firstTwo(1.0f);
  EXPECT_NEAR(boosted[0], plain[0] * 3.0f, 1e-6f);
  // The second sample carries no gain (the blocker's history differs only
  // by the first sample's share).
  EXPECT_NEAR(boosted[1] - plain[1],
              -(boosted[0] - plain[0]) * (1.0f - (1.0f - 10.0f * 3.14159265f / 44100.0f)), 1e-5f);
}

TEST(DrumExciters, HissColoursSwitchAtTheirThresholds) {
  const double rate = 48000.0;
  auto render = [&](float aux1) {
    ob::ModLayers mod = quietLayers();
    set(mod, kExc1Type, kExcHpNoise);
    set(mod, kExc1Level, 1.0f);
    set(mod, kExc1Decay, 0.5f);
    set(mod, kExc1Tone, 0.0f);  // 200 Hz high-pass
    set(mod, kExc1Aux1, aux1);
    ob::DrumMachine m;
    m.prepare(rate);
    return renderHit(m, mod, 24000, false).left;
  };
  // Share of energy below 1 kHz (from a DFT over a coarse grid).
  auto lowShare = [&](const std::vector<float>& x) {
    const dft::HannStretch stretch(x, 0, 8192);
    double lo = 0.0;
    double all = 0.0;
    for (double f = 250.0; f < 20000.0; f *= 1.1) {
      const double mag = stretch.magnitudeAt(f, rate);
      all += mag * mag * f;  // log-spaced bins: weight by width
      if (f < 1000.0) lo += mag * mag * f;
    }
    return lo / all;
  };
  const std::vector<float> white = render(0.24f);
  const std::vector<float> pink = render(0.25f);
  const std::vector<float> pink2 = render(0.74f);
  const std::vector<float> comb = render(0.75f);
  EXPECT_EQ(white, render(0.0f));
  EXPECT_EQ(pink, pink2);
  EXPECT_NE(white, pink);
  EXPECT_NE(pink, comb);
  EXPECT_GT(lowShare(pink), 3.0 * lowShare(white));
}

TEST(DrumExciters, SetUpAndClear) {
  ob::DrumExciter e;
  e.prepare(48000.0);
  EXPECT_FALSE(e.sounding());
  e.trigger();
  EXPECT_EQ(e.envelope, 1.0f);
  EXPECT_EQ(e.pitchEnvelope, 1.0f);
  ob::ModLayers mod = quietLayers();
  set(mod, kExc1Type, kExcKnock);
  set(mod, kExc1Level, 0.0f);
  ob::DrumParamValues values(mod);
  e.beginBlock(values, 0, -1, nullptr);
  EXPECT_FALSE(e.sounding());  // no level: does not hold the voice
  std::uint32_t n1 = 1, n2 = 2;
  const ob::ExciterSample s = e.tick<false>(n1, n2);
  EXPECT_EQ(s.mono, 0.0f);
  EXPECT_EQ(e.envelope, 1.0f);  // nothing advanced
  set(mod, kExc1Level, 1.0f);
  values.read(mod);
  e.beginBlock(values, 0, -1, nullptr);
  EXPECT_TRUE(e.sounding());
}

}  // namespace drum_exciter_test
