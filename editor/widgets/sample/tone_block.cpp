#include "editor/widgets/sample/tone_block.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "editor/widgets/drag_sweep.h"
#include "editor/widgets/sample/lane_geometry.h"
#include "editor/widgets/widget_support.h"
#include "engine/chain/bit_crush.h"
#include "ui/context.h"
#include "ui/draw/draw_log.h"
#include "ui/draw/shapes.h"
#include "ui/draw/text.h"

namespace orbi {
namespace {

constexpr float kCrushShare = 0.46f;
constexpr float kGap = 6.0f;
constexpr float kHandleReach = 4.0f;  // the corner handle's disc and a little around it
constexpr float kSweep = 120.0f;      // pixels (times the scale) for a whole range
constexpr float kCleanBits = 16.0f;
constexpr float kLongestHold = 49.0f;  // extra columns a value holds at full srr
constexpr float kActiveLowPass = 19000.0f;
constexpr float kResponseRate = 48000.0f;
constexpr float kLowestFrequency = 20.0f;
constexpr float kHighestFrequency = 20000.0f;
constexpr float kTwoPi = 2.0f * std::numbers::pi_v<float>;
constexpr std::uint32_t kReference = palette::withAlphaByte(palette::kMuted, 0x40);
constexpr std::uint32_t kDim = palette::withAlphaByte(palette::kMuted, 0x80);
constexpr std::uint32_t kCaption = palette::withAlphaByte(palette::kMuted, 0x80);

int columns(float width) { return std::max(static_cast<int>(width / ui::scale()), 2); }

float sineAt(int i, int n) { return std::sin(2.0f * kTwoPi * static_cast<float>(i) / static_cast<float>(n)); }

}  // namespace

std::string ToneBlock::hint() const {
  const std::string crush = slotName(kCrush), srr = slotName(kSrr), tone = slotName(kLowPass);
  return "TONE - the sampler's source degradation (" + crush + " / " + srr + " / " + tone +
         ").\nleft up/down: " + crush + "  /  shift: " + srr + "  /  drag the right corner: " + tone +
         "  /  right-click: type";
}

ui::Rect ToneBlock::crushRect() const {
  const ui::Rect c = contentRect();
  return {c.x, c.y, std::max(std::min(std::max(kCrushShare * c.width, 0.0f), c.width), 0.0f),
          std::max(c.height, 0.0f)};
}

ui::Rect ToneBlock::toneCornerRect() const {
  const ui::Rect c = contentRect();
  const float c1 = std::min(std::max(kCrushShare * c.width, 0.0f), c.width);
  const float c2 = std::min(std::max(kGap * ui::scale(), 0.0f), c.width - c1);
  return {c.x + c1 + c2, c.y, c.width - c1 - c2, c.height};
}

ImVec2 ToneBlock::anchorFor(int slot, float t) const {
  const float u = clamp01NanTo0(t);
  const ui::Rect k = crushRect(), tone = toneCornerRect();
  if (slot == 0) return {k.x + 0.3f * k.width, k.y + k.height - k.height * (1.0f - u)};
  if (slot == 1) return {k.x + 0.7f * k.width, k.y + k.height - k.height * u};
  return {tone.x + tone.width * u, tone.y + tone.height / 2.0f};
}

std::vector<float> ToneBlock::processedSine(int n, float crush, float srr) {
  std::vector<float> values;
  values.reserve(static_cast<std::size_t>(n) + 1);
  float hold = 0.0f, held = 0.0f;
  for (int i = 0; i <= n; ++i) {
    float v = sineAt(i, n);
    if (crush < kCleanBits) v = ob::bitCrush(v, ob::bitCrushLevels(clampTo(crush, 1.0f, kCleanBits)));
    if (srr > 0.0f) {
      if (hold <= 0.0f) {
        held = v;
        hold += kLongestHold * clamp01NanTo0(srr) + 1.0f;
      }
      hold -= 1.0f;
      v = held;
    }
    values.push_back(v);
  }
  return values;
}

float ToneBlock::lowPassGain(float lp, float f) {
  const float a = std::exp(-kTwoPi * lp / kResponseRate);
  const float b = clamp01NanTo0(1.0f - a);
  const float w = kTwoPi * f / kResponseRate;
  const float re = 1.0f - (1.0f - b) * std::cos(w), im = (1.0f - b) * std::sin(w);
  const float m = std::sqrt(re * re + im * im);
  return m <= 1e-12f ? 1.0f : clamp01NanTo0(b / m);
}

ImGuiMouseCursor ToneBlock::cursorAt(ImVec2 pointer) const {
  if (onCorner(pointer)) return ImGuiMouseCursor_ResizeEW;
  if (crushRect().containsWithEdges(pointer)) return ImGuiMouseCursor_ResizeNS;
  return ImGuiMouseCursor_Arrow;
}

// A press takes the corner or the crush area; only a drag changes them,
// the corner from where its handle was.
void ToneBlock::press(const ui::Interaction& it) {
  target_ = onCorner(it.pressPos) ? kLowPass : it.shiftAtPress ? kSrr : kCrush;
  valueAtPress_ = value(target_);
  dragging_ = true;
  grabDx_ = target_ == kLowPass ? lowPassHandle().x - it.pressPos.x : 0.0f;
}

// The corner sweeps its range over its own width, no faster than the least
// sweep allows.
void ToneBlock::move(const ui::Interaction& it) {
  const float dx = sweptBy(it.total.x, toneCornerRect().width, ui::scale());
  dragTo(it.pressPos.x + grabDx_ + dx, it.total.y);
}

// In the corner, or on its handle, whose disc at the lowest frequency
// reaches past the corner's left edge.
bool ToneBlock::onCorner(ImVec2 p) const {
  const ImVec2 h = lowPassHandle();
  const float reach = kHandleReach * ui::scale();
  return toneCornerRect().containsWithEdges(p) ||
         (std::fabs(p.x - h.x) <= reach && std::fabs(p.y - h.y) <= reach);
}

ImVec2 ToneBlock::lowPassHandle() const {
  const ui::Rect t = toneCornerRect();
  const float n = slots.size() > kLowPass ? slots[kLowPass].normalized() : 0.0f;
  return {t.x + t.width * n, t.y + t.height - 0.707f * t.height};
}

void ToneBlock::endGesture() {
  dragging_ = false;
  target_ = kNoTarget;
}

void ToneBlock::dragTo(float x, float dy) {
  if (!dragging_) return;
  const float sweep = kSweep * ui::scale();
  if (target_ == kLowPass) {
    const ui::Rect t = toneCornerRect();
    change(kLowPass,
           slots[kLowPass].fromNormalized(t.width <= 0.0f ? 0.0f : clamp01NanTo0((x - t.x) / t.width)));
  } else if (target_ == kSrr) {
    change(kSrr,
           slots[kSrr].fromNormalized(clamp01NanTo0(slots[kSrr].toNormalized(valueAtPress_) + dy / sweep)));
  } else if (target_ == kCrush) {
    // Down raises the crush amount, which is one less the bit depth's position.
    const float amount = clamp01NanTo0(1.0f - slots[kCrush].toNormalized(valueAtPress_) + dy / sweep);
    change(kCrush, slots[kCrush].fromNormalized(1.0f - amount));
  }
}

int ToneBlock::pickTyped(ImVec2 pointer) const {
  if (onCorner(pointer)) return kLowPass;
  return ImGui::GetIO().KeyShift ? kSrr : kCrush;
}

SamplerLane::TypedField ToneBlock::typedField(int slot) const {
  switch (slot) {
    case kLowPass: return {1.0f, 200.0f, 20000.0f, slotName(kLowPass), "Hz"};
    case kSrr: return {100.0f, 0.0f, 100.0f, slotName(kSrr), "%"};
    default: return {1.0f, 1.0f, 16.0f, slotName(kCrush), "bits"};
  }
}

void ToneBlock::paintCrush(ImDrawList* dl) {
  const ui::Rect k = crushRect();
  const float crush = value(kCrush), srr = value(kSrr);
  const bool active = crush < kCleanBits || srr > 0.0f;
  const int n = columns(k.width);
  const float step = k.width / static_cast<float>(n);
  const float amplitude = 0.4f * k.height, mid = k.y + k.height / 2.0f;
  std::vector<ImVec2> reference, processed;
  const std::vector<float> values = processedSine(n, crush, srr);
  for (int i = 0; i <= n; ++i) {
    const float x = k.x + static_cast<float>(i) * step;
    reference.emplace_back(x, mid - sineAt(i, n) * amplitude);
    processed.emplace_back(x, mid - values[static_cast<std::size_t>(i)] * amplitude);
  }
  ui::drawPolyline(dl, reference, kReference, 1.0f);
  ui::drawPolyline(dl, processed, active ? palette::kAccent : kDim, 1.6f);
  placer().polyline(reference, ui::scale());
  placer().polyline(processed, 1.6f * ui::scale());
}

void ToneBlock::paintTone(ImDrawList* dl) {
  const ui::Rect t = toneCornerRect();
  const float lp = value(kLowPass);
  const bool active = lp < kActiveLowPass;
  const int n = columns(t.width);
  const float step = t.width / static_cast<float>(n);
  const float lo = std::log(kLowestFrequency), hi = std::log(kHighestFrequency);
  std::vector<ImVec2> response;
  for (int i = 0; i <= n; ++i) {
    const float f = std::exp(lo + (hi - lo) * static_cast<float>(i) / static_cast<float>(n));
    response.emplace_back(t.x + static_cast<float>(i) * step, t.y + t.height - t.height * lowPassGain(lp, f));
  }
  ui::drawPolyline(dl, response, active ? palette::kAccent : kDim, 1.6f);
  placer().polyline(response, 1.6f * ui::scale());
  // Drawn only while the low-pass does something; a press anywhere in the
  // corner takes it all the same.
  if (active) {
    ui::fillCircle(dl, lowPassHandle(), 3.0f * ui::scale(), palette::kAccentHovered);
    placer().disc(lowPassHandle(), 3.0f * ui::scale());
    ui::logHandle(this, "lp", lowPassHandle(), ui::kAlongX, dragging_ && target_ == kLowPass);
  }
}

// A part's caption along its bottom, else its top; centred, then at either
// side.
void ToneBlock::partCaption(const ui::Rect& r, std::string_view text, std::uint32_t colour) {
  const float h = std::min(12.0f * ui::scale(), r.height);
  const ui::Rect bottom{r.x, r.y + r.height - h, r.width, h}, top{r.x, r.y, r.width, h};
  // In the title row, over the part: its x range within the row.
  const ui::Rect row = titleRow();
  const float left = std::max(row.x, r.x), right = std::min(row.x + row.width, r.x + r.width);
  const ui::Rect title{left, row.y, std::max(right - left, 0.0f), row.height};
  const ui::Rect boxes[] = {bottom, top, bottom, top, bottom, top, title};
  const ui::TextAlign alignments[] = {ui::TextAlign::Centre, ui::TextAlign::Centre, ui::TextAlign::Left,
                                      ui::TextAlign::Left,   ui::TextAlign::Right,  ui::TextAlign::Right,
                                      ui::TextAlign::Left};
  placeText(boxes, text, colour, alignments);
}

void ToneBlock::paint(ImDrawList* dl) {
  const ui::Rect k = crushRect();
  ui::logHandle(this, "crush", {k.x + 0.5f * k.width, k.y + 0.5f * k.height}, ui::kAlongY,
                dragging_ && target_ == kCrush);
  paintCrush(dl);
  paintTone(dl);
  for (std::size_t i = 0; i < slots.size(); ++i) drawModulation(dl, static_cast<int>(i));
  // A dragged part's caption is its value while it moves.
  const bool crushing = dragging_ && (target_ == kCrush || target_ == kSrr);
  const bool toning = dragging_ && target_ == kLowPass;
  partCaption(k, crushing ? readout(target_) : std::string(slotName(kCrush)) + " / " + slotName(kSrr),
              crushing ? palette::kLight : kCaption);
  partCaption(toneCornerRect(), toning ? readout(kLowPass) : slotName(kLowPass),
              toning ? palette::kLight : kCaption);
}

}  // namespace orbi
