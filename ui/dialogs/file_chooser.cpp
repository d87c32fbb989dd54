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

using ArgumentsFor = std::vector<std::string> (*)(const FileDialogRequest&);

}  // namespace

std::unique_ptr<FileChooser> startFileChooser(UiContext& ui, const FileDialogRequest& request) {
  for (ArgumentsFor arguments : {&zenityArguments, &kdialogArguments}) {
    SpawnedChild child = spawnProgram(arguments(request), ChildOutput::Pipe, false);
    if (child.pid > 0) return std::make_unique<ChooserProcess>(ui, std::move(child), request);
    // Not installed is no news; any other failure (a program or a PATH
    // entry that cannot be read, no memory) is worth a line. Either way
    // the next one is tried, and the in-editor chooser always works.
    if (child.error != ENOENT) logHresult("starting the file chooser", child.error);
  }
  return std::make_unique<InEditorChooser>(ui, request);
}

}  // namespace orbi::ui
