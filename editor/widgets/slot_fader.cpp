#include "editor/widgets/slot_fader.h"

#include <imgui.h>

#include <algorithm>
#include <cmath>

#include "editor/widgets/drag_sweep.h"
#include "ui/context.h"
#include "ui/controls/number_entry.h"
#include "ui/draw/draw_log.h"
#include "ui/draw/shapes.h"
#include "ui/draw/text.h"
#include "ui/interact/interaction.h"
#include "ui/interact/tooltip.h"

namespace orbi {
namespace {

constexpr float kLabelColumn = 78.0f;
constexpr float kValueColumn = 62.0f;
constexpr float kTrackMargin = 6.0f;
constexpr float kTrackHeight = 5.0f;
constexpr float kTrackRadius = 2.5f;
constexpr float kMarkReach = 3.0f;  // knob and base tick, above and below the track
constexpr float kKnobWidth = 4.0f;

constexpr std::uint32_t kUnlockedFill = palette::withAlphaByte(palette::kAccent, 0xBF);
constexpr std::uint32_t kLockBand = palette::withAlphaByte(palette::kAccentHovered, 0x4D);
constexpr std::uint32_t kBaseTick = palette::withAlphaByte(palette::kMuted, 0x8C);

// The row's three columns; the track lies between label and value.
struct RowLayout {
  ui::Rect label;
  ui::Rect value;
  ui::Rect track;
};

RowLayout rowLayout(const ui::Rect& r, float s) {
  const float labelWidth = std::min(kLabelColumn * s, r.width);
  const float rest = r.width - labelWidth;
  const float valueWidth = std::min(kValueColumn * s, rest);
  const float trackHeight = kTrackHeight * s;
  RowLayout row;
  row.label = {r.x, r.y, labelWidth, r.height};
  row.value = {r.x + r.width - valueWidth, r.y, valueWidth, r.height};
  row.track = {r.x + labelWidth + kTrackMargin * s, r.y + (r.height - trackHeight) / 2.0f,
               std::max(rest - valueWidth - 2.0f * kTrackMargin * s, 0.0f), trackHeight};
  return row;
}

float xAt(const ui::Rect& track, float t) { return track.x + track.width * t; }

// A bar across the track at x, reaching past it above and below.
ui::Rect markAt(const ui::Rect& track, float x, float width, float s) {
  return {x - width / 2.0f, track.y - kMarkReach * s, width, track.height + 2.0f * kMarkReach * s};
}

// Label, value text, track, fill or lock marks, and the knob.
void paintRow(const SlotFader& f, const RowLayout& row, float s) {
  ImDrawList* dl = ImGui::GetWindowDrawList();
  const DisplayRange range = f.range();
  ui::drawText(dl, row.label, f.label, ui::TextStyle::Small, palette::kMuted);
  ui::drawReadout(dl, row.value, f.valueText(), ui::TextStyle::MonoValue, palette::kLight,
                  ui::TextAlign::Right);
  ui::fillRect(dl, row.track, palette::kTrackFill, kTrackRadius);
  const float xv = xAt(row.track, range.position(f.value));
  if (f.locked) {
    const float xb = xAt(row.track, range.position(f.base));
    if (std::fabs(xv - xb) > 0.5f * s)
      ui::fillRect(dl, {std::min(xb, xv), row.track.y, std::fabs(xv - xb), row.track.height}, kLockBand);
    ui::fillRect(dl, markAt(row.track, xb, s, s), kBaseTick);
  } else {
    ui::fillRect(dl, {row.track.x, row.track.y, xv - row.track.x, row.track.height}, kUnlockedFill,
                 kTrackRadius);
  }
  ui::fillRect(dl, markAt(row.track, xv, kKnobWidth * s, s),
               f.locked ? palette::kAccentHovered : palette::kAccent, 2.0f);
}

}  // namespace

SlotFader::SlotFader() {
  entry.onCommit = [this](int openedId, float typed) { commitTyped(openedId, typed); };
}

std::string SlotFader::valueText() const {
  return orbi::valueText(range().shown(value), displayHi - displayLo, unit);
}

std::string SlotFader::tooltipSuffix() const {
  std::string text = label;
  text += locked ? " - locked to this hit" : " - the drum's own value";
  if (typeable) text += " - right-click to type";
  return text;
}

void SlotFader::commitTyped(int openedId, float typed) {
  const float v = range().fromShown(typed);
  if (change) change(openedId, v);
}

void SlotFader::draw(const ui::Rect& r) {
  if (id < 0 || label.empty()) return;
  ImGui::PushID(this);
  const float s = ui::scale();
  rect = r;
  tooltip = tooltipSuffix();
  const RowLayout row = rowLayout(r, s);

  ui::InteractSpec desc;
  desc.kind = ui::HitKind::Rectangle;
  desc.rect = r;
  desc.axis = ui::DragAxis::Free;
  desc.cursor = ImGuiMouseCursor_ResizeEW;
  desc.tooltip = tooltip.c_str();
  const ui::Interaction it = ui::interact("row", desc);
  if (it.rightClicked && typeable) {
    // Over the value, as high as the row and ending with it: the box covers
    // only the row it edits.
    const float half = ui::kNumberEntryWidth * s / 2.0f;
    const ImVec2 anchor(std::min(row.value.x + row.value.width / 2.0f, r.x + r.width - half),
                        r.y + r.height / 2.0f);
    entry.open(anchor, {id, range().shown(value), displayLo, displayHi, label.c_str(), unit.c_str()},
               r.height);
  }
  // Relative: a press alone changes nothing, and a drag moves the knob
  // as far as the pointer moves, from the value at the press. The row's
  // own value waits for the rebuild, which may already have run inside
  // change.
  if (it.pressed) valueAtPress_ = value;
  if (it.held && !it.pressed && it.delta.x != 0.0f) {
    const float at = range().position(valueAtPress_) + it.total.x / sweepLength(row.track.width, s);
    const float v = paramLo + (paramHi - paramLo) * clamp01NanTo0(at);
    if (v != value && change) change(id, v);
  }
  ui::logHandle(this, label, {xAt(row.track, range().position(value)), r.y + 0.5f * r.height}, ui::kAlongX,
                it.held);

  paintRow(*this, row, s);
  entry.draw();
  ImGui::PopID();
}

}  // namespace orbi
