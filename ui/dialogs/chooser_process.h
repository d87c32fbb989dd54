#pragma once
// A chooser program running beside the host. Its standard output is read
// as it comes (a long list of paths must not fill the pipe and stall it),
// and it is reaped without blocking. Destroying a chooser that still runs
// kills it and waits for it, so no child outlives its window. A saved name
// that only the default extension makes the name of an existing file, and
// one that cannot be saved (refusedSaveName), are put to the user in the
// in-editor chooser before either is the answer.

#include <sys/types.h>

#include <memory>
#include <optional>
#include <string>

#include "ui/dialogs/file_chooser.h"
#include "ui/platform/spawn.h"

namespace orbi::ui {

class ChooserProcess final : public FileChooser {
 public:
  ChooserProcess(UiContext& ui, SpawnedChild child, FileDialogRequest request);
  ~ChooserProcess() override;
  ChooserProcess(const ChooserProcess&) = delete;
  ChooserProcess& operator=(const ChooserProcess&) = delete;

  std::optional<FileDialogResult> poll() override;
  pid_t pid() const { return pid_; }

 private:
  void drainOutput();

  UiContext& ui_;
  pid_t pid_;  // -1 once reaped
  UniqueFd output_;
  std::string printed_;
  FileDialogRequest request_;
  std::unique_ptr<FileChooser> asking_;  // whether to replace, once the program chose
};

}  // namespace orbi::ui
