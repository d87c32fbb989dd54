#include "ui/keys.h"

#include <gtest/gtest.h>

#include <string>

#include "support/ui/ui_harness.h"

namespace orbi::ui {
namespace keys_test {

TEST(Keys, DearImGuisOwnKeysReadOurKeySpace) {
  UiHarness harness;
  char text[32] = "abc";
  bool entered = false;
  auto field = [&] {
    entered |= ImGui::InputText("##field", text, sizeof text, ImGuiInputTextFlags_EnterReturnsTrue);
  };
  harness.frame([&] {
    ImGui::SetKeyboardFocusHere();
    field();
  });
  harness.frame(field);            // the focus request takes effect in this frame
  harness.setKey(Key::End, true);  // focusing selected the text: move to its end
  harness.frame(field);
  harness.setKey(Key::End, false);
  harness.setKey(Key::Backspace, true);
  harness.frame(field);
  harness.setKey(Key::Backspace, false);
  harness.frame(field);
  EXPECT_EQ(std::string(text), "ab");
  harness.typeText("z\xC3\xA9");
  harness.frame(field);
  EXPECT_EQ(std::string(text), "abz\xC3\xA9");
  harness.setKey(Key::Enter, true);
  harness.frame(field);
  EXPECT_TRUE(entered);
}

TEST(Keys, PressedOnceUnlessRepeatsAreAskedFor) {
  UiHarness harness;
  harness.frame();
  harness.setKey(Key::Down, true);
  int pressed = 0, withRepeats = 0;
  // One second held: past the repeat delay, repeats arrive at the repeat rate.
  harness.frames(60, [&] {
    pressed += keyPressed(Key::Down);
    withRepeats += keyPressed(Key::Down, true);
  });
  EXPECT_EQ(pressed, 1);
  EXPECT_GT(withRepeats, 5);
  harness.frame([] {
    EXPECT_FALSE(keyPressed(Key::None, true));
    EXPECT_FALSE(keyPressed(Key::Count, true));
  });
}

TEST(Keys, HeldModifiersAreReadFromTheIo) {
  UiHarness harness;
  harness.setMods(kModCtrl | kModAlt);
  harness.frame([] { EXPECT_EQ(heldMods(ImGui::GetIO()), kModCtrl | kModAlt); });
  harness.setMods(kModShift | kModSuper);
  harness.frame([] { EXPECT_EQ(heldMods(ImGui::GetIO()), kModShift | kModSuper); });
}

}  // namespace keys_test
}  // namespace orbi::ui
