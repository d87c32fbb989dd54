// Chop markers of the selected sampler's slot: each edit writes the slot,
// takes one undo snapshot, posts the project and publishes the pool.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/pool/sample_pool.h"
#include "tests/editor/bench_rig.h"

namespace orbi::test {
namespace bench_chops_test {

constexpr int kSlot = 5;

class Chops : public testing::Test {
 protected:
  Chops() { useSlot(kSlot); }
  void useSlot(int slot) {
    ob::Sound& s = rig.soundOf(0);
    ob::initSoundParams(s, ob::kMachineSample);
    s.params[samplerParam("window_mode")] = 1.0f;
    s.params[samplerParam("slot")] = static_cast<float>(slot);
  }
  ob::SampleSlot& slot() { return rig.context.project().samples.slots[kSlot]; }
  void setMarkers(std::vector<float> m) {
    slot().sliceCount = static_cast<std::uint16_t>(m.size());
    std::copy(m.begin(), m.end(), slot().slices);
  }
  std::vector<float> markers() { return {slot().slices, slot().slices + slot().sliceCount}; }
  int undoSteps() const { return rig.context.snapshots + rig.context.coalescedSnapshots; }
  // One edit: exactly one snapshot, one post, one publish.
  void expectOneEdit() {
    EXPECT_EQ(undoSteps(), 1);
    EXPECT_EQ(rig.context.commits, 1);
    EXPECT_EQ(rig.context.publishes, 1);
  }
  void expectNoEdit() {
    EXPECT_EQ(undoSteps(), 0);
    EXPECT_EQ(rig.context.commits, 0);
    EXPECT_EQ(rig.context.publishes, 0);
  }
  BenchRig rig;
};

TEST_F(Chops, TheSelectedSlotNeedsASamplerInWindowMode) {
  EXPECT_EQ(rig.bench.selectedSampleSlot(), kSlot);
  rig.soundOf(0).params[samplerParam("window_mode")] = 0.0f;
  EXPECT_EQ(rig.bench.selectedSampleSlot(), -1);
  rig.page.sampler.sampleView.onSliceAdd(0.5f);
  rig.page.sampler.sampleView.onClearChops();
  expectNoEdit();
  useSlot(64);
  EXPECT_EQ(rig.bench.selectedSampleSlot(), -1);
  rig.context.track = 1;  // a drum
  EXPECT_EQ(rig.bench.selectedSampleSlot(), -1);
}

TEST_F(Chops, AddingToASlotWithoutMarkersStartsFromZero) {
  rig.page.sampler.sampleView.onSliceAdd(0.5f);
  EXPECT_EQ(markers(), (std::vector<float>{0.0f, 0.5f}));
  expectOneEdit();
}

TEST_F(Chops, AddingCloserThanTwoThousandthsIsRefused) {
  rig.page.sampler.sampleView.onSliceAdd(0.001f);
  EXPECT_TRUE(markers().empty());
  setMarkers({0.0f, 0.5f});
  rig.page.sampler.sampleView.onSliceAdd(0.5015f);
  EXPECT_EQ(markers(), (std::vector<float>{0.0f, 0.5f}));
  expectNoEdit();
  rig.page.sampler.sampleView.onSliceAdd(0.25f);
  EXPECT_EQ(markers(), (std::vector<float>{0.0f, 0.25f, 0.5f}));
}

TEST_F(Chops, AFullListTakesNoMore) {
  std::vector<float> full;
  for (int i = 0; i < ob::kMaxSlices; ++i) full.push_back(static_cast<float>(i) / ob::kMaxSlices);
  setMarkers(full);
  rig.page.sampler.sampleView.onSliceAdd(0.995f);
  EXPECT_EQ(markers(), full);
  expectNoEdit();
}

TEST_F(Chops, MovesStayBetweenTheNeighbours) {
  struct Case {
    int marker;
    float to;
    std::vector<float> after;
  };
  const Case cases[] = {
      {0, 0.2f, {0.0f, 0.4f, 0.8f}},     // marker 0 never moves
      {2, 1.0f, {0.0f, 0.4f, 0.999f}},   // the last stops short of the end
      {1, 0.95f, {0.0f, 0.799f, 0.8f}},  // past the right neighbour
      {1, -1.0f, {0.0f, 0.001f, 0.8f}},  // past the left
      {1, 0.5f, {0.0f, 0.5f, 0.8f}},    {3, 0.5f, {0.0f, 0.4f, 0.8f}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.marker << " to " << c.to);
    rig.reset();
    useSlot(kSlot);
    setMarkers({0.0f, 0.4f, 0.8f});
    rig.page.sampler.sampleView.onSliceMove(c.marker, c.to);
    const std::vector<float> got = markers();
    ASSERT_EQ(got.size(), c.after.size());
    for (std::size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], c.after[i], 1e-6f);
    const bool moved = c.marker >= 1 && c.marker < 3;
    EXPECT_EQ(rig.context.coalescedSnapshots, moved ? 1 : 0);
    EXPECT_EQ(rig.context.publishes, moved ? 1 : 0);
  }
}

TEST_F(Chops, AMarkerWithoutRoomBetweenItsNeighboursStays) {
  const std::vector<float> tight = {0.0f, 0.5f, 0.5005f, 0.501f};
  for (float to : {0.0f, 0.5003f, 0.5005f, 0.6f}) {
    SCOPED_TRACE(to);
    setMarkers(tight);
    rig.page.sampler.sampleView.onSliceMove(2, to);
    EXPECT_EQ(markers(), tight);
    expectNoEdit();
  }
}

TEST_F(Chops, RemovingShiftsTheLaterMarkersDown) {
  setMarkers({0.0f, 0.25f, 0.5f, 0.75f});
  rig.page.sampler.sampleView.onSliceDelete(0);
  rig.page.sampler.sampleView.onSliceDelete(4);
  expectNoEdit();
  rig.page.sampler.sampleView.onSliceDelete(1);
  EXPECT_EQ(markers(), (std::vector<float>{0.0f, 0.5f, 0.75f}));
  expectOneEdit();
}

TEST_F(Chops, DivideIntoFourAndClear) {
  rig.page.sampler.sampleView.onDivide(4);
  EXPECT_EQ(markers(), (std::vector<float>{0.0f, 0.25f, 0.5f, 0.75f}));
  expectOneEdit();
  rig.page.sampler.sampleView.onClearChops();
  EXPECT_TRUE(markers().empty());
  EXPECT_EQ(rig.context.snapshots, 2);
  // Clearing a slot without markers still takes its snapshot and posts.
  rig.page.sampler.sampleView.onClearChops();
  EXPECT_EQ(rig.context.snapshots, 3);
  EXPECT_EQ(rig.context.commits, 3);
}

TEST_F(Chops, EachEditIsOneUndoStepThatRestoresTheMarkersBefore) {
  setMarkers({0.0f, 0.5f});
  rig.page.sampler.sampleView.onSliceAdd(0.25f);
  ASSERT_EQ(rig.context.undo.size(), 1u);
  const ob::SampleSlot& before = rig.context.undo.back().project.samples.slots[kSlot];
  EXPECT_EQ(std::vector<float>(before.slices, before.slices + before.sliceCount),
            (std::vector<float>{0.0f, 0.5f}));
}

// Three decaying bursts at 0, 0.4 and 0.8 s of a 1.2 s sample.
std::vector<float> threeHits(double rate) {
  std::vector<float> out(static_cast<std::size_t>(1.2 * rate), 0.0f);
  for (double start : {0.0, 0.4, 0.8}) {
    const std::size_t at = static_cast<std::size_t>(start * rate);
    for (std::size_t i = 0; i < static_cast<std::size_t>(0.15 * rate); ++i)
      out[at + i] = static_cast<float>(0.9 * std::exp(-static_cast<double>(i) / (0.02 * rate)) *
                                       std::sin(2.0 * 3.14159265 * 180.0 * static_cast<double>(i) / rate));
  }
  return out;
}

TEST_F(Chops, DetectionMarksTheStartAndEachLaterHit) {
  const double rate = 44100.0;
  ob::SampleAudio audio;
  audio.left = threeHits(rate);
  audio.sampleRate = rate;
  ASSERT_EQ(rig.context.samplePool().replaceSlot(kSlot, std::move(audio)), kSlot);
  rig.page.sampler.sampleView.onDetectTransients();
  const std::vector<float> got = markers();
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0], 0.0f);
  EXPECT_NEAR(got[1], 0.4f / 1.2f, 0.01f);
  EXPECT_NEAR(got[2], 0.8f / 1.2f, 0.01f);
  expectOneEdit();
}

TEST_F(Chops, DetectionWithoutAudioChangesNothing) {
  rig.page.sampler.sampleView.onDetectTransients();
  ASSERT_EQ(rig.context.samplePool().replaceSlot(kSlot, ob::SampleAudio{}), kSlot);
  rig.page.sampler.sampleView.onDetectTransients();
  expectNoEdit();
}

}  // namespace bench_chops_test
}  // namespace orbi::test
