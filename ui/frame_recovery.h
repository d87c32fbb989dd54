#pragma once
// Taking a frame back from an exception. Dear ImGui 1.86 (asserts on)
// aborts the host when a window ends over an id, text style, style value or
// colour pushed inside it and not popped, which is what an exception leaves
// behind. So a window is ended only after what was pushed in it since it
// began has been popped: by the scope object that began it when the scope
// is left by an exception, and by the frame for the windows left open.

#include <exception>

struct ImGuiWindow;

namespace orbi::ui {

// How deep the stacks that every window shares are.
struct StackDepths {
  int textStyles = 0;
  int colours = 0;
  int styleValues = 0;
};

// Ends every window of the frame but Dear ImGui's implicit one, each after
// popping what it still has pushed, and pops the implicit one's pushes:
// the frame can then be ended.
void endEveryWindow();

// The window a scope object began, and whether the scope is being left by
// an exception thrown after the object was made. While unwinding, the
// scope ends its window (and any window still open above it) with
// endAfterException instead of its usual end, which leaves the window
// around it as it was when the scope began its window.
class ScopeWindow {
 public:
  // Once the window has begun and the scope has popped what it pushed only
  // for the begin: the window is the current one.
  void began();
  bool unwinding() const { return std::uncaught_exceptions() > exceptions_; }
  void endAfterException() const;

 private:
  const ImGuiWindow* window_ = nullptr;
  StackDepths depths_;
  int exceptions_ = std::uncaught_exceptions();
};

}  // namespace orbi::ui
