// Every handle of every bench view can be taken and set. For each state of
// the bench (every factory kit with each track selected, every machine kind
// as the last of 1 to 8 tracks with and without its chain stages) at scale
// 1 and 1.5, and for each handle a widget drew: a press and release at its
// drawn centre takes that handle and changes nothing (no edit, no undo
// step, no audition); far drags both ways reach both ends of the
// parameter's range, and from either end a drag a little shorter than 100
// pixels (times the scale) moves the value without reaching the other end,
// however small the widget, and a drag that moves a value shows a number
// it did not show at the press (at scale 1, for every kit's track and for
// each new machine as the only track); with a macro of eight destinations
// selected, the same for the first track.
// Through the real root view, controller and widgets, in the headless
// harness.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "editor_rig.h"
#include "engine/params/param_tables.h"
#include "support/editor/bench_state_gallery.h"
#include "ui/context.h"
#include "ui/draw/draw_log.h"

namespace orbi::test {
namespace bench_handles_test {

constexpr float kFar = 3000.0f;     // a drag far past every edge and every sweep
constexpr float kEndSlack = 1e-3f;  // of a parameter's span
// Every drag sweeps its whole range over no less than 100 pixels times the
// scale, however small its widget: a drag a little shorter stops short.
constexpr float kShortOfSweep = 95.0f;

struct Handle {
  const void* owner = nullptr;
  std::string name;
  ImVec2 centre;
  bool horizontal = false;
  bool vertical = false;
};

class HandleSweep {
 public:
  explicit HandleSweep(float s) : rig_(s), scale_(s) {
    ui::ContextScope scope(rig_.harness.ui());
    ImGui::GetIO().MouseDoubleClickTime = 0.0f;  // presses here never pair into double-clicks
    rig_.frames(2);
  }

  // With reach false only the presses: the far drags test the mappings,
  // which neither the track count nor the scale changes; the room the page
  // gives the handles only the presses feel.
  void run(const BenchState& state, bool reach) {
    stageBenchState(rig_.view(), state);
    macroSelected_ = state.macroSelected;
    settle();
    baseline_ = std::make_unique<ob::Project>(rig_.project());
    std::vector<Handle> handles;
    for (const ui::HandleRecord& h : rig_.harness.drawLog().handles())
      handles.push_back({h.owner, h.name, h.centre, h.horizontal, h.vertical});
    ASSERT_FALSE(handles.empty());
    for (const Handle& h : handles) {
      SCOPED_TRACE("handle \"" + h.name + "\"");
      pressInPlace(h);
      if (reach && h.horizontal) dragBothWays(h, ImVec2(1.0f, 0.0f));
      if (reach && h.vertical) dragBothWays(h, ImVec2(0.0f, 1.0f));
      if (::testing::Test::HasFailure()) return;  // one handle's report is enough
    }
  }

 private:
  // The previews rendered, so the graphs' time axes are the ones drawn.
  void settle() {
    rig_.frames(1);
    rig_.view().bench().flushPreviews();
    rig_.frames(2);
  }

  // The state as staged, when a gesture left it: the project, and the
  // macro selection (a press on a macro's fader selects it, and the page
  // makes room for its list).
  void restore() {
    const int selected = macroSelected_ ? 0 : -1;
    if (sameBytes(rig_.project(), *baseline_) && rig_.view().macroPanel().selectedMacro == selected) return;
    rig_.project() = *baseline_;
    rig_.view().macroPanel().selectedMacro = selected;
    rig_.view().refresh();
    rig_.view().bench().flushPreviews();  // the time axes as the state draws them
    rig_.frames(2);
  }

  const ui::HandleRecord* find(const Handle& h) const {
    return rig_.harness.drawLog().findHandle(h.owner, h.name);
  }

  // The pointer to the point and the button down there, in one frame.
  void pressAt(ImVec2 p) {
    rig_.harness.movePointer(p);
    rig_.harness.setButton(ImGuiMouseButton_Left, true);
    rig_.frames(1);
  }
  void release() {
    rig_.harness.setButton(ImGuiMouseButton_Left, false);
    rig_.frames(1);
  }

  void pressInPlace(const Handle& h) {
    restore();
    const std::size_t undo = rig_.view().undoHistory().size();
    const std::uint32_t auditions = rig_.engineHost().preview.requestCount();
    const ui::HandleRecord* now = find(h);
    ASSERT_NE(now, nullptr) << "gone after a restore";
    pressAt(now->centre);
    rig_.frames(1);  // held still: this frame shows who holds it
    const ui::HandleRecord* held = find(h);
    EXPECT_TRUE(held && held->held) << "a press at its centre does not take it; under it:"
                                    << itemsAt(now->centre) << (held ? "" : " (no longer drawn)");
    release();
    EXPECT_TRUE(sameBytes(rig_.project(), *baseline_))
        << "a press and release changed the project" << describe();
    EXPECT_EQ(rig_.view().undoHistory().size(), undo) << "a press and release took an undo step";
    EXPECT_EQ(rig_.engineHost().preview.requestCount(), auditions) << "a press and release auditioned";
  }

  // What a far drag along the axis leaves: the selected sound's changed
  // parameters and whether anything changed at all.
  struct Outcome {
    bool changed = false;
    std::vector<std::pair<int, float>> params;
  };

  // The selected sound's parameters that differ from the state as staged.
  Outcome outcome() {
    Outcome out;
    out.changed = !sameBytes(rig_.project(), *baseline_);
    const ob::Sound& before = selectedSound(*baseline_);
    const ob::Sound& after = selectedSound(rig_.project());
    for (int p = 0; p < ob::kSoundParamSlots; ++p)
      if (after.params[p] != before.params[p]) out.params.emplace_back(p, after.params[p]);
    return out;
  }

  // The pointer moved from the press by the distance along the direction,
  // a frame; whether the handle is held (a handle dragged out of its
  // picture is not drawn, and counts as held).
  bool moveBy(const Handle& h, ImVec2 from, ImVec2 direction, float distance) {
    rig_.harness.movePointer(ImVec2(from.x + direction.x * distance, from.y + direction.y * distance));
    rig_.frames(1);
    const ui::HandleRecord* held = find(h);
    return held == nullptr || held->held;
  }

  // Far drags both ways reach the two ends of the range: one from the state
  // as staged to the back end, and one on from there to the front end.
  // Whatever end it was dragged to, the handle is drawn, a press at its
  // centre takes it (no control and no other handle lies over it), and a
  // drag of a little less than the least sweep takes it back without
  // reaching the other end. Only a chain stage leaves the page, at the end
  // where it is back to neutral, as the add-stage tile says; then the
  // drags start from the other end.
  void dragBothWays(const Handle& h, ImVec2 direction) {
    SCOPED_TRACE(direction.x != 0.0f ? "sideways" : "up and down");
    const ImVec2 toBack(-direction.x, -direction.y);
    Outcome back, forward;
    dragFromStaged(h, toBack, back);
    if (widgetShown(h)) {
      if (!takeBackFrom(h, "back", direction, &forward)) return;
      if (widgetShown(h) && !takeBackFrom(h, "front", toBack, nullptr)) return;
    } else {
      dragFromStaged(h, direction, forward);
      EXPECT_TRUE(widgetShown(h)) << "gone at both ends of its range";
      if (!takeBackFrom(h, "front", toBack, &back)) return;
    }
    EXPECT_TRUE(forward.changed || back.changed) << "neither way changes a value";
    const ob::Sound& sound = selectedSound(*baseline_);
    const auto reached = [&](const Outcome& o, int p) {
      for (const auto& [param, value] : o.params)
        if (param == p) return value;
      return sound.params[p];
    };
    std::vector<int> params;
    for (const Outcome* o : {&forward, &back})
      for (const auto& [p, v] : o->params)
        if (std::find(params.begin(), params.end(), p) == params.end()) params.push_back(p);
    for (const int p : params) {
      const ob::ParamInfo info = ob::paramInfo(sound.machine, p);
      SCOPED_TRACE(info.id);
      const float a = reached(forward, p), b = reached(back, p);
      const float slack = kEndSlack * (info.max - info.min);
      if (!boundedAbove(h)) {
        EXPECT_NEAR(std::max(a, b), info.max, slack) << "the top of the range is out of reach";
      }
      if (!boundedBelow(h)) {
        EXPECT_NEAR(std::min(a, b), info.min, slack) << "the bottom of the range is out of reach";
      }
    }
  }

  // From the state as staged, a press at the handle's centre and a far
  // drag along the direction; what it reached.
  void dragFromStaged(const Handle& h, ImVec2 direction, Outcome& reached) {
    restore();
    const ui::HandleRecord* now = find(h);
    ASSERT_NE(now, nullptr) << "gone after a restore";
    const ImVec2 from = now->centre;
    pressAt(from);
    EXPECT_TRUE(moveBy(h, from, direction, kFar * scale_))
        << "a drag from where it is drawn does not hold it";
    release();
    reached = outcome();
    lastCentre_ = from;
  }

  bool onGraph(const Handle& h) {
    const AnatomyView& a = rig_.view().benchPage().anatomy;
    return h.owner == &a.hitGraph || h.owner == &a.secondHitGraph || h.owner == &a.bodyGraph;
  }

  // Whether the widget that drew the handle draws any handle now.
  bool widgetShown(const Handle& h) const {
    const auto drawn = rig_.harness.drawLog().handles();
    return std::any_of(drawn.begin(), drawn.end(),
                       [&](const ui::HandleRecord& r) { return r.owner == h.owner; });
  }

  // At the end the handle was dragged to: drawn, taken by a press at its
  // centre and moved by a drag away a little shorter than the least sweep;
  // given `far`, the drag does not reach the other end, and a far drag on
  // leaves what it reached there.
  bool takeBackFrom(const Handle& h, const char* end, ImVec2 away, Outcome* far) {
    SCOPED_TRACE(std::string("dragged to its ") + end + " end");
    // A graph's time axis is its preview's length: rendered, as it is by
    // the time a user presses again.
    if (onGraph(h)) {
      rig_.view().bench().flushPreviews();
      rig_.frames(1);
    }
    const std::unique_ptr<ob::Project> atEnd = std::make_unique<ob::Project>(rig_.project());
    // A handle the widget no longer draws at this end (an open low-pass)
    // is taken where it was last drawn, and the drag must move it.
    const ui::HandleRecord* now = find(h);
    const bool drawn = now != nullptr;
    const ImVec2 from = drawn ? now->centre : lastCentre_;
    pressAt(from);
    const std::vector<std::string> atPress = texts();
    bool took = moveBy(h, from, away, kShortOfSweep * scale_);
    const std::unique_ptr<ob::Project> short_ = std::make_unique<ob::Project>(rig_.project());
    if (!drawn) took = !sameBytes(*short_, *atEnd);
    // A switch of two places shows where it is; the others their number.
    if (took && !sameBytes(*short_, *atEnd) && !onlySwitches(*atEnd, *short_)) expectNewNumber(atPress);
    if (const ui::HandleRecord* seen = find(h)) lastCentre_ = seen->centre;
    if (far) {
      moveBy(h, from, away, kFar * scale_);
      if (const ui::HandleRecord* seen = find(h)) lastCentre_ = seen->centre;
    }
    release();
    if (far) *far = outcome();
    EXPECT_TRUE(took) << "a press at its centre does not take it back; under it:" << itemsAt(from);
    if (!took) return false;
    EXPECT_FALSE(sameBytes(*short_, *atEnd))
        << "a drag of " << kShortOfSweep << " from an end changes nothing";
    if (far && !onlySwitches(*atEnd, *short_)) {
      EXPECT_FALSE(sameBytes(*short_, rig_.project()))
          << "a drag of " << kShortOfSweep << " sweeps the whole range" << describe(*atEnd, *short_);
    }
    return !::testing::Test::HasFailure();
  }

  // Whether the drag between the two projects changed the selected sound's
  // parameters and nothing but switches of two places, which a drag moves
  // to the nearer place: they have no range to sweep.
  bool onlySwitches(const ob::Project& from, const ob::Project& to) {
    const ob::Sound& a = selectedSound(from);
    const ob::Sound& b = selectedSound(to);
    bool any = false;
    for (int p = 0; p < ob::kSoundParamSlots; ++p) {
      if (a.params[p] == b.params[p]) continue;
      const ob::ParamInfo info = ob::paramInfo(a.machine, p);
      if (!(info.stepped && info.max - info.min <= 1.0f)) return false;
      any = true;
    }
    return any;
  }

  // The texts the last frame drew.
  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (const ui::DrawRecord* r : rig_.harness.drawLog().find(ui::DrawOp::Text)) out.push_back(r->text);
    return out;
  }

  // A drag shows the value it sets while it moves: the frame that moved
  // the value draws a number that the press's frame did not.
  void expectNewNumber(const std::vector<std::string>& before) const {
    for (const std::string& text : texts())
      if (std::any_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
          std::find(before.begin(), before.end(), text) == before.end())
        return;
    ADD_FAILURE() << "the drag moved the value and shows no new number";
  }

  // The sample window's edges keep a thousandth apart: each reaches only
  // as far as the other.
  static bool boundedAbove(const Handle& h) { return h.name == "start"; }
  static bool boundedBelow(const Handle& h) { return h.name == "end"; }

  // The id texts of the items whose areas hold the point, for the report.
  std::string itemsAt(ImVec2 p) const {
    std::string out;
    for (const ui::ItemRecord& item : rig_.harness.drawLog().items())
      if (item.hitArea.contains(p)) out += " " + item.idText;
    return out;
  }

  std::string describe() { return describe(*baseline_, rig_.project()); }
  std::string describe(const ob::Project& from, const ob::Project& to) {
    std::string out;
    const ob::Sound& a = selectedSound(from);
    const ob::Sound& b = selectedSound(to);
    for (int p = 0; p < ob::kSoundParamSlots; ++p)
      if (a.params[p] != b.params[p])
        out += std::string(" ") + ob::paramInfo(a.machine, p).id + " " + std::to_string(a.params[p]) +
               " -> " + std::to_string(b.params[p]);
    const auto* x = reinterpret_cast<const unsigned char*>(&from);
    const auto* y = reinterpret_cast<const unsigned char*>(&to);
    for (std::size_t i = 0; i < sizeof(ob::Project); ++i)
      if (x[i] != y[i]) {
        out += " first byte " + std::to_string(i);
        break;
      }
    return out;
  }

  const ob::Sound& selectedSound(const ob::Project& project) {
    const ob::Pattern& part = project.patterns[0];
    const int track = std::clamp(rig_.view().selectedTrack(), 0, ob::kMaxTracks - 1);
    const int sound = std::clamp<int>(part.tracks[track].soundIndex, 0, ob::kMaxTracks - 1);
    return part.kit.sounds[sound];
  }

  EditorRig rig_;
  float scale_;
  std::unique_ptr<ob::Project> baseline_;
  bool macroSelected_ = false;
  ImVec2 lastCentre_;  // where the swept handle was last drawn
};

// Scale, and which of the states: kits or new tracks, with a macro
// selected or not.
class BenchHandles : public testing::TestWithParam<std::tuple<float, bool, bool>> {};

// Under the sanitizers the same code runs over a thinner set of states:
// the first track of each kit and each new machine as the only track,
// with its stages, at scale 1; with a macro selected, the presses only.
constexpr bool kThin = kSanitizedBuild;

TEST_P(BenchHandles, EveryHandleIsTakenAtItsCentreAndSetsItsWholeRange) {
  const auto [scale, kits, macro] = GetParam();
  if (kThin && scale != 1.0f) GTEST_SKIP() << "one scale under the sanitizers";
  HandleSweep sweep(scale);
  for (const BenchState& state : benchStates()) {
    if ((state.machine == BenchMachine::kKit) != kits || state.macroSelected != macro) continue;
    const bool first = kits ? state.track == 0 : state.trackCount == 1;
    if (kThin && !(first && (kits || state.allStages))) continue;
    SCOPED_TRACE(state.name());
    // The presses everywhere; the far drags, which only the mappings feel,
    // at scale 1 for every kit's track, for a new track of each kind as the
    // only one, and with a macro selected for the first track.
    const bool reach = scale == 1.0f && ((kits && !macro) || first) && !(kThin && macro);
    sweep.run(state, reach);
    if (HasFailure()) return;  // one state's report is enough
  }
}

INSTANTIATE_TEST_SUITE_P(ScalesAndStates, BenchHandles,
                         testing::Combine(testing::ValuesIn(kBenchScales), testing::Bool(), testing::Bool()),
                         [](const testing::TestParamInfo<std::tuple<float, bool, bool>>& info) {
                           return std::string(std::get<0>(info.param) == 1.0f ? "Scale1" : "Scale1_5") +
                                  (std::get<1>(info.param) ? "Kits" : "NewTracks") +
                                  (std::get<2>(info.param) ? "MacroSelected" : "NoMacro");
                         });

}  // namespace bench_handles_test
}  // namespace orbi::test
