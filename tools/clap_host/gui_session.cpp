#include "tools/clap_host/gui_session.h"

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <sstream>
#include <thread>

// After our own headers: Xlib defines macros such as None.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace orbi::host {

namespace {

constexpr double kFallbackFrameMs = 16.0;
// A loop that fell this many blocks behind drops them instead of racing.
constexpr std::uint64_t kMostBlocksAtOnce = 4;

double steadyMs() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

short pollEvents(clap_posix_fd_flags_t flags) {
  short events = 0;
  if (flags & CLAP_POSIX_FD_READ) events |= POLLIN;
  if (flags & CLAP_POSIX_FD_WRITE) events |= POLLOUT;
  return events;
}

clap_posix_fd_flags_t clapFlags(short revents) {
  clap_posix_fd_flags_t flags = 0;
  if (revents & (POLLIN | POLLHUP)) flags |= CLAP_POSIX_FD_READ;
  if (revents & POLLOUT) flags |= CLAP_POSIX_FD_WRITE;
  if (revents & (POLLERR | POLLNVAL)) flags |= CLAP_POSIX_FD_ERROR;
  return flags;
}

// A virtual server busy with other connections turns one away now and
// then: ask again, a little later each time.
Display* openDisplay() {
  auto pause = std::chrono::milliseconds(5);
  for (int attempt = 0; attempt < 8; ++attempt, pause *= 2) {
    if (Display* display = XOpenDisplay(nullptr)) return display;
    if (std::getenv("DISPLAY") == nullptr) return nullptr;
    std::this_thread::sleep_for(pause);
  }
  return nullptr;
}

std::string hexOf(char32_t c) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%04X", static_cast<unsigned>(c));
  return digits;
}

// The characters of UTF-8 text; false at bytes that are no UTF-8.
bool decodeUtf8(const std::string& text, std::vector<char32_t>& out) {
  for (std::size_t at = 0; at < text.size();) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t n = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (n == 0 || at + n > text.size()) return false;
    char32_t c = n == 1 ? lead : lead & (0x7F >> n);
    for (std::size_t i = 1; i < n; ++i) {
      const auto next = static_cast<unsigned char>(text[at + i]);
      if ((next & 0xC0) != 0x80) return false;
      c = (c << 6) | (next & 0x3F);
    }
    out.push_back(c);
    at += n;
  }
  return true;
}

}  // namespace

GuiSession::GuiSession(Instance& instance, const GuiOptions& options)
    : instance_(instance), host_(instance.host()), options_(options) {
  // The host clock goes on from where the instance's main thread left it.
  epochMs_ = steadyMs() - host_.clockMs;
  audioStartMs_ = host_.clockMs;
}

std::unique_ptr<GuiSession> GuiSession::open(Instance& instance, const GuiOptions& options,
                                             std::string& error) {
  std::unique_ptr<GuiSession> session(new GuiSession(instance, options));
  if (!session->openEditor(error)) return nullptr;
  return session;
}

bool GuiSession::openEditor(std::string& error) {
  const clap_plugin_t* plugin = instance_.plugin();
  gui_ = instance_.extension<clap_plugin_gui_t>(CLAP_EXT_GUI);
  if (gui_ == nullptr) {
    error = "the plug-in has no \"clap.gui\"";
    return false;
  }
  display_ = openDisplay();
  if (display_ == nullptr) {
    error = "no X display (is DISPLAY set?)";
    return false;
  }
  input_ = std::make_unique<XInput>(display_);
  if (!input_->available()) {
    error = "the X server has no XTest";
    return false;
  }
  input_->startAfresh();
  if (!gui_->is_api_supported(plugin, CLAP_WINDOW_API_X11, false)) {
    error = "the plug-in does not embed in X11 windows";
    return false;
  }
  return createEditor(error);
}

bool GuiSession::createEditor(std::string& error) {
  const clap_plugin_t* plugin = instance_.plugin();
  timersBefore_.clear();
  for (const HostTimer& t : host_.timers) timersBefore_.push_back(t.id);
  if (!gui_->create(plugin, CLAP_WINDOW_API_X11, false)) {
    error = "the plug-in's gui create failed";
    return false;
  }
  created_ = true;
  if (options_.scale > 0.0 && !gui_->set_scale(plugin, options_.scale)) {
    error = "the plug-in refused the scale";
    return false;
  }
  if (!gui_->get_size(plugin, &width_, &height_) || width_ == 0 || height_ == 0) {
    error = "the plug-in gave no size";
    return false;
  }
  window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, width_, height_, 0, 0,
                                BlackPixel(display_, DefaultScreen(display_)));
  XStoreName(display_, window_, "orbi-clap-host");
  Atom deleteWindow = XInternAtom(display_, "WM_DELETE_WINDOW", False);
  deleteAtom_ = deleteWindow;
  XSetWMProtocols(display_, window_, &deleteWindow, 1);
  XSelectInput(display_, window_, StructureNotifyMask);
  XMapWindow(display_, window_);
  XSync(display_, False);
  clap_window_t parent{CLAP_WINDOW_API_X11, {}};
  parent.x11 = window_;
  if (!gui_->set_parent(plugin, &parent)) {
    error = "the plug-in's gui set_parent failed";
    return false;
  }
  if (!show()) {
    error = "the plug-in's gui show failed";
    return false;
  }
  return true;
}

bool GuiSession::reopen(std::string& error) {
  if (created_) {
    gui_->hide(instance_.plugin());
    gui_->destroy(instance_.plugin());
    created_ = shown_ = false;
  }
  if (window_ != 0) XDestroyWindow(display_, window_);
  window_ = 0;
  XSync(display_, False);
  return createEditor(error);
}

GuiSession::~GuiSession() {
  // The plug-in's window and registrations go before the window it lives in.
  if (created_) gui_->destroy(instance_.plugin());
  if (display_ != nullptr) {
    if (window_ != 0) XDestroyWindow(display_, window_);
    XCloseDisplay(display_);
  }
}

double GuiSession::now() const { return steadyMs() - epochMs_; }

const HostTimer* GuiSession::frameTimer() const {
  const HostTimer* fastest = nullptr;
  for (const HostTimer& t : host_.timers) {
    if (std::find(timersBefore_.begin(), timersBefore_.end(), t.id) != timersBefore_.end()) continue;
    if (fastest == nullptr || t.periodMs < fastest->periodMs) fastest = &t;
  }
  return fastest;
}

double GuiSession::nextDueMs() const {
  double due = std::numeric_limits<double>::infinity();
  for (const HostTimer& t : host_.timers) due = std::min(due, t.dueMs);
  if (host_.callbackPending) due = host_.clockMs;
  if (options_.audio && instance_.active()) {
    const double blockMs = 1000.0 * options_.blockFrames / instance_.sampleRate();
    due = std::min(due, audioStartMs_ + static_cast<double>(blocks_ + 1) * blockMs);
  }
  return due;
}

void GuiSession::serveDescriptors(double timeoutMs) {
  std::vector<pollfd> fds;
  for (const HostFd& f : host_.fds) fds.push_back({f.fd, pollEvents(f.flags), 0});
  fds.push_back({ConnectionNumber(display_), POLLIN, 0});
  const int timeout = static_cast<int>(std::ceil(std::clamp(timeoutMs, 0.0, 1000.0)));
  if (poll(fds.data(), fds.size(), timeout) <= 0) return;
  const auto* fdExt = instance_.extension<clap_plugin_posix_fd_support_t>(CLAP_EXT_POSIX_FD_SUPPORT);
  for (std::size_t i = 0; i + 1 < fds.size(); ++i) {
    if (fds[i].revents == 0 || fdExt == nullptr) continue;
    // An earlier call may have unregistered it.
    const bool registered =
        std::any_of(host_.fds.begin(), host_.fds.end(), [&](const HostFd& f) { return f.fd == fds[i].fd; });
    if (registered) fdExt->on_fd(instance_.plugin(), fds[i].fd, clapFlags(fds[i].revents));
  }
}

void GuiSession::serveOwnEvents() {
  while (XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    if (event.type == ClientMessage && static_cast<unsigned long>(event.xclient.data.l[0]) == deleteAtom_)
      closeRequested_ = true;
  }
}

void GuiSession::serveRequests() {
  const clap_plugin_t* plugin = instance_.plugin();
  const GuiRequests& r = host_.gui;
  for (; resizesServed_ < r.resizes.size(); ++resizesServed_) {
    const auto [w, h] = r.resizes[resizesServed_];
    XResizeWindow(display_, window_, std::max(w, 1u), std::max(h, 1u));
    if (gui_->set_size(plugin, w, h)) {
      width_ = w;
      height_ = h;
    } else {
      // Refused: the window goes back to the editor's size.
      XResizeWindow(display_, window_, width_, height_);
    }
  }
  for (; showsServed_ < r.shows; ++showsServed_) show();
  for (; hidesServed_ < r.hides; ++hidesServed_) hide();
  for (; closedServed_ < r.closed.size(); ++closedServed_)
    // The plug-in lost its window: the host acknowledges with destroy.
    if (r.closed[closedServed_] && created_) {
      gui_->destroy(plugin);
      created_ = shown_ = false;
    }
}

void GuiSession::processAudio(double nowMs) {
  if (!options_.audio || !instance_.active() || !instance_.processing()) return;
  const double blockMs = 1000.0 * options_.blockFrames / instance_.sampleRate();
  const auto due = static_cast<std::uint64_t>(std::max(0.0, (nowMs - audioStartMs_) / blockMs));
  if (due > blocks_ + kMostBlocksAtOnce) blocks_ = due - kMostBlocksAtOnce;
  for (; blocks_ < due; ++blocks_) {
    instance_.process(options_.blockFrames);
    ++processed_;
    if (options_.onBlock) options_.onBlock(instance_, options_.blockFrames);
  }
}

void GuiSession::pass(double untilMs) {
  serveDescriptors(std::min(nextDueMs(), untilMs) - now());
  serveOwnEvents();
  serveRequests();
  const double t = now();
  instance_.runMainThread(std::max(0.0, t - host_.clockMs), false);
  processAudio(t);
}

void GuiSession::runFor(double ms) {
  const double until = now() + ms;
  while (now() < until) pass(until);
}

bool GuiSession::runUntil(const std::function<bool()>& done, double limitMs) {
  const double until = now() + limitMs;
  while (!done()) {
    if (now() >= until) return false;
    pass(until);
  }
  return true;
}

bool GuiSession::runFrames(int frames, double limitMs) {
  const HostTimer* timer = frameTimer();
  if (timer == nullptr) return false;
  const clap_id id = timer->id;
  const std::uint64_t target = timer->fired + static_cast<std::uint64_t>(std::max(frames, 0));
  return runUntil(
             [&] {
               const auto it = std::find_if(host_.timers.begin(), host_.timers.end(),
                                            [&](const HostTimer& t) { return t.id == id; });
               return it == host_.timers.end() || it->fired >= target;
             },
             limitMs) &&
         frameTimer() != nullptr && frameTimer()->id == id;
}

bool GuiSession::show() {
  if (!created_) return false;
  XMapWindow(display_, window_);
  XSync(display_, False);
  shown_ = gui_->show(instance_.plugin());
  return shown_;
}

bool GuiSession::hide() {
  if (!created_ || !gui_->hide(instance_.plugin())) return false;
  XUnmapWindow(display_, window_);
  XSync(display_, False);
  shown_ = false;
  return true;
}

unsigned long GuiSession::editorWindow() const {
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display_, window_, &root, &parent, &children, &count)) return 0;
  const Window child = count > 0 ? children[count - 1] : 0;
  if (children != nullptr) XFree(children);
  return child;
}

void GuiSession::afterInput() {
  if (!runFrames(options_.framesAfterInput)) runFor(kFallbackFrameMs * options_.framesAfterInput);
}

void GuiSession::move(int x, int y) {
  input_->moveTo(editorWindow(), x, y);
  afterInput();
}

void GuiSession::press(unsigned button) {
  input_->button(button, true);
  afterInput();
}

void GuiSession::release(unsigned button) {
  input_->button(button, false);
  afterInput();
}

void GuiSession::click(int x, int y, unsigned button) {
  move(x, y);
  press(button);
  release(button);
}

// Both clicks at once, as a quick hand makes them: the editor sees each
// change in a frame of its own and times the two by the server's clock,
// however long a busy machine takes to draw those frames.
void GuiSession::doubleClick(int x, int y, unsigned button) {
  move(x, y);
  for (int i = 0; i < 4; ++i) input_->button(button, i % 2 == 0);
  if (!runFrames(4)) runFor(kFallbackFrameMs * 4);
  afterInput();
}

bool GuiSession::clickHolding(const std::string& keys, int x, int y, std::string& error, unsigned button) {
  std::vector<unsigned> keycodes;
  std::stringstream names(keys);
  for (std::string name; std::getline(names, name, '+');) {
    std::vector<unsigned> one;
    if (!input_->chordKeys(name, one, error)) return false;
    keycodes.insert(keycodes.end(), one.begin(), one.end());
  }
  move(x, y);
  for (const unsigned code : keycodes) input_->key(code, true);
  afterInput();
  click(x, y, button);
  for (auto it = keycodes.rbegin(); it != keycodes.rend(); ++it) input_->key(*it, false);
  afterInput();
  return true;
}

void GuiSession::drag(int fromX, int fromY, int toX, int toY, unsigned button, int steps) {
  move(fromX, fromY);
  press(button);
  steps = std::max(steps, 1);
  for (int i = 1; i <= steps; ++i) move(fromX + (toX - fromX) * i / steps, fromY + (toY - fromY) * i / steps);
  release(button);
}

// Pressed and let go before the editor's next frame, which still sees the
// press: held over frames, a busy machine could hold the keys past the
// server's autorepeat delay and type each character many times.
void GuiSession::pressKeys(const std::vector<unsigned>& keycodes) {
  for (unsigned code : keycodes) input_->key(code, true);
  for (auto it = keycodes.rbegin(); it != keycodes.rend(); ++it) input_->key(*it, false);
  afterInput();
}

bool GuiSession::key(const std::string& chord, std::string& error) {
  std::vector<unsigned> keycodes;
  if (!input_->chordKeys(chord, keycodes, error)) return false;
  pressKeys(keycodes);
  return true;
}

bool GuiSession::type(const std::string& text, std::string& error) {
  std::vector<char32_t> characters;
  if (!decodeUtf8(text, characters)) {
    error = "the text is not UTF-8";
    return false;
  }
  std::vector<unsigned> keycodes;
  for (const char32_t c : characters) {
    if (input_->characterKeys(c, keycodes)) {
      pressKeys(keycodes);
      continue;
    }
    // A character the keyboard lacks is typed, as a user's input method
    // would, from a spare key bound to it for the one press; the editor
    // learns the new binding in the frames before.
    const unsigned spare = input_->bindSpareKey(c);
    if (spare == 0) {
      error = "no spare key to type U+" + hexOf(c);
      return false;
    }
    afterInput();
    pressKeys({spare});
    input_->unbind(spare);
    afterInput();
  }
  return true;
}

bool GuiSession::offerClipboard(const std::string& text, std::string& error) {
  clipboard_.reset();
  clipboard_ = ClipboardOwner::offer(text, error);
  return clipboard_ != nullptr;
}

std::optional<Picture> GuiSession::picture(std::string& error) {
  const unsigned long child = editorWindow();
  if (child == 0) {
    error = "the host's window holds no editor window";
    return std::nullopt;
  }
  return grabWindow(display_, child, error);
}

}  // namespace orbi::host
