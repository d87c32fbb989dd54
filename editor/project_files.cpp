#include "editor/project_files.h"

#include <cctype>

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

namespace {

// The findings that leave one sample slot silent.
bool leavesASlotSilent(const ob::Diagnostic& d) {
  for (const char* code : {"missing-asset", "asset-unreadable", "missing-factory-sample", "bad-asset-ref",
                           "sample-too-large", "samples-over-budget", "asset-overpacked"})
    if (d.code == code) return true;
  return false;
}

std::string startingLowerCase(std::string text) {
  if (!text.empty()) text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
  return text;
}

}  // namespace

std::string leftOutSamples(const ob::Diagnostics& diagnostics) {
  const ob::Diagnostic* first = nullptr;
  int count = 0;
  for (const ob::Diagnostic& d : diagnostics) {
    if (!leavesASlotSilent(d)) continue;
    if (first == nullptr) first = &d;
    ++count;
  }
  if (first == nullptr) return {};
  if (count == 1) return startingLowerCase(first->message);
  return std::to_string(count) + " samples play silent, the first: " + startingLowerCase(first->message);
}

}  // namespace orbi
