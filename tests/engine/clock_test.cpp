#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/clock/clock_math.h"
#include "engine/clock/step_clock.h"
#include "engine/clock/step_rate.h"
#include "engine/fnv.h"
#include "engine/model/project.h"

namespace clock_test {

using ob::Pattern;
using ob::StepClock;
using ob::StepEvent;
using ob::StepEventList;

struct Hit {
  std::int64_t at;  // absolute sample
  StepEvent e;
};

// A pattern with one track of sixteen active steps.
std::unique_ptr<Pattern> onePattern(int tracks = 1) {
  auto p = std::make_unique<Pattern>();
  p->numTracks = static_cast<std::uint8_t>(tracks);
  for (int t = 0; t < tracks; ++t) {
    std::snprintf(p->tracks[t].id, sizeof p->tracks[t].id, "v-track-%d", t);
    for (auto& s : p->tracks[t].steps) s.active = 1;
  }
  return p;
}

std::vector<Hit> run(StepClock& clock, std::int64_t total, int block, std::int64_t start = 0) {
  std::vector<Hit> hits;
  auto out = std::make_unique<StepEventList>();
  for (std::int64_t pos = 0; pos < total; pos += block) {
    const int n = static_cast<int>(std::min<std::int64_t>(block, total - pos));
    clock.process(n, *out);
    for (const StepEvent& e : *out) hits.push_back({start + pos + e.time, e});
  }
  return hits;
}

std::unique_ptr<StepClock> makeClock(const Pattern& p, double rate = 44100.0) {
  auto c = std::make_unique<StepClock>();
  c->setSampleRate(rate);
  c->reset(&p);
  return c;
}

// First frame at which an event whose nominal time is x samples fires.
std::int64_t frameFor(double x) { return static_cast<std::int64_t>(std::floor(x - 0.5)) + 1; }

TEST(StepClockTiming, RateTableAndStepLengths) {
  auto p = onePattern(2);
  p->tracks[1].rate = 4;
  auto c = makeClock(*p);
  EXPECT_DOUBLE_EQ(c->samplesPerSixteenth, 5512.5);
  EXPECT_DOUBLE_EQ(c->trackStepLength[0], 5512.5);
  EXPECT_DOUBLE_EQ(c->trackStepLength[1], 3675.0);

  const double beats[] = {0.5, 0.25, 0.125, 1.0 / 3, 1.0 / 6, 1.0 / 12};
  for (int r = 0; r < 6; ++r) EXPECT_DOUBLE_EQ(ob::rateBeats(static_cast<std::uint8_t>(r)), beats[r]);
  EXPECT_DOUBLE_EQ(ob::rateBeats(6), 0.25);
  EXPECT_DOUBLE_EQ(ob::rateBeats(255), 0.25);

  p->bpm = 0.0f;  // not positive: 120
  c->reset(p.get());
  EXPECT_DOUBLE_EQ(c->samplesPerSixteenth, 5512.5);
}

// The beats a rate's pill label names ("1/8" a half beat, "1/8T" two thirds
// of that); 0 when the label is no such name.
double labelBeats(const std::string& label) {
  const bool triplet = !label.empty() && label.back() == 'T';
  const std::string note = triplet ? label.substr(0, label.size() - 1) : label;
  if (note.rfind("1/", 0) != 0 || note.size() < 3) return 0.0;
  const int n = std::stoi(note.substr(2));
  return n > 0 ? 4.0 / n * (triplet ? 2.0 / 3.0 : 1.0) : 0.0;
}

// Each rate's names say the step the clock plays, so a name and a length
// written apart cannot drift.
TEST(StepRates, EveryNameOfARateSaysTheStepTheClockPlays) {
  auto p = onePattern(1);
  std::set<std::string> words, labels;
  for (int code = 0; code < ob::kTrackRateCount; ++code) {
    SCOPED_TRACE(code);
    const ob::StepRate& rate = ob::stepRate(code);
    p->tracks[0].rate = static_cast<std::uint8_t>(code);
    auto c = makeClock(*p);
    EXPECT_DOUBLE_EQ(c->trackStepLength[0], ob::rateBeats(code) * 4.0 * c->samplesPerSixteenth);
    EXPECT_NEAR(labelBeats(rate.label), ob::rateBeats(code), 1e-12) << rate.label;
    EXPECT_EQ(std::string(rate.grid), "1/" + std::to_string(rate.stepsPerWhole));
    std::string word = rate.label;
    for (char& ch : word)
      ch = ch == '/' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    EXPECT_EQ(word, rate.word);
    words.insert(rate.word);
    labels.insert(rate.label);
  }
  EXPECT_EQ(words.size(), static_cast<std::size_t>(ob::kTrackRateCount));
  EXPECT_EQ(labels.size(), static_cast<std::size_t>(ob::kTrackRateCount));
  // Codes past the table play, and are named, as sixteenths.
  for (int code : {-1, ob::kTrackRateCount, 255}) {
    EXPECT_EQ(&ob::stepRate(code), &ob::stepRate(ob::kSixteenthRate));
    EXPECT_DOUBLE_EQ(labelBeats(ob::stepRate(code).label), 0.25);
  }
}

TEST(StepClockTiming, TempoSetsTheSixteenthAndIgnoresNoTempo) {
  auto p = onePattern();
  auto c = makeClock(*p, 48000.0);
  c->setTempo(90.0);
  EXPECT_DOUBLE_EQ(c->samplesPerSixteenth, 8000.0);
  const double inf = std::numeric_limits<double>::infinity();
  for (double none : {0.0, -120.0, std::nan(""), inf, -inf}) {
    SCOPED_TRACE(none);
    c->setTempo(none);
    EXPECT_DOUBLE_EQ(c->samplesPerSixteenth, 8000.0);
  }
  c->setTempo(180.0);
  EXPECT_DOUBLE_EQ(c->samplesPerSixteenth, 4000.0);
}

// A tempo beyond the engine's range runs at its edge: never a step a sample.
TEST(StepClockTiming, TempoIsHeldToTheEnginesRange) {
  auto p = onePattern();
  auto c = makeClock(*p, 48000.0);
  c->setTempo(ob::kMaxBpm);
  const double fastest = c->samplesPerSixteenth;
  c->setTempo(ob::kMinBpm);
  const double slowest = c->samplesPerSixteenth;
  for (double fast : {1000.0, 1e6, 1e308}) {
    c->setTempo(fast);
    EXPECT_DOUBLE_EQ(c->samplesPerSixteenth, fastest) << fast;
  }
  for (double slow : {0.5, 1e-9, 5e-324}) {
    c->setTempo(slow);
    EXPECT_DOUBLE_EQ(c->samplesPerSixteenth, slowest) << slow;
  }
}

TEST(StepClockTiming, StraightSixteenthsLandOnTheirSamplesAtAnyBlockSize) {
  auto p = onePattern();
  for (int block : {1, 64, 512, 4096}) {
    auto c = makeClock(*p);
    auto hits = run(*c, 5512.5 * 32 + 10, block);
    ASSERT_EQ(hits.size(), 33u) << block;
    for (std::size_t k = 0; k < hits.size(); ++k) {
      EXPECT_EQ(hits[k].at, frameFor(k * 5512.5)) << "block " << block << " step " << k;
      EXPECT_EQ(hits[k].e.stepIndex, static_cast<int>(k % 16));
      EXPECT_EQ(hits[k].e.trackStep, static_cast<std::int64_t>(k));
      EXPECT_EQ(hits[k].e.fire, 1);
      EXPECT_NEAR(hits[k].e.velocity, 100.0 / 127.0, 1e-6);
      EXPECT_DOUBLE_EQ(hits[k].e.beats, k * 0.25);
    }
  }
}

TEST(StepClockTiming, PlayheadFollowsTheGlobalSixteenths) {
  auto p = onePattern();
  p->length = 12;
  auto c = makeClock(*p);
  run(*c, static_cast<std::int64_t>(5512.5 * 13) + 2, 256);  // step 13 has begun
  EXPECT_EQ(c->currentStep(), 1);
  EXPECT_EQ(c->patternPass, 1);
}

TEST(StepClockSwing, FiftyMovesNothingEightyDelaysEveryOtherStepByThirtyPercent) {
  EXPECT_DOUBLE_EQ(ob::swingWarp(0.3, 0.25, 0.5), 0.3);
  EXPECT_DOUBLE_EQ(ob::swingWarp(0.25, 0.25, 0.65), 0.325);
  EXPECT_DOUBLE_EQ(ob::swingWarp(0.5, 0.25, 0.65), 0.5);
  EXPECT_DOUBLE_EQ(ob::swingWarp(0.3, 0.0, 0.65), 0.3);

  for (float trackSwing : {-1.0f, 50.0f}) {
    auto p = onePattern();
    p->tracks[0].swing = trackSwing;
    auto c = makeClock(*p);
    auto hits = run(*c, 5512.5 * 16, 333);
    ASSERT_EQ(hits.size(), 16u);
    for (std::size_t k = 0; k < hits.size(); ++k) EXPECT_EQ(hits[k].at, frameFor(k * 5512.5));
  }

  for (int which = 0; which < 2; ++which) {
    auto p = onePattern();
    if (which == 0)
      p->swing = 80.0f;  // followed by the track
    else
      p->tracks[0].swing = 80.0f;  // the track's own
    auto c = makeClock(*p);
    auto hits = run(*c, 5512.5 * 16, 333);
    ASSERT_EQ(hits.size(), 16u);
    for (std::size_t k = 0; k < hits.size(); ++k) {
      const double late = (k % 2) ? 0.3 * 5512.5 : 0.0;
      EXPECT_EQ(hits[k].at, frameFor(k * 5512.5 + late)) << k;
    }
  }
}

TEST(StepClockSwing, TripletRateSwingsInItsOwnPairs) {
  auto p = onePattern();
  p->tracks[0].rate = 4;  // 1/16 triplet, swing table 24
  p->swing = 80.0f;
  auto c = makeClock(*p);
  auto hits = run(*c, 3675 * 6, 100);
  ASSERT_EQ(hits.size(), 6u);
  for (std::size_t k = 0; k < hits.size(); ++k) {
    const double late = (k % 2) ? 0.3 * 3675.0 : 0.0;
    EXPECT_EQ(hits[k].at, frameFor(k * 3675.0 + late)) << k;
  }
}

TEST(StepClockTiming, MicroTimingMovesUpToHalfAStepEitherWay) {
  auto p = onePattern();
  for (auto& s : p->tracks[0].steps) s.active = 0;
  p->tracks[0].steps[2].active = 1;
  p->tracks[0].steps[2].micro = -64;
  p->tracks[0].steps[5].active = 1;
  p->tracks[0].steps[5].micro = 63;
  auto c = makeClock(*p);
  auto hits = run(*c, 5512.5 * 16, 128);
  ASSERT_EQ(hits.size(), 2u);
  EXPECT_EQ(hits[0].at, frameFor(2 * 5512.5 - 0.5 * 5512.5));
  EXPECT_EQ(hits[1].at, frameFor(5 * 5512.5 + 63.0 / 64 * 0.5 * 5512.5));
  EXPECT_DOUBLE_EQ(hits[0].e.beats, 0.5 - 0.125);
}

TEST(StepClockTiming, RandomTimeStaysWithinItsRange) {
  auto p = onePattern();
  for (auto& s : p->tracks[0].steps) s.randTime = 1.0f;
  auto c = makeClock(*p);
  auto hits = run(*c, 5512.5 * 15, 512);
  ASSERT_GE(hits.size(), 14u);
  bool moved = false;
  for (const Hit& h : hits) {
    const double nominal = h.e.trackStep * 5512.5;
    EXPECT_LE(std::fabs(h.at - nominal), 0.5 * 5512.5 + 1.0);
    moved |= std::fabs(h.at - nominal) > 2.0;
  }
  EXPECT_TRUE(moved);
}

TEST(StepClockRetrig, SubStepsAndVelocityCurve) {
  auto p = onePattern();
  for (auto& s : p->tracks[0].steps) s.active = 0;
  auto& st = p->tracks[0].steps[1];
  st.active = 1;
  st.velocity = 127;
  st.count = 4;
  st.rateTicks = 6;
  st.velCurve = 64;
  auto c = makeClock(*p);
  auto hits = run(*c, 5512.5 * 3, 512);
  ASSERT_EQ(hits.size(), 4u);
  const double factors[] = {0.5, 2.0 / 3, 5.0 / 6, 1.0};
  for (int sub = 0; sub < 4; ++sub) {
    EXPECT_EQ(hits[sub].e.subIndex, sub);
    EXPECT_EQ(hits[sub].at, frameFor(5512.5 + sub * 5512.5 / 4)) << sub;
    EXPECT_NEAR(hits[sub].e.velocity, factors[sub], 1e-6) << sub;
  }

  // A negative curve fades the later hits; a steep one silences them.
  st.velCurve = -128;
  for (int sub = 0; sub < 4; ++sub) EXPECT_NEAR(c->stepEvent(0, 1, sub).velocity, 1.0 - sub / 3.0, 1e-6);
  // No curve: every sub-hit at the step's velocity; past the count nothing fires.
  st.velCurve = 0;
  for (int sub = 0; sub < 4; ++sub) EXPECT_NEAR(c->stepEvent(0, 1, sub).velocity, 1.0, 1e-6);
  EXPECT_FALSE(c->stepEvent(0, 1, 4).fire);
}

TEST(StepClockRetrig, RetrigsNeverSpillPastThePatternEnd) {
  auto p = onePattern();
  for (auto& s : p->tracks[0].steps) s.active = 0;
  auto& st = p->tracks[0].steps[15];
  st.active = 1;
  st.count = 4;
  st.rateTicks = 12;  // half a step: sub 2 and 3 would leave the pattern
  auto c = makeClock(*p);
  EXPECT_TRUE(c->stepEvent(0, 15, 0).fire);
  EXPECT_TRUE(c->stepEvent(0, 15, 1).fire);
  EXPECT_FALSE(c->stepEvent(0, 15, 2).fire);
  EXPECT_FALSE(c->stepEvent(0, 15, 3).fire);
  auto hits = run(*c, 5512.5 * 17, 512);
  EXPECT_EQ(hits.size(), 2u);
}

TEST(StepClockVelocity, AccentEveryFourAmountOneCurveHalf) {
  auto p = onePattern();
  for (auto& s : p->tracks[0].steps) s.velocity = 50;
  p->accentAmount = 1.0f;
  p->accentEvery = 4;
  p->accentCurve = 0.5f;
  auto c = makeClock(*p);
  for (int k = 0; k < 16; ++k) {
    const double factor = (k % 4 == 0) ? 1.5 : 0.5;
    EXPECT_NEAR(c->stepEvent(0, k, 0).velocity, 50.0 / 127.0 * factor, 1e-6) << k;
  }
  p->accentEvery = 0;  // out of range: no accent, no division by zero
  EXPECT_NEAR(c->stepEvent(0, 4, 0).velocity, 50.0 / 127.0, 1e-6);
  p->accentEvery = 4;
  p->accentAmount = 0.0f;
  EXPECT_NEAR(c->stepEvent(0, 0, 0).velocity, 50.0 / 127.0, 1e-6);
}

TEST(StepClockVelocity, ZeroVelocityStepCarriesLocksWithoutFiring) {
  auto p = onePattern();
  for (auto& s : p->tracks[0].steps) s.active = 0;
  p->tracks[0].steps[0].active = 1;
  p->tracks[0].steps[0].velocity = 0;
  p->tracks[0].steps[0].count = 4;
  p->tracks[0].steps[0].rateTicks = 6;
  auto c = makeClock(*p);
  auto hits = run(*c, 5512.5 * 2, 512);
  ASSERT_EQ(hits.size(), 1u);
  EXPECT_EQ(hits[0].e.fire, 0);
  EXPECT_EQ(hits[0].e.step, &p->tracks[0].steps[0]);
}

TEST(StepClockVelocity, MutedStepsTracksAndInactiveStepsStaySilent) {
  auto p = onePattern(2);
  p->tracks[0].steps[3].muted = 1;
  p->tracks[0].steps[4].active = 0;
  p->muteMask = 0x2;
  auto c = makeClock(*p);
  auto hits = run(*c, 5512.5 * 16, 512);
  EXPECT_EQ(hits.size(), 14u);
  for (const Hit& h : hits) {
    EXPECT_EQ(h.e.track, 0);
    EXPECT_NE(h.e.stepIndex, 3);
    EXPECT_NE(h.e.stepIndex, 4);
  }
}

TEST(StepClockHash, SameAtAnySampleRateAndOnEveryRun) {
  auto p = onePattern(3);
  for (int t = 0; t < 3; ++t)
    for (auto& s : p->tracks[t].steps) {
      s.randVel = 0.5f;
      s.randTime = 0.3f;
    }
  p->tracks[2].rate = 3;
  p->seed = 1234;
  auto collect = [&](double rate, int block) {
    auto c = makeClock(*p, rate);
    c->seed = 99;
    std::vector<StepEvent> events;
    const double perBar = c->samplesPerSixteenth * 16;
    for (const Hit& h : run(*c, static_cast<std::int64_t>(perBar * 2), block)) events.push_back(h.e);
    return events;
  };
  const auto a = collect(44100.0, 512);
  const auto b = collect(96000.0, 100);
  const auto again = collect(44100.0, 512);
  ASSERT_EQ(a.size(), b.size());
  ASSERT_EQ(a.size(), again.size());
  // Events of different tracks may swap places at a different rate; compare
  // by track and running step.
  auto find = [](const std::vector<StepEvent>& v, const StepEvent& e) -> const StepEvent* {
    for (const auto& x : v)
      if (x.track == e.track && x.trackStep == e.trackStep && x.subIndex == e.subIndex) return &x;
    return nullptr;
  };
  for (const StepEvent& e : a) {
    const StepEvent* o = find(b, e);
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->hash, e.hash);
    EXPECT_EQ(o->velocity, e.velocity);
    EXPECT_DOUBLE_EQ(o->beats, e.beats);
    const StepEvent* r = find(again, e);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->hash, e.hash);
  }
  // Different bars, tracks and seeds give different hashes.
  auto c = makeClock(*p);
  c->seed = 99;
  EXPECT_NE(c->stepEvent(0, 0, 0).hash, c->stepEvent(0, 16, 0).hash);
  EXPECT_NE(c->stepEvent(0, 0, 0).hash, c->stepEvent(1, 0, 0).hash);
  const auto h = c->stepEvent(0, 3, 0).hash;
  c->seed = 100;
  EXPECT_NE(c->stepEvent(0, 3, 0).hash, h);
}

TEST(StepClockHash, FollowsTheWrittenFormula) {
  auto f = [](std::uint64_t x) { return ob::splitMix64(x + 0x9e3779b97f4a7c15ull); };
  const std::uint64_t a = 7, b = 0x5a17c3e9d04b88f1ull, n = ob::fnv1a64("v-kick"), bar = 3;
  const double t = 0.75;
  const std::uint64_t q = 720;
  const std::uint64_t expect = f(f(bar) ^ f(f(f(f(n) ^ q)) ^ f(f(b) ^ a)));
  EXPECT_EQ(ob::stepHash(a, b, t, n, bar), expect);
  // The position counts in 1/960 beat: a shift well below that changes nothing.
  EXPECT_EQ(ob::stepHash(a, b, t + 1e-5, n, bar), expect);
  EXPECT_NE(ob::stepHash(a, b, t + 1.0 / 960, n, bar), expect);

  // The pattern seed 0 stands for the default seed.
  auto p = onePattern();
  auto c = makeClock(*p);
  const auto withZero = c->stepEvent(0, 2, 0).hash;
  p->seed = ob::kDefaultPatternSeed;
  EXPECT_EQ(c->stepEvent(0, 2, 0).hash, withZero);
}

TEST(StepClockSync, SmallJumpShiftsPendingEventsInPlace) {
  auto p = onePattern();
  auto c = makeClock(*p);
  auto first = run(*c, 1000, 500);  // step 0 fired, step 1 pending
  ASSERT_EQ(first.size(), 1u);
  ASSERT_EQ(c->pendingCount, 1);
  const double before = c->pending[0].countdown;
  // The host is a fifth of a sixteenth ahead of the clock.
  const double now = c->globalStep - c->untilNextStep / c->samplesPerSixteenth;
  c->syncTo(now + 0.2);
  ASSERT_EQ(c->pendingCount, 1);
  EXPECT_NEAR(c->pending[0].countdown, before - 0.2 * 5512.5, 1e-6);
  auto next = run(*c, 6000, 500, 1000);
  ASSERT_GE(next.size(), 1u);
  EXPECT_EQ(next[0].e.trackStep, 1);
  EXPECT_EQ(next[0].at, 1000 + frameFor(before - 0.2 * 5512.5));
}

TEST(StepClockSync, LargeJumpDropsPendingAndStartsAtTheNextWholeStep) {
  auto p = onePattern();
  p->tracks[0].steps[5].micro = -64;  // would play early, but not right after a jump
  auto c = makeClock(*p);
  run(*c, 1000, 500);
  ASSERT_EQ(c->pendingCount, 1);
  c->syncTo(36.5);
  EXPECT_EQ(c->pendingCount, 0);
  EXPECT_EQ(c->globalStep, 37);
  EXPECT_EQ(c->currentStep(), 36 % 16);
  EXPECT_EQ(c->patternPass, 2);
  EXPECT_EQ(c->trackStep[0], 37);
  EXPECT_NEAR(c->untilTrackStep[0], 0.5 * 5512.5, 1e-6);
  auto hits = run(*c, 5512.5 * 2, 256);
  ASSERT_EQ(hits.size(), 2u);
  EXPECT_EQ(hits[0].e.trackStep, 37);
  EXPECT_EQ(hits[0].e.stepIndex, 5);
  // At the first frame of its boundary, not early.
  EXPECT_EQ(hits[0].at, static_cast<std::int64_t>(std::ceil(0.5 * 5512.5)));
  EXPECT_EQ(hits[1].e.trackStep, 38);

  // Back to the start.
  c->syncTo(0.0);
  EXPECT_EQ(c->globalStep, 0);
  EXPECT_EQ(c->currentStep(), 0);
  EXPECT_EQ(c->patternPass, 0);
  // Nonsense positions are ignored.
  c->syncTo(std::nan(""));
  c->syncTo(INFINITY);
  EXPECT_EQ(c->globalStep, 0);
  c->syncTo(1e300);
  EXPECT_GT(c->globalStep, 0);
}

TEST(StepClockSync, StepsUntilCountsAStepJustBehindAsAhead) {
  double off = 0;
  EXPECT_EQ(StepClock::stepsUntil(10.00001, 5512.5, off), 10);
  EXPECT_NEAR(off, -0.00001 * 5512.5, 1e-6);
  EXPECT_EQ(StepClock::stepsUntil(10.001, 5512.5, off), 11);
  EXPECT_EQ(StepClock::stepsUntil(-3.0, 5512.5, off), 0);
  EXPECT_DOUBLE_EQ(off, 3.0 * 5512.5);
  EXPECT_EQ(StepClock::stepsUntil(2.2, 0.0, off), 3);
}

TEST(StepClockRobustness, OutOfModelValuesNeverFault) {
  auto p = onePattern(8);
  p->numTracks = 200;          // more than exist
  p->tracks[0].length = 0;     // silent
  p->tracks[1].rate = 77;      // plays as sixteenths
  p->tracks[2].length = 1000;  // plays the sixteen that exist
  p->tracks[3].swing = 500.0f;
  p->tracks[4].steps[0].count = 255;
  p->tracks[4].steps[0].rateTicks = 1;
  p->tracks[5].steps[2].micro = -128;
  p->accentEvery = 0;
  auto c = makeClock(*p);
  EXPECT_DOUBLE_EQ(c->trackStepLength[1], 5512.5);
  auto hits = run(*c, 5512.5 * 40, 700);
  bool saw2 = false;
  for (const Hit& h : hits) {
    EXPECT_NE(h.e.track, 0);
    EXPECT_GE(h.e.stepIndex, 0);
    EXPECT_LT(h.e.stepIndex, 16);
    EXPECT_TRUE(std::isfinite(h.e.beats));
    EXPECT_GE(h.e.velocity, 0.0f);
    EXPECT_LE(h.e.velocity, 1.0f);
    saw2 |= h.e.track == 2;
  }
  EXPECT_TRUE(saw2);
  EXPECT_FALSE(c->stepEvent(0, 0, 0).fire);
  EXPECT_FALSE(c->stepEvent(8, 0, 0).fire);
  EXPECT_FALSE(c->stepEvent(-1, 0, 0).fire);
  EXPECT_FALSE(c->nextPlayableStep(0, 0, 0).found);

  // A pattern of length 0 produces nothing and keeps its playhead.
  p->length = 0;
  c->reset(p.get());
  EXPECT_TRUE(run(*c, 20000, 512).empty());
  c->setPosition(5);
  EXPECT_EQ(c->patternPass, 0);

  // No pattern: nothing at all.
  c->reset(nullptr);
  EXPECT_TRUE(run(*c, 20000, 512).empty());
}

TEST(StepClockRobustness, ATrackGivenALengthAgainDoesNotReplayTheStepsItMissed) {
  auto p = onePattern(2);
  p->tracks[1].length = 0;
  auto c = makeClock(*p);
  run(*c, 5512.5 * 40, 512);
  p->tracks[1].length = 16;
  const auto hits = run(*c, 5512.5 * 4, 512);
  int second = 0;
  for (const Hit& h : hits) second += h.e.track == 1;
  EXPECT_LE(second, 5);
  EXPECT_GE(second, 3);
  // It keeps the grid: its steps land with track 0's.
  for (const Hit& h : hits)
    if (h.e.track == 1) {
      bool together = false;
      for (const Hit& o : hits) together |= o.e.track == 0 && std::llabs(o.at - h.at) <= 1;
      EXPECT_TRUE(together);
      EXPECT_EQ(h.e.stepIndex, static_cast<int>(h.e.trackStep % 16));
    }
}

TEST(StepClockRobustness, PendingEventsAreCappedAt128) {
  auto p = onePattern(8);
  for (int t = 0; t < 8; ++t) {
    p->tracks[t].rate = 5;
    for (auto& s : p->tracks[t].steps) {
      s.count = 32;
      s.rateTicks = 1;
    }
  }
  auto c = makeClock(*p);
  c->samplesPerSixteenth = 40.0;  // a very fast tempo
  auto out = std::make_unique<StepEventList>();
  int total = 0;
  for (int b = 0; b < 50; ++b) {
    c->process(4096, *out);
    EXPECT_LE(c->pendingCount, StepClock::kMaxPending);
    EXPECT_LE(out->size(), StepEventList::kCapacity);
    total += out->size();
  }
  EXPECT_GT(total, 1000);
}

TEST(StepClockSlides, NextPlayableStep) {
  auto p = onePattern();
  for (auto& s : p->tracks[0].steps) s.active = 0;
  p->tracks[0].steps[2].active = 1;
  p->tracks[0].steps[2].count = 2;
  p->tracks[0].steps[2].rateTicks = 12;
  p->tracks[0].steps[9].active = 1;
  auto c = makeClock(*p);
  auto r = c->nextPlayableStep(0, 2, 0);
  EXPECT_TRUE(r.found);
  EXPECT_EQ(r.step, 2);
  EXPECT_EQ(r.subIndex, 1);
  r = c->nextPlayableStep(0, 2, 1);
  EXPECT_TRUE(r.found);
  EXPECT_EQ(r.step, 9);
  EXPECT_EQ(r.subIndex, 0);
  r = c->nextPlayableStep(0, 9, 0);
  EXPECT_TRUE(r.found);
  EXPECT_EQ(r.step, 18);  // step 2 of the next pass
  p->tracks[0].steps[2].active = 0;
  p->tracks[0].steps[9].active = 0;
  EXPECT_FALSE(c->nextPlayableStep(0, 0, 0).found);
}

}  // namespace clock_test
