// X11's keys, buttons and typed characters in the framework's terms, and
// the held state that keeps a press visible to one frame at least.

#include "ui/platform/x11_keys.h"

#include <gtest/gtest.h>

#include <X11/keysym.h>

#include "ui/platform/x11_input.h"

namespace orbi::ui {
namespace {

TEST(X11Keys, LettersOfEitherCaseAreOneKey) {
  for (unsigned long i = 0; i < 26; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(keyFromKeysym(XK_a + i), keyFromKeysym(XK_A + i));
    EXPECT_NE(keyIndex(keyFromKeysym(XK_a + i)), 0);
  }
  EXPECT_EQ(keyFromKeysym(XK_a), Key::A);
  EXPECT_EQ(keyFromKeysym(XK_z), Key::Z);
  EXPECT_EQ(keyFromKeysym(XK_Z), Key::Z);
  EXPECT_EQ(keyFromKeysym(XK_0), Key::Digit0);
  EXPECT_EQ(keyFromKeysym(XK_9), Key::Digit9);
  EXPECT_EQ(keyFromKeysym(XK_F1), Key::F1);
  EXPECT_EQ(keyFromKeysym(XK_F12), Key::F12);
}

TEST(X11Keys, EditingAndNavigationKeys) {
  struct Case {
    unsigned long keysym;
    Key key;
  };
  for (const Case& c :
       {Case{XK_Tab, Key::Tab}, Case{XK_ISO_Left_Tab, Key::Tab}, Case{XK_Left, Key::Left},
        Case{XK_KP_Left, Key::Left}, Case{XK_Right, Key::Right}, Case{XK_Up, Key::Up},
        Case{XK_Down, Key::Down}, Case{XK_Page_Up, Key::PageUp}, Case{XK_Page_Down, Key::PageDown},
        Case{XK_Home, Key::Home}, Case{XK_End, Key::End}, Case{XK_Insert, Key::Insert},
        Case{XK_Delete, Key::Delete}, Case{XK_KP_Delete, Key::Delete}, Case{XK_BackSpace, Key::Backspace},
        Case{XK_space, Key::Space}, Case{XK_Return, Key::Enter}, Case{XK_Escape, Key::Escape},
        Case{XK_KP_Enter, Key::KeypadEnter}}) {
    SCOPED_TRACE(c.keysym);
    EXPECT_EQ(keyFromKeysym(c.keysym), c.key);
  }
  for (const unsigned long unused :
       std::initializer_list<unsigned long>{XK_F13, XK_Control_L, XK_eacute, XK_Menu, 0x10020ACUL, 0UL}) {
    SCOPED_TRACE(unused);
    EXPECT_EQ(keyIndex(keyFromKeysym(unused)), 0);
  }
}

TEST(X11Keys, ModifiersOfBothSides) {
  EXPECT_EQ(modifierFromKeysym(XK_Control_L), kModCtrl);
  EXPECT_EQ(modifierFromKeysym(XK_Control_R), kModCtrl);
  EXPECT_EQ(modifierFromKeysym(XK_Shift_L), kModShift);
  EXPECT_EQ(modifierFromKeysym(XK_Shift_R), kModShift);
  EXPECT_EQ(modifierFromKeysym(XK_Alt_L), kModAlt);
  EXPECT_EQ(modifierFromKeysym(XK_Alt_R), kModAlt);
  EXPECT_EQ(modifierFromKeysym(XK_Super_L), kModSuper);
  EXPECT_EQ(modifierFromKeysym(XK_a), kModNone);
}

TEST(X11Keys, PointerButtonsAndWheels) {
  EXPECT_EQ(pointerButton(1).button, ImGuiMouseButton_Left);
  EXPECT_EQ(pointerButton(2).button, ImGuiMouseButton_Middle);
  EXPECT_EQ(pointerButton(3).button, ImGuiMouseButton_Right);
  struct Wheel {
    unsigned xButton;
    float wheel, wheelH;
  };
  for (const Wheel& w : {Wheel{4, 1, 0}, Wheel{5, -1, 0}, Wheel{6, 0, 1}, Wheel{7, 0, -1}, Wheel{8, 0, 0}}) {
    SCOPED_TRACE(w.xButton);
    const PointerButton b = pointerButton(w.xButton);
    EXPECT_EQ(b.button, -1);
    EXPECT_EQ(b.wheel, w.wheel);
    EXPECT_EQ(b.wheelH, w.wheelH);
  }
}

TEST(X11Keys, CharactersOfKeysyms) {
  EXPECT_EQ(keysymCodePoint(XK_a), U'a');
  EXPECT_EQ(keysymCodePoint(XK_space), U' ');
  EXPECT_EQ(keysymCodePoint(XK_eacute), U'\u00E9');
  EXPECT_EQ(keysymCodePoint(XK_ydiaeresis), U'\u00FF');
  EXPECT_EQ(keysymCodePoint(0x10020AC), U'\u20AC');
  EXPECT_EQ(keysymCodePoint(0x101F941), U'\U0001F941');
  // Keys that type nothing, and control characters in any spelling.
  for (const unsigned long none :
       std::initializer_list<unsigned long>{XK_Return, XK_BackSpace, XK_Left, XK_F1, XK_Control_L,
                                            0x1000008UL, 0x1000085UL, 0x1110000UL, 0x7FUL, 0UL}) {
    SCOPED_TRACE(none);
    EXPECT_EQ(keysymCodePoint(none), 0u);
  }
}

TEST(HeldInput, APressStaysForTheFrameThatSeesIt) {
  HeldInput b;
  b.press();
  b.release();
  EXPECT_TRUE(b.down);
  b.frameSeen();
  EXPECT_FALSE(b.down);
  // A release after a frame saw the press is at once.
  b.press();
  b.frameSeen();
  EXPECT_TRUE(b.down);
  b.release();
  EXPECT_FALSE(b.down);
  // Pressed again before the frame: the waiting release is dropped.
  b.press();
  b.release();
  b.press();
  b.frameSeen();
  EXPECT_TRUE(b.down);
}

}  // namespace
}  // namespace orbi::ui
