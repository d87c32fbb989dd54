#include "editor/widgets/anatomy/half_browser.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "editor/widgets/widget_support.h"
#include "ui/context.h"
#include "ui/draw/shapes.h"
#include "ui/draw/text.h"
#include "ui/draw/waveform.h"
#include "ui/interact/interaction.h"

namespace orbi {
namespace {

constexpr float kArrowCell = 26.0f;
constexpr std::uint32_t kWaveColour = palette::withAlphaByte(palette::kAccent, 0x80);
constexpr std::uint32_t kArrowIdle = palette::kBorder;

// Acts on a press and on the second of two quick clicks, so that two quick
// clicks step twice.
// An arrow head 4 s wide in a cell centred at (cx, cy), pointing left for
// a negative direction.
void arrowHead(ImDrawList* dl, float cx, float cy, float direction, std::uint32_t colour) {
  const float s = ui::scale();
  const float back = -direction * 2.0f * s;
  const ImVec2 points[] = {{cx + back, cy - 4.0f * s}, {cx - back, cy}, {cx + back, cy + 4.0f * s}};
  ui::drawPolyline(dl, points, colour, 2.0f);
}

bool struck(const ui::Interaction& it) { return it.pressed || it.doubleClicked; }

ui::Interaction area(const char* id, const ui::Rect& r, ImGuiMouseCursor cursor, const std::string& tip) {
  ui::InteractSpec desc;
  desc.kind = ui::HitKind::Rectangle;
  desc.rect = r;
  desc.cursor = cursor;
  desc.tooltip = tip.c_str();
  return ui::interact(id, desc);
}

}  // namespace

int HalfBrowser::stepCount() const {
  if (slots.empty() || slots[0].info.stepped == 0) return 0;
  return static_cast<int>(slots[0].info.max - slots[0].info.min + 1.5f);
}

int HalfBrowser::currentIndex() const {
  const int count = stepCount();
  if (count < 1) return 0;
  const long i = std::lround(slots[0].value);
  return static_cast<int>(std::clamp<long>(i, 0, count - 1));
}

const char* HalfBrowser::choiceLabel(int i) const {
  if (slots.empty()) return nullptr;
  const ob::ParamInfo& info = slots[0].info;
  if (info.labels == nullptr || i < 0 || i >= stepCount() || static_cast<std::uint32_t>(i) >= info.labelCount)
    return nullptr;
  return info.labels[i];
}

const char* HalfBrowser::shownName() const {
  if (pinnedPreset >= 0 && pinnedPreset < static_cast<int>(presets.size()))
    return presets[pinnedPreset].name.c_str();
  return choiceLabel(currentIndex());
}

std::string HalfBrowser::hint() const {
  const char* name = shownName();
  if (name == nullptr) return ParamWidget::hint();
  std::string text = title + ": " + name;
  if (pinnedPreset < 0 || pinnedPreset >= static_cast<int>(presets.size()))
    text += " (tweaked - between halves)";
  return text + " - arrow through the halves; each one plays as you land on it.";
}

ImVec2 HalfBrowser::anchorFor(int, float t) const {
  const ui::Rect c = contentRect();
  return ImVec2(c.x + c.width * clamp01NanTo0(t), c.y + c.height / 2.0f);
}

void HalfBrowser::applyPreset(const ResolvedPreset& preset) {
  ParamWidget::applyPreset(preset);
  if (onLand) onLand();
}

void HalfBrowser::setWaveform(const float* newSamples, int frames) {
  samples = newSamples;
  frameCount = frames;
  if (newSamples != nullptr && frames > 0)
    overview = ui::WaveOverview(std::span<const float>(newSamples, static_cast<std::size_t>(frames)), 1.0);
  else
    overview = ui::WaveOverview();
}

void HalfBrowser::step(int delta) {
  if (slots.empty()) return;
  const int n = static_cast<int>(presets.size());
  if (n > 0) {
    const int next = pinnedPreset < 0 ? (delta >= 1 ? 0 : n - 1) : ((pinnedPreset + delta) % n + n) % n;
    pinnedPreset = next;
    // The preset is copied by applyPreset before anything can replace it.
    applyPreset(presets[next]);
    return;
  }
  const int count = stepCount();
  if (count < 1) return;
  setParam(0, static_cast<float>(((currentIndex() + delta) % count + count) % count));
  if (onLand) onLand();
}

void HalfBrowser::paintContent(ImDrawList* dl, const ui::Rect& c, bool prevLit, bool nextLit) const {
  const float s = ui::scale();
  const ui::Rect inner{c.x + 32.0f * s, c.y, std::max(0.0f, c.width - 64.0f * s), c.height};
  if (samples != nullptr && frameCount >= 1) {
    const float w = clampTo(0.42f * inner.width, 0.0f, inner.width);
    const ui::Rect wave{inner.x + inner.width - w, inner.y, w, inner.height};
    ui::WaveformStyle style;
    style.colour = kWaveColour;
    style.height = 0.8f;
    const ui::Axis axis{ui::AxisKind::Linear, 0.0f, static_cast<float>(frameCount), wave.x,
                        wave.x + wave.width};
    ui::drawWaveform(dl, wave, axis, overview, style);
  }
  if (const char* name = shownName())
    ui::drawText(dl, {inner.x, inner.y, clampTo(0.5f * c.width, 0.0f, inner.width), inner.height}, name,
                 ui::TextStyle::Body, palette::kLight);
  const float cy = c.y + c.height / 2.0f;
  arrowHead(dl, c.x + kArrowCell * s / 2.0f, cy, -1.0f, prevLit ? palette::kAccent : kArrowIdle);
  arrowHead(dl, c.x + c.width - kArrowCell * s / 2.0f, cy, 1.0f, nextLit ? palette::kAccent : kArrowIdle);
  drawModulation(dl, 0);
}

void HalfBrowser::draw(const ui::Rect& r) {
  ImGui::PushID(this);
  const float s = ui::scale();
  drawFrame(r);
  const ui::Rect c = contentRect();
  hintText = hint();
  const float cell = kArrowCell * s;
  const ui::Interaction prev = area("prev", {c.x, c.y, cell, c.height}, ImGuiMouseCursor_Hand, hintText);
  const ui::Interaction next =
      area("next", {c.x + c.width - cell, c.y, cell, c.height}, ImGuiMouseCursor_Hand, hintText);
  const float top = c.y - 6.0f * s;
  const ui::Interaction field =
      area("field", {r.x, top, r.width, r.y + r.height - top}, ImGuiMouseCursor_Arrow, hintText);
  if (struck(prev))
    step(-1);
  else if (struck(next))
    step(+1);
  else if (field.pressed && onLand)
    onLand();
  if (stepCount() >= 1)
    paintContent(ImGui::GetWindowDrawList(), c, prev.hovered || prev.held, next.hovered || next.held);
  drawPresetMenu();
  ImGui::PopID();
}

}  // namespace orbi
