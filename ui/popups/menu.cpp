#include "ui/popups/menu.h"

#include <string_view>
#include <utility>

#include "ui/draw/text.h"
#include "ui/imgui_adapter.h"
#include "ui/interact/item_log.h"
#include "ui/popups/popup.h"
#include "ui/popups/popup_text.h"
#include "ui/style_scope.h"

namespace orbi::ui {
namespace {

constexpr std::size_t kMostColumns = kMostTableColumns;

struct PointKeys {
  ImGuiID x;
  ImGuiID y;
};

PointKeys pointKeys(const char* id) {
  ImGui::PushID(id);
  const PointKeys keys{ImGui::GetID("x"), ImGui::GetID("y")};
  ImGui::PopID();
  return keys;
}

void drawEntries(std::span<const MenuEntry> entries, MenuChoice& choice);

void drawEntry(const MenuEntry& entry, MenuChoice& choice) {
  switch (entry.kind) {
    case MenuEntryKind::Item:
      if (ImGui::MenuItem(entry.label.c_str(), entry.shortcut.empty() ? nullptr : entry.shortcut.c_str(),
                          entry.checked, entry.enabled))
        choice.command = entry.command;
      logLastItem(entry.label.c_str());
      break;
    case MenuEntryKind::Separator: ImGui::Separator(); break;
    case MenuEntryKind::SectionLabel:
      // Plain text: "##" hides nothing there on its own.
      styledText(upperCased(std::string_view(entry.label).substr(0, entry.label.find("##"))),
                 TextStyle::Caption, kPopupLabelColour);
      break;
    case MenuEntryKind::Submenu: {
      const bool open = ImGui::BeginMenu(entry.label.c_str(), entry.enabled);
      logLastItem(entry.label.c_str());
      if (open) {
        drawEntries(entry.children, choice);
        ImGui::EndMenu();
      }
      break;
    }
    default:  // a column break inside a submenu draws nothing
      break;
  }
}

// Each entry in its own id scope: entries of the same label stay apart.
void drawEntries(std::span<const MenuEntry> entries, MenuChoice& choice) {
  for (std::size_t i = 0; i < entries.size(); ++i) {
    ImGui::PushID(static_cast<int>(i));
    drawEntry(entries[i], choice);
    ImGui::PopID();
  }
}

void drawColumns(std::span<const MenuEntry> entries, MenuChoice& choice) {
  const std::vector<std::span<const MenuEntry>> columns = menuColumns(entries);
  if (columns.size() == 1) {
    drawEntries(columns.front(), choice);
    return;
  }
  // Items put their check marks at their right end: a rule between the
  // columns keeps a mark from reading as the next column's.
  const ImGuiStyle& style = ImGui::GetStyle();
  ImGui::PushStyleVar(ImGuiStyleVar_CellPadding, ImVec2(style.ItemSpacing.x, style.CellPadding.y));
  const bool began = ImGui::BeginTable("columns", static_cast<int>(columns.size()),
                                       ImGuiTableFlags_SizingFixedFit | ImGuiTableFlags_BordersInnerV);
  ImGui::PopStyleVar();
  if (!began) return;
  for (std::size_t c = 0; c < columns.size(); ++c)
    ImGui::TableSetupColumn(nullptr, ImGuiTableColumnFlags_WidthFixed);
  ImGui::TableNextRow();
  for (std::size_t c = 0; c < columns.size(); ++c) {
    ImGui::TableSetColumnIndex(static_cast<int>(c));
    ImGui::PushID(static_cast<int>(c));
    drawEntries(columns[c], choice);
    ImGui::PopID();
  }
  ImGui::EndTable();
}

}  // namespace

MenuEntry::MenuEntry(std::string label, std::uint32_t command, bool checked, bool enabled,
                     std::string shortcut)
    : kind(MenuEntryKind::Item),
      label(std::move(label)),
      command(command),
      checked(checked),
      enabled(enabled),
      shortcut(std::move(shortcut)) {}

MenuEntry::MenuEntry(std::string label, std::vector<MenuEntry> children)
    : kind(MenuEntryKind::Submenu), label(std::move(label)), children(std::move(children)) {}

MenuEntry MenuEntry::separator() {
  MenuEntry entry;
  entry.kind = MenuEntryKind::Separator;
  return entry;
}

MenuEntry MenuEntry::sectionLabel(std::string label) {
  MenuEntry entry;
  entry.kind = MenuEntryKind::SectionLabel;
  entry.label = std::move(label);
  return entry;
}

MenuEntry MenuEntry::columnBreak() {
  MenuEntry entry;
  entry.kind = MenuEntryKind::ColumnBreak;
  return entry;
}

std::vector<std::span<const MenuEntry>> menuColumns(std::span<const MenuEntry> entries) {
  std::vector<std::span<const MenuEntry>> columns;
  std::size_t start = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].kind != MenuEntryKind::ColumnBreak || columns.size() + 1 >= kMostColumns) continue;
    columns.push_back(entries.subspan(start, i - start));
    start = i + 1;
  }
  columns.push_back(entries.subspan(start));
  return columns;
}

void openPopupAt(const char* id, std::optional<ImVec2> point) {
  // A pointer outside the window has no position: the corner stands in.
  const ImVec2 pointer = ImGui::IsMousePosValid() ? ImGui::GetIO().MousePos : ImVec2(0.0f, 0.0f);
  const ImVec2 at = point.value_or(pointer);
  const PointKeys keys = pointKeys(id);
  ImGuiStorage* storage = ImGui::GetStateStorage();
  storage->SetFloat(keys.x, at.x);
  storage->SetFloat(keys.y, at.y);
  ImGui::OpenPopup(id);
}

MenuChoice popupMenu(const char* id, std::span<const MenuEntry> entries) {
  MenuChoice choice;
  if (!ImGui::IsPopupOpen(id)) return choice;
  const PointKeys keys = pointKeys(id);
  const ImGuiStorage* storage = ImGui::GetStateStorage();
  placeNextPopup(id, ImVec2(storage->GetFloat(keys.x), storage->GetFloat(keys.y)), ImVec2(0.0f, 0.0f),
                 ImVec2(0.0f, 0.0f));
  const StyleVarScope style(8.0f, 6.0f);
  if (!ImGui::BeginPopup(id)) return choice;
  pushTextStyle(TextStyle::Body);
  drawColumns(entries, choice);
  popTextStyle();
  ImGui::EndPopup();
  return choice;
}

}  // namespace orbi::ui
