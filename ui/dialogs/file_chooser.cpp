#include "ui/dialogs/file_chooser.h"

#include <cerrno>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "ui/dialogs/chooser_arguments.h"
#include "ui/dialogs/chooser_process.h"
#include "ui/dialogs/in_editor_chooser.h"
#include "ui/platform/spawn.h"

namespace orbi::ui {
namespace {

using ArgumentsFor = std::vector<std::string> (*)(const FileDialogRequest&);

constexpr ArgumentsFor kPrograms[] = {&zenityArguments, &kdialogArguments};

// Each chooser in turn until one answers: a program that cannot start, or
// that ends with neither a choice nor its own cancel (a broken install, a
// crash), gives way to the next, so the user is never left with nothing.
// The in-editor chooser, which cannot fail, is last.
class ChooserSequence final : public FileChooser {
 public:
  ChooserSequence(UiContext& ui, FileDialogRequest request) : ui_(ui), request_(std::move(request)) {
    startNext();
  }

  std::optional<FileDialogResult> poll() override {
    for (;;) {
      std::optional<FileDialogResult> result = current_->poll();
      if (!result || result->status != FileDialogStatus::Failed || next_ > std::size(kPrograms))
        return result;
      startNext();
    }
  }

 private:
  void startNext() {
    // The failed program, if any, is reaped before the next one starts.
    current_.reset();
    while (next_ < std::size(kPrograms)) {
      SpawnedChild child = spawnProgram(kPrograms[next_++](request_), ChildOutput::Pipe, false);
      if (child.pid > 0) {
        current_ = std::make_unique<ChooserProcess>(ui_, std::move(child), request_);
        return;
      }
      // Not installed is no news; any other failure (a program or a PATH
      // entry that cannot be read, no memory) is worth a line.
      if (child.error != ENOENT) logHresult("starting the file chooser", child.error);
    }
    ++next_;  // past the programs: the in-editor chooser is the last
    current_ = std::make_unique<InEditorChooser>(ui_, request_);
  }

  UiContext& ui_;
  FileDialogRequest request_;
  std::size_t next_ = 0;  // the program to try next; past them all once the in-editor chooser shows
  std::unique_ptr<FileChooser> current_;
};

}  // namespace

std::unique_ptr<FileChooser> startFileChooser(UiContext& ui, const FileDialogRequest& request) {
  return std::make_unique<ChooserSequence>(ui, request);
}

}  // namespace orbi::ui
