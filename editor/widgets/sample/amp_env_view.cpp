#include "editor/widgets/sample/amp_env_view.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "editor/widgets/drag_sweep.h"
#include "editor/widgets/sample/lane_geometry.h"
#include "editor/widgets/widget_support.h"
#include "ui/context.h"
#include "ui/draw/draw_log.h"
#include "ui/draw/shapes.h"
#include "ui/draw/text.h"

namespace orbi {
namespace {

constexpr float kAttackShare = 0.3f;  // of the width, for the whole attack range
constexpr float kDecayShare = 0.6f;
constexpr float kTailStart = 6.0f;
constexpr float kPeakReach = 8.0f;
constexpr float kOneTimeConstant = 0.3679f;
constexpr std::uint32_t kTailHandle = palette::kWarning;
constexpr std::uint32_t kCaption = palette::withAlphaByte(palette::kMuted, 0x8C);

}  // namespace

std::string AmpEnvView::hint() const {
  return "AMP - the AD envelope that gates each sampler hit.\npeak: drag " + std::string(slotName(0)) +
         ", up/down " + slotName(2) + "  /  drag the tail: " + slotName(1) + "  /  right-click: type";
}

float AmpEnvView::peakX() const {
  const ui::Rect c = contentRect();
  const float attack = slots.empty() ? 0.0f : slots[0].normalized();
  return c.x + kAttackShare * c.width * attack;
}

float AmpEnvView::peakY(float level) const {
  const ui::Rect c = contentRect();
  const float s = ui::scale();
  return c.y + c.height - 4.0f * s - (c.height - 8.0f * s) * clamp01NanTo0(level);
}

float AmpEnvView::tailLength() const {
  const float decay = slots.size() > 1 ? slots[1].normalized() : 0.0f;
  return kDecayShare * contentRect().width * decay + kTailStart * ui::scale();
}

ImVec2 AmpEnvView::tailHandle() const {
  const ui::Rect c = contentRect();
  return {std::min(peakX() + tailLength(), c.x + c.width), peakY(value(2) * kOneTimeConstant)};
}

ImVec2 AmpEnvView::anchorFor(int slot, float t) const {
  const ui::Rect c = contentRect();
  const float u = clamp01NanTo0(t);
  const float level = value(2);
  if (slot == 0) return {c.x + kAttackShare * c.width * u, peakY(level)};
  if (slot == 1)
    return {std::min(peakX() + kTailStart * ui::scale() + kDecayShare * c.width * u, c.x + c.width),
            peakY(level * kOneTimeConstant)};
  const float at = slots.size() > 2 ? slots[2].fromNormalized(u) : u;
  return {peakX(), peakY(at)};
}

ImGuiMouseCursor AmpEnvView::cursorAt(ImVec2 pointer) const {
  return contentRect().containsWithEdges(pointer) ? ImGuiMouseCursor_Hand : ImGuiMouseCursor_Arrow;
}

// A press takes the peak or the tail; the drag moves it from where it was,
// over the lane's short height no faster than the least sweep allows.
void AmpEnvView::press(const ui::Interaction& it) {
  const ui::Rect c = contentRect();
  const float s = ui::scale();
  target_ = targetAt(it.pressPos);
  peakAxis_ = 1;
  handleAtPress_ = target_ == kPeak ? ImVec2(peakX(), peakY(value(2))) : tailHandle();
  // The pixels over which each drag sweeps its range: the attack over its
  // share of the width, the level over the height, the decay over its share.
  handleSpan_ = target_ == kPeak ? ImVec2(kAttackShare * c.width, c.height - 8.0f * s)
                                 : ImVec2(kDecayShare * c.width, 0.0f);
}

void AmpEnvView::move(const ui::Interaction& it) {
  const ImVec2 moved = sweptBy(it.total, handleSpan_, ui::scale());
  dragTo(ImVec2(handleAtPress_.x + moved.x, handleAtPress_.y + moved.y), it.total);
}

void AmpEnvView::endGesture() {
  target_ = kNoTarget;
  peakAxis_ = 1;
}

void AmpEnvView::dragTo(ImVec2 pointer, ImVec2 total) {
  const ui::Rect c = contentRect();
  const float s = ui::scale();
  if (target_ == kTail) {
    const float reach = kDecayShare * c.width;
    const float u = clampTo(pointer.x - peakX(), kTailStart * s, reach + kTailStart * s);
    const float t = (u - kTailStart * s) / std::max(reach, s);
    change(1, slots[1].fromNormalized(t));
    return;
  }
  if (target_ != kPeak) return;
  if (peakAxis_ == 1) {
    if (std::fabs(total.x) < kAxisDecision * s && std::fabs(total.y) < kAxisDecision * s) return;
    peakAxis_ = std::fabs(total.y) > std::fabs(total.x) ? 3 : 2;
  }
  if (peakAxis_ == 2) {
    const float t = clamp01NanTo0((pointer.x - c.x) / std::max(kAttackShare * c.width, s));
    change(0, slots[0].fromNormalized(t));
  } else {
    const float level = c.height <= 8.0f * s
                            ? 0.0f
                            : clamp01NanTo0((c.y + c.height - 4.0f * s - pointer.y) / (c.height - 8.0f * s));
    change(2, level);
  }
}

// Left of the peak's reach the peak, right of it the tail; and where the
// tail lies within that reach (a short decay), the nearer of the two, so
// that the tail is taken on its own disc.
int AmpEnvView::targetAt(ImVec2 p) const {
  if (p.x > peakX() + kPeakReach * ui::scale()) return kTail;
  if (p.x <= peakX()) return kPeak;
  const ImVec2 peak(peakX(), peakY(value(2))), tail = tailHandle();
  const float toPeak = std::hypot(p.x - peak.x, p.y - peak.y),
              toTail = std::hypot(p.x - tail.x, p.y - tail.y);
  return toTail < toPeak ? kTail : kPeak;
}

int AmpEnvView::pickTyped(ImVec2 pointer) const {
  const ui::Rect c = contentRect();
  if (targetAt(pointer) == kTail) return 1;
  return pointer.y < c.y + c.height / 2.0f ? 2 : 0;
}

SamplerLane::TypedField AmpEnvView::typedField(int slot) const {
  switch (slot) {
    case 0: return {1000.0f, 0.0f, 500.0f, slotName(0), "ms"};
    case 1: return {1.0f, 0.01f, 8.0f, slotName(1), "s"};
    default: return {100.0f, 0.0f, 100.0f, slotName(2), "%"};
  }
}

void AmpEnvView::paint(ImDrawList* dl) {
  const ui::Rect c = contentRect();
  const float s = ui::scale();
  const float level = value(2);
  const float px = peakX(), right = c.x + c.width, d = tailLength();
  const int n = std::max(2, static_cast<int>((right - px) / s));
  std::vector<ImVec2> curve;
  curve.reserve(static_cast<std::size_t>(n) + 2);
  curve.emplace_back(c.x, peakY(0.0f));
  curve.emplace_back(px, peakY(level));
  for (int i = 1; i <= n; ++i) {
    const float x = px + (right - px) * static_cast<float>(i) / static_cast<float>(n);
    curve.emplace_back(x, peakY(level * std::exp(-(x - px) / d)));
  }
  ui::drawPolyline(dl, curve, palette::kAccent, 1.8f);
  placer().polyline(curve, 1.8f * s);
  const ImVec2 peak(px, peakY(level));
  ui::fillCircle(dl, peak, 3.5f * s, palette::kAccentHovered);
  ui::fillCircle(dl, tailHandle(), 3.0f * s, kTailHandle);
  placer().disc(peak, 3.5f * s);
  placer().disc(tailHandle(), 3.0f * s);
  ui::logHandle(this, "peak", peak, ui::kAlongBoth, target_ == kPeak);
  ui::logHandle(this, "decay", tailHandle(), ui::kAlongX, target_ == kTail);
  for (std::size_t i = 0; i < slots.size(); ++i) drawModulation(dl, static_cast<int>(i));
  // While a handle moves, the caption is the value it sets.
  if (target_ == kTail)
    caption(readout(1), palette::kLight);
  else if (target_ == kPeak && peakAxis_ != 1)
    caption(readout(peakAxis_ == 2 ? 0 : 2), palette::kLight);
  else if (target_ == kPeak)
    caption(readout(0) + "  \u00B7  " + readout(2), palette::kLight);
  else
    caption("peak: drag = " + std::string(slotName(0)) + ", up-down = " + slotName(2) +
                "  ·  tail = " + slotName(1),
            kCaption);
}

}  // namespace orbi
