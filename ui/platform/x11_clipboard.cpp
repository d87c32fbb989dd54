#include "ui/platform/x11_clipboard.h"

#include <poll.h>

#include <chrono>
#include <string_view>
#include <vector>

#include "ui/imgui_adapter.h"
#include "ui/platform/x11_error_trap.h"

// After our own headers: Xlib defines macros such as None and Status.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace orbi::ui {
namespace {

constexpr auto kReplyWait = std::chrono::milliseconds(200);
// Longest reply read, in 32-bit units: 1 MiB of text.
constexpr long kMaxReplyLongs = 1L << 18;

// The process's clipboard: which of our windows owns it, and its text.
struct OwnedClipboard {
  const X11Clipboard* owner = nullptr;
  Display* display = nullptr;
  Window window = 0;
  std::string text;
};
OwnedClipboard& owned() {
  static OwnedClipboard record;
  return record;
}

// Dear ImGui's text input copies and pastes through these: its text goes
// out, and the clipboard's comes in, with every character kept.
void setTextFn(void* user, const char* text) {
  static_cast<X11Clipboard*>(user)->setText(textFromImGui(text ? text : "").c_str());
}
const char* getTextFn(void* user) { return static_cast<X11Clipboard*>(user)->textForInput(); }

// The record's owner window is the selection's owner on the same server.
bool ownedHere(Display* display, Window owner) {
  const OwnedClipboard& r = owned();
  return r.owner && owner != None && owner == r.window &&
         std::string_view(DisplayString(r.display)) == DisplayString(display);
}

}  // namespace

X11Clipboard::X11Clipboard(Display* display, unsigned long window) : display_(display), window_(window) {
  const char* names[] = {"CLIPBOARD", "UTF8_STRING", "TARGETS", "INCR", "ORBI_CLIPBOARD"};
  Atom atoms[std::size(names)];
  XInternAtoms(display_, const_cast<char**>(names), static_cast<int>(std::size(names)), False, atoms);
  atoms_ = Atoms{atoms[0], atoms[1], atoms[2], atoms[3], atoms[4]};
}

X11Clipboard::~X11Clipboard() {
  if (owned().owner == this) owned() = OwnedClipboard{};
}

void X11Clipboard::install(ImGuiIO& io) {
  io.SetClipboardTextFn = setTextFn;
  io.GetClipboardTextFn = getTextFn;
  io.ClipboardUserData = this;
}

void X11Clipboard::setText(const char* utf8) {
  owned() = OwnedClipboard{this, display_, window_, utf8 ? utf8 : ""};
  XSetSelectionOwner(display_, atoms_.clipboard, window_, time_);
  XFlush(display_);
}

const char* X11Clipboard::text() {
  read_.clear();
  const Window owner = XGetSelectionOwner(display_, atoms_.clipboard);
  if (ownedHere(display_, owner)) {
    read_ = owned().text;
    return read_.c_str();
  }
  // No owner, or our own window without a text: nobody would answer.
  if (owner == None || owner == window_) return read_.c_str();
  XDeleteProperty(display_, window_, atoms_.property);
  XConvertSelection(display_, atoms_.clipboard, atoms_.utf8, atoms_.property, window_, time_);
  XFlush(display_);
  XEvent reply;
  if (waitForReply(reply)) read_ = readReply(reply);
  return read_.c_str();
}

const char* X11Clipboard::textForInput() {
  read_ = textForImGui(text());
  return read_.c_str();
}

bool X11Clipboard::waitForReply(XEvent& reply) {
  const auto deadline = std::chrono::steady_clock::now() + kReplyWait;
  // Selection events of others (a drag's list) go back to the queue after.
  std::vector<XEvent> others;
  bool found = false;
  while (!found) {
    XEvent e;
    if (XCheckTypedWindowEvent(display_, window_, SelectionNotify, &e)) {
      if (e.xselection.selection == atoms_.clipboard) {
        reply = e;
        found = true;
      } else {
        others.push_back(e);
      }
      continue;
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd fd{ConnectionNumber(display_), POLLIN, 0};
    if (poll(&fd, 1, static_cast<int>(left.count()) + 1) > 0) XEventsQueued(display_, QueuedAfterReading);
  }
  for (auto it = others.rbegin(); it != others.rend(); ++it) XPutBackEvent(display_, &*it);
  return found;
}

std::string X11Clipboard::readReply(const XEvent& reply) {
  if (reply.xselection.property == None) return {};
  Atom type = None;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  std::string text;
  if (XGetWindowProperty(display_, window_, atoms_.property, 0, kMaxReplyLongs, True, AnyPropertyType, &type,
                         &format, &items, &after, &data) == Success &&
      data) {
    if (type == atoms_.utf8 && format == 8) text.assign(reinterpret_cast<const char*>(data), items);
    XFree(data);
  }
  return text;
}

bool X11Clipboard::handleEvent(const XEvent& event) {
  if (event.type == SelectionClear) {
    if (event.xselectionclear.window != window_ || event.xselectionclear.selection != atoms_.clipboard)
      return false;
    if (owned().owner == this) owned() = OwnedClipboard{};
    return true;
  }
  if (event.type != SelectionRequest) return false;
  const XSelectionRequestEvent& r = event.xselectionrequest;
  if (r.owner != window_ || r.selection != atoms_.clipboard) return false;
  answer(event);
  return true;
}

void X11Clipboard::answer(const XEvent& event) {
  const XSelectionRequestEvent& r = event.xselectionrequest;
  // Obsolete requestors name no property: the target serves as one.
  const Atom property = r.property != None ? r.property : r.target;
  XEvent notify{};
  notify.xselection.type = SelectionNotify;
  notify.xselection.requestor = r.requestor;
  notify.xselection.selection = r.selection;
  notify.xselection.target = r.target;
  notify.xselection.time = r.time;
  notify.xselection.property = None;
  const std::string* text = owned().owner == this ? &owned().text : nullptr;
  // Longer texts would need INCR, which we do not send.
  const auto maxBytes = static_cast<std::size_t>(XMaxRequestSize(display_)) * 4 - 64;
  // The requestor is another client that may be gone by now.
  withX11ErrorTrap(display_, [&] {
    if (text && r.target == atoms_.targets) {
      const Atom targets[] = {atoms_.targets, atoms_.utf8};
      XChangeProperty(display_, r.requestor, property, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(targets), 2);
      notify.xselection.property = property;
    } else if (text && r.target == atoms_.utf8 && text->size() <= maxBytes) {
      XChangeProperty(display_, r.requestor, property, atoms_.utf8, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(text->data()), static_cast<int>(text->size()));
      notify.xselection.property = property;
    }
    XSendEvent(display_, r.requestor, False, NoEventMask, &notify);
  });
}

}  // namespace orbi::ui
