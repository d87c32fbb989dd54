#include "ui/platform/xdnd_target.h"

#include <string>
#include <string_view>
#include <vector>

#include "ui/drop/drop_state.h"
#include "ui/platform/uri_list.h"
#include "ui/platform/x11_error_trap.h"

// After our own headers: Xlib defines macros such as None and Status.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace orbi::ui {
namespace {

constexpr long kVersion = 5;
// Longest property read at once, in 32-bit units: 64 MiB of text.
constexpr long kMaxPropertyLongs = 1L << 24;

// A property's bytes, freed with XFree.
struct Property {
  Atom type = None;
  int format = 0;
  unsigned long items = 0;
  unsigned char* data = nullptr;
  ~Property() {
    if (data) XFree(data);
  }
};

bool readProperty(Display* display, Window window, Atom name, bool remove, Property& out) {
  unsigned long after = 0;
  return XGetWindowProperty(display, window, name, 0, kMaxPropertyLongs, remove ? True : False,
                            AnyPropertyType, &out.type, &out.format, &out.items, &after,
                            &out.data) == Success &&
         out.data != nullptr;
}

}  // namespace

XdndTarget::XdndTarget(_XDisplay* display, unsigned long window, UiContext& ui)
    : display_(display), window_(window), ui_(ui) {
  const char* names[] = {"XdndAware",    "XdndEnter",      "XdndPosition",  "XdndStatus",
                         "XdndLeave",    "XdndDrop",       "XdndFinished",  "XdndSelection",
                         "XdndTypeList", "XdndActionCopy", "text/uri-list", "ORBI_DROPPED_URIS",
                         "INCR"};
  Atom atoms[std::size(names)];
  XInternAtoms(display_, const_cast<char**>(names), static_cast<int>(std::size(names)), False, atoms);
  atoms_ = Atoms{atoms[0], atoms[1], atoms[2], atoms[3],  atoms[4],  atoms[5], atoms[6],
                 atoms[7], atoms[8], atoms[9], atoms[10], atoms[11], atoms[12]};
  Window root = 0;
  int x = 0, y = 0;
  unsigned width = 0, height = 0, border = 0, depth = 0;
  if (XGetGeometry(display_, window_, &root, &x, &y, &width, &height, &border, &depth)) root_ = root;
  XChangeProperty(display_, window_, atoms_.aware, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&kVersion), 1);
  XFlush(display_);
}

XdndTarget::~XdndTarget() {
  withX11ErrorTrap(display_, [&] { XDeleteProperty(display_, window_, atoms_.aware); });
}

bool XdndTarget::handleEvent(const _XEvent& event) {
  if (event.type == SelectionNotify) {
    const XSelectionEvent& s = event.xselection;
    if (s.requestor != window_ || s.selection != atoms_.selection) return false;
    onSelection(s.property);
    return true;
  }
  if (event.type != ClientMessage || event.xclient.window != window_ || event.xclient.format != 32)
    return false;
  const Atom type = event.xclient.message_type;
  const long* data = event.xclient.data.l;
  if (type == atoms_.enter)
    onEnter(data);
  else if (type == atoms_.position)
    onPosition(data);
  else if (type == atoms_.drop)
    onDrop(data);
  else if (type == atoms_.leave) {
    if (source_ != 0 && static_cast<Window>(data[0]) == source_) {
      dropState(ui_).leave();
      forgetDrag();
    }
  } else {
    return false;
  }
  return true;
}

void XdndTarget::onEnter(const long* data) {
  forgetDrag();
  source_ = static_cast<Window>(data[0]);
  wantsPaths_ = offersUriList(data);
  dropState(ui_).enter();
}

bool XdndTarget::offersUriList(const long* data) {
  if ((data[1] & 1) == 0) {
    for (int i = 2; i <= 4; ++i)
      if (static_cast<Atom>(data[i]) == atoms_.uriList) return true;
    return false;
  }
  // More than three types: the source lists them on its window.
  bool found = false;
  withX11ErrorTrap(display_, [&] {
    Property types;
    if (!readProperty(display_, source_, atoms_.typeList, false, types) || types.format != 32) return;
    const auto* atoms = reinterpret_cast<const Atom*>(types.data);
    for (unsigned long i = 0; i < types.items; ++i) found = found || atoms[i] == atoms_.uriList;
  });
  return found;
}

void XdndTarget::onPosition(const long* data) {
  if (source_ == 0 || static_cast<Window>(data[0]) != source_) return;
  const int rootX = static_cast<int>((static_cast<unsigned long>(data[2]) >> 16) & 0xFFFF);
  const int rootY = static_cast<int>(static_cast<unsigned long>(data[2]) & 0xFFFF);
  int x = 0, y = 0;
  Window child = 0;
  DropState& drop = dropState(ui_);
  if (XTranslateCoordinates(display_, root_, window_, rootX, rootY, &x, &y, &child))
    drop.point = ImVec2(static_cast<float>(x), static_cast<float>(y));
  // Asked for with the first time stamp of the drag: the enter has none.
  if (wantsPaths_ && !requested_) requestPaths(static_cast<Time>(data[3]));
  const bool accept = drop.accepted;
  // Bit 1: send a position for every move, not only outside a rectangle.
  sendToSource(atoms_.status, accept ? 3 : 2, 0, 0, accept ? static_cast<long>(atoms_.actionCopy) : None);
}

void XdndTarget::onDrop(const long* data) {
  if (source_ == 0 || static_cast<Window>(data[0]) != source_) return;
  if (!wantsPaths_ || pathsArrived_) {
    handOverDrop();
    return;
  }
  dropWaiting_ = true;
  requestPaths(static_cast<Time>(data[2]));
}

void XdndTarget::requestPaths(unsigned long time) {
  requested_ = true;
  ++repliesDue_;
  XConvertSelection(display_, atoms_.selection, atoms_.uriList, atoms_.property, window_, time);
  XFlush(display_);
}

void XdndTarget::onSelection(unsigned long property) {
  if (property != None) {
    Property text;
    const bool read = readProperty(display_, window_, property, true, text);
    if (source_ != 0 && read && text.format == 8 && text.type != atoms_.incr) {
      dropState(ui_).paths =
          parseUriList(std::string_view(reinterpret_cast<const char*>(text.data), text.items));
      pathsArrived_ = true;
    }
  }
  if (repliesDue_ > 0) --repliesDue_;
  if (dropWaiting_ && (pathsArrived_ || repliesDue_ == 0)) handOverDrop();
}

void XdndTarget::handOverDrop() {
  dropWaiting_ = false;
  dropOffered_ = true;
  DropState& drop = dropState(ui_);
  drop.outcome = DropOutcome::Nothing;
  drop.dropped = true;
}

void XdndTarget::afterFrame() {
  if (!dropOffered_) return;
  DropState& drop = dropState(ui_);
  if (drop.outcome == DropOutcome::Nothing) return;
  const bool taken = drop.outcome == DropOutcome::Taken;
  drop.outcome = DropOutcome::Nothing;
  sendToSource(atoms_.finished, taken ? 1 : 0, taken ? static_cast<long>(atoms_.actionCopy) : None, 0, 0);
  forgetDrag();
}

void XdndTarget::sendToSource(unsigned long type, long l1, long l2, long l3, long l4) {
  XEvent event{};
  XClientMessageEvent& m = event.xclient;
  m.type = ClientMessage;
  m.display = display_;
  m.window = source_;
  m.message_type = type;
  m.format = 32;
  m.data.l[0] = static_cast<long>(window_);
  m.data.l[1] = l1;
  m.data.l[2] = l2;
  m.data.l[3] = l3;
  m.data.l[4] = l4;
  const Window source = source_;
  if (withX11ErrorTrap(display_, [&] { XSendEvent(display_, source, False, NoEventMask, &event); }) == 0)
    return;
  // The source has gone mid-drag: nothing more will come from it.
  if (!dropOffered_) dropState(ui_).leave();
  forgetDrag();
}

void XdndTarget::forgetDrag() {
  source_ = 0;
  wantsPaths_ = requested_ = pathsArrived_ = dropWaiting_ = dropOffered_ = false;
  repliesDue_ = 0;
}

}  // namespace orbi::ui
