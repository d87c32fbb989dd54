#pragma once
// The user's home folder, by the rule the kits folder follows too: $HOME
// when it is absolute, else the user's password entry; never the host's
// current directory.

#include <filesystem>

namespace orbi::ui {

// Empty when neither gives an absolute folder.
std::filesystem::path homeFolder();

}  // namespace orbi::ui
