#pragma once
// The user's home folder: $HOME when it is absolute, else the user's
// password entry; never the host's current directory. The kits folder lives
// under it, and the editor's file choosers start there.

#include <filesystem>

namespace ob {

// Empty when neither gives an absolute folder. Reads the environment each
// call; the password entry once.
std::filesystem::path homeFolder();

}  // namespace ob
