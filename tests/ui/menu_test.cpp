// Popup menus: entries and their copies, columns cut at column breaks,
// where a menu opens, choosing items in any column and in submenus, and
// disabled entries that can be neither chosen nor opened.

#include "ui/popups/menu.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/ui/ui_harness.h"
#include "ui/draw/draw_log.h"
#include "ui/imgui_internals.h"
#include "ui/shortcuts.h"

namespace orbi::ui {
namespace menu_test {

constexpr ImGuiMouseButton kLeft = ImGuiMouseButton_Left;

MenuEntry disabled(MenuEntry entry) {
  entry.enabled = false;
  return entry;
}

TEST(MenuEntry, ConstructorsFillTheKindAndCopiesAreDeep) {
  const MenuEntry item("Kick", 7, true, false, "Ctrl+K");
  EXPECT_EQ(item.kind, MenuEntryKind::Item);
  EXPECT_EQ(item.command, 7u);
  EXPECT_TRUE(item.checked);
  EXPECT_FALSE(item.enabled);
  EXPECT_EQ(item.shortcut, "Ctrl+K");

  MenuEntry sub("More", {MenuEntry("Rim", 1), MenuEntry("Cowbell", 2)});
  EXPECT_EQ(sub.kind, MenuEntryKind::Submenu);
  EXPECT_EQ(sub.command, 0u);
  EXPECT_FALSE(sub.checked);
  EXPECT_TRUE(sub.enabled);
  EXPECT_TRUE(sub.shortcut.empty());

  MenuEntry copy = sub;
  copy.children[0].label = "Changed";
  EXPECT_EQ(sub.children[0].label, "Rim");
  const MenuEntry moved = std::move(copy);
  EXPECT_EQ(moved.children.size(), 2u);
  EXPECT_EQ(moved.children[0].label, "Changed");

  EXPECT_EQ(MenuEntry::separator().kind, MenuEntryKind::Separator);
  EXPECT_EQ(MenuEntry::columnBreak().kind, MenuEntryKind::ColumnBreak);
  EXPECT_EQ(MenuEntry::sectionLabel("Drums").kind, MenuEntryKind::SectionLabel);
  EXPECT_EQ(MenuEntry::sectionLabel("Drums").label, "Drums");
}

TEST(MenuColumns, AreCutAtEachBreakAndEmptyColumnsCount) {
  const MenuEntry a("a", 1), b("b", 2), c("c", 3), cut = MenuEntry::columnBreak();
  struct Case {
    const char* name;
    std::vector<MenuEntry> entries;
    std::vector<std::size_t> sizes;
  };
  const Case cases[] = {
      {"no break", {a, b, c}, {3}},
      {"nothing at all", {}, {0}},
      {"two columns", {a, cut, b, c}, {1, 2}},
      {"ending in a break", {a, b, cut}, {2, 0}},
      {"starting with a break", {cut, a}, {0, 1}},
      {"two breaks in a row", {a, cut, cut, b}, {1, 0, 1}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    const auto columns = menuColumns(k.entries);
    ASSERT_EQ(columns.size(), k.sizes.size());
    for (std::size_t i = 0; i < columns.size(); ++i) {
      EXPECT_EQ(columns[i].size(), k.sizes[i]) << i;
      for (const MenuEntry& e : columns[i]) EXPECT_NE(e.kind, MenuEntryKind::ColumnBreak);
    }
  }
}

TEST(MenuColumns, StopAtTheMostATableHoldsAndKeepEveryItem) {
  std::vector<MenuEntry> entries;
  for (int i = 0; i < 100; ++i) {
    entries.emplace_back(std::to_string(i), static_cast<std::uint32_t>(i));
    entries.push_back(MenuEntry::columnBreak());
  }
  const auto columns = menuColumns(entries);
  EXPECT_EQ(columns.size(), static_cast<std::size_t>(IMGUI_TABLE_MAX_COLUMNS));
  std::size_t items = 0;
  for (const auto& column : columns)
    for (const MenuEntry& e : column) items += e.kind == MenuEntryKind::Item ? 1 : 0;
  EXPECT_EQ(items, 100u);
}

// A menu run every frame, collecting what it reported.
class MenuRun {
 public:
  explicit MenuRun(std::vector<MenuEntry> entries) : entries_(std::move(entries)) { harness_.frame(); }

  UiHarness& harness() { return harness_; }

  void step() {
    harness_.frame([&] { run(); });
  }
  void openAt(std::optional<ImVec2> point) {
    harness_.frame([&] {
      openPopupAt("menu", point);
      run();
    });
    step();
    step();
  }
  // Hovers the entry with the label, presses and releases on it.
  void click(const char* label) {
    EXPECT_TRUE(harness_.clickItem(label, [&] { run(); })) << label;
    step();
  }
  // Rests the pointer on the entry for a while.
  void hover(const char* label) {
    const ItemRecord* item = harness_.drawLog().findItem(label);
    ASSERT_NE(item, nullptr) << label;
    harness_.movePointer(
        ImVec2(item->hitArea.x + item->hitArea.width / 2, item->hitArea.y + item->hitArea.height / 2));
    for (int i = 0; i < 20; ++i) step();
  }
  bool shows(const char* label) const { return harness_.drawLog().findItem(label) != nullptr; }

  std::vector<std::uint32_t> chosen;
  bool open = false;
  bool blocked = false;
  int tableColumns = 0;  // of the table drawn this frame, 0 for none
  ImVec2 position;       // of the menu's window
  ImVec2 size;

 private:
  void run() {
    const MenuChoice choice = popupMenu("menu", entries_);
    if (choice.command) chosen.push_back(*choice.command);
    open = ImGui::IsPopupOpen("menu");
    char name[32];
    ImFormatString(name, sizeof name, "##Popup_%08x", ImGui::GetID("menu"));
    if (const ImGuiWindow* window = ImGui::FindWindowByName(name)) {
      position = window->Pos;
      size = window->Size;
    }
    blocked = shortcutsBlocked();
    tableColumns = 0;
    ImGuiContext& g = *GImGui;
    for (int i = 0; i < g.Tables.GetMapSize(); ++i)
      if (const ImGuiTable* table = g.Tables.TryGetMapData(i);
          table && table->LastFrameActive == g.FrameCount)
        tableColumns = table->ColumnsCount;
  }

  UiHarness harness_;
  std::vector<MenuEntry> entries_;
};

std::vector<MenuEntry> drumMenu() {
  return {MenuEntry::sectionLabel("Drums"),
          MenuEntry("Kick", 1, true, true, "Ctrl+1"),
          MenuEntry("Snare", 2),
          disabled(MenuEntry("Clap", 3)),
          MenuEntry::separator(),
          MenuEntry("More", {MenuEntry("Rimshot", 10), MenuEntry::columnBreak(), MenuEntry("Cowbell", 11)}),
          disabled(MenuEntry("Locked", {MenuEntry("Secret", 12)})),
          MenuEntry::columnBreak(),
          MenuEntry::sectionLabel("Cymbals"),
          MenuEntry("Ride", 4),
          MenuEntry("Kick", 5)};  // the same label in another column
}

TEST(PopupMenu, OpensAtTheGivenPointOrThePointer) {
  for (const bool atPointer : {false, true}) {
    SCOPED_TRACE(atPointer ? "pointer" : "point");
    MenuRun menu(drumMenu());
    menu.harness().movePointer({300, 220});
    menu.openAt(atPointer ? std::nullopt : std::optional<ImVec2>(ImVec2(120, 80)));
    EXPECT_TRUE(menu.open);
    EXPECT_TRUE(menu.blocked);
    // Dear ImGui nudges a popup placed at a point a pixel to the right as
    // it first shows.
    const ImVec2 at = atPointer ? ImVec2(300, 220) : ImVec2(120, 80);
    EXPECT_NEAR(menu.position.x, at.x, 1.0f);
    EXPECT_FLOAT_EQ(menu.position.y, at.y);
  }
}

// Opened by the window's right or bottom edge, the menu and its submenu
// move in, so every entry can be seen and chosen.
TEST(PopupMenu, NearTheEditorWindowsEdgesItMovesInside) {
  const ImVec2 display(UiHarness::kDisplayWidth, UiHarness::kDisplayHeight);
  for (const ImVec2 at : {ImVec2(940, 300), ImVec2(300, 930), ImVec2(955, 935)}) {
    SCOPED_TRACE(testing::Message() << at.x << "," << at.y);
    MenuRun menu(drumMenu());
    menu.openAt(at);
    ASSERT_TRUE(menu.open);
    EXPECT_GT(menu.size.x, 100.0f);
    EXPECT_GE(menu.position.x, 0.0f);
    EXPECT_GE(menu.position.y, 0.0f);
    EXPECT_LE(menu.position.x + menu.size.x, display.x);
    EXPECT_LE(menu.position.y + menu.size.y, display.y);
    // As near the point as it can be.
    EXPECT_TRUE(std::fabs(menu.position.x - at.x) <= 1.0f || menu.position.x + menu.size.x == display.x);
    EXPECT_TRUE(menu.position.y == at.y || menu.position.y + menu.size.y == display.y);
    menu.hover("More");
    ASSERT_TRUE(menu.shows("Cowbell"));
    for (const ItemRecord& item : menu.harness().drawLog().items()) {
      SCOPED_TRACE(item.idText);
      EXPECT_GE(item.hitArea.x, 0.0f);
      EXPECT_LE(item.hitArea.x + item.hitArea.width, display.x);
      EXPECT_LE(item.hitArea.y + item.hitArea.height, display.y);
    }
    menu.click("Cowbell");
    EXPECT_EQ(menu.chosen, std::vector<std::uint32_t>{11});
  }
}

TEST(PopupMenu, ReportsTheChosenItemOnceAndCloses) {
  MenuRun menu(drumMenu());
  menu.openAt(ImVec2(100, 100));
  menu.click("Snare");
  EXPECT_EQ(menu.chosen, std::vector<std::uint32_t>{2});
  EXPECT_FALSE(menu.open);
  menu.step();
  EXPECT_EQ(menu.chosen.size(), 1u);
}

TEST(PopupMenu, ItemsOfTheSecondColumnAndOfTheSameLabelAreTheirOwn) {
  MenuRun menu(drumMenu());
  menu.openAt(ImVec2(100, 100));
  const ItemRecord* ride = menu.harness().drawLog().findItem("Ride");
  const ItemRecord* snare = menu.harness().drawLog().findItem("Snare");
  ASSERT_TRUE(ride && snare);
  EXPECT_GT(ride->hitArea.x, snare->hitArea.x + snare->hitArea.width - 1.0f);
  menu.click("Ride");
  EXPECT_EQ(menu.chosen, std::vector<std::uint32_t>{4});

  // The second "Kick", in the second column.
  menu.openAt(ImVec2(100, 100));
  std::vector<Rect> kicks;
  for (const ItemRecord& item : menu.harness().drawLog().items())
    if (item.idText == "Kick") kicks.push_back(item.hitArea);
  ASSERT_EQ(kicks.size(), 2u);
  menu.harness().movePointer(ImVec2(kicks[1].x + 10, kicks[1].y + kicks[1].height / 2));
  menu.step();
  menu.harness().setButton(kLeft, true);
  menu.step();
  menu.harness().setButton(kLeft, false);
  menu.step();
  EXPECT_EQ(menu.chosen, (std::vector<std::uint32_t>{4, 5}));
}

TEST(PopupMenu, ASubmenuOpensOnHoverAndItsItemsCanBeChosen) {
  MenuRun menu(drumMenu());
  menu.openAt(ImVec2(100, 100));
  EXPECT_FALSE(menu.shows("Rimshot"));
  menu.hover("More");
  EXPECT_TRUE(menu.shows("Rimshot"));
  EXPECT_TRUE(menu.shows("Cowbell"));  // a column break in a submenu draws nothing
  menu.click("Cowbell");
  EXPECT_EQ(menu.chosen, std::vector<std::uint32_t>{11});
  EXPECT_FALSE(menu.open);
}

TEST(PopupMenu, DisabledEntriesCanBeNeitherChosenNorOpened) {
  MenuRun menu(drumMenu());
  menu.openAt(ImVec2(100, 100));
  menu.click("Clap");
  EXPECT_TRUE(menu.chosen.empty());
  EXPECT_TRUE(menu.open);
  menu.hover("Locked");
  EXPECT_FALSE(menu.shows("Secret"));
  menu.click("Locked");
  EXPECT_FALSE(menu.shows("Secret"));
  EXPECT_TRUE(menu.chosen.empty());
}

TEST(PopupMenu, AListEndingInABreakIsDrawnWithAnEmptyLastColumn) {
  MenuRun single({MenuEntry("One", 1), MenuEntry("Two", 2)});
  single.openAt(ImVec2(100, 100));
  EXPECT_EQ(single.tableColumns, 0);
  EXPECT_TRUE(single.shows("Two"));
  MenuRun split({MenuEntry("One", 1), MenuEntry("Two", 2), MenuEntry::columnBreak()});
  split.openAt(ImVec2(100, 100));
  EXPECT_EQ(split.tableColumns, 2);
  split.click("Two");
  EXPECT_EQ(split.chosen, std::vector<std::uint32_t>{2});
}

}  // namespace menu_test
}  // namespace orbi::ui
