#include "editor/widgets/sample/speed_lane.h"

#include <algorithm>
#include <cmath>

#include "editor/widgets/sample/lane_geometry.h"
#include "editor/widgets/widget_support.h"
#include "ui/context.h"
#include "ui/controls/value_text.h"
#include "ui/draw/shapes.h"
#include "ui/draw/text.h"

namespace orbi {
namespace {

constexpr float kFanSemitones = 7.0f;
constexpr float kShortestBar = 0.02f;  // of the width
constexpr float kTuneRange = 24.0f;
constexpr std::uint32_t kUnityMark = 0x598A8870;
constexpr std::uint32_t kFanFill = 0x388DC63F;
constexpr std::uint32_t kFanHandle = 0xFFD0A828;
constexpr std::uint32_t kReadout = 0xB38A8870;
constexpr std::uint32_t kCaption = 0x808A8870;

}  // namespace

std::string SpeedLane::hint() const {
  return "SPEED - pitch, drawn as the length the recording plays for.\n"
         "drag: pitch (as length)  /  the fan: grain spread  /  right-click: type";
}

float SpeedLane::lengthX(float pitch) const {
  const ui::Rect c = contentRect();
  return c.x + c.width * clampTo(0.5f * std::exp2(-pitch / 12.0f), kShortestBar, 1.0f);
}

float SpeedLane::fanOffset() const { return kFanSemitones * clamp01(value(spreadSlot())); }

ImVec2 SpeedLane::anchorFor(int slot, float t) const {
  const ui::Rect c = contentRect();
  const float mid = c.y + c.height / 2.0f;
  if (slot == 0) return {lengthX(slots.empty() ? 0.0f : slots[0].fromNormalized(t)), mid};
  const float at = slot >= 0 && static_cast<std::size_t>(slot) < slots.size()
                       ? slots[static_cast<std::size_t>(slot)].fromNormalized(t)
                       : clamp01(t);
  return {lengthX(value(0) - kFanSemitones * clamp01(at)), mid};
}

int SpeedLane::targetAt(float x) const {
  const int spread = spreadSlot();
  if (spread < 0 || !(value(spread) > 0.0f)) return kBar;
  const float tune = value(0);
  const float e = lengthX(tune), g = lengthX(tune - fanOffset());
  if (!(x > e + 4.0f * ui::scale())) return kBar;
  return std::fabs(x - e) > std::fabs(x - g) ? kFan : kBar;
}

std::string SpeedLane::lengthLabel(float tune) const {
  const float k = std::exp2(-tune / 12.0f);
  if (sampleSeconds > 0.0f) return std::to_string(std::lroundf(sampleSeconds * 1000.0f * k)) + " ms";
  return "×" + ui::formatNumber(k, 2);
}

ImGuiMouseCursor SpeedLane::cursorAt(ImVec2 pointer) const {
  return contains(contentRect(), pointer) ? ImGuiMouseCursor_ResizeEW : ImGuiMouseCursor_Arrow;
}

void SpeedLane::press(const ui::Interaction& it) {
  target_ = targetAt(it.pressPos.x);
  dragging_ = true;
  dragTo(it.pressPos.x);
}

void SpeedLane::move(const ui::Interaction& it) {
  if (it.delta.x != 0.0f) dragTo(it.pressPos.x + it.total.x);
}

void SpeedLane::endGesture() {
  dragging_ = false;
  target_ = kNoTarget;
}

void SpeedLane::dragTo(float x) {
  if (!dragging_) return;
  const ui::Rect c = contentRect();
  const float length = c.width <= 0.0f ? 0.5f : clampTo((x - c.x) / c.width, kShortestBar, 1.0f);
  const float q = -12.0f * std::log2(std::max(2.0f * length, 0.001f));
  if (target_ == kBar) {
    setParam(0, clampTo(q, -kTuneRange, kTuneRange));
  } else if (target_ == kFan) {
    const int spread = spreadSlot();
    if (spread >= 0) setParam(spread, clamp01(std::max(value(0) - q, 0.0f) / kFanSemitones));
  }
}

int SpeedLane::pickTyped(ImVec2 pointer) const {
  if (targetAt(pointer.x) == kFan) return spreadSlot();
  return 0;
}

SamplerLane::TypedField SpeedLane::typedField(int slot) const {
  const bool spread = slot >= 0 && slot == spreadSlot();
  if (spread) return {100.0f, 0.0f, 100.0f, "spread", "%"};
  return {1.0f, -kTuneRange, kTuneRange, "tune", "st"};
}

void SpeedLane::paint(ImDrawList* dl) {
  const ui::Rect c = contentRect();
  const float s = ui::scale();
  const float mid = c.y + c.height / 2.0f;
  const float tune = value(0);
  const float unityX = c.x + 0.5f * c.width;
  const ImVec2 unity[] = {{unityX, c.y + 2.0f * s}, {unityX, c.y + c.height - 12.0f * s}};
  ui::drawPolyline(dl, unity, kUnityMark, 1.0f);
  const int spread = spreadSlot();
  if (spread >= 0 && value(spread) > 0.0f) {
    const float f = fanOffset();
    for (const float pitch : {tune - f, tune + f})
      ui::fillRect(dl, {c.x, mid - 4.0f * s, lengthX(pitch) - c.x, 8.0f * s}, kFanFill);
    ui::fillCircle(dl, {lengthX(tune - f), mid}, 3.0f * s, kFanHandle);
  }
  const float end = lengthX(tune);
  ui::fillRect(dl, {c.x, mid - 3.0f * s, std::max(end - c.x, 0.0f), 6.0f * s}, palette::kAccent, 3.0f);
  ui::fillCircle(dl, {end, mid}, 3.5f * s, palette::kAccentHovered);
  for (std::size_t i = 0; i < slots.size(); ++i) drawModulation(dl, static_cast<int>(i));
  ui::drawText(dl, {c.x + 4.0f * s, c.y + 2.0f * s, std::max(c.width - 8.0f * s, 0.0f), 12.0f * s},
               lengthLabel(tune), ui::TextStyle::Caption, kReadout);
  ui::drawText(dl, captionStrip(),
               spread >= 0 ? "drag: pitch (as length)  ·  the fan: spread"
                           : "drag: pitch (as length)  ·  right-click: type",
               ui::TextStyle::Caption, kCaption, ui::TextAlign::Centre);
}

}  // namespace orbi
