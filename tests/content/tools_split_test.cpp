#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "content/tools/hit_body_split.h"
#include "content/tools/sample_split.h"
#include "document/project/project_load.h"
#include "document/project/project_save.h"
#include "document/wav/wav.h"
#include "document/wav/wav_header.h"
#include "document/wav/wav_pool.h"
#include "engine/model/project.h"
#include "engine/model/project_ids.h"
#include "engine/pool/sample_pool.h"
#include "support/allocation_counter.h"

namespace tools_split_test {

constexpr double kRate = 44100.0;

std::int32_t framesOf(double ms, double rate = kRate) {
  return static_cast<std::int32_t>(ms * 0.001 * rate + 0.5);
}

// Deterministic white noise in -1..1.
struct Noise {
  std::uint64_t state = 0x9e3779b97f4a7c15ull;
  float next() {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<float>(static_cast<double>(state >> 11) / 9007199254740992.0 * 2.0 - 1.0);
  }
};

// A low tone ringing out slowly, as a drum body does.
void addTone(std::vector<float>& x, double hz, float amp, double tauMs, std::int32_t from = 0) {
  for (std::size_t k = from; k < x.size(); ++k) {
    const double t = static_cast<double>(k - from) / kRate;
    x[k] +=
        static_cast<float>(amp * std::exp(-t * 1000.0 / tauMs) * std::sin(2.0 * std::numbers::pi * hz * t));
  }
}

// A short broadband burst: the stick or beater.
void addClick(std::vector<float>& x, std::int32_t at, float amp, std::int32_t length = 96) {
  Noise noise;
  noise.state += static_cast<std::uint64_t>(at);
  for (std::int32_t k = 0; k < length && at + k < static_cast<std::int32_t>(x.size()); ++k)
    x[at + k] += amp * std::exp(-static_cast<float>(k) / (length / 3.0f)) * noise.next();
}

double energy(const float* x, std::size_t n) {
  double e = 0.0;
  for (std::size_t k = 0; k < n; ++k) e += static_cast<double>(x[k]) * x[k];
  return e;
}

bool crossesAt(const std::vector<float>& x, std::int32_t k) {
  const float a = x[k - 1], b = x[k];
  return (a >= 0.0f) != (b >= 0.0f);
}

// ---------------------------------------------------------------- analysis

TEST(HitBodySplitPoint, ShortAndInvalidInput) {
  std::vector<float> x(300, 0.25f);
  const ob::SplitPoint p = ob::findHitBodySplit(x.data(), 300, kRate);
  EXPECT_EQ(p.split, 150);
  EXPECT_EQ(p.fade, 128);  // frames(2.9 ms) made even
  EXPECT_EQ(p.analysed, 0);
  EXPECT_EQ(p.clamped, 0);

  const ob::SplitPoint one = ob::findHitBodySplit(x.data(), 1, kRate);
  EXPECT_EQ(one.split, 1);
  EXPECT_EQ(one.fade, 0);
  EXPECT_EQ(one.hitLength(), 1);
  EXPECT_EQ(one.bodyLength(1), 0);

  const ob::SplitPoint two = ob::findHitBodySplit(x.data(), 2, kRate);
  EXPECT_EQ(two.split, 1);
  EXPECT_EQ(two.fade, 2);

  for (const ob::SplitPoint& bad :
       {ob::findHitBodySplit(nullptr, 300, kRate), ob::findHitBodySplit(x.data(), 0, kRate),
        ob::findHitBodySplit(x.data(), -5, kRate), ob::findHitBodySplit(x.data(), 300, 0.0),
        ob::findHitBodySplit(x.data(), 300, std::nan(""))}) {
    EXPECT_EQ(bad.split, 0);
    EXPECT_EQ(bad.fade, 0);
    EXPECT_EQ(bad.analysed, 0);
  }
}

TEST(HitBodySplitPoint, SilenceTakesTheDefaultLengthWithinTheClamp) {
  std::vector<float> silence(44100, 0.0f);
  const ob::SplitPoint p = ob::findHitBodySplit(silence.data(), 44100, kRate);
  EXPECT_EQ(p.split, 662);  // 15 ms after block 0
  EXPECT_EQ(p.analysed, 0);
  EXPECT_EQ(p.clamped, 0);
  EXPECT_EQ(p.fade, 128);

  const ob::SplitPoint shortOne = ob::findHitBodySplit(silence.data(), 600, kRate);
  EXPECT_EQ(shortOne.split, 240);  // 0.4 of 600 frames
  EXPECT_EQ(shortOne.clamped, 1);
}

TEST(HitBodySplitPoint, TagsChooseTheDefaultLength) {
  std::vector<float> silence(44100, 0.0f);
  struct Case {
    const char* tags;
    double ms;
  };
  for (const Case& c :
       {Case{"kick", 12}, Case{"snare tom", 20}, Case{"floor tom", 15}, Case{"hi-hat", 25}, Case{"ride", 30},
        Case{"crash", 30}, Case{"cymbal", 30}, Case{"clap", 15}, Case{"", 15}, Case{"Kick", 15}}) {
    ob::SplitParams params;
    params.tags = c.tags;
    const ob::SplitPoint p = ob::findHitBodySplit(silence.data(), 44100, kRate, params);
    EXPECT_EQ(p.split, framesOf(c.ms)) << c.tags;
    EXPECT_EQ(p.analysed, 0) << c.tags;
  }
}

TEST(HitBodySplitPoint, FixedLengthCountsFromThePeakBlock) {
  std::vector<float> x(22050, 0.0f);
  addClick(x, 1280, 0.9f);  // block 10
  ob::SplitParams params;
  params.fixedHitMs = 40.0f;
  params.tags = "kick";  // ignored with a fixed length
  const ob::SplitPoint p = ob::findHitBodySplit(x.data(), 22050, kRate, params);
  EXPECT_EQ(p.analysed, 1);
  // Only silence around there: no zero crossing moves it.
  EXPECT_EQ(p.split, 1280 + framesOf(40));
}

TEST(HitBodySplitPoint, ClickThenDecayingToneSplitsAfterTheClick) {
  std::vector<float> x(44100, 0.0f);
  addTone(x, 120.0, 0.5f, 300.0);
  addClick(x, 0, 0.9f);
  const ob::SplitPoint p = ob::findHitBodySplit(x.data(), 44100, kRate);
  EXPECT_EQ(p.analysed, 1);
  EXPECT_EQ(p.clamped, 0);
  EXPECT_GE(p.split, 96);            // the whole click is in the hit
  EXPECT_LE(p.split, framesOf(30));  // and the ring is not
  EXPECT_TRUE(crossesAt(x, p.split));

  // The high band's energy is the click's: it lands in the hit.
  std::vector<float> hit(p.hitLength()), body(p.bodyLength(44100));
  ob::renderHitBodyHalves(x.data(), 44100, p, hit.data(), body.data());
  std::vector<float> click(44100, 0.0f);
  addClick(click, 0, 0.9f);
  EXPECT_GT(energy(hit.data(), hit.size()), energy(click.data(), 96));
  EXPECT_GT(energy(body.data(), body.size()), 10.0 * energy(hit.data(), hit.size()));
}

TEST(HitBodySplitPoint, ReattackMovesTheSplitPastTheSecondStrike) {
  // A flam: the second strike, 40 ms on, belongs to the hit.
  const std::int32_t second = framesOf(40);
  std::vector<float> x(44100, 0.0f);
  addTone(x, 120.0, 0.5f, 300.0);
  addClick(x, 0, 0.9f);
  addClick(x, second, 0.6f);

  ob::SplitParams params;
  params.maxHitMs = 20.0f;  // the re-attack lifts the longest hit to 250 ms
  const ob::SplitPoint p = ob::findHitBodySplit(x.data(), 44100, kRate, params);
  EXPECT_EQ(p.analysed, 1);
  EXPECT_EQ(p.clamped, 0);
  EXPECT_GE(p.split, second + 96);
  EXPECT_LE(p.split, second + framesOf(30));

  // Without the second strike the same settings end the hit at the click.
  std::vector<float> single(44100, 0.0f);
  addTone(single, 120.0, 0.5f, 300.0);
  addClick(single, 0, 0.9f);
  EXPECT_LT(ob::findHitBodySplit(single.data(), 44100, kRate, params).split, second);
}

TEST(HitBodySplitPoint, SplitMovesToANearbyZeroCrossing) {
  std::vector<float> x(44100, 0.0f);
  addTone(x, 333.0, 0.7f, 10000.0);  // no clear decay: the default length applies
  const ob::SplitPoint p = ob::findHitBodySplit(x.data(), 44100, kRate);
  EXPECT_EQ(p.analysed, 0);
  EXPECT_TRUE(crossesAt(x, p.split));
  EXPECT_LE(std::abs(p.split - framesOf(15)), 64);
  EXPECT_EQ(p.fade % 2, 0);
}

TEST(HitBodySplitPoint, FeaturesCoverWholeBlocksOnly) {
  std::vector<float> x(1000, 0.5f);
  const ob::SplitFeatures f = ob::computeSplitFeatures(x.data(), 1000, kRate);
  ASSERT_EQ(f.rms.size(), 7u);
  ASSERT_EQ(f.highRms.size(), 7u);
  ASSERT_EQ(f.highDb.size(), 7u);
  EXPECT_NEAR(f.rms[3], 0.5f, 1e-6);
  // A constant is all low band: the high band dies away.
  EXPECT_LT(f.highRms[6], f.highRms[0]);
  EXPECT_TRUE(ob::computeSplitFeatures(x.data(), 127, kRate).rms.empty());
  std::vector<float> silence(256, 0.0f);
  EXPECT_EQ(ob::computeSplitFeatures(silence.data(), 256, kRate).highDb[1], -180.0f);
}

// ------------------------------------------------------------------ halves

TEST(HitBodyHalves, CrossfadeSumsBackToTheInput) {
  Noise noise;
  const std::int32_t n = 30000;
  std::vector<float> left(n), right(n);
  for (std::int32_t k = 0; k < n; ++k) {
    left[k] = noise.next() * std::exp(-k / 4000.0f);
    right[k] = 0.5f * noise.next();
  }
  const ob::HitBodyHalves h = ob::splitHitBody(left.data(), right.data(), n, kRate);
  ASSERT_TRUE(h.usable());
  const ob::SplitPoint& p = h.point;
  ASSERT_GT(p.fade, 0);
  ASSERT_EQ(h.hitLeft.size(), static_cast<std::size_t>(p.hitLength()));
  ASSERT_EQ(h.bodyLeft.size(), static_cast<std::size_t>(p.bodyLength(n)));
  ASSERT_EQ(h.hitRight.size(), h.hitLeft.size());
  ASSERT_EQ(h.bodyRight.size(), h.bodyLeft.size());
  EXPECT_EQ(h.bodyStart, p.split - p.fade / 2);

  for (int c = 0; c < 2; ++c) {
    const std::vector<float>& x = c == 0 ? left : right;
    const std::vector<float>& hit = c == 0 ? h.hitLeft : h.hitRight;
    const std::vector<float>& body = c == 0 ? h.bodyLeft : h.bodyRight;
    for (std::int32_t k = 0; k < n; ++k) {
      const float fromHit = k < p.hitLength() ? hit[k] : 0.0f;
      const float fromBody = k >= h.bodyStart ? body[k - h.bodyStart] : 0.0f;
      ASSERT_NEAR(fromHit + fromBody, x[k], 1e-6f) << "channel " << c << " frame " << k;
      if (k < h.bodyStart) {
        ASSERT_EQ(hit[k], x[k]);
      }
      if (k >= p.hitLength()) {
        ASSERT_EQ(body[k - h.bodyStart], x[k]);
      }
    }
    // The crossfade is a smooth hand-over: the hit fades out, the body in.
    EXPECT_NEAR(hit[h.bodyStart], x[h.bodyStart], 1e-6f);
    EXPECT_NEAR(body[0], 0.0f, 1e-6f);
  }
}

TEST(HitBodyHalves, MonoUsesTheSignalItself) {
  std::vector<float> x(44100, 0.0f);
  addTone(x, 120.0, 0.5f, 300.0);
  addClick(x, 0, 0.9f);
  const ob::HitBodyHalves h = ob::splitHitBody(x.data(), nullptr, 44100, kRate);
  EXPECT_TRUE(h.hitRight.empty());
  EXPECT_TRUE(h.bodyRight.empty());
  EXPECT_EQ(h.point.split, ob::findHitBodySplit(x.data(), 44100, kRate).split);
}

TEST(HitBodyHalves, TooShortOrBrokenInputGivesEmptyHalves) {
  std::vector<float> one(1, 0.5f);
  EXPECT_FALSE(ob::splitHitBody(one.data(), nullptr, 1, kRate).usable());
  EXPECT_FALSE(ob::splitHitBody(nullptr, nullptr, 100, kRate).usable());
  EXPECT_FALSE(ob::splitHitBody(one.data(), nullptr, 1, 0.0).usable());

  // Rendering ignores missing buffers and a broken point.
  std::vector<float> x(10, 1.0f), hit(10, 0.0f), body(10, 0.0f);
  ob::renderHitBodyHalves(x.data(), 10, ob::SplitPoint{5, -2, 0, 0}, hit.data(), body.data());
  ob::renderHitBodyHalves(x.data(), 10, ob::SplitPoint{5, 2, 0, 0}, nullptr, body.data());
  EXPECT_EQ(energy(hit.data(), 10) + energy(body.data(), 10), 0.0);
}

// --------------------------------------------------------- pool and project

struct PoolFixture : ::testing::Test {
  ob::SamplePool pool;
  std::unique_ptr<ob::Project> project = ob::makeProject();

  std::int32_t addSample(const std::vector<float>& left, const std::vector<float>& right, const char* name,
                         double rate = kRate) {
    const std::int32_t slot =
        ob::loadWav(pool, ob::encodeWav(left.data(), right.empty() ? nullptr : right.data(),
                                        static_cast<std::int32_t>(left.size()), rate));
    if (slot >= 0) {
      ob::copyText(project->samples.slots[slot].name, name);
      project->samples.count = static_cast<std::uint8_t>(slot + 1);
    }
    return slot;
  }
  void fillPool(int slots) {
    while (pool.slotCount() < slots) addSample({0.1f, -0.1f}, {}, "filler");
  }
  std::vector<float> drum() const {
    std::vector<float> x(22050, 0.0f);
    addTone(x, 120.0, 0.5f, 300.0);
    addClick(x, 0, 0.9f);
    return x;
  }
  void expectUnchanged(int slots, const ob::Project& before) {
    EXPECT_EQ(pool.slotCount(), slots);
    EXPECT_EQ(std::memcmp(&before, project.get(), sizeof(ob::Project)), 0);
  }
};

TEST_F(PoolFixture, StereoSplitAddsTwoSlotsWithRecords) {
  const std::vector<float> l = drum();
  std::vector<float> r(l.size());
  for (std::size_t k = 0; k < l.size(); ++k) r[k] = -0.5f * l[k];
  ASSERT_EQ(addSample(l, r, "Snare.WAV", 48000.0), 0);
  ob::SampleSlot& src = project->samples.slots[0];
  ob::copyText(src.tags[0], "snare");
  src.tagCount = 1;
  src.src = 3;
  src.sliceCount = 2;

  std::string error;
  const ob::SplitResult res = ob::splitSampleIntoHitAndBody(pool, *project, 0, &error);
  ASSERT_EQ(res.hitSlot, 1) << error;
  EXPECT_EQ(res.bodySlot, 2);
  EXPECT_EQ(project->samples.count, 3);

  const ob::HitBodyHalves h = ob::splitHitBody(l.data(), r.data(), 22050, 48000.0);
  EXPECT_EQ(res.bodyStart, h.bodyStart);
  const ob::SamplePoolSlot& hit = *pool.slots[1];
  const ob::SamplePoolSlot& body = *pool.slots[2];
  EXPECT_DOUBLE_EQ(hit.sampleRate, 48000.0);
  EXPECT_EQ(std::vector<float>(hit.left.begin(), hit.left.end()), h.hitLeft);
  EXPECT_EQ(std::vector<float>(hit.right.begin(), hit.right.end()), h.hitRight);
  EXPECT_EQ(std::vector<float>(body.left.begin(), body.left.end()), h.bodyLeft);
  EXPECT_EQ(std::vector<float>(body.right.begin(), body.right.end()), h.bodyRight);

  const ob::SampleSlot& hr = project->samples.slots[1];
  const ob::SampleSlot& br = project->samples.slots[2];
  EXPECT_STREQ(hr.name, "Snare hit");
  EXPECT_STREQ(br.name, "Snare body");
  ASSERT_EQ(hr.tagCount, 2);
  EXPECT_STREQ(hr.tags[0], "snare");
  EXPECT_STREQ(hr.tags[1], "hit");
  EXPECT_STREQ(br.tags[1], "body");
  EXPECT_EQ(hr.src, 3);
  EXPECT_EQ(hr.sliceCount, 0);
  EXPECT_STREQ(hr.id, "");
}

TEST_F(PoolFixture, NamesAndTagsOfTheHalves) {
  ob::SampleSlot src{};
  ob::copyText(src.name, ".wav");
  EXPECT_EQ(ob::splitBaseName(src), ".wav");
  ob::copyText(src.name, "kick.Wav");
  EXPECT_EQ(ob::splitBaseName(src), "kick");
  ob::copyText(src.name, "kick.wave");
  EXPECT_EQ(ob::splitBaseName(src), "kick.wave");

  ob::copyText(src.tags[0], "hit");
  src.tagCount = 1;
  EXPECT_EQ(ob::writeSplitHalfSlot(".wav", src, *project, 5, "hit"), 6);
  EXPECT_STREQ(project->samples.slots[5].name, ".wav hit");
  EXPECT_EQ(project->samples.slots[5].tagCount, 1);
  EXPECT_EQ(project->samples.count, 6);

  for (int t = 0; t < 8; ++t) ob::copyText(src.tags[t], (std::string("t") + std::to_string(t)).c_str());
  src.tagCount = 8;
  ob::writeSplitHalfSlot("x", src, *project, 2, "body");
  EXPECT_EQ(project->samples.slots[2].tagCount, 8);
  EXPECT_STREQ(project->samples.slots[2].tags[7], "t7");
  EXPECT_EQ(project->samples.count, 6);  // never lowered

  // A long name gives way to the word, and is not cut inside a character.
  std::string longName(60, 'a');
  longName += "\xC3\xA9\xC3\xA9";  // two two-byte characters
  ob::writeSplitHalfSlot(longName, src, *project, 7, "body");
  const std::string written = project->samples.slots[7].name;
  EXPECT_LE(written.size(), 63u);
  EXPECT_EQ(written, std::string(58, 'a') + " body");
  ob::writeSplitHalfSlot(std::string(56, 'b') + "\xC3\xA9", src, *project, 8, "body");
  EXPECT_EQ(std::string(project->samples.slots[8].name), std::string(56, 'b') + "\xC3\xA9 body");
}

TEST_F(PoolFixture, FullPoolRefusesBeforeAnyAnalysis) {
  fillPool(63);
  const auto before = *project;
  std::string error;
  const ob::SplitResult res = ob::splitSampleIntoHitAndBody(pool, *project, 0, &error);
  EXPECT_EQ(res.hitSlot, -1);
  EXPECT_EQ(res.bodySlot, -1);
  EXPECT_EQ(res.bodyStart, 0);
  EXPECT_EQ(error, "the sample pool is full");
  expectUnchanged(63, before);
}

TEST_F(PoolFixture, SixtyTwoSlotsLeaveRoomForBothHalves) {
  addSample(drum(), {}, "drum.wav");
  fillPool(62);
  std::string error;
  const ob::SplitResult res = ob::splitSampleIntoHitAndBody(pool, *project, 0, &error);
  EXPECT_EQ(res.hitSlot, 62) << error;
  EXPECT_EQ(res.bodySlot, 63);
  EXPECT_EQ(project->samples.count, 64);
  EXPECT_STREQ(project->samples.slots[63].name, "drum body");
}

TEST_F(PoolFixture, MissingOrTooShortSourcesLeaveEverythingAlone) {
  addSample({0.5f}, {}, "one");
  pool.slot(3);  // an empty slot
  const int slots = pool.slotCount();
  const auto before = *project;
  for (std::int32_t source : {-1, 2, 3, 4, 64, 1000}) {
    std::string error;
    const ob::SplitResult res = ob::splitSampleIntoHitAndBody(pool, *project, source, &error);
    EXPECT_EQ(res.hitSlot, -1) << source;
    EXPECT_EQ(error, "that slot holds no sample") << source;
  }
  std::string error;
  EXPECT_EQ(ob::splitSampleIntoHitAndBody(pool, *project, 0, &error).hitSlot, -1);
  EXPECT_EQ(error, "too short to split");
  // No error text asked for: still refused, nothing written.
  EXPECT_EQ(ob::splitSampleIntoHitAndBody(pool, *project, 0).bodySlot, -1);
  expectUnchanged(slots, before);
}

ob::SampleAudio halfOf(std::size_t frames) {
  ob::SampleAudio half;
  half.left.assign(frames, 0.25f);
  half.sampleRate = kRate;
  return half;
}

TEST_F(PoolFixture, RefusedHalfLeavesPoolAndProjectAsTheyWere) {
  addSample(drum(), {}, "drum");
  const auto before = *project;
  // Room for the drum and 100 frames more.
  ob::SampleLimits limits;
  limits.poolDecodedBytes = pool.decodedBytes() + 100 * sizeof(float);
  pool.setLimits(limits);
  const std::string full = ob::sampleRefusalText(ob::SampleRefusal::PoolFull, limits);

  std::string error;
  ob::SplitResult res = ob::addHitBodySlots(pool, *project, 0, halfOf(60), halfOf(41), 50, &error);
  EXPECT_EQ(res.hitSlot, -1);
  EXPECT_EQ(res.bodySlot, -1);
  EXPECT_EQ(res.bodyStart, 0);
  EXPECT_EQ(error, full);
  expectUnchanged(1, before);
  EXPECT_FALSE(pool.hasDisplaced());

  res = ob::addHitBodySlots(pool, *project, 0, halfOf(101), halfOf(10), 50, &error);
  EXPECT_EQ(res.hitSlot, -1);
  EXPECT_EQ(error, full);
  expectUnchanged(1, before);

  // The same step succeeds with two halves that fit.
  res = ob::addHitBodySlots(pool, *project, 0, halfOf(60), halfOf(40), 50, &error);
  EXPECT_EQ(res.hitSlot, 1);
  EXPECT_EQ(res.bodySlot, 2);
  EXPECT_EQ(res.bodyStart, 50);
  EXPECT_STREQ(project->samples.slots[2].name, "drum body");
}

// A long recording splits at about the cost of its halves: they go into the
// pool as rendered, with no file of their own held beside them, and a save
// writes each as its float WAV, which loads back the same audio.
TEST_F(PoolFixture, HalvesCostTheirAudioAndSaveAsTheirOwnFloatFiles) {
  for (const bool stereo : {false, true}) {
    SCOPED_TRACE(stereo ? "stereo" : "mono");
    pool = ob::SamplePool{};
    project = ob::makeProject();
    std::vector<float> x(std::size_t(1) << 17, 0.0f);
    addTone(x, 90.0, 0.5f, 3000.0);
    addClick(x, 0, 0.9f);
    ASSERT_EQ(addSample(x, stereo ? x : std::vector<float>{}, "long.wav"), 0);
    const std::size_t source = pool.decodedBytes();
    x = {};

    ob::test::resetPeakLiveBytes();
    const std::size_t before = ob::test::liveBytes();
    std::string error;
    const ob::SplitResult res = ob::splitSampleIntoHitAndBody(pool, *project, 0, &error);
    const std::size_t peak = ob::test::peakLiveBytes() - before;
    ASSERT_EQ(res.bodySlot, 2) << error;
    EXPECT_LT(peak, source + source / 4);
    EXPECT_TRUE(pool.slots[1]->bytes.empty());
    EXPECT_TRUE(pool.slots[2]->bytes.empty());
    const std::size_t halves = pool.slots[1]->data->decodedBytes() + pool.slots[2]->data->decodedBytes();
    EXPECT_EQ(pool.decodedBytes(), source + halves);

    ob::assignSampleIds(project->samples);
    const std::vector<std::uint8_t> saved = ob::writeProjectDocument(*project, pool, {});
    auto back = ob::makeProject();
    ob::SamplePool backPool;
    ob::KeptDocument kept;
    ASSERT_TRUE(ob::readDocument(saved, *back, backPool, kept, &error, nullptr)) << error;
    for (int i : {1, 2}) {
      SCOPED_TRACE(i);
      ASSERT_LT(i, backPool.slotCount());
      const ob::SamplePoolSlot& made = *pool.slots[i];
      const ob::SamplePoolSlot& read = *backPool.slots[i];
      EXPECT_EQ(std::vector<float>(read.left.begin(), read.left.end()),
                std::vector<float>(made.left.begin(), made.left.end()));
      EXPECT_EQ(std::vector<float>(read.right.begin(), read.right.end()),
                std::vector<float>(made.right.begin(), made.right.end()));
      EXPECT_TRUE(read.bytes.empty()) << "its own float WAV, written again when saved, is not held twice";
    }
  }
}

// The halves together take what the source takes: with no room for that in
// the pool's budget the split is refused before it is made.
TEST_F(PoolFixture, ASplitPastThePoolsBudgetIsRefusedBeforeItIsMade) {
  addSample(drum(), {}, "drum.wav");
  ob::SampleLimits limits;
  limits.poolDecodedBytes = pool.decodedBytes() * 3 / 2;
  pool.setLimits(limits);
  const auto before = *project;
  ob::test::resetPeakLiveBytes();
  const std::size_t held = ob::test::liveBytes();
  std::string error;
  EXPECT_EQ(ob::splitSampleIntoHitAndBody(pool, *project, 0, &error).hitSlot, -1);
  EXPECT_EQ(error, ob::sampleRefusalText(ob::SampleRefusal::PoolFull, limits));
  EXPECT_LT(ob::test::peakLiveBytes() - held, pool.decodedBytes() / 2);
  expectUnchanged(1, before);
}

}  // namespace tools_split_test
