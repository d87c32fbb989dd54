#pragma once
// Dear ImGui's clipboard over the X CLIPBOARD selection, as UTF8_STRING.
//
// Each window has its own X connection, and a read waits for the owner's
// answer without running the event loop; were the owner another window of
// this process, it could not answer while this one waits. So the process
// keeps one record of the window that owns the clipboard and its text, and
// a read whose owner is any of our windows takes the text from there.
// Otherwise a read asks the owner and waits at most 200 ms, taking only the
// answer from the connection; everything else waits for the event loop.
// A reply sent in increments (INCR) counts as no text: the fields that
// paste hold short texts. Main thread only.

#include <imgui.h>

#include <string>

struct _XDisplay;
union _XEvent;

namespace orbi::ui {

class X11Clipboard {
 public:
  X11Clipboard(_XDisplay* display, unsigned long window);
  // Gives up the process's record when it names this window.
  ~X11Clipboard();
  X11Clipboard(const X11Clipboard&) = delete;
  X11Clipboard& operator=(const X11Clipboard&) = delete;

  // Points the IO's clipboard callbacks at this object.
  void install(ImGuiIO& io);

  // Requests for our text and the loss of ownership; false for any other
  // event.
  bool handleEvent(const _XEvent& event);

  // The server time of the latest input, for the selection calls.
  void setEventTime(unsigned long time) { time_ = time; }

  // Takes the selection with the text.
  void setText(const char* utf8);
  // The clipboard's text, "" for none; valid until the next call.
  const char* text();
  // The same as Dear ImGui's text input takes it (ui/imgui_adapter.h).
  const char* textForInput();

 private:
  struct Atoms {
    unsigned long clipboard, utf8, targets, incr, property;
  };
  void answer(const _XEvent& request);
  bool waitForReply(_XEvent& reply);
  std::string readReply(const _XEvent& reply);

  _XDisplay* display_;
  unsigned long window_;
  Atoms atoms_{};
  unsigned long time_ = 0;
  std::string read_;  // the last text read, kept for the caller
};

}  // namespace orbi::ui
