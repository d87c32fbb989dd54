#include "tools/clap_host/clipboard_owner.h"

#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

// After our own headers: Xlib defines macros such as None.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace orbi::host {

namespace {

void answer(Display* d, const XSelectionRequestEvent& r, const std::string& text) {
  const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
  const Atom targets = XInternAtom(d, "TARGETS", False);
  XEvent notify{};
  notify.xselection.type = SelectionNotify;
  notify.xselection.requestor = r.requestor;
  notify.xselection.selection = r.selection;
  notify.xselection.target = r.target;
  notify.xselection.time = r.time;
  notify.xselection.property = None;
  const Atom property = r.property != None ? r.property : r.target;
  if (r.target == targets) {
    const Atom offered[] = {targets, utf8};
    XChangeProperty(d, r.requestor, property, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(offered), 2);
    notify.xselection.property = property;
  } else if (r.target == utf8) {
    XChangeProperty(d, r.requestor, property, utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
    notify.xselection.property = property;
  }
  XSendEvent(d, r.requestor, False, NoEventMask, &notify);
  XFlush(d);
}

// The child's life: owns the clipboard, says so on ready, answers until
// another program takes it.
[[noreturn]] void serve(const std::string& text, int ready) {
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  Display* d = XOpenDisplay(nullptr);
  if (d == nullptr) ::_exit(1);
  const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
  const Atom clipboard = XInternAtom(d, "CLIPBOARD", False);
  XSetSelectionOwner(d, clipboard, w, CurrentTime);
  XSync(d, False);
  if (XGetSelectionOwner(d, clipboard) != w || ::write(ready, "r", 1) != 1) ::_exit(1);
  ::close(ready);
  for (;;) {
    XEvent e;
    XNextEvent(d, &e);
    if (e.type == SelectionClear) ::_exit(0);
    if (e.type == SelectionRequest) answer(d, e.xselectionrequest, text);
  }
}

}  // namespace

std::unique_ptr<ClipboardOwner> ClipboardOwner::offer(const std::string& text, std::string& error) {
  int ready[2];
  if (::pipe(ready) != 0) {
    error = "no pipe for the clipboard's owner";
    return nullptr;
  }
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(ready[0]);
    serve(text, ready[1]);
  }
  ::close(ready[1]);
  std::unique_ptr<ClipboardOwner> owner(child > 0 ? new ClipboardOwner(child) : nullptr);
  pollfd fd{ready[0], POLLIN, 0};
  char c = 0;
  const bool owns = child > 0 && ::poll(&fd, 1, 5000) == 1 && ::read(ready[0], &c, 1) == 1;
  ::close(ready[0]);
  if (!owns) {
    error = "no process could take the clipboard";
    return nullptr;
  }
  return owner;
}

ClipboardOwner::~ClipboardOwner() {
  ::kill(child_, SIGKILL);
  ::waitpid(child_, nullptr, 0);
}

}  // namespace orbi::host
