#include "ui/dialogs/chooser_outcome.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <filesystem>
#include <system_error>
#include <vector>

#include "ui/ascii.h"
#include "ui/platform/spawn.h"

namespace orbi::ui {
namespace {

std::vector<std::string> printedPaths(std::string_view output, bool multiple) {
  std::vector<std::string> paths;
  while (!output.empty()) {
    const std::size_t end = output.find('\n');
    const std::string_view line = output.substr(0, end);
    if (!line.empty()) paths.emplace_back(line);
    if (end == std::string_view::npos || (!multiple && !paths.empty())) break;
    output.remove_prefix(end + 1);
  }
  return paths;
}

FileDialogResult failed(const char* what, long code) {
  logHresult(what, code);
  return {FileDialogStatus::Failed, {}};
}

}  // namespace

std::string completedFileName(std::string_view name, std::string_view extension,
                              std::span<const std::string> family) {
  std::string ending(1, '.');
  ending.append(extension);
  std::string completed(name);
  if (endsWithIgnoringCase(name, ending)) return completed;
  for (const std::string& kin : family) {
    const std::size_t cut = kin.size() + 1;
    // A name that is nothing but the ending keeps it: there is no name
    // left to complete.
    if (completed.size() > cut && completed[completed.size() - cut] == '.' &&
        endsWithIgnoringCase(completed, kin)) {
      completed.resize(completed.size() - cut);
      break;
    }
  }
  return completed.append(ending);
}

std::filesystem::path withSavedExtension(const std::filesystem::path& path, std::string_view extension,
                                         std::span<const std::string> family) {
  const std::string name = path.filename().string();
  if (name.empty() || name == "." || name == "..") return path;
  return path.parent_path() / completedFileName(name, extension, family);
}

std::string tooLongForAFileName(const std::filesystem::path& path) {
  const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
  const long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
  const std::size_t longest = limit > 0 ? static_cast<std::size_t>(limit) : NAME_MAX;
  const std::size_t length = path.filename().native().size();
  if (length <= longest) return {};
  return "Too long for a file name: " + std::to_string(length) + " of " + std::to_string(longest) + " bytes";
}

std::string refusedSaveName(const std::filesystem::path& path) {
  if (path.filename().native().starts_with('.'))
    return "A name that starts with a dot makes a hidden file, which Open does not list";
  return tooLongForAFileName(path);
}

std::string withDefaultExtension(const FileDialogRequest& request, std::string path) {
  if (request.kind != FileDialogKind::Save || request.filters.empty() ||
      request.filters.front().patterns.empty())
    return path;
  const FileFilter& first = request.filters.front();
  return withSavedExtension(path, first.patterns.front(), first.family).string();
}

FileDialogResult chooserOutcome(const FileDialogRequest& request, ChooserExit exit, std::string_view output) {
  std::vector<std::string> paths =
      printedPaths(output, request.kind == FileDialogKind::Open && request.multiple);
  const bool chose = exit.how == ChooserExit::How::Vanished
                         ? !paths.empty()
                         : exit.how == ChooserExit::How::Exited && exit.code == 0;
  if (exit.how == ChooserExit::How::Vanished && !chose) return {FileDialogStatus::Cancelled, {}};
  if (exit.how == ChooserExit::How::Exited && exit.code == 1) return {FileDialogStatus::Cancelled, {}};
  if (!chose) return failed("showing the file dialog", exit.code);
  if (paths.empty()) return failed("reading the chosen path", EIO);
  return {FileDialogStatus::Chosen, std::move(paths)};
}

std::optional<std::string> completeSavedPath(const FileDialogRequest& request, FileDialogResult& result) {
  if (request.kind != FileDialogKind::Save || result.status != FileDialogStatus::Chosen) return std::nullopt;
  std::optional<std::string> unasked;
  for (std::string& path : result.paths) {
    std::string completed = withDefaultExtension(request, path);
    std::error_code ec;
    if (completed != path && std::filesystem::exists(completed, ec)) unasked = completed;
    path = std::move(completed);
  }
  return unasked;
}

}  // namespace orbi::ui
