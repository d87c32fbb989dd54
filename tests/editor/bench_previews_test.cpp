// The bench's rendered pictures: which grid cells get a hit or eight
// variations, the random draws and their seeds, the lengths of the half
// and whole-sound previews, and the passes at most 100 ms of the frame
// clock apart, a piece a frame, while a drag edits every frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "engine/player/render_sound_offline.h"
#include "support/ui/ui_harness.h"
#include "tests/editor/bench_rig.h"
#include "tests/editor/editor_rig.h"

namespace orbi::test {
namespace bench_previews_test {

using Randoms = std::vector<BenchController::RandomAmount>;

std::vector<float> copyOf(const float* samples, int frames) {
  return samples ? std::vector<float>(samples, samples + frames) : std::vector<float>{};
}

// Every picture the bench's views show now, in one list per view.
std::vector<std::vector<float>> pictures(const BenchPage& page) {
  std::vector<std::vector<float>> all;
  all.push_back(copyOf(page.grid.baseWave.samples, page.grid.baseWave.frames));
  for (int k = 0; k < HitsGrid::kCells; ++k) {
    all.push_back(copyOf(page.grid.cellWaves[k].samples, page.grid.cellWaves[k].frames));
    for (const HitsGrid::Wave& w : page.grid.cellVariations[k]) all.push_back(copyOf(w.samples, w.frames));
  }
  const AnatomyView& a = page.anatomy;
  all.push_back(copyOf(a.hitBrowser.samples, a.hitBrowser.frameCount));
  all.push_back(copyOf(a.bodyBrowser.samples, a.bodyBrowser.frameCount));
  all.push_back(copyOf(a.sumSamples, a.sumFrames));
  return all;
}

// Track 0 with no steps and no random amounts.
class Previews : public testing::Test {
 protected:
  Previews() {
    ob::Track& track = rig.pattern().tracks[0];
    for (ob::Step& s : track.steps) s = ob::Step{};
    track.trackRandCount = 0;
    rig.bench.rebuild();
  }
  ob::Step& step(int k) { return rig.pattern().tracks[0].steps[k]; }
  ob::Sound& kick() { return rig.soundOf(0); }
  // A frame's renders at the frame clock: one piece, or all there is.
  void piece(double nowMs) {
    RenderBudget onePiece(0.0);
    rig.bench.renderPreviews(nowMs, onePiece);
  }
  void everything(double nowMs) {
    RenderBudget all(std::numeric_limits<double>::infinity());
    rig.bench.renderPreviews(nowMs, all);
  }

  BenchRig rig;
};

TEST_F(Previews, OnlyLockedOrRandomStepsGetCellsOfTheirOwn) {
  step(1).active = 1;
  step(2).active = 1;
  step(2).lockCount = 1;
  step(2).locks[0] = {static_cast<std::uint8_t>(drumParam("exc1_tone")), 0.9f};
  step(3).active = 1;
  step(3).randCount = 1;
  step(3).rands[0] = {static_cast<std::uint8_t>(drumParam("exc1_tone")), 0.5f};
  step(4).randCount = 1;  // inactive: nothing
  step(4).rands[0] = step(3).rands[0];
  rig.bench.rebuild();
  rig.bench.flushPreviews();
  const HitsGrid& g = rig.page.grid;
  EXPECT_EQ(g.baseWave.frames, 8820);
  for (int k = 0; k < HitsGrid::kCells; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(g.cellWaves[k].frames, k == 2 ? 8820 : 0);
    EXPECT_EQ(g.cellVariations[k].size(), k == 3 ? 8u : 0u);
  }

  // The variations are the step's sound with the draws of seeds 3 x 977 + 1
  // to + 8, the same seeds that give the graphs' ghosts of that hit.
  const Randoms randoms = BenchController::effectiveRandoms(rig.pattern().tracks[0], 3);
  std::vector<float> expected;
  for (int v = 0; v < 8; ++v) {
    const ob::Sound drawn = BenchController::applyRandomDraws(kick(), randoms, 3 * 977 + 1 + v);
    ob::renderSoundOffline(drawn, nullptr, 22050.0, 8820, expected, 1.0f);
    EXPECT_EQ(copyOf(g.cellVariations[3][v].samples, 8820), expected) << v;
  }
  rig.context.step = 3;
  rig.bench.rebuild();
  const std::vector<graph::Shape>& ghosts = rig.page.anatomy.hitGraph.hitShapes;
  ASSERT_EQ(ghosts.size(), 8u);
  for (int v = 0; v < 8; ++v)
    EXPECT_FLOAT_EQ(
        ghosts[v].tone,
        BenchController::applyRandomDraws(kick(), randoms, 3 * 977 + 1 + v).params[drumParam("exc1_tone")]);
  EXPECT_EQ(rig.page.anatomy.bodyGraph.hitShapes.size(), 8u);
  EXPECT_EQ(rig.page.anatomy.hitGraph.breatheEnabled, 1);
}

TEST_F(Previews, RandomDrawsMatchValuesWorkedOutByHand) {
  ob::Sound s = kick();
  s.params[drumParam("exc1_tone")] = 0.3f;
  s.params[drumParam("res_tune")] = 100.0f;
  EXPECT_NEAR(BenchController::applyRandomDraws(s, {{drumParam("exc1_tone"), 0.5f}}, 1955)
                  .params[drumParam("exc1_tone")],
              0.42162001f, 1e-6f);
  // A negative seed is its two's complement.
  EXPECT_NEAR(BenchController::applyRandomDraws(s, {{drumParam("res_tune"), 1.0f}}, -976)
                  .params[drumParam("res_tune")],
              281.48239f, 1e-3f);
  // Always within the parameter's range.
  const ob::Sound wide = BenchController::applyRandomDraws(s, {{drumParam("exc1_tone"), 50.0f}}, 7);
  EXPECT_TRUE(wide.params[drumParam("exc1_tone")] == 0.0f || wide.params[drumParam("exc1_tone")] == 1.0f);
}

TEST_F(Previews, StepAmountsReplaceTrackAmountsAndBadEntriesDrop) {
  ob::Track& track = rig.pattern().tracks[0];
  track.trackRandCount = 3;
  track.trackRands[0] = {1, 0.2f};
  track.trackRands[1] = {2, 0.0f};   // no amount
  track.trackRands[2] = {70, 0.5f};  // no such parameter
  step(6).randCount = 2;
  step(6).rands[0] = {5, 0.3f};
  step(6).rands[1] = {1, 0.7f};
  const Randoms r = BenchController::effectiveRandoms(track, 6);
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0].param, 1);
  EXPECT_FLOAT_EQ(r[0].amount, 0.7f);
  EXPECT_EQ(r[1].param, 5);
  EXPECT_EQ(BenchController::effectiveRandoms(track, -1).size(), 1u);
}

TEST_F(Previews, HalfAndWholeLengths) {
  rig.putSample(40, 3.0);
  ob::Sound s = kick();
  s.params[drumParam("exc1_type")] = 4.0f;
  s.params[drumParam("exc1_aux1")] = 40.0f / 63.0f;
  rig.bench.rebuild();  // the snapshot holds the new slot
  EXPECT_EQ(rig.bench.halfPreviewFrames(s, false, 0), 5 * 22050);
  s.params[drumParam("exc1_type")] = 1.0f;
  s.params[drumParam("exc1_decay")] = 0.01f;
  EXPECT_EQ(rig.bench.halfPreviewFrames(s, false, 0), 8820);
  s.params[drumParam("res_decay")] = 2.0f;
  EXPECT_EQ(rig.bench.halfPreviewFrames(s, true, 0), 50715);  // 2.3 s

  kick().params[drumParam("voice_rev")] = 1.0f;
  rig.bench.rebuild();
  rig.bench.flushPreviews();
  const AnatomyView& a = rig.page.anatomy;
  ASSERT_GE(a.sumFrames, 8820);
  ASSERT_LE(a.sumFrames, 22050);
  if (a.sumFrames > 8820) {
    EXPECT_GE(std::fabs(a.sumSamples[a.sumFrames - 1]), 0.0001f);
  }
  EXPECT_TRUE(a.reversed);
}

// A drag of the hit's tone at 60 frames a second for two seconds, one
// piece of render a frame.
TEST_F(Previews, ADragRendersAtMostTenTimesASecondAndEndsOnTheFreshPictures) {
  const int tone = drumParam("exc1_tone");
  step(0).active = 1;
  step(0).randCount = 1;
  step(0).rands[0] = {static_cast<std::uint8_t>(drumParam("res_decay")), 0.3f};
  rig.bench.rebuild();
  rig.bench.flushPreviews();
  const int before = rig.bench.previewRenders();
  double now = 1000.0;
  const double frame = 1000.0 / 60.0;
  for (int i = 0; i < 120; ++i, now += frame) {
    rig.page.anatomy.hitGraph.value(tone, 0.2f + 0.005f * static_cast<float>(i));
    piece(now);
  }
  EXPECT_LE(rig.bench.previewRenders() - before, 21);
  EXPECT_GE(rig.bench.previewRenders() - before, 2);
  int frames = 0;
  for (; rig.bench.previewsPending() && frames < 10000; ++frames, now += frame) piece(now);
  EXPECT_GT(frames, 1);  // the last pictures took frames of their own

  BenchRig fresh;
  fresh.context.project() = rig.context.project();
  fresh.bench.rebuild();
  fresh.bench.flushPreviews();
  EXPECT_EQ(pictures(rig.page), pictures(fresh.page));
}

TEST_F(Previews, NothingRendersWhileTheInputsStayTheSame) {
  rig.bench.flushPreviews();
  const int renders = rig.bench.previewRenders();
  rig.bench.rebuild();
  EXPECT_FALSE(rig.bench.previewsPending());
  everything(1e9);
  EXPECT_EQ(rig.bench.previewRenders(), renders);
  // A change of the pool renders again, though no sound changed.
  rig.bench.samplesChanged();
  rig.bench.rebuild();
  EXPECT_TRUE(rig.bench.previewsPending());
  everything(2e9);
  EXPECT_EQ(rig.bench.previewRenders(), renders + 1);
  EXPECT_FALSE(rig.bench.previewsPending());
}

// A window draws only when something asks: previews that wait for their
// turn ask for the frames that render them, and stop asking once fresh.
TEST_F(Previews, StalePreviewsKeepTheFramesComing) {
  ui::UiHarness harness;
  double now = 1000.0;
  const auto frame = [&] {
    harness.frame([&] {
      // A whole render fits each frame, however slow the machine.
      RenderBudget budget(std::numeric_limits<double>::infinity());
      rig.bench.renderPreviews(now, budget);
    });
    now += 1000.0 / 60.0;
    return harness.nextFrameRequest().again;
  };
  frame();
  frame();
  EXPECT_FALSE(frame()) << "fresh previews ask for nothing";
  kick().params[drumParam("exc1_tone")] = 0.1f;
  rig.bench.rebuild();
  EXPECT_TRUE(frame());  // rendered at once, the throttle's time having passed
  kick().params[drumParam("exc1_tone")] = 0.2f;
  rig.bench.rebuild();
  const int renders = rig.bench.previewRenders();
  int frames = 0, asked = 0;
  for (; rig.bench.previewRenders() == renders && frames < 60; ++frames) asked += frame();
  EXPECT_EQ(rig.bench.previewRenders(), renders + 1) << "the throttled render never came";
  EXPECT_GT(frames, 1) << "the render was not held back";
  EXPECT_EQ(asked, frames);
  frame();
  EXPECT_FALSE(frame());
}

// A longer hit grows its buffer; the views must read the new one.
TEST_F(Previews, ViewsFollowABufferThatGrew) {
  rig.bench.flushPreviews();
  kick().params[drumParam("exc1_decay")] = 0.5f;
  kick().params[drumParam("res_decay")] = 4.0f;
  rig.bench.rebuild();
  rig.bench.flushPreviews();
  const HalfBrowser& body = rig.page.anatomy.bodyBrowser;
  ASSERT_EQ(body.frameCount, 101430);  // 4.6 s
  double energy = 0.0;
  for (int i = 0; i < body.frameCount; ++i) energy += std::fabs(body.samples[i]);
  EXPECT_GT(energy, 0.0);
  EXPECT_NEAR(rig.page.anatomy.bodyGraph.window(), 4.6f, 1e-4f);
}

// A stereo recording far quieter on its left is drawn as its louder side.
TEST_F(Previews, AStereoSampleIsDrawnAsItsLouderSidePlays) {
  rig.putSample(3, 0.5, "wide", 0.0316f, 0.708f);
  rig.putSample(4, 0.5, "right alone", 0.708f);
  ob::Sound& sound = rig.selectMachine(0, ob::kMachineSample);
  std::vector<std::vector<float>> drawn;
  for (const float slot : {4.0f, 3.0f}) {
    sound.params[samplerParam("slot")] = slot;
    rig.bench.rebuild();
    rig.bench.flushPreviews();
    drawn.push_back(copyOf(rig.page.grid.baseWave.samples, rig.page.grid.baseWave.frames));
  }
  ASSERT_FALSE(drawn[0].empty());
  EXPECT_EQ(drawn[1], drawn[0]);
  const ui::WaveOverview& shown = rig.page.sampler.sampleView.overview;
  EXPECT_NEAR(shown.range(0, shown.size()).max, 0.708f, 1e-3f);
}

// The kick with random amounts on six steps, its hit and body a 1.5 s
// recording, played reversed.
void makeHeavy(EditorRig& rig) {
  ob::SampleAudio audio;
  audio.left.resize(66150);
  for (std::size_t i = 0; i < audio.left.size(); ++i)
    audio.left[i] =
        0.5f * std::sin(0.03f * static_cast<float>(i)) * std::exp(-static_cast<float>(i) / 20000.0f);
  ASSERT_EQ(rig.view().samplePool().replaceSlot(40, std::move(audio)), 40);
  ob::SampleSlotTable& table = rig.project().samples;
  std::snprintf(table.slots[40].name, sizeof table.slots[40].name, "long");
  table.count = std::max<std::uint8_t>(table.count, 41);
  ob::Pattern& part = rig.project().patterns[0];
  ob::Sound& kick = part.kit.sounds[part.tracks[0].soundIndex];
  for (const char* half : {"exc1_", "res_"}) {
    kick.params[drumParam((std::string(half) + "type").c_str())] = 4.0f;
    kick.params[drumParam((std::string(half) + "aux1").c_str())] = 40.0f / 63.0f;
  }
  kick.params[drumParam("voice_rev")] = 1.0f;
  for (int k = 0; k < 16; k += 3) {
    ob::Step& step = part.tracks[0].steps[k];
    step.active = 1;
    step.randCount = 1;
    step.rands[0] = {static_cast<std::uint8_t>(drumParam("res_tune")), 0.3f};
  }
  rig.view().publishSamples();
  rig.view().setSelectedTrack(0);
  rig.view().refresh();
}

// Through the root view's frames with one piece of render a frame: the
// pictures take many frames, and end as those of one frame that renders
// them all.
TEST(PreviewFrames, OnePieceAFrameEndsOnThePicturesOfOneGo) {
  EditorRig spread, once;
  makeHeavy(spread);
  makeHeavy(once);
  spread.view().setRenderShare(0.0);
  EXPECT_GT(spread.framesUntilRendered(), 50);
  EXPECT_FALSE(spread.view().rendersPending());
  once.frames(1);
  EXPECT_FALSE(once.view().rendersPending());
  EXPECT_EQ(pictures(spread.view().benchPage()), pictures(once.view().benchPage()));
  EXPECT_GT(spread.view().benchPage().anatomy.sumFrames, 8820);  // the reversed whole, as rendered
}

}  // namespace bench_previews_test
}  // namespace orbi::test
