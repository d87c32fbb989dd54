#include "ui/draw/shapes.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <numbers>
#include <vector>

#include "ui/context.h"
#include "ui/draw/dash_pattern.h"
#include "ui/draw/draw_log.h"
#include "ui/draw/mesh_runs.h"
#include "ui/theme/colour.h"

namespace orbi::ui {
namespace {

// Run lengths that keep every primitive under 65,536 vertices: a thick
// anti-aliased polyline makes four vertices a point, a column four.
constexpr std::size_t kPolylineRun = 16000;
constexpr std::size_t kColumnRun = 16000;

ImVec2 nearCorner(const Rect& r) { return ImVec2(r.x, r.y); }
ImVec2 farCorner(const Rect& r) { return ImVec2(r.x + r.width, r.y + r.height); }

// Dear ImGui picks a circle's segment count from a table indexed by the
// radius converted to int: NaN, infinity or a radius past the int range
// would index outside it. Nothing that large is ever on screen.
constexpr float kLargestRadius = 1e9f;
bool drawableRadius(float radius) { return radius > 0.0f && radius < kLargestRadius; }

std::vector<ImVec2> copied(std::span<const ImVec2> points) { return {points.begin(), points.end()}; }

}  // namespace

void fillRect(ImDrawList* dl, const Rect& rect, std::uint32_t colour, float radius) {
  logDraw(DrawOp::FillRect, colour, [&](DrawRecord& r) {
    r.rect = rect;
    r.radius = radius;
  });
  dl->AddRectFilled(nearCorner(rect), farCorner(rect), packColour(colour), radius * scale());
}

void strokeRect(ImDrawList* dl, const Rect& rect, std::uint32_t colour, float radius, float width) {
  logDraw(DrawOp::StrokeRect, colour, [&](DrawRecord& r) {
    r.rect = rect;
    r.radius = radius;
    r.width = width;
  });
  const float s = scale();
  dl->AddRect(nearCorner(rect), farCorner(rect), packColour(colour), radius * s, ImDrawFlags_None, width * s);
}

void fillCircle(ImDrawList* dl, ImVec2 centre, float radius, std::uint32_t colour) {
  logDraw(DrawOp::FillCircle, colour, [&](DrawRecord& r) {
    r.points = {centre};
    r.radius = radius;
  });
  if (drawableRadius(radius)) dl->AddCircleFilled(centre, radius, packColour(colour));
}

void strokeCircle(ImDrawList* dl, ImVec2 centre, float radius, std::uint32_t colour, float width) {
  logDraw(DrawOp::StrokeCircle, colour, [&](DrawRecord& r) {
    r.points = {centre};
    r.radius = radius;
    r.width = width;
  });
  if (drawableRadius(radius)) dl->AddCircle(centre, radius, packColour(colour), 0, width * scale());
}

void fillCircleSmooth(ImDrawList* dl, ImVec2 centre, float radius, std::uint32_t centreColour,
                      std::uint32_t rimColour) {
  logDraw(DrawOp::FillCircleSmooth, centreColour, [&](DrawRecord& r) {
    r.points = {centre};
    r.rimColour = rimColour;
    r.radius = radius;
  });
  if (!drawableRadius(radius)) return;
  const int n = static_cast<int>(std::clamp(std::trunc(radius * 0.8f), 24.0f, 96.0f));
  dl->PrimReserve(3 * n, n + 1);
  const ImVec2 uv = ImGui::GetIO().Fonts->TexUvWhitePixel;
  const unsigned base = dl->_VtxCurrentIdx;
  dl->PrimWriteVtx(centre, uv, packColour(centreColour));
  const ImU32 rim = packColour(rimColour);
  for (int k = 0; k < n; ++k) {
    const double angle = 2.0 * std::numbers::pi * k / n;
    dl->PrimWriteVtx(ImVec2(centre.x + radius * static_cast<float>(std::cos(angle)),
                            centre.y + radius * static_cast<float>(std::sin(angle))),
                     uv, rim);
  }
  for (int k = 0; k < n; ++k) {
    dl->PrimWriteIdx(static_cast<ImDrawIdx>(base));
    dl->PrimWriteIdx(static_cast<ImDrawIdx>(base + 1 + k));
    dl->PrimWriteIdx(static_cast<ImDrawIdx>(base + 1 + (k + 1) % n));
  }
}

void fillTriangle(ImDrawList* dl, ImVec2 a, ImVec2 b, ImVec2 c, std::uint32_t colour) {
  logDraw(DrawOp::FillTriangle, colour, [&](DrawRecord& r) { r.points = {a, b, c}; });
  dl->AddTriangleFilled(a, b, c, packColour(colour));
}

void fillQuad(ImDrawList* dl, ImVec2 a, ImVec2 b, ImVec2 c, ImVec2 d, std::uint32_t colour) {
  logDraw(DrawOp::FillQuad, colour, [&](DrawRecord& r) { r.points = {a, b, c, d}; });
  dl->AddQuadFilled(a, b, c, d, packColour(colour));
}

void drawPolyline(ImDrawList* dl, std::span<const ImVec2> points, std::uint32_t colour, float width) {
  logDraw(DrawOp::Polyline, colour, [&](DrawRecord& r) {
    r.points = copied(points);
    r.width = width;
  });
  const ImU32 packed = packColour(colour);
  const float thickness = width * scale();
  forEachRun(points.size(), kPolylineRun, [&](std::size_t first, std::size_t n) {
    dl->AddPolyline(points.data() + first, static_cast<int>(n), packed, ImDrawFlags_None, thickness);
  });
}

void strokePath(ImDrawList* dl, std::span<const ImVec2> points, std::uint32_t colour, float width, float dash,
                float gap) {
  logDraw(DrawOp::StrokePath, colour, [&](DrawRecord& r) {
    r.points = copied(points);
    r.width = width;
    r.dash = dash;
    r.gap = gap;
  });
  if (points.size() < 2) return;
  const float s = scale();
  const float thickness = width * s;
  // Dashes are cut at the clip rectangle grown by the line's half width, so
  // no cut end can be seen.
  const ImVec4 clip = dl->_CmdHeader.ClipRect;
  const double margin = std::isfinite(thickness) ? std::fabs(thickness) / 2.0 + 2.0 : 2.0;
  const ClipBox box{clip.x - margin, clip.y - margin, clip.z + margin, clip.w + margin};
  const ImU32 packed = packColour(colour);
  walkDashes(points, std::max(0.5f, dash * s), std::max(0.5f, gap * s), box,
             [&](ImVec2 from, ImVec2 to) { dl->AddLine(from, to, packed, thickness); });
}

void drawLine(ImDrawList* dl, ImVec2 a, ImVec2 b, std::uint32_t colour, float width, float dash, float gap) {
  const ImVec2 ends[] = {a, b};
  strokePath(dl, ends, colour, width, dash, gap);
}

void drawLine(ImDrawList* dl, ImVec2 a, ImVec2 b, std::uint32_t colour, float width) {
  const ImVec2 ends[] = {a, b};
  drawPolyline(dl, ends, colour, width);
}

void fillUnder(ImDrawList* dl, std::span<const ImVec2> points, float baselineY, std::uint32_t colour) {
  logDraw(DrawOp::FillUnder, colour, [&](DrawRecord& r) {
    r.points = copied(points);
    for (const ImVec2& p : points) r.partners.emplace_back(p.x, baselineY);
  });
  const ImU32 packed = packColour(colour);
  fillStrip(dl, points.size(), [&](std::size_t i) {
    return StripRung{points[i], ImVec2(points[i].x, baselineY), packed};
  });
}

void fillBetween(ImDrawList* dl, std::span<const ImVec2> upper, std::span<const ImVec2> lower,
                 std::uint32_t colour) {
  logDraw(DrawOp::FillBetween, colour, [&](DrawRecord& r) {
    r.points = copied(upper);
    r.partners = copied(lower);
  });
  const ImU32 packed = packColour(colour);
  fillStrip(dl, std::min(upper.size(), lower.size()), [&](std::size_t i) {
    return StripRung{upper[i], lower[i], packed};
  });
}

void fillBand(ImDrawList* dl, float x0, float columnWidth, std::span<const float> a, std::span<const float> b,
              std::uint32_t colour) {
  const std::size_t count = std::min(a.size(), b.size());
  logDraw(DrawOp::FillBand, colour, [&](DrawRecord& r) {
    r.width = columnWidth;
    for (std::size_t i = 0; i < count; ++i) {
      r.points.emplace_back(x0 + i * columnWidth, a[i]);
      r.partners.emplace_back(x0 + i * columnWidth, b[i]);
    }
  });
  const ImU32 packed = packColour(colour);
  for (std::size_t first = 0; first < count; first += kColumnRun) {
    const std::size_t n = std::min(kColumnRun, count - first);
    dl->PrimReserve(static_cast<int>(6 * n), static_cast<int>(4 * n));
    for (std::size_t i = first; i < first + n; ++i) {
      float lo = std::min(a[i], b[i]), hi = std::max(a[i], b[i]);
      if (hi - lo < 1.0f) {
        const float mid = (lo + hi) / 2.0f;
        lo = mid - 0.5f;
        hi = mid + 0.5f;
      }
      dl->PrimRect(ImVec2(x0 + i * columnWidth, lo), ImVec2(x0 + (i + 1) * columnWidth, hi), packed);
    }
  }
}

}  // namespace orbi::ui
