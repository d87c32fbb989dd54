// The audio side reads samples through published snapshots while the main
// thread replaces, adds and swaps pool audio, and now and then stops
// processing, which lets the main thread free without waiting. Run under the
// sanitizer build: any audio freed too early is a use-after-free there.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "engine/model/project.h"
#include "engine/pool/sample_pool.h"
#include "engine/pool/sample_set_publisher.h"

namespace pool_handoff_test {

using ob::SamplePool;
using ob::SamplePoolSnapshot;
using ob::SampleSetHandshake;
using ob::SampleSetPublisher;
using ob::SampleSlotInfo;

ob::SampleAudio constantAudio(float v, int frames, bool stereo) {
  ob::SampleAudio a;
  a.left.assign(frames, v);
  if (stereo) a.right.assign(frames, -v);
  return a;
}

// Every slot is filled with one value throughout, its right channel with the
// negated value, and its slices with the value too: a reader can tell a
// consistent entry from a torn or overwritten one.
bool entryConsistent(const SampleSlotInfo& e) {
  if (e.frames <= 0) return e.left == nullptr && e.sliceCount == 0;
  if (!e.left || e.sliceCount < 0 || e.sliceCount > ob::kSnapshotMaxSlices) return false;
  const float v = e.left[0];
  for (int i = 0; i < e.frames; ++i) {
    if (e.left[i] != v) return false;
    if (e.right && e.right[i] != -v) return false;
  }
  for (int i = 0; i < e.sliceCount; ++i)
    if (e.slices[i] != v) return false;
  return e.peak == std::fabs(v);
}

struct Voice {
  const SamplePoolSnapshot* record = nullptr;  // null while silent
  int slot = 0;
  SampleSlotInfo info;  // copied at the hit, as the machines do
  float value = 0.0f;
  int blocksLeft = 0;
};

class FakeAudioThread {
 public:
  explicit FakeAudioThread(SampleSetHandshake& hs) : hs_(hs) {}

  void run(const std::atomic<bool>& stop) {
    std::mt19937 rng(7);
    Voice voices[6];
    while (!stop.load(std::memory_order_acquire)) {
      // Now and then the host stops processing for a while; voices ring on
      // across it.
      if (rng() % 32 == 0) {
        std::this_thread::sleep_for(std::chrono::microseconds(rng() % 400));
        stops.fetch_add(1);
      }
      // Every block starts on the newest publication the main thread made
      // before it.
      const std::uint32_t newest = published.load(std::memory_order_acquire);
      hs_.enterBlock();
      hs_.takeGeneration();
      if (!ob::atOrAfter(hs_.seen, newest)) errors.fetch_add(1);
      report(voices);
      const SamplePoolSnapshot* snap = hs_.current();
      if (snap) {
        for (const SampleSlotInfo& e : snap->slots)
          if (!entryConsistent(e)) errors.fetch_add(1);
        for (Voice& v : voices) {
          if (v.record) {
            // Neither its record is refilled nor its audio freed, however
            // many publications come meanwhile.
            if (!entryConsistent(v.info) || v.info.left[0] != v.value ||
                v.record->slots[v.slot].left != v.info.left)
              errors.fetch_add(1);
            if (--v.blocksLeft == 0) v.record = nullptr;
            continue;
          }
          v.slot = static_cast<int>(rng() % 24);
          const SampleSlotInfo& e = snap->slots[v.slot];
          if (e.frames <= 0) continue;
          v.info = e;
          v.value = e.left[0];
          v.record = snap;
          v.blocksLeft = 1 + static_cast<int>(rng() % 400);
          hits.fetch_add(1);
        }
      }
      // Again with the block's hits, as the engine does.
      report(voices);
      hs_.leaveBlock();
      blocks.fetch_add(1);
      std::this_thread::yield();
    }
  }

  void report(const Voice (&voices)[6]) {
    std::uint32_t holders = 0;
    for (const Voice& v : voices) holders |= hs_.recordBit(v.record);
    hs_.report(holders);
  }

  std::atomic<std::uint32_t> published{0};  // the main thread's newest generation
  std::atomic<int> errors{0};
  std::atomic<int> blocks{0};
  std::atomic<int> hits{0};
  std::atomic<int> stops{0};

 private:
  SampleSetHandshake& hs_;
};

TEST(SampleSetHandoff, SnapshotsStayValidWhileTheMainThreadReplacesAndAddsSlots) {
  auto pool = std::make_unique<SamplePool>();
  auto table = std::make_unique<ob::SampleSlotTable>();
  auto hs = std::make_unique<SampleSetHandshake>();
  auto pub = std::make_unique<SampleSetPublisher>();
  std::mt19937 rng(42);
  int counter = 0;

  auto fill = [&](SamplePool& p, int index, bool viaAdd) {
    // Values repeat before they reach the pool's largest magnitude, past
    // which it holds samples (a long run on a busy machine fills often).
    const float v = 0.001f * static_cast<float>(1 + ++counter % 15000);
    auto audio = constantAudio(v, 16 + static_cast<int>(rng() % 300), rng() % 2 == 0);
    const bool ok = viaAdd ? p.replaceAudio(index, std::move(audio))
                           : p.replaceSlot(static_cast<std::uint32_t>(index), std::move(audio)) == index;
    ASSERT_TRUE(ok);
    auto& entry = table->slots[index];
    entry.sliceCount = static_cast<std::uint16_t>(rng() % 70);
    for (float& s : entry.slices) s = v;
    if (viaAdd)
      p.slots[index]->slices.assign(entry.slices, entry.slices + std::min<int>(entry.sliceCount, 64));
  };

  for (int i = 0; i < 12; ++i) fill(*pool, i, false);
  ASSERT_TRUE(pub->publish(*pool, *table, *hs));

  FakeAudioThread audio(*hs);
  std::atomic<bool> stop{false};
  std::thread thread([&] { audio.run(stop); });

  // Count-driven, so a slow or busy machine only takes longer: the main
  // thread keeps editing until enough snapshots have gone out while the
  // audio thread read them, and enough hits have held on to their entries.
  constexpr int kPublishes = 2000;
  constexpr int kHits = 500;
  constexpr int kStops = 40;
  int published = 0;
  while (published < kPublishes || audio.hits.load() < kHits || audio.stops.load() < kStops) {
    switch (rng() % 8) {
      case 0:
      case 1:
      case 2: fill(*pool, static_cast<int>(rng() % 24), false); break;
      case 3: fill(*pool, static_cast<int>(rng() % 24), true); break;
      case 4: {
        if (pool->slotCount() < 24) {
          const int i = pool->append(constantAudio(0.5f, 32, false));
          ASSERT_GE(i, 0);
          fill(*pool, i, false);
        }
        break;
      }
      case 6: {
        // One audio played by two slots, as a document's shared asset.
        const int from = static_cast<int>(rng() % 24);
        const int to = static_cast<int>(rng() % 24);
        if (from < pool->slotCount() && pool->slots[from] && pool->slots[from]->frames > 0) {
          const float v = pool->slots[from]->left[0];
          ASSERT_EQ(pool->replaceSlot(static_cast<std::uint32_t>(to), pool->slots[from]->data), to);
          auto& entry = table->slots[to];
          entry.sliceCount = static_cast<std::uint16_t>(rng() % 70);
          for (float& s : entry.slices) s = v;
        }
        break;
      }
      case 5: {
        // A whole new pool, as after a state load or an open.
        SamplePool fresh;
        const int n = 1 + static_cast<int>(rng() % 10);
        for (int i = 0; i < n; ++i) fill(fresh, i, false);
        if (rng() % 2) {
          pub->retirePool(std::move(*pool));
          *pool = std::move(fresh);
        } else {
          *pool = std::move(fresh);
        }
        break;
      }
      default: break;
    }
    if (pub->publish(*pool, *table, *hs)) ++published;
    pub->pass(*pool, *table, *hs);
    audio.published.store(pub->publishedGeneration(), std::memory_order_release);
    std::this_thread::sleep_for(std::chrono::microseconds(50));
  }
  stop.store(true, std::memory_order_release);
  thread.join();

  EXPECT_EQ(audio.errors.load(), 0);

  // With processing stopped, a pending publish goes out and, once the
  // voices have stopped, everything retired is freed at the next pass.
  hs->report(0);
  pub->pass(*pool, *table, *hs);
  EXPECT_FALSE(pub->publishPending());
  EXPECT_TRUE(pub->retired().empty());
}

}  // namespace pool_handoff_test
