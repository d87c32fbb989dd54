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
  for (const ob::Diagnostic& d : diagnostics)
    if (std::optional<std::string> why = ob::entryLeftOut(d))
      leftOut.entries.push_back({d.path.substr(1), *why});
  if (!leftOut.entries.empty()) leftOut.file = file;
  return leftOut;
}

namespace {

// The entries by name, each with why where it is not the first's.
std::vector<std::string> leftOutNames(const ob::LeftOutOfFile& leftOut) {
  std::vector<std::string> names;
  for (const ob::LeftOutOfFile::Entry& entry : leftOut.entries)
    names.push_back(entry.why == leftOut.entries.front().why ? entry.name
                                                             : entry.name + " (" + entry.why + ")");
  return names;
}

std::string startingUpperCase(std::string text) {
  if (!text.empty()) text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  return text;
}

}  // namespace

SaidLine leftOutSummary(const ob::LeftOutOfFile& leftOut) {
  if (leftOut.entries.empty()) return {};
  return sayLine("left out ", leftOutNames(leftOut),
                 ", which a save does not hold (" + leftOut.entries.front().why + ")", "entries");
}

SaidLine lacksLine(std::string_view samples, const ob::LeftOutOfFile& leftOut) {
  const SaidLine entries = leftOutSummary(leftOut);
  SaidLine line{std::string(samples), {}};
  if (!samples.empty() && !entries.text.empty()) line += "; ";
  line += entries;
  line.text = startingUpperCase(std::move(line.text));
  if (!line.whole.empty()) line.whole = startingUpperCase(std::move(line.whole));
  for (SaidForm& form : line.fewer) form.text = startingUpperCase(std::move(form.text));
  return line;
}

FileStatus openedStatus(const SaidLine& lacks, const std::filesystem::path& path) {
  if (lacks.text.empty()) return fileStatus("Opened ", path);
  FileStatus status;
  static_cast<SaidLine&>(status) = lacks;
  status += "; opened ";
  const std::string name = fileNameOf(path);
  status.name = {status.text.size(), name.size()};
  status += name;
  return status;
}

std::string saveWithoutQuestion(std::string_view fileName, const ob::LeftOutOfFile& leftOut) {
  const std::string because = " (" + leftOut.entries.front().why + ")";
  const std::string file(fileName);
  if (leftOut.entries.size() == 1)
    return file + " holds " + leftOut.entries.front().name + ", which was left out when it was opened" +
           because +
           ". Saving over it writes the file without it. To keep it, cancel and save under another name.";
  return file + " holds " + std::to_string(leftOut.entries.size()) +
         " entries that were left out when it was opened: " + sayList(leftOutNames(leftOut)).brief + because +
         ". Saving over it writes the file without them. To keep them, cancel and save under another name.";
}

SaidLine savedWithout(const ob::LeftOutOfFile& leftOut) {
  std::vector<std::string> names;
  for (const ob::LeftOutOfFile::Entry& entry : leftOut.entries) names.push_back(entry.name);
  return sayLine(" without ", names, {}, "entries");
}

FileStatus keptFileStatus(const std::filesystem::path& path) {
  FileStatus status = fileStatus("Kept ", path);
  status.text += " as it was: not saved";
  return status;
}

}  // namespace orbi
