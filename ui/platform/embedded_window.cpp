#include "ui/platform/embedded_window.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "ui/frame_demand.h"
#include "ui/platform/display_scale.h"
#include "ui/platform/glx_context.h"
#include "ui/platform/x11_clipboard.h"
#include "ui/platform/x11_error_trap.h"
#include "ui/platform/x11_input.h"
#include "ui/platform/xdnd_target.h"

// After our own headers: Xlib defines macros such as None and Status.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace orbi::ui {
namespace {

constexpr int kDefaultFps = 60;
constexpr unsigned kMaxXSize = 32767;
constexpr long kWindowEvents = ExposureMask | StructureNotifyMask;
// Longest resource-manager text read, in 32-bit units.
constexpr long kMaxResourceLongs = 1L << 18;

// X answers BadValue for a side of 0 or beyond 16 bits.
unsigned xSize(unsigned size) { return std::clamp(size, 1u, kMaxXSize); }

// A server busy taking other connections may turn one away for a moment
// (its queue of waiting connections is full): ask a few times, briefly.
Display* openDisplay() {
  if (!std::getenv("DISPLAY")) return nullptr;
  auto pause = std::chrono::milliseconds(5);
  for (int attempt = 0; attempt < 4; ++attempt, pause *= 2) {
    if (Display* display = XOpenDisplay(nullptr)) return display;
    std::this_thread::sleep_for(pause);
  }
  return XOpenDisplay(nullptr);
}

}  // namespace

struct EmbeddedWindow::Impl {
  Impl(View& v, Options o, UiContextFactory f) : view(v), options(o), makeUi(std::move(f)) {}

  bool open(Window parent);
  void close();
  void drain();
  void dispatch(XEvent& event);
  void drawFrame();
  // A timer tick: the events, the view's word, a frame when one is due.
  void tick();
  void applyDesktopScale();
  std::string readResources();
  template <typename Calls>
  void trapped(Calls&& calls);

  View& view;
  const Options options;
  const UiContextFactory makeUi;

  // The connection and the window, while attached.
  Display* display = nullptr;
  Window window = 0;
  Window root = 0;
  Colormap colormap = 0;
  Atom resourceManager = 0;
  RenderSurface surface;
  std::unique_ptr<X11Input> input;
  std::unique_ptr<X11Clipboard> clipboard;
  std::unique_ptr<XdndTarget> drop;

  unsigned width = 0, height = 0;  // as set; 0 while unset
  bool fixedScale = false;
  float scale = 1.0f;       // the fixed scale as given, up to the largest applied
  bool visible = false;     // mapped, as the last Map or Unmap said
  bool gone = false;        // destroyed with the host's parent
  bool drawWanted = false;  // an Expose or a resize asked for a frame at once
  FrameDemand demand;
  std::uint64_t frames = 0;  // drawn
};

template <typename Calls>
void EmbeddedWindow::Impl::trapped(Calls&& calls) {
  if (!display) return;
  X11ErrorTrap trap(display);
  calls();
}

bool EmbeddedWindow::Impl::open(Window parent) {
  XWindowAttributes parentAttributes;
  if (withX11ErrorTrap(display,
                       [&] {
                         if (!XGetWindowAttributes(display, parent, &parentAttributes))
                           parentAttributes.screen = nullptr;
                       }) != 0 ||
      !parentAttributes.screen)
    return false;
  const int screen = XScreenNumberOfScreen(parentAttributes.screen);
  root = parentAttributes.root;
  if (width < 1 || height < 1) {
    width = static_cast<unsigned>(std::max(parentAttributes.width, 0));
    height = static_cast<unsigned>(std::max(parentAttributes.height, 0));
  }
  const GlxVisual visual = chooseGlxVisual(display, screen);
  if (!visual.config) {
    std::fprintf(stderr, "orbi-ui: the display offers no 8-bit RGBA double-buffered OpenGL visual\n");
    return false;
  }
  colormap = XCreateColormap(display, root, static_cast<Visual*>(visual.visual), AllocNone);
  XSetWindowAttributes attributes{};
  attributes.colormap = colormap;
  attributes.border_pixel = 0;
  attributes.background_pixmap = None;
  attributes.event_mask = kWindowEvents;
  if (withX11ErrorTrap(display, [&] {
        window = XCreateWindow(display, parent, 0, 0, xSize(width), xSize(height), 0, visual.depth,
                               InputOutput, static_cast<Visual*>(visual.visual),
                               CWColormap | CWBorderPixel | CWBackPixmap | CWEventMask, &attributes);
      }) != 0) {
    window = 0;
    return false;
  }
  if (!surface.init(display, screen, window, visual.config, makeUi)) return false;
  surface.resize(xSize(width), xSize(height));

  input = std::make_unique<X11Input>(display, window);
  XSelectInput(display, window, kWindowEvents | input->eventMask());
  resourceManager = XA_RESOURCE_MANAGER;
  XSelectInput(display, root, PropertyChangeMask);
  clipboard = std::make_unique<X11Clipboard>(display, window);
  {
    ContextScope scope(*surface.ui());
    ImGuiIO& io = ImGui::GetIO();
    io.BackendPlatformName = "orbi_x11";
    clipboard->install(io);
  }
  if (fixedScale)
    surface.ui()->setDisplayScale(clampDisplayScale(scale));
  else
    applyDesktopScale();

  if (withX11ErrorTrap(display,
                       [&] { drop = std::make_unique<XdndTarget>(display, window, *surface.ui()); }) != 0) {
    std::fprintf(stderr, "orbi-ui: XdndAware could not be set; the view takes no dropped files\n");
    drop.reset();
  }
  XMapWindow(display, window);
  demand = {};
  return true;
}

void EmbeddedWindow::Impl::close() {
  if (!display) return;
  trapped([&] {
    drop.reset();
    clipboard.reset();
    input.reset();
    surface.shutdown(gone);
    if (window && !gone) XDestroyWindow(display, window);
    if (colormap) XFreeColormap(display, colormap);
  });
  XCloseDisplay(display);
  display = nullptr;
  window = root = 0;
  colormap = 0;
  visible = gone = drawWanted = false;
}

void EmbeddedWindow::Impl::drain() {
  while (display && XPending(display)) {
    XEvent event;
    XNextEvent(display, &event);
    if (XFilterEvent(&event, None)) continue;
    dispatch(event);
  }
}

void EmbeddedWindow::Impl::dispatch(XEvent& event) {
  if (event.type == MappingNotify) {
    // Keys and text are looked up in Xlib's copy of the keyboard map.
    XRefreshKeyboardMapping(&event.xmapping);
    return;
  }
  if (event.xany.window == root) {
    // The desktop's settings changed: our WM_DPICHANGED.
    if (event.type == PropertyNotify && event.xproperty.atom == resourceManager && !fixedScale) {
      applyDesktopScale();
      demand.wake();
    }
    return;
  }
  if (gone || event.xany.window != window) return;
  // Whatever reaches the window may change what it shows: a hover, a
  // drag over it, a press, an expose.
  demand.wake();
  if (drop && drop->handleEvent(event)) return;
  if (clipboard && clipboard->handleEvent(event)) return;
  switch (event.type) {
    case Expose:
      if (event.xexpose.count == 0) drawWanted = true;
      break;
    case ConfigureNotify:
      surface.resize(static_cast<unsigned>(event.xconfigure.width),
                     static_cast<unsigned>(event.xconfigure.height));
      drawWanted = true;
      break;
    case MapNotify:
      visible = true;
      drawWanted = true;
      break;
    case UnmapNotify: visible = false; break;
    case DestroyNotify:
      gone = true;
      visible = false;
      break;
    default:
      if (input && surface.ui()) {
        ContextScope scope(*surface.ui());
        input->handleEvent(event);
      }
  }
}

void EmbeddedWindow::Impl::drawFrame() {
  const double now = surface.clockNow();
  // A view that keeps failing waits its turn; the frame stays owed.
  if (surface.holdsOff(now)) return;
  drawWanted = false;
  if (!visible || gone || !input) return;
  if (clipboard) clipboard->setEventTime(input->lastTime());
  surface.render(view, options.framed, *input);
  ++frames;
  demand.drawn(surface.nextFrameRequest(), now);
  // A click or key that came between frames still has changes to show.
  if (input->changesWaiting()) demand.wake();
  if (drop) drop->afterFrame();
}

void EmbeddedWindow::Impl::tick() {
  drain();
  if (gone) return;
  if (view.wantsFrame() || surface.pumpDialogs()) demand.wake();
  if (demand.due(surface.clockNow())) drawFrame();
}

void EmbeddedWindow::Impl::applyDesktopScale() {
  if (UiContext* ui = surface.ui()) ui->setDisplayScale(xftDpiScale(readResources()));
}

std::string EmbeddedWindow::Impl::readResources() {
  Atom type = None;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  std::string text;
  if (XGetWindowProperty(display, root, resourceManager, 0, kMaxResourceLongs, False, XA_STRING, &type,
                         &format, &items, &after, &data) == Success &&
      data) {
    if (format == 8) text.assign(reinterpret_cast<const char*>(data), items);
    XFree(data);
  }
  return text;
}

EmbeddedWindow::EmbeddedWindow(View& view, Options options, UiContextFactory makeUi)
    : impl_(std::make_unique<Impl>(view, options, std::move(makeUi))) {}

EmbeddedWindow::~EmbeddedWindow() { impl_->close(); }

bool EmbeddedWindow::attach(unsigned long parent) {
  Impl& w = *impl_;
  w.close();
  if (parent == 0) return false;
  w.display = openDisplay();
  if (!w.display) {
    std::fprintf(stderr, "orbi-ui: the X display cannot be opened; the editor cannot open\n");
    return false;
  }
  bool opened = false;
  w.trapped([&] { opened = w.open(parent); });
  if (!opened) w.close();
  return opened;
}

void EmbeddedWindow::show() {
  Impl& w = *impl_;
  if (w.window && !w.gone) w.trapped([&] { XMapWindow(w.display, w.window); });
}

void EmbeddedWindow::hide() {
  Impl& w = *impl_;
  if (w.window && !w.gone) w.trapped([&] { XUnmapWindow(w.display, w.window); });
}

void EmbeddedWindow::setSize(unsigned width, unsigned height) {
  Impl& w = *impl_;
  w.width = width;
  w.height = height;
  if (w.window && !w.gone)
    w.trapped([&] { XResizeWindow(w.display, w.window, xSize(width), xSize(height)); });
}

void EmbeddedWindow::setScale(double scale) {
  if (!std::isfinite(scale) || scale <= 0.0) return;
  Impl& w = *impl_;
  w.fixedScale = true;
  w.scale = static_cast<float>(std::min(scale, static_cast<double>(kMaxDisplayScale)));
  if (UiContext* ui = w.surface.ui()) ui->setDisplayScale(clampDisplayScale(scale));
  w.demand.wake();
}

int EmbeddedWindow::frameIntervalMs() const {
  const int fps = impl_->options.fps > 0 ? impl_->options.fps : kDefaultFps;
  // A rate above 1000 would ask the host for a timer of 0 ms.
  return std::max(1000 / fps, 1);
}

int EmbeddedWindow::connectionFd() const { return impl_->display ? ConnectionNumber(impl_->display) : -1; }

void EmbeddedWindow::onTimer() {
  Impl& w = *impl_;
  w.trapped([&] { w.tick(); });
}

void EmbeddedWindow::onFd() {
  Impl& w = *impl_;
  w.trapped([&] {
    w.drain();
    if (w.drawWanted) w.drawFrame();
  });
}

unsigned long EmbeddedWindow::nativeWindow() const { return impl_->window; }

UiContext* EmbeddedWindow::ui() const { return impl_->surface.ui(); }

void EmbeddedWindow::invalidate() { impl_->demand.wake(); }

void EmbeddedWindow::captureNextFrame() {
  impl_->surface.captureNextFrame();
  invalidate();
}

std::optional<FramePixels> EmbeddedWindow::takeCapture() { return impl_->surface.takeCapture(); }

std::uint64_t EmbeddedWindow::framesDrawn() const { return impl_->frames; }

bool EmbeddedWindow::idle() const { return impl_->demand.idle(); }

}  // namespace orbi::ui
