#include "ui/shortcuts.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "support/ui/ui_harness.h"

namespace orbi::ui {
namespace shortcuts_test {

using Reports = std::vector<std::optional<Shortcut>>;

// Holds the chord for `held` frames, then releases it for one, collecting
// what shortcutPressed reports in each frame.
Reports holdChord(UiHarness& harness, KeyChord chord, int held) {
  Reports reports;
  harness.pressChord(chord);
  for (int i = 0; i < held; ++i) harness.frame([&] { reports.push_back(shortcutPressed()); });
  harness.releaseKeys();
  harness.frame([&] { reports.push_back(shortcutPressed()); });
  return reports;
}

TEST(Shortcuts, EachChordReportsItsCommandOncePerPress) {
  for (const ShortcutEntry& entry : shortcutTable) {
    SCOPED_TRACE(static_cast<int>(entry.command));
    UiHarness harness;
    harness.frame();
    // Held long past the key-repeat delay: no further reports.
    const Reports reports = holdChord(harness, entry.chord, 60);
    ASSERT_EQ(reports.size(), 61u);
    EXPECT_EQ(reports[0], entry.command);
    for (std::size_t i = 1; i < reports.size(); ++i) EXPECT_EQ(reports[i], std::nullopt) << "frame " << i;
    // A new press reports again.
    EXPECT_EQ(holdChord(harness, entry.chord, 1)[0], entry.command);
  }
}

TEST(Shortcuts, ChordsNeedExactlyTheirModifiers) {
  UiHarness harness;
  harness.frame();
  harness.pressChord({Key::Z, kModCtrl | kModShift});
  harness.frame([] {
    EXPECT_TRUE(chordPressed({Key::Z, kModCtrl | kModShift}));
    EXPECT_FALSE(chordPressed({Key::Z, kModCtrl}));
  });
  harness.releaseKeys();
  harness.frame();
  EXPECT_EQ(holdChord(harness, {Key::Z, kModCtrl | kModShift}, 1)[0], Shortcut::Redo);
  EXPECT_EQ(holdChord(harness, {Key::Z, kModCtrl}, 1)[0], Shortcut::Undo);
  EXPECT_EQ(holdChord(harness, {Key::Z, kModCtrl | kModAlt}, 1)[0], std::nullopt);
  EXPECT_EQ(holdChord(harness, {Key::Z, kModNone}, 1)[0], std::nullopt);
  EXPECT_EQ(holdChord(harness, {Key::S, kModCtrl | kModSuper}, 1)[0], std::nullopt);
  EXPECT_EQ(holdChord(harness, {Key::Delete, kModShift}, 1)[0], std::nullopt);
}

TEST(Shortcuts, ConsumedHidesTheCommandInItsFrameOnly) {
  UiHarness harness;
  harness.frame();
  harness.pressChord({Key::C, kModCtrl});
  harness.frame([] {
    ASSERT_EQ(shortcutPressed(), Shortcut::Copy);
    markShortcutConsumed(Shortcut::Copy);
    EXPECT_EQ(shortcutPressed(), std::nullopt);
  });
  harness.releaseKeys();
  harness.frame();
  harness.pressChord({Key::C, kModCtrl});
  harness.frame([] { EXPECT_EQ(shortcutPressed(), Shortcut::Copy); });
}

TEST(Shortcuts, AnotherCommandConsumedDoesNotHideThisOne) {
  UiHarness harness;
  harness.frame();
  harness.pressChord({Key::V, kModCtrl});
  harness.frame([] {
    markShortcutConsumed(Shortcut::Copy);
    EXPECT_EQ(shortcutPressed(), Shortcut::Paste);
  });
}

TEST(Shortcuts, NothingWhileATextFieldHasTheKeyboard) {
  UiHarness harness;
  char text[32] = "name";
  auto field = [&] {
    ImGui::SetKeyboardFocusHere();
    ImGui::InputText("##field", text, sizeof text);
  };
  harness.frames(2, field);
  harness.pressChord({Key::Z, kModCtrl});
  harness.frame([&] {
    field();
    EXPECT_TRUE(shortcutsBlocked());
    EXPECT_EQ(shortcutPressed(), std::nullopt);
  });
}

TEST(Shortcuts, NothingWhileAPopupIsOpen) {
  UiHarness harness;
  auto popup = [] {
    if (ImGui::BeginPopup("orbi.test.popup")) {
      ImGui::TextUnformatted("menu");
      ImGui::EndPopup();
    }
  };
  harness.frame([&] {
    ImGui::OpenPopup("orbi.test.popup");
    popup();
  });
  harness.pressChord({Key::Delete, kModNone});
  harness.frame([&] {
    popup();
    EXPECT_TRUE(shortcutsBlocked());
    EXPECT_EQ(shortcutPressed(), std::nullopt);
  });
  harness.releaseKeys();
  harness.frame([] { ImGui::CloseCurrentPopup(); });
  harness.frame([] { EXPECT_FALSE(shortcutsBlocked()); });
  harness.pressChord({Key::Delete, kModNone});
  harness.frame([] { EXPECT_EQ(shortcutPressed(), Shortcut::Delete); });
}

}  // namespace shortcuts_test
}  // namespace orbi::ui
