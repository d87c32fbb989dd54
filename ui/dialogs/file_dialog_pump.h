#pragma once
// The window's side of the file-dialog queue, run after every drawn frame:
// it starts a chooser for a request that is pending and otherwise asks the
// running chooser whether it has finished, delivering the outcome under the
// request's id. Destroying the pump ends a chooser still running and drops
// its outcome, so nothing reaches a window that has gone.

#include <imgui.h>

#include <memory>

#include "ui/context.h"
#include "ui/dialogs/file_chooser.h"

namespace orbi::ui {

class FileDialogPump {
 public:
  // Without a UI context nothing happens. Also reaps the system opener's
  // finished children.
  void pump(UiContext* ui);
  bool choosing() const { return chooser_ != nullptr; }

 private:
  std::unique_ptr<FileChooser> chooser_;
  ImGuiID id_ = 0;  // the request the chooser answers
};

}  // namespace orbi::ui
