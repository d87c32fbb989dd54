#include "editor/project_files.h"

#include "ui/dialogs/file_dialog.h"

namespace orbi {
const std::array<std::string, 3>& projectFamilyEndings() {
  static const std::array<std::string, 3> endings{"orbi", "obp", "json"};
  return endings;
}

std::filesystem::path withProjectSuffix(const std::filesystem::path& path) {
  // The save dialog completes a chosen name by the same rule, so the file
  // it asked about replacing is the one written here.
  return ui::withSavedExtension(path, kProjectExtension, projectFamilyEndings());
}

std::string fileNameOf(const std::filesystem::path& path) {
  // Linux paths are bytes: the name is taken as it is, whatever encoding.
  return path.filename().string();
}

FileStatus fileStatus(std::string_view verb, const std::filesystem::path& path, std::string_view reason) {
  FileStatus status;
  status.text = verb;
  status.name.from = status.text.size();
  status.text += fileNameOf(path);
  status.name.length = status.text.size() - status.name.from;
  if (!reason.empty()) status.text.append(": ").append(reason);
  return status;
}

}  // namespace orbi
