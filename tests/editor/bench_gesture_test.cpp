// Gestures on the bench page as the editor's frames draw it in an open
// editor: each reaches the editor copy through the controller and the
// root view.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string_view>
#include <vector>

#include "editor/widgets/graph/graph_layout.h"
#include "editor_rig.h"
#include "engine/params/param_tables.h"
#include "ui/context.h"
#include "ui/keys.h"

namespace orbi::test {
namespace bench_gesture_test {

constexpr double kRate = 44100.0;

int drumParam(const char* key) { return ob::findParamIndex(ob::kMachineDrum, key); }

// Where the kick starts sounding when the project plays alone with only
// its step k and a short body, straight: sample positions of each burst.
std::vector<int> kickOnsets(ob::Engine& engine, ob::Project project, int k) {
  ob::Pattern& p = project.patterns[0];
  p.swing = 50.0f;
  for (int t = 0; t < ob::kMaxTracks; ++t)
    for (int i = 0; i < ob::kStepsPerTrack; ++i)
      if (t != 0 || i != k) p.tracks[t].steps[i].active = 0;
  ob::Sound& kick = p.kit.sounds[p.tracks[0].soundIndex];
  kick.params[drumParam("res_decay")] = 0.01f;
  engine.prepare(kRate, 512);
  engine.loadProject(project);
  ob::RenderInfo info;
  info.playing = info.clockRunning = info.internalPlay = 1;
  std::vector<float> left(512), right(512);
  std::vector<int> onsets;
  int quiet = 1 << 20;
  for (int block = 0; block < static_cast<int>(2.5 * kRate / 512); ++block) {
    std::fill(left.begin(), left.end(), 0.0f);
    std::fill(right.begin(), right.end(), 0.0f);
    engine.process(left.data(), right.data(), 512, info);
    for (int i = 0; i < 512; ++i) {
      const float a = std::fabs(left[static_cast<std::size_t>(i)]);
      if (a > 0.02f && quiet > static_cast<int>(0.02 * kRate)) onsets.push_back(block * 512 + i);
      quiet = a < 0.002f ? quiet + 1 : 0;
    }
  }
  return onsets;
}

ImVec2 centreOf(const ui::Rect& r) { return ImVec2(r.x + r.width / 2.0f, r.y + r.height / 2.0f); }

class Gestures : public testing::Test {
 protected:
  Gestures() {
    // The kick's fifth step starts empty.
    pattern().tracks[0].steps[4] = ob::Step{};
    steps(3);
  }
  ob::Pattern& pattern() { return rig.project().patterns[0]; }
  EditorView& view() { return rig.view(); }
  BenchPage& page() { return rig.view().benchPage(); }
  int selectedStep() { return view().selectedStep(); }

  void step() { rig.frames(1); }
  void steps(int n) { rig.frames(n); }
  void moveTo(ImVec2 p) {
    harness().movePointer(p);
    step();
  }
  void button(bool down, ImGuiMouseButton b = ImGuiMouseButton_Left) {
    harness().setButton(b, down);
    step();
  }
  void clickAt(ImVec2 p, ImGuiMouseButton b = ImGuiMouseButton_Left) {
    moveTo(p);
    button(true, b);
    button(false, b);
  }
  // Waits out the double-click time, then presses, moves in four frames and
  // releases.
  void dragFromTo(ImVec2 from, ImVec2 to) {
    steps(30);
    moveTo(from);
    button(true);
    for (int i = 1; i <= 4; ++i)
      moveTo(ImVec2(from.x + (to.x - from.x) * i / 4.0f, from.y + (to.y - from.y) * i / 4.0f));
    button(false);
  }
  ui::Rect cell(int i) {
    ui::ContextScope scope(harness().ui());
    return page().grid.geometry(page().rects.hitsGrid).cell(i);
  }
  ui::Rect row(int i) {
    ui::ContextScope scope(harness().ui());
    return page().rowRect(i);
  }
  const ob::Step& kickStep(int k) { return pattern().tracks[0].steps[k]; }
  ui::UiHarness& harness() { return rig.harness; }

  EditorRig rig;
};

TEST_F(Gestures, APressOnAnEmptyCellCreatesTheHitAndSelectsIt) {
  clickAt(centreOf(cell(4)));
  EXPECT_TRUE(kickStep(4).active);
  EXPECT_EQ(selectedStep(), 4);
  EXPECT_EQ(page().hitsTitle, "Kick / hit 5");
  // A click on the selected hit returns to the base sound.
  steps(30);
  clickAt(centreOf(cell(4)));
  EXPECT_EQ(selectedStep(), -1);
  EXPECT_EQ(page().hitsTitle, "Kick / base");
  EXPECT_TRUE(kickStep(4).active);
  // A right-click removes it.
  steps(30);
  clickAt(centreOf(cell(4)), ImGuiMouseButton_Right);
  EXPECT_FALSE(kickStep(4).active);
  EXPECT_EQ(page().grid.cells[4].active(), false);
}

TEST_F(Gestures, AHorizontalDragSetsMicroTiming) {
  const ui::Rect c = cell(0);
  dragFromTo(centreOf(c), ImVec2(centreOf(c).x + c.width * 0.5f, centreOf(c).y));
  EXPECT_NEAR(kickStep(0).micro, 32, 1);
  dragFromTo(centreOf(c), ImVec2(centreOf(c).x + c.width * 3.0f, centreOf(c).y));
  EXPECT_EQ(kickStep(0).micro, 63);  // a whole cell sends 64
  EXPECT_EQ(selectedStep(), -1);     // a drag selects nothing
}

TEST_F(Gestures, AnAltDragToFourRepeatsOnAFreshStepAlsoStoresTheDrawnRate) {
  ASSERT_EQ(kickStep(8).count, 0);
  ASSERT_EQ(kickStep(8).rateTicks, 0);
  const ui::Rect c = cell(8);
  harness().setMods(ui::kModAlt);
  dragFromTo(centreOf(c), ImVec2(centreOf(c).x + 45.0f, centreOf(c).y));
  harness().setMods(ui::kModNone);
  EXPECT_EQ(kickStep(8).count, 4);
  EXPECT_EQ(kickStep(8).rateTicks, 24);
  EXPECT_EQ(page().grid.cells[8].retrigCount, 4);
  EXPECT_EQ(page().grid.cells[8].retrigTicks, 24);
  // Played, the four repeats come a step apart, not all at once.
  const std::unique_ptr<EngineHost> player = EngineHost::create();
  ASSERT_NE(player, nullptr);
  const std::vector<int> onsets = kickOnsets(player->engine, rig.project(), 8);
  ASSERT_EQ(onsets.size(), 4u);
  const double stepFrames = 60.0 / pattern().bpm / 4.0 * kRate;
  for (std::size_t i = 1; i < onsets.size(); ++i)
    EXPECT_NEAR(onsets[i] - onsets[i - 1], stepFrames, 0.05 * stepFrames) << i;
  // A document's step without a rate plays them where the grid draws them.
  ob::Project unset = rig.project();
  unset.patterns[0].tracks[0].steps[8].rateTicks = 0;
  EXPECT_EQ(kickOnsets(player->engine, unset, 8), onsets);
}

TEST_F(Gestures, AltClickMutesAndADoubleClickSolosAndSolosBack) {
  harness().setMods(ui::kModAlt);
  clickAt(centreOf(row(2)));
  harness().setMods(ui::kModNone);
  EXPECT_EQ(pattern().muteMask, 0b100);
  EXPECT_TRUE(page().rows[2].muted);
  steps(30);
  clickAt(centreOf(row(1)));
  clickAt(centreOf(row(1)));
  EXPECT_EQ(view().selectedTrack(), 1);
  EXPECT_EQ(pattern().muteMask, 0b111101);
  steps(30);
  clickAt(centreOf(row(1)));
  clickAt(centreOf(row(1)));
  EXPECT_EQ(pattern().muteMask, 0);
  EXPECT_TRUE(view().undoHistory().empty());
}

TEST_F(Gestures, TheRatePillCyclesFiveToZero) {
  pattern().tracks[0].rate = 5;
  view().bench().rebuild();
  step();
  clickAt(centreOf(page().rects.ratePill));
  EXPECT_EQ(pattern().tracks[0].rate, 0);
  EXPECT_EQ(page().rateLabel, "1/8");
}

TEST_F(Gestures, AddTrackOpensItsPopupOnTheNextFrameAndAChoiceAddsTheTrack) {
  EXPECT_EQ(harness().drawLog().findItem("Drum"), nullptr);
  clickAt(centreOf(page().rects.addRow));
  // The click's frame asks for the popup; the track popups that follow the
  // page open it; it lays itself out hidden once, then shows.
  EXPECT_EQ(view().bench().addPopupPending, 0);
  steps(2);
  const ui::ItemRecord* drum = harness().drawLog().findItem("Drum");
  ASSERT_NE(drum, nullptr);
  clickAt(centreOf(drum->hitArea));
  ASSERT_EQ(pattern().numTracks, 7);
  EXPECT_EQ(view().selectedTrack(), 6);
  EXPECT_EQ(pattern().kit.sounds[pattern().tracks[6].soundIndex].machine, ob::kMachineDrum);
  EXPECT_EQ(page().rows.size(), 7u);
  steps(2);
  EXPECT_EQ(harness().drawLog().findItem("Drum"), nullptr);  // the popup closed
}

TEST_F(Gestures, ARightClickOnATrackOpensItsMenuAndAChoiceRunsIt) {
  clickAt(centreOf(row(3)), ImGuiMouseButton_Right);
  EXPECT_EQ(view().bench().trackMenuTrack, 3);
  steps(3);
  // The choke submenu's items show only while it is open; the remove item is
  // at the top level.
  bool removed = false;
  for (const ui::ItemRecord& item : harness().drawLog().items())
    if (item.idText.find("Remove track") != std::string::npos) {
      clickAt(centreOf(item.hitArea));
      removed = true;
      break;
    }
  ASSERT_TRUE(removed);
  EXPECT_EQ(pattern().numTracks, 5);
}

// A value typed with a unit that scales the handle's own is read in it: the
// body decay, shown in seconds, takes "300 ms" as 0.3 s, and a handle in
// hertz takes "2k" as 2000 Hz.
TEST_F(Gestures, TypedUnitsScaleTheHandlesOwn) {
  struct Case {
    NodeGraph AnatomyView::*graph;
    const char* unit;
    const char* typed;
    float shown;  // in the handle's own unit
  };
  const Case cases[] = {
      {&AnatomyView::bodyGraph, "s", "300 ms", 0.3f},
      {&AnatomyView::hitGraph, "Hz", "2k", 2000.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    NodeGraph& graph = page().anatomy.*c.graph;
    const auto typable = [&] {
      return std::find_if(graph.nodes.begin(), graph.nodes.end(), [&](const graph::Node& n) {
        return n.label != nullptr && n.unit != nullptr && std::string(n.unit) == c.unit && n.id >= 0 &&
               n.displayLo <= c.shown && c.shown <= n.displayHi;
      });
    };
    // The first track whose drum has such a handle.
    for (int t = 0; t < pattern().numTracks && typable() == graph.nodes.end(); ++t) {
      steps(30);
      clickAt(centreOf(row(t)));
      steps(2);
    }
    steps(30);
    const auto node = typable();
    ASSERT_NE(node, graph.nodes.end()) << "a handle in " << c.unit;
    const int id = node->id;
    ImVec2 at;
    {
      ui::ContextScope scope(harness().ui());
      const std::optional<graph::Point> p = graph::nodePosition(graph.layout(), *node);
      ASSERT_TRUE(p);
      at = ImVec2(p->x, p->y);
    }
    clickAt(at, ImGuiMouseButton_Right);
    ASSERT_GE(graph.entry().openId(), 0);
    harness().typeText(c.typed);
    step();
    harness().setKey(ui::Key::Enter, true);
    step();
    harness().setKey(ui::Key::Enter, false);
    steps(2);
    // The handle, rebuilt from the project, shows what was typed.
    const auto edited = std::find_if(graph.nodes.begin(), graph.nodes.end(),
                                     [&](const graph::Node& n) { return n.id == id; });
    ASSERT_NE(edited, graph.nodes.end());
    EXPECT_NEAR(graph::nodeDisplayValue(*edited), c.shown, 1e-3f * c.shown);
  }
}

// What takes the selected hit away leaves the kick's base selected, and
// what brings it back selects it again: the title names what the next
// fader drag edits, a lock of the hit or the sound. The edits: z undo,
// y redo, c copy, v paste, d Delete, x a right-click on the hit.
TEST_F(Gestures, TheSelectionFollowsEveryEditThatRemovesOrRestoresItsHit) {
  using ui::Key, ui::kModCtrl;
  const Key keys[] = {Key::Z, Key::Z, Key::C, Key::V, Key::Delete, Key::None};
  const std::uint8_t mods[] = {kModCtrl,    kModCtrl | ui::kModShift, kModCtrl, kModCtrl, ui::kModNone,
                               ui::kModNone};
  const std::pair<std::string_view, bool> cases[] = {{"z", true},  {"zz", false}, {"zzy", true}, {"x", false},
                                                     {"xz", true}, {"dd", false}, {"cdv", true}};
  const ob::Project start = rig.project();
  const int level = drumParam("exc1_level");
  for (const auto& [edits, hit] : cases) {
    SCOPED_TRACE(edits);
    rig.project() = start;
    view().refresh();
    steps(30);
    clickAt(centreOf(cell(4)));
    page().drawer.onChange(level, 0.2f);  // as a fader's drag: a lock of the new hit
    for (const char edit : edits) {
      const std::size_t i = std::string_view("zycvdx").find(edit);
      if (edit == 'x') clickAt(centreOf(cell(4)), ImGuiMouseButton_Right);
      harness().pressChord({keys[i], mods[i]});
      step();
      harness().releaseKeys();
      steps(2);
    }
    EXPECT_EQ(page().hitsTitle, hit ? "Kick / hit 5" : "Kick / base");
    EXPECT_EQ(page().grid.selectedStep, hit ? 4 : -1);
    EXPECT_TRUE(kickStep(0).active);  // a second Delete clears no more than the first
    page().drawer.onChange(level, 0.9f);
    EXPECT_EQ(kickStep(4).lockCount == 1 && kickStep(4).locks[0].value == 0.9f, hit);
    EXPECT_EQ(pattern().kit.sounds[pattern().tracks[0].soundIndex].params[level] == 0.9f, !hit);
  }
}

}  // namespace bench_gesture_test
}  // namespace orbi::test
