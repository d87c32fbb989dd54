#include "editor/widgets/anatomy/anatomy_layout.h"

#include <algorithm>

#include "editor/widgets/widget_support.h"

namespace orbi {
namespace {

constexpr float kWireGap = 54.0f;  // between the columns, and the body and the sum
constexpr float kSumWidth = 150.0f;
constexpr float kMinColumn = 120.0f;  // a half column never narrower unless the view is
constexpr float kBottomStrip = 22.0f;
constexpr float kInset = 4.0f;         // above and below the columns
constexpr float kHeader = 34.0f;       // a half's browser
constexpr float kHeaderGap = 2.0f;     // between header and graph, and below the graph
constexpr float kSecondHitGap = 6.0f;  // between the two hits
constexpr float kLeastGraph = 64.0f;   // a graph whose handles can all be taken

}  // namespace

TileSplit splitTileHeader(const ui::Rect& t, float s) {
  TileSplit split;
  split.header = {t.x, t.y, t.width, clampTo(kHeader * s, 0.0f, t.height)};
  split.graph = {t.x, t.y + split.header.height + kHeaderGap * s, t.width,
                 std::max(t.height - split.header.height - 2.0f * kHeaderGap * s, 0.0f)};
  split.column = {t.x, t.y, t.width, split.graph.y + split.graph.height - t.y};
  return split;
}

AnatomyLayout layoutAnatomy(const ui::Rect& r, float s, bool hasSecondHit) {
  AnatomyLayout l;
  const float x0 = r.x;
  const float y0 = r.y + kInset * s;
  const float W = std::max(r.width, 0.0f);
  float H = std::max(r.height - 2.0f * kInset * s, 0.0f);
  H -= std::min(kBottomStrip * s, H);
  const float cw = std::max((W - 2.0f * kWireGap * s - kSumWidth * s) / 2.0f, kMinColumn * s);

  const float c1 = std::min(cw, W);
  if (hasSecondHit) {
    const float hh = clampTo((H - kSecondHitGap * s) / 2.0f, 0.0f, H);
    const float gap = std::min(kSecondHitGap * s, H - hh);
    l.hit = splitTileHeader({x0, y0, c1, hh}, s);
    l.secondHit = splitTileHeader({x0, y0 + hh + gap, c1, H - hh - gap}, s);
  } else {
    l.hit = splitTileHeader({x0, y0, c1, H}, s);
    const ui::Rect& c = l.hit.column;
    l.addTile = {c.x, c.y + c.height + 2.0f * s, c.width, 14.0f * s};
  }

  const float left = W - c1;
  const float gap = std::min(kWireGap * s, left);
  l.body = splitTileHeader({x0 + c1 + gap, y0, std::min(cw, left - gap), H}, s);

  const float sw = std::min(kSumWidth * s, W);
  l.sum = {x0 + W - sw, y0 + 8.0f * s, sw, std::max(H - 16.0f * s, 0.0f)};

  const ui::Rect& B = l.body.column;
  const float wireX = B.x + B.width + 4.0f * s;
  l.bodyWire = {wireX, B.y + B.height / 2.0f - 7.0f * s, std::max(l.sum.x - 4.0f * s - wireX, 10.0f * s),
                14.0f * s};

  const float hx = l.hit.column.x + l.hit.column.width / 2.0f;
  l.bleed = {hx, r.y + r.height - 23.0f * s, std::max(r.x + r.width - 26.0f * s - hx, 10.0f * s), 14.0f * s};
  return l;
}

float anatomyFloorHeight(bool hasSecondHit, float s) {
  const float column = kHeader + 2.0f * kHeaderGap + kLeastGraph;
  const float halves = hasSecondHit ? 2.0f * column + kSecondHitGap : column;
  return (halves + kBottomStrip + 2.0f * kInset) * s;
}

}  // namespace orbi
