#include "editor/project_files.h"

#include <cctype>

#include "document/package/package.h"
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

LeftOutEntries leftOutEntries(const ob::Diagnostics& diagnostics) {
  LeftOutEntries leftOut;
  for (const ob::Diagnostic& d : diagnostics) {
    std::optional<std::string> why = ob::entryLeftOut(d);
    if (!why) continue;
    if (leftOut.count++ == 0) {
      leftOut.first = d.path.substr(1);
      leftOut.why = std::move(*why);
    }
  }
  return leftOut;
}

std::string leftOutSummary(const LeftOutEntries& leftOut) {
  if (leftOut.count == 0) return {};
  const std::string because = " (" + leftOut.why + ")";
  if (leftOut.count == 1) return leftOut.first + " is left out, and a save will not hold it" + because;
  return std::to_string(leftOut.count) +
         " entries are left out, and a save will not hold them; the first is " + leftOut.first + because;
}

std::string saveWithoutQuestion(std::string_view fileName, const LeftOutEntries& leftOut) {
  const std::string because = " (" + leftOut.why + ")";
  const std::string file(fileName);
  if (leftOut.count == 1)
    return file + " holds " + leftOut.first + ", which was left out when it was opened" + because +
           ". Saving over it writes the file without it.";
  return file + " holds " + std::to_string(leftOut.count) +
         " entries that were left out when it was opened, the first " + leftOut.first + because +
         ". Saving over it writes the file without them.";
}

}  // namespace orbi
