// Copy, paste and clear on the selection, through the editing shortcuts
// and the actions themselves.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor_rig.h"
#include "engine/model/edit_command.h"
#include "engine/params/param_info.h"
#include "engine/params/param_tables.h"
#include "ui/keys.h"

namespace orbi::test {
namespace clipboard_test {

ob::Step markedStep(std::uint8_t note, std::uint8_t velocity) {
  ob::Step s;
  s.active = 1;
  s.note = note;
  s.velocity = velocity;
  s.lockCount = 1;
  s.locks[0].param = 3;
  s.locks[0].value = 0.5f;
  return s;
}

bool sameStep(const ob::Step& a, const ob::Step& b) {
  return a.active == b.active && a.note == b.note && a.velocity == b.velocity && a.lockCount == b.lockCount &&
         (a.lockCount == 0 || (a.locks[0].param == b.locks[0].param && a.locks[0].value == b.locks[0].value));
}

class Clipboard : public ::testing::Test {
 protected:
  void SetUp() override {
    rig.frames(1);
    ASSERT_GE(part().numTracks, 2);
  }
  ob::Pattern& part() { return rig.project().patterns[0]; }
  // Copies the step (or, at -1, the track) and pastes it onto the other track.
  void copyOnto(int from, int to, int step) {
    for (const int track : {from, to}) {
      rig.view().setSelectedTrack(track);
      rig.view().setSelectedStep(step);
      if (track == from) rig.view().editActions().copy();
    }
    rig.view().editActions().paste();
  }
  void press(ui::KeyChord chord) {
    rig.harness.pressChord(chord);
    rig.frames(1);
    rig.harness.releaseKeys();
    rig.frames(1);
  }

  EditorRig rig;
};

TEST_F(Clipboard, CopyClearPasteOfAStepThroughTheShortcuts) {
  part().tracks[1].steps[4] = markedStep(64, 90);
  const ob::Step original = part().tracks[1].steps[4];
  rig.view().setSelectedTrack(1);
  rig.view().setSelectedStep(4);
  press({ui::Key::C, ui::kModCtrl});
  EXPECT_TRUE(rig.view().undoHistory().empty());
  press({ui::Key::Delete, ui::kModNone});
  EXPECT_TRUE(sameStep(part().tracks[1].steps[4], ob::Step{}));
  const ob::Project cleared = rig.project();
  press({ui::Key::V, ui::kModCtrl});
  EXPECT_TRUE(sameStep(part().tracks[1].steps[4], original));
  EXPECT_EQ(rig.view().undoHistory().size(), 2u);
  rig.view().undo();
  EXPECT_TRUE(sameBytes(rig.project(), cleared));
}

TEST_F(Clipboard, APastedStepNeedsASelectedStep) {
  part().tracks[0].steps[2] = markedStep(70, 80);
  rig.view().setSelectedStep(2);
  rig.view().editActions().copy();
  rig.view().setSelectedStep(-1);
  const ob::Project before = rig.project();
  rig.view().editActions().paste();
  EXPECT_TRUE(sameBytes(rig.project(), before));
  EXPECT_TRUE(rig.view().undoHistory().empty());
}

TEST_F(Clipboard, ATrackPastesItsStepsOnly) {
  for (int s = 0; s < ob::kStepsPerTrack; s += 3) part().tracks[0].steps[s] = markedStep(60 + s, 100);
  part().tracks[1].length = 7;
  const std::int8_t sound = part().tracks[1].soundIndex;
  rig.view().setSelectedTrack(0);
  rig.view().editActions().copy();
  EXPECT_EQ(rig.view().clipboard().kind, ClipboardKind::Track);
  rig.view().setSelectedTrack(1);
  rig.view().setSelectedStep(9);  // a copied track lands whatever step is selected
  rig.view().editActions().paste();
  for (int s = 0; s < ob::kStepsPerTrack; ++s)
    EXPECT_TRUE(sameStep(part().tracks[1].steps[s], part().tracks[0].steps[s])) << s;
  EXPECT_EQ(part().tracks[1].length, 7);
  EXPECT_EQ(part().tracks[1].soundIndex, sound);
  EXPECT_EQ(rig.view().undoHistory().size(), 1u);
}

TEST_F(Clipboard, DeleteClearsTheStepOrTheWholeTrack) {
  for (int s = 0; s < ob::kStepsPerTrack; ++s) part().tracks[1].steps[s] = markedStep(61, 99);
  rig.view().setSelectedTrack(1);
  rig.view().setSelectedStep(3);
  rig.view().editActions().clear();
  for (int s = 0; s < ob::kStepsPerTrack; ++s)
    EXPECT_EQ(sameStep(part().tracks[1].steps[s], ob::Step{}), s == 3) << s;
  rig.view().setSelectedStep(-1);
  rig.view().editActions().clear();
  for (int s = 0; s < ob::kStepsPerTrack; ++s) EXPECT_TRUE(sameStep(part().tracks[1].steps[s], ob::Step{}));
  EXPECT_EQ(rig.view().undoHistory().size(), 2u);
}

TEST_F(Clipboard, EachChangeReachesTheEngineWithThePositionKept) {
  rig.activate();
  part().tracks[0].steps[5] = markedStep(66, 88);
  rig.view().commitProject(true);
  // The transport plays into the bar; a block is far shorter than a step,
  // so a kept position is at the same step or the next after one block.
  ob::RenderInfo playing;
  playing.playing = playing.clockRunning = playing.internalPlay = 1;
  std::vector<float> left(512), right(512);
  ob::Engine& engine = rig.engineHost().engine;
  const auto block = [&] { engine.process(left.data(), right.data(), 512, playing); };
  for (int i = 0; i < 300 && engine.playheadStep() < 3; ++i) block();
  rig.view().setSelectedStep(5);
  rig.view().editActions().copy();
  rig.view().setSelectedStep(6);
  for (const char* action : {"paste", "clear"}) {
    SCOPED_TRACE(action);
    const std::int32_t step = engine.playheadStep();
    ASSERT_GE(step, 3);
    if (action == std::string("paste"))
      rig.view().editActions().paste();
    else
      rig.view().editActions().clear();
    block();
    EXPECT_TRUE(sameBytes(engine.project(), rig.project()));
    EXPECT_GE(engine.playheadStep(), step);
    EXPECT_LE(engine.playheadStep(), step + 1);
  }
}

TEST_F(Clipboard, ASelectionOutsideThePartIsNone) {
  rig.view().setSelectedStep(1);
  rig.view().editActions().copy();
  const ob::Project before = rig.project();
  struct Pick {
    int track, step;
  };
  for (const Pick pick : {Pick{part().numTracks, 1}, Pick{8, 1}, Pick{-1, 1}, Pick{0, 16}, Pick{0, -2}}) {
    SCOPED_TRACE(testing::Message() << pick.track << "," << pick.step);
    rig.view().setSelectedTrack(pick.track);
    rig.view().setSelectedStep(pick.step);
    rig.view().editActions().paste();
    rig.view().editActions().clearStep();
    if (pick.track != 0) rig.view().editActions().clearTrack();
    EXPECT_TRUE(sameBytes(rig.project(), before));
    EXPECT_TRUE(rig.view().undoHistory().empty());
  }
  // A step outside the track copies the track.
  rig.view().setSelectedTrack(0);
  rig.view().setSelectedStep(40);
  rig.view().editActions().copy();
  EXPECT_EQ(rig.view().clipboard().kind, ClipboardKind::Track);
}

// Locks hold parameter indices of the copied track's machine: on a track
// of another machine they name the same parameters, or go.
TEST_F(Clipboard, PastedLocksKeepTheirParametersOnAnotherMachine) {
  ob::Sound& sampler = part().kit.sounds[part().tracks[1].soundIndex];
  ASSERT_NE(part().tracks[1].soundIndex, part().tracks[0].soundIndex);
  ob::initSoundParams(sampler, ob::kMachineSample);
  const int drum = part().kit.sounds[part().tracks[0].soundIndex].machine;
  ASSERT_EQ(drum, ob::kMachineDrum);
  ob::Step marked = markedStep(60, 100);
  marked.lockCount = 0;
  ob::setStepLock(marked, ob::findParamIndex(drum, "res_tune"), 80.0f);
  ob::setStepLock(marked, ob::findParamIndex(drum, "flt_cutoff"), 1200.0f);
  ob::setParamListEntry(marked.rands, marked.randCount, ob::findParamIndex(drum, "level"), 0.2f);
  part().tracks[0].steps[5] = marked;
  for (const int selectedStep : {5, -1}) {
    SCOPED_TRACE(selectedStep < 0 ? "the track" : "a step");
    part().tracks[1].steps[5] = ob::Step{};
    copyOnto(0, 1, selectedStep);
    const ob::Step& pasted = part().tracks[1].steps[5];
    EXPECT_EQ(pasted.active, 1);
    ASSERT_EQ(pasted.lockCount, 1);
    EXPECT_EQ(pasted.locks[0].param, ob::findParamIndex(ob::kMachineSample, "flt_cutoff"));
    EXPECT_EQ(pasted.locks[0].value, 1200.0f);
    ASSERT_EQ(pasted.randCount, 1);
    EXPECT_EQ(pasted.rands[0].param, ob::findParamIndex(ob::kMachineSample, "level"));
    // What went is said, and undo takes the paste back.
    const std::string& said = rig.view().statusText() + "\n" + rig.view().statusWhole();
    EXPECT_NE(said.find("The paste onto"), std::string::npos) << said;
    EXPECT_NE(said.find("step 6 lock of Body Pitch"), std::string::npos) << said;
    rig.view().undo();
    EXPECT_TRUE(part().tracks[1].steps[5] == ob::Step{});
  }
  // A sampler's hit onto a synthesiser: its tune in semitones is no pitch
  // in hertz, and its decay is held to the synthesiser's shorter one.
  ob::initSoundParams(part().kit.sounds[part().tracks[0].soundIndex], ob::kMachineVa);
  ob::Step& hit = part().tracks[1].steps[2] = ob::Step{};
  hit.active = 1;
  ob::setStepLock(hit, ob::findParamIndex(ob::kMachineSample, "tune"), -12.0f);
  ob::setStepLock(hit, ob::findParamIndex(ob::kMachineSample, "decay"), 6.0f);
  for (const int selectedStep : {2, -1}) {
    SCOPED_TRACE(selectedStep < 0 ? "the track" : "a step");
    copyOnto(1, 0, selectedStep);
    EXPECT_TRUE(
        part().tracks[0].steps[2].locks[0] ==
        (ob::ParamLock{static_cast<std::uint8_t>(ob::findParamIndex(ob::kMachineVa, "decay")), 4.0f}));
    EXPECT_EQ(part().tracks[0].steps[2].lockCount, 1);
    const std::string said =
        rig.view().statusWhole().empty() ? rig.view().statusText() : rig.view().statusWhole();
    EXPECT_TRUE(said.starts_with(
        selectedStep < 0 ? "" : "The paste onto Kick lost 1 and changed 1: step 3 lock of Tune"));
    EXPECT_TRUE(said.ends_with(
        " and step 3 lock of Decay held to 4.0 s, which its machine lacks; undo brings them back"))
        << said;
    rig.view().undo();
  }
}

}  // namespace clipboard_test
}  // namespace orbi::test
