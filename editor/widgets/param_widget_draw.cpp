// The base's painting: the panel frame, the presets button with its menu
// and the modulation marks.
#include <imgui.h>

#include <algorithm>
#include <optional>

#include "editor/widgets/param_widget.h"
#include "editor/widgets/widget_support.h"
#include "ui/context.h"
#include "ui/controls/buttons.h"
#include "ui/draw/icons.h"
#include "ui/draw/shapes.h"
#include "ui/draw/text.h"
#include "ui/interact/tooltip.h"

namespace orbi {
namespace {

constexpr const char* kPresetMenuId = "presetMenu";

constexpr std::uint32_t kLfoLine = palette::withAlphaByte(palette::kLfoBlue, 0x33);
constexpr std::uint32_t kLfoDot = palette::withAlphaByte(palette::kLfoBlue, 0x8C);
constexpr std::uint32_t kMacroMark = palette::withAlphaByte(palette::kMacroOrange, 0xFF);
constexpr std::uint32_t kLockMark = palette::withAlphaByte(palette::kAccentHovered, 0x8C);

constexpr float kTitleStrip = 16.0f;    // painted
constexpr float kTitleReserve = 18.0f;  // kept clear of content, and the presets cell's height
constexpr float kPresetCell = 26.0f;

// The presets button: the rightmost cell of the title strip, inset.
ui::Rect presetButtonRect(const ui::Rect& rect, float s) {
  const float stripRight = rect.x + s + std::max(0.0f, rect.width - 2.0f * s);
  return {stripRight - kPresetCell * s + 2.0f * s, rect.y + 2.0f * s,
          std::max(0.0f, (kPresetCell - 4.0f) * s), std::max(0.0f, (kTitleReserve - 2.0f) * s)};
}

}  // namespace

void ParamWidget::drawFrame(const ui::Rect& r) {
  rect = r;
  const float s = ui::scale();
  const ui::Rect frame = r.inset(s, s);
  ImDrawList* dl = ImGui::GetWindowDrawList();
  ui::fillRect(dl, frame, palette::kTilePanel, 4.0f);
  ui::strokeRect(dl, frame, palette::kBorder, 4.0f, 1.0f);
  // The panel with its title, not only its controls, is kept clear.
  ui::keepTooltipClearOfControl(frame);
  if (title.empty()) return;
  const float strip = clampTo(kTitleStrip * s, 0.0f, frame.height);
  const ui::Rect titleBox{frame.x + 8.0f * s, frame.y + s, std::max(0.0f, frame.width - 16.0f * s),
                          std::max(0.0f, strip - 2.0f * s)};
  ui::drawText(dl, titleBox, title, ui::TextStyle::Small, palette::kMuted);
}

ui::Rect ParamWidget::contentRect() const {
  const float s = ui::scale();
  ui::Rect content = rect.inset(s, s);
  if (!title.empty()) content.takeTop(kTitleReserve * s);
  return content.inset(6.0f * s, 6.0f * s);
}

void ParamWidget::drawPresetMenu() {
  if (presets.empty()) return;
  const ui::Rect button = presetButtonRect(rect, ui::scale());
  ImGui::PushID(this);
  ui::ButtonStyle style;
  style.width = {ui::SizeMode::Fill, 0.0f};  // the whole cell, at full scale
  style.compact = true;
  style.tooltip = "Presets for this panel";
  // The arrow drawn: the fonts' triangle is a dot at the button's size.
  if (ui::painterButton("presets", button, ui::paintCaretDown, style.tooltip, false, style))
    ui::openPopupAt(kPresetMenuId, ImVec2(button.x, button.y + button.height));
  std::optional<std::uint32_t> chosen;
  if (ImGui::IsPopupOpen(kPresetMenuId)) {
    const std::vector<ui::MenuEntry> entries = presetMenuEntries(presets);
    chosen = ui::popupMenu(kPresetMenuId, entries).command;
  }
  if (chosen && *chosen >= 1 && *chosen <= presets.size()) {
    const ResolvedPreset preset = presets[*chosen - 1];
    applyPreset(preset);
  }
  ImGui::PopID();
}

void ParamWidget::drawModulation(ImDrawList* dl, int i) const {
  if (i < 0) return;
  const auto index = static_cast<std::size_t>(i);
  if (index >= modMarks.size() || index >= slots.size()) return;
  const ModMarks& m = modMarks[index];
  const ParamSlot& slot = slots[index];
  const float s = ui::scale();
  const auto at = [&](float v) { return anchorFor(i, slot.toNormalized(v)); };
  if (m.hasLfo) {
    const ImVec2 sweep[] = {at(m.lfoLow), at(m.lfoHigh)};
    ui::drawPolyline(dl, sweep, kLfoLine, 5.0f);
    for (const ImVec2& end : sweep) ui::fillCircle(dl, end, 1.5f * s, kLfoDot);
  }
  if (m.hasMacro) {
    const ImVec2 p = at(m.macroValue);
    ui::fillTriangle(dl, {p.x - 4.0f * s, p.y - 8.0f * s}, {p.x + 4.0f * s, p.y - 8.0f * s}, {p.x, p.y - s},
                     kMacroMark);
  }
  if (m.hasLock) {
    const ImVec2 p = at(m.lockValue);
    const float d = 4.0f * s;
    ui::fillQuad(dl, {p.x, p.y - d}, {p.x + d, p.y}, {p.x, p.y + d}, {p.x - d, p.y}, kLockMark);
  }
}

}  // namespace orbi
