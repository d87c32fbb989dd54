#pragma once
// File dialogs without a nested event loop: a widget files a request under
// its id during a frame, the window starts a chooser for it after the frame,
// and the widget picks the outcome up under the same id a few frames later.
// One request at a time per window may be pending or open. Paths are UTF-8.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orbi::ui {

enum class FileDialogKind : std::uint32_t { Open, Save, Folder };

enum class FileDialogStatus : std::uint32_t { Chosen, Cancelled, Failed };

struct FileFilter {
  std::string label;                  // shown in the type list
  std::vector<std::string> patterns;  // endings without "*.", e.g. "wav" or "project.orbi"
  // Endings of the first pattern's own family, written as patterns are
  // ("orbi", an older format's "obp"): a save completed to the first
  // pattern puts it in their place. Any other ending is part of the name.
  std::vector<std::string> family = {};
};

struct FileDialogRequest {
  FileDialogKind kind = FileDialogKind::Open;
  std::string title;                // empty keeps the chooser's own title
  std::vector<FileFilter> filters;  // in the order shown; folders show none
  std::string folder;               // start folder; empty keeps the chooser's choice
  std::string fileName;             // proposed name, save only
  bool multiple = false;            // open only: several files may be chosen
};

struct FileDialogResult {
  FileDialogStatus status = FileDialogStatus::Failed;
  std::vector<std::string> paths;  // empty unless chosen
};

// Files the request under the id's Dear ImGui id in the current scope.
// False, and nothing filed, while another request is pending or open.
bool requestFileDialog(const char* id, FileDialogRequest request);

// The result filed under the id, removed so that it is returned once.
std::optional<FileDialogResult> takeFileDialogResult(const char* id);

// A request is pending or a chooser is open.
bool fileDialogBusy();

// The file name a save completes the name to, for an extension written
// without its dot, as a filter's pattern. The name is kept whole: "." and
// the extension follow it, unless it already ends so (in any case); only
// an ending of the family is replaced. So for "project.orbi" of the family
// "orbi", "obp" and "json": "Song ft. Anna" becomes
// "Song ft. Anna.project.orbi", "beat.JSON" "beat.project.orbi", and
// "SONG.PROJECT.ORBI" stays. Two names that differ in more than such an
// ending never become one file.
std::string completedFileName(std::string_view name, std::string_view extension,
                              std::span<const std::string> family = {});

// The path whose file name is completed so. A save dialog completes its
// chosen path by this rule with its first filter's first pattern and
// family, and asks about replacing the completed file.
std::filesystem::path withSavedExtension(const std::filesystem::path& path, std::string_view extension,
                                         std::span<const std::string> family = {});

// Why a save cannot take the path's file name, or empty: the name is
// longer than its folder lets a file name be ("Too long for a file name:
// 263 of 255 bytes").
std::string tooLongForAFileName(const std::filesystem::path& path);

// As tooLongForAFileName, and a save dialog refuses a name that starts
// with a dot too: the file would be hidden, and Open does not list it.
std::string refusedSaveName(const std::filesystem::path& path);

}  // namespace orbi::ui
