// The parameter-widget base: slot positions, setParam, presets and their
// menu, the frame and content rectangle, the hint, and the modulation marks
// as the primitives record them.
#include "editor/widgets/param_widget.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "tests/editor/widgets/entry_rig.h"
#include "ui/context.h"
#include "ui/draw/draw_log.h"

namespace orbi {
namespace param_widget_test {

using test::Calls;
using ui::DrawOp;
using ui::MenuEntryKind;

ParamSlot slot(int id, const char* key, float lo, float hi, float value = 0.0f, bool log = false) {
  ParamSlot s;
  s.id = id;
  s.info.id = key;
  s.info.min = lo;
  s.info.max = hi;
  s.value = value;
  s.logScale = log ? 1 : 0;
  return s;
}

// Slot i lies on the line y = 100 + 20 i, from x = 100 (t = 0) to 300.
class LineWidget : public ParamWidget {
 public:
  ImVec2 anchorFor(int slotIndex, float t) const override {
    return ImVec2(100.0f + 200.0f * t, 100.0f + 20.0f * static_cast<float>(slotIndex));
  }
};

ParamWidget::ResolvedPreset preset(std::string name, std::string group, ParamWidget::ParamPairs values = {}) {
  ParamWidget::ResolvedPreset p;
  p.name = std::move(name);
  p.group = std::move(group);
  p.values = std::move(values);
  return p;
}

TEST(ParamSlot, LinearPositionsAreKeptWithinTheRange) {
  const ParamSlot s = slot(0, "level", -1.0f, 3.0f);
  EXPECT_FLOAT_EQ(s.toNormalized(0.0f), 0.25f);
  EXPECT_EQ(s.toNormalized(-5.0f), 0.0f);
  EXPECT_EQ(s.toNormalized(9.0f), 1.0f);
  EXPECT_FLOAT_EQ(s.fromNormalized(0.75f), 2.0f);
  EXPECT_EQ(s.fromNormalized(2.0f), 3.0f);
  EXPECT_EQ(s.fromNormalized(-1.0f), -1.0f);
}

TEST(ParamSlot, TheLowPassIsLogarithmic) {
  const ParamSlot lp = slot(0, "lp", 200.0f, 20000.0f, 2000.0f, true);
  EXPECT_NEAR(lp.normalized(), 0.5f, 1e-6f);
  EXPECT_NEAR(lp.fromNormalized(0.5f), 2000.0f, 0.01f);
  EXPECT_NEAR(lp.fromNormalized(0.25f), std::sqrt(200.0f * 2000.0f), 0.01f);
  EXPECT_EQ(lp.toNormalized(50.0f), 0.0f);
  EXPECT_EQ(lp.toNormalized(-1.0f), 0.0f);
  for (float t = 0.0f; t <= 1.0f; t += 0.125f) EXPECT_NEAR(lp.toNormalized(lp.fromNormalized(t)), t, 1e-5f);
}

TEST(ParamSlot, EmptyRangesSitAtZeroAndLogNeedsAPositiveMinimum) {
  for (const ParamSlot& s :
       {slot(0, "a", 1.0f, 1.0f), slot(0, "b", 5.0f, 2.0f), slot(0, "c", 3.0f, 3.0f, 0, true)})
    for (float v : {-10.0f, 1.0f, 3.0f, 10.0f}) EXPECT_EQ(s.toNormalized(v), 0.0f);
  const ParamSlot fromZero = slot(0, "lp", 0.0f, 100.0f, 0.0f, true);
  EXPECT_FLOAT_EQ(fromZero.toNormalized(25.0f), 0.25f);
  EXPECT_FLOAT_EQ(fromZero.fromNormalized(0.5f), 50.0f);
  const ParamSlot negative = slot(0, "lp", -10.0f, 10.0f, 0.0f, true);
  EXPECT_FLOAT_EQ(negative.toNormalized(0.0f), 0.5f);
}

TEST(ParamWidget, SetParamClampsAndReportsSlotsWithAnId) {
  LineWidget w;
  Calls calls;
  w.onChange = test::recordInto(calls);
  w.setSlots({slot(7, "tune", -12.0f, 12.0f), slot(-1, "decay", 0.0f, 2.0f)});
  w.setParam(0, 30.0f);
  w.setParam(0, -30.0f);
  w.setParam(0, 3.5f);
  EXPECT_EQ(calls, (Calls{{7, 12.0f}, {7, -12.0f}, {7, 3.5f}}));
  EXPECT_EQ(w.slots[0].value, 3.5f);
  w.setParam(1, 5.0f);
  EXPECT_EQ(w.slots[1].value, 2.0f);
  EXPECT_EQ(calls.size(), 3u);
  w.setParam(2, 1.0f);
  w.setParam(-1, 1.0f);
  EXPECT_EQ(calls.size(), 3u);
}

TEST(ParamWidget, SetSlotsGivesEverySlotAClearedMark) {
  LineWidget w;
  w.modMarks.resize(5);
  w.modMarks[0].hasLock = 1;
  w.setSlots({slot(0, "tune", 0, 1), slot(1, "decay", 0, 1)});
  ASSERT_EQ(w.modMarks.size(), 2u);
  EXPECT_EQ(w.modMarks[0].hasLock, 0);
  EXPECT_EQ(w.findSlot("decay"), 1);
  EXPECT_EQ(w.findSlot("Decay"), -1);
  EXPECT_EQ(w.findSlot(nullptr), -1);
}

TEST(ParamWidget, APresetWritesItsSlotsAndReportsEveryPair) {
  LineWidget w;
  Calls calls;
  w.onChange = test::recordInto(calls);
  w.setSlots({slot(3, "tune", 0, 1), slot(5, "decay", 0, 1), slot(3, "tune", 0, 1)});
  w.applyPreset(preset("Deep", "", {{3, 4.0f}, {99, 0.5f}, {5, 0.25f}}));
  // Unclamped, into every slot of the id; the unknown id still reported.
  EXPECT_EQ(w.slots[0].value, 4.0f);
  EXPECT_EQ(w.slots[2].value, 4.0f);
  EXPECT_EQ(w.slots[1].value, 0.25f);
  EXPECT_EQ(calls, (Calls{{3, 4.0f}, {99, 0.5f}, {5, 0.25f}}));
}

TEST(ParamWidget, AFilterRewritesOrRefusesAPreset) {
  LineWidget w;
  Calls calls;
  w.onChange = test::recordInto(calls);
  w.setSlots({slot(3, "tune", 0, 1, 0.1f)});
  ParamWidget::ResolvedPreset refused = preset("Recorded", "", {{3, 0.9f}});
  refused.filter = [](ParamWidget::ParamPairs&) { return false; };
  w.applyPreset(refused);
  EXPECT_EQ(w.slots[0].value, 0.1f);
  EXPECT_TRUE(calls.empty());

  ParamWidget::ResolvedPreset filled = preset("Recorded", "", {});
  filled.filter = [](ParamWidget::ParamPairs& pairs) {
    pairs.emplace_back(3, 0.6f);
    return true;
  };
  w.applyPreset(filled);
  EXPECT_EQ(w.slots[0].value, 0.6f);
  EXPECT_EQ(calls, (Calls{{3, 0.6f}}));
  EXPECT_TRUE(filled.values.empty());  // the preset itself is left as it was
}

TEST(ParamWidget, ARebuildInsideOnChangeStillReportsEveryPairOnce) {
  LineWidget w;
  Calls calls;
  w.setSlots({slot(1, "tune", 0, 1), slot(2, "decay", 0, 1)});
  w.setPresets({preset("A", "", {{1, 0.1f}, {2, 0.2f}, {3, 0.3f}, {1, 0.4f}})});
  // As the bench controller's rebuild does: the slots and presets are
  // replaced, freeing the list the applied preset lives in.
  w.onChange = [&](int id, float v) {
    calls.emplace_back(id, v);
    w.setSlots({slot(1, "tune", 0, 1), slot(2, "decay", 0, 1), slot(3, "level", 0, 1)});
    w.setPresets({preset("B", "g", {{9, 9.0f}}), preset("C", "g")});
  };
  w.applyPreset(w.presets[0]);
  EXPECT_EQ(calls, (Calls{{1, 0.1f}, {2, 0.2f}, {3, 0.3f}, {1, 0.4f}}));
  // What the rebuild left stays.
  EXPECT_EQ(w.slots.size(), 3u);
  EXPECT_EQ(w.presets.size(), 2u);
}

std::vector<MenuEntryKind> kinds(const std::vector<ui::MenuEntry>& entries) {
  std::vector<MenuEntryKind> out;
  for (const ui::MenuEntry& e : entries) out.push_back(e.kind);
  return out;
}

std::size_t indexOfCommand(const std::vector<ui::MenuEntry>& entries, std::uint32_t command) {
  for (std::size_t i = 0; i < entries.size(); ++i)
    if (entries[i].kind == MenuEntryKind::Item && entries[i].command == command) return i;
  return entries.size();
}

TEST(PresetMenu, TwentyUngroupedPresetsBreakBeforeTheSeventeenth) {
  std::vector<ParamWidget::ResolvedPreset> presets;
  for (int i = 0; i < 20; ++i) presets.push_back(preset(test::numbered("p", i), ""));
  const auto entries = presetMenuEntries(presets);
  ASSERT_EQ(entries.size(), 21u);
  EXPECT_EQ(entries[16].kind, MenuEntryKind::ColumnBreak);
  EXPECT_EQ(entries[17].command, 17u);
  EXPECT_EQ(entries[17].label, "p16");
  const auto k = kinds(entries);
  EXPECT_EQ(std::count(k.begin(), k.end(), MenuEntryKind::ColumnBreak), 1);
  for (const ui::MenuEntry& e : entries)
    if (e.kind == MenuEntryKind::Item) {
      EXPECT_TRUE(e.enabled);
      EXPECT_FALSE(e.checked);
    }
}

TEST(PresetMenu, OneGroupStaysInOneColumnUnderItsLabel) {
  std::vector<ParamWidget::ResolvedPreset> presets;
  for (int i = 0; i < 20; ++i) presets.push_back(preset(test::numbered("p", i), "knock"));
  const auto entries = presetMenuEntries(presets);
  ASSERT_EQ(entries.size(), 21u);
  EXPECT_EQ(entries[0].kind, MenuEntryKind::SectionLabel);
  EXPECT_EQ(entries[0].label, "knock");
  const auto k = kinds(entries);
  EXPECT_EQ(std::count(k.begin(), k.end(), MenuEntryKind::Item), 20);
}

TEST(PresetMenu, AGroupThatWouldOverflowStartsAColumnWithItsLabel) {
  // 10 of "a", then 5 of "b" (1 + 10 + 1 + 5 = 17 > 16: a new column), then
  // 3 of "c" (6 + 1 + 3 = 10: after a separator).
  std::vector<ParamWidget::ResolvedPreset> presets;
  for (int i = 0; i < 10; ++i) presets.push_back(preset(test::numbered("a", i), "a"));
  for (int i = 0; i < 5; ++i) presets.push_back(preset(test::numbered("b", i), "b"));
  for (int i = 0; i < 3; ++i) presets.push_back(preset(test::numbered("c", i), "c"));
  const auto entries = presetMenuEntries(presets);
  const std::size_t firstB = indexOfCommand(entries, 11);
  ASSERT_GE(firstB, 2u);
  EXPECT_EQ(entries[firstB - 1].kind, MenuEntryKind::SectionLabel);
  EXPECT_EQ(entries[firstB - 1].label, "b");
  EXPECT_EQ(entries[firstB - 2].kind, MenuEntryKind::ColumnBreak);
  const std::size_t firstC = indexOfCommand(entries, 16);
  ASSERT_GE(firstC, 2u);
  EXPECT_EQ(entries[firstC - 1].label, "c");
  EXPECT_EQ(entries[firstC - 2].kind, MenuEntryKind::Separator);

  // With 9 of "a" the 5 of "b" just fit (1 + 9 + 1 + 5 = 16).
  presets.erase(presets.begin());
  const auto fitted = presetMenuEntries(presets);
  const std::size_t b = indexOfCommand(fitted, 10);
  ASSERT_GE(b, 2u);
  EXPECT_EQ(fitted[b - 2].kind, MenuEntryKind::Separator);
}

TEST(PresetMenu, UngroupedPresetsAfterAGroupKeepItsSection) {
  // An empty group opens no section; a later preset of the same group
  // continues it without a second label.
  const auto entries = presetMenuEntries({preset("x", "g"), preset("y", ""), preset("z", "g")});
  EXPECT_EQ(kinds(entries), (std::vector<MenuEntryKind>{MenuEntryKind::SectionLabel, MenuEntryKind::Item,
                                                        MenuEntryKind::Item, MenuEntryKind::Item}));
}

class ParamWidgetAtScale : public testing::TestWithParam<float> {};

TEST_P(ParamWidgetAtScale, ContentStartsBelowTheFrameAndTheTitleStrip) {
  const float s = GetParam();
  test::FrameRig rig(s);
  ui::ContextScope scope(rig.harness.ui());
  LineWidget w;
  w.rect = {40.0f, 60.0f, 300.0f, 200.0f};
  ui::Rect content = w.contentRect();
  EXPECT_FLOAT_EQ(content.y, 60.0f + 7.0f * s);
  EXPECT_FLOAT_EQ(content.x, 40.0f + 7.0f * s);
  EXPECT_FLOAT_EQ(content.width, 300.0f - 14.0f * s);
  w.title = "AMP";
  content = w.contentRect();
  EXPECT_FLOAT_EQ(content.y, 60.0f + s + 18.0f * s + 6.0f * s);
  EXPECT_FLOAT_EQ(content.height, 200.0f - 2.0f * s - 18.0f * s - 12.0f * s);
  // Too small for its insets: nothing is left, nothing is negative.
  w.rect = {0.0f, 0.0f, 10.0f * s, 12.0f * s};
  content = w.contentRect();
  EXPECT_EQ(content.width, 0.0f);
  EXPECT_EQ(content.height, 0.0f);
}

TEST_P(ParamWidgetAtScale, TheFramePaintsItsPanelAndTitle) {
  const float s = GetParam();
  test::FrameRig rig(s);
  LineWidget w;
  w.title = "AMP";
  rig.harness.frame([&] { w.drawFrame({10.0f, 20.0f, 200.0f, 100.0f}); });
  const auto& log = rig.harness.drawLog();
  const auto fills = log.find(DrawOp::FillRect);
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_EQ(fills[0]->colour, 0xB30D1108u);
  EXPECT_FLOAT_EQ(fills[0]->rect.x, 10.0f + s);
  EXPECT_FLOAT_EQ(fills[0]->rect.width, 200.0f - 2.0f * s);
  ASSERT_EQ(log.find(DrawOp::StrokeRect).size(), 1u);
  const auto texts = log.find(DrawOp::Text);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0]->text, "AMP");
  EXPECT_FLOAT_EQ(texts[0]->rect.x, 10.0f + s + 8.0f * s);
  EXPECT_FLOAT_EQ(texts[0]->rect.height, 14.0f * s);
  EXPECT_EQ(texts[0]->colour, 0xFF8A8870u);
  EXPECT_EQ(w.rect.width, 200.0f);
  // No title, no title text; no presets, no presets button.
  w.title.clear();
  rig.harness.frame([&] {
    w.drawFrame({10.0f, 20.0f, 200.0f, 100.0f});
    w.drawPresetMenu();
  });
  EXPECT_TRUE(rig.harness.drawLog().find(DrawOp::Text).empty());
  EXPECT_TRUE(rig.harness.drawLog().items().empty());
}

TEST_P(ParamWidgetAtScale, ModulationMarksDrawAtTheSlotsAnchors) {
  const float s = GetParam();
  test::FrameRig rig(s);
  LineWidget w;
  w.setSlots({slot(0, "tune", 0, 10), slot(1, "decay", 0, 10)});
  ParamWidget::ModMarks& m = w.modMarks[1];
  m.hasLfo = 1;
  m.lfoLow = 2.5f;
  m.lfoHigh = 20.0f;  // clamped to the end of the line
  m.hasMacro = 1;
  m.macroValue = 5.0f;
  m.hasLock = 1;
  m.lockValue = 0.0f;
  m.hasEnv = 1;
  m.hasLive = 1;
  rig.harness.frame([&] { w.drawModulation(ImGui::GetWindowDrawList(), 1); });
  const auto records = rig.harness.drawLog().records();
  ASSERT_EQ(records.size(), 5u);
  // The LFO's sweep: a line and a dot at each end.
  EXPECT_EQ(records[0].op, DrawOp::Polyline);
  EXPECT_EQ(records[0].colour, 0x334A9EFFu);
  EXPECT_EQ(records[0].width, 5.0f);
  ASSERT_EQ(records[0].points.size(), 2u);
  EXPECT_FLOAT_EQ(records[0].points[0].x, 150.0f);
  EXPECT_FLOAT_EQ(records[0].points[1].x, 300.0f);
  EXPECT_FLOAT_EQ(records[0].points[0].y, 120.0f);
  for (int i : {1, 2}) {
    EXPECT_EQ(records[i].op, DrawOp::FillCircle);
    EXPECT_EQ(records[i].colour, 0x8C4A9EFFu);
    EXPECT_FLOAT_EQ(records[i].radius, 1.5f * s);
  }
  EXPECT_FLOAT_EQ(records[2].points[0].x, 300.0f);
  // The macro's target: a triangle pointing down at the handle.
  EXPECT_EQ(records[3].op, DrawOp::FillTriangle);
  EXPECT_EQ(records[3].colour, 0xFFFF9A4Au);
  ASSERT_EQ(records[3].points.size(), 3u);
  EXPECT_FLOAT_EQ(records[3].points[0].x, 200.0f - 4.0f * s);
  EXPECT_FLOAT_EQ(records[3].points[0].y, 120.0f - 8.0f * s);
  EXPECT_FLOAT_EQ(records[3].points[2].y, 120.0f - s);
  // The step lock: a diamond around its value.
  EXPECT_EQ(records[4].op, DrawOp::FillQuad);
  EXPECT_EQ(records[4].colour, 0x8CA4D165u);
  ASSERT_EQ(records[4].points.size(), 4u);
  EXPECT_FLOAT_EQ(records[4].points[0].x, 100.0f);
  EXPECT_FLOAT_EQ(records[4].points[0].y, 120.0f - 4.0f * s);
  EXPECT_FLOAT_EQ(records[4].points[1].x, 100.0f + 4.0f * s);
  EXPECT_FLOAT_EQ(records[4].points[3].x, 100.0f - 4.0f * s);
}

// The presets button's arrow is drawn, as wide as a third of the button
// and pointing down, not left to a glyph that is a dot at its size.
TEST_P(ParamWidgetAtScale, ThePresetsButtonShowsAnArrowDown) {
  const float s = GetParam();
  test::FrameRig rig(s);
  LineWidget w;
  w.title = "AMP";
  w.setPresets({preset("Deep", "")});
  rig.body = [&w] {
    w.drawFrame({40.0f, 60.0f, 300.0f, 200.0f});
    w.drawPresetMenu();
  };
  rig.step();
  const auto triangles = rig.harness.drawLog().find(DrawOp::FillTriangle);
  ASSERT_EQ(triangles.size(), 1u);
  const std::vector<ImVec2>& p = triangles[0]->points;
  EXPECT_GE(std::fabs(p[1].x - p[0].x), 5.0f * s);
  EXPECT_GT(p[2].y, p[0].y) << "it points down";
  for (const ui::DrawRecord* text : rig.harness.drawLog().find(DrawOp::Text))
    EXPECT_NE(text->text, "\u25BE") << "the fonts' triangle is a dot";
}

INSTANTIATE_TEST_SUITE_P(Scales, ParamWidgetAtScale, testing::Values(1.0f, 2.0f));

TEST(ParamWidget, ModulationOutsideTheMarksOrSlotsDrawsNothing) {
  test::FrameRig rig;
  LineWidget w;
  w.setSlots({slot(0, "tune", 0, 10), slot(1, "decay", 0, 10)});
  w.modMarks[0].hasEnv = 1;  // an envelope's sweep is not drawn
  w.modMarks[0].hasLive = 1;
  w.modMarks.resize(1);  // shorter than the slots
  ParamWidget::ModMarks all;
  all.hasLock = all.hasLfo = all.hasMacro = 1;
  rig.harness.frame([&] {
    ImDrawList* dl = ImGui::GetWindowDrawList();
    w.drawModulation(dl, 0);
    w.drawModulation(dl, 1);
    w.drawModulation(dl, -1);
    // Marks past the slots draw nothing either.
    LineWidget noSlots;
    noSlots.modMarks = {all};
    noSlots.drawModulation(dl, 0);
  });
  EXPECT_TRUE(rig.harness.drawLog().records().empty());
}

TEST(ParamWidget, TheHintNamesTheTitleAndEachLabelOnce) {
  LineWidget w;
  w.title = "AMP";
  w.setSlots({slot(0, "amp_attack", 0, 1), slot(1, "amp_decay", 0, 1), slot(2, "bleed", 0, 1),
              slot(3, "amp_decay", 0, 1), slot(4, "", 0, 1), slot(5, nullptr, 0, 1)});
  // By the names the owner gives them; one without a name by its key.
  w.slots[0].name = "Amp Attack";
  w.slots[1].name = w.slots[3].name = "Amp Decay";
  EXPECT_EQ(w.hint(), "AMP: Amp Attack / Amp Decay / bleed");
  w.title.clear();
  EXPECT_EQ(w.hint(), "Amp Attack / Amp Decay / bleed");
  w.title = "AMP";
  w.setSlots({});
  EXPECT_EQ(w.hint(), "AMP");
  w.title.clear();
  EXPECT_EQ(w.hint(), "");
}

TEST(ParamWidget, ThePresetsButtonOpensTheMenuAndAChoiceAppliesIt) {
  test::FrameRig rig;
  LineWidget w;
  Calls calls;
  w.onChange = test::recordInto(calls);
  w.title = "BODY";
  w.setSlots({slot(4, "tune", 0, 1)});
  w.setPresets({preset("Kick", "shell", {{4, 0.2f}}), preset("Tom", "shell", {{4, 0.7f}})});
  rig.body = [&] {
    w.drawFrame({100.0f, 100.0f, 300.0f, 120.0f});
    w.drawPresetMenu();
  };
  rig.step();
  // Copied: the log's records go with the next frame.
  const ui::ItemRecord* found = rig.harness.drawLog().findItem("presets");
  ASSERT_NE(found, nullptr);
  const ui::ItemRecord button = *found;
  // The rightmost cell of the title strip.
  EXPECT_FLOAT_EQ(button.hitArea.x + button.hitArea.width, 100.0f + 300.0f - 1.0f - 2.0f);
  EXPECT_FLOAT_EQ(button.hitArea.y, 102.0f);
  EXPECT_EQ(button.tooltip, "Presets for this panel");
  rig.clickAt(test::centreOf(button.hitArea));
  rig.steps(2);
  const ui::ItemRecord* item = rig.harness.drawLog().findItem("Tom");
  ASSERT_NE(item, nullptr) << "the menu did not open";
  // It hangs from the button's bottom-left corner.
  EXPECT_NEAR(item->hitArea.x, button.hitArea.x + 8.0f, 8.0f);
  EXPECT_GT(item->hitArea.y, button.hitArea.y + button.hitArea.height);
  rig.clickAt(test::centreOf(item->hitArea));
  EXPECT_EQ(calls, (Calls{{4, 0.7f}}));
  EXPECT_EQ(w.slots[0].value, 0.7f);
  rig.step();
  EXPECT_EQ(rig.harness.drawLog().findItem("Tom"), nullptr);
}

}  // namespace param_widget_test
}  // namespace orbi
