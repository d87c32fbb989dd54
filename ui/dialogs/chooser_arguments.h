#pragma once
// The command lines of the chooser programs for a request.

#include <string>
#include <vector>

#include "ui/dialogs/file_dialog.h"

namespace orbi::ui {

std::vector<std::string> zenityArguments(const FileDialogRequest& request);
std::vector<std::string> kdialogArguments(const FileDialogRequest& request);

}  // namespace orbi::ui
