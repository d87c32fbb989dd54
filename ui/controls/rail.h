#pragma once
// The rail shared by the transport and the page rail: a pill-shaped panel
// holding pill buttons.

#include <imgui.h>

#include <cstdint>

#include "ui/geometry.h"

namespace orbi::ui {

// The panel: filled and outlined, its corners rounded by half its height.
void drawRailPanel(ImDrawList* dl, const Rect& rect);
std::uint32_t railBorderColour();
// Room between the panel's edge and its buttons, in pixels.
float railPadding();
// The panel's place in a row: at most the width and 32 design pixels high,
// centred vertically in the row.
Rect railRect(const Rect& rect, float width);

struct PillState {
  bool clicked = false;  // clicked while hovered
  bool hovered = false;
  bool held = false;
};

// A pill-shaped button over the rectangle, filled while selected, hovered
// or held; the caller draws its content in pillContentColour.
PillState pillButton(const char* id, const Rect& rect, bool selected, const char* tooltip);
std::uint32_t pillContentColour(PillState state, bool selected);

}  // namespace orbi::ui
