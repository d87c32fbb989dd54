#include "ui/platform/render_surface.h"

#include <backends/imgui_impl_opengl3.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <utility>

#include "ui/draw/draw_log.h"
#include "ui/platform/x11_input.h"
#include "ui/root.h"

// After our own headers: Xlib defines macros such as None and Status.
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glx.h>

namespace orbi::ui {
namespace {

// 1.86 asserts unless every frame after the first has a positive DeltaTime.
constexpr float kMinDeltaTime = 1e-6f;
// The longest text of a view's exception that is told.
constexpr std::size_t kWhyLength = 256;

// The theme's light effects: source times its alpha added to what is there.
void additiveBlend(const ImDrawList*, const ImDrawCmd*) {
  static const auto blendFuncSeparate = reinterpret_cast<PFNGLBLENDFUNCSEPARATEPROC>(
      glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glBlendFuncSeparate")));
  if (blendFuncSeparate) blendFuncSeparate(GL_SRC_ALPHA, GL_ONE, GL_ZERO, GL_ONE);
}

// Raises the flag for its lifetime.
class FrameGuard {
 public:
  explicit FrameGuard(bool& flag) : flag_(flag) { flag_ = true; }
  ~FrameGuard() { flag_ = false; }
  FrameGuard(const FrameGuard&) = delete;
  FrameGuard& operator=(const FrameGuard&) = delete;

 private:
  bool& flag_;
};

}  // namespace

bool RenderSurface::init(Display* display, int screen, unsigned long window, GLXFBConfig config,
                         const UiContextFactory& makeUi) {
  shutdown();
  display_ = display;
  window_ = window;
  gl_ = std::make_unique<GlxContext>(display, screen, config);
  if (!gl_->valid()) {
    std::fprintf(stderr, "orbi-ui: %s; the editor cannot open\n", gl_->error().c_str());
    shutdown();
    return false;
  }
  GlxCurrent current(*gl_, window_);
  if (!current.made()) {
    std::fprintf(stderr, "orbi-ui: the OpenGL context cannot draw to the window; the editor cannot open\n");
    shutdown();
    return false;
  }
  gl_->disableVsync(window_);
  try {
    ui_ = makeUi ? makeUi() : std::make_unique<UiContext>();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "orbi-ui: the editor cannot open: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "orbi-ui: the editor cannot open\n");
  }
  if (!ui_) {
    shutdown();
    return false;
  }
  bool ready = false;
  {
    ContextScope scope(*ui_);
    rendererBound_ = ImGui_ImplOpenGL3_Init("#version 150");
    ready = rendererBound_ && ImGui_ImplOpenGL3_CreateDeviceObjects();
  }
  if (!ready) {
    std::fprintf(stderr, "orbi-ui: the OpenGL renderer did not start; the editor cannot open\n");
    shutdown();
    return false;
  }
  ui_->setAdditiveBlendHook(additiveBlend);
  pump_ = std::make_unique<FileDialogPump>();
  clock_.reset();
  failures_ = {};
  return true;
}

void RenderSurface::shutdown(bool windowGone) {
  // A chooser still open ends before the context it draws in.
  pump_.reset();
  if (gl_) {
    GlxCurrent current(*gl_, windowGone ? 0 : window_);
    if (ui_ && rendererBound_) {
      ContextScope scope(*ui_);
      ImGui_ImplOpenGL3_Shutdown();
    }
    rendererBound_ = false;
    ui_.reset();
  }
  ui_.reset();
  // Destroyed with nothing of ours current.
  gl_.reset();
  display_ = nullptr;
  window_ = 0;
  capture_.reset();
  captureWanted_ = false;
}

void RenderSurface::resize(unsigned width, unsigned height) {
  width_ = std::max(width, 1u);
  height_ = std::max(height, 1u);
}

bool RenderSurface::render(View& view, bool framed, X11Input& input) {
  const bool presented = frame(view, framed, input);
  pumpDialogs();
  return presented;
}

bool RenderSurface::pumpDialogs() {
  if (!pump_ || inFrame_) return false;
  const bool choosing = pump_->choosing();
  pump_->pump(ui_.get());
  const bool finished = choosing && !pump_->choosing();
  // The outcome reaches the view in a frame.
  nextFrameRequest_.again = nextFrameRequest_.again || finished;
  return finished;
}

bool RenderSurface::frame(View& view, bool framed, X11Input& input) {
  if (!ui_ || !gl_ || !rendererBound_ || inFrame_) return false;
  FrameGuard guard(inFrame_);
  nextFrameRequest_ = {true};
  GlxCurrent current(*gl_, window_);
  if (!current.made()) return false;
  ContextScope scope(*ui_);
  const FrameTime t = clock_.tick(monotonicNs());
  if (ui_->prepareFrame()) uploadAtlas();

  ImGuiIO& io = ImGui::GetIO();
  io.DisplaySize = ImVec2(static_cast<float>(width_), static_cast<float>(height_));
  io.DeltaTime = std::max(t.dt, kMinDeltaTime);
  ImGui_ImplOpenGL3_NewFrame();
  input.beginFrame(io);
  ImGui::NewFrame();
  // A test's log holds the latest frame only.
  if (DrawLog* log = ui_->drawLog()) log->clear();

  FrameInfo info;
  info.time = t.time;
  info.dt = t.dt;
  info.display = {0.0f, 0.0f, io.DisplaySize.x, io.DisplaySize.y};
  info.scale = ui_->displayScale();
  bool failed = true;
  char why[kWhyLength] = "";  // kept without allocating: the failure may be memory
  try {
    drawRoot(view, info, framed);
    failed = false;
  } catch (const std::exception& e) {
    std::snprintf(why, sizeof why, "%s", e.what());
  } catch (...) {
  }
  // What a failed frame drew before the throw is shown all the same.
  if (failed) recoverFrame();
  ImGui::Render();
  input.endFrame(io);
  const NextFrameRequest drawn = takeNextFrameRequest(*ui_);
  nextFrameRequest_ = failed ? frameFailed(t.time, why) : frameDrawn(drawn);

  glViewport(0, 0, static_cast<GLsizei>(width_), static_cast<GLsizei>(height_));
  glClearColor(kClearRgb[0] / 255.0f, kClearRgb[1] / 255.0f, kClearRgb[2] / 255.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
  if (std::exchange(captureWanted_, false)) readBack();
  glXSwapBuffers(display_, window_);
  return !failed;
}

NextFrameRequest RenderSurface::frameFailed(double time, const char* why) {
  const NextFrameRequest next = failures_.failed(time);
  const int count = failures_.inARow();
  // Only the first failures of a run are told, not every frame's.
  if (count > FrameFailures::kTriedAtOnce) return next;
  std::fprintf(stderr, "orbi-ui: the view's frame failed%s%s\n", *why ? ": " : "", why);
  if (count == FrameFailures::kTriedAtOnce)
    std::fprintf(stderr, "orbi-ui: %d failed frames in a row; the view is tried less often until it works\n",
                 count);
  return next;
}

NextFrameRequest RenderSurface::frameDrawn(const NextFrameRequest& next) {
  if (failures_.succeeded() >= FrameFailures::kTriedAtOnce)
    std::fprintf(stderr, "orbi-ui: the view's frame works again\n");
  return next;
}

void RenderSurface::uploadAtlas() {
  ImGui_ImplOpenGL3_DestroyFontsTexture();
  ImGui_ImplOpenGL3_CreateFontsTexture();
}

void RenderSurface::readBack() {
  FramePixels pixels;
  pixels.width = static_cast<int>(width_);
  pixels.height = static_cast<int>(height_);
  const std::size_t row = static_cast<std::size_t>(pixels.width) * 4;
  std::vector<std::uint8_t> bottomUp(row * static_cast<std::size_t>(pixels.height));
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, pixels.width, pixels.height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
  pixels.rgba.resize(bottomUp.size());
  for (int y = 0; y < pixels.height; ++y)
    std::copy_n(bottomUp.data() + row * static_cast<std::size_t>(pixels.height - 1 - y), row,
                pixels.rgba.data() + row * static_cast<std::size_t>(y));
  capture_ = std::move(pixels);
}

std::optional<FramePixels> RenderSurface::takeCapture() { return std::exchange(capture_, std::nullopt); }

}  // namespace orbi::ui
