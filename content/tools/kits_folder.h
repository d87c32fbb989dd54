#pragma once
// The default kit library folder: the user's data folder, never the host's
// current directory. Its home folder follows the rule of the UI framework's
// file chooser (ui/platform/home_folder.h), which this layer cannot include.

#include <filesystem>

namespace ob {

// $XDG_DATA_HOME/Orbitrane/kits; when XDG_DATA_HOME is unset, empty or not
// absolute, ~/.local/share/Orbitrane/kits, the home being $HOME when it is
// absolute, else the user's password entry. Empty when no home is found.
// Creates nothing.
std::filesystem::path defaultKitsFolder();

// The default folder, created with any missing parents. Never fails: a
// folder that cannot be created (or found) is reported on standard error and
// its path returned all the same.
std::filesystem::path ensureKitsFolder();

}  // namespace ob
