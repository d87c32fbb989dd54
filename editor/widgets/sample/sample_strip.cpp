// The sample view's title strip: the mode pill, the CHOP pill with its
// menu, and the owner's toggle chips, cut from the strip's right end.
#include <algorithm>

#include "editor/widgets/sample/sample_view.h"
#include "editor/widgets/widget_support.h"
#include "ui/context.h"
#include "ui/draw/shapes.h"
#include "ui/draw/text.h"
#include "ui/interact/interaction.h"
#include "ui/popups/menu.h"

namespace orbi {
namespace {

constexpr const char* kChopMenuId = "chopMenu";
constexpr float kStripHeight = 18.0f;
constexpr float kPresetCell = 26.0f;
constexpr float kModeCell = 52.0f;
constexpr float kChopCell = 46.0f;
constexpr float kChipCell = 44.0f;     // at least
constexpr float kChipPadding = 16.0f;  // beside a chip's text, both sides, and its gaps

enum ChopCommand : std::uint32_t { kDetect = 1, kClear = 2, kDivideFirst = 10 };
constexpr int kDivideChoices = 5;  // 4, 8, 16, 32, 64

// Pill colours: fill, outline and text by state.
constexpr std::uint32_t kOnFillHovered = palette::kAccent;
constexpr std::uint32_t kOnFill = palette::withAlphaByte(palette::kAccent, 0xD9);
constexpr std::uint32_t kOffFillHovered = palette::kTrackFill;
constexpr std::uint32_t kOffFill = palette::withAlphaByte(palette::kTrackFill, 0xCC);
constexpr std::uint32_t kOffOutlineHovered = palette::withAlphaByte(palette::kMuted, 0xE6);
constexpr std::uint32_t kOffOutline = palette::withAlphaByte(palette::kMuted, 0x73);

bool usable(const ui::Rect& r) { return r.width > 0.0f && r.height > 0.0f; }

// Cuts a cell of width w off the right end of the strip and returns its item.
class StripCutter {
 public:
  StripCutter(const ui::Rect& strip, float s) : strip_(strip), right_(strip.x + strip.width), s_(s) {}
  ui::Rect cut(float w) {
    const float width = clampTo(w, 0.0f, right_ - strip_.x);
    right_ -= width;
    return {right_ + 3.0f * s_, strip_.y + 2.0f * s_, std::max(0.0f, width - 6.0f * s_),
            std::max(0.0f, strip_.height - 4.0f * s_)};
  }

 private:
  ui::Rect strip_;
  float right_;
  float s_;
};

void paintPill(ImDrawList* dl, const ui::Rect& r, bool on, bool hovered, const std::string& label) {
  if (!usable(r)) return;
  const std::uint32_t fill =
      on ? (hovered ? kOnFillHovered : kOnFill) : (hovered ? kOffFillHovered : kOffFill);
  const std::uint32_t outline = on ? palette::kAccent : (hovered ? kOffOutlineHovered : kOffOutline);
  ui::fillRect(dl, r, fill, 3.0f);
  ui::strokeRect(dl, r, outline, 3.0f, 1.0f);
  ui::drawText(dl, r, label, ui::TextStyle::Body, on ? palette::kDarkFill : palette::kMuted,
               ui::TextAlign::Centre);
}

ui::InteractSpec areaSpec(const ui::Rect& r, const char* tooltip) {
  ui::InteractSpec desc;
  desc.kind = ui::HitKind::Rectangle;
  desc.rect = r;
  desc.cursor = ImGuiMouseCursor_Hand;
  desc.tooltip = tooltip;
  return desc;
}

}  // namespace

SampleView::StripLayout SampleView::layoutStrip() {
  const float s = ui::scale();
  ui::Rect strip{rect.x + s, rect.y + s, std::max(0.0f, rect.width - 2.0f * s),
                 std::max(0.0f, kStripHeight * s)};
  if (!presets.empty()) strip.width = std::max(0.0f, strip.width - kPresetCell * s);
  StripCutter cutter(strip, s);
  StripLayout layout;
  if (hasMarkers) layout.modePill = cutter.cut(kModeCell * s);
  if (hasMarkers && mode == kSlices) layout.chopPill = cutter.cut(kChopCell * s);
  // A chip is as wide as its parameter's name.
  for (std::size_t i = 0; i < chips.size(); ++i)
    chips[i].rect = cutter.cut(
        std::max(kChipCell * s, ui::measureText(chips[i].label, ui::TextStyle::Body).x + kChipPadding * s));
  return layout;
}

ui::Rect SampleView::titleRow() const {
  const float s = ui::scale();
  float right = rect.x + rect.width - 8.0f * s;
  for (const ui::Rect& pill : {strip_.modePill, strip_.chopPill})
    if (pill.width > 0.0f) right = std::min(right, pill.x - 6.0f * s);
  for (const auto& chip : chips)
    if (chip.rect.width > 0.0f) right = std::min(right, chip.rect.x - 6.0f * s);
  const float left = rect.x + 9.0f * s + ui::measureText(title, ui::TextStyle::Small).x + 12.0f * s;
  return {left, rect.y + s, std::max(right - left, 0.0f), kStripHeight * s};
}

void SampleView::drawModePills() {
  strip_ = layoutStrip();
  pillHovered_ = 0;
  chopHovered_ = 0;
  if (usable(strip_.modePill)) {
    const char* tip =
        slicesOn ? "SLICES: the window comes from the marker table. Click for the free start/end window."
                 : "WINDOW: a free start/end window. Click to play one slice of the marker table.";
    const ui::Interaction it = ui::interact("pill", areaSpec(strip_.modePill, tip));
    pillHovered_ = it.hovered ? 1 : 0;
    if ((it.pressed || it.doubleClicked) && onModeToggle) {
      const auto toggle = onModeToggle;
      toggle(!slicesOn);
    }
  }
  if (usable(strip_.chopPill)) {
    const ui::Interaction it = ui::interact(
        "chop",
        areaSpec(strip_.chopPill, "CHOP: detect transients, divide into equal chops, or clear the table."));
    chopHovered_ = it.hovered ? 1 : 0;
    if (it.pressed) chopMenuRequested_ = 1;
  }
  // onChip may rebuild the chips: index and size are read afresh each turn.
  for (std::size_t i = 0; i < chips.size(); ++i) {
    const ui::Rect r = chips[i].rect;
    if (!usable(r)) continue;
    ImGui::PushID(static_cast<int>(i));
    const ui::Interaction it = ui::interact("toggle", areaSpec(r, hintText.c_str()));
    ImGui::PopID();
    if ((it.pressed || it.doubleClicked) && onChip) {
      const int value = static_cast<int>(chips[i].value);
      const auto chip = onChip;
      chip(value);
    }
  }
  // A callback's rebuild may have replaced the chips: lay them out again
  // so that they are painted where the next frame will handle them.
  strip_ = layoutStrip();
  ImDrawList* dl = ImGui::GetWindowDrawList();
  paintPill(dl, strip_.modePill, slicesOn, pillHovered_, slicesOn ? "SLICES" : "WINDOW");
  if (usable(strip_.chopPill)) {
    ui::fillRect(dl, strip_.chopPill, chopHovered_ ? kOffFillHovered : kOffFill, 3.0f);
    ui::strokeRect(dl, strip_.chopPill, chopHovered_ ? kOffOutlineHovered : kOffOutline, 3.0f, 1.0f);
    ui::drawText(dl, strip_.chopPill, "CHOP", ui::TextStyle::Body, palette::kMuted, ui::TextAlign::Centre);
  }
  for (const Chip& chip : chips) paintPill(dl, chip.rect, chip.on, false, chip.label);
}

void SampleView::drawChopMenu() {
  if (chopMenuRequested_) {
    ui::openPopupAt(kChopMenuId, ImVec2(strip_.chopPill.x, strip_.chopPill.y + strip_.chopPill.height));
    chopMenuRequested_ = 0;
  }
  if (!ImGui::IsPopupOpen(kChopMenuId)) return;
  const bool haveSample = samples && frameCount >= 1;
  std::vector<ui::MenuEntry> divide;
  for (int i = 0; i < kDivideChoices; ++i)
    divide.emplace_back(std::to_string(4 << i), kDivideFirst + static_cast<std::uint32_t>(i));
  std::vector<ui::MenuEntry> entries;
  entries.emplace_back("Detect transients", kDetect, false, haveSample);
  entries.emplace_back("Divide into", std::move(divide));
  entries.back().enabled = haveSample;
  entries.push_back(ui::MenuEntry::separator());
  entries.emplace_back("Clear chops", kClear, false, markerCount > 0);
  const std::optional<std::uint32_t> chosen = ui::popupMenu(kChopMenuId, entries).command;
  if (!chosen) return;
  if (*chosen == kDetect && onDetectTransients) {
    const auto detect = onDetectTransients;
    detect();
  } else if (*chosen == kClear && onClearChops) {
    const auto clear = onClearChops;
    clear();
  } else if (*chosen >= kDivideFirst && *chosen < kDivideFirst + kDivideChoices && onDivide) {
    const auto divideInto = onDivide;
    divideInto(4 << (*chosen - kDivideFirst));
  }
}

}  // namespace orbi
