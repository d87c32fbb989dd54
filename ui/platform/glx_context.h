#pragma once
// The window's OpenGL: a GLX frame-buffer configuration for an 8-bit RGBA,
// double-buffered window, a 3.2 core context on it, and the scope that
// makes it current and afterwards gives the host back whatever it had
// current (display, drawables and context), on every way out. Main thread
// only; callers run these under an X error trap.

#include <string>

struct _XDisplay;
struct __GLXFBConfigRec;
struct __GLXcontextRec;

namespace orbi::ui {

// The visual a window needs for the context. Empty (config null) when the
// screen offers none.
struct GlxVisual {
  __GLXFBConfigRec* config = nullptr;
  unsigned long visualId = 0;
  void* visual = nullptr;  // the Xlib Visual
  int depth = 0;
};
GlxVisual chooseGlxVisual(_XDisplay* display, int screen);

class GlxContext {
 public:
  // A 3.2 core context for the configuration; valid() says whether one was
  // made, error() why not.
  GlxContext(_XDisplay* display, int screen, __GLXFBConfigRec* config);
  ~GlxContext();
  GlxContext(const GlxContext&) = delete;
  GlxContext& operator=(const GlxContext&) = delete;

  bool valid() const { return context_ != nullptr; }
  const std::string& error() const { return error_; }
  __GLXcontextRec* handle() const { return context_; }
  _XDisplay* display() const { return display_; }

  // With the context current on the drawable: presentation does not wait
  // for the vertical blank, where the driver lets us say so.
  void disableVsync(unsigned long drawable);

 private:
  _XDisplay* display_;
  int screen_;
  __GLXcontextRec* context_ = nullptr;
  std::string error_;
};

// Makes the context current on the drawable and restores what was current
// before when it ends. With drawable 0 (the window has gone) nothing is
// made current: GL calls in the scope then reach no context, neither ours
// nor the host's.
class GlxCurrent {
 public:
  GlxCurrent(const GlxContext& context, unsigned long drawable);
  ~GlxCurrent();
  GlxCurrent(const GlxCurrent&) = delete;
  GlxCurrent& operator=(const GlxCurrent&) = delete;

  // The context is current.
  bool made() const { return made_; }

 private:
  _XDisplay* ownDisplay_;
  _XDisplay* previousDisplay_;
  unsigned long previousDraw_;
  unsigned long previousRead_;
  __GLXcontextRec* previousContext_;
  bool made_ = false;
};

}  // namespace orbi::ui
