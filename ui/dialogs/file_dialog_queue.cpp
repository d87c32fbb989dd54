#include "ui/dialogs/file_dialog_queue.h"

#include <utility>

#include "ui/store.h"

namespace orbi::ui {

bool FileDialogQueue::request(ImGuiID id, FileDialogRequest request) {
  if (busy()) return false;
  pending_ = Pending{id, std::move(request)};
  return true;
}

std::optional<FileDialogResult> FileDialogQueue::take(ImGuiID id) {
  const auto it = results_.find(id);
  if (it == results_.end()) return std::nullopt;
  FileDialogResult result = std::move(it->second);
  results_.erase(it);
  return result;
}

std::optional<FileDialogQueue::Pending> FileDialogQueue::takePending() {
  if (!pending_) return std::nullopt;
  std::optional<Pending> taken = std::move(pending_);
  pending_.reset();
  open_ = true;
  return taken;
}

void FileDialogQueue::deliver(ImGuiID id, FileDialogResult result) {
  open_ = false;
  results_.insert_or_assign(id, std::move(result));
}

FileDialogQueue& fileDialogQueue(UiContext& ui) { return store<FileDialogQueue>(ui, kFileDialogQueueKey); }

bool requestFileDialog(const char* id, FileDialogRequest request) {
  return fileDialogQueue(context()).request(ImGui::GetID(id), std::move(request));
}

std::optional<FileDialogResult> takeFileDialogResult(const char* id) {
  return fileDialogQueue(context()).take(ImGui::GetID(id));
}

bool fileDialogBusy() { return fileDialogQueue(context()).busy(); }

}  // namespace orbi::ui
