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

ob::LeftOutOfFile leftOutOf(const std::filesystem::path& file, const ob::Diagnostics& diagnostics) {
  ob::LeftOutOfFile leftOut;
  for (const ob::Diagnostic& d : diagnostics) {
    std::optional<std::string> why = ob::entryLeftOut(d);
    if (!why) continue;
    if (leftOut.count++ == 0) {
      leftOut.first = d.path.substr(1);
      leftOut.why = std::move(*why);
    }
  }
  if (leftOut.count > 0) leftOut.file = file;
  return leftOut;
}

std::string leftOutSummary(const ob::LeftOutOfFile& leftOut) {
  if (leftOut.count == 0) return {};
  const std::string because = " (" + leftOut.why + ")";
  if (leftOut.count == 1) return "left out " + leftOut.first + ", which a save does not hold" + because;
  return "left out " + std::to_string(leftOut.count) + " entries, which a save does not hold; the first " +
         leftOut.first + because;
}

std::string lacksLine(std::string_view samples, const ob::LeftOutOfFile& leftOut) {
  std::string line(samples);
  if (const std::string entries = leftOutSummary(leftOut); !entries.empty())
    line += (line.empty() ? "" : "; ") + entries;
  if (!line.empty()) line[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(line[0])));
  return line;
}

FileStatus openedStatus(const std::string& lacks, const std::filesystem::path& path) {
  return lacks.empty() ? fileStatus("Opened ", path) : fileStatus(lacks + "; opened ", path);
}

std::string saveWithoutQuestion(std::string_view fileName, const ob::LeftOutOfFile& leftOut) {
  const std::string because = " (" + leftOut.why + ")";
  const std::string file(fileName);
  if (leftOut.count == 1)
    return file + " holds " + leftOut.first + ", which was left out when it was opened" + because +
           ". Saving over it writes the file without it. To keep it, cancel and save under another name.";
  return file + " holds " + std::to_string(leftOut.count) +
         " entries that were left out when it was opened, the first " + leftOut.first + because +
         ". Saving over it writes the file without them. To keep them, cancel and save under another name.";
}

std::string savedWithout(const ob::LeftOutOfFile& leftOut) {
  if (leftOut.count == 0) return {};
  if (leftOut.count == 1) return " without " + leftOut.first;
  return " without the " + std::to_string(leftOut.count) + " entries its open left out";
}

FileStatus keptFileStatus(const std::filesystem::path& path) {
  FileStatus status = fileStatus("Kept ", path);
  status.text += " as it was: not saved";
  return status;
}

}  // namespace orbi
