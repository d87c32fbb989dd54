// The bench page's handlers as wire() installs them: gestures on the real
// root view reach the editor copy, the engine and the sound; with no track
// selected they do nothing; with an active step selected they lock the
// step. Then the controller's own rules, on the page over the fake root view.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tests/editor/bench_rig.h"
#include "tests/editor/editor_rig.h"

namespace orbi::test {
namespace bench_wiring_test {

using ob::chainstage::Stage;

struct Gesture {
  std::string name;
  std::function<void(BenchPage&)> fire;
};

// Gestures that shape the selected track's sound.
std::vector<Gesture> soundGestures() {
  const int tone = drumParam("res_tone");
  std::vector<Gesture> g = {
      {"hit browser", [=](BenchPage& p) { p.anatomy.hitBrowser.onChange(drumParam("exc1_tone"), 0.25f); }},
      {"body graph", [=](BenchPage& p) { p.anatomy.bodyGraph.value(tone, 0.75f); }},
      {"second hit", [](BenchPage& p) { p.anatomy.onSecondHit(); }},
      {"bleed", [](BenchPage& p) { p.anatomy.onBleed(0.4f); }},
      {"body level", [](BenchPage& p) { p.anatomy.onBodyLevel(0.3f); }},
      {"reverse", [](BenchPage& p) { p.anatomy.onReverse(true); }},
      {"socket drive", [](BenchPage& p) { p.anatomy.socket.onDrive(0.7f); }},
      {"drawer level", [](BenchPage& p) { p.drawer.onChange(drumParam("level"), 0.5f); }},
      {"room size", [](BenchPage& p) { p.chain.room.onSize(0.4f); }},
      {"transient strike", [](BenchPage& p) { p.chain.transient.onStrike(0.5f); }},
      {"amp decay", [](BenchPage& p) { p.chain.amp.onDecay(0.3f); }},
      {"drive", [](BenchPage& p) { p.chain.drive.onDrive(3.0f); }},
      {"filter cutoff", [](BenchPage& p) { p.chain.filter.onCutoff(0, 900.0f); }},
      {"sample view", [=](BenchPage& p) { p.sampler.sampleView.onChange(tone, 0.1f); }},
      {"tone lane", [=](BenchPage& p) { p.sampler.tone.onChange(tone, 0.2f); }},
  };
  return g;
}

// Gestures on the track, its steps and its modulation.
std::vector<Gesture> trackGestures() {
  const int tone = drumParam("res_tone");
  return {
      {"mute", [](BenchPage& p) { p.toggleMute(1); }},
      {"solo", [](BenchPage& p) { p.soloTrack(1); }},
      {"rate pill", [](BenchPage& p) { p.cycleRate(); }},
      {"step", [](BenchPage& p) { p.toggleStep(3); }},
      {"micro timing", [](BenchPage& p) { p.grid.onMicro(5, 0.5f); }},
      {"loop length", [](BenchPage& p) { p.grid.onLoopLength(8); }},
      {"repeats", [](BenchPage& p) { p.grid.onRetrigCount(4, 3); }},
      {"repeat ramp", [](BenchPage& p) { p.grid.onRetrigRamp(4, -20); }},
      {"lfo reach", [=](BenchPage& p) { p.anatomy.bodyGraph.lfoReach(tone, 0.5f); }},
      {"breathe", [=](BenchPage& p) { p.anatomy.bodyGraph.breathe(tone, 0.3f); }},
      {"velocity route", [=](BenchPage& p) { p.velocity.onRoute(tone, 0.5f); }},
      {"velocity layers", [](BenchPage& p) { p.velocity.onLayers(2, 1); }},
      {"add amp stage", [](BenchPage& p) { p.chain.onAddStage(Stage::AMP); }},
  };
}

std::vector<Gesture> allGestures() {
  std::vector<Gesture> all = soundGestures();
  for (Gesture& g : trackGestures()) all.push_back(std::move(g));
  return all;
}

// A plug-in with its engine prepared and its editor open, the kick
// selected, and the step when one is given.
std::unique_ptr<EditorRig> kickSelected(int step = -1) {
  auto rig = std::make_unique<EditorRig>();
  rig->activate();
  rig->frames(1);
  rig->view().setSelectedTrack(0);
  rig->view().setSelectedStep(step);
  rig->view().bench().rebuild();
  return rig;
}

// The energy of the first bar the engine plays after the gestures.
double barEnergy(const std::vector<std::function<void(BenchPage&)>>& gestures) {
  const std::unique_ptr<EditorRig> rig = kickSelected();
  for (const auto& gesture : gestures) gesture(rig->view().benchPage());
  ob::RenderInfo playing;
  playing.playing = playing.clockRunning = playing.internalPlay = 1;
  std::vector<float> left(512), right(512);
  double energy = 0.0;
  const int blocks = static_cast<int>(48000.0 * 240.0 / rig->project().patterns[0].bpm / 512.0);
  for (int b = 0; b < blocks; ++b) {
    rig->engineHost().engine.process(left.data(), right.data(), 512, playing);
    for (std::size_t i = 0; i < left.size(); ++i) energy += left[i] * left[i] + right[i] * right[i];
  }
  return energy;
}

TEST(ThroughTheView, EveryGestureChangesTheProjectAndTheEngineFollows) {
  for (const Gesture& gesture : allGestures()) {
    SCOPED_TRACE(gesture.name);
    const std::unique_ptr<EditorRig> rig = kickSelected();
    const ob::Project before = rig->project();
    gesture.fire(rig->view().benchPage());
    EXPECT_FALSE(sameBytes(rig->project(), before));
    rig->audioBlock();
    EXPECT_TRUE(sameBytes(rig->engineHost().engine.project(), rig->project()));
  }
}

TEST(ThroughTheView, WithNoTrackSelectedNoGestureChangesAnything) {
  const std::unique_ptr<EditorRig> rig = kickSelected();
  for (const int invalid : {-1, static_cast<int>(rig->project().patterns[0].numTracks), 8}) {
    for (const Gesture& gesture : allGestures()) {
      SCOPED_TRACE(testing::Message() << gesture.name << " track " << invalid);
      if (gesture.name == "mute" || gesture.name == "solo") continue;  // they name their track
      rig->view().setSelectedTrack(invalid);
      const ob::Project before = rig->project();
      gesture.fire(rig->view().benchPage());
      EXPECT_TRUE(sameBytes(rig->project(), before));
    }
  }
}

TEST(ThroughTheView, WithAnActiveStepSelectedASoundGestureLocksTheStepAndLeavesTheSound) {
  for (const Gesture& gesture : soundGestures()) {
    SCOPED_TRACE(gesture.name);
    const std::unique_ptr<EditorRig> rig = kickSelected(0);
    ob::Pattern& part = rig->project().patterns[0];
    ASSERT_TRUE(part.tracks[0].steps[0].active);  // the kick plays step 1
    const ob::Sound sound = part.kit.sounds[part.tracks[0].soundIndex];
    const int locks = part.tracks[0].steps[0].lockCount;
    gesture.fire(rig->view().benchPage());
    EXPECT_EQ(std::memcmp(&sound, &part.kit.sounds[part.tracks[0].soundIndex], sizeof sound), 0);
    EXPECT_GT(part.tracks[0].steps[0].lockCount, locks);
  }
}

TEST(ThroughTheView, TheEditsAreHeard) {
  // The kick alone, through the tracks strip.
  const auto solo = [](BenchPage& p) { p.soloTrack(0); };
  const double kick = barEnergy({solo});
  ASSERT_GT(kick, 0.0);
  EXPECT_LT(kick, barEnergy({}));
  // Its level turned down in the drawer leaves less of it, and muted in the
  // strip nothing plays.
  const double quiet = barEnergy({solo, [](BenchPage& p) { p.drawer.onChange(drumParam("level"), 0.2f); }});
  EXPECT_GT(quiet, 0.0);
  EXPECT_LT(quiet, kick * 0.25);
  EXPECT_EQ(barEnergy({solo, [](BenchPage& p) { p.toggleMute(0); }}), 0.0);
}

class Wiring : public testing::Test {
 protected:
  BenchRig rig;
};

TEST_F(Wiring, AnInactiveSelectedStepEditsTheSound) {
  rig.context.step = 1;
  ASSERT_FALSE(rig.pattern().tracks[0].steps[1].active);
  rig.page.anatomy.onBleed(0.25f);
  ASSERT_EQ(rig.context.commands.size(), 1u);
  EXPECT_EQ(rig.context.commands[0].kind, ob::kEditSoundParam);
  EXPECT_FLOAT_EQ(rig.soundOf(0).params[drumParam("bleed")], 0.25f);
}

TEST_F(Wiring, SoloOnTheOnlyUnmutedTrackReleasesTheSolo) {
  rig.page.soloTrack(3);
  EXPECT_EQ(rig.pattern().muteMask, 0b110111);
  rig.page.soloTrack(3);
  EXPECT_EQ(rig.pattern().muteMask, 0);
  rig.page.soloTrack(6);  // no such track
  EXPECT_EQ(rig.context.commands.size(), 2u);
}

TEST_F(Wiring, TheRatePillCyclesFromFiveBackToZero) {
  rig.pattern().tracks[0].rate = 5;
  rig.page.cycleRate();
  EXPECT_EQ(rig.pattern().tracks[0].rate, 0);
  EXPECT_EQ(rig.page.rateLabel, "1/8");
}

TEST_F(Wiring, TheRatePillShowsEveryRateOnceBeforeItComesBack) {
  rig.pattern().tracks[0].rate = 0;
  rig.bench.rebuild();
  std::set<std::string> shown;
  for (int i = 0; i < ob::kTrackRateCount; ++i) {
    shown.insert(rig.page.rateLabel);
    rig.page.cycleRate();
  }
  EXPECT_EQ(rig.pattern().tracks[0].rate, 0);
  EXPECT_EQ(shown.size(), static_cast<std::size_t>(ob::kTrackRateCount));
}

TEST_F(Wiring, RetrigRateStepsThroughTheEightCodesAndWraps) {
  struct Case {
    int stored;
    bool up;
    int sent;
  };
  for (Case c : {Case{24, true, 16}, Case{24, false, 32}, Case{96, false, 6}, Case{6, true, 96},
                 Case{20, true, 16}, Case{0, true, 16}, Case{0, false, 32}}) {
    SCOPED_TRACE(testing::Message() << c.stored << (c.up ? " up" : " down"));
    rig.reset();
    rig.pattern().tracks[0].steps[2].rateTicks = static_cast<std::uint16_t>(c.stored);
    rig.page.grid.onRetrigRate(2, c.up);
    ASSERT_EQ(rig.context.commands.size(), 1u);
    EXPECT_FLOAT_EQ(rig.context.commands[0].value, static_cast<float>(c.sent));
  }
  rig.reset();
  rig.page.grid.onRetrigRate(16, true);
  EXPECT_TRUE(rig.context.commands.empty());
}

TEST_F(Wiring, RepeatsOnAStepWithARateKeepItsRate) {
  rig.pattern().tracks[0].steps[2].rateTicks = 12;
  rig.page.grid.onRetrigCount(2, 4);
  ASSERT_EQ(rig.context.commands.size(), 1u);
  EXPECT_EQ(rig.pattern().tracks[0].steps[2].rateTicks, 12);
  rig.reset();
  rig.page.grid.onRetrigCount(2, 1);  // no repeats yet: the rate stays unset
  EXPECT_EQ(rig.context.commands.size(), 1u);
  EXPECT_EQ(rig.pattern().tracks[0].steps[2].rateTicks, 0);
}

TEST_F(Wiring, MicroTimingOfAFullCellClampsTo63) {
  rig.page.grid.onMicro(0, 1.0f);
  EXPECT_FLOAT_EQ(rig.context.commands.at(0).value, 64.0f);
  EXPECT_EQ(rig.pattern().tracks[0].steps[0].micro, 63);
}

TEST_F(Wiring, TheSecondHitButtonSendsTheSameValuesEachTime) {
  for (int press = 0; press < 2; ++press) rig.page.anatomy.onSecondHit();
  ASSERT_EQ(rig.context.commands.size(), 4u);
  for (int i = 0; i < 4; i += 2) {
    EXPECT_FLOAT_EQ(rig.context.commands[i].value, 1.0f);
    EXPECT_FLOAT_EQ(rig.context.commands[i + 1].value, 0.6f);
  }
}

TEST_F(Wiring, AHandlerFiredAfterTheSelectionChangedActsOnTheNewSelection) {
  rig.context.track = 2;
  rig.page.anatomy.onBleed(0.1f);
  EXPECT_EQ(rig.context.commands.at(0).track, 2u);
  EXPECT_FLOAT_EQ(rig.soundOf(2).params[drumParam("bleed")], 0.1f);
}

TEST_F(Wiring, TheLiveGetterReadsTheEngineForTheTrackSelectedWhenMade) {
  const std::function<float(int)> live = rig.bench.tickLive();
  ASSERT_TRUE(static_cast<bool>(live));
  const int tone = drumParam("exc1_tone");
  EXPECT_FLOAT_EQ(live(tone), rig.context.host().engine.modulatedParam(0, static_cast<std::uint32_t>(tone)));
  for (int invalid : {-1, 8}) {
    rig.context.track = invalid;
    EXPECT_FALSE(static_cast<bool>(rig.bench.tickLive()));
  }
}

}  // namespace bench_wiring_test
}  // namespace orbi::test
