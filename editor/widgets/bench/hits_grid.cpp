#include "editor/widgets/bench/hits_grid.h"

#include <algorithm>
#include <cmath>

#include "editor/widgets/drag_sweep.h"
#include "editor/widgets/widget_support.h"
#include "ui/context.h"
#include "ui/interact/interaction.h"

namespace orbi {
namespace {

constexpr float kGap = 3.0f;
constexpr float kNumberStrip = 15.0f;
constexpr float kLoopOffset = 1.5f;
constexpr float kLoopTabWidth = 10.0f;
constexpr float kDragThreshold = 3.0f;
constexpr float kRetrigPitch = 10.0f;  // of horizontal drag per repeat
constexpr float kChipMinCell = 36.0f;
constexpr float kChipWidth = 30.0f;
constexpr float kChipHeight = 11.0f;
constexpr float kChipInset = 2.0f;

constexpr std::array<int, HitsGrid::kRateCodes> kRetrigTicks = {96, 48, 32, 24, 16, 12, 8, 6};
constexpr std::array<const char*, HitsGrid::kRateCodes> kRetrigLabels = {"1/4",   "1/8",  "1/8T",  "1/16",
                                                                         "1/16T", "1/32", "1/32T", "1/64"};

constexpr const char* kHelp =
    "THE 16 HITS - each cell is this drum rendered at that step.\n"
    "click: edit the hit  /  click again: back to base  /  right-click: remove\n"
    "drag left/right: micro-timing  /  alt-drag: retrig count  /  up/down: retrig ramp  /  drag the tab: "
    "loop "
    "length";

HitsGrid::Wave waveOf(const float* samples, int frames) {
  HitsGrid::Wave w;
  if (samples == nullptr || frames <= 0) return w;
  w.samples = samples;
  w.frames = frames;
  w.overview = ui::WaveOverview({samples, static_cast<std::size_t>(frames)}, 1.0);
  return w;
}

ui::InteractSpec rectangleSpec(const ui::Rect& r, ImGuiMouseCursor cursor, const char* tooltip) {
  ui::InteractSpec desc;
  desc.kind = ui::HitKind::Rectangle;
  desc.rect = r;
  desc.axis = ui::DragAxis::Free;
  desc.cursor = cursor;
  desc.tooltip = tooltip;
  return desc;
}

bool moved(const ui::Interaction& it) { return it.delta.x != 0.0f || it.delta.y != 0.0f; }

}  // namespace

int HitsGrid::Geometry::cellAt(ImVec2 p) const {
  for (int i = 0; i < count; ++i) {
    if (cell(i).contains(p)) return i;
  }
  return -1;
}

int HitsGrid::Geometry::boundaryNearest(float x) const {
  const float s = ui::scale();
  int best = 1;
  float bestDistance = INFINITY;
  for (int i = 1; i <= count; ++i) {
    const float d = std::fabs(cellX(i - 1) + std::max(cellWidth, 0.0f) + kLoopOffset * s - x);
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  return best;
}

HitsGrid::HitsGrid() : help(kHelp) {}

HitsGrid::Geometry HitsGrid::geometry(const ui::Rect& r) const {
  const float s = ui::scale();
  Geometry g;
  g.rect = r;
  g.count = std::clamp(count, 1, kCells);
  g.gap = kGap * s;
  g.cellWidth =
      std::max((r.width - static_cast<float>(g.count - 1) * g.gap) / static_cast<float>(g.count), 0.0f);
  const float height = std::max(r.height, 0.0f);
  g.cellHeight = height - std::min(kNumberStrip * s, height);
  const int last = std::clamp(loopLength, 1, g.count) - 1;
  g.loopX = g.cellX(last) + g.cellWidth + kLoopOffset * s;
  return g;
}

bool HitsGrid::hasChip(const Geometry& g, int i) const {
  if (i < 0 || i >= g.count || cells[static_cast<std::size_t>(i)].retrigCount < 2) return false;
  if (i != selectedStep && i != hoverStep_) return false;
  return g.cellWidth >= kChipMinCell * ui::scale();
}

ui::Rect HitsGrid::chipRect(const Geometry& g, int i) {
  const float s = ui::scale();
  const ui::Rect c = g.cell(i);
  return {c.x + c.width - (kChipInset + kChipWidth) * s, c.y + kChipInset * s, kChipWidth * s,
          kChipHeight * s};
}

int HitsGrid::rateTicks(int code) {
  return code >= 0 && code < kRateCodes ? kRetrigTicks[static_cast<std::size_t>(code)] : kDefaultRetrigTicks;
}

int HitsGrid::rateCode(int ticks) {
  int best = 0;
  for (int code = 1; code < kRateCodes; ++code)
    if (std::abs(kRetrigTicks[static_cast<std::size_t>(code)] - ticks) <
        std::abs(kRetrigTicks[static_cast<std::size_t>(best)] - ticks))
      best = code;
  return best;
}

const char* HitsGrid::rateLabel(int ticks) {
  return kRetrigLabels[static_cast<std::size_t>(rateCode(ticks))];
}

float HitsGrid::repeatGain(const Cell& c, int k) {
  const float r = static_cast<float>(c.retrigRamp) / 128.0f;
  if (k == 0 && r <= 0.0f) return 1.0f;
  // The ramp runs over the repeats, as the step clock plays it.
  const float t = static_cast<float>(k) / static_cast<float>(std::max(c.retrigCount - 1, 1));
  return clamp01NanTo0(r >= 0.0f ? 1.0f - (1.0f - t) * r : 1.0f + r * t);
}

void HitsGrid::setBaseWaveform(const float* samples, int frames) { baseWave = waveOf(samples, frames); }

void HitsGrid::setCellWaveform(int step, const float* samples, int frames) {
  if (step < 0 || step >= kCells) return;
  cellWaves[static_cast<std::size_t>(step)] = waveOf(samples, frames);
}

void HitsGrid::setCellVariations(int step, std::span<const std::pair<const float*, int>> variations) {
  if (step < 0 || step >= kCells) return;
  std::vector<Wave>& list = cellVariations[static_cast<std::size_t>(step)];
  list.clear();
  for (const auto& [samples, frames] : variations)
    if (samples != nullptr && frames > 0) list.push_back(waveOf(samples, frames));
}

void HitsGrid::clearCellWaveforms() {
  for (Wave& w : cellWaves) w = Wave();
  for (std::vector<Wave>& list : cellVariations) list.clear();
}

void HitsGrid::draw(const ui::Rect& r) {
  rect = r;
  ImGui::PushID(this);
  // Callbacks may rewrite the cells and lengths; the frame keeps the
  // geometry it started with and paints what is there after them.
  const Geometry g = geometry(r);
  drawGrid(g);
  drawCells(ImGui::GetWindowDrawList(), geometry(r));
  ImGui::PopID();
}

void HitsGrid::drawGrid(const Geometry& g) {
  const ImVec2 pointer = ImGui::GetIO().MousePos;
  hoverStep_ = g.cellAt(pointer);
  // Registered before the cells, so they take the presses over them.
  interactLoopTab(g);
  interactChips(g);
  for (int i = 0; i < g.count; ++i) interactCell(g, i);
  const ui::Interaction strip =
      ui::interact("strip", rectangleSpec(g.rect, ImGuiMouseCursor_Arrow, help.c_str()));
  if (strip.pressed || strip.doubleClicked || strip.rightClicked) select(-1);
}

void HitsGrid::interactLoopTab(const Geometry& g) {
  ui::InteractSpec desc;
  desc.kind = ui::HitKind::VerticalBand;
  desc.point = ImVec2(g.loopX, g.rect.y);
  desc.rect = g.rect;
  desc.reach = kLoopTabWidth / 2.0f;
  desc.cursor = ImGuiMouseCursor_ResizeEW;
  desc.tooltip = help.c_str();
  const ui::Interaction it = ui::interact("loop", desc);
  loopHot_ = it.hovered || it.held;
  if (it.pressed) loopSent_ = loopLength;
  if (!it.held || !moved(it)) return;
  // Each moved frame lands on a boundary; only a new one is a new length,
  // so a long drag is not a stream of identical edits.
  const int length = std::clamp(g.boundaryNearest(it.pressPos.x + it.total.x), 1, g.count);
  if (length == loopSent_) return;
  loopSent_ = length;
  if (onLoopLength) onLoopLength(length);
}

void HitsGrid::interactChips(const Geometry& g) {
  for (int i = 0; i < g.count; ++i) {
    if (!hasChip(g, i)) continue;
    ImGui::PushID(i);
    const ui::Interaction it =
        ui::interact("chip", rectangleSpec(chipRect(g, i), ImGuiMouseCursor_Hand, nullptr));
    ImGui::PopID();
    if ((it.pressed || it.doubleClicked) && onRetrigRate)
      onRetrigRate(i, true);
    else if (it.rightClicked && onRetrigRate)
      onRetrigRate(i, false);
  }
}

void HitsGrid::select(int i) const {
  if (onSelect) onSelect(i);
}

void HitsGrid::interactCell(const Geometry& g, int i) {
  ImGui::PushID(i);
  const ui::Interaction it =
      ui::interact("cell", rectangleSpec(g.cell(i), ImGuiMouseCursor_Hand, help.c_str()));
  ImGui::PopID();
  const auto index = static_cast<std::size_t>(i);
  const auto toggleAndSelect = [this, i] {
    if (onToggle) onToggle(i);
    select(i);
  };
  if (it.rightClicked && cells[index].active() && onToggle) onToggle(i);
  if (it.pressed) {
    if (cells[index].active()) {
      dragStep_ = i;
      baseMicro_ = cells[index].micro;
      baseCount_ = cells[index].retrigCount;
      baseRamp_ = cells[index].retrigRamp;
      dragMode_ = kUndecided;
    } else {
      toggleAndSelect();
    }
  }
  if (it.doubleClicked) {
    if (cells[index].active()) {
      dragStep_ = -1;
      dragMode_ = kUndecided;
      select(i == selectedStep ? -1 : i);
    } else {
      toggleAndSelect();
    }
  }
  if (dragStep_ != i) return;
  if (it.held && moved(it)) dragCell(g, i, it.total, it.altAtPress);
  if (it.released) {
    const bool click = dragMode_ == kUndecided;
    dragStep_ = -1;
    dragMode_ = kUndecided;
    if (click) select(i == selectedStep ? -1 : i);
  }
}

void HitsGrid::dragCell(const Geometry& g, int i, ImVec2 total, bool altAtPress) {
  const float s = ui::scale();
  if (dragMode_ == kUndecided) {
    if (std::fabs(total.x) <= kDragThreshold * s && std::fabs(total.y) <= kDragThreshold * s) return;
    dragMode_ = altAtPress ? kRetrigCount : std::fabs(total.y) > std::fabs(total.x) ? kRetrigRamp : kMicro;
  }
  // Always from the values at the press plus the whole drag, so frames do
  // not accumulate.
  switch (dragMode_) {
    case kMicro:
      // From -1 to 1 over two cells' width, no faster than the least sweep.
      if (onMicro)
        onMicro(i, clampTo(2.0f * total.x / sweepLength(2.0f * g.cellWidth, s) + baseMicro_, -1.0f, 1.0f));
      break;
    case kRetrigCount: {
      int n = baseCount_ + static_cast<int>(std::trunc(total.x / (kRetrigPitch * s)));
      // One repeat is no retrig: a drag from none jumps straight to two.
      if (n < 2) n = baseCount_ == 0 && total.x >= kRetrigPitch * s ? 2 : 0;
      if (onRetrigCount) onRetrigCount(i, std::clamp(n, 0, kMaxRetrig));
      break;
    }
    case kRetrigRamp:
      if (cells[static_cast<std::size_t>(i)].retrigCount < 2) break;
      if (onRetrigRamp)
        onRetrigRamp(i, std::clamp(baseRamp_ - 2 * static_cast<int>(std::trunc(total.y / s)), -128, 127));
      break;
    default: break;
  }
}

}  // namespace orbi
