#pragma once
// The default kit library folder: the user's data folder, never the host's
// current directory.

#include <filesystem>

namespace ob {

// $XDG_DATA_HOME/Orbitrane/kits; when XDG_DATA_HOME is unset, empty or not
// absolute, ~/.local/share/Orbitrane/kits under homeFolder(). Empty when no
// home is found.
// Creates nothing.
std::filesystem::path defaultKitsFolder();

// The default folder, created with any missing parents. Never fails: a
// folder that cannot be created (or found) is reported on standard error and
// its path returned all the same.
std::filesystem::path ensureKitsFolder();

}  // namespace ob
