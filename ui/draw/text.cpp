#include "ui/draw/text.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <string>
#include <vector>

#include "ui/context.h"
#include "ui/draw/draw_log.h"
#include "ui/draw/utf8.h"
#include "ui/imgui_adapter.h"
#include "ui/theme/colour.h"

namespace orbi::ui {
namespace {

constexpr std::string_view kEllipsis = "\xE2\x80\xA6";  // U+2026

// Scratch text for the UI thread: capitals, and a prefix with its ellipsis.
std::string& capitalsBuffer() {
  thread_local std::string buffer;
  return buffer;
}
std::string& lineBuffer() {
  thread_local std::string buffer;
  return buffer;
}

// The text as the style shows it: ASCII letters in capitals when it asks.
std::string_view styled(std::string_view text, const TextStyleSpec& desc, std::string& buffer) {
  if (!desc.upperCase) return text;
  buffer.assign(text);
  for (char& c : buffer)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return buffer;
}

// Dear ImGui's width of the text at a size of at least 1 pixel, scaled back
// to the size asked for.
float measureRun(const ImFont* face, float size, std::string_view text) {
  if (text.empty() || !face) return 0.0f;
  const float measured = std::max(1.0f, size);
  const char* begin = text.data();
  return face->CalcTextSizeA(measured, FLT_MAX, 0.0f, begin, begin + text.size()).x * (size / measured);
}

// Draws with the face's atlas texture, which a draw list that last drew a
// picture may not have current (Dear ImGui asserts on that).
void addText(ImDrawList* dl, const ImFont* face, float size, ImVec2 at, ImU32 colour, std::string_view text) {
  const ImTextureID texture = face->ContainerAtlas->TexID;
  const bool push = texture != dl->_CmdHeader.TextureId;
  if (push) dl->PushTextureID(texture);
  dl->AddText(face, size, at, colour, text.data(), text.data() + text.size());
  if (push) dl->PopTextureID();
}

void paintText(ImDrawList* dl, SizedFont font, ImVec2 point, std::string_view text, float tracking,
               ImU32 colour) {
  if (text.empty() || !font.face || !(font.size >= 1.0f)) return;
  if (tracking == 0.0f) {
    addText(dl, font.face, font.size, point, colour, text);
    return;
  }
  float x = point.x;
  forEachUtf8Char(text, [&](std::size_t at, std::size_t n) {
    const std::string_view c = text.substr(at, n);
    addText(dl, font.face, font.size, ImVec2(x, point.y), colour, c);
    x += measureRun(font.face, font.size, c) + tracking;
  });
}

// fitTextToWidth over text already shown in the style's case.
TextFit fitShown(std::string_view shown, SizedFont font, float tracking, float width) {
  if (textWidth(font, shown, tracking) <= width + 0.5f) return {shown.size(), false};
  const float limit = width - measureRun(font.face, font.size, kEllipsis) - tracking;
  // Prefix widths grow with their length: search the character boundaries
  // for the longest prefix within the limit.
  thread_local std::vector<std::size_t> ends;
  ends.clear();
  forEachUtf8Char(shown, [](std::size_t at, std::size_t n) { ends.push_back(at + n); });
  std::size_t fitting = 0, lo = 0, hi = ends.size();
  while (lo < hi) {
    const std::size_t mid = lo + (hi - lo) / 2;
    if (textWidth(font, shown.substr(0, ends[mid]), tracking) <= limit) {
      fitting = ends[mid];
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  return {fitting, true};
}

}  // namespace

SizedFont styleFont(TextStyle style) {
  const TextStyleSpec desc = textStyleSpec(style);
  UiContext& ui = context();
  return {ui.faces().face(desc.font, desc.px), desc.px * ui.scale()};
}

void pushTextStyle(TextStyle style) {
  UiContext& ui = context();
  const TextStyleSpec desc = textStyleSpec(style);
  ImFont* face = ui.faces().face(desc.font, desc.px);
  ui.pushedFaces().push_back({face, face ? face->Scale : 1.0f});
  // The face was baked at max(1, px * display scale); a pushed scale factor
  // stretches it to the size asked for.
  const float target = std::max(1.0f, desc.px * ui.scale());
  if (face && std::isfinite(target)) face->Scale = target / face->FontSize;
  ImGui::PushFont(face);
}

void popTextStyle() {
  auto& pushed = context().pushedFaces();
  if (pushed.empty()) return;
  const UiContext::PushedFace top = pushed.back();
  pushed.pop_back();
  if (top.face) top.face->Scale = top.previousScale;
  ImGui::PopFont();
}

void popTextStylesTo(int depth) {
  while (fontStackDepth() > depth) {
    if (context().pushedFaces().empty())
      ImGui::PopFont();
    else
      popTextStyle();
  }
}

float textWidth(SizedFont font, std::string_view text, float tracking) {
  if (tracking == 0.0f) return measureRun(font.face, font.size, text);
  float width = 0.0f;
  int characters = 0;
  forEachUtf8Char(text, [&](std::size_t at, std::size_t n) {
    width += measureRun(font.face, font.size, text.substr(at, n));
    ++characters;
  });
  return characters ? width + tracking * static_cast<float>(characters - 1) : 0.0f;
}

ImVec2 measureText(std::string_view text, TextStyle style) {
  const TextStyleSpec desc = textStyleSpec(style);
  const float s = scale();
  const std::string_view shown = styled(text, desc, capitalsBuffer());
  return ImVec2(textWidth(styleFont(style), shown, desc.tracking * s), desc.px * s);
}

TextFit fitTextToWidth(std::string_view text, TextStyle style, float width) {
  const TextStyleSpec desc = textStyleSpec(style);
  const std::string_view shown = styled(text, desc, capitalsBuffer());
  return fitShown(shown, styleFont(style), desc.tracking * scale(), width);
}

std::vector<std::string_view> wrapText(std::string_view text, TextStyle style, float width) {
  const auto fits = [&](std::string_view line) { return !fitTextToWidth(line, style, width).truncated; };
  const auto skipBlanks = [&](std::size_t at) {
    while (at < text.size() && text[at] == ' ') ++at;
    return at;
  };
  std::vector<std::string_view> lines;
  for (std::size_t start = skipBlanks(0); start < text.size();) {
    // Whole words while they fit.
    std::size_t end = start;
    for (std::size_t word = start; (word = skipBlanks(word)) < text.size();) {
      const std::size_t next = std::min(text.find(' ', word), text.size());
      if (!fits(text.substr(start, next - start))) break;
      end = word = next;
    }
    // A word wider than the line is broken between characters.
    if (end == start) {
      do {
        end += utf8CharLength(text, end);
      } while (end < text.size() && text[end] != ' ' &&
               fits(text.substr(start, end + utf8CharLength(text, end) - start)));
    }
    lines.push_back(text.substr(start, end - start));
    start = skipBlanks(end);
  }
  return lines;
}

void drawTrackedText(ImDrawList* dl, SizedFont font, ImVec2 point, std::string_view text, float tracking,
                     ImU32 packedColour) {
  logDraw(DrawOp::TrackedText, unpackColour(packedColour), [&](DrawRecord& r) {
    r.points = {point};
    r.text = text;
    r.fontSize = font.size;
    r.tracking = tracking;
  });
  paintText(dl, font, point, text, tracking, packedColour);
}

void drawTextAt(ImDrawList* dl, ImVec2 point, std::string_view text, TextStyle style, std::uint32_t colour) {
  logDraw(DrawOp::TextAt, colour, [&](DrawRecord& r) {
    r.points = {point};
    r.text = text;
    r.style = style;
  });
  const TextStyleSpec desc = textStyleSpec(style);
  const std::string_view shown = styled(text, desc, capitalsBuffer());
  paintText(dl, styleFont(style), point, shown, desc.tracking * scale(), packColour(colour));
}

void drawText(ImDrawList* dl, const Rect& rect, std::string_view text, TextStyle style, std::uint32_t colour,
              TextAlign alignment) {
  logDraw(DrawOp::Text, colour, [&](DrawRecord& r) {
    r.rect = rect;
    r.text = text;
    r.style = style;
    r.alignment = alignment;
  });
  const TextStyleSpec desc = textStyleSpec(style);
  const SizedFont font = styleFont(style);
  const float tracking = desc.tracking * scale();
  std::string_view shown = styled(text, desc, capitalsBuffer());
  const TextFit fit = fitShown(shown, font, tracking, rect.width);
  if (fit.truncated) {
    std::string& line = lineBuffer();
    line.assign(shown.substr(0, fit.bytes));
    line += kEllipsis;
    shown = line;
  }
  const float width = textWidth(font, shown, tracking);
  float x = rect.x;
  if (alignment == TextAlign::Centre)
    x = rect.x + (rect.width - width) / 2.0f;
  else if (alignment == TextAlign::Right)
    x = rect.x + rect.width - width;
  const float y = rect.y + (rect.height - font.size) / 2.0f;
  paintText(dl, font, ImVec2(x, y), shown, tracking, packColour(colour));
}

Rect textInk(const Rect& rect, std::string_view text, TextStyle style, TextAlign alignment) {
  const ImVec2 size = measureText(text, style);
  const float w = std::min(size.x, std::max(rect.width, 0.0f));
  const float h = size.y;
  float x = rect.x;
  if (alignment == TextAlign::Centre) x = rect.x + 0.5f * (rect.width - w);
  if (alignment == TextAlign::Right) x = rect.x + rect.width - w;
  return {x, rect.y + 0.5f * (rect.height - h), w, h};
}

}  // namespace orbi::ui
