#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <vector>

#include "content/tools/transients.h"

namespace tools_transients_test {

constexpr double kRate = 44100.0;

std::int32_t framesOf(double ms) { return static_cast<std::int32_t>(ms * 0.001 * kRate + 0.5); }

struct Noise {
  std::uint64_t state = 0x2545f4914f6cdd1dull;
  float next() {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<float>(static_cast<double>(state >> 11) / 9007199254740992.0 * 2.0 - 1.0);
  }
};

void addKick(std::vector<float>& x, std::int32_t at) {
  double phase = 0.0;
  for (std::int32_t k = 0; at + k < static_cast<std::int32_t>(x.size()); ++k) {
    const double t = k / kRate;
    phase += 2.0 * std::numbers::pi * (50.0 + 100.0 * std::exp(-t * 30.0)) / kRate;
    x[at + k] += static_cast<float>(0.9 * std::exp(-t / 0.05) * std::sin(phase));
  }
}

void addSnare(std::vector<float>& x, std::int32_t at, Noise& noise) {
  for (std::int32_t k = 0; at + k < static_cast<std::int32_t>(x.size()); ++k) {
    const double t = k / kRate;
    x[at + k] += static_cast<float>(
        std::exp(-t / 0.05) * (0.4 * noise.next() + 0.3 * std::sin(2.0 * std::numbers::pi * 190.0 * t)));
  }
}

void addHat(std::vector<float>& x, std::int32_t at, Noise& noise) {
  for (std::int32_t k = 0; at + k < static_cast<std::int32_t>(x.size()); ++k)
    x[at + k] += static_cast<float>(0.5 * std::exp(-(k / kRate) / 0.02)) * noise.next();
}

std::vector<float> detect(const std::vector<float>& x, std::int32_t capacity = 64) {
  std::vector<float> out(capacity, -1.0f);
  const std::int32_t n =
      ob::detectTransients(x.data(), static_cast<std::int32_t>(x.size()), kRate, out.data(), capacity);
  out.resize(n);
  return out;
}

std::vector<float> clicks(std::int32_t frames, std::initializer_list<std::int32_t> at) {
  std::vector<float> x(frames, 0.0f);
  for (std::int32_t a : at)
    for (std::int32_t k = 0; k < 8 && a + k < frames; ++k) x[a + k] = (k % 2 ? -0.8f : 0.8f);
  return x;
}

TEST(DetectTransients, DrumLoopOnsetsAreFoundWithinAFewMilliseconds) {
  // Two bars of eighths at 120 BPM: kick, hat, snare, hat.
  const std::int32_t eighth = framesOf(250.0);
  const std::int32_t start = framesOf(37.0);
  std::vector<float> x(start + 16 * eighth + framesOf(300.0), 0.0f);
  Noise noise;
  std::vector<std::int32_t> onsets;
  for (int i = 0; i < 16; ++i) {
    const std::int32_t at = start + i * eighth;
    onsets.push_back(at);
    switch (i % 4) {
      case 0: addKick(x, at); break;
      case 2: addSnare(x, at, noise); break;
      default: addHat(x, at, noise); break;
    }
  }
  const std::vector<float> marks = detect(x);
  ASSERT_EQ(marks.size(), onsets.size() + 1);
  EXPECT_EQ(marks[0], 0.0f);
  const double n = static_cast<double>(x.size());
  for (std::size_t i = 0; i < onsets.size(); ++i) {
    const double frame = marks[i + 1] * n;
    EXPECT_GE(frame, onsets[i] - 1.0) << "hit " << i;
    EXPECT_LE(frame, onsets[i] + framesOf(3.0)) << "hit " << i;
  }
}

TEST(DetectTransients, HoldOffAndArmingSuppressCloseOnsets) {
  // Two clicks 20 ms apart: the second lies within the 30 ms hold-off.
  const std::int32_t first = framesOf(100.0);
  std::vector<float> marks = detect(clicks(framesOf(500.0), {first, first + framesOf(20.0)}));
  ASSERT_EQ(marks.size(), 2u);
  EXPECT_NEAR(marks[1] * framesOf(500.0), first, 3.0);

  // 40 ms apart both count: the detector has re-armed in the gap.
  marks = detect(clicks(framesOf(500.0), {first, first + framesOf(40.0)}));
  EXPECT_EQ(marks.size(), 3u);

  // A click at frame 0 gives no second marker at 0.
  marks = detect(clicks(framesOf(500.0), {0}));
  ASSERT_EQ(marks.size(), 1u);
  EXPECT_EQ(marks[0], 0.0f);
}

TEST(DetectTransients, NoOnsetUntilTheSlowFollowerHasCaughtUp) {
  // Steady noise from 100 ms, then a jump to four times the level. While the
  // slow follower still lags the fast one the detector stays disarmed, so a
  // jump 50 ms in is not an onset; 250 ms in, it is.
  auto build = [](double jumpMs) {
    Noise noise;
    std::vector<float> x(framesOf(600.0), 0.0f);
    for (std::int32_t k = framesOf(100.0); k < static_cast<std::int32_t>(x.size()); ++k)
      x[k] = (k >= framesOf(100.0 + jumpMs) ? 0.8f : 0.2f) * noise.next();
    return x;
  };
  EXPECT_EQ(detect(build(50.0)).size(), 2u);
  const std::vector<float> late = detect(build(250.0));
  ASSERT_EQ(late.size(), 3u);
  EXPECT_NEAR(late[2] * framesOf(600.0), framesOf(350.0), framesOf(3.0));
}

TEST(DetectTransients, CapacitySilenceAndBadInput) {
  std::vector<float> silence(44100, 0.0f);
  std::vector<float> marks = detect(silence);
  ASSERT_EQ(marks.size(), 1u);
  EXPECT_EQ(marks[0], 0.0f);

  const std::vector<float> busy = clicks(framesOf(1000.0), {4410, 8820, 13230, 17640, 22050});
  marks = detect(busy, 1);
  ASSERT_EQ(marks.size(), 1u);
  EXPECT_EQ(marks[0], 0.0f);
  marks = detect(busy, 3);  // stops when full
  EXPECT_EQ(marks.size(), 3u);
  EXPECT_EQ(detect(busy).size(), 6u);

  float out[4] = {-1.0f, -1.0f, -1.0f, -1.0f};
  EXPECT_EQ(ob::detectTransients(nullptr, 100, kRate, out, 4), 0);
  EXPECT_EQ(ob::detectTransients(busy.data(), 0, kRate, out, 4), 0);
  EXPECT_EQ(ob::detectTransients(busy.data(), 100, 0.0, out, 4), 0);
  EXPECT_EQ(ob::detectTransients(busy.data(), 100, std::nan(""), out, 4), 0);
  EXPECT_EQ(ob::detectTransients(busy.data(), 100, kRate, out, 0), 0);
  EXPECT_EQ(ob::detectTransients(busy.data(), 100, kRate, nullptr, 4), 0);
  EXPECT_EQ(out[0], -1.0f);  // nothing written

  // A non-finite sample does not stop later onsets from being found.
  std::vector<float> damaged = busy;
  damaged[100] = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(detect(damaged).size(), 6u);
}

TEST(DetectTransients, LongSilenceAfterAHitLeavesTheDetectorWorking) {
  // Minutes of silence drive the followers towards zero; a hit afterwards
  // must still be found.
  std::vector<float> x(static_cast<std::size_t>(kRate * 120.0), 0.0f);
  const std::int32_t late = static_cast<std::int32_t>(x.size()) - framesOf(100.0);
  for (std::int32_t at : {framesOf(50.0), late})
    for (std::int32_t k = 0; k < 8; ++k) x[at + k] = (k % 2 ? -0.8f : 0.8f);
  const std::vector<float> marks = detect(x);
  ASSERT_EQ(marks.size(), 3u);
  EXPECT_NEAR(marks[2] * static_cast<double>(x.size()), late, 3.0 + x.size() * 1e-7);
}

TEST(DivideSlices, EqualMarkersLimitedToOneToSixtyFour) {
  float out[64];
  std::int32_t count = -1;
  ob::divideSlices(out, &count, 0);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(out[0], 0.0f);
  ob::divideSlices(out, &count, -3);
  EXPECT_EQ(count, 1);
  ob::divideSlices(out, &count, 1);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(out[0], 0.0f);

  ob::divideSlices(out, &count, 4);
  ASSERT_EQ(count, 4);
  EXPECT_EQ(out[1], 0.25f);
  EXPECT_EQ(out[2], 0.5f);
  EXPECT_EQ(out[3], 0.75f);

  for (std::int32_t wanted : {64, 65, 100}) {
    ob::divideSlices(out, &count, wanted);
    ASSERT_EQ(count, 64) << wanted;
    for (int i = 0; i < 64; ++i) EXPECT_FLOAT_EQ(out[i], i / 64.0f);
  }

  count = 7;
  ob::divideSlices(nullptr, &count, 4);
  EXPECT_EQ(count, 0);
}

}  // namespace tools_transients_test
