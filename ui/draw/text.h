#pragma once
// Text in the editor's named styles. A style picks one of the baked faces
// (fonts.h) and a size of px * scale pixels; text with tracking (Heading)
// is laid out one character at a time with the tracking after each.

#include <imgui.h>

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "ui/draw/text_style.h"
#include "ui/geometry.h"

namespace orbi::ui {

// A face and the size in pixels to draw it at.
struct SizedFont {
  const ImFont* face = nullptr;
  float size = 0.0f;
};

// The style's face at its design size times the current UI scale.
SizedFont styleFont(TextStyle style);

// Makes the style's face Dear ImGui's current font, rendering
// max(1, px * scale) pixels high; popTextStyle undoes one push. Inside a
// frame only. A pop without a push does nothing.
void pushTextStyle(TextStyle style);
void popTextStyle();
// Pops text styles until Dear ImGui's font stack is that deep.
void popTextStylesTo(int depth);

// Width in pixels of UTF-8 text with the tracking (pixels) after every
// character but the last.
float textWidth(SizedFont font, std::string_view text, float tracking);

// Width of the text in the style (upper-cased when the style says so) and
// the style's size in pixels as the height.
ImVec2 measureText(std::string_view text, TextStyle style);

struct TextFit {
  std::size_t bytes = 0;   // how much of the text is shown
  bool truncated = false;  // an ellipsis follows the shown part
};

// How much of the text fits in the width: all of it when it is at most half
// a pixel too wide, else the longest prefix, cut between characters, that
// leaves room for an ellipsis.
TextFit fitTextToWidth(std::string_view text, TextStyle style, float width);

// The text broken into lines that each fit the width as fitTextToWidth
// judges it, so that drawText shows every line whole: after a word where
// one fits, else between characters (a line holds at least one). The
// blanks at a break belong to no line.
std::vector<std::string_view> wrapText(std::string_view text, TextStyle style, float width);

// Draws the text with its top-left corner at the point. The colour is
// already in Dear ImGui's packed order.
void drawTrackedText(ImDrawList* dl, SizedFont font, ImVec2 point, std::string_view text, float tracking,
                     ImU32 packedColour);

// The text in the style at the point, not fitted. Colour 0xAARRGGBB.
void drawTextAt(ImDrawList* dl, ImVec2 point, std::string_view text, TextStyle style, std::uint32_t colour);

// The text fitted into the rect's width (ending in an ellipsis when cut),
// aligned across it and centred vertically; not clipped. Colour 0xAARRGGBB.
void drawText(ImDrawList* dl, const Rect& rect, std::string_view text, TextStyle style, std::uint32_t colour,
              TextAlign alignment = TextAlign::Left);

// Where the glyphs of a text drawn by drawText into the rect lie.
Rect textInk(const Rect& rect, std::string_view text, TextStyle style, TextAlign alignment);

}  // namespace orbi::ui
