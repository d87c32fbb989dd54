// The root view's frame: the playhead between the engine's steps and the
// housekeeping that frees what the audio thread has left.
#include <gtest/gtest.h>

#include <filesystem>

#include "editor_rig.h"

namespace orbi::test {
namespace editor_frame_test {

class Playhead : public ::testing::TestWithParam<float> {};

TEST_P(Playhead, MovesWithinTheStepAndStopsAtTheNext) {
  const float bpm = GetParam();
  EditorRig rig;
  rig.project().patterns[0].bpm = bpm;
  rig.frames(1);
  EXPECT_EQ(rig.view().playhead(), -1.0f);
  rig.engineHost().internalPlay.store(1);
  rig.frames(1);
  const std::int32_t step = rig.engineHost().engine.playheadStep();
  EXPECT_EQ(rig.view().playheadStepChanged(), step);
  EXPECT_FLOAT_EQ(rig.view().playhead(), static_cast<float>(step));
  const double stepMs = bpm <= 20.0f ? 750.0 : 60000.0 / bpm / 4.0;
  rig.frames(6);  // 100 ms later
  EXPECT_EQ(rig.view().playheadStepChanged(), -1);
  EXPECT_NEAR(rig.view().playhead(), step + std::min(100.0 / stepMs, 1.0), 1e-4);
  // The engine has not moved on: the playhead waits at the next step.
  rig.frames(60);
  EXPECT_FLOAT_EQ(rig.view().playhead(), static_cast<float>(step + 1));
  rig.engineHost().internalPlay.store(0);
  rig.frames(1);
  EXPECT_EQ(rig.view().playhead(), -1.0f);
  EXPECT_EQ(rig.view().playheadStepChanged(), -1);
}

INSTANTIATE_TEST_SUITE_P(Tempi, Playhead, ::testing::Values(120.0f, 20.0f, 5.0f));

// While the host's transport plays the pattern at its own tempo, the
// playhead moves at that tempo, as it would with the part's own at it.
TEST(PlayheadOfTheHost, MovesAtTheHostsTempo) {
  const auto playheadAfter100Ms = [](float partBpm, double hostBpm) {
    EditorRig rig;
    rig.project().patterns[0].bpm = partBpm;
    rig.frames(1);
    rig.engineHost().internalPlay.store(hostBpm > 0.0 ? 0 : 1);
    rig.engineHost().hostPlaying.store(hostBpm > 0.0 ? 1 : 0);
    rig.engineHost().hostTempo.store(hostBpm);
    rig.frames(1);
    const float start = rig.view().playhead();
    rig.frames(6);
    return rig.view().playhead() - start;
  };
  const float atHostTempo = playheadAfter100Ms(124.0f, 90.0);
  EXPECT_FLOAT_EQ(atHostTempo, playheadAfter100Ms(90.0f, 0.0));
  EXPECT_LT(atHostTempo, playheadAfter100Ms(124.0f, 0.0));
}

// An activated, processing instance whose editor has just opened a
// project: the pool it replaced waits among the retired ones.
class Housekeeping : public ::testing::Test {
 protected:
  void SetUp() override {
    rig.activate();
    rig.audioBlock();
    rig.frames(1);
    const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                       ("orbi-housekeeping-" + std::to_string(::getpid()) + ".project.orbi");
    ASSERT_TRUE(rig.view().saveProject(file));
    rig.engineHost().engine.sampleSet().enterBlock();  // as the audio thread does, meanwhile
    ASSERT_TRUE(rig.view().openProject(file));
    std::filesystem::remove(file);
  }
  EditorRig rig;
};

TEST_F(Housekeeping, FramesAloneFreeAnOpenedProjectsOldPool) {
  ASSERT_EQ(rig.engineHost().samples.retired().size(), 1u);
  int frames = 0;
  while (!rig.engineHost().samples.retired().empty() && frames < 400) {
    rig.audioBlock();
    rig.frames(1);
    ++frames;
  }
  // The first pass after a block took the next publication frees it
  // (passes come at thirty a second, frames faster).
  EXPECT_LE(frames, 2);
}

TEST_F(Housekeeping, ALateFrameRunsOnePassAndTheNextFollowsItsInterval) {
  const auto& retired = rig.engineHost().samples.retired();
  // Whether the view's frame at a time of the test's choosing ran a pass:
  // a pool with audio that the audio thread has let go waits for one.
  auto passAt = [&](double seconds) {
    rig.audioBlock();
    ob::SamplePool pool;
    ob::SampleAudio audio;
    audio.left.assign(64, 0.5f);
    pool.append(std::move(audio));
    rig.engineHost().engine.sampleSet().enterBlock();
    rig.engineHost().replacePool(std::move(pool));
    rig.audioBlock();
    ui::FrameInfo info;
    info.time = seconds;
    rig.harness.frame([&] { rig.view().frame(info); });
    return retired.empty();
  };
  const double late = 100.0;
  EXPECT_TRUE(passAt(late));
  EXPECT_FALSE(passAt(late + 1.0 / 60.0));
  EXPECT_TRUE(passAt(late + 1.0 / 30.0));
  EXPECT_FALSE(passAt(late + 1.5 / 30.0));
  EXPECT_TRUE(passAt(late + 2.0 / 30.0));
}

}  // namespace editor_frame_test
}  // namespace orbi::test
