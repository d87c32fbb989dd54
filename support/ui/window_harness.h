// The host's side of the embedded-window tests: a connection of its own to
// the X server the test runner starts, parent windows placed on the root
// window, input sent through XTest and a pump that ticks a window until
// what the test waits for has happened. Tests skip without DISPLAY.

#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <link.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "ui/platform/embedded_window.h"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace orbi::ui::test {

inline bool haveDisplay() { return std::getenv("DISPLAY") != nullptr; }

// Mesa unloads its driver when the last GL connection closes, and what
// the driver still holds then is reported by the leak checker, without a
// name to tell it apart from ours. Kept loaded, it stays reachable.
inline void keepGlDriverLoaded(Display* display) {
  // The driver comes in with the display's first GLX call.
  glXQueryExtensionsString(display, DefaultScreen(display));
  dl_iterate_phdr(
      [](dl_phdr_info* info, std::size_t, void*) {
        const std::string name = info->dlpi_name ? info->dlpi_name : "";
        if (name.size() > 7 && name.compare(name.size() - 7, 7, "_dri.so") == 0)
          dlopen(name.c_str(), RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
        return 0;
      },
      nullptr);
}

// The virtual server turns a connection away now and then when many come
// at once.
inline Display* openDisplay() {
  for (int attempt = 0; attempt < 20; ++attempt) {
    if (Display* display = XOpenDisplay(nullptr)) return display;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return nullptr;
}

class WindowHarness {
 public:
  WindowHarness() : display_(haveDisplay() ? openDisplay() : nullptr) {
    if (display_) keepGlDriverLoaded(display_);
  }
  ~WindowHarness() {
    if (display_) XCloseDisplay(display_);
  }
  WindowHarness(const WindowHarness&) = delete;
  WindowHarness& operator=(const WindowHarness&) = delete;

  Display* display() const { return display_; }
  Window root() const { return DefaultRootWindow(display_); }

  // A mapped top-level window at (x, y) on the root, as a host's editor
  // frame is; nothing manages it.
  Window makeParent(int x, int y, unsigned width, unsigned height) {
    XSetWindowAttributes a{};
    a.override_redirect = True;
    a.background_pixel = BlackPixel(display_, DefaultScreen(display_));
    const Window w = XCreateWindow(display_, root(), x, y, width, height, 0, CopyFromParent, InputOutput,
                                   CopyFromParent, CWOverrideRedirect | CWBackPixel, &a);
    XMapWindow(display_, w);
    XSync(display_, False);
    return w;
  }

  // The children of a window, as the server sees them.
  int childCount(Window parent) {
    Window r = 0, p = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display_, parent, &r, &p, &children, &count)) return -1;
    if (children) XFree(children);
    return static_cast<int>(count);
  }

  XWindowAttributes attributes(Window w) {
    XWindowAttributes a{};
    XGetWindowAttributes(display_, w, &a);
    return a;
  }

  // XTest: the pointer to a point of the root window, buttons and keys.
  void pointerTo(int x, int y) {
    XTestFakeMotionEvent(display_, DefaultScreen(display_), x, y, 0);
    XSync(display_, False);
  }
  void button(unsigned b, bool down) {
    XTestFakeButtonEvent(display_, b, down ? True : False, 0);
    XSync(display_, False);
  }
  void key(KeySym keysym, bool down) {
    XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, keysym), down ? True : False, 0);
    XSync(display_, False);
  }
  void keycode(unsigned code, bool down) {
    XTestFakeKeyEvent(display_, code, down ? True : False, 0);
    XSync(display_, False);
  }

 private:
  Display* display_;
};

// Ticks the window (onTimer, as the host's timer does) until done() holds,
// for at most two seconds; whether it came to hold.
template <typename Done>
bool pumpUntil(EmbeddedWindow& window, Done done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    window.onTimer();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

// Ticks the window for a while, for what must not happen.
inline void pumpFor(EmbeddedWindow& window, std::chrono::milliseconds span) {
  const auto end = std::chrono::steady_clock::now() + span;
  while (std::chrono::steady_clock::now() < end) {
    window.onTimer();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

}  // namespace orbi::ui::test
