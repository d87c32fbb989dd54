#pragma once
// The test host's GUI mode: an instance's editor opened in a top-level X
// window of the host's own, and the one loop a host runs around it. The
// loop polls the descriptors the plug-in registered, fires its timers by
// the clock and, while the instance is active, processes audio blocks as
// time passes, so the transport and the playhead move. Input goes through
// XTest; pictures are read back from the server.
//
// The editor is asked for "x11", not floating: create, set_scale when the
// options give a scale, get_size, set_parent with the host's window, show.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tools/clap_host/clipboard_owner.h"
#include "tools/clap_host/test_host.h"
#include "tools/clap_host/window_picture.h"
#include "tools/clap_host/x_input.h"

namespace orbi::host {

struct GuiOptions {
  double scale = 0.0;  // 0: set_scale is not called
  bool audio = true;   // process blocks while the instance is active
  std::uint32_t blockFrames = 512;
  int framesAfterInput = 2;  // frames run after each input event
  // Called after each block the loop processes, with its length; the
  // outputs are instance.channel(port, c) until the next block.
  std::function<void(const Instance& instance, std::uint32_t frames)> onBlock;
};

class GuiSession {
 public:
  // Null, with the reason in error, when there is no X display or XTest,
  // or the plug-in refuses one of the calls; nothing is left open then.
  static std::unique_ptr<GuiSession> open(Instance& instance, const GuiOptions& options, std::string& error);
  // Destroys the editor, then the host's window and connection.
  ~GuiSession();
  GuiSession(const GuiSession&) = delete;
  GuiSession& operator=(const GuiSession&) = delete;

  // The loop for a span of time.
  void runFor(double ms);
  // The loop until the editor's frame timer has fired `frames` more times;
  // false when the editor has no timer or limitMs passed first.
  bool runFrames(int frames, double limitMs = 20000.0);
  // The loop until done() holds; false when limitMs passed first.
  bool runUntil(const std::function<bool()>& done, double limitMs);

  // "clap.gui" show and hide, the host's window following; false once the
  // editor is gone.
  bool show();
  bool hide();
  // Closes the editor and opens it again as a host does when the user
  // closes the plug-in's window and opens it later: hide, destroy and the
  // host's window closed, then a new window and create, set_scale,
  // get_size, set_parent and show. False, with the reason, when the
  // plug-in refuses a call.
  bool reopen(std::string& error);
  bool shown() const { return shown_; }
  // The editor exists: false after the plug-in reported it closed and
  // destroyed, which the session acknowledges with destroy.
  bool editorOpen() const { return created_; }

  // Input in the editor window's pixels; each event is followed by
  // framesAfterInput frames, so that the editor sees it in a frame of its
  // own.
  void move(int x, int y);
  void press(unsigned button = 1);
  void release(unsigned button = 1);
  void click(int x, int y, unsigned button = 1);
  // Two clicks one frame apart each step, well inside a double-click's
  // time even on a loaded machine.
  void doubleClick(int x, int y, unsigned button = 1);
  // A click with keys held ("Alt_L", "Control_L"): each a key name, '+'
  // between them. False, with the reason, for a name the keyboard lacks.
  bool clickHolding(const std::string& keys, int x, int y, std::string& error, unsigned button = 1);
  // Press at the start, steps moves to the end, release.
  void drag(int fromX, int fromY, int toX, int toY, unsigned button = 1, int steps = 8);
  // "ctrl+z", "ctrl+shift+z", "Delete", "Return": modifiers held while the
  // key is pressed and released.
  bool key(const std::string& chord, std::string& error);
  // Any UTF-8 text: a character the keyboard lacks is typed from a key
  // bound to it for the press.
  bool type(const std::string& text, std::string& error);
  // The text goes on the clipboard as another program's, for the editor to
  // paste; it stays there until the next offer or the session's end.
  bool offerClipboard(const std::string& text, std::string& error);

  // The editor's child window as the server holds it now.
  std::optional<Picture> picture(std::string& error);

  Instance& instance() const { return instance_; }
  _XDisplay* display() const { return display_; }
  unsigned long hostWindow() const { return window_; }
  // The plug-in's window inside the host's, 0 when there is none.
  unsigned long editorWindow() const;
  std::uint32_t width() const { return width_; }
  std::uint32_t height() const { return height_; }
  // The user closed the host's window.
  bool closeRequested() const { return closeRequested_; }
  // Blocks the instance processed; a loop that fell behind skips some.
  std::uint64_t blocksProcessed() const { return processed_; }

 private:
  GuiSession(Instance& instance, const GuiOptions& options);
  bool openEditor(std::string& error);
  // The editor made in a new window of the host's.
  bool createEditor(std::string& error);
  double now() const;
  // One pass: wait for a descriptor or the next due time (at most until
  // untilMs), then serve descriptors, the window, requests, timers, audio.
  void pass(double untilMs);
  double nextDueMs() const;
  void serveDescriptors(double timeoutMs);
  void serveOwnEvents();
  void serveRequests();
  void processAudio(double nowMs);
  const HostTimer* frameTimer() const;
  void afterInput();
  void pressKeys(const std::vector<unsigned>& keycodes);

  Instance& instance_;
  TestHost& host_;
  const GuiOptions options_;
  const clap_plugin_gui_t* gui_ = nullptr;
  _XDisplay* display_ = nullptr;
  unsigned long window_ = 0;
  unsigned long deleteAtom_ = 0;
  std::unique_ptr<XInput> input_;
  std::unique_ptr<ClipboardOwner> clipboard_;
  bool created_ = false;
  bool shown_ = false;
  bool closeRequested_ = false;
  std::uint32_t width_ = 0, height_ = 0;
  std::vector<clap_id> timersBefore_;  // the instance's own, registered before create
  double epochMs_ = 0.0;               // steady clock at host clock 0
  double audioStartMs_ = 0.0;
  std::uint64_t blocks_ = 0;  // blocks of time since audioStartMs_, served or skipped
  std::uint64_t processed_ = 0;
  // How many of the plug-in's requests were served.
  std::size_t resizesServed_ = 0;
  int showsServed_ = 0, hidesServed_ = 0;
  std::size_t closedServed_ = 0;
};

}  // namespace orbi::host
