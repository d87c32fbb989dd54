#include "ui/header/header_menu.h"

#include <imgui.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>

#include "ui/context.h"
#include "ui/draw/icons.h"
#include "ui/draw/pictures.h"
#include "ui/draw/shapes.h"
#include "ui/draw/text.h"
#include "ui/interact/interaction.h"
#include "ui/link.h"
#include "ui/popups/popup.h"
#include "ui/theme/colour.h"
#include "ui/theme/palette.h"

namespace orbi::ui {
namespace {

// Design pixels.
constexpr float kButtonHeight = 32.0f;
constexpr float kInset = 8.0f;
constexpr float kGlyph = 24.0f;
constexpr float kLogo = 20.0f;
constexpr float kGap = 4.0f;
constexpr float kAboutLogo = 48.0f;
constexpr float kKeyColumnGap = 16.0f;
constexpr float kGroupGap = 8.0f;

using palette::kLight;
constexpr std::uint32_t kGrey = palette::kMuted;
constexpr std::uint32_t kHeld = palette::kGreenDeep;
constexpr std::uint32_t kLit = palette::kGreenHover;

constexpr const char* kMenuPopup = "menu";
constexpr const char* kAboutPopup = "about";
constexpr const char* kShortcutsPopup = "shortcuts";

std::string shortcutText(const HeaderMenuInput& input, const char* keys) {
  return input.keyboard ? keys : "";
}

std::string uiSizeLabel(float choice) {
  char label[16];
  std::snprintf(label, sizeof label, "%d %%", static_cast<int>(choice * 100.0f + 0.5f));
  return label;
}

bool anyShortcutRows(std::span<const ShortcutGroup> groups) {
  return std::any_of(groups.begin(), groups.end(), [](const ShortcutGroup& g) { return !g.rows.empty(); });
}

std::vector<MenuEntry> documentEntries(const HeaderMenuInput& input) {
  if (!input.documentLabel) return {};
  std::vector<MenuEntry> entries;
  entries.emplace_back("New", kMenuNew);
  entries.emplace_back("Open...", kMenuOpen, false, true, shortcutText(input, "Ctrl+O"));
  entries.emplace_back("Save", kMenuSave, false, true, shortcutText(input, "Ctrl+S"));
  entries.emplace_back("Save As...", kMenuSaveAs);
  return entries;
}

std::vector<MenuEntry> editEntries(const HeaderMenuInput& input) {
  if (!input.showUndoRedo) return {};
  std::vector<MenuEntry> entries;
  entries.emplace_back("Undo", kMenuUndo, false, input.canUndo, shortcutText(input, "Ctrl+Z"));
  entries.emplace_back("Redo", kMenuRedo, false, input.canRedo, shortcutText(input, "Ctrl+Shift+Z"));
  return entries;
}

std::vector<MenuEntry> viewEntries(const HeaderMenuInput& input) {
  if (!input.showUiSize) return {};
  std::vector<MenuEntry> sizes;
  for (std::size_t i = 0; i < uiSizeChoices.size(); ++i) {
    const float choice = uiSizeChoices[i];
    sizes.emplace_back(uiSizeLabel(choice), kMenuUiSizeFirst - static_cast<std::uint32_t>(i),
                       std::fabs(choice - input.uiSize) < 0.01f);
  }
  std::vector<MenuEntry> entries;
  entries.emplace_back("UI size", std::move(sizes));
  return entries;
}

std::vector<MenuEntry> helpEntries(const HeaderMenuInput& input) {
  std::vector<MenuEntry> entries;
  if (!input.about.manualUrl.empty()) entries.emplace_back("Manual", kMenuManual);
  if (anyShortcutRows(input.shortcutGroups)) entries.emplace_back("Keyboard shortcuts", kMenuShortcuts);
  entries.emplace_back("About " + std::string(input.about.productName), kMenuAbout);
  return entries;
}

// The chosen command: built-in ones are negative when read as signed.
void applyCommand(std::uint32_t command, const HeaderMenuInput& input, HeaderMenuChoice& choice) {
  const std::int32_t number = static_cast<std::int32_t>(command);
  if (number >= 0) {
    choice.item = command;
  } else if (number >= -7) {
    choice.action = static_cast<MenuAction>(-number - 1);
  } else if (command == kMenuManual) {
    openLink(input.about.manualUrl);
  } else if (command == kMenuShortcuts) {
    openPopup(kShortcutsPopup);
  } else if (command == kMenuAbout) {
    openPopup(kAboutPopup);
  } else if (number <= -100 && number > -100 - static_cast<std::int32_t>(uiSizeChoices.size())) {
    choice.uiSize = uiSizeChoices[static_cast<std::size_t>(-number - 100)];
  }
}

// The button's face: glyph, logo and name across the inset rectangle.
void drawButtonFace(ImDrawList* dl, const Rect& button, const HeaderMenuInput& input) {
  const float s = scale();
  Rect row = button.inset(kInset * s, 0.0f);
  const Rect glyphColumn = row.takeLeft(kGlyph * s);
  const float glyph = kGlyph * s;
  paintMenu(
      dl,
      {glyphColumn.x + (glyphColumn.width - glyph) / 2.0f, row.y + (row.height - glyph) / 2.0f, glyph, glyph},
      packColour(kLight));
  row.takeLeft(kGap * s);
  if (!input.about.logo.empty()) {
    const Rect logoColumn = row.takeLeft(kLogo * s);
    const float logo = kLogo * s;
    drawPicture(
        dl, {logoColumn.x + (logoColumn.width - logo) / 2.0f, row.y + (row.height - logo) / 2.0f, logo, logo},
        input.about.logo);
    row.takeLeft(kGap * s);
  }
  drawText(dl, row, input.about.productName, TextStyle::Heading, kLight);
}

void drawAboutWindow(const HeaderMenuInput& input) {
  const float s = scale();
  ImDrawList* dl = ImGui::GetWindowDrawList();
  const ImVec2 origin = ImGui::GetCursorScreenPos();
  float y = origin.y, widest = 0.0f;
  if (!input.about.logo.empty()) {
    drawPicture(dl, {origin.x, y, kAboutLogo * s, kAboutLogo * s}, input.about.logo);
    widest = kAboutLogo * s;
    y += (kAboutLogo + 8.0f) * s;
  }
  const ImVec2 name = measureText(input.about.productName, TextStyle::Heading);
  drawTextAt(dl, ImVec2(origin.x, y), input.about.productName, TextStyle::Heading, kLight);
  widest = std::max(widest, name.x);
  y += name.y + kGap * s;
  if (!input.about.version.empty()) {
    const ImVec2 version = measureText(input.about.version, TextStyle::Body);
    drawTextAt(dl, ImVec2(origin.x, y), input.about.version, TextStyle::Body, kGrey);
    widest = std::max(widest, version.x);
    y += version.y + kGap * s;
  }
  ImGui::Dummy(ImVec2(widest, y - origin.y));
}

}  // namespace

float headerMenuWidth(const HeaderMenuInput& input) {
  const float s = scale();
  const float logo = input.about.logo.empty() ? 0.0f : kLogo + kGap;
  return (2.0f * kInset + kGlyph + kGap + logo) * s +
         measureText(input.about.productName, TextStyle::Heading).x;
}

void addMenuSection(std::vector<MenuEntry>& menu, std::string_view title, std::vector<MenuEntry> entries,
                    std::span<const HeaderItem> items, std::optional<HeaderSection> section) {
  if (section)
    for (const HeaderItem& item : items)
      if (item.section == *section) entries.push_back(item.entry);
  if (entries.empty()) return;
  if (!menu.empty()) menu.push_back(MenuEntry::separator());
  if (!title.empty()) menu.push_back(MenuEntry::sectionLabel(std::string(title)));
  std::move(entries.begin(), entries.end(), std::back_inserter(menu));
}

std::vector<MenuEntry> buildHeaderMenu(const HeaderMenuInput& input) {
  std::vector<MenuEntry> menu;
  const std::string_view label = input.documentLabel.value_or(std::string_view());
  addMenuSection(menu, label.empty() ? "Preset" : label, documentEntries(input), input.items,
                 HeaderSection::Document);
  addMenuSection(menu, "Edit", editEntries(input), input.items, HeaderSection::Edit);
  addMenuSection(menu, "View", viewEntries(input), input.items, HeaderSection::View);
  addMenuSection(menu, input.about.productName, {}, input.items, HeaderSection::Product);
  std::vector<MenuEntry> settings;
  if (input.showSettings) settings.emplace_back("Settings...", kMenuSettings);
  addMenuSection(menu, {}, std::move(settings), input.items, std::nullopt);
  addMenuSection(menu, "Help", helpEntries(input), input.items, HeaderSection::Help);
  return menu;
}

void drawShortcutsWindow(const HeaderMenuInput& input) {
  const float s = scale();
  float keyColumn = 0.0f;
  for (const ShortcutGroup& group : input.shortcutGroups)
    for (const ShortcutRow& row : group.rows)
      keyColumn = std::max(keyColumn, measureText(row.keys, TextStyle::Body).x);
  keyColumn += kKeyColumnGap * s;

  ImDrawList* dl = ImGui::GetWindowDrawList();
  const ImVec2 origin = ImGui::GetCursorScreenPos();
  float y = origin.y, widest = 0.0f;
  bool first = true;
  for (const ShortcutGroup& group : input.shortcutGroups) {
    if (group.rows.empty()) continue;
    if (!first) y += kGroupGap * s;
    first = false;
    const ImVec2 title = measureText(group.title, TextStyle::Heading);
    drawTextAt(dl, ImVec2(origin.x, y), group.title, TextStyle::Heading, kGrey);
    widest = std::max(widest, title.x);
    y += title.y + kGap * s;
    for (const ShortcutRow& row : group.rows) {
      const ImVec2 description = measureText(row.description, TextStyle::Body);
      drawTextAt(dl, ImVec2(origin.x, y), row.keys, TextStyle::Body, kGrey);
      drawTextAt(dl, ImVec2(origin.x + keyColumn, y), row.description, TextStyle::Body, kLight);
      widest = std::max(widest, keyColumn + description.x);
      y += description.y + kGap * s;
    }
  }
  ImGui::Dummy(ImVec2(widest, y - origin.y));
}

HeaderMenuChoice headerMenu(const char* id, const Rect& rect, const HeaderMenuInput& input) {
  const float s = scale();
  HeaderMenuChoice choice;
  ImGui::PushID(id);
  const float height = std::max(0.0f, std::min(kButtonHeight * s, rect.height));
  const Rect button{rect.x, rect.y + (rect.height - height) / 2.0f, std::max(0.0f, rect.width), height};
  InteractSpec desc;
  desc.kind = HitKind::Rectangle;
  desc.rect = button;
  desc.reach = 8.0f;
  desc.cursor = ImGuiMouseCursor_Hand;
  desc.tooltip = "Menu";
  const Interaction it = interact("button", desc);

  ImDrawList* dl = ImGui::GetWindowDrawList();
  if (it.hovered || it.held || ImGui::IsPopupOpen(kMenuPopup))
    fillRect(dl, button, it.held ? kHeld : kLit, 6.0f);
  drawButtonFace(dl, button, input);
  if (it.hovered && it.clicked) {
    openPopupAt(kMenuPopup, ImVec2(button.x, button.y + button.height + kGap * s));
    choice.opened = true;
  }
  // The entries are built only while the menu shows.
  if (ImGui::IsPopupOpen(kMenuPopup)) {
    const std::vector<MenuEntry> entries = buildHeaderMenu(input);
    if (const MenuChoice chosen = popupMenu(kMenuPopup, entries); chosen.command)
      applyCommand(*chosen.command, input, choice);
  }
  if (beginAnchoredPopup(kAboutPopup, button, ImVec2(0.0f, 0.0f))) {
    drawAboutWindow(input);
    endPopup();
  }
  if (beginAnchoredPopup(kShortcutsPopup, button, ImVec2(0.0f, 0.0f))) {
    drawShortcutsWindow(input);
    endPopup();
  }
  ImGui::PopID();
  return choice;
}

}  // namespace orbi::ui
