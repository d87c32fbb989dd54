#pragma once
// The few things the framework and the editor need of Dear ImGui beyond its
// public interface, under names of our own, so that their callers do not
// read its internals themselves (those stay behind ui/imgui_internals.h).
// Main thread, inside a frame.

#include <imgui.h>

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
