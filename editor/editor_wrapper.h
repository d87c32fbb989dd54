#pragma once
// The instance's editor: answers "clap.gui" and "clap.posix-fd-support" and
// opens the root view in an X11 child window of the host's window, 960 by
// 940 pixels times the host's scale, not resizable. While the window is
// attached the host drives its frames: a 16 ms timer and the window's X
// connection registered with the host. A host without timers gets a timer
// descriptor registered in the timer's place, so its frames still come.
// What one window's view knew that outlives it goes on to the next through
// the editor session the wrapper keeps. All calls come from the host's
// main thread.

#include <functional>
#include <memory>

#include "editor/editor_session.h"
#include "plugin/clap/abi.h"
#include "plugin/plugin_editor.h"
#include "ui/platform/embedded_window.h"
#include "ui/platform/tick_fd.h"
#include "ui/view.h"

namespace ob::clap {

class OrbitraneEditor : public PluginEditor {
 public:
  // Each window's view, given what the windows before it hand on.
  using ViewFactory = std::function<std::unique_ptr<orbi::ui::View>(orbi::EditorSession&)>;

  static constexpr float kBaseWidth = 960.0f;
  static constexpr float kBaseHeight = 940.0f;

  OrbitraneEditor(const clap_host_t* host, ViewFactory viewFactory);
  ~OrbitraneEditor() override;

  const void* getExtension(const char* id) override;
  bool onTimer(clap_id timerId) override;
  // The window's connection has something to read.
  void onFd(int fd);

  // The "clap.gui" calls; each false refusal leaves everything as it was.
  // The size cannot change: setSize takes only the editor's own size.
  // Showing and hiding need a parent window.
  static bool isApiSupported(const char* api, bool isFloating);
  bool create(const char* api, bool isFloating);
  void destroy();
  bool setScale(double scale);
  void size(std::uint32_t& width, std::uint32_t& height) const;
  bool setSize(std::uint32_t width, std::uint32_t height);
  bool setParent(const clap_window_t* window);
  bool show();
  bool hide();

  // For tests: the window while one exists, and the host ids in use.
  orbi::ui::EmbeddedWindow* window() const { return window_.get(); }
  orbi::ui::View* view() const { return view_.get(); }
  clap_id timerId() const { return timerId_; }
  int fd() const { return fd_; }

 private:
  std::uint32_t scaled(float base) const;
  void sizeWindow();
  // After an attach: the frame timer (the host's, else a descriptor of
  // ours) and the connection's descriptor.
  void registerFrameDriving();
  void unregisterFrameDriving();

  const clap_host_t* host_;
  ViewFactory viewFactory_;
  orbi::EditorSession session_;  // from the instance's init to its destroy, past every window
  orbi::ui::EmbeddedWindow::Options windowOptions_{false, 60};
  std::unique_ptr<orbi::ui::View> view_;
  std::unique_ptr<orbi::ui::EmbeddedWindow> window_;
  double scale_ = 1.0;
  bool scaleSet_ = false;
  const clap_host_timer_support_t* hostTimer_ = nullptr;
  const clap_host_posix_fd_support_t* hostFd_ = nullptr;
  clap_id timerId_ = CLAP_INVALID_ID;
  int fd_ = -1;            // registered with the host; -1 none
  orbi::ui::TickFd tick_;  // registered while the host gives no timer
};

// The editor factory the module hands to the plug-in: an editor whose view
// is the root view over the instance's engine host.
std::unique_ptr<PluginEditor> makeEditor(const clap_host_t* host, orbi::EngineHost& engineHost,
                                         KeptDocument& keptDocument);

// The static tables, reaching the editor through the plug-in instance.
const clap_plugin_gui_t* guiExtension();
const clap_plugin_posix_fd_support_t* posixFdExtension();

}  // namespace ob::clap
