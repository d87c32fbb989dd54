#pragma once
// What the five stage tiles of the chain strip share: their common members,
// the decoding of a frame's interaction into one gesture, the plot area,
// the title, the hover label, handles, curves and pills. A tile holds a
// copy of its stage's values, written by the bench controller before each
// frame; every change leaves through a callback, each tested before it is
// called. Main thread, inside the editor's frame.

#include <imgui.h>

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "editor/widgets/number_entry.h"
#include "ui/draw/draw_log.h"
#include "ui/geometry.h"
#include "ui/interact/interaction.h"
#include "ui/theme/palette.h"

namespace orbi {

namespace tilecolour {
inline constexpr std::uint32_t kMuted = ui::palette::kMuted;   // title, pill word
inline constexpr std::uint32_t kLight = ui::palette::kLight;   // hover label, cold handle
inline constexpr std::uint32_t kCurve = ui::palette::kAccent;  // curve stroke, hot handle
inline constexpr std::uint32_t kFill =
    ui::palette::withAlphaByte(ui::palette::kAccent, 0x29);  // under the transient and amp curves
inline constexpr std::uint32_t kFilterFill = ui::palette::withAlphaByte(ui::palette::kAccent, 0x24);
inline constexpr std::uint32_t kPill = ui::palette::kTrackFill;
inline constexpr std::uint32_t kDashed =
    ui::palette::withAlphaByte(ui::palette::kMuted, 0x40);  // reference lines
}  // namespace tilecolour

// What a frame's interaction asks of a tile; at most one per frame.
enum class TileGesture : std::uint8_t {
  None,
  RightClick,   // on the current pointer, with the live Shift
  Press,        // the left button went down on the tile
  SecondClick,  // the second press of a double-click: only pills take it,
                // as a click of its own; it grabs nothing
  Drag,         // held on a grabbed target, and the pointer moved this frame
  Release,
};

float distance(ImVec2 a, ImVec2 b);
// The index of the point nearest to p among those closer than reach, ties
// going to the lower index; -1 when none is.
int nearestWithin(std::span<const ImVec2> points, ImVec2 p, float reach);

class StageTileFrame {
 public:
  StageTileFrame() = default;
  // The entry's callback points back into the tile.
  StageTileFrame(const StageTileFrame&) = delete;
  StageTileFrame& operator=(const StageTileFrame&) = delete;

  // The plot area of the current rect.
  ui::Rect plotRect() const;

  std::function<void()> onGestureEnd;
  ui::Rect rect;  // of the last draw
  std::string tooltipText;
  NumberEntry entry;

 protected:
  int dragTarget_ = -1;   // the handle or area being dragged
  int hoverTarget_ = -1;  // the handle drawn hot this frame

  // Pushes the tile's id scope, stores the rect and the help text, and
  // registers the tile's interaction.
  ui::Interaction begin(const char* word, const ui::Rect& r, const char* help, ImGuiMouseCursor cursor);
  // The gesture of this frame. A drag is sent only in frames in which the
  // pointer moved: a press alone changes nothing.
  TileGesture gesture(const ui::Interaction& it);
  // The press took the target, whose handle is at the point and sweeps its
  // ranges over span pixels sideways and up and down: a drag moves the
  // handle from where it was, as far as the pointer moves, or slower over a
  // span shorter than the least sweep; the value never jumps to the press
  // point.
  void grab(int target, ImVec2 handle, ImVec2 span);
  // Where the grabbed handle is dragged to: its place at the press moved
  // by the drag so far.
  ImVec2 dragPoint(const ui::Interaction& it) const;
  // Whether a press at the point lies on the handle drawn there: it then
  // takes the handle before any pill.
  static bool onHandle(ImVec2 press, ImVec2 handle);
  // Counts the gesture as one that changed something.
  void markChanged() { changed_ = true; }
  // Stores next in the field when it differs, and then counts the gesture
  // as one that changed something; true when it did.
  template <class T>
  bool changes(T& field, T next) {
    if (next == field) return false;
    field = next;
    changed_ = true;
    return true;
  }
  static ImVec2 pointer() { return ImGui::GetIO().MousePos; }
  static bool shiftHeld() { return ImGui::GetIO().KeyShift; }
  void gestureEnded() const {
    if (onGestureEnd) onGestureEnd();
  }
  // The release: a grabbed drag that changed something ends the gesture.
  void release();
  // hoverTarget_ from the dragged target, else the hit under the pointer.
  void updateHover(const ui::Interaction& it, int hitUnderPointer);
  // The entry, then the scope is popped.
  void end();
  // A pill in the title row ends the row for the hover label.
  void reserveHeaderFrom(float x) { headerRight_ = std::min(headerRight_, x); }

  // Painting, in the tile's colours.
  void drawTitle(ImDrawList* dl, std::string_view title) const;
  void drawHoverLabel(ImDrawList* dl, std::string_view text) const;
  // A handle, logged under its name for tests.
  void drawHandle(ImDrawList* dl, ImVec2 at, int index, std::string_view name, ui::HandleAxes axes) const;
  static void drawCurve(ImDrawList* dl, std::span<const ImVec2> points, float baseline, std::uint32_t fill);
  static void drawPill(ImDrawList* dl, const ui::Rect& pill, std::string_view word,
                       std::uint32_t fill = tilecolour::kPill, std::uint32_t text = tilecolour::kMuted);

 private:
  float headerRight_ = 0.0f;  // where the title row ends, before a pill in it
  ImVec2 handleAtPress_;      // where the grabbed handle was
  ImVec2 handleSpan_;         // the pixels over which its drags sweep their ranges
  bool changed_ = false;      // the drag since the press has sent a new value
};

// "+35" style: a sign, then the value with no decimals, in the C locale.
std::string signedWhole(float v);

}  // namespace orbi
