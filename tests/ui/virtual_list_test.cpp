// The virtual list: only rows in view are painted, wherever the list is
// scrolled; clicks select, a double-click selects on its first click and
// reports the row, right-clicks report theirs, and the row backgrounds
// follow the selection and the pointer.

#include "ui/controls/virtual_list.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "support/ui/ui_harness.h"
#include "tests/ui/rect_check.h"
#include "ui/draw/draw_log.h"
#include "ui/imgui_internals.h"

namespace orbi::ui {
namespace virtual_list_test {

constexpr ImGuiMouseButton kLeft = ImGuiMouseButton_Left;
constexpr ImGuiMouseButton kRight = ImGuiMouseButton_Right;

// A list of count rows of 20 design pixels in a 300 x 200 rect at (100, 50)
// (times the scale), run a frame at a time with what it reported and
// painted.
class ListRun {
 public:
  explicit ListRun(std::int32_t count, float displayScale = 1.0f)
      : harness_(displayScale), count_(count), scale_(displayScale) {
    const float s = displayScale;
    rect = {100 * s, 50 * s, 300 * s, 200 * s};
    harness_.frame();
  }

  UiHarness& harness() { return harness_; }

  ListResult step(std::int32_t reveal = -1) {
    painted.clear();
    harness_.frame([&] {
      result = virtualList(
          "list", rect, count_, selected, 20.0f,
          [&](ImDrawList*, const ListRow& row) { painted.push_back(row); }, reveal);
    });
    return result;
  }

  // The centre of row i while the list is not scrolled.
  ImVec2 rowCentre(std::int32_t i) const {
    const float h = 20.0f * scale_;
    return ImVec2(rect.x + 50.0f, rect.y + (static_cast<float>(i) + 0.5f) * h);
  }

  // Hovers, presses and releases the button over the point; the results
  // of the press and the release frames.
  std::pair<ListResult, ListResult> click(ImVec2 at, ImGuiMouseButton button = kLeft) {
    harness_.movePointer(at);
    step();
    harness_.setButton(button, true);
    const ListResult down = step();
    harness_.setButton(button, false);
    const ListResult up = step();
    return {down, up};
  }

  Rect rect;
  std::int32_t selected = -1;
  ListResult result;
  std::vector<ListRow> painted;

 private:
  UiHarness harness_;
  std::int32_t count_;
  float scale_;
};

void expectNothingReported(const ListResult& r) {
  EXPECT_FALSE(r.selectionChanged);
  EXPECT_EQ(r.doubleClicked, -1);
  EXPECT_EQ(r.rightClicked, -1);
}

// The painted rows are consecutive, each lies at least partly in the rect,
// and together they cover it from top to bottom.
void expectOnlyRowsInView(const ListRun& list, float rowHeight) {
  ASSERT_FALSE(list.painted.empty());
  const float top = list.rect.y, bottom = list.rect.y + list.rect.height;
  for (std::size_t k = 0; k < list.painted.size(); ++k) {
    const ListRow& row = list.painted[k];
    SCOPED_TRACE(row.index);
    EXPECT_EQ(row.index, list.painted.front().index + static_cast<std::int32_t>(k));
    EXPECT_FLOAT_EQ(row.rect.height, rowHeight);
    EXPECT_LT(row.rect.y, bottom);
    EXPECT_GT(row.rect.y + row.rect.height, top);
  }
  EXPECT_LE(list.painted.front().rect.y, top);
  EXPECT_GE(list.painted.back().rect.y + rowHeight, bottom);
}

class LongList : public testing::TestWithParam<float> {};

TEST_P(LongList, PaintsOnlyTheRowsInViewWhereverItIsScrolled) {
  const float s = GetParam();
  ListRun list(10000, s);
  list.step();
  list.step();
  expectOnlyRowsInView(list, 20.0f * s);
  EXPECT_EQ(list.painted.front().index, 0);
  EXPECT_FLOAT_EQ(list.painted.front().rect.x, list.rect.x);
  EXPECT_FLOAT_EQ(list.painted.front().rect.y, list.rect.y);
  // The scroll bar of a long list takes its width from the rows.
  EXPECT_FLOAT_EQ(list.painted.front().rect.width, list.rect.width - ImGui::GetStyle().ScrollbarSize);

  list.harness().movePointer(list.rowCentre(3));
  std::int32_t firstBefore = 0;
  for (int i = 0; i < 5; ++i) {
    list.harness().scrollWheel(-3.0f);
    list.step();
    list.step();
    SCOPED_TRACE(i);
    expectOnlyRowsInView(list, 20.0f * s);
    EXPECT_GT(list.painted.front().index, firstBefore);
    firstBefore = list.painted.front().index;
  }
  // The far end: the last row sits at the bottom of the view.
  list.harness().scrollWheel(-100000.0f);
  list.step();
  list.step();
  EXPECT_EQ(list.painted.back().index, 9999);
  EXPECT_FLOAT_EQ(list.painted.back().rect.y + 20.0f * s, list.rect.y + list.rect.height);
}

INSTANTIATE_TEST_SUITE_P(Scales, LongList, testing::Values(1.0f, 2.0f));

TEST(VirtualList, AClickOnAnotherRowSelectsIt) {
  ListRun list(30);
  list.selected = 2;
  const auto [down, up] = list.click(list.rowCentre(5));
  expectNothingReported(down);
  EXPECT_TRUE(up.selectionChanged);
  EXPECT_EQ(up.doubleClicked, -1);
  EXPECT_EQ(list.selected, 5);
  // The row is painted selected in the frame that selected it.
  bool paintedSelected = false;
  for (const ListRow& row : list.painted)
    if (row.index == 5) paintedSelected = row.selected;
  EXPECT_TRUE(paintedSelected);
  expectNothingReported(list.step());
}

TEST(VirtualList, ClickingTheSelectedRowChangesNothing) {
  ListRun list(30);
  list.selected = 4;
  const auto [down, up] = list.click(list.rowCentre(4));
  expectNothingReported(down);
  expectNothingReported(up);
  EXPECT_EQ(list.selected, 4);
}

TEST(VirtualList, ADoubleClickSelectsOnItsFirstClickAndReportsTheRow) {
  ListRun list(30);
  const auto [firstDown, firstUp] = list.click(list.rowCentre(7));
  EXPECT_TRUE(firstUp.selectionChanged);
  EXPECT_EQ(firstUp.doubleClicked, -1);
  EXPECT_EQ(list.selected, 7);
  const auto [secondDown, secondUp] = list.click(list.rowCentre(7));
  EXPECT_EQ(secondDown.doubleClicked, 7);
  EXPECT_FALSE(secondDown.selectionChanged);
  expectNothingReported(secondUp);
  EXPECT_EQ(list.selected, 7);
}

TEST(VirtualList, ARightClickReportsItsRowWithoutSelecting) {
  ListRun list(30);
  list.selected = 1;
  const auto [down, up] = list.click(list.rowCentre(6), kRight);
  EXPECT_EQ(down.rightClicked, 6);
  EXPECT_FALSE(down.selectionChanged);
  expectNothingReported(up);
  EXPECT_EQ(list.selected, 1);
}

TEST(VirtualList, APressThatDragsSelectsNothing) {
  ListRun list(30);
  list.harness().movePointer(list.rowCentre(3));
  list.step();
  list.harness().setButton(kLeft, true);
  list.step();
  list.harness().movePointer(list.rowCentre(4));
  list.step();
  list.harness().movePointer(list.rowCentre(3));
  list.step();
  list.harness().setButton(kLeft, false);
  expectNothingReported(list.step());
  EXPECT_EQ(list.selected, -1);
}

TEST(VirtualList, BackgroundsShowTheSelectionAndThePointer) {
  ListRun list(30);
  list.selected = 2;
  list.harness().movePointer(list.rowCentre(4));
  list.step();
  list.step();
  std::vector<const DrawRecord*> fills = list.harness().drawLog().find(DrawOp::FillRect);
  ASSERT_EQ(fills.size(), 3u);
  const ListRow& selectedRow = list.painted[2];
  const ListRow& hoveredRow = list.painted[4];
  EXPECT_TRUE(selectedRow.selected);
  EXPECT_FALSE(selectedRow.hovered);
  EXPECT_TRUE(hoveredRow.hovered);
  EXPECT_FALSE(hoveredRow.selected);
  EXPECT_EQ(fills[0]->colour, 0x732D3D20u);
  test::expectRect(fills[0]->rect, selectedRow.rect);
  EXPECT_EQ(fills[1]->colour, 0xFF8DC63Fu);
  test::expectRect(fills[1]->rect, {selectedRow.rect.x, selectedRow.rect.y, 3.0f, selectedRow.rect.height});
  EXPECT_EQ(fills[2]->colour, 0x802F4121u);
  test::expectRect(fills[2]->rect, hoveredRow.rect);
  for (const DrawRecord* fill : fills) EXPECT_EQ(fill->radius, 0.0f);
}

TEST(VirtualList, WithNoRowsDrawsAnEmptyRegionAndReportsNothing) {
  ListRun list(0);
  int childrenAdded = -1;
  int painterCalls = 0;
  list.harness().frame([&] {
    const int before = ImGui::GetCurrentWindow()->DC.ChildWindows.Size;
    std::int32_t selected = -1;
    expectNothingReported(virtualList("empty", list.rect, 0, selected, 20.0f,
                                      [&](ImDrawList*, const ListRow&) { ++painterCalls; }));
    childrenAdded = ImGui::GetCurrentWindow()->DC.ChildWindows.Size - before;
    EXPECT_EQ(selected, -1);
  });
  EXPECT_EQ(childrenAdded, 1);
  EXPECT_EQ(painterCalls, 0);
}

TEST(VirtualList, RowsOfNoHeightAreOnePixelHigh) {
  UiHarness harness;
  std::vector<ListRow> rows;
  for (const float height : {0.0f, -5.0f}) {
    rows.clear();
    harness.frame([&] {
      std::int32_t selected = -1;
      virtualList("flat", {0, 0, 100, 10}, 100, selected, height,
                  [&](ImDrawList*, const ListRow& row) { rows.push_back(row); });
    });
    ASSERT_FALSE(rows.empty()) << height;
    EXPECT_LE(rows.size(), 12u);
    EXPECT_EQ(rows.front().rect.height, 1.0f);
  }
}

TEST(VirtualList, APainterThatThrowsLeavesTheWindowAndStyleAsTheyWere) {
  UiHarness harness;
  harness.frame([] {
    ImGuiWindow* root = ImGui::GetCurrentWindow();
    const ImVec2 spacing = ImGui::GetStyle().ItemSpacing;
    std::int32_t selected = -1;
    EXPECT_THROW(virtualList("list", {0, 0, 100, 100}, 10, selected, 20.0f,
                             [](ImDrawList*, const ListRow&) { throw std::runtime_error("painter"); }),
                 std::runtime_error);
    EXPECT_EQ(ImGui::GetCurrentWindow(), root);
    EXPECT_EQ(ImGui::GetStyle().ItemSpacing.x, spacing.x);
    EXPECT_EQ(ImGui::GetStyle().ItemSpacing.y, spacing.y);
  });
  harness.frame();  // Dear ImGui starts the next frame without complaint
}

// A row asked to be revealed is scrolled into the middle of the view on
// the next frame; one already in view leaves the scroll where it is.
TEST(VirtualList, ARevealedRowComesIntoView) {
  ListRun run(100);
  run.step(60);
  run.step();
  const auto shows = [&](std::int32_t index) {
    for (const ListRow& row : run.painted)
      if (row.index == index)
        return row.rect.y >= run.rect.y && row.rect.y + row.rect.height <= run.rect.y + run.rect.height;
    return false;
  };
  EXPECT_TRUE(shows(60));
  EXPECT_FALSE(shows(0));
  const float before = run.painted.front().rect.y;
  const std::int32_t first = run.painted.front().index;
  run.step(first + 2);
  run.step();
  EXPECT_EQ(run.painted.front().index, first);
  EXPECT_EQ(run.painted.front().rect.y, before);
}

}  // namespace virtual_list_test
}  // namespace orbi::ui
