#include <algorithm>
#include <string_view>
#include <system_error>
#include <utility>

#include "ui/ascii.h"
#include "ui/dialogs/chooser_outcome.h"
#include "ui/dialogs/in_editor_chooser.h"

namespace orbi::ui {
namespace {

namespace fs = std::filesystem;

bool matches(std::string_view name, const std::vector<std::string>& patterns) {
  if (patterns.empty()) return true;
  return std::any_of(patterns.begin(), patterns.end(),
                     [&](const std::string& p) { return endsWithIgnoringCase(name, "." + p); });
}

// Absolute, without a trailing separator (except the root itself).
fs::path tidy(const fs::path& folder) {
  std::error_code ec;
  fs::path p = fs::absolute(folder, ec);
  if (ec) p = folder;
  p = p.lexically_normal();
  if (!p.has_filename() && p.has_relative_path()) p = p.parent_path();
  return p;
}

// The request's folder (the editor asks for the user's home when it has no
// better place); the host's current directory only when none is given.
fs::path startFolder(const FileDialogRequest& request) {
  if (!request.folder.empty()) return request.folder;
  std::error_code ec;
  fs::path here = fs::current_path(ec);
  return ec ? fs::path("/") : here;
}

const std::vector<std::string>& shownPatterns(const FileChooserSession& s) {
  static const std::vector<std::string> none;
  return s.filter < s.request.filters.size() ? s.request.filters[s.filter].patterns : none;
}

void answer(FileChooserSession& s, FileDialogStatus status, std::vector<std::string> paths = {}) {
  s.result = FileDialogResult{status, std::move(paths)};
}

// Why the path, which is no folder, cannot be taken as a file.
std::string notAFile(const fs::path& path, fs::file_status status, const std::error_code& ec) {
  const std::string p = path.string();
  switch (status.type()) {
    case fs::file_type::not_found: return p + " does not exist";
    case fs::file_type::fifo: return p + " is a pipe, not a file";
    case fs::file_type::block:
    case fs::file_type::character: return p + " is a device, not a file";
    case fs::file_type::socket: return p + " is a socket, not a file";
    default: break;
  }
  return "Cannot use " + p + (ec ? ": " + ec.message() : std::string());
}

void acceptSave(FileChooserSession& s) {
  if (s.name.empty()) return;
  const fs::path typed = s.folder / s.name;
  std::error_code ec;
  if (fs::is_directory(typed, ec)) {
    s.name.clear();
    openFolder(s, typed);
    return;
  }
  // What the save writes: asked about, refused or taken as it is.
  const fs::path path = withDefaultExtension(s.request, typed.string());
  if (std::string refused = refusedSaveName(path); !refused.empty()) {
    s.notice = std::move(refused);
    return;
  }
  const fs::file_status status = fs::status(path, ec);
  if (fs::is_directory(status)) {
    s.name.clear();
    openFolder(s, path);
  } else if (fs::is_regular_file(status)) {
    s.replacing = path.string();
  } else if (status.type() == fs::file_type::not_found) {
    answer(s, FileDialogStatus::Chosen, {path.string()});
  } else {
    s.notice = notAFile(path, status, ec);
  }
}

}  // namespace

std::vector<ChooserEntry> listFolder(const fs::path& folder, const std::vector<std::string>& patterns,
                                     bool foldersOnly) {
  std::vector<ChooserEntry> folders, files;
  std::error_code ec;
  fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
  for (const fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (name.empty() || name.front() == '.') continue;
    std::error_code statusError;
    if (it->is_directory(statusError))
      folders.push_back({std::move(name), true});
    else if (!foldersOnly && matches(name, patterns))
      files.push_back({std::move(name), false});
  }
  if (ec) return {};
  const auto byName = [](const ChooserEntry& a, const ChooserEntry& b) { return a.name < b.name; };
  std::sort(folders.begin(), folders.end(), byName);
  std::sort(files.begin(), files.end(), byName);
  folders.insert(folders.end(), std::make_move_iterator(files.begin()), std::make_move_iterator(files.end()));
  return folders;
}

void openFolder(FileChooserSession& s, fs::path folder) {
  s.folder = tidy(folder);
  s.entries = listFolder(s.folder, shownPatterns(s), s.request.kind == FileDialogKind::Folder);
  s.selection.clear();
  s.replacing.clear();
  s.notice.clear();
  s.path = s.folder.string();
  s.fromTop = true;
}

void goToPath(FileChooserSession& s) {
  if (s.result || s.path.empty()) return;
  s.notice.clear();
  const fs::path typed = tidy(s.folder / fs::path(s.path));  // an absolute path replaces the folder
  std::error_code ec;
  const fs::file_status status = fs::status(typed, ec);
  if (fs::is_directory(status)) {
    openFolder(s, typed);
    return;
  }
  switch (s.request.kind) {
    case FileDialogKind::Open:
      if (fs::is_regular_file(status))
        answer(s, FileDialogStatus::Chosen, {typed.string()});
      else
        s.notice = notAFile(typed, status, ec);
      break;
    case FileDialogKind::Save: {
      const fs::path folder = typed.parent_path();
      if (!fs::is_directory(folder, ec)) {
        s.notice = "The folder " + folder.string() + " does not exist";
        break;
      }
      openFolder(s, folder);
      s.name = typed.filename().string();
      acceptSave(s);
      break;
    }
    case FileDialogKind::Folder:
      s.notice = fs::exists(status) ? typed.string() + " is not a folder" : notAFile(typed, status, ec);
      break;
  }
}

void selectEntry(FileChooserSession& s, std::size_t index, bool extend) {
  if (index >= s.entries.size()) return;
  const bool several = extend && s.request.kind == FileDialogKind::Open && s.request.multiple;
  if (!several) {
    s.selection = {index};
  } else if (auto at = std::lower_bound(s.selection.begin(), s.selection.end(), index);
             at != s.selection.end() && *at == index) {
    s.selection.erase(at);
  } else {
    s.selection.insert(at, index);
  }
  if (s.request.kind == FileDialogKind::Save && !s.entries[index].folder) s.name = s.entries[index].name;
}

void acceptChoice(FileChooserSession& s) {
  if (s.result) return;
  s.notice.clear();
  if (s.selection.size() == 1 && s.entries[s.selection.front()].folder &&
      s.request.kind != FileDialogKind::Folder) {
    openFolder(s, s.folder / s.entries[s.selection.front()].name);
    return;
  }
  switch (s.request.kind) {
    case FileDialogKind::Save: acceptSave(s); break;
    case FileDialogKind::Folder: {
      const fs::path chosen = s.selection.empty() ? s.folder : s.folder / s.entries[s.selection.front()].name;
      answer(s, FileDialogStatus::Chosen, {chosen.string()});
      break;
    }
    case FileDialogKind::Open: {
      std::vector<std::string> paths;
      for (std::size_t i : s.selection)
        if (!s.entries[i].folder) paths.push_back((s.folder / s.entries[i].name).string());
      if (!paths.empty()) answer(s, FileDialogStatus::Chosen, std::move(paths));
      break;
    }
  }
}

void confirmReplace(FileChooserSession& s) {
  if (s.replacing.empty() || s.result) return;
  answer(s, FileDialogStatus::Chosen, {std::exchange(s.replacing, {})});
}

void cancelChoice(FileChooserSession& s) {
  if (!s.result) answer(s, FileDialogStatus::Cancelled);
}

std::shared_ptr<FileChooserSession> newChooserSession(const FileDialogRequest& request) {
  auto session = std::make_shared<FileChooserSession>();
  session->request = request;
  if (request.kind == FileDialogKind::Save) session->name = request.fileName;
  openFolder(*session, startFolder(request));
  return session;
}

std::shared_ptr<FileChooserSession> askToReplaceSession(const FileDialogRequest& request,
                                                        const fs::path& path) {
  auto session = std::make_shared<FileChooserSession>();
  session->request = request;
  openFolder(*session, path.parent_path());
  session->name = path.filename().string();
  session->replacing = path.string();
  return session;
}

std::shared_ptr<FileChooserSession> refusedNameSession(const FileDialogRequest& request, const fs::path& path,
                                                       std::string notice) {
  auto session = std::make_shared<FileChooserSession>();
  session->request = request;
  openFolder(*session, path.parent_path());
  session->name = path.filename().string();
  session->notice = std::move(notice);
  return session;
}

}  // namespace orbi::ui
