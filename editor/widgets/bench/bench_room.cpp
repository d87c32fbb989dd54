#include "editor/widgets/bench/bench_room.h"

#include <algorithm>
#include <cmath>

#include "editor/widgets/param_drawer.h"
#include "editor/widgets/widget_support.h"

namespace orbi {
namespace {

// Design heights.
constexpr float kBandGap = 10.0f;
constexpr float kCreditsBand = 20.0f;
constexpr float kRow = 16.0f;          // a track row and a drawer row
constexpr float kPanelChrome = 40.0f;  // a panel's title strip and bottom padding
constexpr float kPanelGap = 10.0f;
constexpr float kSide = 10.0f;
constexpr float kTop = 30.0f;
constexpr float kHitsFloor = 32.0f;  // cells of 17 over the step numbers
constexpr float kHitsLeast = 68.0f;  // what the grid has whenever the page can spare it
constexpr float kHitsMost = 108.0f;
constexpr float kHitsShare = 0.32f;
constexpr float kVelocity = 54.0f;
constexpr float kVelocityLeast = 40.0f;   // with routes: a graph of 23 for their handles
constexpr float kVelocityFolded = 17.0f;  // one line
constexpr float kChainActive = 62.0f;
constexpr float kChainIdle = 16.0f;
constexpr float kRatePillWidth = 46.0f;
constexpr float kRatePillHeight = 18.0f;
constexpr float kRatePillGap = 12.0f;
constexpr int kMaxTracks = 8;
constexpr int kMaxDrawerRows = ParamDrawer::kFaderCount;

// A panel's content box: 10 at the sides and bottom, 30 at the top.
ui::Rect contentOf(const ui::Rect& panel, float s) {
  return {panel.x + kSide * s, panel.y + kTop * s, std::max(panel.width - 2.0f * kSide * s, 0.0f),
          std::max(panel.height - (kTop + kSide) * s, 0.0f)};
}

ui::Rect titleStripOf(const ui::Rect& panel, float s) {
  return {panel.x + kSide * s, panel.y + 2.0f * s, std::max(panel.width - 2.0f * kSide * s, 0.0f), 24.0f * s};
}

// A band off the bottom of the box, kept within what is left of it.
ui::Rect takeBottom(ui::Rect& box, float height) {
  const float band = clampTo(height, 0.0f, box.height);
  box.height -= band;
  return {box.x, box.y + box.height, box.width, band};
}

int drawerRowsOf(const BenchRoomInput& in) { return std::clamp(in.drawerRows, 0, kMaxDrawerRows); }

float grooveHeight(const BenchRoomInput& in, float s) {
  const int n = std::max(in.rowCount, 0);
  const float rowsShown = static_cast<float>(std::max(n, 1) + (n < kMaxTracks ? 1 : 0));
  return (rowsShown * kRow + kPanelChrome) * s;
}

float velocityFloor(const BenchRoomInput& in) { return in.velocityFolded ? kVelocityFolded : kVelocityLeast; }

// Everything of the page but the hits grid, the drawer, the main area and
// the velocity tile above its floor.
float fixedHeight(const BenchRoomInput& in, float s) {
  const float anatomy = kPanelChrome + velocityFloor(in) + kPanelGap +
                        (in.anyStageActive ? kChainActive : kChainIdle) + kPanelGap +
                        (drawerRowsOf(in) > 0 ? kPanelGap : 0.0f);
  return grooveHeight(in, s) + (kPanelGap + kPanelChrome + kPanelGap + anatomy) * s;
}

// The room of the flexible bands, shared in order of need.
struct Flexible {
  float grid = 0.0f;
  float drawer = 0.0f;
  float main = 0.0f;
  float velocity = 0.0f;  // above its floor
};

Flexible shareFlexible(float room, const BenchRoomInput& in, float s, float gridShare) {
  Flexible out;
  float left = std::max(room, 0.0f);
  const auto give = [&left](float& band, float upTo) {
    const float taken = clampTo(upTo - band, 0.0f, left);
    band += taken;
    left -= taken;
  };
  const float row = kRow * s;
  const int rows = drawerRowsOf(in);
  give(out.main, in.mainFloor);
  give(out.drawer, rows > 0 ? row : 0.0f);
  give(out.grid, kHitsFloor * s);
  give(out.grid, kHitsLeast * s);
  if (!in.velocityFolded) give(out.velocity, (kVelocity - kVelocityLeast) * s);
  // Whole rows only: the drawer scrolls through the others.
  give(out.drawer, std::min(out.drawer + std::floor(left / row + 1e-4f) * row, rows * row));
  give(out.grid, gridShare);
  out.main += left;
  return out;
}

}  // namespace

BenchRects layoutBenchRoom(const ui::Rect& page, const BenchRoomInput& in, float s) {
  BenchRects out;
  out.page = page;
  const float x = page.x, y = page.y, w = std::max(page.width, 0.0f), h = std::max(page.height, 0.0f);
  const float G = clampTo(grooveHeight(in, s), 0.0f, h);
  out.groovePanel = {x, y + h - G, w, G};
  float r = h - G;
  r -= clampTo(kPanelGap * s, 0.0f, r);
  const float gridShare = clampTo(kHitsShare * (r - kPanelChrome * s), kHitsLeast * s, kHitsMost * s);
  const Flexible flexible = shareFlexible(h - fixedHeight(in, s), in, s, gridShare);

  const float H = clampTo(flexible.grid + kPanelChrome * s, 0.0f, r);
  out.hitsPanel = {x, y, w, H};
  r -= H;
  const float g = clampTo(kPanelGap * s, 0.0f, r);
  out.anatomyPanel = {x, y + H + g, w, r - g};
  out.hitsTitle = titleStripOf(out.hitsPanel, s);
  out.grooveTitle = titleStripOf(out.groovePanel, s);
  out.hitsGrid = contentOf(out.hitsPanel, s);
  if (in.titleWidth >= 0.0f)
    out.ratePill = {out.hitsTitle.x + kRatePillGap * s + in.titleWidth,
                    out.hitsTitle.y + (out.hitsTitle.height - kRatePillHeight * s) / 2.0f, kRatePillWidth * s,
                    kRatePillHeight * s};

  ui::Rect box = contentOf(out.anatomyPanel, s);
  out.velocity = takeBottom(box, velocityFloor(in) * s + flexible.velocity);
  takeBottom(box, kPanelGap * s);
  out.chainStrip = takeBottom(box, (in.anyStageActive ? kChainActive : kChainIdle) * s);
  takeBottom(box, kPanelGap * s);
  out.drawer = takeBottom(box, flexible.drawer);
  if (out.drawer.height > 0.0f) takeBottom(box, kPanelGap * s);
  out.mainArea = box;

  ui::Rect groove = contentOf(out.groovePanel, s);
  if (in.rowCount < kMaxTracks) out.addRow = takeBottom(groove, kRow * s);
  out.trackRows = groove;
  return out;
}

float benchRoomFloor(const BenchRoomInput& in, float s, bool roomyHits) {
  return fixedHeight(in, s) + std::max(in.mainFloor, 0.0f) + (drawerRowsOf(in) > 0 ? kRow * s : 0.0f) +
         (roomyHits ? kHitsLeast : kHitsFloor) * s;
}

ColumnRects layoutColumn(const ui::Rect& content, const BandHeight& macros, const BenchRoomInput* bench,
                         float s) {
  ColumnRects out;
  ui::Rect rest = content;
  rest.takeTop(kBandGap * s);
  out.credits = rest.takeTop(kCreditsBand * s);
  rest.takeTop(kBandGap * s);
  float height = std::max(macros.wanted, macros.floor);
  if (bench) {
    // The bench keeps its floors and its hits their usual height before the
    // macros list grows past its own floor; a bench that cannot keep even
    // its floors beside that leaves the list out.
    const float beside = rest.height - kBandGap * s - macros.floor;
    const float spare = beside - benchRoomFloor(*bench, s, true);
    height = beside >= benchRoomFloor(*bench, s, false)
                 ? macros.floor + clampTo(macros.wanted - macros.floor, 0.0f, std::max(spare, 0.0f))
                 : macros.least;
  }
  out.macros = rest.takeTop(height);
  rest.takeTop(kBandGap * s);
  out.page = rest;
  return out;
}

}  // namespace orbi
