#pragma once
// The framework's tooltip box: padded, rounded, the text in the default
// text style wrapped at 320 design pixels. It is drawn at the end of the
// frame, beside the pointer, off the places a widget asked it to keep
// clear of (a value shown beside the handle the pointer is on, handles).

#include <imgui.h>

#include <cstdint>
#include <span>
#include <string_view>

#include "ui/draw/text_style.h"
#include "ui/geometry.h"

namespace orbi::ui {

// Shows the text near the pointer while the last item is hovered (also a
// disabled one) and the context's hover clock allows it; nothing for empty
// text. Inside a frame, after the item. The last call of a frame wins.
void tooltip(std::string_view text);

// Keeps this frame's tooltip off the rectangle. Inside a frame.
void keepTooltipClearOf(const Rect& r);

// A value shown beside a handle, drawn as drawText draws it; this frame's
// tooltip keeps off it. Returns where its glyphs lie. Inside a frame.
Rect drawReadout(ImDrawList* dl, const Rect& box, std::string_view text, TextStyle style,
                 std::uint32_t colour, TextAlign alignment = TextAlign::Left);

// Draws the frame's tooltip, when one is due, where placeTooltip puts it.
// The root calls it once a frame, after the view.
void drawDueTooltip();

// Where a tooltip of the size goes: right of the pointer at its height, as
// Dear ImGui puts one, else below, above or left of it; the first of these
// that, kept inside the display, covers none of the rectangles, else the
// first that covers fewest. Pixels; s is the UI scale.
ImVec2 placeTooltip(ImVec2 pointer, ImVec2 size, const Rect& display, std::span<const Rect> keepClear,
                    float s);

}  // namespace orbi::ui
