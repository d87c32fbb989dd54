#include "ui/keys.h"

namespace orbi::ui {

void installKeyMap(ImGuiIO& io) {
  auto map = [&io](ImGuiKey imguiKey, Key key) { io.KeyMap[imguiKey] = keyIndex(key); };
  map(ImGuiKey_Tab, Key::Tab);
  map(ImGuiKey_LeftArrow, Key::Left);
  map(ImGuiKey_RightArrow, Key::Right);
  map(ImGuiKey_UpArrow, Key::Up);
  map(ImGuiKey_DownArrow, Key::Down);
  map(ImGuiKey_PageUp, Key::PageUp);
  map(ImGuiKey_PageDown, Key::PageDown);
  map(ImGuiKey_Home, Key::Home);
  map(ImGuiKey_End, Key::End);
  map(ImGuiKey_Insert, Key::Insert);
  map(ImGuiKey_Delete, Key::Delete);
  map(ImGuiKey_Backspace, Key::Backspace);
  map(ImGuiKey_Space, Key::Space);
  map(ImGuiKey_Enter, Key::Enter);
  map(ImGuiKey_Escape, Key::Escape);
  map(ImGuiKey_KeyPadEnter, Key::KeypadEnter);
  map(ImGuiKey_A, Key::A);
  map(ImGuiKey_C, Key::C);
  map(ImGuiKey_V, Key::V);
  map(ImGuiKey_X, Key::X);
  map(ImGuiKey_Y, Key::Y);
  map(ImGuiKey_Z, Key::Z);
}

std::uint8_t heldMods(const ImGuiIO& io) {
  return static_cast<std::uint8_t>((io.KeyCtrl ? kModCtrl : 0) | (io.KeyShift ? kModShift : 0) |
                                   (io.KeyAlt ? kModAlt : 0) | (io.KeySuper ? kModSuper : 0));
}

bool keyPressed(Key key, bool repeat) {
  if (key == Key::None || key >= Key::Count) return false;
  return ImGui::IsKeyPressed(keyIndex(key), repeat);
}

bool chordPressed(KeyChord chord) {
  return heldMods(ImGui::GetIO()) == chord.mods && keyPressed(chord.key, false);
}

}  // namespace orbi::ui
