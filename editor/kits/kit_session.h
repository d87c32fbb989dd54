#pragma once
// What the kit browser knows that outlives the editor's window: the kit as
// last loaded, saved, made or opened, which tells the header whether it is
// modified; the library entry it came from, which a save of the kit's own
// file and the arrows go by; and the library folder chosen for the
// session. What its file held that this build does not read is the
// instance's (KeptDocument::kitFile). Never saved with the state. Main
// thread.

#include <filesystem>
#include <string>

namespace orbi {

struct KitSession {
  std::string baseline;  // the kit text at the latest clean state; empty before the first
  // The entry the part's kit was last loaded from or saved to: its
  // reference, and the file for a kit file; empty: none.
  std::string kitReference;
  std::filesystem::path kitFile;
  std::filesystem::path folder;  // chosen in the folder dialog; empty for none
};

}  // namespace orbi
