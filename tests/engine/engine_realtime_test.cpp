// The engine's block runs on the audio thread: nothing inside process may
// allocate or free, whatever it is handed (posts, seeds, sample sets, edits,
// triggers, timed events, transport changes, long blocks, resets).
#include <gtest/gtest.h>

#include <random>

#include "engine/session/engine_host.h"
#include "engine_harness.h"
#include "support/allocation_counter.h"
#include "support/sanitized_build.h"

namespace engine_realtime_test {

using namespace enginetest;

struct Counts {
  long allocations;
  long frees;
};
Counts now() { return {ob::test::allocationCount(), ob::test::freeCount()}; }

// An engine host playing the busy demo, as activate leaves it.
std::unique_ptr<orbi::EngineHost> busyHost(double rate, int maxBlock) {
  auto host = orbi::EngineHost::create();
  if (!host) return host;
  host->project = *busyDemo();
  host->engine.prepare(rate, maxBlock);
  host->publishSamples();
  host->engine.loadProject(host->project);
  return host;
}

TEST(EngineRealtime, ProcessNeitherAllocatesNorFrees) {
  auto host = busyHost(48000.0, 256);
  ASSERT_TRUE(host);
  host->engine.enableControlSignals(true);

  std::mt19937 rng(5);
  std::vector<float> buf(16 * 1024);
  float* ch[16];
  for (int c = 0; c < 16; ++c) ch[c] = buf.data() + c * 1024;
  ob::SamplePoolSnapshot other;
  long worstAllocations = 0, worstFrees = 0;

  // A thousand blocks already meet every hand-over several times over.
  const int blocks = ob::test::kSanitizedBuild ? 1000 : 3000;
  for (int b = 0; b < blocks; ++b) {
    // Main-thread work between blocks (may allocate; not counted).
    if (b % 97 == 5) host->postProject(b % 2 == 0);
    if (b % 89 == 3) host->engine.handOverSeed(rng());
    if (b % 151 == 7) publishSamples(host->engine, other);
    if (b % 11 == 0) {
      ob::EditCommand c;
      c.kind = static_cast<std::uint8_t>(rng() % 50);
      c.track = rng() % 8;
      c.step = rng() % 16;
      c.param = static_cast<std::int32_t>(rng() % 64);
      c.value = static_cast<float>(rng() % 100) * 0.01f;
      if (c.kind == ob::kEditRemoveTrack) c.kind = ob::kEditSoundParam;
      host->applyEdit(c);
    }
    host->engine.drainRetired();

    // Audio-thread work, counted.
    for (int i = 0; i < 3; ++i)
      host->engine.queueTrigger(trigger(static_cast<int>(rng() % 8), static_cast<int>(rng() % 256), 0.9f,
                                        static_cast<int>(rng() % 50)));
    ob::BlockEvent ev;
    ev.command.kind = ob::kEditMacroValue;
    ev.command.param = static_cast<std::int32_t>(rng() % 4);
    ev.command.value = static_cast<float>(rng() % 100) * 0.01f;
    ev.time = static_cast<std::int32_t>(rng() % 256);
    host->engine.queueBlockEvent(ev);
    ob::RenderInfo info = (b / 400) % 2 == 0 ? internalPlay() : stopped();
    info.hasPosition = 1;
    info.position = static_cast<std::int64_t>(b) * 256;
    const int frames = b % 50 == 0 ? 1000 : 256;  // now and then longer than prepared

    const Counts before = now();
    host->engine.processBlock(ch, 8, frames, info);
    if (b % 500 == 499) host->engine.reset();
    const Counts after = now();
    worstAllocations = std::max(worstAllocations, after.allocations - before.allocations);
    worstFrees = std::max(worstFrees, after.frees - before.frees);
  }
  EXPECT_EQ(worstAllocations, 0);
  EXPECT_EQ(worstFrees, 0);
  // The counter itself sees what the engine's main-thread side does.
  const Counts before = now();
  host->postProject(false);
  EXPECT_GT(now().allocations, before.allocations);
}

// The host's reset prepares every player again on the audio thread: at the
// rate activate prepared for, that reuses what activate allocated.
TEST(EngineRealtime, ResetPreparesThePlayersWithoutAllocating) {
  auto host = busyHost(44100.0, 512);
  ASSERT_TRUE(host);
  std::vector<float> l(512), r(512);
  for (int round = 0; round < 3; ++round) {
    for (int b = 0; b < 40; ++b) {
      host->engine.queueTrigger(trigger(b % 8, b * 7 % 512, 0.9f, b));
      host->engine.process(l.data(), r.data(), 512, internalPlay());
    }
    const Counts before = now();
    host->engine.reset();
    const Counts after = now();
    EXPECT_EQ(after.allocations, before.allocations);
    EXPECT_EQ(after.frees, before.frees);
  }
}

}  // namespace engine_realtime_test
