#include "editor/widgets/bench/bench_heights.h"

#include <algorithm>
#include <limits>

#include "editor/widgets/param_drawer.h"
#include "editor/widgets/widget_support.h"
#include "engine/model/project.h"
#include "ui/layout/height_sharer.h"

namespace orbi {
namespace {

// Design heights.
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

int drawerRowsOf(const BenchHeightInput& in) { return std::clamp(in.drawerRows, 0, kMaxDrawerRows); }

float grooveHeight(const BenchHeightInput& in, float s) {
  const int n = std::max(in.rowCount, 0);
  const float rowsShown = static_cast<float>(std::max(n, 1) + (n < kMaxTracks ? 1 : 0));
  return (rowsShown * kRow + kPanelChrome) * s;
}

float velocityFloor(const BenchHeightInput& in) {
  return in.velocityFolded ? kVelocityFolded : kVelocityLeast;
}
float chainFloor(const BenchHeightInput& in) { return in.anyStageActive ? kChainActiveLeast : kChainIdle; }
// Between the velocity tile, the chain strip, the drawer and the main area.
int innerGaps(const BenchHeightInput& in) { return drawerRowsOf(in) > 0 ? 3 : 2; }

// Everything of the page but the hits grid, the drawer, the main area and
// the bands above their floors.
float fixedHeight(const BenchHeightInput& in, float s) {
  const float anatomy =
      kPanelChrome + velocityFloor(in) + chainFloor(in) + static_cast<float>(innerGaps(in)) * kInnerGapLeast;
  return grooveHeight(in, s) + (kPanelGap + kPanelChrome + kPanelGap + anatomy) * s;
}

// The room of the flexible bands, shared in order of need; each above its
// part of the fixed height.
struct Shares {
  float grid = 0.0f;
  float drawer = 0.0f;
  float main = 0.0f;
  float velocity = 0.0f;
  float chain = 0.0f;
  float gaps = 0.0f;  // all of them

  float total() const { return grid + drawer + main + velocity + chain + gaps; }
};

// The stages of the bench's needs (BenchNeeds), and past them the hits
// grid's share and the main area's rest.
enum class Stage { Floors, Waveforms, Ease, Whole };

// The room shared up to the end of the stage.
Shares shareRoom(float room, const BenchHeightInput& in, float s, float gridShare, Stage last) {
  Shares out;
  ui::HeightSharer sharer(room);
  const float row = kRow * s;
  const int rows = drawerRowsOf(in);
  sharer.give(out.main, in.mainFloor);
  sharer.give(out.drawer, rows > 0 ? row : 0.0f);
  sharer.give(out.grid, kHitsBare * s);
  if (last == Stage::Floors) return out;
  sharer.give(out.grid, kHitsWaveforms * s);
  if (last == Stage::Waveforms) return out;
  sharer.give(out.main, std::max(in.mainRoomy, in.mainFloor));
  if (in.anyStageActive) sharer.give(out.chain, (kChainActive - kChainActiveLeast) * s);
  sharer.give(out.gaps, static_cast<float>(innerGaps(in)) * (kInnerGap - kInnerGapLeast) * s);
  // Whole rows only: the drawer scrolls through the others.
  sharer.giveRows(out.drawer, static_cast<float>(rows) * row, row);
  sharer.give(out.grid, kHitsUsual * s);
  if (!in.velocityFolded) sharer.give(out.velocity, (kVelocity - kVelocityLeast) * s);
  if (last == Stage::Ease) return out;
  sharer.give(out.grid, gridShare);
  out.main += sharer.left();
  return out;
}

// The page height at the end of the stage, with room for all of it.
float heightAt(const BenchHeightInput& in, float s, Stage stage) {
  const float all = std::numeric_limits<float>::infinity();
  return fixedHeight(in, s) + shareRoom(all, in, s, 0.0f, stage).total();
}

}  // namespace

BenchRects shareBenchHeight(const ui::Rect& page, const BenchHeightInput& in, float s) {
  BenchRects out;
  out.page = page;
  const float x = page.x, y = page.y, w = std::max(page.width, 0.0f), h = std::max(page.height, 0.0f);
  const float G = clampTo(grooveHeight(in, s), 0.0f, h);
  out.groovePanel = {x, y + h - G, w, G};
  float r = h - G;
  r -= clampTo(kPanelGap * s, 0.0f, r);
  const float gridShare = clampTo(kHitsShare * (r - kPanelChrome * s), kHitsUsual * s, kHitsMost * s);
  const Shares shares = shareRoom(h - fixedHeight(in, s), in, s, gridShare, Stage::Whole);

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
  out.velocity = box.takeBottom(velocityFloor(in) * s + shares.velocity);
  box.takeBottom(gap);
  out.chainStrip = box.takeBottom(chainFloor(in) * s + shares.chain);
  box.takeBottom(gap);
  out.drawer = box.takeBottom(shares.drawer);
  if (out.drawer.height > 0.0f) box.takeBottom(gap);
  out.mainArea = box;

  ui::Rect groove = contentOf(out.groovePanel, s);
  if (in.rowCount < kMaxTracks) out.addRow = groove.takeBottom(kRow * s);
  out.trackRows = groove;
  return out;
}

float benchHeightFloor(const BenchHeightInput& in, float s, bool roomyHits) {
  return fixedHeight(in, s) + std::max(in.mainFloor, 0.0f) + (drawerRowsOf(in) > 0 ? kRow * s : 0.0f) +
         (roomyHits ? kHitsUsual : kHitsWaveforms) * s;
}

BenchNeeds benchNeeds(const BenchHeightInput& in, float s) {
  return {heightAt(in, s, Stage::Floors), heightAt(in, s, Stage::Waveforms), heightAt(in, s, Stage::Ease)};
}

}  // namespace orbi
