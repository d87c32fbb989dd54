#pragma once
// The window's file-dialog queue, kept in its UI context: at most one
// request pending or open, and the results not yet picked up.

#include <imgui.h>

#include <cstdint>
#include <map>
#include <optional>

#include "ui/context.h"
#include "ui/dialogs/file_dialog.h"
#include "ui/store_map.h"

namespace orbi::ui {

class FileDialogQueue {
 public:
  struct Pending {
    ImGuiID id = 0;
    FileDialogRequest request;
  };

  bool request(ImGuiID id, FileDialogRequest request);
  std::optional<FileDialogResult> take(ImGuiID id);
  bool busy() const { return pending_.has_value() || open_; }

  // For the pump: moves the pending request out and marks a chooser open.
  std::optional<Pending> takePending();
  // Clears the open mark and files the result, replacing an unread one
  // under the same id.
  void deliver(ImGuiID id, FileDialogResult result);

 private:
  std::optional<Pending> pending_;
  bool open_ = false;
  std::map<ImGuiID, FileDialogResult> results_;
};

inline constexpr std::uint32_t kFileDialogQueueKey = fourCc("FDLG");

FileDialogQueue& fileDialogQueue(UiContext& ui);

}  // namespace orbi::ui
