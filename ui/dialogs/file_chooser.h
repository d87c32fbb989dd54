#pragma once
// What shows a file dialog on this platform: a chooser program (zenity, then
// kdialog) running beside the host, or, when neither is installed or works,
// the in-editor chooser drawn by the root window. Neither blocks: the pump asks
// a running chooser after every frame whether it has finished.

#include <memory>
#include <optional>

#include "ui/context.h"
#include "ui/dialogs/file_dialog.h"

namespace orbi::ui {

class FileChooser {
 public:
  virtual ~FileChooser() = default;
  // The outcome once the chooser has finished; none while it runs.
  // Returns it once.
  virtual std::optional<FileDialogResult> poll() = 0;
};

// Shows the request in the first chooser that answers it: zenity, kdialog,
// and last the in-editor chooser. A program counts when it chose (exit 0
// with a path) or cancelled (its exit 1); one that cannot start or ends in
// any other way is logged and the next is shown.
std::unique_ptr<FileChooser> startFileChooser(UiContext& ui, const FileDialogRequest& request);

}  // namespace orbi::ui
