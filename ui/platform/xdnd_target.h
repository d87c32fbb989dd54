#pragma once
// Files dragged onto the window from a file manager, over XDND version 5.
// The window hands the target its ClientMessage and SelectionNotify events;
// the target keeps the UI context's drop state and answers the source. It
// asks for the dragged text/uri-list as soon as the drag comes in, so drop
// zones can match while the files hover, and acknowledges a drop only after
// the frame that offered it, saying whether a zone took it. Main thread
// only; the display, the window and the UI context outlive the target.

#include <cstdint>

#include "ui/context.h"

struct _XDisplay;
union _XEvent;

namespace orbi::ui {

class XdndTarget {
 public:
  // Marks the window as a drop target (XdndAware 5).
  XdndTarget(_XDisplay* display, unsigned long window, UiContext& ui);
  // Withdraws the mark.
  ~XdndTarget();
  XdndTarget(const XdndTarget&) = delete;
  XdndTarget& operator=(const XdndTarget&) = delete;

  // True when the event belonged to a drag and was handled.
  bool handleEvent(const _XEvent& event);
  // After each drawn frame: reports a drop that the frame settled.
  void afterFrame();

 private:
  struct Atoms {
    unsigned long aware, enter, position, status, leave, drop, finished, selection, typeList, actionCopy,
        uriList, property, incr;
  };

  void onEnter(const long* data);
  void onPosition(const long* data);
  void onDrop(const long* data);
  void onSelection(unsigned long property);
  bool offersUriList(const long* data);
  void requestPaths(unsigned long time);
  void handOverDrop();
  // Sends a client message to the source; a source that has gone ends the drag.
  void sendToSource(unsigned long type, long l1, long l2, long l3, long l4);
  void forgetDrag();

  _XDisplay* display_;
  unsigned long window_;
  unsigned long root_ = 0;
  UiContext& ui_;
  Atoms atoms_{};

  // The drag in progress; source 0 while none.
  unsigned long source_ = 0;
  bool wantsPaths_ = false;  // the source offers text/uri-list
  bool requested_ = false;   // the list was asked for
  bool pathsArrived_ = false;
  bool dropWaiting_ = false;  // dropped, waiting for the list
  bool dropOffered_ = false;  // handed to the frames, waiting for XdndFinished
  int repliesDue_ = 0;        // conversions asked for and not answered yet
};

}  // namespace orbi::ui
