#pragma once
// The window's input for Dear ImGui 1.86, from its X events: pointer,
// buttons and both wheels, keys by their unshifted keysym, modifiers, text
// through the input method, focus and the mouse cursor.
//
// 1.86 reads held buttons and keys once a frame, so a press and its release
// that arrive between two frames would never be seen: each change waits
// until a frame has seen the one before. Main thread only; the display and the
// window outlive the object, and calls run under the window's X error trap.

#include <imgui.h>

#include <array>
#include <cstdint>
#include <unordered_map>

#include "ui/keys.h"

struct _XDisplay;
union _XEvent;
struct _XIM;
struct _XIC;

namespace orbi::ui {

// A button, key or modifier as the frames see it: each change is seen by
// one frame at least, in order, so that a click, or two, between two frames
// still reaches Dear ImGui as clicks. A few changes wait at most; past
// them the latest two cancel, so the state ends as the input left it.
struct HeldInput {
  static constexpr int kMostWaiting = 3;
  bool down = false;
  bool seen = true;        // a frame has seen `down`
  unsigned long time = 0;  // the server time of the change `down` shows
  int waiting = 0;         // changes after it no frame has seen: each flips it
  std::array<unsigned long, kMostWaiting> waitingTimes{};
  void press(unsigned long at = 0) { change(true, at); }
  void release(unsigned long at = 0) { change(false, at); }
  // The state the input left it in, whatever the frames have seen of it.
  bool latest() const { return waiting % 2 == 1 ? !down : down; }
  // After a frame: what it showed was seen; the next waiting change shows.
  void frameSeen();

 private:
  void change(bool to, unsigned long at);
};

class X11Input {
 public:
  X11Input(_XDisplay* display, unsigned long window);
  ~X11Input();
  X11Input(const X11Input&) = delete;
  X11Input& operator=(const X11Input&) = delete;

  // The events the window must select, the input method's included.
  long eventMask() const;

  // Takes an input event into the current Dear ImGui context's IO; false
  // for events it does not handle. The caller has run XFilterEvent.
  bool handleEvent(_XEvent& event);

  // Before NewFrame: the held state into the IO.
  void beginFrame(ImGuiIO& io);
  // After the frame: waiting releases happen; the frame's cursor is shown.
  void endFrame(ImGuiIO& io);

  // The server time of the latest input event (CurrentTime before any).
  unsigned long lastTime() const { return lastTime_; }
  // Whether a change of a button or key waits for frames to see it.
  bool changesWaiting() const;

 private:
  void onButton(const _XEvent& event, bool press);
  void onKey(_XEvent& event, bool press);
  void typeText(_XEvent& event);
  void pointerAt(int x, int y);
  void syncModifiers(unsigned int state);
  void releaseAll();
  void showCursor(ImGuiMouseCursor cursor);
  void timeClickByServer(ImGuiIO& io, int button, unsigned long at);

  _XDisplay* display_;
  unsigned long window_;
  _XIM* im_ = nullptr;
  _XIC* ic_ = nullptr;
  unsigned long lastTime_ = 0;

  std::array<HeldInput, ImGuiMouseButton_COUNT> buttons_;
  // The server time of each button's last press a frame saw; 0 for none.
  std::array<unsigned long, ImGuiMouseButton_COUNT> lastPressSeen_{};
  std::array<HeldInput, static_cast<int>(Key::Count)> keys_;
  // Ctrl, Shift, Alt, Super, and which of each one's keys are down (bit 0
  // the left, bit 1 the right).
  std::array<HeldInput, 4> mods_;
  std::array<std::uint8_t, 4> modKeysDown_{};

  ImGuiMouseCursor cursorShown_ = ImGuiMouseCursor_Arrow;
  std::unordered_map<int, unsigned long> cursors_;  // by Dear ImGui cursor
};

}  // namespace orbi::ui
