// Two threads at once: the main thread posts edits, whole projects, seeds
// and sample sets while an audio thread processes blocks. Run under
// ThreadSanitizer it must report nothing, and at the end the engine's copy
// must equal the editor's.
#include <gtest/gtest.h>

#include <atomic>
#include <bit>
#include <chrono>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "engine/session/engine_host.h"
#include "engine_harness.h"

namespace engine_stress_test {

using namespace enginetest;

ob::SampleAudio tone(int frames, float freq) {
  ob::SampleAudio a;
  a.left.resize(static_cast<std::size_t>(frames));
  for (int i = 0; i < frames; ++i)
    a.left[i] = 0.5f * std::sin(6.2831853f * freq * static_cast<float>(i) / 48000.0f);
  a.sampleRate = 48000.0;
  return a;
}

void fillPool(orbi::EngineHost& host, std::mt19937& rng) {
  for (int i = 0; i < 3; ++i)
    host.pool.append(tone(2000 + static_cast<int>(rng() % 4000), 200.0f + 100.0f * i));
}

// Kinds the editor sends, with fields in and a little out of range.
ob::EditCommand randomCommand(std::mt19937& rng) {
  static const std::uint8_t kinds[] = {0,  1,  1,  1,  2,  4,  5,  6,  8,  9,  10, 11, 13,
                                       14, 16, 17, 18, 19, 20, 21, 22, 23, 24, 27, 28, 29,
                                       31, 37, 38, 40, 41, 42, 45, 46, 47, 48, 49};
  ob::EditCommand c;
  c.kind = kinds[rng() % sizeof kinds];
  c.track = rng() % 9;
  c.step = rng() % 17;
  c.param = static_cast<std::int32_t>(rng() % 66);
  if (c.kind >= 19 && c.kind <= 35) c.param = static_cast<std::int32_t>(rng() % 2);
  if (c.kind == ob::kEditMachine || c.kind == ob::kEditAddTrack)
    c.param = static_cast<std::int32_t>(rng() % 4);
  c.value = static_cast<float>(static_cast<int>(rng() % 200) - 20) * 0.05f;
  if (c.kind == ob::kEditBpm) c.value = 60.0f + static_cast<float>(rng() % 120);
  return c;
}

TEST(EngineStress, MainThreadHandOversWhileTheAudioThreadRuns) {
  auto host = orbi::EngineHost::create();
  ASSERT_TRUE(host);
  std::mt19937 rng(2026);
  ob::buildDemoProject(host->project);
  // One sampler track, so sample memory is read while it is replaced.
  ob::Pattern& pat = host->project.patterns[0];
  ob::Sound& snd = pat.kit.sounds[pat.tracks[5].soundIndex];
  ob::initSoundParams(snd, ob::kMachineSample);
  snd.zoneCount = 3;
  snd.mode = 1;
  for (int z = 0; z < 3; ++z) snd.slot[z] = static_cast<std::uint8_t>(z);
  fillPool(*host, rng);

  constexpr int kBlock = 128;
  host->engine.prepare(48000.0, kBlock);
  host->publishSamples();
  host->engine.loadProject(host->project);

  std::atomic<bool> mainDone{false};
  std::atomic<bool> audioDone{false};
  std::atomic<long> blocks{0};

  std::thread audio([&] {
    std::vector<float> buf(16 * kBlock);
    float* ch[16];
    for (int c = 0; c < 16; ++c) ch[c] = buf.data() + c * kBlock;
    std::mt19937 arng(7);
    ob::RenderInfo info = internalPlay();
    int quiet = 0;
    while (quiet < 3) {
      if (arng() % 4 == 0)
        host->engine.queueTrigger(trigger(static_cast<int>(arng() % 8), static_cast<int>(arng() % kBlock),
                                          0.8f, static_cast<int>(arng() % 100)));
      host->engine.processBlock(ch, 8, kBlock, info);
      host->preview.mix(ch[0], ch[1], kBlock);
      blocks.fetch_add(1, std::memory_order_relaxed);
      // Once the main thread is done, run until everything it posted is in.
      if (mainDone.load(std::memory_order_acquire) && host->engine.pendingCommands() == 0 &&
          !host->engine.mailboxFull())
        ++quiet;
    }
    audioDone.store(true, std::memory_order_release);
  });

  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(2500);
  int commands = 0, projects = 0, seeds = 0, sampleSets = 0, previews = 0;
  std::uint64_t lastSeed = 0;
  bool seedGiven = false;
  while (std::chrono::steady_clock::now() < until || commands < 2000) {
    const unsigned op = rng() % 100;
    if (op < 80) {
      const ob::EditCommand c = randomCommand(rng);
      // Never drop one: the copies must end up equal.
      while (!host->engine.postCommand(c)) std::this_thread::yield();
      ob::applyEditCommand(host->project, c);
      ++commands;
    } else if (op < 86) {
      host->postProject(rng() % 2 == 0);
      ++projects;
    } else if (op < 90) {
      lastSeed = (static_cast<std::uint64_t>(rng()) << 32) | rng();
      host->engine.handOverSeed(lastSeed);
      seedGiven = true;
      ++seeds;
    } else if (op < 95) {
      host->pool.replaceSlot(rng() % 3, tone(1000 + static_cast<int>(rng() % 3000), 300.0f));
      host->publishSamples();
      ++sampleSets;
    } else if (op < 97) {
      host->replacePool(ob::SamplePool{});
      fillPool(*host, rng);
      host->publishSamples();
      ++sampleSets;
    } else {
      std::vector<float> audition(static_cast<std::size_t>(500 + rng() % 3000), 0.25f);
      host->preview.publish(audition.data(), static_cast<std::uint32_t>(audition.size()), 44100.0 / 48000.0,
                            {0.4f, 0.3f});
      ++previews;
    }
    host->mainThreadPass();
    if (seedGiven) host->project.seed = lastSeed;
    if (rng() % 64 == 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  mainDone.store(true, std::memory_order_release);
  while (!audioDone.load(std::memory_order_acquire)) {
    host->mainThreadPass();
    std::this_thread::yield();
  }
  audio.join();
  host->mainThreadPass();

  EXPECT_GT(blocks.load(), 10);
  EXPECT_GT(projects, 0);
  EXPECT_GT(seeds, 0);
  EXPECT_GT(sampleSets, 0);
  EXPECT_GT(previews, 0);
  const ob::Project& engineCopy = host->engine.project();
  EXPECT_EQ(engineCopy.seed, host->project.seed);
  EXPECT_EQ(std::memcmp(&engineCopy, &host->project, sizeof(ob::Project)), 0)
      << "after " << commands << " commands and " << projects << " projects";
}

// The host now and then calls no block while the main thread loads new
// pools: whenever no block runs a pool is freed without waiting, unless a
// ringing hit reads it, and none is left once the host stopped processing.
// Every hit plays the newest publication, and one that rings reads its own
// pool only, however many loads come meanwhile.
TEST(EngineStress, PoolsFreedWhileTheHostCallsNoBlock) {
  auto host = orbi::EngineHost::create();
  ASSERT_TRUE(host);
  std::mt19937 rng(67);
  ob::buildDemoProject(host->project);
  ob::Pattern& pat = host->project.patterns[0];
  for (int t = 0; t < 3; ++t) {
    ob::Sound& snd = pat.kit.sounds[pat.tracks[t].soundIndex];
    ob::initSoundParams(snd, ob::kMachineSample);
    snd.slot[0] = static_cast<std::uint8_t>(t);
  }
  // Long enough to ring through many loads.
  auto longPool = [&] {
    ob::SamplePool pool;
    for (int i = 0; i < 3; ++i)
      pool.append(tone(48000 + static_cast<int>(rng() % 48000), 150.0f + 50.0f * i));
    return pool;
  };
  host->pool = longPool();
  constexpr int kBlock = 128;
  host->engine.prepare(48000.0, kBlock);
  host->publishSamples();
  host->engine.loadProject(host->project);

  std::atomic<bool> mainDone{false};
  std::atomic<int> stops{0};
  std::atomic<int> loads{0}, pausedUntil{0};  // no block until that many loads
  std::atomic<std::uint32_t> loaded{0};       // the main thread's newest publication
  std::atomic<int> stale{0};                  // blocks or hits that played an older one
  // The host stopped processing for the pause.
  std::atomic<bool> stoppedProcessing{false};
  std::thread audio([&] {
    std::vector<float> buf(16 * kBlock);
    float* ch[16];
    for (int c = 0; c < 16; ++c) ch[c] = buf.data() + c * kBlock;
    std::mt19937 arng(11);
    const ob::RenderInfo info = stopped();  // only the hits below ring
    const ob::SampleSetHandshake& hs = host->engine.sampleSet();
    while (!mainDone.load(std::memory_order_acquire)) {
      const std::uint32_t newest = loaded.load(std::memory_order_acquire);
      const int hit = arng() % 3 == 0 ? static_cast<int>(arng() % 3) : -1;
      if (hit >= 0) host->engine.queueTrigger(trigger(hit, 0, 0.9f));
      host->engine.processBlock(ch, 8, kBlock, info);
      if (!ob::atOrAfter(hs.seen, newest) ||
          (hit >= 0 && host->engine.activePlayer(hit).sampleSnapshot() != hs.current()))
        stale.fetch_add(1, std::memory_order_relaxed);
      if (arng() % 16 == 0) {
        // Paused, processing still started or stopped, while eight loads come.
        const bool stop = arng() % 2 == 0;
        if (stop) host->engine.endVoices();
        stoppedProcessing.store(stop);
        pausedUntil.store(loads.load() + 8);
        while (loads.load() < pausedUntil.load() && !mainDone.load()) std::this_thread::yield();
        stops.fetch_add(1, std::memory_order_relaxed);
      }
    }
  });

  int heldWhilePaused = 0, heldWhileStopped = 0;
  while (loads.load() < 300 || stops.load() < 40) {
    const bool paused = loads.load() < pausedUntil.load();
    host->replacePool(longPool());
    host->postProject(false);
    host->mainThreadPass();
    // Paused, each pool kept needs a record of its own that a ringing hit reads.
    const auto reads = static_cast<std::size_t>(std::popcount(host->engine.sampleSet().known().records));
    if (paused && host->samples.retired().size() > reads) ++heldWhilePaused;
    if (paused && stoppedProcessing.load() && !host->samples.retired().empty()) ++heldWhileStopped;
    loaded.store(host->samples.publishedGeneration(), std::memory_order_release);
    ++loads;
    if (rng() % 4 == 0) std::this_thread::sleep_for(std::chrono::microseconds(rng() % 500));
  }
  mainDone.store(true, std::memory_order_release);
  audio.join();
  host->mainThreadPass();
  EXPECT_EQ(stale.load(), 0);
  EXPECT_EQ(heldWhilePaused, 0);
  EXPECT_EQ(heldWhileStopped, 0);
  // Left: at most the pool of each hit that still rings, until it ends.
  std::size_t ringing = 0;
  for (int i = 0; i < ob::Engine::kPlayers; ++i) ringing += host->engine.player(i).machineFrozen() ? 0 : 1;
  EXPECT_LE(host->samples.retired().size(), ringing);
  host->engine.reset();
  host->mainThreadPass();
  EXPECT_TRUE(host->samples.retired().empty());
}

}  // namespace engine_stress_test
