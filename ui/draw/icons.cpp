#include "ui/draw/icons.h"

#include <cmath>
#include <initializer_list>
#include <numbers>
#include <vector>

#include "ui/draw/shapes.h"
#include "ui/theme/colour.h"
#include "ui/theme/palette.h"

namespace orbi::ui {
namespace {

constexpr float kGlyphStroke = 1.6f;
constexpr float kCaptionStroke = 1.2f;
constexpr std::uint32_t kRecordingRed = palette::kDanger;

ImVec2 centre(const Rect& b) { return ImVec2(b.x + b.width * 0.5f, b.y + b.height * 0.5f); }

float radians(float degrees) { return degrees * std::numbers::pi_v<float> / 180.0f; }

ImVec2 onCircle(ImVec2 c, float r, float degrees) {
  return ImVec2(c.x + r * std::cos(radians(degrees)), c.y + r * std::sin(radians(degrees)));
}

// The primitives take 0xAARRGGBB and pack it again.
std::uint32_t argb(std::uint32_t packed) { return unpackColour(packed); }

void stroke(ImDrawList* dl, std::initializer_list<ImVec2> points, std::uint32_t packed, float width) {
  const std::vector<ImVec2> line(points);
  drawPolyline(dl, line, argb(packed), width);
}

// An arc through the draw list's path builder, stroked as a polyline.
void strokeArc(ImDrawList* dl, ImVec2 c, float r, float fromDegrees, float toDegrees, int segments,
               std::uint32_t packed, float width) {
  dl->PathClear();
  dl->PathArcTo(c, r, radians(fromDegrees), radians(toDegrees), segments);
  const std::vector<ImVec2> arc(dl->_Path.Data, dl->_Path.Data + dl->_Path.Size);
  dl->PathClear();
  drawPolyline(dl, arc, argb(packed), width);
}

void bar(ImDrawList* dl, float x0, float x1, float y0, float y1, std::uint32_t packed) {
  fillRect(dl, {x0, y0, x1 - x0, y1 - y0}, argb(packed), 1.0f);
}

}  // namespace

void paintPlay(ImDrawList* dl, const Rect& box, std::uint32_t packedColour) {
  const ImVec2 c = centre(box);
  const float k = 0.21f * box.width;
  fillTriangle(dl, ImVec2(c.x - 0.7f * k, c.y - k), ImVec2(c.x - 0.7f * k, c.y + k),
               ImVec2(c.x + 1.05f * k, c.y), argb(packedColour));
}

void paintPause(ImDrawList* dl, const Rect& box, std::uint32_t packedColour) {
  const ImVec2 c = centre(box);
  const float k = 0.2f * box.width;
  bar(dl, c.x - 0.85f * k, c.x - 0.3f * k, c.y - k, c.y + k, packedColour);
  bar(dl, c.x + 0.3f * k, c.x + 0.85f * k, c.y - k, c.y + k, packedColour);
}

void paintRewind(ImDrawList* dl, const Rect& box, std::uint32_t packedColour) {
  const ImVec2 c = centre(box);
  const float k = 0.2f * box.width;
  bar(dl, c.x - 1.1f * k, c.x - 0.7f * k, c.y - k, c.y + k, packedColour);
  fillTriangle(dl, ImVec2(c.x + k, c.y - k), ImVec2(c.x + k, c.y + k), ImVec2(c.x - 0.55f * k, c.y),
               argb(packedColour));
}

IconPainter paintRecord(bool recording) {
  return [recording](ImDrawList* dl, const Rect& box, std::uint32_t packedColour) {
    fillCircle(dl, centre(box), 0.17f * box.width, recording ? kRecordingRed : argb(packedColour));
  };
}

void paintLoop(ImDrawList* dl, const Rect& box, std::uint32_t packedColour) {
  const ImVec2 c = centre(box);
  const float r = 0.19f * box.width;
  constexpr float kFrom = -63.0f;
  strokeArc(dl, c, r, kFrom, 261.0f, 24, packedColour, kGlyphStroke);
  const ImVec2 p = onCircle(c, r, kFrom);
  const float k = 0.6f * r;
  fillTriangle(dl, ImVec2(p.x - k, p.y - 0.9f * k), ImVec2(p.x + 0.9f * k, p.y - 0.1f * k),
               ImVec2(p.x - 0.2f * k, p.y + 0.9f * k), argb(packedColour));
}

void paintChevron(ImDrawList* dl, const Rect& box, std::uint32_t packedColour, float direction) {
  const ImVec2 c = centre(box);
  const float dk = direction * 0.22f * box.width;
  stroke(dl,
         {ImVec2(c.x - 0.5f * dk, c.y - dk), ImVec2(c.x + 0.5f * dk, c.y), ImVec2(c.x - 0.5f * dk, c.y + dk)},
         packedColour, kGlyphStroke);
}

void paintChevronRight(ImDrawList* dl, const Rect& box, std::uint32_t packedColour) {
  paintChevron(dl, box, packedColour, 1.0f);
}

void paintChevronLeft(ImDrawList* dl, const Rect& box, std::uint32_t packedColour) {
  paintChevron(dl, box, packedColour, -1.0f);
}

void paintCaret(ImDrawList* dl, const Rect& box, std::uint32_t packedColour, bool up) {
  const ImVec2 c = centre(box);
  const float half = 0.32f * box.width, rise = (up ? -0.18f : 0.18f) * box.width;
  fillTriangle(dl, ImVec2(c.x - half, c.y - rise), ImVec2(c.x + half, c.y - rise), ImVec2(c.x, c.y + rise),
               argb(packedColour));
}

void paintCaretDown(ImDrawList* dl, const Rect& box, std::uint32_t packedColour) {
  paintCaret(dl, box, packedColour, false);
}

void paintCurvedArrow(ImDrawList* dl, const Rect& box, std::uint32_t packedColour, bool headOnTheRight) {
  const ImVec2 c = centre(box);
  const float r = 0.32f * box.width;
  const ImVec2 arcCentre(c.x, c.y + 0.35f * r);
  if (headOnTheRight)
    strokeArc(dl, arcCentre, r, 189.0f, 351.0f, 16, packedColour, kGlyphStroke);
  else
    strokeArc(dl, arcCentre, r, 351.0f, 189.0f, 16, packedColour, kGlyphStroke);
  const float x = headOnTheRight ? c.x + r : c.x - r;
  const float y = c.y + 0.35f * r + 0.25f * r;
  const float m = 0.16f * box.width;
  fillTriangle(dl, ImVec2(x - m, y - 0.6f * m), ImVec2(x + m, y - 0.6f * m), ImVec2(x, y + 0.7f * m),
               argb(packedColour));
}

void paintRedo(ImDrawList* dl, const Rect& box, std::uint32_t packedColour) {
  paintCurvedArrow(dl, box, packedColour, true);
}

void paintUndo(ImDrawList* dl, const Rect& box, std::uint32_t packedColour) {
  paintCurvedArrow(dl, box, packedColour, false);
}

void paintMenu(ImDrawList* dl, const Rect& box, std::uint32_t packedColour) {
  const ImVec2 c = centre(box);
  const float half = 0.34f * box.width;
  for (const float dy : {-0.2f * box.height, 0.0f, 0.2f * box.height})
    stroke(dl, {ImVec2(c.x - half, c.y + dy), ImVec2(c.x + half, c.y + dy)}, packedColour, kGlyphStroke);
}

void paintSave(ImDrawList* dl, const Rect& box, std::uint32_t packedColour) {
  const ImVec2 c = centre(box);
  const float k = 0.3f * box.width;
  stroke(dl, {ImVec2(c.x, c.y + 0.35f * k), ImVec2(c.x, c.y - k)}, packedColour, kGlyphStroke);
  const float head = 0.14f * box.width;
  fillTriangle(dl, ImVec2(c.x - head, c.y + 0.1f * k), ImVec2(c.x + head, c.y + 0.1f * k),
               ImVec2(c.x, c.y + 0.55f * k), argb(packedColour));
  stroke(dl,
         {ImVec2(c.x - k, c.y + 0.3f * k), ImVec2(c.x - k, c.y + k), ImVec2(c.x + k, c.y + k),
          ImVec2(c.x + k, c.y + 0.3f * k)},
         packedColour, kGlyphStroke);
}

void paintClose(ImDrawList* dl, const Rect& box, std::uint32_t packedColour) {
  const float x1 = box.x + box.width, y1 = box.y + box.height;
  stroke(dl, {ImVec2(box.x, box.y), ImVec2(x1, y1)}, packedColour, kCaptionStroke);
  stroke(dl, {ImVec2(x1, box.y), ImVec2(box.x, y1)}, packedColour, kCaptionStroke);
}

void paintMaximise(ImDrawList* dl, const Rect& box, std::uint32_t packedColour) {
  strokeRect(dl, box, argb(packedColour), 0.0f, kCaptionStroke);
}

void paintRestore(ImDrawList* dl, const Rect& box, std::uint32_t packedColour) {
  const float step = 0.2f * box.width;
  const float x1 = box.x + box.width, y1 = box.y + box.height;
  strokeRect(dl, {box.x, box.y + step, 0.8f * box.width, box.height - step}, argb(packedColour), 0.0f,
             kCaptionStroke);
  stroke(dl, {ImVec2(box.x + step, box.y), ImVec2(x1, box.y)}, packedColour, kCaptionStroke);
  stroke(dl, {ImVec2(x1, box.y), ImVec2(x1, y1 - step)}, packedColour, kCaptionStroke);
}

void paintMinimise(ImDrawList* dl, const Rect& box, std::uint32_t packedColour) {
  const float cy = box.y + box.height * 0.5f;
  stroke(dl, {ImVec2(box.x, cy), ImVec2(box.x + box.width, cy)}, packedColour, kCaptionStroke);
}

}  // namespace orbi::ui
