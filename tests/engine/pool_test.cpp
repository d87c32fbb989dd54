#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "engine/model/project.h"
#include "engine/pool/sample_limits.h"
#include "engine/pool/sample_pool.h"
#include "engine/pool/sample_set_publisher.h"

namespace pool_test {

using ob::kMaxSampleMagnitude;
using ob::SamplePool;
using ob::SamplePoolSnapshot;
using ob::SampleSetHandshake;
using ob::SampleSetPublisher;

std::vector<float> copyOf(std::span<const float> s) { return {s.begin(), s.end()}; }

ob::SampleAudio audioOf(std::vector<float> left, std::vector<float> right = {}, double rate = 48000.0) {
  ob::SampleAudio a;
  a.left = std::move(left);
  a.right = std::move(right);
  a.sampleRate = rate;
  // Stands in for the file the audio came from.
  a.file = ob::HeldSampleFile{{'R', 'I', 'F', 'F', static_cast<std::uint8_t>(a.left.size())}, {}};
  return a;
}

ob::SampleAudio constantAudio(float v, int frames = 64, bool stereo = false) {
  std::vector<float> l(frames, v);
  return audioOf(l, stereo ? std::vector<float>(frames, -v) : std::vector<float>{});
}

TEST(SamplePoolLoad, AppendKeepsTheAudioAndItsBytes) {
  SamplePool pool;
  auto audio = audioOf({0.0f, 0.5f, -0.75f, 0.25f}, {0.1f, 0.2f, 0.3f, -0.9f}, 22050.0);
  const auto copy = std::get<ob::HeldSampleFile>(audio.file).bytes;
  EXPECT_EQ(pool.append(audio), 0);
  EXPECT_EQ(pool.append(constantAudio(0.0f)), 1);
  ASSERT_EQ(pool.slotCount(), 2);
  const auto& s = *pool.slots[0];
  EXPECT_EQ(s.frames, 4);
  EXPECT_DOUBLE_EQ(s.sampleRate, 22050.0);
  EXPECT_FLOAT_EQ(s.peak, 0.9f);
  EXPECT_EQ(std::vector<std::uint8_t>(s.bytes.begin(), s.bytes.end()), copy);
  EXPECT_EQ(s.right.size(), 4u);
  // A silent sample has peak 1, so normalising by it never divides by zero.
  EXPECT_FLOAT_EQ(pool.slots[1]->peak, 1.0f);
  EXPECT_TRUE(pool.slots[1]->right.empty());
}

TEST(SamplePoolLoad, DamagedSamplesAndRatesAreMadeSafe) {
  SamplePool pool;
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  ASSERT_EQ(pool.append(audioOf({nan, 0.25f, inf, -inf})), 0);
  const auto& s = *pool.slots[0];
  EXPECT_EQ(copyOf(s.left), (std::vector<float>{0.0f, 0.25f, 0.0f, 0.0f}));
  EXPECT_FLOAT_EQ(s.peak, 0.25f);
  // Samples far past full scale are held at the pool's limit; a little
  // over stays as it is.
  const int hot = pool.append(audioOf({1e38f, 1.5f}, {-1e38f, -16.5f}));
  EXPECT_EQ(copyOf(pool.slots[hot]->left), (std::vector<float>{kMaxSampleMagnitude, 1.5f}));
  EXPECT_EQ(copyOf(pool.slots[hot]->right), (std::vector<float>{-kMaxSampleMagnitude, -kMaxSampleMagnitude}));
  EXPECT_FLOAT_EQ(pool.slots[hot]->peak, kMaxSampleMagnitude);
  // Channels of different lengths are cut to the shorter; a rate that could
  // never be played back is read as the default.
  for (const double rate : {0.0, -1.0, std::numeric_limits<double>::infinity()}) {
    SCOPED_TRACE(rate);
    const int i = pool.append(audioOf({0.5f, 0.5f, 0.5f}, {0.25f, 0.25f}, rate));
    EXPECT_EQ(pool.slots[i]->frames, 2);
    EXPECT_EQ(pool.slots[i]->left.size(), 2u);
    EXPECT_EQ(pool.slots[i]->right.size(), 2u);
    EXPECT_DOUBLE_EQ(pool.slots[i]->sampleRate, 44100.0);
  }
}

TEST(SamplePoolReplace, BadIndexIsRefusedAndMissingSlotsAreCreatedEmpty) {
  SamplePool pool;
  for (int i = 0; i < 3; ++i) ASSERT_EQ(pool.append(constantAudio(0.1f * (i + 1))), i);
  std::string error;
  EXPECT_EQ(pool.replaceSlot(70, constantAudio(0.5f), &error), -1);
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(pool.replaceSlot(64, constantAudio(0.5f)), -1);
  EXPECT_FALSE(pool.hasDisplaced());
  EXPECT_EQ(pool.slotCount(), 3);

  EXPECT_EQ(pool.replaceSlot(10, constantAudio(0.5f, 32, true)), 10);
  ASSERT_EQ(pool.slotCount(), 11);
  for (int i = 3; i < 10; ++i) {
    ASSERT_NE(pool.slots[i], nullptr);
    EXPECT_EQ(pool.slots[i]->frames, 0);
    EXPECT_DOUBLE_EQ(pool.slots[i]->sampleRate, 44100.0);
    EXPECT_FLOAT_EQ(pool.slots[i]->peak, 1.0f);
  }
  EXPECT_EQ(pool.slots[10]->frames, 32);
  EXPECT_EQ(pool.slots[10]->right.size(), 32u);

  // Replacing a published slot empties its slices and keeps the old audio
  // alive.
  pool.markPublished(1);
  pool.slots[1]->slices = {0.25f, 0.5f};
  const float* old = pool.slots[1]->left.data();
  EXPECT_EQ(pool.replaceSlot(1, constantAudio(0.9f)), 1);
  EXPECT_TRUE(pool.slots[1]->slices.empty());
  EXPECT_FLOAT_EQ(pool.slots[1]->left[0], 0.9f);
  EXPECT_TRUE(pool.hasDisplaced());
  EXPECT_FLOAT_EQ(old[0], 0.2f);
  auto displaced = pool.takeDisplaced();
  ASSERT_EQ(displaced.size(), 1u);
  EXPECT_EQ(displaced[0]->left.data(), old);
}

TEST(SamplePoolReplace, ReplaceAudioKeepsSlicesAndCreatesTheSlot) {
  SamplePool pool;
  EXPECT_TRUE(pool.replaceAudio(4, constantAudio(0.3f)));
  EXPECT_EQ(pool.slotCount(), 5);
  pool.slots[4]->slices = {0.1f, 0.7f};
  const auto audio = constantAudio(0.6f, 32);
  EXPECT_TRUE(pool.replaceAudio(4, audio));
  EXPECT_EQ(pool.slots[4]->slices, (std::vector<float>{0.1f, 0.7f}));
  EXPECT_FLOAT_EQ(pool.slots[4]->peak, 0.6f);
  EXPECT_EQ(std::vector<std::uint8_t>(pool.slots[4]->bytes.begin(), pool.slots[4]->bytes.end()),
            std::get<ob::HeldSampleFile>(audio.file).bytes);
  EXPECT_FALSE(pool.replaceAudio(64, audio));
  EXPECT_FALSE(pool.replaceAudio(-1, audio));
  EXPECT_EQ(pool.slotCount(), 5);
  EXPECT_EQ(pool.slot(-1), nullptr);
  EXPECT_EQ(pool.slot(64), nullptr);
}

TEST(SamplePoolSnapshotFill, ViewsSlicesAndResetEntries) {
  SamplePool pool;
  auto table = std::make_unique<ob::SampleSlotTable>();
  ASSERT_EQ(pool.append(constantAudio(0.5f, 100)), 0);
  ASSERT_EQ(pool.append(constantAudio(0.25f, 50, true)), 1);
  ASSERT_NE(pool.slot(2), nullptr);  // empty slot
  table->slots[0].sliceCount = 80;   // more than the record holds: 64 publish
  for (int i = 0; i < ob::kMaxSlices; ++i) table->slots[0].slices[i] = static_cast<float>(i);
  table->slots[2].sliceCount = 3;  // an empty slot stays a reset entry anyway

  auto snap = std::make_unique<SamplePoolSnapshot>();
  EXPECT_EQ(pool.snapshot(*snap, *table), 3);
  const auto& a = (*snap)[0];
  EXPECT_EQ(a.left, pool.slots[0]->left.data());
  EXPECT_EQ(a.frames, 100);
  EXPECT_DOUBLE_EQ(a.sampleRate, 48000.0);
  EXPECT_EQ(a.right, nullptr);
  EXPECT_FLOAT_EQ(a.peak, 0.5f);
  EXPECT_EQ(a.sliceCount, 64);
  EXPECT_EQ(a.slices, snap->sliceData[0]);  // the snapshot's own copy
  EXPECT_FLOAT_EQ(a.slices[63], 63.0f);
  EXPECT_EQ(pool.slots[0]->slices.size(), 64u);

  const auto& b = (*snap)[1];
  EXPECT_EQ(b.right, pool.slots[1]->right.data());
  EXPECT_EQ(b.slices, nullptr);
  EXPECT_EQ(b.sliceCount, 0);

  for (int i = 2; i < ob::kSamplePoolSlots; ++i) {
    const auto& e = (*snap)[i];
    EXPECT_EQ(e.left, nullptr);
    EXPECT_EQ(e.right, nullptr);
    EXPECT_EQ(e.slices, nullptr);
    EXPECT_EQ(e.frames, 0);
    EXPECT_EQ(e.sliceCount, 0);
    EXPECT_DOUBLE_EQ(e.sampleRate, 44100.0);
    EXPECT_FLOAT_EQ(e.peak, 1.0f);
  }
  EXPECT_EQ(snap->slotOrEmpty(-3).left, nullptr);
  EXPECT_EQ(snap->slotOrEmpty(64).frames, 0);

  // A slot count past 64 (append has no limit) publishes the first 64.
  for (int i = 3; i < 70; ++i) pool.append(constantAudio(0.1f, 8));
  EXPECT_EQ(pool.snapshot(*snap, *table), 70);
  EXPECT_EQ((*snap)[63].frames, 8);
}

TEST(SamplePoolShare, SlotsShareOneAudioAndTheLimitsCountItOnce) {
  SamplePool pool;
  const ob::SharedSampleData audio = ob::makeSampleData(constantAudio(0.5f, 100));
  ASSERT_EQ(pool.append(audio), 0);
  for (std::uint32_t i : {3u, 9u}) ASSERT_EQ(pool.replaceSlot(i, audio), static_cast<std::int32_t>(i));
  for (int i : {0, 3, 9}) {
    SCOPED_TRACE(i);
    EXPECT_EQ(pool.slots[i]->data, audio);
    EXPECT_EQ(pool.slots[i]->left.data(), audio->left.data());
    EXPECT_EQ(pool.slots[i]->frames, 100);
  }
  EXPECT_EQ(pool.decodedBytes(), 100 * sizeof(float));

  // Room for that audio once more: every further slot of it costs nothing.
  ob::SampleLimits limits;
  limits.poolDecodedBytes = 2 * 100 * sizeof(float);
  pool.setLimits(limits);
  EXPECT_EQ(pool.append(audio), 10);
  EXPECT_EQ(pool.append(constantAudio(0.25f, 100)), 11);
  ob::SampleRefusal why = ob::SampleRefusal::None;
  EXPECT_EQ(pool.append(constantAudio(0.25f, 1), &why), -1);
  EXPECT_EQ(why, ob::SampleRefusal::PoolFull);
  EXPECT_EQ(pool.append(pool.slots[11]->data), 12);
  EXPECT_EQ(pool.decodedBytes(), limits.poolDecodedBytes);
}

TEST(SamplePoolShare, EachLimitRefusesWithItsReasonAndChangesNothing) {
  SamplePool pool;
  ob::SampleLimits limits;
  limits.sampleDecodedBytes = 256 * sizeof(float);
  limits.poolDecodedBytes = 400 * sizeof(float);
  limits.sampleFileBytes = 64;
  pool.setLimits(limits);

  ASSERT_EQ(pool.append(constantAudio(0.1f, 200)), 0);
  ob::SampleRefusal why = ob::SampleRefusal::None;
  EXPECT_EQ(pool.append(constantAudio(0.1f, 129, true), &why), -1);  // two channels count
  EXPECT_EQ(why, ob::SampleRefusal::SampleTooLarge);
  EXPECT_EQ(pool.append(constantAudio(0.1f, 201), &why), -1);
  EXPECT_EQ(why, ob::SampleRefusal::PoolFull);
  ob::SampleAudio bigFile = constantAudio(0.1f, 4);
  bigFile.file = ob::HeldSampleFile{std::vector<std::uint8_t>(65, 0), {}};
  EXPECT_EQ(pool.append(std::move(bigFile), &why), -1);
  EXPECT_EQ(why, ob::SampleRefusal::FileTooLarge);

  std::string error;
  EXPECT_EQ(pool.replaceSlot(1, constantAudio(0.1f, 201), &error), -1);
  EXPECT_EQ(error, ob::sampleRefusalText(ob::SampleRefusal::PoolFull, limits));
  EXPECT_FALSE(pool.replaceAudio(1, constantAudio(0.1f, 201), &why));
  EXPECT_EQ(pool.slotCount(), 1);
  EXPECT_FALSE(pool.hasDisplaced());

  // The audio a slot lets go no longer counts: slot 0 may grow to the limit
  // of one sample, since nothing else holds its old audio.
  EXPECT_EQ(pool.refusalForAudio(256 * sizeof(float), 0), ob::SampleRefusal::None);
  EXPECT_EQ(pool.refusalForAudio(256 * sizeof(float)), ob::SampleRefusal::PoolFull);
  EXPECT_EQ(pool.replaceSlot(0, constantAudio(0.2f, 256)), 0);
  EXPECT_EQ(pool.decodedBytes(), 256 * sizeof(float));

  // A kept file counts in the files a save holds at the larger of the sizes
  // it is stored and declared with: here its stored 100 bytes, not its 10.
  SamplePool keeping;
  ob::SampleLimits files;
  files.poolFileBytes = 150;
  keeping.setLimits(files);
  ob::KeptSampleFile kept;
  kept.stored = std::vector<std::uint8_t>(100, 7);
  kept.size = 10;
  ASSERT_EQ(keeping.append(ob::makeKeptSample(kept)), 0);
  EXPECT_EQ(keeping.savedFileBytes(), 100u);
  EXPECT_EQ(keeping.refusalForNewFile(50), ob::SampleRefusal::None);
  EXPECT_EQ(keeping.refusalForNewFile(51), ob::SampleRefusal::FilesOverBudget);
}

TEST(SamplePoolShare, RefusalsNameTheirLimit) {
  const ob::SampleLimits limits;
  EXPECT_EQ(ob::sampleRefusalText(ob::SampleRefusal::SampleTooLarge, limits),
            "the sample would take more than 256 MiB decoded, the most one sample may");
  EXPECT_EQ(ob::sampleRefusalText(ob::SampleRefusal::PoolFull, limits),
            "the samples would take more than 1 GiB decoded together, the most the pool holds");
  EXPECT_EQ(ob::sampleRefusalText(ob::SampleRefusal::FileTooLarge, limits),
            "the file is larger than 512 MiB, the most a sample's file may be");
  EXPECT_EQ(ob::sampleRefusalText(ob::SampleRefusal::FilesOverBudget, limits),
            "the samples' files would take more than 1952 MiB together, the most a saved project holds");
  EXPECT_EQ(ob::sampleRefusalText(ob::SampleRefusal::None, limits), "");
  EXPECT_EQ(ob::sizeText(1000), "1000 bytes");
  EXPECT_EQ(ob::sizeText(std::uint64_t(3) << 20), "3 MiB");
  EXPECT_EQ(ob::sizeText(std::uint64_t(2) << 30), "2 GiB");
}

// Plays the audio thread's part of the handshake for one block, with a
// voice still reading the given record when one is given.
void audioBlock(SampleSetHandshake& hs, const SamplePoolSnapshot* ringing = nullptr) {
  hs.enterBlock();
  hs.takeGeneration();
  hs.report(hs.recordBit(ringing));
}

TEST(SampleSetRetire, ReplacedAudioLivesWhileAVoiceCanReadIt) {
  SamplePool pool;
  auto table = std::make_unique<ob::SampleSlotTable>();
  auto hs = std::make_unique<SampleSetHandshake>();
  auto pub = std::make_unique<SampleSetPublisher>();
  ASSERT_EQ(pool.append(constantAudio(0.5f)), 0);

  EXPECT_TRUE(pub->publish(pool, *table, *hs));
  EXPECT_EQ(pub->publishedGeneration(), 1u);
  const SamplePoolSnapshot* first = hs->newest();
  const float* old = first->slots[0].left;
  audioBlock(*hs);  // the audio thread runs from here on
  EXPECT_EQ(hs->current(), first);

  // Audio no snapshot showed goes as soon as it is replaced.
  std::weak_ptr<const ob::SampleData> unshown;
  {
    const ob::SharedSampleData audio = ob::makeSampleData(constantAudio(0.6f));
    unshown = audio;
    ASSERT_EQ(pool.replaceSlot(0, audio), 0);
  }
  ASSERT_EQ(pool.replaceSlot(0, constantAudio(0.75f)), 0);
  EXPECT_TRUE(unshown.expired());

  // A voice rings on the first record: publishes never wait for it, each
  // one's audio goes once a block has taken the next, and the voice's
  // record and audio stay as they were.
  audioBlock(*hs, first);
  for (int i = 0; i < 3 * ob::kSampleRecords; ++i) {
    SCOPED_TRACE(i);
    ASSERT_TRUE(pub->publish(pool, *table, *hs));
    EXPECT_FLOAT_EQ(hs->newest()->slots[0].left[0], i == 0 ? 0.75f : 0.25f);
    audioBlock(*hs, first);
    pub->pass(pool, *table, *hs);
    ASSERT_EQ(pub->retired().size(), 1u);
    EXPECT_EQ(pub->retired()[0].generation, 2u);
    EXPECT_TRUE(pub->retired()[0].slots[0]->data->heldBytes().empty())
        << "its file goes: a voice reads only audio";
    EXPECT_EQ(first->slots[0].left, old);
    EXPECT_FLOAT_EQ(old[0], 0.5f);
    ASSERT_EQ(pool.replaceSlot(0, constantAudio(0.25f)), 0);
  }
  EXPECT_EQ(hs->blockState.load() >> 1, 0u) << "no fence while a block may run";
  // The voice ends: its audio goes at the next pass.
  EXPECT_TRUE(pub->publish(pool, *table, *hs));
  audioBlock(*hs);
  pub->pass(pool, *table, *hs);
  EXPECT_TRUE(pub->retired().empty());

  // With processing stopped, what a ringing voice reads stays and the rest
  // goes at once: the audio of a publication no block took, too.
  const SamplePoolSnapshot* ringing = hs->current();
  audioBlock(*hs, ringing);
  hs->leaveBlock();
  for (float v : {0.125f, 0.0625f}) {
    ASSERT_EQ(pool.replaceSlot(0, constantAudio(v)), 0);
    EXPECT_TRUE(pub->publish(pool, *table, *hs));
    pub->pass(pool, *table, *hs);
  }
  ASSERT_EQ(pub->retired().size(), 1u);
  EXPECT_FLOAT_EQ(ringing->slots[0].left[0], 0.25f);
  audioBlock(*hs);
  pub->pass(pool, *table, *hs);
  EXPECT_TRUE(pub->retired().empty());
}

TEST(SampleSetRetire, WholePoolWaitsForTheNextPublish) {
  auto pool = std::make_unique<SamplePool>();
  auto table = std::make_unique<ob::SampleSlotTable>();
  auto hs = std::make_unique<SampleSetHandshake>();
  auto pub = std::make_unique<SampleSetPublisher>();
  ASSERT_EQ(pool->append(constantAudio(0.5f)), 0);
  EXPECT_TRUE(pub->publish(*pool, *table, *hs));
  const float* old = hs->newest()->slots[0].left;

  // A state load: the old pool is retired and a fresh one takes its place.
  SamplePool fresh;
  ASSERT_EQ(fresh.append(constantAudio(0.25f)), 0);
  pub->retirePool(std::move(*pool));
  *pool = std::move(fresh);
  EXPECT_EQ(pool->slotCount(), 1);
  ASSERT_EQ(pub->retired().size(), 1u);
  EXPECT_FALSE(pub->retired()[0].dated);

  // Not dated before a publish has replaced the snapshot: never freed.
  audioBlock(*hs);
  for (int i = 0; i < 100; ++i) pub->pass(*pool, *table, *hs);
  ASSERT_EQ(pub->retired().size(), 1u);
  EXPECT_FLOAT_EQ(old[0], 0.5f);

  EXPECT_TRUE(pub->publish(*pool, *table, *hs));
  EXPECT_FLOAT_EQ(hs->newest()->slots[0].left[0], 0.25f);
  ASSERT_EQ(pub->retired().size(), 1u);
  EXPECT_TRUE(pub->retired()[0].dated);
  EXPECT_EQ(pub->retired()[0].generation, 2u);
  audioBlock(*hs);
  pub->pass(*pool, *table, *hs);
  EXPECT_TRUE(pub->retired().empty());

  // Assigning a pool over another displaces its slots instead of freeing them.
  const float* current = pool->slots[0]->left.data();
  SamplePool another;
  another.append(constantAudio(0.125f));
  *pool = std::move(another);
  EXPECT_TRUE(pool->hasDisplaced());
  EXPECT_FLOAT_EQ(current[0], 0.25f);
  EXPECT_TRUE(pub->publish(*pool, *table, *hs));
  EXPECT_FALSE(pool->hasDisplaced());
  ASSERT_EQ(pub->retired().size(), 1u);
  EXPECT_EQ(pub->retired()[0].generation, 3u);
}

TEST(SampleSetRetire, SharedAudioOutlivesEveryRetiredSlotThatHeldIt) {
  SamplePool pool;
  auto table = std::make_unique<ob::SampleSlotTable>();
  auto hs = std::make_unique<SampleSetHandshake>();
  auto pub = std::make_unique<SampleSetPublisher>();
  std::weak_ptr<const ob::SampleData> watch;
  {
    const ob::SharedSampleData shared = ob::makeSampleData(constantAudio(0.5f));
    watch = shared;
    ASSERT_EQ(pool.append(shared), 0);
    ASSERT_EQ(pool.append(shared), 1);
  }
  EXPECT_TRUE(pub->publish(pool, *table, *hs));
  EXPECT_EQ(hs->newest()->slots[0].left, hs->newest()->slots[1].left);

  // Publishes the pool's change and plays blocks until what it retired is freed.
  auto retireAll = [&] {
    pub->publish(pool, *table, *hs);
    audioBlock(*hs);
    pub->pass(pool, *table, *hs);
    EXPECT_TRUE(pub->retired().empty());
  };
  // Slot 0's copy is retired and freed; slot 1 still plays the audio.
  ASSERT_EQ(pool.replaceSlot(0, constantAudio(0.25f)), 0);
  retireAll();
  ASSERT_FALSE(watch.expired());
  EXPECT_FALSE(watch.lock()->heldBytes().empty()) << "slot 1 keeps its file";
  EXPECT_FLOAT_EQ(hs->newest()->slots[1].left[0], 0.5f);
  // Only the last slot to let it go frees it, after its own retirement.
  ASSERT_EQ(pool.replaceSlot(1, constantAudio(0.125f)), 1);
  EXPECT_FALSE(watch.expired());
  retireAll();
  EXPECT_TRUE(watch.expired());
}

TEST(SampleSetRetire, GenerationComparisonSurvivesWrapAround) {
  auto hs = std::make_unique<SampleSetHandshake>();
  hs->published = SampleSetHandshake::pack(0xfffffffeu, SampleSetHandshake::kNoRecord);
  EXPECT_EQ(hs->publish(0), 0xffffffffu);
  EXPECT_EQ(hs->publish(1), 0u);
  EXPECT_TRUE(ob::atOrAfter(0u, 0xffffffffu));
  EXPECT_FALSE(ob::atOrAfter(0xffffffffu, 0u));
  // The audio thread took generation 0 while a voice reads record 0.
  const ob::SampleReading k{0u, 0b11u};
  EXPECT_TRUE(hs->mayRead(0xfffffffeu, 0u, k));
  EXPECT_FALSE(hs->mayRead(0xfffffff0u, 0xffffffffu, k));
  EXPECT_TRUE(hs->mayRead(0xffffffffu, 1u, k)) << "not taken past yet";
}

}  // namespace pool_test
