// The bench inside the root view: wired at construction, rebuilt by the
// first frame and by undo, the playing step written by the frame, and the
// auditions and undo steps of bench gestures as the view carries them out.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "editor/bench/bench_controller.h"
#include "editor_rig.h"
#include "engine/engine/audition_preview.h"
#include "engine/params/param_tables.h"
#include "engine/player/render_sound_offline.h"

namespace orbi::test {
namespace bench_view_test {

int drumParam(const char* key) { return ob::findParamIndex(ob::kMachineDrum, key); }

class BenchInView : public testing::Test {
 protected:
  ob::Pattern& pattern() { return rig.project().patterns[0]; }
  BenchPage& page() { return rig.view().benchPage(); }
  // The render the preview must play on one side: the sound at the level,
  // times that side's gain.
  std::vector<float> expected(const ob::Sound& sound, float level, float gain) {
    std::vector<float> out;
    const ob::SamplePoolSnapshot* snapshot = rig.engineHost().engine.sampleSet().newest();
    ob::renderSoundOffline(sound, snapshot, 44100.0, 88200, out, level);
    for (float& s : out) s *= gain;
    return out;
  }
  // The left side of the output, one frame per sample at a rate step of 1.
  std::vector<float> played(std::size_t frames) {
    std::vector<float> out(frames, 0.0f);
    rig.engineHost().preview.mix(out.data(), nullptr, static_cast<std::uint32_t>(frames));
    return out;
  }
  static double distance(const std::vector<float>& a, const std::vector<float>& b, std::size_t n) {
    double d = 0.0;
    for (std::size_t i = 0; i < n; ++i) d = std::max(d, std::fabs(static_cast<double>(a[i]) - b[i]));
    return d;
  }
  EditorRig rig;
};

TEST_F(BenchInView, TheViewWiresThePageAndTheFirstFrameRebuildsIt) {
  EXPECT_TRUE(page().selectTrack && page().toggleStep && page().addTrack);
  EXPECT_TRUE(page().grid.onMicro && page().grid.onRetrigRate);
  EXPECT_TRUE(page().anatomy.onSecondHit && page().anatomy.hitGraph.lfoReach);
  EXPECT_TRUE(page().chain.onAddStage && page().chain.filter.onCutoff);
  EXPECT_TRUE(page().velocity.onLayers && page().sampler.sampleView.onSliceMove);
  EXPECT_TRUE(page().rows.empty());  // nothing drawn or rebuilt before the first frame
  rig.frames(1);
  EXPECT_EQ(page().rows.size(), pattern().numTracks);
  EXPECT_EQ(page().hitsTitle, "Kick / base");
}

TEST_F(BenchInView, UndoRebuildsThePage) {
  rig.frames(1);
  page().toggleStep(1);
  ASSERT_TRUE(page().rows[0].steps[1]);
  rig.view().undo();
  EXPECT_FALSE(pattern().tracks[0].steps[1].active);
  EXPECT_FALSE(page().rows[0].steps[1]);
}

TEST_F(BenchInView, TheFrameWritesThePlayingStepAndClearsItOnceWhenPlaybackStops) {
  rig.activate(44100.0);
  rig.engineHost().internalPlay.store(1);
  for (int i = 0; i < 40; ++i) {
    rig.audioBlock();
    rig.frames(1);
    if (rig.view().playheadStepChanged() >= 0) {
      EXPECT_EQ(page().grid.playStep, rig.view().playheadStepChanged());
    }
  }
  EXPECT_GE(page().grid.playStep, 0);
  EXPECT_EQ(page().grid.playStep, rig.engineHost().engine.playheadStep());
  rig.engineHost().internalPlay.store(0);
  rig.frames(1);
  EXPECT_EQ(page().grid.playStep, -1);
  page().grid.playStep = 3;
  rig.frames(2);
  EXPECT_EQ(page().grid.playStep, 3);  // cleared once, not every frame
}

TEST_F(BenchInView, TheAuditionLevelAndGainReachThePublishedPreview) {
  rig.activate(44100.0);
  rig.frames(1);
  ob::Track& hat = pattern().tracks[2];
  hat.gain = 0.5f;
  hat.steps[3].active = 1;
  hat.steps[3].velocity = 64;
  hat.steps[3].panLocked = 1;
  hat.steps[3].panValue = -0.4f;
  page().selectTrack(2);
  page().selectStep(3);
  const std::uint32_t requests = rig.engineHost().preview.requestCount();
  page().anatomy.onHearBoth();
  rig.frames(1);  // the frame's renders
  EXPECT_EQ(rig.engineHost().preview.requestCount(), requests + 1);
  const ob::Sound& sound = pattern().kit.sounds[hat.soundIndex];
  const float left = ob::trackOutputGains(-0.4f, 0.5f).left;
  const std::vector<float> want = expected(sound, 64.0f / 127.0f, left);
  const std::vector<float> full = expected(sound, 1.0f, left);
  const std::vector<float> got = played(4096);
  EXPECT_LT(distance(got, want, 4096), 1e-6);
  EXPECT_GT(distance(got, full, 4096), 1e-3);
}

TEST_F(BenchInView, AHalfAuditionOfAReversedDrumPlaysForward) {
  rig.activate(44100.0);
  rig.frames(1);
  ob::Sound& kick = pattern().kit.sounds[0];
  kick.params[drumParam("voice_rev")] = 1.0f;
  page().anatomy.hitBrowser.onLand();
  rig.frames(1);
  const ob::Sound forward = BenchController::isolateHalf(kick, BenchController::kHit);
  ASSERT_EQ(forward.params[drumParam("voice_rev")], 0.0f);
  ob::Sound backward = forward;
  backward.params[drumParam("voice_rev")] = 1.0f;
  const std::vector<float> got = played(4096);
  const ob::Track& track = pattern().tracks[0];
  const float left = ob::trackOutputGains(track.pan, track.gain).left;
  EXPECT_LT(distance(got, expected(forward, 1.0f, left), 4096), 1e-6);
  EXPECT_GT(distance(got, expected(backward, 1.0f, left), 4096), 1e-3);
}

TEST_F(BenchInView, AnLfoReachThatRetargetsAndEnablesIsOneUndoStep) {
  rig.frames(1);
  const ob::Lfo before = pattern().tracks[0].lfos[0];
  ASSERT_FALSE(before.enabled);
  const int tone = drumParam("res_tone");
  page().anatomy.bodyGraph.lfoReach(tone, 0.4f);
  EXPECT_EQ(rig.view().undoHistory().size(), 1u);
  rig.frames(1);
  page().anatomy.bodyGraph.lfoReach(tone, 0.5f);  // the same drag, a frame on
  EXPECT_EQ(rig.view().undoHistory().size(), 1u);
  EXPECT_TRUE(pattern().tracks[0].lfos[0].enabled);
  rig.view().undo();
  const ob::Lfo& after = pattern().tracks[0].lfos[0];
  EXPECT_EQ(after.enabled, before.enabled);
  EXPECT_EQ(after.dest, before.dest);
  EXPECT_EQ(after.depth, before.depth);
}

TEST_F(BenchInView, AMarkerDragIsOneUndoStepAndPublishesThePool) {
  rig.activate(44100.0);
  rig.frames(1);
  ob::Sound& s = pattern().kit.sounds[0];
  ob::initSoundParams(s, ob::kMachineSample);
  s.params[ob::findParamIndex(ob::kMachineSample, "window_mode")] = 1.0f;
  s.params[ob::findParamIndex(ob::kMachineSample, "slot")] = 3.0f;
  ob::SampleAudio audio;
  audio.left.assign(4410, 0.25f);
  ASSERT_EQ(rig.engineHost().pool.replaceSlot(3, std::move(audio)), 3);
  ob::SampleSlot& slot = rig.project().samples.slots[3];
  rig.project().samples.count = std::max<std::uint8_t>(rig.project().samples.count, 4);
  slot.sliceCount = 3;
  slot.slices[0] = 0.0f;
  slot.slices[1] = 0.3f;
  slot.slices[2] = 0.6f;
  for (float to : {0.35f, 0.4f, 0.45f}) {
    page().sampler.sampleView.onSliceMove(1, to);
    rig.frames(1);
  }
  EXPECT_FLOAT_EQ(slot.slices[1], 0.45f);
  EXPECT_EQ(rig.view().undoHistory().size(), 1u);
  // Housekeeping publishes the slices the drags left.
  for (int i = 0; i < 6; ++i) {
    rig.audioBlock();
    rig.frames(2);
  }
  const ob::SamplePoolSnapshot* published = rig.engineHost().engine.sampleSet().newest();
  ASSERT_NE(published, nullptr);
  const ob::SampleSlotInfo& info = (*published)[3];
  ASSERT_EQ(info.sliceCount, 3);
  EXPECT_FLOAT_EQ(info.slices[1], 0.45f);
  rig.view().undo();
  EXPECT_FLOAT_EQ(slot.slices[1], 0.3f);
}

}  // namespace bench_view_test
}  // namespace orbi::test
