// Reversed hits rendered ahead of their step, a slice per block: the sound
// is bit for bit what the renderer it replaces makes (the whole pre-render
// inside the block that fires the hit, kept as the engine's reference mode),
// whatever the blocks, tempo changes, edits, host notes and transport stops;
// step hits are ready before their block, the first after a start too; host
// notes still play on their own sample; and the audio thread allocates
// nothing.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/drum/drum_params.h"
#include "engine_harness.h"
#include "reverse_project_rig.h"
#include "support/allocation_counter.h"
#include "support/sanitized_build.h"

namespace engine_reverse_ahead_test {

using namespace enginetest;
using namespace reversetest;

struct Rig {
  std::unique_ptr<ob::Engine> engine;
  std::vector<float> buffer;
  float* channels[16] = {};

  Rig(double rate, int maxBlock, int block, bool spread) : engine(std::make_unique<ob::Engine>()) {
    engine->prepare(rate, maxBlock);
    publishSamples(*engine, testSamples());
    engine->setSpreadReverse(spread);
    buffer.assign(16 * static_cast<std::size_t>(block), 0.0f);
    for (int c = 0; c < 16; ++c) channels[c] = buffer.data() + static_cast<std::size_t>(c) * block;
  }

  void process(int frames, const ob::RenderInfo& info) { engine->processBlock(channels, 8, frames, info); }

  // First mismatching stem sample of this block against another rig, or -1.
  long mismatch(const Rig& other, int frames) const {
    for (int c = 0; c < 16; ++c)
      for (int i = 0; i < frames; ++i) {
        const float a = channels[c][i];
        const float b = other.channels[c][i];
        if (std::memcmp(&a, &b, sizeof a) != 0) return static_cast<long>(c) * 100000 + i;
      }
    return -1;
  }

  std::uint32_t hitsAhead() const {
    std::uint32_t n = 0;
    for (int i = 0; i < ob::Engine::kPlayers; ++i) n += engine->player(i).reverseHitsAhead();
    return n;
  }
  std::uint32_t hitsInPlace() const {
    std::uint32_t n = 0;
    for (int i = 0; i < ob::Engine::kPlayers; ++i) n += engine->player(i).reverseHitsInPlace();
    return n;
  }
};

struct Case {
  std::uint32_t seed;
  int block;
  double rate;
};

class SpreadMatchesInBlock : public ::testing::TestWithParam<Case> {};

// Seeded random kits and patterns, played with tempo changes, host jumps,
// host notes, timed and posted edits: the spread engine and the reference
// engine give the same stems, sample for sample.
TEST_P(SpreadMatchesInBlock, BitForBit) {
  const Case c = GetParam();
  // The smallest blocks get short renders: a call per sample is slow; so
  // does every block under the sanitizers.
  const double seconds = c.block < 16 ? 0.4 : ob::test::kSanitizedBuild ? 1.0 : 2.0;
  const int total = static_cast<int>(c.rate * seconds);
  const int maxBlock = c.seed % 2 ? std::min(c.block, 512) : c.block;
  auto project = randomProject(c.seed);
  Rig spread(c.rate, maxBlock, c.block, true);
  Rig reference(c.rate, maxBlock, c.block, false);
  spread.engine->loadProject(*project);
  reference.engine->loadProject(*project);
  Host host(c.seed * 31 + 7, project->patterns[0].bpm, c.seed % 3 == 0, c.seed % 4 != 1);

  for (int at = 0; at < total; at += c.block) {
    const int n = std::min(c.block, total - at);
    const ob::RenderInfo info = host.next(n, c.rate, [&](auto queue) {
      queue(*spread.engine);
      queue(*reference.engine);
    });
    spread.process(n, info);
    reference.process(n, info);
    const long bad = spread.mismatch(reference, n);
    ASSERT_EQ(bad, -1) << "channel " << bad / 100000 << " sample " << at + bad % 100000;
  }
  // The same reversed hits, most of them made ahead.
  EXPECT_EQ(reference.hitsAhead(), 0u);
  EXPECT_EQ(spread.hitsAhead() + spread.hitsInPlace(), reference.hitsInPlace());
  EXPECT_GT(spread.hitsAhead(), spread.hitsInPlace());
}

std::vector<Case> cases() {
  const int blocks[] = {1, 2, 3, 7, 31, 64, 100, 128, 256, 333, 512, 1024, 2048, 4096};
  std::vector<Case> out;
  std::uint32_t seed = 11;
  for (int block : blocks) {
    out.push_back({seed++, block, 48000.0});
    out.push_back({seed++, block, 44100.0});
  }
  return out;
}

INSTANTIATE_TEST_SUITE_P(Blocks, SpreadMatchesInBlock, ::testing::ValuesIn(cases()),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           return "block" + std::to_string(info.param.block) + "_seed" +
                                  std::to_string(info.param.seed);
                         });

// Eight reversed drums on one step, as the benchmark plays them.
std::unique_ptr<ob::Project> eightReversedDrums(int everySteps) {
  auto project = silentDemo();
  ob::Pattern& pat = project->patterns[0];
  pat.numTracks = 8;
  pat.bpm = 120.0f;
  pat.swing = 50.0f;
  for (int t = 0; t < 8; ++t) {
    ob::Track& track = pat.tracks[t];
    track.soundIndex = static_cast<std::int8_t>(t);
    track.lfos[0] = ob::Lfo{};
    track.lfos[1] = ob::Lfo{};
    ob::Sound& s = pat.kit.sounds[t];
    ob::initSoundParams(s, ob::kMachineDrum);
    using namespace ob::drum_param;
    const int bodies[] = {kBodySine, kBodyShell, kBodyModal, kBodyMetal, kBodyString};
    setParam(s, "res_type", static_cast<float>(bodies[t % 5]));
    setParam(s, "res_decay", 1.5f);
    setParam(s, "voice_rev", 1.0f);
    for (int i = 0; i < 16; i += everySteps) track.steps[i].active = 1;
  }
  return project;
}

// Next firing pending event of a track, in samples from the next block.
int nextHitIn(const ob::Engine& engine, int track) {
  int best = -1;
  const ob::StepClock& clock = engine.clock();
  for (int p = 0; p < clock.pendingCount; ++p) {
    if (clock.pending[p].event.track != track || !clock.pending[p].event.fire) continue;
    const int at = ob::StepClock::releaseSample(clock.pending[p].countdown);
    if (best < 0 || at < best) best = at;
  }
  return best;
}

// Every step hit after the first has a pre-render that is complete before
// the block that fires it starts, and the player takes it.
TEST(ReverseAhead, StepHitsAreReadyBeforeTheirBlock) {
  for (int block : {64, 128, 256}) {
    SCOPED_TRACE(block);
    auto project = eightReversedDrums(4);
    Rig spread(48000.0, block, block, true);
    spread.engine->loadProject(*project);
    const ob::RenderInfo info = internalPlay();
    const int blocks = static_cast<int>(48000.0 * 4.0) / block;  // two bars at 120
    int readyChecks = 0;
    for (int b = 0; b < blocks; ++b) {
      spread.process(block, info);
      for (int t = 0; t < 8; ++t) {
        const int at = nextHitIn(*spread.engine, t);
        if (at < 0 || at >= block) continue;
        ASSERT_TRUE(spread.engine->prerender(t).complete()) << "block " << b << " track " << t;
        ++readyChecks;
      }
    }
    // Two bars, a hit every quarter on eight tracks. The first step after
    // the start has no notice: its pre-render is made in its own block; the
    // others, and the one due just after the run, were ready.
    EXPECT_EQ(readyChecks, 8 * 8);
    EXPECT_EQ(spread.hitsInPlace(), 0u);
    EXPECT_EQ(spread.hitsAhead(), 8u * 8u);
  }
}

// While the transport is stopped, the hits of the step it will start on are
// rendered ahead: the blocks after the start only play them, from the top
// of the pattern and from a stop in the step before a hit (which the clock
// has already scheduled), and the sound is the reference's throughout.
TEST(ReverseAhead, TheStepAStartPlaysIsReadyBeforeTheStart) {
  auto project = eightReversedDrums(4);
  Rig spread(48000.0, 64, 64, true);
  Rig reference(48000.0, 64, 64, false);
  spread.engine->loadProject(*project);
  reference.engine->loadProject(*project);
  const auto block = [&](const ob::RenderInfo& info) {
    spread.process(64, info);
    reference.process(64, info);
    return spread.mismatch(reference, 64) == -1;
  };
  for (const bool fromTheTop : {true, false}) {
    SCOPED_TRACE(fromTheTop);
    // The second start: half a step before the next hit.
    while (!fromTheTop && !(nextHitIn(*spread.engine, 0) > 3000 && nextHitIn(*spread.engine, 0) < 3064))
      ASSERT_TRUE(block(internalPlay()));
    const int due = fromTheTop ? 0 : nextHitIn(*spread.engine, 0);
    for (int b = 0; b < 300; ++b) ASSERT_TRUE(block(stopped())) << b;
    for (int t = 0; t < 8; ++t) EXPECT_TRUE(spread.engine->prerender(t).complete()) << t;
    const std::uint32_t ahead = spread.hitsAhead(), inPlace = spread.hitsInPlace();
    for (int b = 0; b <= due / 64; ++b) ASSERT_TRUE(block(internalPlay())) << b;
    EXPECT_EQ(spread.hitsInPlace(), inPlace);
    EXPECT_EQ(spread.hitsAhead(), ahead + 8);
    for (int b = 0; b < 800; ++b) ASSERT_TRUE(block(internalPlay())) << b;  // as the reference plays them
  }
  EXPECT_EQ(spread.hitsInPlace(), 0u);
}

// A host note has no notice: it is rendered in place, at its own sample, and
// sounds as the reference does, while the steps around it stay ahead.
TEST(ReverseAhead, HostNoteOnAReversedSoundPlaysAtItsSample) {
  for (int noteAt : {0, 37, 63}) {
    SCOPED_TRACE(noteAt);
    auto project = eightReversedDrums(4);
    ob::Track& quiet = project->patterns[0].tracks[5];
    for (ob::Step& s : quiet.steps) s.active = 0;
    Rig spread(48000.0, 64, 64, true);
    Rig reference(48000.0, 64, 64, false);
    spread.engine->loadProject(*project);
    reference.engine->loadProject(*project);
    const int noteBlock = 200;
    const int blocks = noteBlock + 48000 / 64 + 20;
    std::vector<float> track5;
    for (int b = 0; b < blocks; ++b) {
      if (b == noteBlock) {
        spread.engine->queueTrigger(trigger(5, noteAt));
        reference.engine->queueTrigger(trigger(5, noteAt));
      }
      spread.process(64, internalPlay());
      reference.process(64, internalPlay());
      ASSERT_EQ(spread.mismatch(reference, 64), -1) << "block " << b;
      track5.insert(track5.end(), spread.channels[10], spread.channels[10] + 64);
    }
    const int start = noteBlock * 64 + noteAt;
    const int first = firstNonZero(track5);
    EXPECT_GE(first, start);
    EXPECT_LT(first, start + 48000);
    // Backwards: it swells for a second into the transient, then stops.
    EXPECT_GT(rms(track5, start + 44000, start + 48000), 1.5 * rms(track5, start, start + 4000));
    EXPECT_EQ(rms(track5, start + 48000, static_cast<int>(track5.size())), 0.0);
    EXPECT_EQ(spread.engine->player(5).reverseHitsInPlace() + spread.engine->player(13).reverseHitsInPlace(),
              1u);
    // The other seven tracks kept theirs ahead: three hits each.
    EXPECT_EQ(spread.hitsAhead(), 7u * 3u);
  }
}

// An edit of the reversed sound while its pre-render runs starts it over
// with the notice left; new sample memory drops it (it must not read the old
// one again). The result is still the reference's, and made ahead.
TEST(ReverseAhead, ChangesBeforeTheHitStartOverInTime) {
  auto project = eightReversedDrums(8);
  Rig spread(48000.0, 64, 64, true);
  Rig reference(48000.0, 64, 64, false);
  spread.engine->loadProject(*project);
  reference.engine->loadProject(*project);
  const int tune = ob::findParamIndex(ob::kMachineDrum, "res_tune");
  ob::SamplePoolSnapshot other = testSamples();
  int restarts = 0;
  // Five seconds; a hit every half note (48000 samples at 120 and 48 kHz).
  for (int b = 0; b < 5 * 48000 / 64; ++b) {
    // In the sixteenth before each hit, while its pre-render runs.
    const int inCycle = b * 64 % 48000;
    const bool edit = inCycle / 64 == 42600 / 64;
    const bool samples = inCycle / 64 == 44600 / 64;
    const int track = b * 64 / 48000 % 8;
    if (edit) {
      ob::EditCommand c;
      c.kind = ob::kEditSoundParam;
      c.track = static_cast<std::uint32_t>(track);
      c.param = tune;
      c.value = 120.0f + static_cast<float>(b % 50);
      spread.engine->postCommand(c);
      reference.engine->postCommand(c);
    }
    if (samples) {
      const ob::SamplePoolSnapshot& snap = track % 2 ? other : testSamples();
      publishSamples(*spread.engine, snap);
      publishSamples(*reference.engine, snap);
    }
    const std::int32_t before = spread.engine->prerender(track).remaining();
    spread.process(64, internalPlay());
    reference.process(64, internalPlay());
    ASSERT_EQ(spread.mismatch(reference, 64), -1) << "block " << b;
    if (edit || samples) {
      EXPECT_GT(spread.engine->prerender(track).remaining(), before) << "block " << b;
      ++restarts;
    }
  }
  EXPECT_EQ(restarts, 10);
  // Five seconds of a hit every half note on eight tracks, all of them ahead.
  EXPECT_EQ(spread.hitsInPlace(), 0u);
  EXPECT_EQ(spread.hitsAhead(), 8u * 5u);
}

// The audio thread allocates nothing with pre-renders running, taken,
// started over and dropped: random kits, host notes, edits, tempo changes,
// new sample memory, long blocks and resets.
TEST(ReverseAhead, ProcessNeitherAllocatesNorFrees) {
  for (std::uint32_t seed : {3u, 4u}) {
    SCOPED_TRACE(seed);
    auto project = randomProject(seed);
    Rig rig(48000.0, 256, 1024, true);
    rig.engine->loadProject(*project);
    Host host(seed, project->patterns[0].bpm, true, true);
    ob::SamplePoolSnapshot other = testSamples();
    long allocations = 0, frees = 0;
    for (int b = 0; b < 1000; ++b) {
      if (b % 211 == 100) publishSamples(*rig.engine, b % 2 ? other : testSamples());
      const int n = b % 40 == 0 ? 1000 : 256;
      const ob::RenderInfo info = host.next(n, 48000.0, [&](auto queue) { queue(*rig.engine); });
      const long a0 = ob::test::allocationCount(), f0 = ob::test::freeCount();
      rig.process(n, info);
      if (b % 500 == 499) rig.engine->reset();
      allocations += ob::test::allocationCount() - a0;
      frees += ob::test::freeCount() - f0;
    }
    EXPECT_EQ(allocations, 0);
    EXPECT_EQ(frees, 0);
    EXPECT_GT(rig.hitsAhead(), 0u);
  }
}

}  // namespace engine_reverse_ahead_test
