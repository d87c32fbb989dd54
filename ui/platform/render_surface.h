#pragma once
// The embedded window's renderer: the GLX context on the child window, the
// window's UI context with Dear ImGui's OpenGL 3 renderer bound to it, the
// frame itself and the file-dialog pump that runs after each frame. Every
// entry makes our GL context current and gives the host's back on the way
// out. Main thread only; the window runs each entry under an X error trap.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "ui/context.h"
#include "ui/dialogs/file_dialog_pump.h"
#include "ui/frame_clock.h"
#include "ui/frame_failures.h"
#include "ui/frame_requests.h"
#include "ui/platform/glx_context.h"
#include "ui/view.h"

namespace orbi::ui {

class X11Input;

// Makes the window's UI context; throws as UiContext does.
using UiContextFactory = std::function<std::unique_ptr<UiContext>()>;

// A frame read back before it was presented: RGBA, the top row first.
struct FramePixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;
};

// The background every frame is cleared to: (14, 18, 8), opaque.
inline constexpr std::uint8_t kClearRgb[3] = {14, 18, 8};

class RenderSurface {
 public:
  RenderSurface() = default;
  ~RenderSurface() { shutdown(); }
  RenderSurface(const RenderSurface&) = delete;
  RenderSurface& operator=(const RenderSurface&) = delete;

  // Creates the GL context for the window and the UI context, and binds
  // the renderer. On failure writes one "orbi-ui: " line to standard error,
  // shuts down and returns false.
  bool init(_XDisplay* display, int screen, unsigned long window, __GLXFBConfigRec* config,
            const UiContextFactory& makeUi);
  // Frees the renderer, the UI context and the GL context. After the window
  // has gone (windowGone) nothing touches its drawable. Safe when shut down.
  void shutdown(bool windowGone = false);

  UiContext* ui() const { return ui_.get(); }
  void resize(unsigned width, unsigned height);

  // Draws one frame of the view and presents it, then pumps file dialogs.
  // False when nothing was presented (no context, a frame already running)
  // or the view threw: then what it drew before the throw is presented,
  // and the first failures of a run are told on standard error.
  bool render(View& view, bool framed, X11Input& input);
  // What the last frame said of the next; a frame that did not start, or
  // after which a file chooser finished, asks for another, and one that
  // failed for the failures' schedule.
  const NextFrameRequest& nextFrameRequest() const { return nextFrameRequest_; }
  // A view that keeps failing waits for its next try: no frame now.
  bool holdsOff(double now) const { return failures_.holdsOff(now); }
  // The frame clock's time for a frame that would start now.
  double clockNow() const { return clock_.peek(monotonicNs()); }
  // Between frames: starts a requested file chooser or polls the running
  // one; true when one has just finished (its outcome waits for a frame).
  bool pumpDialogs();

  // The next presented frame is kept for takeCapture.
  void captureNextFrame() { captureWanted_ = true; }
  std::optional<FramePixels> takeCapture();

 private:
  bool frame(View& view, bool framed, X11Input& input);
  // A frame started at `time` failed, or drew whole: what it says of the
  // next. The first failures of a run, and the end of a long one, are told.
  NextFrameRequest frameFailed(double time, const char* why);
  NextFrameRequest frameDrawn(const NextFrameRequest& next);
  void uploadAtlas();
  void readBack();

  _XDisplay* display_ = nullptr;
  unsigned long window_ = 0;
  std::unique_ptr<GlxContext> gl_;
  std::unique_ptr<UiContext> ui_;
  bool rendererBound_ = false;
  unsigned width_ = 1, height_ = 1;
  FrameClock clock_;
  NextFrameRequest nextFrameRequest_;
  FrameFailures failures_;
  bool inFrame_ = false;
  std::unique_ptr<FileDialogPump> pump_;
  bool captureWanted_ = false;
  std::optional<FramePixels> capture_;
};

}  // namespace orbi::ui
