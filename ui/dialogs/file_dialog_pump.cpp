#include "ui/dialogs/file_dialog_pump.h"

#include "ui/dialogs/file_dialog_queue.h"
#include "ui/platform/system_opener.h"

namespace orbi::ui {

void FileDialogPump::pump(UiContext* ui) {
  reapSystemOpeners();
  if (!ui) return;
  FileDialogQueue& queue = fileDialogQueue(*ui);
  if (!chooser_) {
    std::optional<FileDialogQueue::Pending> pending = queue.takePending();
    if (!pending) return;
    id_ = pending->id;
    chooser_ = startFileChooser(*ui, pending->request);
  }
  if (std::optional<FileDialogResult> result = chooser_->poll()) {
    chooser_.reset();
    queue.deliver(id_, std::move(*result));
  }
}

}  // namespace orbi::ui
