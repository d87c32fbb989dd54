#include "editor/widgets/sample/grain_lane.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "editor/widgets/sample/lane_geometry.h"
#include "editor/widgets/widget_support.h"
#include "ui/context.h"
#include "ui/draw/draw_log.h"
#include "ui/draw/shapes.h"
#include "ui/draw/text.h"

namespace orbi {
namespace {

constexpr float kSweep = 160.0f;  // pixels (times the scale) for a whole axis
constexpr float kGrainRate = 48000.0f;
constexpr int kHumpSegments = 16;
constexpr std::uint32_t kGrainFill = palette::withAlphaByte(palette::kAccent, 0x59);
constexpr std::uint32_t kCaption = palette::withAlphaByte(palette::kMuted, 0x8C);

}  // namespace

std::string GrainLane::hint() const {
  return "GRAINS - the grain cloud: how long each grain is and how many land.\ndrag: " +
         std::string(slotName(0)) + "  /  up/down: " + slotName(1) + "  /  right-click: type";
}

ImVec2 GrainLane::anchorFor(int slot, float t) const {
  const ui::Rect c = contentRect();
  const float s = ui::scale();
  const float u = clamp01NanTo0(t);
  if (slot == 0) return {c.x + c.width * u, c.y + c.height / 2.0f};
  return {c.x + 6.0f * s, c.y + c.height - 12.0f * s - (c.height - 16.0f * s) * u};
}

int GrainLane::grainCount(float density) {
  const float spacing = 1.0f / std::max(density, 1.0f);
  const float count = std::ceil(1.0f / std::max(spacing, 0.001f));
  return static_cast<int>(clampTo(count, 1.0f, static_cast<float>(kMostGrains)));
}

float GrainLane::grainWidth(float sizeMs, float contentWidth, float s) {
  // A whole number of samples at 48 kHz, at least two.
  const float samplesLong = std::max(std::trunc(sizeMs * 0.001f * kGrainRate), 2.0f);
  return std::max(contentWidth * samplesLong / kGrainRate, 2.0f * s);
}

ImGuiMouseCursor GrainLane::cursorAt(ImVec2 pointer) const {
  return contentRect().containsWithEdges(pointer) ? ImGuiMouseCursor_Hand : ImGuiMouseCursor_Arrow;
}

void GrainLane::press(const ui::Interaction&) {
  axis_ = 1;
  dragging_ = true;
  sizeAtPress_ = value(0);
  densityAtPress_ = value(1);
}

void GrainLane::move(const ui::Interaction& it) {
  if (!dragging_) return;
  const float s = ui::scale();
  const float dx = it.total.x, dy = it.total.y;
  if (axis_ == 1) {
    if (std::fabs(dx) < kAxisDecision * s && std::fabs(dy) < kAxisDecision * s) return;
    axis_ = std::fabs(dy) > std::fabs(dx) ? 3 : 2;
  }
  if (axis_ == 2) {
    const float t = clamp01NanTo0(slots[0].toNormalized(sizeAtPress_) + dx / (kSweep * s));
    change(0, slots[0].fromNormalized(t));
  } else if (axis_ == 3) {
    const float t = clamp01NanTo0(slots[1].toNormalized(densityAtPress_) - dy / (kSweep * s));
    change(1, slots[1].fromNormalized(t));
  }
}

void GrainLane::endGesture() {
  dragging_ = false;
  axis_ = 0;
}

int GrainLane::pickTyped(ImVec2 pointer) const {
  const ui::Rect c = contentRect();
  return pointer.y >= c.y + c.height / 2.0f ? 0 : 1;
}

SamplerLane::TypedField GrainLane::typedField(int slot) const {
  if (slot == 0) return {1.0f, 5.0f, 200.0f, slotName(0), "ms"};
  return {1.0f, 1.0f, 100.0f, slotName(1), "/s"};
}

void GrainLane::paint(ImDrawList* dl) {
  const ui::Rect c = contentRect();
  const float s = ui::scale();
  const float density = std::max(value(1), 1.0f);
  const float spacing = 1.0f / density;
  const int count = grainCount(density);
  const float g = grainWidth(value(0), c.width, s);
  const float base = c.y + c.height - 12.0f * s;
  const float k = std::max(base - (c.y + 2.0f * s), 4.0f * s);
  std::vector<ImVec2> hump(kHumpSegments + 1);
  // The first grain is centred on the left edge: half of it would lie
  // outside the lane.
  dl->PushClipRect(ImVec2(rect.x, rect.y),
                   ImVec2(rect.x + std::max(rect.width, 0.0f), rect.y + std::max(rect.height, 0.0f)), true);
  for (int i = 0; i < count; ++i) {
    const float x = c.x + static_cast<float>(i) * spacing * c.width;
    // The quadratic curve from (x - g/2, base) over (x, base - k) to (x + g/2, base).
    for (int j = 0; j <= kHumpSegments; ++j) {
      const float u = static_cast<float>(j) / kHumpSegments;
      hump[static_cast<std::size_t>(j)] = {x - g / 2.0f + g * u, base - 2.0f * u * (1.0f - u) * k};
    }
    ui::fillUnder(dl, hump, base, kGrainFill);
    placer().polyline(hump, s);
  }
  dl->PopClipRect();
  for (std::size_t i = 0; i < slots.size(); ++i) drawModulation(dl, static_cast<int>(i));
  // The whole lane is the handle: sideways for the size, up and down for
  // the density.
  ui::logHandle(this, "grains", {c.x + 0.5f * c.width, c.y + 0.5f * c.height}, ui::kAlongBoth, dragging_);
  // While it moves, the caption is what the drag sets.
  if (dragging_ && axis_ == 2)
    caption(readout(0), palette::kLight);
  else if (dragging_ && axis_ == 3)
    caption(readout(1), palette::kLight);
  else if (dragging_)
    caption(readout(0) + "  \u00B7  " + readout(1), palette::kLight);
  else
    caption("drag: " + std::string(slotName(0)) + "  ·  up-down: " + slotName(1) + "  ·  right-click: type",
            kCaption);
}

}  // namespace orbi
