#include "editor/editor_wrapper.h"

#include <cmath>
#include <cstring>

#include "editor/editor_view.h"
#include "plugin/host_log.h"
#include "ui/platform/display_scale.h"

namespace ob::clap {

namespace {

template <typename T>
const T* hostExtension(const clap_host_t* host, const char* id) {
  if (host == nullptr || host->get_extension == nullptr) return nullptr;
  return static_cast<const T*>(host->get_extension(host, id));
}

}  // namespace

OrbitraneEditor::OrbitraneEditor(const clap_host_t* host, ViewFactory viewFactory)
    : host_(host), viewFactory_(std::move(viewFactory)) {}

OrbitraneEditor::~OrbitraneEditor() {
  destroy();
  viewFactory_ = nullptr;
}

const void* OrbitraneEditor::getExtension(const char* id) {
  if (id == nullptr) return nullptr;
  if (std::strcmp(id, CLAP_EXT_GUI) == 0) return guiExtension();
  if (std::strcmp(id, CLAP_EXT_POSIX_FD_SUPPORT) == 0) return posixFdExtension();
  return nullptr;
}

bool OrbitraneEditor::onTimer(clap_id timerId) {
  if (timerId_ == CLAP_INVALID_ID || timerId != timerId_) return false;
  if (window_) window_->onTimer();
  return true;
}

void OrbitraneEditor::onFd(int fd) {
  if (!window_ || fd < 0) return;
  if (fd == fd_) window_->onFd();
  if (fd == tick_.fd() && tick_.take()) window_->onTimer();
}

bool OrbitraneEditor::isApiSupported(const char* api, bool isFloating) {
  return !isFloating && api != nullptr && std::strcmp(api, CLAP_WINDOW_API_X11) == 0;
}

bool OrbitraneEditor::create(const char* api, bool isFloating) {
  if (!isApiSupported(api, isFloating) || window_) return false;
  // Built aside first, so that a failure leaves neither behind.
  std::unique_ptr<orbi::ui::View> view = viewFactory_ ? viewFactory_(session_) : nullptr;
  if (!view) return false;
  auto window = std::make_unique<orbi::ui::EmbeddedWindow>(*view, windowOptions_);
  view_ = std::move(view);
  window_ = std::move(window);
  if (scaleSet_) window_->setScale(scale_);
  sizeWindow();
  return true;
}

void OrbitraneEditor::destroy() {
  // The host's registrations point at the window's connection: they go
  // before it closes.
  unregisterFrameDriving();
  window_.reset();
  view_.reset();
}

bool OrbitraneEditor::setScale(double scale) {
  // What the window does with the scale: a value that is not a finite
  // positive number is none at all, others are kept within 0.5..4.
  if (!std::isfinite(scale) || scale <= 0.0) return false;
  scale_ = std::clamp(scale, static_cast<double>(orbi::ui::kMinDisplayScale),
                      static_cast<double>(orbi::ui::kMaxDisplayScale));
  scaleSet_ = true;
  if (window_) {
    window_->setScale(scale_);
    sizeWindow();
  }
  return true;
}

std::uint32_t OrbitraneEditor::scaled(float base) const {
  return static_cast<std::uint32_t>(std::lround(static_cast<double>(base) * scale_));
}

void OrbitraneEditor::size(std::uint32_t& width, std::uint32_t& height) const {
  width = scaled(kBaseWidth);
  height = scaled(kBaseHeight);
}

void OrbitraneEditor::sizeWindow() { window_->setSize(scaled(kBaseWidth), scaled(kBaseHeight)); }

bool OrbitraneEditor::setSize(std::uint32_t width, std::uint32_t height) {
  std::uint32_t ownWidth = 0, ownHeight = 0;
  size(ownWidth, ownHeight);
  return window_ && width == ownWidth && height == ownHeight;
}

bool OrbitraneEditor::setParent(const clap_window_t* window) {
  if (!window_ || window == nullptr || window->api == nullptr ||
      std::strcmp(window->api, CLAP_WINDOW_API_X11) != 0)
    return false;
  // A second attach opens a new connection: the old one's descriptor goes.
  unregisterFrameDriving();
  if (!window_->attach(window->x11)) return false;
  registerFrameDriving();
  return true;
}

bool OrbitraneEditor::show() {
  if (!window_ || window_->nativeWindow() == 0) return false;
  window_->show();
  return true;
}

bool OrbitraneEditor::hide() {
  if (!window_ || window_->nativeWindow() == 0) return false;
  window_->hide();
  return true;
}

void OrbitraneEditor::registerFrameDriving() {
  hostTimer_ = hostExtension<clap_host_timer_support_t>(host_, CLAP_EXT_TIMER_SUPPORT);
  hostFd_ = hostExtension<clap_host_posix_fd_support_t>(host_, CLAP_EXT_POSIX_FD_SUPPORT);
  if (hostTimer_ != nullptr && hostTimer_->register_timer != nullptr) {
    clap_id id = CLAP_INVALID_ID;
    const auto period = static_cast<std::uint32_t>(window_->frameIntervalMs());
    timerId_ = hostTimer_->register_timer(host_, period, &id) ? id : CLAP_INVALID_ID;
  }
  const bool watchesFds = hostFd_ != nullptr && hostFd_->register_fd != nullptr;
  const int fd = window_->connectionFd();
  if (watchesFds && fd >= 0 && hostFd_->register_fd(host_, fd, CLAP_POSIX_FD_READ)) fd_ = fd;
  // Without a timer the connection alone would draw only what X asks for
  // (an expose), never the frames that follow a click.
  if (timerId_ == CLAP_INVALID_ID && watchesFds && tick_.start(window_->frameIntervalMs()) &&
      !hostFd_->register_fd(host_, tick_.fd(), CLAP_POSIX_FD_READ))
    tick_.stop();
}

void OrbitraneEditor::unregisterFrameDriving() {
  if (timerId_ != CLAP_INVALID_ID && hostTimer_ != nullptr && hostTimer_->unregister_timer != nullptr)
    hostTimer_->unregister_timer(host_, timerId_);
  timerId_ = CLAP_INVALID_ID;
  if (hostFd_ != nullptr && hostFd_->unregister_fd != nullptr) {
    if (fd_ >= 0) hostFd_->unregister_fd(host_, fd_);
    if (tick_.fd() >= 0) hostFd_->unregister_fd(host_, tick_.fd());
  }
  fd_ = -1;
  tick_.stop();
}

std::unique_ptr<PluginEditor> makeEditor(const clap_host_t* host, orbi::EngineHost& engineHost,
                                         KeptDocument& keptDocument) {
  return std::make_unique<OrbitraneEditor>(
      host, [host, &engineHost, &keptDocument](orbi::EditorSession& session) {
        return std::make_unique<orbi::EditorView>(
            engineHost, keptDocument, session,
            [host](const Diagnostics& findings) { logDiagnosticsToHost(host, findings); });
      });
}

}  // namespace ob::clap
