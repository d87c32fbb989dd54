#pragma once
// The default kit library folder.

#include <filesystem>

namespace ob {

// "kits" under the current directory, created with any missing parents.
// Never fails: a folder that cannot be created is reported on standard error
// and its path returned all the same.
std::filesystem::path ensureKitsFolder();

}  // namespace ob
