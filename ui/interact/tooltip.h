#pragma once
// The framework's tooltip box: padded, rounded, the text in the default
// text style wrapped between words at 320 design pixels, or wider for a
// longer word. It is drawn at the end of the
// frame, beside the pointer, off the places the frame asked it to keep
// clear of: never over a value shown beside the handle the pointer is on,
// nor over that handle, and where it can over no other control or handle.

#include <imgui.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "ui/draw/text_style.h"
#include "ui/geometry.h"
#include "ui/layout/label_placer.h"

namespace orbi::ui {

// Shows the text near the pointer while the last item is hovered (also a
// disabled one) and the context's hover clock allows it; nothing for empty
// text. Inside a frame, after the item. The last call of a frame wins.
void tooltip(std::string_view text);

// How firmly this frame's tooltip keeps off a place.
enum class KeepClear : std::uint8_t {
  Always,      // what the tooltip is about: the handle under the pointer, its value
  WhereItCan,  // a small control or a handle: covered only where every place covers one
  Lightly,     // a large control (a picture, a row): covered before any small one
};

// Keeps this frame's tooltip off the rectangle. Inside a frame.
void keepTooltipClearOf(const Rect& r, KeepClear how = KeepClear::WhereItCan);
// The same for a control: where it can, a large one lightly; nothing when
// the pointer is on it, which is what the tooltip is about. Every item of
// interact asks this of itself. Inside a frame.
void keepTooltipClearOfControl(const Rect& r);

// A value shown beside a handle, drawn as drawText draws it; this frame's
// tooltip never covers it. Returns where its glyphs lie. Inside a frame.
Rect drawReadout(ImDrawList* dl, const Rect& box, std::string_view text, TextStyle style,
                 std::uint32_t colour, TextAlign alignment = TextAlign::Left);

// What this frame's tooltip keeps clear of so far: another box placed
// beside a point as a tooltip is keeps clear of it too. Inside a frame.
const LabelPlacer& tooltipKeepClear();

// The text as the tooltip box shows it, its lines joined by line feeds:
// each of the text's own lines broken between words only, at `wrap`
// pixels, or at a word's own width where that is wider, up to `room`;
// only a word wider than the room is broken between characters (Dear
// ImGui's own wrap breaks after a full stop, or inside a word, which cuts
// a file's name in two). Inside a frame.
std::string tooltipLines(std::string_view text, float wrap, float room);

// Draws the frame's tooltip, when one is due, where placeTooltip puts it.
// The root calls it once a frame, after the view.
void drawDueTooltip();

// Where a tooltip of the size goes, kept inside the display: right of the
// pointer at its height, as Dear ImGui puts one, else below, above or left
// of it, or below or above it reaching left; then the same a step further
// out each time, up to a reach. Of
// these, as a label is placed (LabelPlacer::firstClear): the nearest that
// covers nothing kept clear; else the nearest over large controls only;
// else, of those over nothing kept clear always, the one that hides least
// of the small controls; else the least covering. Pixels; s is the UI
// scale.
ImVec2 placeTooltip(ImVec2 pointer, ImVec2 size, const Rect& display, const LabelPlacer& keepClear, float s);

}  // namespace orbi::ui
