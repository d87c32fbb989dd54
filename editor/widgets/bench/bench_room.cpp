#include "editor/widgets/bench/bench_room.h"

#include <algorithm>
#include <cmath>

#include "editor/widgets/param_drawer.h"
#include "editor/widgets/widget_support.h"
#include "engine/model/project.h"

namespace orbi {
namespace {

// Design heights.
constexpr float kBandGap = 10.0f;
constexpr float kCreditsBand = 20.0f;
constexpr float kRow = 16.0f;          // a track row and a drawer row
constexpr float kPanelChrome = 40.0f;  // a panel's title strip and bottom padding
constexpr float kPanelGap = 10.0f;
constexpr float kInnerGap = 10.0f;  // between the anatomy panel's bands
constexpr float kInnerGapLeast = 6.0f;
constexpr float kSide = 10.0f;
constexpr float kTop = 30.0f;
constexpr float kHitsBare = 32.0f;       // cells of 17 over the step numbers: their waveforms are lines
constexpr float kHitsWaveforms = 44.0f;  // cells of 29, whose waveforms read as waveforms
constexpr float kHitsUsual = 68.0f;      // what the grid has whenever the page can spare it
constexpr float kHitsMost = 108.0f;
constexpr float kHitsShare = 0.32f;
constexpr float kVelocity = 54.0f;
constexpr float kVelocityLeast = 40.0f;   // with routes: a graph of 23 for their handles
constexpr float kVelocityFolded = 17.0f;  // one line
constexpr float kChainActive = 62.0f;
constexpr float kChainActiveLeast = 52.0f;  // tiles whose plots are 35 high
constexpr float kChainIdle = 16.0f;
constexpr float kRatePillWidth = 46.0f;
constexpr float kRatePillHeight = 18.0f;
constexpr float kRatePillGap = 12.0f;
using ob::kMaxTracks;
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
float chainFloor(const BenchRoomInput& in) { return in.anyStageActive ? kChainActiveLeast : kChainIdle; }
// Between the velocity tile, the chain strip, the drawer and the main area.
int innerGaps(const BenchRoomInput& in) { return drawerRowsOf(in) > 0 ? 3 : 2; }

// Everything of the page but the hits grid, the drawer, the main area and
// the bands above their floors.
float fixedHeight(const BenchRoomInput& in, float s) {
  const float anatomy =
      kPanelChrome + velocityFloor(in) + chainFloor(in) + static_cast<float>(innerGaps(in)) * kInnerGapLeast;
  return grooveHeight(in, s) + (kPanelGap + kPanelChrome + kPanelGap + anatomy) * s;
}

// The room of the flexible bands, shared in order of need; each above its
// part of the fixed height.
struct Shares {
  float macros = 0.0f;  // the whole band
  float grid = 0.0f;
  float drawer = 0.0f;
  float main = 0.0f;
  float velocity = 0.0f;
  float chain = 0.0f;
  float gaps = 0.0f;  // all of them
};

class Sharer {
 public:
  explicit Sharer(float room) : left_(room) {}
  // Up to the height, as far as the room goes.
  void give(float& band, float upTo) {
    const float taken = clampTo(upTo - band, 0.0f, left_);
    band += taken;
    left_ -= taken;
  }
  // Up to the height in whole rows.
  void giveRows(float& band, float upTo, float row) {
    if (row <= 0.0f) return give(band, upTo);
    give(band, std::min(upTo, band + std::floor(std::max(left_, 0.0f) / row + 1e-4f) * row));
  }
  // Up to the height, or nothing when the room does not reach it.
  void giveAll(float& band, float upTo) {
    if (upTo - band <= left_ + 1e-4f) give(band, upTo);
  }
  void take(float height) { left_ -= height; }
  float left() const { return std::max(left_, 0.0f); }

 private:
  float left_;
};

// The bench's share of the room, and with macros, the macros band's.
Shares shareRoom(float room, const BenchRoomInput& in, float s, float gridShare, const BandHeight* macros) {
  Shares out;
  Sharer sharer(room);
  const float row = kRow * s;
  const int rows = drawerRowsOf(in);
  if (macros) {
    out.macros = macros->least;
    sharer.take(macros->least);
  }
  sharer.give(out.main, in.mainFloor);
  sharer.give(out.drawer, rows > 0 ? row : 0.0f);
  sharer.give(out.grid, kHitsBare * s);
  if (macros) sharer.giveAll(out.macros, macros->floor);
  sharer.give(out.grid, kHitsWaveforms * s);
  // The list grows only past a first row it has.
  const bool listed = macros && out.macros >= macros->floor - 1e-3f * s;
  if (listed) sharer.giveRows(out.macros, macros->comfort, macros->row);
  sharer.give(out.main, std::max(in.mainRoomy, in.mainFloor));
  if (in.anyStageActive) sharer.give(out.chain, (kChainActive - kChainActiveLeast) * s);
  sharer.give(out.gaps, static_cast<float>(innerGaps(in)) * (kInnerGap - kInnerGapLeast) * s);
  // Whole rows only: the drawer scrolls through the others.
  sharer.giveRows(out.drawer, static_cast<float>(rows) * row, row);
  sharer.give(out.grid, kHitsUsual * s);
  if (!in.velocityFolded) sharer.give(out.velocity, (kVelocity - kVelocityLeast) * s);
  if (listed) {
    sharer.giveRows(out.macros, macros->full, macros->row);
    if (out.macros >= macros->full - 1e-3f * s) sharer.give(out.macros, macros->wanted);
  }
  sharer.give(out.grid, gridShare);
  out.main += sharer.left();
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
  const float gridShare = clampTo(kHitsShare * (r - kPanelChrome * s), kHitsUsual * s, kHitsMost * s);
  const Shares shares = shareRoom(h - fixedHeight(in, s), in, s, gridShare, nullptr);

  const float H = clampTo(shares.grid + kPanelChrome * s, 0.0f, r);
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
  const float gap = kInnerGapLeast * s + shares.gaps / static_cast<float>(innerGaps(in));
  out.velocity = takeBottom(box, velocityFloor(in) * s + shares.velocity);
  takeBottom(box, gap);
  out.chainStrip = takeBottom(box, chainFloor(in) * s + shares.chain);
  takeBottom(box, gap);
  out.drawer = takeBottom(box, shares.drawer);
  if (out.drawer.height > 0.0f) takeBottom(box, gap);
  out.mainArea = box;

  ui::Rect groove = contentOf(out.groovePanel, s);
  if (in.rowCount < kMaxTracks) out.addRow = takeBottom(groove, kRow * s);
  out.trackRows = groove;
  return out;
}

float benchRoomFloor(const BenchRoomInput& in, float s, bool roomyHits) {
  return fixedHeight(in, s) + std::max(in.mainFloor, 0.0f) + (drawerRowsOf(in) > 0 ? kRow * s : 0.0f) +
         (roomyHits ? kHitsUsual : kHitsWaveforms) * s;
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
    const float room = rest.height - kBandGap * s - fixedHeight(*bench, s);
    height = shareRoom(room, *bench, s, 0.0f, &macros).macros;
  }
  out.macros = rest.takeTop(height);
  rest.takeTop(kBandGap * s);
  out.page = rest;
  return out;
}

}  // namespace orbi
