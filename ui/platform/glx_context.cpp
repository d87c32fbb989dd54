#include "ui/platform/glx_context.h"

#include <cstring>
#include <string_view>

#include <GL/glx.h>
#include <GL/glxext.h>

namespace orbi::ui {
namespace {

bool hasExtension(Display* display, int screen, std::string_view name) {
  const char* list = glXQueryExtensionsString(display, screen);
  if (!list) return false;
  std::string_view rest(list);
  while (!rest.empty()) {
    const std::size_t space = rest.find(' ');
    if (rest.substr(0, space) == name) return true;
    if (space == std::string_view::npos) break;
    rest.remove_prefix(space + 1);
  }
  return false;
}

template <typename Fn>
Fn glxProc(const char* name) {
  return reinterpret_cast<Fn>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
}

}  // namespace

GlxVisual chooseGlxVisual(Display* display, int screen) {
  const int attributes[] = {GLX_X_RENDERABLE,
                            True,
                            GLX_DRAWABLE_TYPE,
                            GLX_WINDOW_BIT,
                            GLX_RENDER_TYPE,
                            GLX_RGBA_BIT,
                            GLX_X_VISUAL_TYPE,
                            GLX_TRUE_COLOR,
                            GLX_RED_SIZE,
                            8,
                            GLX_GREEN_SIZE,
                            8,
                            GLX_BLUE_SIZE,
                            8,
                            GLX_ALPHA_SIZE,
                            8,
                            GLX_DOUBLEBUFFER,
                            True,
                            None};
  int count = 0;
  GLXFBConfig* configs = glXChooseFBConfig(display, screen, attributes, &count);
  GlxVisual chosen;
  for (int i = 0; i < count && !chosen.config; ++i) {
    XVisualInfo* info = glXGetVisualFromFBConfig(display, configs[i]);
    if (!info) continue;
    chosen = {configs[i], info->visualid, info->visual, info->depth};
    XFree(info);
  }
  if (configs) XFree(configs);
  return chosen;
}

GlxContext::GlxContext(Display* display, int screen, GLXFBConfig config)
    : display_(display), screen_(screen) {
  if (!hasExtension(display, screen, "GLX_ARB_create_context") ||
      !hasExtension(display, screen, "GLX_ARB_create_context_profile")) {
    error_ = "the display offers no OpenGL 3.2 core contexts";
    return;
  }
  const auto create = glxProc<PFNGLXCREATECONTEXTATTRIBSARBPROC>("glXCreateContextAttribsARB");
  const int attributes[] = {
      GLX_CONTEXT_MAJOR_VERSION_ARB,    3,   GLX_CONTEXT_MINOR_VERSION_ARB, 2, GLX_CONTEXT_PROFILE_MASK_ARB,
      GLX_CONTEXT_CORE_PROFILE_BIT_ARB, None};
  if (create) context_ = create(display, config, nullptr, True, attributes);
  if (!context_) error_ = "no OpenGL 3.2 core context could be created";
}

GlxContext::~GlxContext() {
  if (context_) glXDestroyContext(display_, context_);
}

void GlxContext::disableVsync(unsigned long drawable) {
  if (hasExtension(display_, screen_, "GLX_EXT_swap_control")) {
    if (const auto set = glxProc<PFNGLXSWAPINTERVALEXTPROC>("glXSwapIntervalEXT")) set(display_, drawable, 0);
  } else if (hasExtension(display_, screen_, "GLX_MESA_swap_control")) {
    if (const auto set = glxProc<PFNGLXSWAPINTERVALMESAPROC>("glXSwapIntervalMESA")) set(0);
  }
}

GlxCurrent::GlxCurrent(const GlxContext& context, unsigned long drawable)
    : ownDisplay_(context.display()),
      previousDisplay_(glXGetCurrentDisplay()),
      previousDraw_(glXGetCurrentDrawable()),
      previousRead_(glXGetCurrentReadDrawable()),
      previousContext_(glXGetCurrentContext()) {
  if (drawable != 0 && context.valid())
    made_ = glXMakeContextCurrent(ownDisplay_, drawable, drawable, context.handle()) == True;
  // Whatever fails, the host's context must not receive our calls.
  if (!made_ && glXGetCurrentContext()) glXMakeContextCurrent(ownDisplay_, None, None, nullptr);
}

GlxCurrent::~GlxCurrent() {
  if (previousContext_ && previousDisplay_)
    glXMakeContextCurrent(previousDisplay_, previousDraw_, previousRead_, previousContext_);
  else if (made_ || glXGetCurrentContext())
    glXMakeContextCurrent(ownDisplay_, None, None, nullptr);
}

}  // namespace orbi::ui
