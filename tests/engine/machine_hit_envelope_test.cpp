// The hit envelope the sample, granular and va machines share: a linear
// rise over the attack, an exponential fall by the decay's time constant,
// each machine's floors, and the end below the silent level.
#include "engine/machine/hit_envelope.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace machine_hit_envelope_test {

using ob::HitEnvelope;
using ob::HitEnvelopeFloors;
using ob::HitEnvelopeSteps;

constexpr HitEnvelopeFloors kNoFloors{0.0f, 0.0, 0.0};

// Levels after each of n steps from a restart.
std::vector<float> run(HitEnvelope& e, HitEnvelopeSteps s, int n) {
  std::vector<float> levels;
  e.restart();
  for (int i = 0; i < n; ++i) {
    e.advance(s);
    levels.push_back(e.level());
  }
  return levels;
}

TEST(HitEnvelope, RisesOverTheAttackThenFallsByTheDecaysTimeConstant) {
  for (double rate : {44100.0, 96000.0}) {
    for (float attack : {0.001f, 0.01f}) {
      SCOPED_TRACE(testing::Message() << rate << " Hz, attack " << attack);
      HitEnvelope e;
      e.prepare();
      const HitEnvelopeSteps s = e.steps(attack, 0.05f, rate, kNoFloors);
      const std::vector<float> levels = run(e, s, static_cast<int>(attack * rate) + 201);
      int top = 0;
      while (levels[top] < 1.0f) {
        EXPECT_NEAR(levels[top], (top + 1) / (attack * rate), 1e-4) << top;
        ++top;
      }
      EXPECT_NEAR(top + 1, attack * rate, 1.5);  // a step more where the sum falls short
      // Then a 50 ms fall.
      const int fallen = static_cast<int>(levels.size()) - 1 - top;
      EXPECT_NEAR(levels.back(), std::exp(-fallen / (0.05 * rate)), 1e-4);
      EXPECT_FALSE(e.ended());
    }
  }
}

TEST(HitEnvelope, AnAttackAtOrBelowTheInstantOneStartsAtFullLevel) {
  const HitEnvelopeFloors floors{1e-5f, 0.0, 0.0001};
  for (float attack : {-1.0f, 0.0f, 1e-5f}) {
    SCOPED_TRACE(attack);
    HitEnvelope e;
    e.prepare();
    EXPECT_EQ(run(e, e.steps(attack, 1.0f, 44100.0, floors), 1).front(), 1.0f);
  }
  HitEnvelope e;
  e.prepare();
  EXPECT_LT(run(e, e.steps(1e-4f, 1.0f, 44100.0, floors), 1).front(), 1.0f);
}

TEST(HitEnvelope, ShorterTimesThanTheFloorsPlayAsTheFloors) {
  const HitEnvelopeFloors floors{-std::numeric_limits<float>::infinity(), 0.0001, 0.001};
  HitEnvelope e;
  e.prepare();
  const HitEnvelopeSteps floor = e.steps(0.0001f, 0.001f, 48000.0, floors);
  for (float time : {-1.0f, 0.0f, 0.00005f}) {
    SCOPED_TRACE(time);
    HitEnvelope shorter;
    shorter.prepare();
    const HitEnvelopeSteps s = shorter.steps(time, time, 48000.0, floors);
    EXPECT_EQ(s.attack, floor.attack);
    EXPECT_EQ(s.decay, floor.decay);
  }
}

TEST(HitEnvelope, EndsOnlyOnceItFallsBelowTheSilentLevel) {
  HitEnvelope e;
  e.prepare();
  const HitEnvelopeSteps s = e.steps(0.0f, 0.001f, 44100.0, kNoFloors);
  e.restart();
  EXPECT_FALSE(e.ended());  // silent, but rising
  int steps = 0;
  while (!e.ended() && steps < 10000) {
    e.advance(s);
    ++steps;
  }
  EXPECT_LT(e.level(), HitEnvelope::kSilent);
  // Full at once, then down by a factor of 10,000 at 1 ms.
  EXPECT_NEAR(steps, 1 + 0.001 * 44100.0 * std::log(1.0 / HitEnvelope::kSilent), 1.0);
  e.restart();
  EXPECT_FALSE(e.ended());
  EXPECT_EQ(e.level(), 0.0f);
}

TEST(HitEnvelope, APrepareWorksTheDecayOutForTheNewRate) {
  HitEnvelope e;
  e.prepare();
  const float at44 = e.steps(0.0f, 0.1f, 44100.0, kNoFloors).decay;
  e.prepare();
  const float at96 = e.steps(0.0f, 0.1f, 96000.0, kNoFloors).decay;
  EXPECT_FLOAT_EQ(at96, static_cast<float>(std::exp(-1.0 / (0.1 * 96000.0))));
  EXPECT_LT(at44, at96);
}

}  // namespace machine_hit_envelope_test
