#pragma once
// What a kit's save over a file puts back of what that file holds that
// this build does not read, where the instance holds none of it: the kit
// came from a session an older build saved, which carried none, or its
// file gained it since. Read from the file the save replaces, as an open
// of it reads it; what belonged to sounds, tracks or macros the kit has
// changed since goes, as an edit of them would let it go. Main thread.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "document/project/kept_document.h"
#include "engine/model/project.h"

namespace orbi {

struct FileKeptOver {
  std::shared_ptr<const ob::KeptDocument> kept;  // null: the file holds nothing unread, or is no kit
  std::vector<std::string> gone;                 // what the kit's changes let go, by its names
};

FileKeptOver fileKeptOver(const std::filesystem::path& file, const ob::Pattern& kit);

}  // namespace orbi
