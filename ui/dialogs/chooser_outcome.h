#pragma once
// Reading what a chooser program reported: its exit and the paths it
// printed, one a line.

#include <optional>
#include <string>
#include <string_view>

#include "ui/dialogs/file_dialog.h"

namespace orbi::ui {

struct ChooserExit {
  enum class How {
    Exited,     // code is the exit status
    Signalled,  // code is the signal
    Vanished,   // reaped by someone else (the host ignores SIGCHLD): the exit is unknown
  };
  How how = How::Exited;
  int code = 0;
};

// Exit 0 with a path is chosen, 1 cancelled, anything else failed (logged);
// an exit of 0 without a path fails as unreadable. A vanished chooser chose
// what it printed, or cancelled when it printed nothing. A single-file
// request keeps the first path only. Paths are as printed.
FileDialogResult chooserOutcome(const FileDialogRequest& request, ChooserExit exit, std::string_view output);

// A save request's path completed to its first filter's first pattern by
// withSavedExtension; other paths are returned as they are.
std::string withDefaultExtension(const FileDialogRequest& request, std::string path);

// Completes a chosen save's path to its default extension. A chooser program
// asks about replacing the name as typed, so a path that the completion
// changes into the name of a file that exists has been asked about by
// nobody: it is returned for the in-editor chooser to ask.
std::optional<std::string> completeSavedPath(const FileDialogRequest& request, FileDialogResult& result);

}  // namespace orbi::ui
