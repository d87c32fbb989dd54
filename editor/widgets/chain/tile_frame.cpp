#include "editor/widgets/chain/tile_frame.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "editor/widgets/drag_sweep.h"
#include "editor/widgets/widget_support.h"
#include "ui/context.h"
#include "ui/controls/value_text.h"
#include "ui/draw/shapes.h"
#include "ui/draw/text.h"
#include "ui/interact/tooltip.h"

namespace orbi {

float distance(ImVec2 a, ImVec2 b) { return std::hypot(a.x - b.x, a.y - b.y); }

int nearestWithin(std::span<const ImVec2> points, ImVec2 p, float reach) {
  int best = -1;
  float bestDistance = reach;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const float d = distance(points[i], p);
    if (d < bestDistance) {
      bestDistance = d;
      best = static_cast<int>(i);
    }
  }
  return best;
}

namespace {
constexpr float kGrabReach = 6.0f;  // a handle's disc and a little around it
constexpr float kEndless = std::numeric_limits<float>::infinity();
constexpr std::uint32_t kLabelPlate = palette::withAlphaByte(palette::kTilePanel, 0xF2);
}  // namespace

ui::Rect StageTileFrame::plotRect() const {
  const float s = ui::scale();
  const float header = clampTo(11.0f * s, 0.0f, rect.height);
  return {rect.x + 5.0f * s, rect.y + header + 3.0f * s, std::max(rect.width - 10.0f * s, 0.0f),
          std::max(rect.height - header - 6.0f * s, 0.0f)};
}

ui::Interaction StageTileFrame::begin(const char* word, const ui::Rect& r, const char* help,
                                      ImGuiMouseCursor cursor) {
  ImGui::PushID(this);
  rect = r;
  headerRight_ = r.x + r.width;
  tooltipText = help;
  ui::InteractSpec desc;
  desc.kind = ui::HitKind::Rectangle;
  desc.rect = r;
  desc.reach = 8.0f;
  desc.axis = ui::DragAxis::Free;
  desc.cursor = cursor;
  desc.tooltip = tooltipText.c_str();
  return ui::interact(word, desc);
}

TileGesture StageTileFrame::gesture(const ui::Interaction& it) {
  if (it.rightClicked) return TileGesture::RightClick;
  if (it.pressed) {
    changed_ = false;
    // Until a handle is grabbed the point follows the pointer.
    handleAtPress_ = it.pressPos;
    handleSpan_ = ImVec2(kEndless, kEndless);
    return TileGesture::Press;
  }
  if (it.doubleClicked) return TileGesture::SecondClick;
  if (it.held && dragTarget_ >= 0 && (it.delta.x != 0.0f || it.delta.y != 0.0f)) return TileGesture::Drag;
  if (it.released) return TileGesture::Release;
  return TileGesture::None;
}

void StageTileFrame::grab(int target, ImVec2 handle, ImVec2 span) {
  dragTarget_ = target;
  changed_ = false;
  handleAtPress_ = handle;
  handleSpan_ = span;
}

ImVec2 StageTileFrame::dragPoint(const ui::Interaction& it) const {
  const ImVec2 moved = sweptBy(it.total, handleSpan_, ui::scale());
  return ImVec2(handleAtPress_.x + moved.x, handleAtPress_.y + moved.y);
}

bool StageTileFrame::onHandle(ImVec2 press, ImVec2 handle) {
  return distance(press, handle) <= kGrabReach * ui::scale();
}

void StageTileFrame::release() {
  if (dragTarget_ >= 0 && changed_) gestureEnded();
  dragTarget_ = -1;
  changed_ = false;
}

void StageTileFrame::updateHover(const ui::Interaction& it, int hitUnderPointer) {
  hoverTarget_ = dragTarget_ >= 0 ? dragTarget_ : it.hovered ? hitUnderPointer : -1;
}

void StageTileFrame::end() {
  entry.draw();
  ImGui::PopID();
}

void StageTileFrame::drawTitle(ImDrawList* dl, std::string_view title) const {
  const float s = ui::scale();
  ui::drawText(dl, {rect.x + 4.0f * s, rect.y, std::max(rect.width, 0.0f), std::max(11.0f * s, 0.0f)}, title,
               ui::TextStyle::Caption, tilecolour::kMuted);
}

// In the title row, right-aligned before any header pill: in the plot the
// curves run through it.
void StageTileFrame::drawHoverLabel(ImDrawList* dl, std::string_view text) const {
  const float s = ui::scale();
  const ui::Rect p = plotRect();
  const float left = rect.x + 4.0f * s;
  const float right = std::min(p.x + p.width, headerRight_);
  const ui::Rect box{left, rect.y, std::max(right - left, 0.0f), std::max(11.0f * s, 0.0f)};
  // A parameter's whole name may reach over the title: it covers it.
  ui::fillRect(dl,
               ui::textInk(box, text, ui::TextStyle::Caption, ui::TextAlign::Right).inset(-2.0f * s, 0.0f),
               kLabelPlate, 2.0f);
  ui::drawReadout(dl, box, text, ui::TextStyle::Caption, tilecolour::kLight, ui::TextAlign::Right);
}

void StageTileFrame::drawHandle(ImDrawList* dl, ImVec2 at, int index, std::string_view name,
                                ui::HandleAxes axes) const {
  const float s = ui::scale();
  if (index == hoverTarget_)
    ui::fillCircle(dl, at, 3.5f * s, tilecolour::kCurve);
  else
    ui::fillCircle(dl, at, 2.5f * s, tilecolour::kLight);
  ui::logHandle(this, name, at, axes, index == dragTarget_);
}

void StageTileFrame::drawCurve(ImDrawList* dl, std::span<const ImVec2> points, float baseline,
                               std::uint32_t fill) {
  ui::fillUnder(dl, points, baseline, fill);
  ui::drawPolyline(dl, points, tilecolour::kCurve, 1.5f);
}

void StageTileFrame::drawPill(ImDrawList* dl, const ui::Rect& pill, std::string_view word, std::uint32_t fill,
                              std::uint32_t text) {
  ui::fillRect(dl, pill, fill, 3.0f);
  ui::drawText(dl, pill, word, ui::TextStyle::Caption, text, ui::TextAlign::Centre);
}

std::string signedWhole(float v) {
  const std::string digits = ui::formatNumber(std::fabs(v), 0);
  const bool negative = v < 0.0f && digits != "0";
  return (negative ? "-" : "+") + digits;
}

}  // namespace orbi
