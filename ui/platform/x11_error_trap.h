#pragma once
// Catching the X protocol errors of a stretch of calls. Xlib's default
// error handler ends the whole process, which inside a plug-in is the host:
// every call that may touch a window of another client (a drag source that
// may be gone) runs under a trap. The handler is process-wide, so errors of
// other displays go on to the handler that was there before. Traps nest;
// main thread only.

struct _XDisplay;

namespace orbi::ui {

class X11ErrorTrap {
 public:
  // Waits until the server has answered everything sent so far, so older
  // errors are not caught, then installs the trap's handler.
  explicit X11ErrorTrap(_XDisplay* display);
  // Ends the trap if end() was not called.
  ~X11ErrorTrap();
  X11ErrorTrap(const X11ErrorTrap&) = delete;
  X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

  // Waits for the server's answers to the calls made under the trap and
  // restores the previous handler. Returns the first error code caught, 0
  // for none. Later calls return the same code.
  int end();

 private:
  _XDisplay* display_;
  X11ErrorTrap* outer_;           // the trap that was active when this one began
  void (*previous_)() = nullptr;  // Xlib's XErrorHandler, stored untyped
  int error_ = 0;
  bool ended_ = false;

  friend struct X11ErrorTrapHandler;
};

// Runs the calls under a trap; the first error code caught, 0 for none.
template <typename Calls>
int withX11ErrorTrap(_XDisplay* display, Calls&& calls) {
  X11ErrorTrap trap(display);
  calls();
  return trap.end();
}

}  // namespace orbi::ui
