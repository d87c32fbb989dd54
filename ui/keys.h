#pragma once
// The framework's keyboard as Dear ImGui 1.86 sees it. 1.86 reads keys from
// io.KeysDown, indexed by whatever numbering the platform layer chooses; this
// is that numbering, shared by the window's key translation and the test
// harness. It also answers key chords, which 1.86 does not have, the way
// later versions do: a chord is pressed when its key went down this frame
// (not a repeat) while exactly its modifiers are held, so Ctrl+Shift+Z is
// not Ctrl+Z.

#include <imgui.h>

#include <cstdint>

namespace orbi::ui {

// Indices into io.KeysDown. Letters and digits keep their order so the
// platform layer can map ranges.
enum class Key : std::uint16_t {
  None,
  Tab,
  Left,
  Right,
  Up,
  Down,
  PageUp,
  PageDown,
  Home,
  End,
  Insert,
  Delete,
  Backspace,
  Space,
  Enter,
  Escape,
  KeypadEnter,
  A,
  B,
  C,
  D,
  E,
  F,
  G,
  H,
  I,
  J,
  K,
  L,
  M,
  N,
  O,
  P,
  Q,
  R,
  S,
  T,
  U,
  V,
  W,
  X,
  Y,
  Z,
  Digit0,
  Digit1,
  Digit2,
  Digit3,
  Digit4,
  Digit5,
  Digit6,
  Digit7,
  Digit8,
  Digit9,
  F1,
  F2,
  F3,
  F4,
  F5,
  F6,
  F7,
  F8,
  F9,
  F10,
  F11,
  F12,
  Count,
};
static_assert(static_cast<int>(Key::Count) <= 512, "io.KeysDown holds 512 keys");

constexpr int keyIndex(Key key) { return static_cast<int>(key); }

// Modifier bits of a chord.
enum KeyMod : std::uint8_t {
  kModNone = 0,
  kModCtrl = 1 << 0,
  kModShift = 1 << 1,
  kModAlt = 1 << 2,
  kModSuper = 1 << 3,
};

struct KeyChord {
  Key key = Key::None;
  std::uint8_t mods = kModNone;
};

// Points io.KeyMap (Dear ImGui's own keys, for text fields and navigation)
// at this numbering.
void installKeyMap(ImGuiIO& io);

// The modifiers held this frame.
std::uint8_t heldMods(const ImGuiIO& io);

// Whether the key went down this frame; with repeat, also on the platform's
// repeat ticks while it is held.
bool keyPressed(Key key, bool repeat = false);

// Pressed this frame, not a repeat, with exactly the chord's modifiers.
bool chordPressed(KeyChord chord);

}  // namespace orbi::ui
