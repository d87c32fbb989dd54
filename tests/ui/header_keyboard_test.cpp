// Who owns undo, redo, save and open keys: the header when its model asks
// or the window has controls of its own, else the caller. What it acts on
// it marks as taken; what it does not act on stays for the caller.

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "tests/ui/header_rig.h"
#include "ui/dialogs/file_dialog.h"
#include "ui/header/header.h"
#include "ui/header/header_menu.h"
#include "ui/shortcuts.h"

namespace orbi::ui {
namespace header_keyboard_test {

using test::HeaderRig;

constexpr KeyChord kUndo{Key::Z, kModCtrl};
constexpr KeyChord kRedo{Key::Z, kModCtrl | kModShift};
constexpr KeyChord kSave{Key::S, kModCtrl};
constexpr KeyChord kOpen{Key::O, kModCtrl};
constexpr KeyChord kCopy{Key::C, kModCtrl};

constexpr std::array<ShortcutRow, 2> kEditingRows{{{"Ctrl+C", "Copy"}, {"Delete", "Clear"}}};
constexpr std::array<ShortcutGroup, 1> kEditingGroup{{{"Editing", kEditingRows}}};

HeaderDocument fileDocument() {
  HeaderDocument document;
  document.kind = DocumentKind::File;
  document.name = "groove";
  document.path = "/tmp/songs/groove.project.orbi";
  document.filters = {{"Orbi project", {"project.orbi"}}};
  return document;
}

// A header with undo, redo and a document, noting after it in each frame
// which shortcut the caller would still see.
class KeyboardRig : public HeaderRig {
 public:
  KeyboardRig() {
    model.document = fileDocument();
    model.showUndoRedo = model.canUndo = model.canRedo = true;
    model.shortcutGroups = kEditingGroup;
    after = [this] {
      left = shortcutPressed();
      busy = fileDialogBusy();
    };
  }

  // The frame the chord goes down in: what the header and the caller saw.
  struct Outcome {
    HeaderResult result;
    std::optional<Shortcut> left;
    bool busy = false;
  };
  Outcome pressOnce(KeyChord chord) {
    harness.pressChord(chord);
    step();
    Outcome outcome{result, left, busy};
    harness.releaseKeys();
    step();
    return outcome;
  }

  std::optional<Shortcut> left;
  bool busy = false;
};

TEST(HeaderKeyboard, WithoutTheFlagOrControlsTheKeysStayWithTheCaller) {
  struct Case {
    KeyChord chord;
    Shortcut shortcut;
  };
  for (const Case& c : {Case{kUndo, Shortcut::Undo}, Case{kRedo, Shortcut::Redo}, Case{kSave, Shortcut::Save},
                        Case{kOpen, Shortcut::Open}}) {
    SCOPED_TRACE(static_cast<int>(c.shortcut));
    KeyboardRig rig;
    const auto outcome = rig.pressOnce(c.chord);
    EXPECT_FALSE(outcome.result.action);
    EXPECT_FALSE(outcome.result.savePath);
    EXPECT_FALSE(outcome.busy);  // no open dialog asked for
    EXPECT_EQ(outcome.left, c.shortcut);
  }
}

TEST(HeaderKeyboard, TheFlagOrWindowControlsHandTheKeysToTheHeader) {
  test::FakeWindowControls controls;
  for (const bool byControls : {false, true}) {
    SCOPED_TRACE(byControls ? "window controls" : "keyboard flag");
    KeyboardRig rig;
    rig.model.keyboard = !byControls;
    if (byControls) rig.frame.windowControls = &controls;

    auto undo = rig.pressOnce(kUndo);
    EXPECT_EQ(undo.result.action, HeaderAction::Undo);
    EXPECT_FALSE(undo.left);  // taken for this frame
    auto redo = rig.pressOnce(kRedo);
    EXPECT_EQ(redo.result.action, HeaderAction::Redo);
    EXPECT_FALSE(redo.left);
    auto save = rig.pressOnce(kSave);
    EXPECT_EQ(save.result.savePath, "/tmp/songs/groove.project.orbi");
    EXPECT_FALSE(save.left);
    auto copy = rig.pressOnce(kCopy);  // never the header's
    EXPECT_FALSE(copy.result.action);
    EXPECT_EQ(copy.left, Shortcut::Copy);
    auto open = rig.pressOnce(kOpen);
    EXPECT_FALSE(open.left);
    EXPECT_TRUE(open.busy);  // the document's open dialog
  }
}

TEST(HeaderKeyboard, ADelegatedDocumentGetsSaveAndBrowseActions) {
  KeyboardRig rig;
  rig.model.keyboard = true;
  rig.model.document->kind = DocumentKind::Delegated;
  EXPECT_EQ(rig.pressOnce(kSave).result.action, HeaderAction::Save);
  const auto open = rig.pressOnce(kOpen);
  EXPECT_EQ(open.result.action, HeaderAction::Browse);
  EXPECT_FALSE(open.busy);
}

TEST(HeaderKeyboard, WhatCannotBeDoneIsNeitherActedOnNorTaken) {
  struct Case {
    const char* name;
    KeyChord chord;
    Shortcut shortcut;
    void (*change)(HeaderModel&);
  };
  const Case cases[] = {
      {"nothing to undo", kUndo, Shortcut::Undo, [](HeaderModel& m) { m.canUndo = false; }},
      {"nothing to redo", kRedo, Shortcut::Redo, [](HeaderModel& m) { m.canRedo = false; }},
      {"no undo buttons", kUndo, Shortcut::Undo, [](HeaderModel& m) { m.showUndoRedo = false; }},
      {"save without a document", kSave, Shortcut::Save, [](HeaderModel& m) { m.document.reset(); }},
      {"open without a document", kOpen, Shortcut::Open, [](HeaderModel& m) { m.document.reset(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    KeyboardRig rig;
    rig.model.keyboard = true;
    c.change(rig.model);
    const auto outcome = rig.pressOnce(c.chord);
    EXPECT_FALSE(outcome.result.action);
    EXPECT_FALSE(outcome.result.savePath);
    EXPECT_FALSE(outcome.busy);
    EXPECT_EQ(outcome.left, c.shortcut);
  }
}

TEST(HeaderKeyboard, NothingActsWhileAFileDialogIsPendingOrOpen) {
  KeyboardRig rig;
  rig.model.keyboard = true;
  // Pending: filed earlier in the same frame.
  rig.before = [] { requestFileDialog("samples.load", {}); };
  auto pending = rig.pressOnce(kUndo);
  EXPECT_FALSE(pending.result.action);
  rig.before = nullptr;

  // Open: a chooser program runs beside the editor, no popup in the way.
  KeyboardRig open;
  open.model.keyboard = true;
  open.programs.install("zenity");
  open.programs.hang("zenity");
  open.before = [] { requestFileDialog("samples.load", {}); };
  open.step();
  open.before = nullptr;
  open.step(2);
  ASSERT_TRUE(open.busy);
  for (const KeyChord chord : {kUndo, kRedo, kSave}) {
    const auto outcome = open.pressOnce(chord);
    EXPECT_FALSE(outcome.result.action);
    EXPECT_FALSE(outcome.result.savePath);
    EXPECT_TRUE(outcome.left);
  }
}

bool anyShortcutText(const std::vector<MenuEntry>& entries) {
  for (const MenuEntry& e : entries)
    if (!e.shortcut.empty() || anyShortcutText(e.children)) return true;
  return false;
}

TEST(HeaderKeyboard, TheMenuShowsKeysAndTheGeneralGroupOnlyWhenTheHeaderOwnsThem) {
  KeyboardRig rig;
  std::vector<ShortcutGroup> groups;
  rig.harness.frame([&] {
    const HeaderMenuInput input = headerMenuInput(rig.frame, rig.model, groups);
    EXPECT_FALSE(input.keyboard);
    EXPECT_FALSE(anyShortcutText(buildHeaderMenu(input)));
    ASSERT_EQ(input.shortcutGroups.size(), 1u);
    EXPECT_EQ(input.shortcutGroups[0].title, "Editing");
  });
  rig.model.keyboard = true;
  rig.harness.frame([&] {
    const HeaderMenuInput input = headerMenuInput(rig.frame, rig.model, groups);
    const std::vector<MenuEntry> menu = buildHeaderMenu(input);
    const std::pair<const char*, const char*> keys[] = {
        {"Open...", "Ctrl+O"}, {"Save", "Ctrl+S"}, {"Undo", "Ctrl+Z"}, {"Redo", "Ctrl+Shift+Z"}, {"New", ""}};
    for (const auto& [label, shortcut] : keys) {
      const MenuEntry* entry = test::findMenuEntry(menu, label);
      ASSERT_NE(entry, nullptr) << label;
      EXPECT_EQ(entry->shortcut, shortcut) << label;
    }
    ASSERT_EQ(input.shortcutGroups.size(), 2u);
    EXPECT_EQ(input.shortcutGroups[0].title, "General");
    EXPECT_EQ(input.shortcutGroups[0].rows.size(), 4u);
    EXPECT_EQ(input.shortcutGroups[1].title, "Editing");
  });
}

// The group titles the shortcuts window draws, opened from the menu.
std::vector<std::string> shownGroups(HeaderRig& rig) {
  rig.choose("Keyboard shortcuts");
  rig.step(2);
  std::vector<std::string> titles;
  for (const DrawRecord* r : rig.texts(TextStyle::Heading))
    if (r->op == DrawOp::TextAt) titles.push_back(r->text);
  return titles;
}

TEST(HeaderKeyboard, TheShortcutsWindowListsGeneralOnlyForTheOwner) {
  KeyboardRig caller;
  EXPECT_EQ(shownGroups(caller), std::vector<std::string>{"Editing"});
  KeyboardRig owner;
  owner.model.keyboard = true;
  EXPECT_EQ(shownGroups(owner), (std::vector<std::string>{"General", "Editing"}));
}

TEST(HeaderKeyboard, GeneralRowsFollowTheButtonsAndTheDocument) {
  struct Case {
    bool undo;
    bool document;
    std::vector<std::string> keys;
  };
  const Case cases[] = {{true, true, {"Ctrl+Z", "Ctrl+Shift+Z", "Ctrl+S", "Ctrl+O"}},
                        {true, false, {"Ctrl+Z", "Ctrl+Shift+Z"}},
                        {false, true, {"Ctrl+S", "Ctrl+O"}},
                        {false, false, {}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys.size());
    HeaderModel model;
    model.showUndoRedo = c.undo;
    if (c.document) model.document = HeaderDocument{};
    std::vector<std::string> keys;
    for (const ShortcutRow& row : generalShortcutRows(model)) keys.emplace_back(row.keys);
    EXPECT_EQ(keys, c.keys);
  }
}

TEST(HeaderKeyboard, SpacePlaysOnlyForAWindowWithControls) {
  test::FakeWindowControls controls;
  struct Case {
    bool keyboard;
    bool withControls;
    bool plays;
  };
  for (const Case& c : {Case{false, false, false}, Case{true, false, false}, Case{false, true, true}}) {
    SCOPED_TRACE(std::to_string(c.keyboard) + std::to_string(c.withControls));
    HeaderRig rig;
    rig.model.keyboard = c.keyboard;
    rig.frame.windowControls = c.withControls ? &controls : nullptr;
    rig.model.transport = HeaderTransport{};
    rig.model.transport->options.spaceTogglesPlay = true;
    rig.harness.setKey(Key::Space, true);
    rig.step();
    EXPECT_EQ(rig.result.transport.play, c.plays);
    rig.harness.releaseKeys();
  }
}

}  // namespace header_keyboard_test
}  // namespace orbi::ui
