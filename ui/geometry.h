#pragma once
// A rectangle in physical pixels, the unit every layout of the editor is
// computed in; the far corner is (x + width, y + height).

#include <algorithm>

namespace orbi::ui {

struct Rect {
  float x = 0.0f;
  float y = 0.0f;
  float width = 0.0f;
  float height = 0.0f;

  // Shrunk by dx at the left and right and dy at the top and bottom; the
  // sizes do not go below 0.
  Rect inset(float dx, float dy) const {
    return {x + dx, y + dy, std::max(width - 2.0f * dx, 0.0f), std::max(height - 2.0f * dy, 0.0f)};
  }

  // Whether a point (anything with x and y) lies inside: the left and top
  // edges in, the right and bottom out, so of two rectangles side by side
  // only one takes a point on the edge they share.
  template <class Point>
  bool contains(const Point& p) const {
    return p.x >= x && p.x < x + width && p.y >= y && p.y < y + height;
  }
  // The same with every edge in, for a handle drawn on the far edge.
  template <class Point>
  bool containsWithEdges(const Point& p) const {
    return p.x >= x && p.x <= x + width && p.y >= y && p.y <= y + height;
  }

  // Whether the two overlap: rectangles that only touch along an edge do
  // not; an empty one overlaps what it lies inside.
  bool overlaps(const Rect& o) const {
    return x < o.x + o.width && o.x < x + width && y < o.y + o.height && o.y < y + height;
  }

  // Cuts a band off the top and returns it: the height asked for, kept
  // within 0 and this rectangle's height. This rectangle keeps the rest.
  Rect takeTop(float bandHeight) {
    const float band = std::max(0.0f, std::min(bandHeight, height));
    const Rect top{x, y, std::max(width, 0.0f), band};
    y += band;
    height -= band;
    return top;
  }
  // The same off the bottom.
  Rect takeBottom(float bandHeight) {
    const float band = std::max(0.0f, std::min(bandHeight, height));
    height -= band;
    return {x, y + height, std::max(width, 0.0f), band};
  }

  // The same across: a band of the width asked for, kept within 0 and this
  // rectangle's width, cut off the left or the right end.
  Rect takeLeft(float bandWidth) {
    const float band = std::max(0.0f, std::min(bandWidth, width));
    const Rect left{x, y, band, std::max(height, 0.0f)};
    x += band;
    width -= band;
    return left;
  }
  Rect takeRight(float bandWidth) {
    const float band = std::max(0.0f, std::min(bandWidth, width));
    width -= band;
    return {x + width, y, band, std::max(height, 0.0f)};
  }
};

}  // namespace orbi::ui
