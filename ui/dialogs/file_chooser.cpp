#include "ui/dialogs/file_chooser.h"

#include <cerrno>
#include <string>
#include <utility>
#include <vector>

#include "ui/dialogs/chooser_arguments.h"
#include "ui/dialogs/chooser_process.h"
#include "ui/dialogs/in_editor_chooser.h"
#include "ui/platform/spawn.h"

namespace orbi::ui {
namespace {

// A chooser that could not be started: it has failed by the first poll.
class FailedChooser final : public FileChooser {
 public:
  std::optional<FileDialogResult> poll() override { return FileDialogResult{FileDialogStatus::Failed, {}}; }
};

using ArgumentsFor = std::vector<std::string> (*)(const FileDialogRequest&);

}  // namespace

std::unique_ptr<FileChooser> startFileChooser(UiContext& ui, const FileDialogRequest& request) {
  for (ArgumentsFor arguments : {&zenityArguments, &kdialogArguments}) {
    SpawnedChild child = spawnProgram(arguments(request), ChildOutput::Pipe, false);
    if (child.pid > 0) return std::make_unique<ChooserProcess>(std::move(child), request);
    if (child.error == ENOENT) continue;  // not installed: the next one
    logHresult("starting the file chooser", child.error);
    return std::make_unique<FailedChooser>();
  }
  return std::make_unique<InEditorChooser>(ui, request);
}

}  // namespace orbi::ui
