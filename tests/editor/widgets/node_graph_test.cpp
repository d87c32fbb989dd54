// The node graph through headless frames: drags and their single editDone,
// modulation drags, the chips, the direction toggle, typing, models
// replaced mid-gesture, live positions, and what the painter draws.
#include "editor/widgets/graph/node_graph.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "support/editor/widgets/graph_gallery.h"
#include "support/editor/widgets/half_set_gallery.h"
#include "support/editor/widgets/label_check.h"
#include "tests/editor/widgets/entry_rig.h"
#include "ui/context.h"
#include "ui/draw/draw_log.h"

namespace orbi {
namespace node_graph_test {

using graph::NodeKind;
using test::Calls;
using ui::DrawOp;
namespace half = graph::testing;

NodeGraph::Model modelOf(const half::HalfSet& set) {
  NodeGraph::Model m;
  m.body = set.body;
  m.mode = set.mode;
  m.shape = half::shapeOf(set);
  m.nodes = set.nodes;
  return m;
}

half::HalfSet setFor(bool body, int mode) {
  for (half::HalfSet& set : half::halfSets()) {
    if (set.body == body && set.mode == mode) return set;
  }
  ADD_FAILURE() << "no set";
  return {};
}

class GraphRig : public test::FrameRig {
 public:
  explicit GraphRig(float s = 1.0f) : FrameRig(s) {
    graph.value = test::recordInto(values);
    graph.editDone = [this] { ++edits; };
    body = [this] { graph.draw(area); };
  }

  graph::Layout layout() {
    graph::Layout l;
    l.s = ui::scale();
    l.inner = graph::innerRect(area, l.s);
    l.window = graph.window();
    l.half = {graph.body, graph.mode};
    l.shape = graph.shape;
    l.nodes = graph.nodes;
    return l;
  }
  ImVec2 handleOf(int i) {
    ui::ContextScope scope(harness.ui());
    const graph::Point p = *graph::handlePlace(layout(), i);
    return ImVec2(p.x, p.y);
  }
  void press(ImVec2 at) {
    harness.movePointer(at);
    step();
    harness.setButton(ImGuiMouseButton_Left, true);
    step();
  }
  void release() {
    harness.setButton(ImGuiMouseButton_Left, false);
    step();
  }
  int countText(std::string_view text) const {
    int n = 0;
    for (const ui::DrawRecord& r : harness.drawLog().records())
      if (r.text == text) ++n;
    return n;
  }
  const ui::DrawRecord* textStarting(std::string_view prefix) const {
    for (const ui::DrawRecord& r : harness.drawLog().records())
      if (r.text.rfind(prefix, 0) == 0) return &r;
    return nullptr;
  }
  int countOp(DrawOp op, std::uint32_t colour) const {
    int n = 0;
    for (const ui::DrawRecord& r : harness.drawLog().records())
      if (r.op == op && r.colour == colour) ++n;
    return n;
  }

  NodeGraph graph;
  ui::Rect area{100.0f, 100.0f, 300.0f, 200.0f};
  Calls values;
  int edits = 0;
};

TEST(NodeGraphInput, APressWithoutMovementSendsNothingAndEndsNoGesture) {
  GraphRig rig;
  rig.graph.setModel(modelOf(setFor(true, graph::body_type::kString)));
  const ImVec2 h = rig.handleOf(0);  // brightness
  rig.press(ImVec2(h.x, h.y - 10.0f));
  EXPECT_EQ(rig.graph.valueDragNode(), 0);
  rig.steps(3);
  rig.release();
  rig.steps(5);
  EXPECT_TRUE(rig.values.empty());
  EXPECT_EQ(rig.edits, 0);
  EXPECT_EQ(rig.graph.valueDragNode(), -1);
}

TEST(NodeGraphInput, ADragMovesTheHandleAsFarAsThePointerFromWhereItWas) {
  GraphRig rig;
  // Tall enough that the brightness has more than 100 pixels for its range.
  rig.area.height = 400.0f;
  half::HalfSet set = setFor(true, graph::body_type::kString);
  set.nodes[0].value = 0.5f;
  rig.graph.setModel(modelOf(set));
  const ImVec2 h = rig.handleOf(0);
  // Pressed 10 pixels above the handle, moved up by 12: the handle ends
  // 12 pixels higher, not under the pointer.
  rig.press(ImVec2(h.x, h.y - 10.0f));
  rig.harness.movePointer(ImVec2(h.x, h.y - 22.0f));
  rig.step();
  rig.release();
  ASSERT_EQ(rig.values.size(), 1u);
  half::HalfSet moved = set;
  moved.nodes[0].value = rig.values[0].second;
  rig.graph.setModel(modelOf(moved));
  EXPECT_NEAR(rig.handleOf(0).y, h.y - 12.0f, 0.01f);
  EXPECT_EQ(rig.edits, 1);
}

// In this picture the brightness has far fewer than 100 pixels for its
// range: the handle moves slower than the pointer, so that the whole range
// takes 100, at scale 1 and 2.
TEST(NodeGraphInput, OnASmallPictureTheWholeRangeTakesTheLeastSweep) {
  for (const float s : {1.0f, 2.0f}) {
    SCOPED_TRACE(s);
    GraphRig rig(s);
    half::HalfSet set = setFor(true, graph::body_type::kString);
    set.nodes[0].value = 0.0f;
    rig.graph.setModel(modelOf(set));
    const ImVec2 h = rig.handleOf(0);
    rig.press(h);
    rig.harness.movePointer(ImVec2(h.x, h.y - 95.0f * s));
    rig.step();
    ASSERT_FALSE(rig.values.empty());
    const float short_ = rig.values.back().second;
    EXPECT_GT(short_, 0.5f);
    EXPECT_LT(short_, 1.0f);
    // Dear ImGui floors the pointer to whole pixels.
    rig.harness.movePointer(ImVec2(h.x, h.y - 100.0f * s - 1.0f));
    rig.step();
    EXPECT_NEAR(rig.values.back().second, 1.0f, 1e-4f);
    rig.release();
  }
}

TEST(NodeGraphInput, DoubleClickDragEndsWithOneEditDone) {
  GraphRig rig;
  rig.graph.setModel(modelOf(setFor(true, graph::body_type::kString)));
  const ImVec2 h = rig.handleOf(0);
  rig.press(h);
  rig.release();
  ASSERT_EQ(rig.edits, 0);
  rig.harness.setButton(ImGuiMouseButton_Left, true);  // the second, quick press
  rig.step();
  EXPECT_EQ(rig.graph.valueDragNode(), 0);
  rig.harness.movePointer(ImVec2(h.x, h.y - 20.0f));
  rig.step();
  rig.release();
  EXPECT_EQ(rig.edits, 1);
  rig.steps(3);
  EXPECT_EQ(rig.edits, 1);
}

TEST(NodeGraphInput, AltDragWithoutLfoCallbackIsAValueDrag) {
  GraphRig rig;
  rig.graph.setModel(modelOf(setFor(true, graph::body_type::kString)));
  rig.harness.setMods(ui::kModAlt);
  rig.press(rig.handleOf(0));
  EXPECT_EQ(rig.graph.valueDragNode(), 0);
  EXPECT_EQ(rig.graph.lfoDragNode(), -1);
  EXPECT_TRUE(rig.values.empty());
}

// A quarter of the picture's height away is the whole reach, but never
// less far than 100 pixels (times the scale), which this picture's quarter
// is.
TEST(NodeGraphInput, LfoReachGrowsToOneAQuarterHeightOrTheLeastSweepAway) {
  for (float s : {1.0f, 2.0f}) {
    SCOPED_TRACE(s);
    GraphRig rig(s);
    Calls reach;
    rig.graph.lfoReach = test::recordInto(reach);
    rig.graph.setModel(modelOf(setFor(true, graph::body_type::kString)));
    const ImVec2 h = rig.handleOf(0);
    const float whole = 100.0f * s;
    ASSERT_LT(0.25f * (rig.area.height - 2.0f * s), whole);
    rig.harness.setMods(ui::kModAlt);
    rig.press(h);
    ASSERT_EQ(rig.graph.lfoDragNode(), 0);
    EXPECT_TRUE(reach.empty());  // a press alone sends nothing
    rig.harness.movePointer(ImVec2(h.x, h.y + 0.029f * whole));
    rig.step();
    ASSERT_EQ(reach.size(), 1u);
    EXPECT_EQ(reach[0].second, 0.0f);
    // Dear ImGui floors the pointer to whole pixels.
    rig.harness.movePointer(ImVec2(h.x, h.y + whole + 1.0f));
    rig.step();
    ASSERT_EQ(reach.size(), 2u);
    EXPECT_EQ(reach[1].second, 1.0f);
    rig.harness.movePointer(ImVec2(h.x, h.y - 0.5f * whole));
    rig.step();
    ASSERT_EQ(reach.size(), 3u);
    EXPECT_NEAR(reach[2].second, 0.5f, 2.0f / whole);
    EXPECT_TRUE(rig.values.empty());
    rig.release();
    EXPECT_EQ(rig.edits, 1);
  }
}

TEST(NodeGraphInput, ShiftDragNeedsBreatheEnabled) {
  GraphRig rig;
  Calls breathe;
  rig.graph.breathe = test::recordInto(breathe);
  rig.graph.setModel(modelOf(setFor(true, graph::body_type::kString)));
  rig.harness.setMods(ui::kModShift);
  rig.press(rig.handleOf(0));
  EXPECT_TRUE(breathe.empty());
  EXPECT_EQ(rig.graph.valueDragNode(), 0);
  rig.release();
  rig.graph.breatheEnabled = 1;
  rig.steps(30);
  const ImVec2 h = rig.handleOf(0);
  rig.press(h);
  EXPECT_EQ(rig.graph.breatheDragNode(), 0);
  rig.harness.movePointer(ImVec2(h.x, h.y - 30.0f));
  rig.step();
  EXPECT_EQ(breathe.size(), 1u);
}

TEST(NodeGraphInput, ALengthHandleWithoutAnEnvelopeIsTakenBesideTheChip) {
  // The high-pass hit draws no envelope; its length handle once sat on the
  // bottom edge, where beside the colour chip only a sliver of it could be
  // taken.
  GraphRig rig;
  half::HalfSet set = setFor(false, graph::hit_type::kHighPass);
  rig.graph.setModel(modelOf(set));
  int length = -1;
  for (std::size_t i = 0; i < set.nodes.size(); ++i)
    if (set.nodes[i].nodeKind() == NodeKind::kLength) length = static_cast<int>(i);
  ASSERT_GE(length, 0);
  set.nodes[length].value = 0.75f;  // above the chip on the time axis
  rig.graph.setModel(modelOf(set));
  rig.step();
  const ImVec2 h = rig.handleOf(length);
  {
    ui::ContextScope scope(rig.harness.ui());
    const ui::Rect chip = *graph::choiceChip(rig.layout());
    EXPECT_LT(h.y + 6.0f, chip.y);
    EXPECT_GT(h.x, chip.x);
  }
  rig.press(h);
  EXPECT_EQ(rig.graph.valueDragNode(), length);
  rig.release();
  EXPECT_TRUE(rig.values.empty());
}

TEST(NodeGraphInput, TheHighestCutoffOfTheHighPassHitIsReached) {
  GraphRig rig;
  half::HalfSet set = setFor(false, graph::hit_type::kHighPass);
  set.nodes[0].value = 0.5f;  // cutoff
  rig.graph.setModel(modelOf(set));
  const ImVec2 h = rig.handleOf(0);
  rig.press(h);
  rig.harness.movePointer(ImVec2(h.x, h.y - 400.0f));
  rig.step();
  rig.release();
  ASSERT_FALSE(rig.values.empty());
  EXPECT_EQ(rig.values.back().first, set.nodes[0].id);
  EXPECT_NEAR(rig.values.back().second, set.nodes[0].paramHi, 1e-5f);  // 18 kHz
}

TEST(NodeGraphInput, ChoiceChipWrapsFromItsLastChoice) {
  GraphRig rig;
  half::HalfSet set = setFor(true, graph::body_type::kWavetable);
  set.nodes[2].value = 1.0f;  // the last bank
  rig.graph.setModel(modelOf(set));
  rig.step();
  ui::ContextScope scope(rig.harness.ui());
  const ui::Rect chip = *graph::choiceChip(rig.layout());
  rig.clickAt(test::centreOf(chip));
  ASSERT_EQ(rig.values.size(), 1u);
  EXPECT_EQ(rig.values[0], std::make_pair(20, 0.0f));
  EXPECT_EQ(rig.edits, 1);
}

TEST(NodeGraphInput, DirectionToggleFlipsAroundOneHalf) {
  for (float shown : {0.5f, 0.49f, 1.0f, 0.0f}) {
    SCOPED_TRACE(shown);
    GraphRig rig;
    half::HalfSet set = setFor(true, graph::body_type::kRecorded);
    set.nodes[4].value = shown;
    rig.graph.setModel(modelOf(set));
    // Away from every handle, inside the band.
    rig.clickAt(ImVec2(rig.area.x + 0.5f * rig.area.width, rig.area.y + 0.75f * rig.area.height));
    ASSERT_EQ(rig.values.size(), 1u);
    EXPECT_EQ(rig.values[0].first, 22);
    EXPECT_EQ(rig.values[0].second, shown >= 0.5f ? 0.0f : 1.0f);
    EXPECT_EQ(rig.edits, 1);
  }
}

TEST(NodeGraphInput, RightClickTypesOnlyIntoLabelledNodes) {
  GraphRig rig;
  half::HalfSet set = setFor(true, graph::body_type::kString);
  set.nodes[0].label = nullptr;
  rig.graph.setModel(modelOf(set));
  rig.clickAt(rig.handleOf(0), ImGuiMouseButton_Right);
  EXPECT_EQ(rig.graph.entry().openId(), -1);
  rig.clickAt(rig.handleOf(1), ImGuiMouseButton_Right);
  EXPECT_EQ(rig.graph.entry().openId(), 17);
  rig.type("1.5");
  rig.pressKey(ui::Key::Enter);
  ASSERT_EQ(rig.values.size(), 1u);
  EXPECT_EQ(rig.values[0].first, 17);
  EXPECT_NEAR(rig.values[0].second, (1.5f - 0.02f) / (4.0f - 0.02f), 1e-5f);
  EXPECT_EQ(rig.edits, 1);
}

TEST(NodeGraphInput, ModelWithoutTheTypedNodeClosesTheEntry) {
  GraphRig rig;
  rig.graph.setModel(modelOf(setFor(true, graph::body_type::kString)));
  rig.clickAt(rig.handleOf(1), ImGuiMouseButton_Right);
  ASSERT_EQ(rig.graph.entry().openId(), 17);
  half::HalfSet other = setFor(true, graph::body_type::kString);
  other.nodes.erase(other.nodes.begin() + 1);
  rig.graph.setModel(modelOf(other));
  EXPECT_EQ(rig.graph.entry().openId(), -1);
  rig.type("2");
  rig.pressKey(ui::Key::Enter);
  EXPECT_TRUE(rig.values.empty());
  EXPECT_EQ(rig.edits, 0);
}

// A value typed past its range is said to be held only while its handle is
// drawn: not once the model has lost it (a body switched to none).
TEST(NodeGraphInput, AHeldValuesNoteGoesWithItsHandle) {
  GraphRig rig;
  half::HalfSet set = setFor(true, graph::body_type::kString);
  rig.graph.setModel(modelOf(set));
  rig.clickAt(rig.handleOf(1), ImGuiMouseButton_Right);
  rig.type("1e9");
  rig.pressKey(ui::Key::Enter);
  ASSERT_NE(rig.textStarting("held to "), nullptr);
  set.nodes.erase(set.nodes.begin() + 1);
  rig.graph.setModel(modelOf(set));
  rig.step();
  EXPECT_EQ(rig.textStarting("held to "), nullptr);
}

TEST(NodeGraphInput, InharmonicMovesOneUnitPer120ScaledPixels) {
  for (float s : {1.0f, 2.0f}) {
    SCOPED_TRACE(s);
    GraphRig rig(s);
    rig.area = {50.0f, 300.0f, 300.0f, 300.0f};
    half::HalfSet set = setFor(true, graph::body_type::kModal);
    set.nodes[2].value = 0.3f;
    rig.graph.setModel(modelOf(set));
    const ImVec2 h = rig.handleOf(2);
    rig.press(h);
    EXPECT_TRUE(rig.values.empty());
    rig.harness.movePointer(ImVec2(h.x, h.y - 60.0f * s));
    rig.step();
    EXPECT_NEAR(rig.values.back().second, 0.8f, 1e-4f);
    rig.harness.movePointer(ImVec2(h.x, h.y - 120.0f * s));
    rig.step();
    EXPECT_NEAR(rig.values.back().second, 1.0f, 1e-5f);  // clamped
    rig.release();
  }
}

TEST(NodeGraphInput, ValueCallbackInstallingASmallerModelEndsTheDrag) {
  GraphRig rig;
  rig.graph.setModel(modelOf(setFor(true, graph::body_type::kFm)));
  const ImVec2 h = rig.handleOf(3);  // bright time
  rig.graph.value = [&rig](int id, float v) {
    rig.values.emplace_back(id, v);
    rig.graph.setModel(modelOf(setFor(true, graph::body_type::kString)));  // three nodes
  };
  rig.press(h);
  rig.harness.movePointer(ImVec2(h.x + 10.0f, h.y));
  rig.step();
  EXPECT_EQ(rig.values.size(), 1u);
  EXPECT_EQ(rig.graph.valueDragNode(), -1);
  rig.harness.movePointer(ImVec2(h.x + 30.0f, h.y));
  rig.step();
  rig.release();
  EXPECT_EQ(rig.values.size(), 1u);
  EXPECT_EQ(rig.edits, 0);
}

TEST(NodeGraphInput, ValueCallbackRebuildingTheSameModelKeepsTheDrag) {
  GraphRig rig;
  rig.graph.setModel(modelOf(setFor(true, graph::body_type::kString)));
  const ImVec2 h = rig.handleOf(0);
  rig.graph.value = [&rig](int id, float v) {
    rig.values.emplace_back(id, v);
    rig.graph.setModel(modelOf(setFor(true, graph::body_type::kString)));
  };
  rig.press(h);
  rig.harness.movePointer(ImVec2(h.x, h.y - 10.0f));
  rig.step();
  rig.harness.movePointer(ImVec2(h.x, h.y - 20.0f));
  rig.step();
  EXPECT_EQ(rig.values.size(), 2u);
  rig.release();
  EXPECT_EQ(rig.edits, 1);
}

TEST(NodeGraphLive, EmptyGetterLeavesPositionsAndSmallMovesAreIgnored) {
  NodeGraph g;
  half::HalfSet set = setFor(true, graph::body_type::kString);
  set.nodes[0].hasLive = 1;
  set.nodes[0].liveAmount = 0.4f;
  g.setModel(modelOf(set));
  g.pollLive({});
  EXPECT_EQ(g.nodes[0].liveAmount, 0.4f);
  g.pollLive([](int) { return 0.4015f; });
  EXPECT_EQ(g.nodes[0].liveAmount, 0.4f);
  g.pollLive([](int) { return 0.403f; });
  EXPECT_NEAR(g.nodes[0].liveAmount, 0.403f, 1e-6f);
  g.pollLive([](int) { return 7.0f; });
  EXPECT_EQ(g.nodes[0].liveAmount, 1.0f);
  EXPECT_EQ(g.nodes[1].liveAmount, 0.0f);  // no live flag
}

TEST(NodeGraphWaveform, WindowFallsBackAndSamplesAreOptional) {
  NodeGraph g;
  std::vector<float> samples(1000, 0.5f);
  g.setWaveform(samples.data(), 1000, 0.0f);
  EXPECT_EQ(g.window(), 0.4f);
  g.setWaveform(samples.data(), 1000, 1.2f);
  EXPECT_EQ(g.window(), 1.2f);
}

// ---- painting

TEST(NodeGraphPaint, ChipsNeedTheirWidth) {
  for (float s : {1.0f, 2.0f}) {
    for (float width : {61.0f, 63.0f, 81.0f, 83.0f}) {
      SCOPED_TRACE(::testing::Message() << s << " " << width);
      GraphRig rig(s);
      rig.area = {100.0f, 100.0f, width * s + 2.0f * s, 120.0f * s};
      half::HalfSet set = setFor(true, graph::body_type::kWavetable);
      set.nodes[1].lfo = 0;  // decay
      set.nodes[1].lfoTrig = 1;
      rig.graph.setModel(modelOf(set));
      rig.step();
      EXPECT_EQ(rig.countText("harmonic"), width >= 62.0f ? 1 : 0);
      EXPECT_EQ(rig.countText("TRG"), width >= 82.0f ? 1 : 0);
    }
  }
}

TEST(NodeGraphPaint, RecordedBodyWithoutSamplesSaysSo) {
  GraphRig rig;
  rig.graph.setModel(modelOf(setFor(true, graph::body_type::kRecorded)));  // no choices
  rig.step();
  EXPECT_EQ(rig.countText("(no samples)"), 1);
}

TEST(NodeGraphPaint, DetuneOfHalfACentDrawsOneBankWave) {
  for (float cents : {0.0f, 0.5f, 0.6f, 1200.0f}) {
    SCOPED_TRACE(cents);
    GraphRig rig;
    half::HalfSet set = setFor(true, graph::body_type::kWavetable);
    set.nodes[3].value = cents / 1200.0f;
    rig.graph.setModel(modelOf(set));
    rig.step();
    EXPECT_EQ(rig.countOp(DrawOp::Polyline, 0xBF8DC63F), 1);
    EXPECT_EQ(rig.countOp(DrawOp::Polyline, 0x4D8DC63F), cents > 0.5f ? 1 : 0);
  }
}

TEST(NodeGraphPaint, SparklesAreTheSameEveryFrame) {
  GraphRig rig;
  half::HalfSet set = setFor(true, graph::body_type::kMetal);
  set.nodes[0].value = 0.3f;  // a cutoff well inside
  set.nodes[2].value = 0.5f;  // shimmer
  NodeGraph::Model model = modelOf(set);
  model.shape.tone = 0.3f;
  rig.graph.setModel(model);
  const auto squares = [&] {
    std::vector<ui::Rect> out;
    for (const ui::DrawRecord* r : rig.harness.drawLog().find(DrawOp::FillRect))
      if ((r->colour & 0xFFFFFF) == 0x8DC63F && r->rect.width < 2.0f) out.push_back(r->rect);
    return out;
  };
  rig.step();
  const std::vector<ui::Rect> first = squares();
  EXPECT_EQ(first.size(), 110u);
  rig.step();
  const std::vector<ui::Rect> second = squares();
  ASSERT_EQ(first.size(), second.size());
  for (std::size_t i = 0; i < first.size(); ++i) {
    EXPECT_EQ(first[i].x, second[i].x);
    EXPECT_EQ(first[i].y, second[i].y);
  }
}

TEST(NodeGraphPaint, WaveformIsMirroredWhileReverseIsOn) {
  std::vector<float> samples(22050, 0.05f);
  for (int i = 0; i < 4000; ++i) samples[i] = 1.0f;  // loud at the start
  float leftTop[2] = {}, rightTop[2] = {};
  for (int rev = 0; rev < 2; ++rev) {
    GraphRig rig;
    half::HalfSet set = setFor(true, graph::body_type::kRecorded);
    set.nodes[4].value = static_cast<float>(rev);
    rig.graph.setModel(modelOf(set));
    rig.graph.setWaveform(samples.data(), static_cast<int>(samples.size()), 1.0f);
    rig.step();
    const std::vector<const ui::DrawRecord*> bands = rig.harness.drawLog().find(DrawOp::FillBand);
    ASSERT_EQ(bands.size(), 1u);
    leftTop[rev] = bands[0]->points.front().y;
    rightTop[rev] = bands[0]->points.back().y;
  }
  EXPECT_LT(leftTop[0], rightTop[0]);  // tall at the left
  EXPECT_GT(leftTop[1], rightTop[1]);  // tall at the right
}

TEST(NodeGraphPaint, ValueLabelDecimalsFollowTheDisplaySpan) {
  struct Case {
    float lo, hi;
    const char* text;
  };
  for (const Case& c :
       {Case{0.0f, 1200.0f, "  600 ct"}, Case{0.0f, 10.0f, "  5.0 ct"}, Case{0.0f, 1.0f, "  0.500 ct"}}) {
    SCOPED_TRACE(c.text);
    GraphRig rig;
    half::HalfSet set = setFor(true, graph::body_type::kWavetable);
    const std::string text = set.nodes[3].label + std::string(c.text);
    set.nodes[3].displayLo = c.lo;
    set.nodes[3].displayHi = c.hi;
    rig.graph.setModel(modelOf(set));
    rig.harness.movePointer(rig.handleOf(3));
    rig.steps(2);
    EXPECT_EQ(rig.graph.hoveredNode(), 3);
    EXPECT_EQ(rig.countText(text), 1);
    EXPECT_EQ(rig.countText("right-click: type a value"), 1);
  }
}

// Hovering each handle of every half type, on pictures as small as the
// bench gives them and larger, at two scales: the hint of its gestures and
// its value cover no handle, and the hint does not cover the value.
TEST(NodeGraphPaint, AHoveredHandlesHintCoversNoHandleNorItsValue) {
  int hints = 0;
  for (const float s : {1.0f, 1.5f}) {
    GraphRig rig(s);
    rig.graph.lfoReach = [](int, float) {};
    rig.graph.breathe = [](int, float) {};
    rig.graph.breatheEnabled = 1;
    for (const float height : {64.0f, 120.0f}) {
      for (const half::HalfSet& set : half::halfSets()) {
        rig.area = {100.0f, 100.0f, 316.0f * s, height * s};
        rig.graph.setModel(modelOf(set));
        rig.step();
        for (std::size_t i = 0; i < set.nodes.size(); ++i) {
          const ui::HandleRecord* h = rig.harness.drawLog().findHandle(&rig.graph, set.nodes[i].label);
          if (!h || !set.nodes[i].label) continue;
          SCOPED_TRACE(::testing::Message() << "scale " << s << " height " << height << " body " << set.body
                                            << " type " << set.mode << " \"" << set.nodes[i].label << "\"");
          rig.harness.movePointer(h->centre);
          rig.steps(2);
          ASSERT_EQ(rig.graph.hoveredNode(), static_cast<int>(i));
          ui::ContextScope scope(rig.harness.ui());
          const ui::DrawLog& log = rig.harness.drawLog();
          const auto inkOf = [](const ui::DrawRecord* r) {
            return ui::textInk(r->rect, r->text, r->style, r->alignment);
          };
          const ui::DrawRecord* value = rig.textStarting(std::string(set.nodes[i].label) + "  ");
          ASSERT_NE(value, nullptr);
          const ui::DrawRecord* hint = rig.textStarting("right-click: type a value");
          for (const ui::HandleRecord& other : log.handles()) {
            const ui::Rect disc{other.centre.x - 4.0f * s, other.centre.y - 4.0f * s, 8.0f * s, 8.0f * s};
            if (hint) {
              EXPECT_FALSE(inkOf(hint).overlaps(disc)) << "the hint covers " << other.name;
            }
            if (&other != h) {
              EXPECT_FALSE(inkOf(value).overlaps(disc)) << "the value covers " << other.name;
            }
          }
          if (!hint) continue;
          ++hints;
          EXPECT_FALSE(inkOf(hint).overlaps(inkOf(value))) << "the hint covers the value";
        }
      }
    }
  }
  EXPECT_GT(hints, 100);
}

TEST(NodeGraphPaint, ClapSpacingDrawsThreeLinesThatStopAtTheEdge) {
  for (float spreadMs : {20.0f, 150.0f}) {
    SCOPED_TRACE(spreadMs);
    GraphRig rig;
    half::HalfSet set = setFor(false, graph::hit_type::kClap);
    set.nodes[2].displayLo = 0.0f;
    set.nodes[2].displayHi = 300.0f;
    set.nodes[2].value = spreadMs / 300.0f;
    rig.graph.setModel(modelOf(set));
    rig.step();
    std::vector<float> xs;
    for (const ui::DrawRecord* r : rig.harness.drawLog().find(DrawOp::Polyline))
      if ((r->colour & 0xFFFFFF) == 0x8DC63F && r->points.size() == 2 &&
          r->points[0].y == rig.area.y + 1.0f && r->points[1].y == rig.area.y + rig.area.height - 1.0f) {
        xs.push_back(r->points[0].x);
      }
    const float x0 = rig.area.x + 1.0f, w = rig.area.width - 2.0f;
    const std::size_t expected = spreadMs * 2 / 1000.0f > rig.graph.window() ? 2u : 3u;
    ASSERT_EQ(xs.size(), expected);
    for (std::size_t i = 0; i < xs.size(); ++i) {
      EXPECT_NEAR(xs[i], x0 + w * i * spreadMs / 1000.0f / rig.graph.window(), 1e-3f);
    }
  }
}

// A preview that fills most of its band: full-scale noise under a fast
// decay, as a noise hit or a struck body makes it.
std::vector<float> loudPreview() {
  std::vector<float> out(8820);
  std::uint32_t state = 1;
  for (std::size_t i = 0; i < out.size(); ++i) {
    state = state * 1664525u + 1013904223u;
    const float noise = static_cast<float>(state >> 8) / 8388608.0f - 1.0f;
    out[i] = noise * std::exp(-static_cast<float>(i) / 4000.0f);
  }
  return out;
}

// The graph's words for its axes and ends read clear wherever the picture
// is busy: over the preview, the partials and the curves of every half
// type, in a hit's short graph and a body's tall one, at both scales. An
// axis that reads higher than a handle in hertz reaches says where that
// handle stops.
TEST(NodeGraphPaint, AxisWordsAreNeverUnderTheWaveformOrACurve) {
  const std::vector<float> preview = loudPreview();
  const std::vector<float> body = half::previewOfBody(8820);
  int words = 0;
  for (float s : {1.0f, 1.5f}) {
    GraphRig rig(s);
    for (float height : {64.0f, 170.0f}) {
      for (const half::HalfSet& set : half::halfSets()) {
        SCOPED_TRACE(::testing::Message() << "scale " << s << " height " << height << " body " << set.body
                                          << " type " << set.mode);
        rig.area = {100.0f, 100.0f, 320.0f * s, height * s};
        NodeGraph::Model model = modelOf(set);
        model.shape.tone = 0.2f;  // partials bright, the tone line low at the left
        rig.graph.setModel(model);
        const std::vector<float>& samples = set.body ? body : preview;
        rig.graph.setWaveform(samples.data(), static_cast<int>(samples.size()), 0.4f);
        rig.step();
        ui::ContextScope scope(rig.harness.ui());
        const auto records = rig.harness.drawLog().records();
        std::vector<int> hertz = {0};  // the frequencies written, as "2000 Hz" or "pitch to 500 Hz"
        for (const ui::DrawRecord& r : records)
          if (r.op == DrawOp::Text && r.text.ends_with(" Hz"))
            hertz.push_back(std::atoi(r.text.c_str() + r.text.rfind(' ', r.text.size() - 4) + 1));
        for (const graph::Node& node : model.nodes) {
          const int top = static_cast<int>(std::lround(std::max(node.displayLo, node.displayHi)));
          if (std::strcmp(node.unit, "Hz") == 0 && rig.harness.drawLog().findHandle(&rig.graph, node.label) &&
              *std::max_element(hertz.begin(), hertz.end()) > top) {
            EXPECT_EQ(std::count(hertz.begin(), hertz.end(), top), 1) << node.label << " stops at " << top;
          }
        }
        for (std::size_t i = 0; i < records.size(); ++i) {
          const ui::DrawRecord& r = records[i];
          if (r.op != DrawOp::Text) continue;
          if (r.text != "dark" && r.text != "bright" && r.text != "L" && r.text != "R" &&
              r.text.find(" Hz") == std::string::npos)
            continue;
          ++words;
          const int under = test::markUnderText(records, i, s);
          EXPECT_EQ(under, -1) << "\"" << r.text << "\" over record " << under << " (op "
                               << static_cast<int>(under >= 0 ? records[under].op : DrawOp::Text) << ")";
        }
      }
    }
  }
  EXPECT_GT(words, 50);
}

// The width bar's "L" and "R" find a place where nothing is drawn at every
// width, the widest included, where the handle stands at the bar's right
// end and the clap's ticks at both: no handle, tick or line lies under
// them and no plate hides one, in a hit's short graph and a tall one, at
// both scales.
TEST(NodeGraphPaint, TheWidthWordsKeepClearOfTheHandleAndTheTicks) {
  int words = 0;
  for (float s : {1.0f, 1.5f}) {
    GraphRig rig(s);
    for (float height : {64.0f, 170.0f}) {
      for (const half::HalfSet& set : half::halfSets()) {
        if (set.body) continue;
        for (float width : {0.0f, 0.5f, 1.0f}) {
          SCOPED_TRACE(::testing::Message() << "scale " << s << " height " << height << " type " << set.mode
                                            << " width " << width);
          rig.area = {100.0f, 100.0f, 320.0f * s, height * s};
          NodeGraph::Model model = modelOf(set);
          bool hasWidth = false;
          for (graph::Node& node : model.nodes)
            if (node.nodeKind() == NodeKind::kWidth) {
              node.value = node.paramLo + width * (node.paramHi - node.paramLo);
              hasWidth = true;
            }
          if (!hasWidth) continue;
          rig.graph.setModel(model);
          rig.step();
          ui::ContextScope scope(rig.harness.ui());
          const auto records = rig.harness.drawLog().records();
          for (std::size_t i = 0; i < records.size(); ++i) {
            if (records[i].op != DrawOp::Text || (records[i].text != "L" && records[i].text != "R")) continue;
            ++words;
            const int under = test::markUnderText(records, i, s, false);
            EXPECT_EQ(under, -1) << "\"" << records[i].text << "\" over record " << under << " (op "
                                 << static_cast<int>(under >= 0 ? records[under].op : DrawOp::Text) << ")";
          }
        }
      }
    }
  }
  EXPECT_GT(words, 20);
}

}  // namespace node_graph_test
}  // namespace orbi
