#pragma once
// The system's temporary folders (see ob::systemTemporaryFolders) taken
// away for as long as the scope lives, so that a private file is made in
// $TMPDIR or nowhere. Header only.

#include <utility>

#include "document/reading/private_file.h"

namespace ob::test {

struct WithoutSystemTemporaryFolders {
  std::vector<std::filesystem::path> saved = std::exchange(systemTemporaryFolders(), {});
  ~WithoutSystemTemporaryFolders() { systemTemporaryFolders() = std::move(saved); }
};

}  // namespace ob::test
