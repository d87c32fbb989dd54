#pragma once
// A scrolling list of many equal rows of which only the rows in view are
// drawn: the list paints each visible row's background (selection, hover)
// and hands the row to the caller's painter for its content. The selected
// index belongs to the caller; the list keeps only Dear ImGui's scroll
// position under its id.

#include <imgui.h>

#include <cstdint>
#include <functional>

#include "ui/geometry.h"

namespace orbi::ui {

struct ListRow {
  std::int32_t index = 0;
  Rect rect;
  bool selected = false;
  bool hovered = false;
};

struct ListResult {
  bool selectionChanged = false;
  std::int32_t doubleClicked = -1;  // the row double-clicked this frame, -1 for none
  std::int32_t rightClicked = -1;   // the row right-clicked this frame, -1 for none
};

using RowPainter = std::function<void(ImDrawList* dl, const ListRow& row)>;

// Runs the list over the rect in the current window, with count rows of
// rowHeight design pixels (at least one pixel each). A click on a row other
// than the selected one selects it. An empty painter draws backgrounds only.
// A row given to reveal (0 or more) is scrolled into the middle of the view
// from the next frame on when it is not in view.
ListResult virtualList(const char* id, const Rect& rect, std::int32_t count, std::int32_t& selected,
                       float rowHeight, const RowPainter& painter, std::int32_t reveal = -1);

}  // namespace orbi::ui
