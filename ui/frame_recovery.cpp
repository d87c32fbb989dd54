#include "ui/frame_recovery.h"

#include "ui/draw/text.h"
#include "ui/imgui_internals.h"

namespace orbi::ui {
namespace {

StackDepths currentDepths() {
  const ImGuiContext& g = *GImGui;
  return {g.FontStack.Size, g.ColorStack.Size, g.StyleVarStack.Size};
}

// The shared stacks back to the depths; deeper ones only shrink.
void popTo(const StackDepths& depths) {
  const ImGuiContext& g = *GImGui;
  popTextStylesTo(depths.textStyles);
  if (g.ColorStack.Size > depths.colours) ImGui::PopStyleColor(g.ColorStack.Size - depths.colours);
  if (g.StyleVarStack.Size > depths.styleValues)
    ImGui::PopStyleVar(g.StyleVarStack.Size - depths.styleValues);
}

// What the current window still has pushed since it began (as its begin
// recorded the shared stacks, or deeper): ids, text styles, colours, style
// values, groups, tables and the like. Dear ImGui's own recovery leaves
// fonts pushed.
void popWhatTheWindowPushed() {
  const ImGuiStackSizes& begun = GImGui->CurrentWindowStack.back().StackSizesOnBegin;
  popTo({begun.SizeOfFontStack, begun.SizeOfColorStack, begun.SizeOfStyleVarStack});
  ImGui::ErrorCheckEndWindowRecover(nullptr);
}

// Each kind of window by its own end: a popup's pops the popup stack, a
// child's lays it out in its parent.
void endCurrentWindow() {
  const ImGuiWindowFlags flags = ImGui::GetCurrentWindow()->Flags;
  if (flags & ImGuiWindowFlags_Popup)
    ImGui::EndPopup();
  else if (flags & ImGuiWindowFlags_ChildWindow)
    ImGui::EndChild();
  else
    ImGui::End();
}

bool isOpen(const ImGuiWindow* window) {
  for (const ImGuiWindowStackData& entry : GImGui->CurrentWindowStack)
    if (entry.Window == window) return true;
  return false;
}

}  // namespace

void endEveryWindow() {
  const ImGuiContext& g = *GImGui;
  while (g.CurrentWindowStack.Size > 1) {
    popWhatTheWindowPushed();
    endCurrentWindow();
  }
  if (!g.CurrentWindowStack.empty()) popWhatTheWindowPushed();
}

void ScopeWindow::began() {
  window_ = ImGui::GetCurrentWindow();
  depths_ = currentDepths();
}

void ScopeWindow::endAfterException() const {
  if (!window_ || !isOpen(window_)) return;
  const ImGuiContext& g = *GImGui;
  while (g.CurrentWindowStack.Size > 1) {
    const bool own = g.CurrentWindow == window_;
    // A push made before the begin and popped after it counts in what the
    // begin recorded: the scope's own depths are the ones to return to.
    if (own) popTo(depths_);
    popWhatTheWindowPushed();
    endCurrentWindow();
    if (own) return;
  }
}

}  // namespace orbi::ui
