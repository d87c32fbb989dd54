#pragma once
// What a window hands the editor's root view: the per-frame record, the
// controls of the window that hosts it, and the view's own interface.

#include "ui/geometry.h"

namespace orbi::ui {

// The controls of a host window with a caption of its own. The embedded
// child window has none and passes null.
class WindowControls {
 public:
  virtual ~WindowControls() = default;
  virtual void minimise() = 0;
  virtual void toggleMaximise() = 0;
  virtual void toggleFullscreen() = 0;
  virtual void close() = 0;
  virtual bool isMaximised() const = 0;
  virtual bool isFullscreen() const = 0;
};

struct FrameInfo {
  double time = 0.0;                         // seconds since the first frame, the running sum of dt
  float dt = 0.0f;                           // seconds since the previous frame; 0 on the first
  Rect display;                              // {0, 0, display width, display height}
  Rect content;                              // display inset by the window's margin
  float scale = 1.0f;                        // the display scale, without pushed factors
  WindowControls* windowControls = nullptr;  // borrowed for the frame; may be null
};

// The editor's root view. The window borrows it: its owner keeps it alive
// until the window is destroyed.
class View {
 public:
  virtual ~View() = default;
  virtual void frame(const FrameInfo& frame) = 0;
  // Asked at every tick, drawn or not, so it must be cheap: true when
  // something outside the window's input changed what the next frame would
  // show (a transport that plays, a state the host loaded).
  virtual bool wantsFrame() { return false; }
};

}  // namespace orbi::ui
