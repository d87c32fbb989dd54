#pragma once
// The one input primitive under every control, handle and button: a caller
// describes a hit area and gets back, once per frame, what the left and
// right buttons, the wheel and the modifier keys did to it. The press state
// lives in the current Dear ImGui window's storage, keyed by the item, so
// callers keep none. Main thread, inside a frame with a current window.

#include <imgui.h>

#include <cstdint>

#include "ui/geometry.h"

namespace orbi::ui {

// The shape of a hit area.
enum class HitKind : std::uint32_t {
  Point,           // a square of +-reach around the point
  VerticalBand,    // +-reach around point.x, over the rect's vertical extent
  HorizontalBand,  // +-reach around point.y, over the rect's horizontal extent
  Rectangle,       // the rect itself, no reach; any other value acts as this
};

// Which movement a drag reports.
enum class DragAxis : std::uint32_t {
  Free,
  Horizontal,
  Vertical,
  FirstMovement,  // as given: the first movement past the threshold decides;
                  // as reported: not decided yet
};

// A cursor chosen by the hit kind: hand, east-west, north-south, arrow.
inline constexpr ImGuiMouseCursor kCursorByKind = -1;

struct InteractSpec {
  HitKind kind = HitKind::Point;
  ImVec2 point;
  Rect rect;
  float reach = 0.0f;  // design pixels, times the UI scale
  DragAxis axis = DragAxis::Free;
  ImGuiMouseCursor cursor = kCursorByKind;
  const char* tooltip = nullptr;  // not copied; null for none
};

struct Interaction {
  bool hovered = false;
  bool held = false;      // the left button went down here and is still down
  bool pressed = false;   // a press began this frame (not a double-click's second)
  bool released = false;  // the press ended this frame
  bool dragging = false;  // moved past the threshold since the press
  bool clicked = false;   // released this frame without having dragged
  bool doubleClicked = false;
  bool rightClicked = false;  // while hovered
  DragAxis axis = DragAxis::Free;
  ImVec2 delta;     // since the previous frame of this press, axis-locked
  ImVec2 total;     // since the press, axis-locked
  ImVec2 pressPos;  // where the left button last went down
  bool shiftAtPress = false;
  bool altAtPress = false;
  bool ctrlAtPress = false;
  float wheel = 0.0f;  // this frame's vertical wheel while hovered
};

// Registers the item under the id text (scoped by Dear ImGui's id stack)
// and reports what happened to it this frame. Once per frame per item, at
// its place in the drawing order. Sets the cursor while hovered or held and
// shows the tooltip while hovered and not held.
Interaction interact(const char* id, const InteractSpec& desc);

}  // namespace orbi::ui
