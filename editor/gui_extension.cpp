// The "clap.gui" and "clap.posix-fd-support" tables. Each call finds the
// editor through the plug-in instance and keeps every exception on this
// side: a throw is a false answer.
#include "editor/editor_wrapper.h"
#include "plugin/no_throw.h"
#include "plugin/plugin.h"

namespace ob::clap {

namespace {

OrbitraneEditor* editorOf(const clap_plugin_t* p) {
  Plugin* self = Plugin::from(p);
  return self != nullptr ? dynamic_cast<OrbitraneEditor*>(self->editor.get()) : nullptr;
}

// Runs body on the instance's editor; false without one or on a throw.
template <typename Body>
bool withEditor(const char* what, const clap_plugin_t* p, Body&& body) {
  return guarded(what, false, [&] {
    OrbitraneEditor* editor = editorOf(p);
    return editor != nullptr && body(*editor);
  });
}

bool isApiSupported(const clap_plugin_t*, const char* api, bool isFloating) {
  return OrbitraneEditor::isApiSupported(api, isFloating);
}

bool getPreferredApi(const clap_plugin_t*, const char** api, bool* isFloating) {
  if (api == nullptr || isFloating == nullptr) return false;
  *api = CLAP_WINDOW_API_X11;
  *isFloating = false;
  return true;
}

bool create(const clap_plugin_t* p, const char* api, bool isFloating) {
  return withEditor("gui create", p, [&](OrbitraneEditor& e) { return e.create(api, isFloating); });
}

void destroy(const clap_plugin_t* p) {
  withEditor("gui destroy", p, [](OrbitraneEditor& e) {
    e.destroy();
    return true;
  });
}

bool setScale(const clap_plugin_t* p, double scale) {
  return withEditor("gui set_scale", p, [&](OrbitraneEditor& e) { return e.setScale(scale); });
}

bool getSize(const clap_plugin_t* p, uint32_t* width, uint32_t* height) {
  if (width == nullptr || height == nullptr) return false;
  return withEditor("gui get_size", p, [&](OrbitraneEditor& e) {
    e.size(*width, *height);
    return true;
  });
}

bool refuse(const clap_plugin_t*) { return false; }
bool refuseHints(const clap_plugin_t*, clap_gui_resize_hints_t*) { return false; }
bool refuseAdjust(const clap_plugin_t*, uint32_t*, uint32_t*) { return false; }
bool refuseTransient(const clap_plugin_t*, const clap_window_t*) { return false; }
void ignoreTitle(const clap_plugin_t*, const char*) {}

bool setSize(const clap_plugin_t* p, uint32_t width, uint32_t height) {
  return withEditor("gui set_size", p, [&](OrbitraneEditor& e) { return e.setSize(width, height); });
}

bool setParent(const clap_plugin_t* p, const clap_window_t* window) {
  return withEditor("gui set_parent", p, [&](OrbitraneEditor& e) { return e.setParent(window); });
}

bool show(const clap_plugin_t* p) {
  return withEditor("gui show", p, [](OrbitraneEditor& e) { return e.show(); });
}

bool hide(const clap_plugin_t* p) {
  return withEditor("gui hide", p, [](OrbitraneEditor& e) { return e.hide(); });
}

void onFd(const clap_plugin_t* p, int fd, clap_posix_fd_flags_t) {
  withEditor("on_fd", p, [&](OrbitraneEditor& e) {
    e.onFd(fd);
    return true;
  });
}

const clap_plugin_gui_t kGui = {isApiSupported, getPreferredApi, create,      destroy,      setScale,
                                getSize,        refuse,          refuseHints, refuseAdjust, setSize,
                                setParent,      refuseTransient, ignoreTitle, show,         hide};

const clap_plugin_posix_fd_support_t kPosixFd = {onFd};

}  // namespace

const clap_plugin_gui_t* guiExtension() { return &kGui; }
const clap_plugin_posix_fd_support_t* posixFdExtension() { return &kPosixFd; }

}  // namespace ob::clap
