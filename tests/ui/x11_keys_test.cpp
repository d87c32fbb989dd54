// X11's keys, buttons and typed characters in the framework's terms, and
// the held state that keeps a press visible to one frame at least.

#include "ui/platform/x11_keys.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <set>
#include <string>

#include "ui/platform/x11_input.h"

namespace orbi::ui {
namespace x11_keys_test {

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

// No key of the framework is out of a keyboard's reach, and a modifier is
// never a key of its own.
TEST(X11Keys, EveryKeyComesFromSomeKeysymAndNoModifierIsAKey) {
  std::set<int> reached;
  for (unsigned long keysym = 0; keysym <= 0xFFFF; ++keysym) {
    const int key = keyIndex(keyFromKeysym(keysym));
    if (key != 0) reached.insert(key);
    if (modifierFromKeysym(keysym) != kModNone) {
      EXPECT_EQ(key, 0) << XKeysymToString(keysym);
    }
  }
  for (int key = 1; key < keyIndex(Key::Count); ++key) EXPECT_EQ(reached.count(key), 1u) << "key " << key;
}

// With Num Lock off the keypad's keys move and delete as the keys they are
// named after.
TEST(X11Keys, KeypadNavigationActsAsTheMainKeys) {
  int compared = 0;
  for (unsigned long keypad = XK_KP_Home; keypad <= XK_KP_Delete; ++keypad) {
    const std::string name = XKeysymToString(keypad);
    ASSERT_EQ(name.rfind("KP_", 0), 0u) << name;
    const KeySym main = XStringToKeysym(name.c_str() + 3);
    ASSERT_NE(main, static_cast<KeySym>(NoSymbol)) << name;
    SCOPED_TRACE(name);
    EXPECT_EQ(keyFromKeysym(keypad), keyFromKeysym(main));
    compared += keyIndex(keyFromKeysym(main)) != 0;
  }
  EXPECT_EQ(compared, 10);  // all but Begin
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

// Each change between frames is seen by a frame of its own, in order; a
// press repeated while down is one press; past the few that may wait, the
// state still ends as the input left it.
TEST(HeldInput, EachChangeIsSeenByAFrameInOrder) {
  struct Case {
    const char* input;   // p press, r release, | a frame
    const char* frames;  // what each frame after the input sees, 1 down
  };
  for (const Case& c :
       {Case{"pr", "100"}, Case{"p|r", "000"}, Case{"prpr", "10100"}, Case{"ppr", "100"},
        Case{"p|pr|", "000"}, Case{"prprpr", "1010000"}, Case{"prprp", "101111"}, Case{"p", "111"}}) {
    SCOPED_TRACE(c.input);
    HeldInput b;
    std::string seen;
    for (const char* i = c.input; *i; ++i) {
      if (*i == 'p') b.press();
      if (*i == 'r') b.release();
      if (*i == '|') b.frameSeen();
    }
    for (const char* f = c.frames; *f; ++f) {
      seen += b.down ? '1' : '0';
      b.frameSeen();
    }
    EXPECT_EQ(seen, c.frames);
  }
}

}  // namespace x11_keys_test
}  // namespace orbi::ui
