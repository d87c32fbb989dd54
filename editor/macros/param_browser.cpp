// The macros panel's parameter browser: the continuous parameters of the
// selected track's sound, in two columns under their group headers.

#include <imgui.h>

#include <algorithm>

#include "editor/macros/macro_name.h"
#include "editor/macros/macro_panel.h"
#include "editor/popup_area.h"
#include "editor/widgets/widget_support.h"
#include "engine/params/param_name.h"
#include "engine/params/param_tables.h"
#include "ui/context.h"
#include "ui/controls/scroll_area.h"
#include "ui/draw/shapes.h"
#include "ui/draw/text.h"
#include "ui/interact/interaction.h"
#include "ui/popups/popup.h"

namespace orbi {
namespace {

constexpr const char* kPopup = "macro.paramBrowser";
constexpr float kContentWidth = 532.0f;
constexpr float kGutter = 8.0f;
constexpr float kCellHeight = 40.0f;
constexpr float kRowPitch = 44.0f;  // a cell and the 4 between rows
constexpr std::uint32_t kHoverFill = palette::withAlphaByte(palette::kAccent, 0x2E);

// Items fill two columns row by row; a change of group finishes a
// half-filled row and starts a header, also for a group seen before.
MacroPanel::BrowserLayout layOut(const std::vector<MacroPanel::BrowserItem>& items, float s) {
  MacroPanel::BrowserLayout out;
  const float columnWidth = (kContentWidth - kGutter) / 2.0f * s;
  float y = 0.0f;
  int column = 0;
  const std::string* previous = nullptr;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const std::string& group = items[i].group;
    if (previous == nullptr || *previous != group) {
      if (column == 1) {
        y += kRowPitch * s;
        column = 0;
      }
      out.placed.push_back({{0.0f, y, kContentWidth * s, 20.0f * s}, -1, group});
      y += 22.0f * s;
    }
    previous = &group;
    out.placed.push_back({{column * (columnWidth + kGutter * s), y, columnWidth, kCellHeight * s},
                          static_cast<int>(i),
                          group});
    if (column == 1) y += kRowPitch * s;
    column ^= 1;
  }
  if (column == 1) y += kRowPitch * s;
  out.height = y;
  return out;
}

void paintCell(ImDrawList* dl, const ui::Rect& cell, const MacroPanel::BrowserItem& item, bool hovered) {
  const float s = ui::scale();
  if (hovered) {
    ui::fillRect(dl, cell, kHoverFill, 4.0f);
    ui::fillRect(dl, {cell.x, cell.y, 3.0f * s, cell.height}, palette::kAccent);
  }
  ui::Rect inner = cell.inset(8.0f * s, 4.0f * s);
  ui::drawText(dl, inner.takeTop(17.0f * s), item.label, ui::TextStyle::Body, palette::kLight,
               ui::TextAlign::Left);
  ui::drawText(dl, inner, item.help, ui::TextStyle::Caption, palette::kMuted, ui::TextAlign::Left);
}

}  // namespace

void MacroPanel::openParamBrowser(int m) {
  const int track = ctx_.selectedTrack();
  const ob::Sound* sound = soundOfTrack(track);
  if (sound == nullptr) return;
  std::vector<BrowserItem> items;
  for (int k = 0; k < ob::paramCount(sound->machine); ++k) {
    const ob::ParamDescriptor* desc = ob::findParamDescriptor(sound->machine, k);
    if (desc != nullptr && desc->continuous != 0)
      items.push_back(
          {static_cast<std::uint32_t>(k), ob::paramName(sound->machine, k), desc->group, desc->help});
  }
  if (items.empty()) return;
  browserMacro = m;
  browserTrack = track;
  const std::string name(sound->name, strnlen(sound->name, sizeof sound->name));
  showParamBrowser(macroName(part()->kit, m) + "  \u00B7  add to  " + name, std::move(items));
}

void MacroPanel::showParamBrowser(std::string title, std::vector<BrowserItem> items) {
  browser.title = std::move(title);
  browser.items = std::move(items);
  // Opened by the next draw, in the panel's id scope.
  browserOpening_ = true;
}

MacroPanel::BrowserChoice MacroPanel::drawParamBrowser(const ui::Rect& anchor) {
  BrowserChoice choice;
  const float s = ui::scale();
  const BrowserLayout layout = layOut(browser.items, s);
  const float height = std::clamp(layout.height + 42.0f * s, 140.0f * s, 520.0f * s);
  const ImVec2 size(560.0f * s, height);
  if (browserOpening_) {
    ui::openPopup(kPopup);
    browserOpening_ = false;
  }
  if (!ui::beginAnchoredPopup(kPopup, anchor, size)) return choice;
  {
    const PopupArea area(size);
    choice = runParamBrowser(area.rect(), layout);
  }
  if (choice.chosen) ui::closePopup();
  ui::endPopup();
  return choice;
}

MacroPanel::BrowserChoice MacroPanel::runParamBrowser(ui::Rect content, const BrowserLayout& layout) {
  BrowserChoice choice;
  const float s = ui::scale();
  ImDrawList* dl = ImGui::GetWindowDrawList();
  ui::drawText(dl, content.takeTop(18.0f * s), browser.title, ui::TextStyle::Small, palette::kLight,
               ui::TextAlign::Left);
  content.takeTop(4.0f * s);
  {
    ui::ScrollArea scroll("macro.paramBrowser.scroll", content, layout.height);
    ImDrawList* inner = ImGui::GetWindowDrawList();
    const ImVec2 at = scroll.origin();
    for (const BrowserLayout::Placed& p : layout.placed) {
      const ui::Rect r{at.x + p.rect.x, at.y + p.rect.y, p.rect.width, p.rect.height};
      if (p.item < 0) {
        ui::drawText(inner, r.inset(2.0f * s, 0.0f), p.group, ui::TextStyle::Heading, palette::kMuted,
                     ui::TextAlign::Left);
        continue;
      }
      const BrowserItem& item = browser.items[p.item];
      ImGui::PushID(static_cast<int>(item.param));
      ui::InteractSpec desc;
      desc.kind = ui::HitKind::Rectangle;
      desc.rect = r;
      desc.cursor = ImGuiMouseCursor_Hand;
      const ui::Interaction it = ui::interact("cell", desc);
      ImGui::PopID();
      paintCell(inner, r, item, it.hovered);
      if (it.clicked) choice = {static_cast<std::int32_t>(item.param), true};
    }
  }
  return choice;
}

void MacroPanel::addChosenDestination(const BrowserChoice& choice) {
  if (!choice.chosen) return;
  const ob::Sound* sound = soundOfTrack(browserTrack);
  if (sound == nullptr) return;
  ob::EditCommand add;
  add.kind = ob::kEditMacroDest;
  add.track = static_cast<std::uint32_t>(browserTrack);
  add.step = static_cast<std::uint32_t>(choice.param);
  add.param = browserMacro;
  add.value = ob::paramInfo(sound->machine, choice.param).max;
  // Beside the destinations the load kept unapplied, it may pass what a
  // load of its save reads.
  if (std::string why = ctx_.saveRefusalAfter(std::span(&add, 1)); !why.empty()) {
    pendingNotice = "Could not add the destination: " + why;
    return;
  }
  ctx_.apply(add);
}

}  // namespace orbi
