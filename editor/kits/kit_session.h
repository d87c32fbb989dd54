#pragma once
// What the kit browser knows that outlives the editor's window: the kit as
// last loaded, saved, made or opened, which tells the header whether it is
// modified; the library entry it came from, which a save of the kit's own
// file and the arrows go by; what its file held that this build does not
// read; and the library folder chosen for the session. Never saved with
// the state. Main thread.

#include <filesystem>
#include <memory>
#include <string>

#include "document/project/kept_document.h"

namespace orbi {

struct KitSession {
  std::string baseline;  // the kit text at the latest clean state; empty before the first
  // The entry the part's kit was last loaded from or saved to: its
  // reference, and the file for a kit file; empty: none.
  std::string kitReference;
  std::filesystem::path kitFile;
  std::filesystem::path folder;  // chosen in the folder dialog; empty for none
  // What the file of the kit last loaded held that this build does not
  // read, which the kit's saves put back (KitLibrary::saveKitFile); null
  // for a kit that came from elsewhere (new, a project). An undo or redo
  // brings back the one that went with the kit it brings back.
  std::shared_ptr<const ob::KeptDocument> kept;
};

}  // namespace orbi
