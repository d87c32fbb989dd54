#pragma once
// The chooser of last resort, for machines without a chooser program: a
// modal drawn by the root window over the editor, browsing with
// std::filesystem. Its session lives in the UI context while it is shown;
// the pump holds the other end and collects the outcome.

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/context.h"
#include "ui/dialogs/file_chooser.h"
#include "ui/store_map.h"

namespace orbi::ui {

struct ChooserEntry {
  std::string name;
  bool folder = false;
};

// The folder's sub-folders, then (unless folders only) its files whose names
// end in "." and one of the patterns (any letter case; no patterns: every
// file), each group sorted by name; names starting with a dot are left
// out. A folder that cannot be read lists nothing.
std::vector<ChooserEntry> listFolder(const std::filesystem::path& folder,
                                     const std::vector<std::string>& patterns, bool foldersOnly);

struct FileChooserSession {
  FileDialogRequest request;
  std::filesystem::path folder;
  std::vector<ChooserEntry> entries;
  std::vector<std::size_t> selection;  // indices into entries, ascending
  std::size_t filter = 0;              // the type shown
  std::string name;                    // save: the name typed
  std::string path;                    // the path field: the folder shown, or what is typed over it
  std::string replacing;               // save: the existing file awaiting confirmation
  std::string notice;                  // why the path or name last entered was refused; empty: none
  bool fromTop = false;                // the folder changed: its list starts at the top
  bool shown = false;                  // the modal was opened
  bool abandoned = false;              // the pump that asked for it is gone
  std::optional<FileDialogResult> result;
};

// What the chooser's controls do.
void openFolder(FileChooserSession& session, std::filesystem::path folder);
// Enter in the path field: a folder (relative ones from the folder shown)
// is shown; a file is the answer when opening, and the name to save under
// (asked about when it exists); anything else stays typed to be put right,
// with the notice saying why it was refused (nothing there, a pipe or a
// device, no such folder to save in, a file where a folder is wanted).
void goToPath(FileChooserSession& session);
void selectEntry(FileChooserSession& session, std::size_t index, bool extend);
// The accept button: enters a single selected folder, or answers with the
// choice; a save onto an existing file first asks to replace it, and one
// onto something that is no file (a pipe, a device), or under a name that
// cannot be saved (refusedSaveName), is refused with a notice.
void acceptChoice(FileChooserSession& session);
void confirmReplace(FileChooserSession& session);
void cancelChoice(FileChooserSession& session);

// A session for the request, listing its start folder (the home folder
// when it names none).
std::shared_ptr<FileChooserSession> newChooserSession(const FileDialogRequest& request);
// A save session that opens asking whether to replace the file at the
// path, in its folder and with its name typed.
std::shared_ptr<FileChooserSession> askToReplaceSession(const FileDialogRequest& request,
                                                        const std::filesystem::path& path);

// A save session that opens in the path's folder with its name typed and
// the notice saying why that name was refused.
std::shared_ptr<FileChooserSession> refusedNameSession(const FileDialogRequest& request,
                                                       const std::filesystem::path& path, std::string notice);

// The session shown in the window, or null.
FileChooserSession* activeFileChooser(UiContext& ui);

// Draws the chooser while a session is shown; called by the root window
// every frame, after the view.
void drawFileChooser();

// Shows the request in the window's modal until it is answered.
class InEditorChooser final : public FileChooser {
 public:
  InEditorChooser(UiContext& ui, const FileDialogRequest& request);
  InEditorChooser(UiContext& ui, std::shared_ptr<FileChooserSession> session);
  ~InEditorChooser() override;
  InEditorChooser(const InEditorChooser&) = delete;
  InEditorChooser& operator=(const InEditorChooser&) = delete;

  std::optional<FileDialogResult> poll() override;

 private:
  std::shared_ptr<FileChooserSession> session_;
};

inline constexpr std::uint32_t kFileChooserKey = fourCc("FCHS");

}  // namespace orbi::ui
