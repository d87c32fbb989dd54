#pragma once
// The header's menu button: the menu glyph, the logo and the product's
// name, opening one popup menu of the document commands, "Edit", "View",
// the caller's items, "Settings..." and "Help", and the About and
// "Keyboard shortcuts" windows that hang from it. Main thread, inside a
// frame.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "ui/geometry.h"
#include "ui/header/header_model.h"
#include "ui/popups/menu.h"

namespace orbi::ui {

// Built by drawHeader from its model every frame.
struct HeaderMenuInput {
  AboutInfo about;
  std::optional<std::string_view> documentLabel;  // none: no document
  bool showUndoRedo = false;
  bool canUndo = false;
  bool canRedo = false;
  float uiSize = 1.0f;
  bool showUiSize = false;
  bool showSettings = false;
  bool keyboard = false;  // the header owns the keyboard: shortcut texts show
  std::span<const HeaderItem> items;
  std::span<const ShortcutGroup> shortcutGroups;  // "General" first when the header owns the keyboard
};

enum class MenuAction : std::uint32_t { New, Open, Save, SaveAs, Undo, Redo, Settings };

struct HeaderMenuChoice {
  std::optional<MenuAction> action;
  std::optional<std::uint32_t> item;  // a caller item's command
  std::optional<float> uiSize;
  bool opened = false;  // the menu was opened this frame
};

inline constexpr std::array<float, 4> uiSizeChoices{1.0f, 1.25f, 1.5f, 2.0f};

// The built-in entries' commands, u32 images of negative numbers; caller
// items use 0 to 2^31 - 1.
constexpr std::uint32_t builtInCommand(std::int32_t number) { return static_cast<std::uint32_t>(-number); }
inline constexpr std::uint32_t kMenuNew = builtInCommand(1);
inline constexpr std::uint32_t kMenuOpen = builtInCommand(2);
inline constexpr std::uint32_t kMenuSave = builtInCommand(3);
inline constexpr std::uint32_t kMenuSaveAs = builtInCommand(4);
inline constexpr std::uint32_t kMenuUndo = builtInCommand(5);
inline constexpr std::uint32_t kMenuRedo = builtInCommand(6);
inline constexpr std::uint32_t kMenuSettings = builtInCommand(7);
inline constexpr std::uint32_t kMenuManual = builtInCommand(8);
inline constexpr std::uint32_t kMenuShortcuts = builtInCommand(9);
inline constexpr std::uint32_t kMenuAbout = builtInCommand(10);
inline constexpr std::uint32_t kMenuUiSizeFirst = builtInCommand(100);  // then 101 to 103

// The button in the rectangle, its menu and its two windows.
HeaderMenuChoice headerMenu(const char* id, const Rect& rect, const HeaderMenuInput& input);

// 44 design pixels, the name's width in the Heading style, and 24 more with
// a logo.
float headerMenuWidth(const HeaderMenuInput& input);

std::vector<MenuEntry> buildHeaderMenu(const HeaderMenuInput& input);

// Appends a section: its built-in entries, then the caller items of the
// section (none without one); nothing when that is empty, else a separator
// when the menu has entries already, the title when it is not empty, and
// the entries.
void addMenuSection(std::vector<MenuEntry>& menu, std::string_view title, std::vector<MenuEntry> entries,
                    std::span<const HeaderItem> items, std::optional<HeaderSection> section);

// The "Keyboard shortcuts" window's contents, at the cursor.
void drawShortcutsWindow(const HeaderMenuInput& input);

}  // namespace orbi::ui
