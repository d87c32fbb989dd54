#include "editor/widgets/sample/speed_lane.h"

#include <algorithm>
#include <cmath>

#include "editor/widgets/drag_sweep.h"
#include "editor/widgets/sample/lane_geometry.h"
#include "editor/widgets/widget_support.h"
#include "ui/context.h"
#include "ui/controls/value_text.h"
#include "ui/draw/draw_log.h"
#include "ui/draw/shapes.h"
#include "ui/draw/text.h"
#include "ui/interact/tooltip.h"

namespace orbi {
namespace {

constexpr float kFanSemitones = 7.0f;
constexpr float kShortestBar = 0.02f;  // of the width
constexpr float kTuneRange = 24.0f;
constexpr float kFanDrop = 6.0f;  // the fan handle hangs this far below the bar's middle
constexpr std::uint32_t kUnityMark = palette::withAlphaByte(palette::kMuted, 0x59);
constexpr std::uint32_t kFanFill = palette::withAlphaByte(palette::kAccent, 0x38);
constexpr std::uint32_t kFanHandle = palette::kWarning;
constexpr std::uint32_t kReadout = palette::withAlphaByte(palette::kMuted, 0xB3);
constexpr std::uint32_t kCaption = palette::withAlphaByte(palette::kMuted, 0x80);

}  // namespace

std::string SpeedLane::hint() const {
  const std::string tune = slotName(0);
  std::string text = "SPEED - " + tune + ", drawn as the length the recording plays for.\ndrag: " + tune +
                     " as a length  /  ";
  if (spreadSlot() >= 0) text.append("the fan: ").append(slotName(spreadSlot())).append("  /  ");
  return text + "right-click: type";
}

float SpeedLane::lengthX(float pitch) const {
  const ui::Rect c = contentRect();
  return c.x + c.width * clampTo(0.5f * std::exp2(-pitch / 12.0f), kShortestBar, 1.0f);
}

// The bar's length for the pitch, in widths, as far as the drag runs: past
// the right edge too.
float SpeedLane::lengthAt(float pitch) { return 0.5f * std::exp2(-pitch / 12.0f); }

float SpeedLane::fanOffset() const { return kFanSemitones * clamp01NanTo0(value(spreadSlot())); }

float SpeedLane::pitchAtX(float x) const {
  const ui::Rect c = contentRect();
  // Past the right edge the length runs on: pitches below -12 semitones
  // lie there, and the bar holds at the edge.
  const float length = c.width <= 0.0f ? 0.5f : std::max((x - c.x) / c.width, kShortestBar);
  return -12.0f * std::log2(std::max(2.0f * length, 0.001f));
}

ImVec2 SpeedLane::barHandle() const {
  const ui::Rect c = contentRect();
  return {lengthX(value(0)), c.y + c.height / 2.0f};
}

ImVec2 SpeedLane::fanHandle() const {
  const ui::Rect c = contentRect();
  return {lengthX(value(0) - fanOffset()), c.y + c.height / 2.0f + kFanDrop * ui::scale()};
}

ImVec2 SpeedLane::anchorFor(int slot, float t) const {
  const ui::Rect c = contentRect();
  const float mid = c.y + c.height / 2.0f;
  if (slot == 0) return {lengthX(slots.empty() ? 0.0f : slots[0].fromNormalized(t)), mid};
  const float at = slot >= 0 && static_cast<std::size_t>(slot) < slots.size()
                       ? slots[static_cast<std::size_t>(slot)].fromNormalized(t)
                       : clamp01NanTo0(t);
  return {lengthX(value(0) - kFanSemitones * clamp01NanTo0(at)), mid};
}

// The fan's handle hangs under the bar's end, so it stays apart from it
// when the spread is 0 or both sit at the right edge: the nearer of the
// two takes a press.
int SpeedLane::targetAt(ImVec2 p) const {
  if (spreadSlot() < 0) return kBar;
  const ImVec2 e = barHandle(), g = fanHandle();
  return std::hypot(p.x - g.x, p.y - g.y) < std::hypot(p.x - e.x, p.y - e.y) ? kFan : kBar;
}

std::string SpeedLane::lengthLabel(float tune) const {
  const float k = std::exp2(-tune / 12.0f);
  if (sampleSeconds > 0.0f) return std::to_string(std::lroundf(sampleSeconds * 1000.0f * k)) + " ms";
  return "×" + ui::formatNumber(k, 2);
}

ImGuiMouseCursor SpeedLane::cursorAt(ImVec2 pointer) const {
  return contentRect().containsWithEdges(pointer) ? ImGuiMouseCursor_ResizeEW : ImGuiMouseCursor_Arrow;
}

// A press takes a handle; the drag moves it from where it was.
void SpeedLane::press(const ui::Interaction& it) {
  target_ = targetAt(it.pressPos);
  dragging_ = true;
  grabX_ = target_ == kFan ? fanHandle().x : barHandle().x;
  tuneAtPress_ = value(0);
  spreadAtPress_ = value(spreadSlot());
}

void SpeedLane::move(const ui::Interaction& it) {
  if (it.delta.x != 0.0f) dragTo(it.total.x);
}

void SpeedLane::endGesture() {
  dragging_ = false;
  target_ = kNoTarget;
}

// The pitch moves by what the pointer's movement means at the handle: from
// the value at the press, so a handle held at the edge moves on from its
// own value. A fan short enough to lie over fewer pixels than the least
// sweep moves slower than the pointer.
void SpeedLane::dragTo(float dx) {
  if (!dragging_) return;
  const ui::Rect c = contentRect();
  const float span = target_ == kFan
                         ? std::fabs(lengthAt(tuneAtPress_ - kFanSemitones) - lengthAt(tuneAtPress_))
                         : lengthAt(-kTuneRange) - lengthAt(kTuneRange);
  const float x = grabX_ + sweptBy(dx, span * c.width, ui::scale());
  const float moved = pitchAtX(x) - pitchAtX(grabX_);
  if (target_ == kBar) {
    change(0, clampTo(tuneAtPress_ + moved, -kTuneRange, kTuneRange));
  } else if (target_ == kFan) {
    // The fan's edge is the lower pitch: a longer edge is a wider fan.
    change(spreadSlot(), clamp01NanTo0(spreadAtPress_ - moved / kFanSemitones));
  }
}

int SpeedLane::pickTyped(ImVec2 pointer) const {
  if (targetAt(pointer) == kFan) return spreadSlot();
  return 0;
}

SamplerLane::TypedField SpeedLane::typedField(int slot) const {
  const bool spread = slot >= 0 && slot == spreadSlot();
  if (spread) return {100.0f, 0.0f, 100.0f, slotName(slot), "%"};
  return {1.0f, -kTuneRange, kTuneRange, slotName(0), "st"};
}

void SpeedLane::paint(ImDrawList* dl) {
  const ui::Rect c = contentRect();
  const float s = ui::scale();
  const float mid = c.y + c.height / 2.0f;
  const float tune = value(0);
  const float unityX = c.x + 0.5f * c.width;
  const ImVec2 unity[] = {{unityX, c.y + 2.0f * s}, {unityX, c.y + c.height - 12.0f * s}};
  ui::drawPolyline(dl, unity, kUnityMark, 1.0f);
  placer().polyline(unity, s);
  const int spread = spreadSlot();
  if (spread >= 0 && value(spread) > 0.0f) {
    const float f = fanOffset();
    for (const float pitch : {tune - f, tune + f}) {
      const ui::Rect band{c.x, mid - 4.0f * s, lengthX(pitch) - c.x, 8.0f * s};
      ui::fillRect(dl, band, kFanFill);
      placer().panel(band);
    }
  }
  const float end = lengthX(tune);
  const ui::Rect bar{c.x, mid - 3.0f * s, std::max(end - c.x, 0.0f), 6.0f * s};
  ui::fillRect(dl, bar, palette::kAccent, 3.0f);
  placer().panel(bar);
  ui::fillCircle(dl, {end, mid}, 3.5f * s, palette::kAccentHovered);
  placer().disc({end, mid}, 3.5f * s);
  ui::logHandle(this, "tune", {end, mid}, ui::kAlongX, dragging_ && target_ == kBar);
  // Drawn even at no spread: a fan dragged shut can be dragged open again.
  if (spread >= 0) {
    const ImVec2 fan = fanHandle();
    ui::fillCircle(dl, fan, 3.0f * s, kFanHandle);
    placer().disc(fan, 3.0f * s);
    ui::logHandle(this, "spread", fan, ui::kAlongX, dragging_ && target_ == kFan);
  }
  for (std::size_t i = 0; i < slots.size(); ++i) drawModulation(dl, static_cast<int>(i));
  // The readout where the bar leaves room: at the top left, else after the
  // bar's end, else at the right.
  const ui::Rect lengthBox{c.x + 4.0f * s, c.y + 2.0f * s, std::max(c.width - 8.0f * s, 0.0f), 12.0f * s};
  const ui::Rect afterBar{end + 8.0f * s, lengthBox.y, std::max(c.x + c.width - end - 12.0f * s, 0.0f),
                          lengthBox.height};
  const ui::Rect boxes[] = {lengthBox, afterBar, lengthBox, titleRow()};
  const ui::TextAlign alignments[] = {ui::TextAlign::Left, ui::TextAlign::Left, ui::TextAlign::Right,
                                      ui::TextAlign::Left};
  // The length is the handle's readout: the tooltip keeps off it.
  ui::keepTooltipClearOf(placeText(boxes, lengthLabel(tune), kReadout, alignments), ui::KeepClear::Always);
  // While the fan moves, the caption is its spread.
  if (dragging_ && target_ == kFan)
    caption(readout(spread), palette::kLight);
  else
    caption(
        "drag: " + std::string(slotName(0)) + " as a length  ·  " +
            (spread >= 0 ? "the fan: " + std::string(slotName(spread)) : std::string("right-click: type")),
        kCaption);
}

}  // namespace orbi
