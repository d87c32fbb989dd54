#include "ui/platform/x11_error_trap.h"

#include <X11/Xlib.h>

namespace orbi::ui {

// The innermost active trap; reached by the handler.
struct X11ErrorTrapHandler {
  static inline X11ErrorTrap* innermost = nullptr;

  static int handle(Display* display, XErrorEvent* event) {
    X11ErrorTrap* outermost = nullptr;
    for (X11ErrorTrap* trap = innermost; trap; trap = trap->outer_) {
      if (trap->display_ == display) {
        if (trap->error_ == 0) trap->error_ = event->error_code;
        return 0;
      }
      outermost = trap;
    }
    // Another connection's error: as if no trap were there.
    const auto previous = outermost ? reinterpret_cast<XErrorHandler>(outermost->previous_) : nullptr;
    return previous ? previous(display, event) : 0;
  }
};

X11ErrorTrap::X11ErrorTrap(_XDisplay* display) : display_(display), outer_(X11ErrorTrapHandler::innermost) {
  XSync(display_, False);
  previous_ = reinterpret_cast<void (*)()>(XSetErrorHandler(&X11ErrorTrapHandler::handle));
  X11ErrorTrapHandler::innermost = this;
}

X11ErrorTrap::~X11ErrorTrap() { end(); }

int X11ErrorTrap::end() {
  if (ended_) return error_;
  ended_ = true;
  XSync(display_, False);
  XSetErrorHandler(reinterpret_cast<XErrorHandler>(previous_));
  X11ErrorTrapHandler::innermost = outer_;
  return error_;
}

}  // namespace orbi::ui
