#pragma once
// The drawing primitives every widget paints with. Colours are 0xAARRGGBB;
// line widths and corner radii are design units multiplied by the UI scale;
// positions, rectangles, circle radii and point lists are already physical
// pixels. dl is the draw list to paint into (usually the current window's).

#include <imgui.h>

#include <cstdint>
#include <span>

#include "ui/geometry.h"

namespace orbi::ui {

void fillRect(ImDrawList* dl, const Rect& rect, std::uint32_t colour, float radius = 0.0f);
void strokeRect(ImDrawList* dl, const Rect& rect, std::uint32_t colour, float radius, float width);

// Nothing unless the radius is positive (and below a billion pixels).
void fillCircle(ImDrawList* dl, ImVec2 centre, float radius, std::uint32_t colour);
void strokeCircle(ImDrawList* dl, ImVec2 centre, float radius, std::uint32_t colour, float width);
// A disc shaded linearly from the centre colour to the rim colour, in
// trunc(radius * 0.8) segments kept within 24..96.
void fillCircleSmooth(ImDrawList* dl, ImVec2 centre, float radius, std::uint32_t centreColour,
                      std::uint32_t rimColour);

void fillTriangle(ImDrawList* dl, ImVec2 a, ImVec2 b, ImVec2 c, std::uint32_t colour);
// A convex quadrilateral with its corners in order around it, filled as one
// shape: two triangles would leave an anti-aliased seam across a
// translucent fill.
void fillQuad(ImDrawList* dl, ImVec2 a, ImVec2 b, ImVec2 c, ImVec2 d, std::uint32_t colour);

// An open polyline; nothing with fewer than two points.
void drawPolyline(ImDrawList* dl, std::span<const ImVec2> points, std::uint32_t colour, float width);

// Dashed lines: dashes and gaps of at least half a pixel, the pattern
// continuing across corners.
void strokePath(ImDrawList* dl, std::span<const ImVec2> points, std::uint32_t colour, float width, float dash,
                float gap);
void drawLine(ImDrawList* dl, ImVec2 a, ImVec2 b, std::uint32_t colour, float width, float dash, float gap);
// A solid line: the polyline through the two points.
void drawLine(ImDrawList* dl, ImVec2 a, ImVec2 b, std::uint32_t colour, float width);

// The area between the polyline and the horizontal line at baselineY.
void fillUnder(ImDrawList* dl, std::span<const ImVec2> points, float baselineY, std::uint32_t colour);
// The band between two polylines, point i of one facing point i of the
// other; the longer list's extra points are ignored.
void fillBetween(ImDrawList* dl, std::span<const ImVec2> upper, std::span<const ImVec2> lower,
                 std::uint32_t colour);
// Column i spans x0 + i * columnWidth to x0 + (i + 1) * columnWidth and
// a[i] to b[i], at least one pixel high.
void fillBand(ImDrawList* dl, float x0, float columnWidth, std::span<const float> a, std::span<const float> b,
              std::uint32_t colour);

}  // namespace orbi::ui
