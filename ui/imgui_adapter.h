#pragma once
// The few things the framework and the editor need of Dear ImGui beyond its
// public interface, under names of our own, so that their callers do not
// read its internals themselves (those stay behind ui/imgui_internals.h).
// Main thread, inside a frame.

#include <imgui.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "ui/geometry.h"

namespace orbi::ui {

// The most columns Dear ImGui takes in a table; it asserts on more.
inline constexpr int kMostTableColumns = 64;

// The current window's padding: inside a popup, the padding it began with,
// whatever the style holds now.
ImVec2 windowPadding();

// Dear ImGui's last item: its id (0 for one without, like plain text) and
// its rectangle.
ImGuiID lastItemId();
Rect lastItemRect();
// The last item's id, or for one without, a key made from where it is.
ImGuiID lastItemKey();

// How many fonts are pushed.
int fontStackDepth();

// The next window begins scrolled to its top, its sideways scroll kept.
void scrollNextWindowToTop();

// Text to and from Dear ImGui's text input with every character kept,
// those beyond U+FFFF too (ui/text_stand_ins.h), in the current context:
// typed text into its queue, the clipboard's text as the input pastes it,
// and the text it copies as the clipboard takes it.
void addInputText(std::string_view utf8);
std::string textForImGui(std::string_view utf8);
std::string textFromImGui(std::string_view text);

struct TextInput {
  const char* hint = nullptr;  // shown while the text is empty; null for none
  ImGuiInputTextFlags flags = 0;
  std::size_t maxBytes = 0;  // the most bytes of UTF-8 the text takes; 0: no limit
};
struct TextInputOutcome {
  bool returned = false;  // what ImGui::InputText returns
  bool cut = false;       // an edit did not all fit in maxBytes
};
// ImGui::InputTextWithHint over a UTF-8 string, every character typed,
// pasted or given kept. Of an edit that would pass maxBytes, what was typed
// or pasted last gives way, whole characters, until the text fits.
TextInputOutcome inputText(const char* label, std::string& text, const TextInput& input = {});

// Pushes an id scope made from an object's address, not from the scopes
// around it, for as long as it lives: what the object opens from one place
// and draws from another finds the same ids in both.
class OwnerIdScope {
 public:
  explicit OwnerIdScope(const void* owner);
  ~OwnerIdScope();
  OwnerIdScope(const OwnerIdScope&) = delete;
  OwnerIdScope& operator=(const OwnerIdScope&) = delete;
};

}  // namespace orbi::ui
