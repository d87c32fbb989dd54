#include "ui/dialogs/chooser_process.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "ui/dialogs/chooser_outcome.h"
#include "ui/dialogs/in_editor_chooser.h"

namespace orbi::ui {
namespace {

// More than any list of chosen paths; a chooser printing past it is cut off.
constexpr std::size_t kMaxPrinted = std::size_t{4} << 20;

ChooserExit exitOf(int status) {
  if (WIFEXITED(status)) return {ChooserExit::How::Exited, WEXITSTATUS(status)};
  return {ChooserExit::How::Signalled, WIFSIGNALED(status) ? WTERMSIG(status) : status};
}

}  // namespace

ChooserProcess::ChooserProcess(UiContext& ui, SpawnedChild child, FileDialogRequest request)
    : ui_(ui), pid_(child.pid), output_(std::move(child.output)), request_(std::move(request)) {}

ChooserProcess::~ChooserProcess() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGKILL);
  while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
  }
}

void ChooserProcess::drainOutput() {
  if (!output_) return;
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(output_.get(), buffer, sizeof buffer);
    if (n > 0) {
      if (printed_.size() < kMaxPrinted) printed_.append(buffer, static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) output_.reset();  // every writer has closed it
    return;                       // EAGAIN: nothing more for now
  }
}

std::optional<FileDialogResult> ChooserProcess::poll() {
  if (asking_) return asking_->poll();
  if (pid_ <= 0) return std::nullopt;
  drainOutput();
  int status = 0;
  const pid_t reaped = ::waitpid(pid_, &status, WNOHANG);
  if (reaped == 0 || (reaped < 0 && errno == EINTR)) return std::nullopt;
  pid_ = -1;
  // Whatever it printed is in the pipe now.
  drainOutput();
  const ChooserExit exit = reaped > 0 ? exitOf(status) : ChooserExit{ChooserExit::How::Vanished, 0};
  FileDialogResult result = chooserOutcome(request_, exit, printed_);
  const std::optional<std::string> unasked = completeSavedPath(request_, result);
  // The program takes any name; one that cannot be saved is put right in
  // the in-editor chooser, which says why.
  const bool saved = request_.kind == FileDialogKind::Save && result.status == FileDialogStatus::Chosen &&
                     !result.paths.empty();
  if (std::string refused = saved ? refusedSaveName(result.paths.front()) : std::string(); !refused.empty()) {
    asking_ = std::make_unique<InEditorChooser>(
        ui_, refusedNameSession(request_, result.paths.front(), std::move(refused)));
    return std::nullopt;
  }
  if (unasked) {
    asking_ = std::make_unique<InEditorChooser>(ui_, askToReplaceSession(request_, *unasked));
    return std::nullopt;
  }
  return result;
}

}  // namespace orbi::ui
