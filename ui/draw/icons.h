#pragma once
// The editor's glyphs, drawn as vector shapes sized from the box they are
// given, so one glyph serves every size, scale and state. Only stroke widths
// and corner roundings follow the UI scale. The colour arrives in the draw
// list's packed order (red in the low byte): the button that calls a
// painter converts its 0xAARRGGBB content colour first.

#include <imgui.h>

#include <cstdint>
#include <functional>

#include "ui/geometry.h"

namespace orbi::ui {

// Draws one glyph into the box; an empty painter means no icon.
using IconPainter = std::function<void(ImDrawList* dl, const Rect& box, std::uint32_t packedColour)>;

void paintPlay(ImDrawList* dl, const Rect& box, std::uint32_t packedColour);
void paintPause(ImDrawList* dl, const Rect& box, std::uint32_t packedColour);
void paintRewind(ImDrawList* dl, const Rect& box, std::uint32_t packedColour);
// A disc: red while recording, else in the given colour.
IconPainter paintRecord(bool recording);
void paintLoop(ImDrawList* dl, const Rect& box, std::uint32_t packedColour);
// ">" for direction +1, "<" for -1.
void paintChevron(ImDrawList* dl, const Rect& box, std::uint32_t packedColour, float direction);
void paintChevronRight(ImDrawList* dl, const Rect& box, std::uint32_t packedColour);
void paintChevronLeft(ImDrawList* dl, const Rect& box, std::uint32_t packedColour);
// A small solid triangle pointing down (more below, a menu that opens) or
// up, about two thirds as wide as the box.
void paintCaret(ImDrawList* dl, const Rect& box, std::uint32_t packedColour, bool up);
void paintCaretDown(ImDrawList* dl, const Rect& box, std::uint32_t packedColour);
// An arc over the top with a downward arrowhead on the right (redo) or the
// left (undo).
void paintCurvedArrow(ImDrawList* dl, const Rect& box, std::uint32_t packedColour, bool headOnTheRight);
void paintRedo(ImDrawList* dl, const Rect& box, std::uint32_t packedColour);
void paintUndo(ImDrawList* dl, const Rect& box, std::uint32_t packedColour);
void paintMenu(ImDrawList* dl, const Rect& box, std::uint32_t packedColour);
void paintSave(ImDrawList* dl, const Rect& box, std::uint32_t packedColour);
void paintClose(ImDrawList* dl, const Rect& box, std::uint32_t packedColour);
void paintMaximise(ImDrawList* dl, const Rect& box, std::uint32_t packedColour);
void paintRestore(ImDrawList* dl, const Rect& box, std::uint32_t packedColour);
void paintMinimise(ImDrawList* dl, const Rect& box, std::uint32_t packedColour);

}  // namespace orbi::ui
