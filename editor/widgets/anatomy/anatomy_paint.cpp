// The drum diagram's wires, sum node and direction arrow. Painted before
// the frame's interactions run, so hover colours follow the previous frame.
#include <cmath>

#include "editor/widgets/anatomy/anatomy_view.h"
#include "editor/widgets/widget_support.h"
#include "engine/params/param_info.h"
#include "engine/params/param_name.h"
#include "ui/context.h"
#include "ui/draw/axis.h"
#include "ui/draw/draw_log.h"
#include "ui/draw/shapes.h"
#include "ui/draw/text.h"
#include "ui/draw/waveform.h"
#include "ui/interact/tooltip.h"

namespace orbi {
namespace {

constexpr std::uint32_t kWireDim = palette::withAlphaByte(palette::kMuted, 0xCC);
constexpr std::uint32_t kWireLabel = palette::withAlphaByte(palette::kMuted, 0xA6);
constexpr std::uint32_t kSumWave = palette::withAlphaByte(palette::kLight, 0xCC);
constexpr std::uint32_t kArrowIdle = palette::withAlphaByte(palette::kMuted, 0x73);
constexpr std::uint32_t kSumSubtitle = palette::withAlphaByte(palette::kMuted, 0x99);

// A level wire's brightness: full while its handle is hot.
float wireAlpha(bool hot, float level) { return hot ? 1.0f : clamp01NanTo0(level * 0.6f + 0.25f); }
// The framework scales line widths itself: this is in design units.
float wireWidth(float level) { return level * 3.5f + 0.5f; }

}  // namespace

void drawChevron(ImDrawList* dl, ImVec2 tip, std::uint32_t colour) {
  const float s = ui::scale();
  const ImVec2 points[] = {{tip.x - 5.0f * s, tip.y - 4.0f * s}, tip, {tip.x - 5.0f * s, tip.y + 4.0f * s}};
  ui::drawPolyline(dl, points, colour, 1.5f);
}

std::string AnatomyView::valueLabelText(const char* label, float v) {
  return std::string(label) + "   " + std::to_string(std::lround(v * 100.0f)) + " %" +
         "    /    right-click: type a value";
}

void AnatomyView::valueLabel(ImDrawList* dl, const char* label, float v, ImVec2 at) const {
  const float s = ui::scale();
  ui::drawReadout(dl, {at.x, at.y, 380.0f * s, 12.0f * s}, valueLabelText(label, v), ui::TextStyle::Caption,
                  palette::kLight);
}

void AnatomyView::paintDiagram(ImDrawList* dl) const {
  paintHitToBody(dl);
  paintBodyWire(dl);
  paintBleed(dl);
  paintSum(dl);
  if (onReverse) paintArrow(dl);
  const float s = ui::scale();
  const ui::Rect& S = layout.sum;
  const ui::Rect above{S.x, S.y - 14.0f * s, S.width, 12.0f * s};
  ui::drawText(dl, above, "THE DRUM", ui::TextStyle::Small, palette::kMuted);
  ui::drawText(dl, above, "click to hear both", ui::TextStyle::Caption, kSumSubtitle, ui::TextAlign::Right);
}

void AnatomyView::paintHitToBody(ImDrawList* dl) const {
  const float s = ui::scale();
  const ui::Rect& Hc = layout.hit.column;
  const ui::Rect& B = layout.body.column;
  const float yh = Hc.y + Hc.height / 2.0f;
  const ImVec2 from(Hc.x + Hc.width + 4.0f * s, yh);
  const ImVec2 to(B.x - 4.0f * s, yh);
  ui::drawLine(dl, from, to, kWireDim, 1.5f, 3.0f, 3.0f);
  drawChevron(dl, to, kWireDim);
  ui::drawText(dl, {from.x, yh - 16.0f * s, to.x - from.x, 12.0f * s}, "triggers", ui::TextStyle::Caption,
               kWireLabel, ui::TextAlign::Centre);
}

void AnatomyView::paintBodyWire(ImDrawList* dl) const {
  const float s = ui::scale();
  const ui::Rect& R = layout.bodyWire;
  const float yb = R.y + R.height / 2.0f;
  const bool hot = hotHandle_ == kBodyHandle || activeHandle_ == kBodyHandle;
  const std::uint32_t colour = withAlpha(palette::kAccent, wireAlpha(hot, bodyLevel));
  const ImVec2 end(R.x + R.width, yb);
  ui::drawLine(dl, {R.x, yb}, end, colour, wireWidth(bodyLevel));
  drawChevron(dl, end, colour);
  ui::logHandle(this, "body level", {bodyLevelGrabX(), yb}, ui::kAlongY, activeHandle_ == kBodyHandle);
  // Above the wire the socket and the sum node would cover it: under the
  // bleed path, at the right, clear of the bleed's own hint at the left.
  if (hot) {
    const char* name = ob::paramNameOfKey(ob::kMachineDrum, "res_level");
    const std::string text = valueLabelText(name, bodyLevel);
    const float width = ui::measureText(text, ui::TextStyle::Caption).x;
    valueLabel(dl, name, bodyLevel, {rect.x + rect.width - 6.0f * s - width, bleedWireY() + 3.0f * s});
  }
}

// The middle of the longer stretch of the wire the socket leaves free: the
// socket takes the presses over itself.
float AnatomyView::bodyLevelGrabX() const {
  const ui::Rect& R = layout.bodyWire;
  const float half = 17.0f * ui::scale();  // half the socket's square
  const float centre = socket.position == 1 ? socket.xAfterMix : socket.xInBody;
  const float left = std::max(centre - half - R.x, 0.0f),
              right = std::max(R.x + R.width - centre - half, 0.0f);
  return left >= right ? R.x + 0.5f * left : R.x + R.width - 0.5f * right;
}

float AnatomyView::bleedWireY() const { return rect.y + rect.height - 16.0f * ui::scale(); }

void AnatomyView::paintBleed(ImDrawList* dl) const {
  const float s = ui::scale();
  const ui::Rect& Hc = layout.hit.column;
  const float hx = Hc.x + Hc.width / 2.0f;
  const float yh = Hc.y + Hc.height / 2.0f;
  const float yb = bleedWireY();
  const float xe = rect.x + rect.width - 26.0f * s;
  const bool hot = hotHandle_ == kBleedHandle || activeHandle_ == kBleedHandle;
  // From under the lowest hit: both hits bleed, and the path must not run
  // through the second one.
  const ImVec2 path[] = {{hx, layout.bleedStart}, {hx, yb}, {xe, yb}, {xe, yh + 12.0f * s}};
  ui::drawPolyline(dl, path, withAlpha(palette::kAccent, wireAlpha(hot, bleed)), wireWidth(bleed));
  ui::logHandle(this, "bleed", {0.5f * (hx + xe), yb}, ui::kAlongY, activeHandle_ == kBleedHandle);
  // Under the wire: above it the strip to the columns is too narrow for a
  // line of text and the wire would strike through it.
  const std::string name = ob::paramNameOfKey(ob::kMachineDrum, "bleed");
  if (hot)
    valueLabel(dl, (name + " - the hit heard directly").c_str(), bleed, {hx + 8.0f * s, yb + 3.0f * s});
  else
    ui::drawText(dl, {hx + 8.0f * s, yb + 3.0f * s, 260.0f * s, 12.0f * s},
                 name + " - drag to set how much hit you hear", ui::TextStyle::Caption, kWireLabel);
}

void AnatomyView::paintSum(ImDrawList* dl) const {
  const ui::Rect& S = layout.sum;
  ui::fillRect(dl, S, palette::kTilePanel, 4.0f);
  if (sumSamples != nullptr && sumFrames >= 1) {
    ui::WaveformStyle style;
    style.colour = kSumWave;
    style.height = 0.84f;
    style.gain = 1.0f;
    const ui::Axis axis{ui::AxisKind::Linear, 0.0f, static_cast<float>(sumFrames), S.x, S.x + S.width};
    ui::drawWaveform(dl, S, axis, sumOverview, style);
  }
  ui::strokeRect(dl, S, palette::kBorder, 4.0f, 1.0f);
}

void AnatomyView::paintArrow(ImDrawList* dl) const {
  const float s = ui::scale();
  const ui::Rect& S = layout.sum;
  const float ya = S.y + S.height - 12.0f * s;
  const float yc = ya + 6.0f * s;
  const float xl = S.x + 6.0f * s;
  const float xr = S.x + S.width - 6.0f * s;
  const std::uint32_t colour = arrowHovered_ ? palette::kAccentHovered
                               : reversed    ? palette::kAccent
                                             : kArrowIdle;
  ui::drawLine(dl, {xl, yc}, {xr, yc}, colour, reversed ? 1.5f : 1.0f);
  const float tipX = reversed ? xl : xr;
  const float backX = reversed ? xl + 5.0f * s : xr - 5.0f * s;
  const ImVec2 head[] = {{backX, yc - 4.0f * s}, {tipX, yc}, {backX, yc + 4.0f * s}};
  ui::drawPolyline(dl, head, colour, 1.5f);
  if (!reversed && !arrowHovered_) return;
  const char* caption = !arrowHovered_ ? "reversed"
                        : reversed     ? "click: play forwards"
                                       : "click: play backwards";
  const float inset = std::min(10.0f * s, S.width);
  ui::drawText(dl, {S.x + inset, ya - 9.0f * s, S.width - inset, 12.0f * s}, caption, ui::TextStyle::Caption,
               colour);
}

}  // namespace orbi
