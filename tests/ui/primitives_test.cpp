#include "ui/draw/shapes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <vector>

#include "support/ui/ui_harness.h"
#include "tests/ui/draw_harness.h"
#include "ui/draw/draw_log.h"
#include "ui/theme/colour.h"

namespace orbi::ui {
namespace primitives_test {

using test::indexReach;
using test::verticesDrawnBy;

float distance(ImVec2 a, ImVec2 b) { return std::hypot(a.x - b.x, a.y - b.y); }

TEST(Primitives, ColoursReachTheDrawListWithRedLowestAndAlphaHighest) {
  UiHarness harness;
  const auto vertices = verticesDrawnBy(harness, [](ImDrawList* dl) {
    fillRect(dl, {10, 10, 20, 20}, 0x80FF0000);
  });
  ASSERT_FALSE(vertices.empty());
  for (const ImDrawVert& v : vertices) EXPECT_EQ(v.col, 0x800000FFu);
}

TEST(Primitives, CornerRadiusAndLineWidthFollowTheScale) {
  UiHarness harness(1.5f);
  const Rect rect{100, 100, 200, 100};
  const auto fill = verticesDrawnBy(harness, [&](ImDrawList* dl) { fillRect(dl, rect, 0xFFFFFFFF, 6); });
  // Every vertex of the top-left corner's arc lies 9 pixels (6 x 1.5) from
  // the corner's centre, give or take the half-pixel anti-aliasing fringe.
  const ImVec2 centre(109, 109);
  int arc = 0;
  for (const ImDrawVert& v : fill) {
    if (v.pos.x >= centre.x || v.pos.y >= centre.y) continue;
    ++arc;
    EXPECT_NEAR(distance(v.pos, centre), 9.0f, 0.75f) << v.pos.x << "," << v.pos.y;
  }
  EXPECT_GT(arc, 4);

  const auto stroke =
      verticesDrawnBy(harness, [&](ImDrawList* dl) { strokeRect(dl, rect, 0xFFFFFFFF, 0, 1); });
  float left = 1e9f, right = -1e9f;
  for (const ImDrawVert& v : stroke)
    if (v.pos.x < 110 && v.pos.y < 110) {  // the top-left corner's mitre
      left = std::min(left, v.pos.x);
      right = std::max(right, v.pos.x);
    }
  // A 1.5-pixel line (1 x 1.5) with its anti-aliasing fringe, half a pixel
  // on each side.
  EXPECT_NEAR(right - left, 1.5f + 1.0f, 0.01f);
}

TEST(Primitives, CirclesNeedAPositiveRadiusOfSensibleSize) {
  UiHarness harness;
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  for (float radius : {0.0f, -3.0f, nan, inf, 3e9f}) {
    SCOPED_TRACE(radius);
    EXPECT_TRUE(verticesDrawnBy(harness, [&](ImDrawList* dl) {
                  fillCircle(dl, {50, 50}, radius, 0xFFFFFFFF);
                  strokeCircle(dl, {50, 50}, radius, 0xFFFFFFFF, 1);
                  fillCircleSmooth(dl, {50, 50}, radius, 0xFFFFFFFF, 0xFF000000);
                }).empty());
  }
  EXPECT_FALSE(verticesDrawnBy(harness, [](ImDrawList* dl) {
                 fillCircle(dl, {50, 50}, 10, 0xFFFFFFFF);
               }).empty());
}

TEST(Primitives, SmoothDiscsUseTwentyFourToNinetySixSegments) {
  struct Case {
    float radius;
    int segments;
  };
  UiHarness harness;
  for (const Case& c : {Case{10, 24}, Case{30, 24}, Case{50, 40}, Case{200, 96}, Case{1e8f, 96}}) {
    SCOPED_TRACE(c.radius);
    const ImVec2 centre(300, 300);
    const auto vertices = verticesDrawnBy(
        harness, [&](ImDrawList* dl) { fillCircleSmooth(dl, centre, c.radius, 0xFFFFFFFF, 0x00112233); });
    ASSERT_EQ(vertices.size(), static_cast<std::size_t>(c.segments + 1));
    EXPECT_EQ(vertices[0].pos.x, centre.x);
    EXPECT_EQ(vertices[0].col, packColour(0xFFFFFFFF));
    for (std::size_t k = 1; k < vertices.size(); ++k) {
      EXPECT_NEAR(distance(vertices[k].pos, centre) / c.radius, 1.0f, 1e-5f);
      EXPECT_EQ(vertices[k].col, packColour(0x00112233));
    }
  }
}

TEST(Primitives, EqualBandValuesDrawOnePixelColumnsCentredOnTheValue) {
  UiHarness harness;
  const std::vector<float> a = {50, 60.25f, 70}, b = {50, 60.25f, 70.5f};
  const auto vertices =
      verticesDrawnBy(harness, [&](ImDrawList* dl) { fillBand(dl, 10, 2, a, b, 0xFFFFFFFF); });
  ASSERT_EQ(vertices.size(), 12u);
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const ImVec2 lo = vertices[4 * i].pos, hi = vertices[4 * i + 2].pos;
    EXPECT_EQ(lo.x, 10.0f + 2.0f * i);
    EXPECT_EQ(hi.x, 12.0f + 2.0f * i);
    EXPECT_EQ(hi.y - lo.y, 1.0f);
    EXPECT_EQ((hi.y + lo.y) / 2.0f, (a[i] + b[i]) / 2.0f);
  }
}

TEST(Primitives, BandColumnsSpanTheSmallerToTheLargerValue) {
  UiHarness harness;
  const std::vector<float> a = {80, 10, 40}, b = {20, 30};
  const auto vertices =
      verticesDrawnBy(harness, [&](ImDrawList* dl) { fillBand(dl, 0, 3, a, b, 0xFFFFFFFF); });
  ASSERT_EQ(vertices.size(), 8u);  // the longer list's extra value is ignored
  EXPECT_EQ(vertices[0].pos.y, 20.0f);
  EXPECT_EQ(vertices[2].pos.y, 80.0f);
  EXPECT_EQ(vertices[4].pos.y, 10.0f);
  EXPECT_EQ(vertices[6].pos.y, 30.0f);
}

// Draws a long shape into the root list and checks that the list's indices
// reach every vertex, which wrapped 16-bit indices would not.
void expectEveryVertexReached(const std::function<void(ImDrawList*)>& draw, int atLeast) {
  UiHarness harness;
  harness.frame([&] { draw(ImGui::GetWindowDrawList()); });
  const ImDrawList& dl = *harness.rootDrawList();
  ASSERT_GE(dl.VtxBuffer.Size, atLeast);
  const auto reach = indexReach(dl);
  EXPECT_EQ(reach.pastTheEnd, 0);
  const auto unreached = std::count(reach.perVertex.begin(), reach.perVertex.end(), 0);
  EXPECT_EQ(unreached, 0);
  for (const ImDrawCmd& cmd : dl.CmdBuffer) EXPECT_LE(cmd.ElemCount % 3, 0u);
}

std::vector<ImVec2> zigzag(int count, float y) {
  std::vector<ImVec2> points(count);
  for (int i = 0; i < count; ++i) points[i] = ImVec2(i * 0.009f, y + (i % 2 ? 3.0f : -3.0f));
  return points;
}

TEST(Primitives, LongPolylinesAndBandsReachEveryVertex) {
  const auto upper = zigzag(100000, 100), lower = zigzag(100000, 200);
  {
    SCOPED_TRACE("polyline");
    expectEveryVertexReached([&](ImDrawList* dl) { drawPolyline(dl, upper, 0xFFFFFFFF, 1.5f); }, 400000);
  }
  {
    SCOPED_TRACE("fill under");
    expectEveryVertexReached([&](ImDrawList* dl) { fillUnder(dl, upper, 300, 0xFFFFFFFF); }, 200000);
  }
  {
    SCOPED_TRACE("fill between");
    expectEveryVertexReached([&](ImDrawList* dl) { fillBetween(dl, upper, lower, 0xFFFFFFFF); }, 200000);
  }
  {
    SCOPED_TRACE("fill band");
    std::vector<float> a(100000, 10.0f), b(100000, 20.0f);
    expectEveryVertexReached([&](ImDrawList* dl) { fillBand(dl, 0, 0.01f, a, b, 0xFFFFFFFF); }, 400000);
  }
}

TEST(Primitives, BandsWriteTwoTrianglesBetweenNeighbouringPairs) {
  UiHarness harness;
  const std::vector<ImVec2> points = {{0, 10}, {10, 20}, {20, 5}};
  // What the band wrote after the root window's background.
  std::vector<ImDrawVert> vertices;
  std::vector<ImDrawIdx> indices;
  harness.frame([&] {
    ImDrawList* dl = ImGui::GetWindowDrawList();
    const int vtx = dl->VtxBuffer.Size, idx = dl->IdxBuffer.Size;
    const ImDrawIdx base = static_cast<ImDrawIdx>(dl->_VtxCurrentIdx);
    fillUnder(dl, points, 50, 0xFF00FF00);
    vertices.assign(dl->VtxBuffer.begin() + vtx, dl->VtxBuffer.end());
    for (int i = idx; i < dl->IdxBuffer.Size; ++i)
      indices.push_back(static_cast<ImDrawIdx>(dl->IdxBuffer[i] - base));
  });
  ASSERT_EQ(vertices.size(), 6u);
  // Pairs (point, its foot on the baseline), in order.
  EXPECT_EQ(vertices[2].pos.x, 10.0f);
  EXPECT_EQ(vertices[2].pos.y, 20.0f);
  EXPECT_EQ(vertices[3].pos.y, 50.0f);
  ASSERT_EQ(indices.size(), 12u);
  const std::vector<ImDrawIdx> first(indices.begin(), indices.begin() + 6);
  EXPECT_EQ(first, (std::vector<ImDrawIdx>{0, 2, 3, 0, 3, 1}));
}

TEST(Primitives, PolylinesNeedTwoPoints) {
  UiHarness harness;
  const std::vector<ImVec2> one = {{5, 5}};
  EXPECT_TRUE(verticesDrawnBy(harness, [&](ImDrawList* dl) {
                drawPolyline(dl, one, 0xFFFFFFFF, 1);
                strokePath(dl, one, 0xFFFFFFFF, 1, 2, 2);
                fillUnder(dl, one, 10, 0xFFFFFFFF);
              }).empty());
}

// The dashes of a horizontal dashed line, from its vertices: each dash is one
// anti-aliased line of four vertices.
std::vector<std::pair<float, float>> dashSpans(const std::vector<ImDrawVert>& vertices) {
  std::vector<std::pair<float, float>> spans;
  for (std::size_t i = 0; i + 3 < vertices.size(); i += 4) {
    float lo = 1e30f, hi = -1e30f;
    for (std::size_t k = i; k < i + 4; ++k) {
      lo = std::min(lo, vertices[k].pos.x);
      hi = std::max(hi, vertices[k].pos.x);
    }
    spans.emplace_back(lo, hi);
  }
  return spans;
}

TEST(Primitives, DashesAndGapsStayHalfAPixelAtATinyScale) {
  UiHarness harness;
  std::vector<ImDrawVert> vertices;
  harness.frame([&] {
    harness.ui().pushScale(0.01f);
    ImDrawList* dl = ImGui::GetWindowDrawList();
    // Past the root window's background.
    const int before = dl->VtxBuffer.Size;
    drawLine(dl, {100, 100}, {110, 100}, 0xFFFFFFFF, 1, 2, 3);
    vertices.assign(dl->VtxBuffer.begin() + before, dl->VtxBuffer.end());
    harness.ui().popScale();
  });
  const auto spans = dashSpans(vertices);
  ASSERT_EQ(spans.size(), 10u);
  for (std::size_t i = 0; i < spans.size(); ++i) {
    EXPECT_NEAR(spans[i].second - spans[i].first, 0.5f, 1e-4f);
    EXPECT_NEAR(spans[i].first - spans[0].first, 1.0f * i, 1e-4f);
  }
}

TEST(Primitives, DashedLinesOverInfiniteAndHugeSegmentsReturn) {
  UiHarness harness;
  const float inf = std::numeric_limits<float>::infinity();
  const auto none = verticesDrawnBy(harness, [&](ImDrawList* dl) {
    drawLine(dl, {0, 100}, {inf, 100}, 0xFFFFFFFF, 1, 2, 3);
  });
  EXPECT_TRUE(none.empty());
  const auto huge = verticesDrawnBy(harness, [](ImDrawList* dl) {
    drawLine(dl, {0, 100}, {1e9f, 100}, 0xFFFFFFFF, 1, 2, 3);
  });
  // Only the dashes across the 960-pixel display are drawn.
  const auto spans = dashSpans(huge);
  EXPECT_GE(spans.size(), 192u);
  EXPECT_LE(spans.size(), 194u);
  EXPECT_LT(spans.back().second, 970.0f);
}

TEST(Primitives, ASolidLineIsThePolylineThroughItsEnds) {
  UiHarness harness;
  const std::vector<ImVec2> ends = {{10.5f, 20.0f}, {90.0f, 64.25f}};
  const auto line =
      verticesDrawnBy(harness, [&](ImDrawList* dl) { drawLine(dl, ends[0], ends[1], 0xFF8DC63F, 1.5f); });
  const auto polyline =
      verticesDrawnBy(harness, [&](ImDrawList* dl) { drawPolyline(dl, ends, 0xFF8DC63F, 1.5f); });
  ASSERT_FALSE(line.empty());
  ASSERT_EQ(line.size(), polyline.size());
  for (std::size_t i = 0; i < line.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(line[i].pos.x, polyline[i].pos.x);
    EXPECT_EQ(line[i].pos.y, polyline[i].pos.y);
    EXPECT_EQ(line[i].col, polyline[i].col);
  }
}

TEST(Primitives, AQuadIsFilledAsOneShape) {
  UiHarness harness;
  const ImVec2 corners[] = {{50, 40}, {60, 50}, {50, 60}, {40, 50}};
  const auto vertices = verticesDrawnBy(harness, [&](ImDrawList* dl) {
    fillQuad(dl, corners[0], corners[1], corners[2], corners[3], 0x8CA4D165);
  });
  // One outline of four corners, each with its anti-aliasing fringe: two
  // triangles would make six of each, their shared edge fringed twice.
  ASSERT_EQ(vertices.size(), 8u);
  int solid = 0;
  for (const ImDrawVert& v : vertices) {
    const float nearest = std::min({distance(v.pos, corners[0]), distance(v.pos, corners[1]),
                                    distance(v.pos, corners[2]), distance(v.pos, corners[3])});
    EXPECT_LT(nearest, 1.0f) << v.pos.x << "," << v.pos.y;
    if (v.col == packColour(0x8CA4D165))
      ++solid;
    else
      EXPECT_EQ(v.col, packColour(0x00A4D165));
  }
  EXPECT_EQ(solid, 4);
  const auto quads = harness.drawLog().find(DrawOp::FillQuad);
  ASSERT_EQ(quads.size(), 1u);
  ASSERT_EQ(quads[0]->points.size(), 4u);
  EXPECT_EQ(quads[0]->points[2].y, 60.0f);
  EXPECT_EQ(quads[0]->colour, 0x8CA4D165u);
}

TEST(DrawLog, RecordsEachPrimitiveInTheCallersTerms) {
  UiHarness harness(2.0f);
  const std::vector<ImVec2> line = {{0, 0}, {5, 5}};
  harness.frame([&] {
    ImDrawList* dl = ImGui::GetWindowDrawList();
    fillRect(dl, {1, 2, 3, 4}, 0x80FF0000, 6);
    strokePath(dl, line, 0xFF00FF00, 1.5f, 4, 2);
    fillCircleSmooth(dl, {7, 8}, 9, 0xFF0000FF, 0x000000FF);
  });
  const auto records = harness.drawLog().records();
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].op, DrawOp::FillRect);
  EXPECT_EQ(records[0].rect.width, 3.0f);
  EXPECT_EQ(records[0].colour, 0x80FF0000u);
  EXPECT_EQ(records[0].radius, 6.0f);
  EXPECT_EQ(records[1].op, DrawOp::StrokePath);
  EXPECT_EQ(records[1].points.size(), 2u);
  EXPECT_EQ(records[1].width, 1.5f);
  EXPECT_EQ(records[1].dash, 4.0f);
  EXPECT_EQ(records[1].gap, 2.0f);
  EXPECT_EQ(records[2].rimColour, 0x000000FFu);
  EXPECT_EQ(harness.drawLog().find(DrawOp::FillRect).size(), 1u);
  harness.frame();
  EXPECT_TRUE(harness.drawLog().records().empty());
}

}  // namespace primitives_test
}  // namespace orbi::ui
