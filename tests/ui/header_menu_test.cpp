// The header's menu: its sections and entries, the UI size checks, what
// hides Manual and Keyboard shortcuts, where caller items go, what each
// choice reports, and the About window.

#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "support/ui/test_png.h"
#include "tests/ui/header_rig.h"
#include "ui/header/header_menu.h"

namespace orbi::ui {
namespace header_menu_test {

using test::HeaderRig;

constexpr std::array<ShortcutRow, 1> kCopyRow{{{"Ctrl+C", "Copy"}}};

// A logo's bytes: pictures are known by their address, so they live for
// the whole test program.
std::span<const std::uint8_t> logo() {
  static const std::vector<std::uint8_t> png = test::encodeTestPng(48, 48);
  return png;
}

HeaderMenuInput plainInput() {
  HeaderMenuInput input;
  input.about.productName = "Orbitrane";
  input.showUndoRedo = true;
  return input;
}

// The labels of the top level, separators as "--" and section labels in
// brackets.
std::vector<std::string> outline(const std::vector<MenuEntry>& menu) {
  std::vector<std::string> out;
  for (const MenuEntry& e : menu) {
    switch (e.kind) {
      case MenuEntryKind::Separator: out.push_back("--"); break;
      case MenuEntryKind::SectionLabel: out.push_back("[" + e.label + "]"); break;
      default: out.push_back(e.label);
    }
  }
  return out;
}

TEST(HeaderMenuEntries, WithoutADocumentTheMenuStartsWithEdit) {
  const std::vector<MenuEntry> menu = buildHeaderMenu(plainInput());
  EXPECT_EQ(outline(menu),
            (std::vector<std::string>{"[Edit]", "Undo", "Redo", "--", "[Help]", "About Orbitrane"}));
}

TEST(HeaderMenuEntries, TheDocumentSectionTakesItsLabelOrPreset) {
  for (const std::string_view label : {std::string_view("Kit"), std::string_view()}) {
    HeaderMenuInput input = plainInput();
    input.documentLabel = label;
    input.showUndoRedo = false;
    const std::vector<MenuEntry> menu = buildHeaderMenu(input);
    const std::string title = label.empty() ? "Preset" : std::string(label);
    EXPECT_EQ(outline(menu), (std::vector<std::string>{"[" + title + "]", "New", "Open...", "Save",
                                                       "Save As...", "--", "[Help]", "About Orbitrane"}));
    EXPECT_EQ(menu[1].command, kMenuNew);
    EXPECT_EQ(menu[4].command, kMenuSaveAs);
  }
}

TEST(HeaderMenuEntries, UndoAndRedoAreEnabledByTheirFlags) {
  HeaderMenuInput input = plainInput();
  input.canRedo = true;
  const std::vector<MenuEntry> menu = buildHeaderMenu(input);
  EXPECT_FALSE(test::findMenuEntry(menu, "Undo")->enabled);
  EXPECT_TRUE(test::findMenuEntry(menu, "Redo")->enabled);
}

TEST(HeaderMenuEntries, OnlyTheMatchingUiSizeIsChecked) {
  struct Case {
    float uiSize;
    std::vector<bool> checks;
  };
  for (const Case& c : {Case{1.25f, {false, true, false, false}}, Case{1.3f, {false, false, false, false}},
                        Case{1.0f, {true, false, false, false}}, Case{2.005f, {false, false, false, true}}}) {
    SCOPED_TRACE(c.uiSize);
    HeaderMenuInput input = plainInput();
    input.showUiSize = true;
    input.uiSize = c.uiSize;
    const std::vector<MenuEntry> menu = buildHeaderMenu(input);
    const MenuEntry* sizes = test::findMenuEntry(menu, "UI size");
    ASSERT_NE(sizes, nullptr);
    EXPECT_EQ(sizes->kind, MenuEntryKind::Submenu);
    std::vector<std::string> labels;
    std::vector<bool> checks;
    for (const MenuEntry& e : sizes->children) {
      labels.push_back(e.label);
      checks.push_back(e.checked);
    }
    EXPECT_EQ(labels, (std::vector<std::string>{"100 %", "125 %", "150 %", "200 %"}));
    EXPECT_EQ(checks, c.checks);
  }
}

TEST(HeaderMenuEntries, ManualAndShortcutsShowOnlyWithSomethingToShow) {
  const std::array<ShortcutGroup, 2> emptyGroups{{{"Editing", {}}, {"Pages", {}}}};
  const std::array<ShortcutGroup, 2> oneRow{{{"Editing", {}}, {"Pages", kCopyRow}}};
  struct Case {
    const char* name;
    std::string_view manual;
    std::span<const ShortcutGroup> groups;
    bool showsManual;
    bool showsShortcuts;
  };
  const Case cases[] = {
      {"neither", "", {}, false, false},
      {"empty groups", "https://tarnex.example/manual", emptyGroups, true, false},
      {"a row", "", oneRow, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HeaderMenuInput input = plainInput();
    input.about.manualUrl = c.manual;
    input.shortcutGroups = c.groups;
    const std::vector<MenuEntry> menu = buildHeaderMenu(input);
    EXPECT_EQ(test::findMenuEntry(menu, "Manual") != nullptr, c.showsManual);
    EXPECT_EQ(test::findMenuEntry(menu, "Keyboard shortcuts") != nullptr, c.showsShortcuts);
    EXPECT_NE(test::findMenuEntry(menu, "About Orbitrane"), nullptr);
  }
}

TEST(HeaderMenuEntries, CallerItemsJoinTheirSections) {
  HeaderMenuInput input = plainInput();
  input.showUiSize = true;
  input.showSettings = true;
  std::vector<HeaderItem> items(4);
  items[0].section = HeaderSection::Product;
  items[0].entry = MenuEntry("Rescan kits", 1);
  items[1].section = HeaderSection::Help;
  items[1].entry = MenuEntry("Report a problem", 2);
  items[2].section = HeaderSection::Product;
  items[2].entry = MenuEntry("Open kits folder", 3);
  items[3].section = HeaderSection::Document;
  items[3].entry = MenuEntry("Import kit...", 4);
  input.items = items;
  EXPECT_EQ(
      outline(buildHeaderMenu(input)),
      (std::vector<std::string>{"[Preset]", "Import kit...", "--", "[Edit]", "Undo", "Redo", "--", "[View]",
                                "UI size", "--", "[Orbitrane]", "Rescan kits", "Open kits folder", "--",
                                "Settings...", "--", "[Help]", "About Orbitrane", "Report a problem"}));
}

TEST(HeaderMenuEntries, TheButtonIsWiderByTheLogo) {
  UiHarness harness;
  harness.frame([] {
    HeaderMenuInput input = plainInput();
    const float plain = headerMenuWidth(input);
    input.about.logo = logo();
    EXPECT_FLOAT_EQ(headerMenuWidth(input), plain + 24.0f);
    EXPECT_GT(plain, 44.0f);
  });
}

TEST(HeaderMenu, EachChoiceReachesTheResult) {
  HeaderRig rig;
  rig.model.showSettings = true;
  rig.model.showUiSize = true;
  rig.model.uiSize = 1.0f;
  ASSERT_TRUE(rig.click("button"));
  EXPECT_TRUE(rig.seen.back().menuOpened || rig.seen[rig.seen.size() - 2].menuOpened);
  rig.step(2);
  EXPECT_FALSE(rig.result.menuOpened);  // only the frame it opened
  ASSERT_TRUE(rig.click("Settings..."));
  EXPECT_EQ(rig.lastAction(), HeaderAction::Settings);

  ASSERT_TRUE(rig.click("button"));
  rig.step(2);
  const ItemRecord* sizes = rig.item("UI size");
  ASSERT_NE(sizes, nullptr);
  rig.harness.movePointer({sizes->hitArea.x + 10, sizes->hitArea.y + sizes->hitArea.height / 2});
  rig.step(20);
  ASSERT_TRUE(rig.click("150 %"));
  EXPECT_EQ(rig.last(&HeaderResult::uiSize), 1.5f);
}

TEST(HeaderMenu, AboutShowsTheLogoNameAndVersion) {
  HeaderRig rig;
  rig.model.about.logo = logo();
  ASSERT_FALSE(rig.model.about.logo.empty());
  rig.choose("About Orbitrane");
  rig.step(3);
  EXPECT_FALSE(rig.lastAction());
  // The button's name is drawn in its box, the window's lines at points.
  const DrawRecord* name = nullptr;
  for (const DrawRecord* r : rig.texts(TextStyle::Heading))
    if (r->op == DrawOp::TextAt && r->text == "Orbitrane") name = r;
  const DrawRecord* version = rig.text("0.0.6");
  ASSERT_TRUE(name && version);
  EXPECT_EQ(version->style, TextStyle::Body);
  EXPECT_GT(version->points[0].y, name->points[0].y);
  std::vector<float> pictures;
  for (const DrawRecord* r : rig.harness.drawLog().find(DrawOp::Picture)) pictures.push_back(r->rect.width);
  EXPECT_EQ(pictures, (std::vector<float>{20.0f, 48.0f}));  // the button's, then the window's

  rig.model.about.version = "";
  rig.step();
  EXPECT_EQ(rig.text("0.0.6"), nullptr);
}

TEST(HeaderMenu, ManualOpensOnlyAWebAddress) {
  for (const char* address : {"https://tarnex.example/orbitrane/manual", "/usr/bin/xterm"}) {
    SCOPED_TRACE(address);
    HeaderRig rig;
    rig.programs.install("xdg-open");
    rig.programs.answer("xdg-open", "", 0);
    rig.model.about.manualUrl = address;
    rig.choose("Manual");
    const bool web = std::string_view(address).starts_with("https://");
    // It logs its arguments before its run.
    for (int i = 0; i < 400 && web && rig.programs.runs("xdg-open") == 0; ++i) usleep(5000);
    EXPECT_EQ(rig.programs.ran("xdg-open"), web);
    if (web) {
      EXPECT_EQ(rig.programs.arguments("xdg-open"), std::vector<std::string>{address});
    }
  }
}

}  // namespace header_menu_test
}  // namespace orbi::ui
