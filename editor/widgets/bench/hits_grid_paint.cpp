#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "editor/widgets/bench/hits_grid.h"
#include "editor/widgets/widget_support.h"
#include "ui/context.h"
#include "ui/draw/axis.h"
#include "ui/draw/shapes.h"
#include "ui/draw/text.h"
#include "ui/draw/waveform.h"

namespace orbi {
namespace {

// These three take their alpha from faded.
constexpr std::uint32_t kCellFill = palette::kTilePanel;
constexpr std::uint32_t kWaveLight = palette::kLight;
constexpr std::uint32_t kAmber = palette::kWarning;  // micro-timing, silence, repeats, markers
constexpr std::uint32_t kChipFill = palette::withAlphaByte(palette::kDarkFill, 0xEB);
constexpr std::uint32_t kChipOutline = palette::withAlphaByte(palette::kWarning, 0xCC);
constexpr std::uint32_t kPlayhead = palette::kDanger;
constexpr float kMicroShift = 0.42f;
constexpr float kMinLevel = 0.06f;
constexpr float kWaveHeight = 0.9f;
constexpr float kOutsideLoop = 0.28f;

// The colour with its own alpha (0..255) scaled by the cell's factor.
std::uint32_t faded(std::uint32_t rgb, float alpha255, float a) {
  return withAlpha(rgb, alpha255 / 255.0f * a);
}

}  // namespace

void HitsGrid::drawCells(ImDrawList* dl, const Geometry& g) const {
  for (int i = 0; i < g.count; ++i) drawCell(dl, g, i);
  drawChips(dl, g);
  const float s = ui::scale();
  if (playStep >= 0 && playStep < g.count) {
    const float x = g.cellX(playStep);
    ui::fillRect(dl, {x - s, g.rect.y, 2.0f * s, g.cellHeight}, kPlayhead);
  }
  drawLoopTab(dl, g);
  drawNumbers(dl, g);
}

void HitsGrid::drawCell(ImDrawList* dl, const Geometry& g, int i) const {
  const float s = ui::scale();
  const Cell& c = cells[static_cast<std::size_t>(i)];
  const float a = i < loopLength ? 1.0f : kOutsideLoop;
  const ui::Rect cell = g.cell(i);
  ui::fillRect(dl, cell, faded(kCellFill, 179.0f, a), 4.0f);
  const float shift = g.cellWidth * c.micro * kMicroShift;
  if (c.active()) {
    ui::Rect box = cell.inset(3.0f * s, 3.0f * s);
    box.x += shift;
    drawWave(dl, cell, box, i, a);
  }
  if (std::fabs(c.micro) > 0.02f) {
    const float x = cell.x + cell.width / 2.0f;
    ui::drawLine(dl, {x, cell.y + 2.0f * s}, {x, cell.y + cell.height - 2.0f * s}, faded(kAmber, 128.0f, a),
                 1.0f, 2.0f, 2.0f);
  }
  if (c.silent) ui::strokeRect(dl, cell.inset(2.0f * s, 2.0f * s), faded(kAmber, 179.0f, a), 4.0f, 1.0f);
  if (c.retrigCount >= 2) drawRepeats(dl, g, i, a);
  float markerX = cell.x + 3.0f * s;
  if (c.hasLocks) {
    ui::drawText(dl, {markerX, cell.y + 2.0f * s, 16.0f * s, 10.0f * s}, "P", ui::TextStyle::Caption,
                 faded(kAmber, 255.0f, a));
    markerX += 13.0f * s;
  }
  if (c.hasRandom)
    ui::drawText(dl, {markerX, cell.y + 2.0f * s, 16.0f * s, 10.0f * s}, "~", ui::TextStyle::Caption,
                 faded(kAmber, 255.0f, a));
  if (i == selectedStep)
    ui::strokeRect(dl, cell, withAlpha(palette::kAccentHovered, a), 4.0f, 2.0f);
  else
    ui::strokeRect(dl, cell, withAlpha(palette::kBorder, a), 4.0f, 1.0f);
}

void HitsGrid::drawWave(ImDrawList* dl, const ui::Rect& cell, const ui::Rect& box, int i, float a) const {
  const auto index = static_cast<std::size_t>(i);
  const Cell& c = cells[index];
  const float level = std::max(c.silent ? 0.0f : clamp01NanTo0(c.velocity), kMinLevel);
  const auto paint = [&](const Wave& w, std::uint32_t colour) {
    if (w.frames <= 0) return;
    ui::WaveformStyle style;
    style.colour = colour;
    style.height = kWaveHeight;
    style.gain = level;
    const ui::Axis axis{ui::AxisKind::Linear, 0.0f, static_cast<float>(w.frames), box.x, box.x + box.width};
    ui::drawWaveform(dl, box, axis, w.overview, style);
  };
  // A hit shifted by its micro-timing stays inside its own cell.
  dl->PushClipRect(ImVec2(cell.x, cell.y), ImVec2(cell.x + cell.width, cell.y + cell.height), true);
  if (!cellVariations[index].empty())
    for (const Wave& w : cellVariations[index]) paint(w, faded(kWaveLight, 51.0f, a));
  else if (cellWaves[index].frames > 0)
    paint(cellWaves[index], faded(kWaveLight, 217.0f, a));
  else
    paint(baseWave, faded(palette::kAccent, 77.0f, a));
  dl->PopClipRect();
}

void HitsGrid::drawRepeats(ImDrawList* dl, const Geometry& g, int i, float a) const {
  const float s = ui::scale();
  const Cell& c = cells[static_cast<std::size_t>(i)];
  const ui::Rect cell = g.cell(i);
  const float right = cell.x + cell.width - 2.0f * s;
  const float bottom = cell.y + cell.height - 3.0f * s;
  const float pitch = static_cast<float>(c.retrigTicks) / ob::kTicksPerStep * g.cellWidth;
  const int repeats = std::min(c.retrigCount, kMaxRetrig);
  const std::uint32_t colour = faded(kAmber, 217.0f, a);
  int k = 0;
  for (float x = cell.x + g.cellWidth * c.micro * kMicroShift + 2.0f * s; k < repeats && x <= right;
       ++k, x += pitch) {
    const float height = std::max(repeatGain(c, k) * 0.34f * g.cellHeight, 1.5f * s);
    ui::fillRect(dl, {x, bottom - height, 1.6f * s, height}, colour);
  }
  if (k >= repeats) return;
  const float R = right;
  const float B = bottom;
  ui::fillTriangle(dl, {R - 3.0f * s, B - 5.0f * s}, {R - 3.0f * s, B}, {R, B - 2.5f * s}, colour);
}

void HitsGrid::drawChips(ImDrawList* dl, const Geometry& g) const {
  for (int i = 0; i < g.count; ++i) {
    if (!hasChip(g, i)) continue;
    const ui::Rect chip = chipRect(g, i);
    ui::fillRect(dl, chip, kChipFill, 3.0f);
    ui::strokeRect(dl, chip, kChipOutline, 3.0f, 1.0f);
    ui::drawText(dl, chip, rateLabel(cells[static_cast<std::size_t>(i)].retrigTicks), ui::TextStyle::Caption,
                 palette::kMuted, ui::TextAlign::Centre);
  }
}

void HitsGrid::drawLoopTab(ImDrawList* dl, const Geometry& g) const {
  const float s = ui::scale();
  const bool shortLoop = loopLength < g.count;
  const float A = loopHot_ ? 1.0f : shortLoop ? 0.7f : 0.32f;
  const std::uint32_t colour = withAlpha(palette::kAccent, A);
  const float x = g.loopX, top = g.rect.y;
  if (shortLoop || loopHot_) ui::fillRect(dl, {x - s, top, 2.0f * s, g.cellHeight}, colour);
  ui::fillTriangle(dl, {x - 4.0f * s, top}, {x + 4.0f * s, top}, {x, top + 6.0f * s}, colour);
}

void HitsGrid::drawNumbers(ImDrawList* dl, const Geometry& g) const {
  const float stripTop = g.rect.y + g.cellHeight;
  const float stripHeight = std::max(g.rect.height, 0.0f) - g.cellHeight;
  for (int i = 0; i < g.count; ++i) {
    const std::uint32_t colour = i == selectedStep ? palette::kAccentHovered
                                 : i < loopLength  ? palette::kMuted
                                                   : withAlpha(palette::kMuted, 0.4f);
    ui::drawText(dl, {g.cellX(i), stripTop, g.cellWidth, stripHeight}, std::to_string(i + 1),
                 ui::TextStyle::Small, colour, ui::TextAlign::Centre);
  }
}

}  // namespace orbi
