#include "editor/widgets/sample/sampler_lane.h"

#include <algorithm>

#include "editor/widgets/widget_support.h"
#include "ui/context.h"
#include "ui/draw/text.h"

namespace orbi {
namespace {

constexpr float kTitleStrip = 18.0f;
constexpr float kCaption = 12.0f;
constexpr float kTitleRow = 16.0f;  // the frame's title strip

}  // namespace

SamplerLane::SamplerLane(const char* idText, std::size_t slotsNeeded)
    : idText_(idText), slotsNeeded_(slotsNeeded) {
  entry.onCommit = [this](int id, float typed) { commitTyped(id, typed); };
}

float SamplerLane::value(int slot, float fallback) const {
  if (slot < 0 || static_cast<std::size_t>(slot) >= slots.size()) return fallback;
  return slots[static_cast<std::size_t>(slot)].value;
}

ui::Rect SamplerLane::gestureArea() const {
  const float s = ui::scale();
  ui::Rect area = rect.inset(s, s);
  if (!title.empty() || !presets.empty()) area.takeTop(kTitleStrip * s);
  return area;
}

ui::Rect SamplerLane::captionStrip() const {
  const ui::Rect c = contentRect();
  const float h = std::min(kCaption * ui::scale(), c.height);
  return {c.x, c.y + c.height - h, c.width, h};
}

bool SamplerLane::change(int slot, float v) {
  if (!changeParam(slot, v)) return false;
  changed_ = true;
  return true;
}

ui::Rect SamplerLane::placeText(std::span<const ui::Rect> boxes, std::string_view text, std::uint32_t colour,
                                std::span<const ui::TextAlign> alignments) {
  std::vector<ui::Rect> inks;
  for (std::size_t i = 0; i < boxes.size(); ++i)
    inks.push_back(ui::textInk(boxes[i], text, ui::TextStyle::Caption, alignments[i]));
  const std::size_t i = placer_.place(inks);
  ui::drawText(ImGui::GetWindowDrawList(), boxes[i], text, ui::TextStyle::Caption, colour, alignments[i]);
  placer_.panel(inks[i]);
  return inks[i];
}

void SamplerLane::caption(std::string_view text, std::uint32_t colour) {
  const ui::Rect bottom = captionStrip();
  const ui::Rect c = contentRect();
  const ui::Rect top{c.x, c.y, c.width, bottom.height};
  const ui::Rect title = titleRow();
  const ui::Rect boxes[] = {bottom, top, bottom, top, bottom, top, title};
  const ui::TextAlign alignments[] = {ui::TextAlign::Centre, ui::TextAlign::Centre, ui::TextAlign::Right,
                                      ui::TextAlign::Right,  ui::TextAlign::Left,   ui::TextAlign::Left,
                                      ui::TextAlign::Right};
  placeText(boxes, text, colour, alignments);
}

ui::Rect SamplerLane::titleRow() const {
  const float s = ui::scale();
  const ui::Rect frame = rect.inset(s, s);
  const float height = std::min(kTitleRow * s, std::max(frame.height, 0.0f));
  const float left = frame.x + 8.0f * s + ui::measureText(title, ui::TextStyle::Small).x + 12.0f * s;
  const float right = frame.x + frame.width - (presets.empty() ? 8.0f : 30.0f) * s;
  return {left, frame.y, std::max(right - left, 0.0f), height};
}

std::string SamplerLane::readout(int slot) const {
  const TypedField field = typedField(slot);
  return std::string(field.label) + "  " +
         valueText(value(slot) * field.scale, field.hi - field.lo, field.unit);
}

void SamplerLane::openTyped(int slot, ImVec2 at) {
  if (slot < 0 || static_cast<std::size_t>(slot) >= slots.size()) return;
  const TypedField field = typedField(slot);
  NumberEntry::Request request;
  request.id = slot;
  request.value = value(slot) * field.scale;
  request.lo = field.lo;
  request.hi = field.hi;
  request.label = field.label;
  request.unit = field.unit;
  entry.open(at, request);
}

void SamplerLane::commitTyped(int id, float typed) {
  if (id < 0 || static_cast<std::size_t>(id) >= slots.size()) return;
  const TypedField field = typedField(id);
  setParam(id, clampTo(typed / field.scale, field.lo / field.scale, field.hi / field.scale));
}

void SamplerLane::handleInput() {
  hintCache = hint();
  ui::InteractSpec desc;
  desc.kind = ui::HitKind::Rectangle;
  desc.rect = gestureArea();
  desc.axis = ui::DragAxis::Free;
  desc.cursor = cursorAt(ImGui::GetIO().MousePos);
  desc.tooltip = hintCache.c_str();
  const ui::Interaction it = ui::interact(idText_, desc);
  if (it.rightClicked) {
    const ImVec2 pointer = ImGui::GetIO().MousePos;
    openTyped(pickTyped(pointer), pointer);
  }
  if (it.pressed) {
    changed_ = false;
    press(it);
  } else if ((it.held || it.released) && (it.delta.x != 0.0f || it.delta.y != 0.0f)) {
    move(it);
  }
  if (it.released) {
    // A press alone, or a drag that set nothing new, plays nothing.
    if (gestureActive() && changed_ && onGestureEnd) onGestureEnd();
    endGesture();
    changed_ = false;
  }
}

void SamplerLane::draw(const ui::Rect& r) {
  ImGui::PushID(this);
  drawFrame(r);
  placer_ = ui::LabelPlacer();
  if (slots.size() >= slotsNeeded_) {
    handleInput();
    paint(ImGui::GetWindowDrawList());
  }
  drawPresetMenu();
  entry.draw(r);
  ImGui::PopID();
}

}  // namespace orbi
