#pragma once
// The editor's window inside a host's window: an X11 child window on a
// connection of its own, drawn through OpenGL. The host (the GUI hookup)
// drives it from its main thread: it calls onTimer every frameIntervalMs()
// and onFd when connectionFd() is readable. Each call drains the window's
// events and draws a frame when one is due, with the host's GL context
// given back afterwards. A frame is due only while the picture may change
// (ui/frame_demand.h): after input, while the last frame asks for more, or
// when the view says something outside changed; a window left alone draws
// nothing and its ticks cost next to nothing.
//
// X errors of the window's calls are caught, never passed to Xlib's default
// handler (which would end the host). A host may destroy its parent window,
// and with it ours, before it destroys the GUI: from then on nothing
// touches the window.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "ui/context.h"
#include "ui/platform/render_surface.h"
#include "ui/view.h"

namespace orbi::ui {

class EmbeddedWindow {
 public:
  struct Options {
    bool framed = false;  // draw the frame decoration and widen the content inset
    int fps = 60;         // 0 or less means 60
  };

  // Borrows the view, which must outlive the window. makeUi makes the UI
  // context at each attach (a plain UiContext when empty). No window exists
  // yet and nothing touches the display.
  EmbeddedWindow(View& view, Options options, UiContextFactory makeUi = {});
  ~EmbeddedWindow();
  EmbeddedWindow(const EmbeddedWindow&) = delete;
  EmbeddedWindow& operator=(const EmbeddedWindow&) = delete;

  // Creates the child window in the host's window (an X window id), first
  // tearing down any window from an earlier attach. Without a size set the
  // parent's size is taken. False, with no window left, when the parent is
  // 0 or not a window, or the window, its GL context or its UI context
  // cannot be made.
  bool attach(unsigned long parent);
  void show();
  void hide();
  // The size in pixels; X is handed each side within 1..32767.
  void setSize(unsigned width, unsigned height);
  // A fixed display scale that Xft.dpi no longer changes; ignores values
  // that are not finite and above 0, and applies at most 0.5..4. Taken as
  // the host gives it: a double beyond a float's range is no float at all.
  void setScale(double scale);

  // Never below 1 ms.
  int frameIntervalMs() const;
  // The X connection's descriptor while attached, else -1. Each attach
  // opens a connection of its own, so the descriptor may change with it.
  int connectionFd() const;
  // Drains the events, asks the view whether something changed outside
  // and draws a frame when one is due while the window is mapped.
  void onTimer();
  // Drains the events; draws only when they asked for it (exposed, resized).
  void onFd();
  // What the view draws changed in a way the window cannot see: the next
  // tick draws, and the frames after until the picture settles.
  void invalidate();

  // For tests and tools: the child window's id (0 while detached), the UI
  // context while attached, the next presented frame read back (asking
  // for it draws one), the frames drawn so far, and whether no frame is
  // due now or asked for later.
  unsigned long nativeWindow() const;
  UiContext* ui() const;
  void captureNextFrame();
  std::optional<FramePixels> takeCapture();
  std::uint64_t framesDrawn() const;
  bool idle() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace orbi::ui
