#pragma once
// Context menus built from a list of entries and opened at a point: items
// with check marks and shortcut texts, separators, section labels, column
// breaks that lay the list out side by side, and submenus.

#include <imgui.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace orbi::ui {

enum class MenuEntryKind : std::uint32_t { Item, Separator, SectionLabel, ColumnBreak, Submenu };

struct MenuEntry {
  MenuEntryKind kind = MenuEntryKind::Item;
  std::string label;                // UTF-8; a part from "##" on is not shown
  std::uint32_t command = 0;        // what choosing an item returns
  bool checked = false;             // an item shows a check mark
  bool enabled = true;              // items and submenus
  std::vector<MenuEntry> children;  // a submenu's entries
  std::string shortcut;             // shown right-aligned beside an item; empty for none

  MenuEntry() = default;
  MenuEntry(std::string label, std::uint32_t command, bool checked = false, bool enabled = true,
            std::string shortcut = {});
  MenuEntry(std::string label, std::vector<MenuEntry> children);

  static MenuEntry separator();
  static MenuEntry sectionLabel(std::string label);
  static MenuEntry columnBreak();
};

// The command of the item chosen this frame, if any.
struct MenuChoice {
  std::optional<std::uint32_t> command;
};

// Opens the popup and remembers where it shows: at the point, or at the
// pointer when none is given. The point is kept in the current window's
// state storage, in the popup's id scope.
void openPopupAt(const char* id, std::optional<ImVec2> point = std::nullopt);

// Runs the menu opened under the id while it is open. Choosing an item
// closes it; so does a click outside.
MenuChoice popupMenu(const char* id, std::span<const MenuEntry> entries);

// The list cut at each column break (the breaks themselves dropped); empty
// columns count, so a list ending in a break has an empty last column.
// Breaks past the most columns a table can hold are ignored.
std::vector<std::span<const MenuEntry>> menuColumns(std::span<const MenuEntry> entries);

}  // namespace orbi::ui
