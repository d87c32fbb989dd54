// The parameter drawer and its fader rows: layout, value text, the locked
// row's marks, drags, typing and the callbacks that rebuild the drawer
// while it draws.
#include "editor/widgets/param_drawer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "tests/editor/widgets/entry_rig.h"
#include "ui/context.h"
#include "ui/draw/draw_log.h"
#include "ui/draw/text.h"

namespace orbi {
namespace param_drawer_test {

using test::Calls;
using ui::DrawOp;

ParamDrawer::Row row(int index, std::string label, float displayLo = 0.0f, float displayHi = 1.0f) {
  ParamDrawer::Row r;
  r.index = index;
  r.label = std::move(label);
  r.displayLo = displayLo;
  r.displayHi = displayHi;
  r.continuous = 1;
  return r;
}

// What the bench controller does before a frame: row i into fader i, the
// rest empty.
void loadFaders(ParamDrawer& drawer) {
  for (std::size_t i = 0; i < drawer.faders.size(); ++i) {
    SlotFader& f = drawer.faders[i];
    const ParamDrawer::Row r = i < drawer.rows.size() ? drawer.rows[i] : ParamDrawer::Row{};
    f.id = r.index;
    f.label = r.label;
    f.unit = r.unit;
    f.paramLo = r.paramLo;
    f.paramHi = r.paramHi;
    f.displayLo = r.displayLo;
    f.displayHi = r.displayHi;
    f.value = r.value;
    f.base = r.base;
    f.locked = r.locked;
  }
}

class DrawerRig : public test::FrameRig {
 public:
  explicit DrawerRig(float s = 1.0f) : FrameRig(s) {
    drawer.onChange = test::recordInto(calls);
    body = [this] { drawer.draw(area); };
  }
  ParamDrawer drawer;
  ui::Rect area{100.0f, 100.0f, 400.0f, 300.0f};
  Calls calls;
};

// A lone fader drawn into a fixed row.
class FaderRig : public test::FrameRig {
 public:
  explicit FaderRig(float s = 1.0f) : FrameRig(s) {
    fader.change = test::recordInto(calls);
    fader.id = 12;
    fader.label = "hit level";
    body = [this] { fader.draw(rowRect); };
  }
  const ui::DrawRecord* fill(std::uint32_t colour) const {
    for (const ui::DrawRecord* r : harness.drawLog().find(DrawOp::FillRect))
      if (r->colour == colour) return r;
    return nullptr;
  }
  SlotFader fader;
  ui::Rect rowRect{100.0f, 200.0f, 300.0f, 16.0f};
  Calls calls;
};

TEST(ParamDrawer, TwentyRowsDrawSixteenFaders) {
  DrawerRig rig;
  for (int i = 0; i < 20; ++i) rig.drawer.rows.push_back(row(i, test::numbered("p", i)));
  loadFaders(rig.drawer);
  rig.step();
  const auto rows = rig.itemAreas("row");
  ASSERT_EQ(rows.size(), 16u);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_FLOAT_EQ(rows[i].y, 100.0f + 16.0f * static_cast<float>(i));
    EXPECT_FLOAT_EQ(rows[i].width, 400.0f);
  }
}

class ParamDrawerAtScale : public testing::TestWithParam<float> {};

// A band too low for every row shows whole rows and says so at its right
// end: which rows of how many, and how to reach the others. The wheel over
// it moves by a row a notch; a click on the readout shows the next rows.
TEST_P(ParamDrawerAtScale, ABandTooLowForItsRowsShowsWholeRowsAndSaysSo) {
  const float s = GetParam();
  const auto bottom = [](const ui::Rect& r) { return r.y + r.height; };
  // The rows drawn this frame, in order.
  const auto drawn = [](DrawerRig& rig) {
    std::vector<int> out;
    for (int i = 0; i < 4; ++i)
      if (rig.harness.drawLog().findHandle(&rig.drawer.faders[i], "p" + std::to_string(i))) out.push_back(i);
    return out;
  };
  const auto readout = [](DrawerRig& rig) {
    for (const ui::DrawRecord* r : rig.harness.drawLog().find(DrawOp::Text))
      if (r->text.find(" of 4") != std::string::npos) return r->text;
    return std::string();
  };
  // The readout's arrow, drawn after its words and right of them, big
  // enough to read as an arrow: +1 pointing down, -1 up, 0 none.
  const auto arrow = [s](DrawerRig& rig) {
    const auto records = rig.harness.drawLog().records();
    const auto words = std::find_if(records.begin(), records.end(), [](const ui::DrawRecord& r) {
      return r.op == DrawOp::Text && r.text.find(" of 4") != std::string::npos;
    });
    if (words == records.end()) return 0;
    const ui::Rect ink = ui::textInk(words->rect, words->text, words->style, words->alignment);
    for (auto r = words; r != records.end(); ++r) {
      if (r->op != DrawOp::FillTriangle) continue;
      const ImVec2 a = r->points[0], b = r->points[1], apex = r->points[2];
      EXPECT_GE(std::min(a.x, apex.x), ink.x + ink.width) << "the arrow lies on the words";
      EXPECT_GE(std::fabs(b.x - a.x), 3.0f * s) << "a dot, not an arrow";
      return apex.y > a.y ? 1 : -1;
    }
    return 0;
  };
  for (const float height : {64.0f, 40.0f}) {
    SCOPED_TRACE(height);
    DrawerRig rig(s);
    rig.area = {10.0f, 20.0f, 300.0f * s, height * s};
    for (int i = 0; i < 4; ++i) rig.drawer.rows.push_back(row(i, "p" + std::to_string(i)));
    loadFaders(rig.drawer);
    rig.step();
    if (height >= 64.0f) {
      EXPECT_EQ(drawn(rig), (std::vector<int>{0, 1, 2, 3}));
      for (int i = 0; i < 4; ++i) {
        const ui::Rect& r = rig.drawer.faders[i].rect;
        EXPECT_FLOAT_EQ(r.height, 16.0f * s);
        EXPECT_FLOAT_EQ(r.y, 20.0f + 16.0f * s * static_cast<float>(i));
        EXPECT_FLOAT_EQ(r.width, rig.area.width);
      }
      EXPECT_EQ(readout(rig), "");
      EXPECT_EQ(arrow(rig), 0);
      continue;
    }
    EXPECT_EQ(drawn(rig), (std::vector<int>{0, 1}));
    EXPECT_EQ(readout(rig), "1\u20132 of 4 \u00B7 scroll");
    EXPECT_EQ(arrow(rig), 1) << "more rows below";
    for (const int i : {0, 1}) {
      const ui::Rect& r = rig.drawer.faders[i].rect;
      EXPECT_FLOAT_EQ(r.height, 16.0f * s);
      EXPECT_LT(r.width, rig.area.width);  // the readout takes the right end
      EXPECT_LE(bottom(r), bottom(rig.area) + 1e-3f);
    }
    // The wheel over the band, a notch a row, no further than the last.
    rig.harness.movePointer({rig.area.x + rig.area.width / 4.0f, rig.area.y + rig.area.height / 2.0f});
    rig.step();
    rig.harness.scrollWheel(-1.0f);
    rig.step();
    EXPECT_EQ(drawn(rig), (std::vector<int>{1, 2}));
    rig.harness.scrollWheel(-5.0f);
    rig.step();
    EXPECT_EQ(drawn(rig), (std::vector<int>{2, 3}));
    EXPECT_EQ(readout(rig), "3\u20134 of 4 \u00B7 scroll");
    EXPECT_EQ(arrow(rig), -1) << "a click goes back up to the first rows";
    EXPECT_LE(bottom(rig.drawer.faders[3].rect), bottom(rig.area) + 1e-3f);
    // A click on the readout after the last rows shows the first again.
    const auto texts = rig.harness.drawLog().find(DrawOp::Text);
    const auto at = std::find_if(texts.begin(), texts.end(), [](const ui::DrawRecord* r) {
      return r->text.find(" of 4") != std::string::npos;
    });
    ASSERT_NE(at, texts.end());
    rig.clickAt({(*at)->rect.x + (*at)->rect.width / 2.0f, (*at)->rect.y + (*at)->rect.height / 2.0f});
    rig.step();
    EXPECT_EQ(drawn(rig), (std::vector<int>{0, 1}));
    // Another sound's rows start from the top.
    rig.harness.scrollWheel(-1.0f);
    rig.step();
    rig.drawer.rows[0].index = 40;
    loadFaders(rig.drawer);
    rig.step();
    EXPECT_EQ(drawn(rig).front(), 0);
  }
}

// A band too low for its rows but wide enough for more than one column
// shows them all side by side, top to bottom, then left to right; each row
// takes its drags in its own column. Too narrow for two columns, it
// scrolls.
TEST_P(ParamDrawerAtScale, ALowWideBandShowsEveryRowInColumns) {
  const float s = GetParam();
  const auto drawn = [](DrawerRig& rig, int count) {
    std::vector<int> out;
    for (int i = 0; i < count; ++i)
      if (rig.harness.drawLog().findHandle(&rig.drawer.faders[i], "p" + std::to_string(i))) out.push_back(i);
    return out;
  };
  const auto scrolls = [](DrawerRig& rig) {
    for (const ui::DrawRecord* r : rig.harness.drawLog().find(DrawOp::Text))
      if (r->text.find("scroll") != std::string::npos) return true;
    return false;
  };
  struct Case {
    int rows;
    float lines;  // the band's height in rows
    float width;
    int columns;  // 1: it scrolls
  };
  DrawerRig rig(s);
  for (const Case c : {Case{2, 1.0f, 900.0f, 2}, Case{5, 2.5f, 900.0f, 3}, Case{5, 2.0f, 520.0f, 1},
                       Case{2, 1.0f, 400.0f, 1}, Case{9, 1.0f, 900.0f, 1}}) {
    SCOPED_TRACE(::testing::Message() << c.rows << " rows in " << c.lines << " x " << c.width);
    rig.area = {10.0f, 20.0f, c.width * s, c.lines * 16.0f * s};
    rig.drawer.rows.clear();
    for (int i = 0; i < c.rows; ++i) rig.drawer.rows.push_back(row(i, "p" + std::to_string(i)));
    loadFaders(rig.drawer);
    rig.calls.clear();
    rig.step();
    EXPECT_EQ(ParamDrawer::columnsFor(rig.area, c.rows, s), c.columns);
    EXPECT_EQ(scrolls(rig), c.columns == 1);
    if (c.columns == 1) continue;
    std::vector<int> all(static_cast<std::size_t>(c.rows));
    for (int i = 0; i < c.rows; ++i) all[static_cast<std::size_t>(i)] = i;
    EXPECT_EQ(drawn(rig, c.rows), all);
    const int perColumn = (c.rows + c.columns - 1) / c.columns;
    for (int i = 0; i < c.rows; ++i) {
      const ui::Rect& r = rig.drawer.faders[i].rect;
      EXPECT_FLOAT_EQ(r.height, 16.0f * s);
      EXPECT_GE(r.x, rig.area.x);
      EXPECT_LE(r.x + r.width, rig.area.x + rig.area.width + 1e-3f);
      EXPECT_LE(r.y + r.height, rig.area.y + rig.area.height + 1e-3f);
      if (i % perColumn != 0) {
        const ui::Rect& above = rig.drawer.faders[i - 1].rect;
        EXPECT_FLOAT_EQ(r.x, above.x);
        EXPECT_FLOAT_EQ(r.y, above.y + above.height);
      } else if (i > 0) {
        const ui::Rect& before = rig.drawer.faders[i - perColumn].rect;
        EXPECT_FLOAT_EQ(r.y, rig.area.y);
        EXPECT_GT(r.x, before.x + before.width);
      }
    }
    // A far drag on the last row sends its top.
    const ui::Rect last = rig.drawer.faders[c.rows - 1].rect;
    const SlotFader& fader = rig.drawer.faders[c.rows - 1];
    rig.harness.movePointer(test::centreOf(last));
    rig.step();
    rig.harness.setButton(ImGuiMouseButton_Left, true);
    rig.step();
    rig.harness.movePointer({last.x + last.width + 600.0f * s, last.y + last.height / 2.0f});
    rig.step();
    rig.harness.setButton(ImGuiMouseButton_Left, false);
    rig.step();
    ASSERT_FALSE(rig.calls.empty());
    EXPECT_EQ(rig.calls.back().first, c.rows - 1);
    EXPECT_NEAR(rig.calls.back().second, fader.paramHi, 0.02f);
  }
}

TEST_P(ParamDrawerAtScale, TheRowsColumnsAndTrack) {
  const float s = GetParam();
  FaderRig rig(s);
  rig.rowRect = {50.0f, 80.0f, 400.0f * s, 16.0f * s};
  rig.fader.value = 0.25f;
  rig.step();
  const auto texts = rig.harness.drawLog().find(DrawOp::Text);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0]->text, "hit level");
  EXPECT_FLOAT_EQ(texts[0]->rect.width, 78.0f * s);
  EXPECT_EQ(texts[0]->style, ui::TextStyle::Small);
  EXPECT_EQ(texts[0]->colour, 0xFF8A8870u);
  EXPECT_EQ(texts[1]->text, "0.250");
  EXPECT_FLOAT_EQ(texts[1]->rect.x, 50.0f + 400.0f * s - 62.0f * s);
  EXPECT_EQ(texts[1]->style, ui::TextStyle::MonoValue);
  EXPECT_EQ(texts[1]->alignment, ui::TextAlign::Right);
  const ui::DrawRecord* track = rig.fill(0xFF202C19);
  ASSERT_NE(track, nullptr);
  EXPECT_FLOAT_EQ(track->rect.x, 50.0f + 84.0f * s);
  EXPECT_FLOAT_EQ(track->rect.width, (400.0f - 78.0f - 62.0f - 12.0f) * s);
  EXPECT_FLOAT_EQ(track->rect.height, 5.0f * s);
  EXPECT_FLOAT_EQ(track->rect.y, 80.0f + 5.5f * s);
  EXPECT_EQ(track->radius, 2.5f);
  const ui::DrawRecord* fill = rig.fill(0xBF8DC63F);
  ASSERT_NE(fill, nullptr);
  EXPECT_FLOAT_EQ(fill->rect.width, track->rect.width * 0.25f);
  const ui::DrawRecord* knob = rig.fill(0xFF8DC63F);
  ASSERT_NE(knob, nullptr);
  EXPECT_FLOAT_EQ(knob->rect.x + knob->rect.width / 2.0f, track->rect.x + track->rect.width * 0.25f);
  EXPECT_FLOAT_EQ(knob->rect.width, 4.0f * s);
  EXPECT_FLOAT_EQ(knob->rect.height, 11.0f * s);
}

INSTANTIATE_TEST_SUITE_P(Scales, ParamDrawerAtScale, testing::Values(1.0f, 2.0f));

TEST(SlotFader, ValueTextShowsTheDisplayRangeWithItsDecimals) {
  struct Case {
    float displayLo, displayHi;
    const char* unit;
    const char* text;
  };
  SlotFader f;
  f.paramLo = 10.0f;
  f.paramHi = 30.0f;
  f.value = 15.0f;  // a quarter of the way
  for (const Case& c : {Case{0, 100, "%", "25 %"}, Case{0, 4.99f, "", "1.247"},
                        Case{-10, 10, "st", "-5.0 st"}, Case{100, 0, "", "75"}, Case{2, 2, "", "2.000"}}) {
    SCOPED_TRACE(c.text);
    f.displayLo = c.displayLo;
    f.displayHi = c.displayHi;
    f.unit = c.unit;
    EXPECT_EQ(f.valueText(), c.text);
  }
  f.displayLo = 0.0f;
  f.displayHi = 100.0f;
  f.unit.clear();
  f.value = 99.0f;  // past the parameter range
  EXPECT_EQ(f.valueText(), "100");
}

TEST(SlotFader, ALockedRowAtItsBaseShowsOnlyTheTickAndTheBrightKnob) {
  FaderRig rig;
  rig.fader.locked = 1;
  rig.fader.value = rig.fader.base = 0.5f;
  rig.step();
  EXPECT_EQ(rig.fill(0x4DA4D165), nullptr);
  EXPECT_EQ(rig.fill(0xBF8DC63F), nullptr);
  const ui::DrawRecord* tick = rig.fill(0x8C8A8870);
  const ui::DrawRecord* knob = rig.fill(0xFFA4D165);
  ASSERT_NE(tick, nullptr);
  ASSERT_NE(knob, nullptr);
  EXPECT_FLOAT_EQ(tick->rect.width, 1.0f);
  EXPECT_FLOAT_EQ(tick->rect.x + 0.5f, knob->rect.x + 2.0f);
  EXPECT_EQ(rig.fader.tooltip, "hit level - locked to this hit - right-click to type");

  // Apart, a band joins them.
  rig.fader.base = 0.2f;
  rig.step();
  const ui::DrawRecord* band = rig.fill(0x4DA4D165);
  const ui::DrawRecord* baseTick = rig.fill(0x8C8A8870);
  const ui::DrawRecord* valueKnob = rig.fill(0xFFA4D165);
  ASSERT_NE(band, nullptr);
  ASSERT_NE(baseTick, nullptr);
  ASSERT_NE(valueKnob, nullptr);
  EXPECT_FLOAT_EQ(band->rect.x, baseTick->rect.x + 0.5f);
  EXPECT_FLOAT_EQ(band->rect.x + band->rect.width, valueKnob->rect.x + 2.0f);
}

TEST(SlotFader, APressSendsNothingAndADragMovesTheKnobFromWhereItWas) {
  FaderRig rig;
  rig.fader.paramLo = -1.0f;
  rig.fader.paramHi = 1.0f;
  rig.fader.value = 0.5f;  // the knob three quarters along
  // The track runs from 100 + 84 over 300 - 152 pixels.
  const float trackX = 184.0f, trackWidth = 148.0f;
  rig.harness.movePointer(ImVec2(trackX + trackWidth * 0.25f, 208.0f));
  rig.step();
  rig.harness.setButton(ImGuiMouseButton_Left, true);
  rig.step();
  rig.step();
  EXPECT_TRUE(rig.calls.empty());
  // Moved: the value at the press moved as far as the pointer, kept within
  // the range, even off the row; vertical movement alone sends nothing.
  rig.harness.movePointer(ImVec2(trackX, 260.0f));  // a quarter of the track left
  rig.step();
  rig.harness.movePointer(ImVec2(20.0f, 260.0f));
  rig.step();
  rig.harness.movePointer(ImVec2(20.0f, 300.0f));
  rig.step();
  rig.harness.setButton(ImGuiMouseButton_Left, false);
  rig.step();
  EXPECT_EQ(rig.calls, (Calls{{12, 0.0f}, {12, -1.0f}}));
}

TEST(SlotFader, ARightClickTypesInDisplayUnits) {
  FaderRig rig;
  rig.fader.paramLo = 0.0f;
  rig.fader.paramHi = 2.0f;
  rig.fader.displayLo = 0.0f;
  rig.fader.displayHi = 200.0f;
  rig.fader.unit = "ms";
  rig.fader.value = 0.5f;
  rig.clickAt(ImVec2(150.0f, 208.0f), ImGuiMouseButton_Right);
  EXPECT_EQ(rig.fader.entry.openId(), 12);
  EXPECT_STREQ(rig.harness.ui().numberEntryState().entryText, "50 ms");
  EXPECT_TRUE(rig.calls.empty());
  rig.step();
  rig.type("150");
  rig.pressKey(ui::Key::Enter);
  EXPECT_EQ(rig.calls, (Calls{{12, 1.5f}}));
  EXPECT_EQ(rig.fader.entry.openId(), -1);
}

// The box lies over the row it edits, its value at the right end, and
// leaves the rows above and below in sight.
TEST(ParamDrawer, TheTypedValueBoxCoversOnlyItsOwnRow) {
  for (const float s : {1.0f, 1.5f}) {
    SCOPED_TRACE(s);
    DrawerRig rig(s);
    rig.area = {100.0f * s, 100.0f * s, 400.0f * s, 300.0f * s};
    for (int i = 0; i < 6; ++i) rig.drawer.rows.push_back(row(i, test::numbered("p", i), 0.0f, 100.0f));
    loadFaders(rig.drawer);
    rig.step();
    const ui::Rect third = rig.itemAreas("row").at(2);
    rig.clickAt(ImVec2(third.x + 20.0f * s, third.y + third.height / 2.0f), ImGuiMouseButton_Right);
    rig.step();
    ui::ContextScope scope(rig.harness.ui());
    const ImGuiWindow* box = ImGui::FindWindowByName("##orbi.numberEntry");
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(box->Active);
    EXPECT_GE(box->Pos.y, third.y - 0.01f);
    EXPECT_LE(box->Pos.y + box->Size.y, third.y + third.height + 0.01f);
    EXPECT_GE(box->Pos.x, third.x);
    EXPECT_NEAR(box->Pos.x + box->Size.x, third.x + third.width, 0.01f);
  }
}

TEST(SlotFader, ATypedCommitIsKeptWithinTheRange) {
  SlotFader f;
  Calls calls;
  f.change = test::recordInto(calls);
  f.paramLo = 100.0f;
  f.paramHi = 200.0f;
  f.displayLo = 1.0f;
  f.displayHi = 0.0f;  // shown reversed
  f.commitTyped(3, 0.25f);
  f.commitTyped(3, 7.0f);
  f.displayHi = 1.0f;  // a single point
  f.commitTyped(4, 1.0f);
  EXPECT_EQ(calls, (Calls{{3, 175.0f}, {3, 100.0f}, {4, 100.0f}}));
}

TEST(SlotFader, ARowThatCannotBeTypedIgnoresRightClicks) {
  for (const bool typeable : {false, true}) {
    SCOPED_TRACE(typeable);
    FaderRig rig;
    rig.fader.typeable = typeable ? 1 : 0;
    // With a one-point display range nothing opens either.
    rig.fader.displayLo = rig.fader.displayHi = typeable ? 0.5f : 0.0f;
    rig.clickAt(ImVec2(150.0f, 208.0f), ImGuiMouseButton_Right);
    EXPECT_EQ(rig.fader.entry.openId(), -1);
    EXPECT_EQ(rig.harness.ui().numberEntryState().entryId, 0u);
    EXPECT_EQ(rig.fader.tooltip, typeable ? "hit level - the drum's own value - right-click to type"
                                          : "hit level - the drum's own value");
    EXPECT_TRUE(rig.calls.empty());
  }
}

TEST(SlotFader, RowsWithoutAnIdOrALabelAreNotDrawn) {
  FaderRig rig;
  rig.fader.id = -1;
  rig.step();
  EXPECT_TRUE(rig.harness.drawLog().records().empty());
  rig.fader.id = 3;
  rig.fader.label.clear();
  rig.step();
  EXPECT_TRUE(rig.harness.drawLog().records().empty());
  EXPECT_TRUE(rig.harness.drawLog().items().empty());
}

TEST(ParamDrawer, ARebuildInsideTheCallbackReplacesRowsAndFaders) {
  DrawerRig rig;
  for (int i = 0; i < 3; ++i)
    rig.drawer.rows.push_back(row(i, test::numbered("a rather long label to outlive small strings ", i)));
  loadFaders(rig.drawer);
  int rebuilds = 0;
  // As the bench controller does: every edit rebuilds the rows from the
  // project and copies them into the faders, while the fader still draws.
  rig.drawer.onChange = [&](int id, float v) {
    rig.calls.emplace_back(id, v);
    ++rebuilds;
    rig.drawer.rows.clear();
    rig.drawer.rows.push_back(
        row(id, test::numbered("rebuilt after an edit, long enough to live on the heap ", rebuilds)));
    loadFaders(rig.drawer);
    rig.drawer.faders[0].unit = "a unit long enough to need the heap as well";
  };
  rig.step();
  const auto rows = rig.itemAreas("row");
  ASSERT_EQ(rows.size(), 3u);
  rig.harness.movePointer(test::centreOf(rows[1]));
  rig.step();
  rig.harness.setButton(ImGuiMouseButton_Left, true);
  rig.step();
  rig.harness.movePointer(ImVec2(test::centreOf(rows[1]).x + 20.0f, test::centreOf(rows[1]).y));
  rig.step();
  rig.harness.setButton(ImGuiMouseButton_Left, false);
  rig.step();
  ASSERT_EQ(rig.calls.size(), 1u);
  EXPECT_EQ(rig.calls[0].first, 1);
  EXPECT_EQ(rig.itemAreas("row").size(), 1u);
  EXPECT_EQ(rig.drawer.faders[0].label, "rebuilt after an edit, long enough to live on the heap 1");
}

TEST(ParamDrawer, TypingIntoARowReachesOnChange) {
  DrawerRig rig;
  rig.drawer.rows = {row(5, "gain", 0.0f, 100.0f), row(9, "pan", -50.0f, 50.0f)};
  loadFaders(rig.drawer);
  rig.step();
  const auto rows = rig.itemAreas("row");
  ASSERT_EQ(rows.size(), 2u);
  rig.clickAt(test::centreOf(rows[1]), ImGuiMouseButton_Right);
  EXPECT_EQ(rig.drawer.faders[1].entry.openId(), 9);
  rig.step();
  rig.type("25");
  rig.pressKey(ui::Key::Enter);
  EXPECT_EQ(rig.calls, (Calls{{9, 0.75f}}));
  // Without onChange the faders report nothing and nothing breaks.
  rig.drawer.onChange = nullptr;
  rig.clickAt(test::centreOf(rows[0]));
  EXPECT_EQ(rig.calls.size(), 1u);
}

}  // namespace param_drawer_test
}  // namespace orbi
