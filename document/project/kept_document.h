#pragma once
// What the last document load keeps for the next save: what of the document
// gives a save how each unchanged number was written (the numbers the load's
// rewrite has, in the objects and arrays that lead to them), its members
// that no reader applied, held as their text, and the package's archive
// entries that the load did not use, as they were stored. A load
// hands a fresh one back beside the project and pool it read; whoever holds
// that project passes it to the save. Main thread.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "document/archive/zip_entry.h"
#include "document/instance/keys_as_loaded.h"
#include "document/json/json_value.h"
#include "document/project/kept_record.h"

namespace ob {

// The archive entries an open of a project file left out of it (past what
// a load keeps unread), which no save holds: a save over that file asks
// first. Set by whoever opened the file; a state load has none.
struct LeftOutOfFile {
  struct Entry {
    std::string name;
    std::string why;  // in lower-case words
  };
  std::filesystem::path file;
  std::vector<Entry> entries;  // in the archive's order
};

struct KeptDocument;

// What the file of the kit last opened held that this build does not read,
// which that kit's saves put back, with the kit it was kept with. Held with
// the instance, so that a state save carries it and a restored session
// saves the kit as it was opened (kit_file_kept.h); replaced by every kit
// loaded or made, and by every load. Immutable once made: an edit that lets
// some of it go makes another.
struct KitFileKept {
  std::string reference;  // the library entry the kit was opened from
  std::string text;       // its file's document as opened, which a restored session reads again
  std::shared_ptr<const KeptDocument> kept;  // what its load kept, less what edits let go since
  // The places of the records edits let go since: a restored session lets
  // them go again.
  std::vector<std::vector<std::string>> gone;
};

struct KeptDocument {
  JsonValue loadedDocument;
  // The document's audition whole, as loaded and held as its text: a save
  // reads it again, and writes it back as it was while it still plays what
  // the project plays and holds what the load kept of it
  // (auditionToWrite), or else takes its spellings and form.
  JsonValue loadedAudition;
  // The keys of the voices the project had when it was loaded, and the
  // machine each played then.
  std::vector<std::string> auditionVoices;
  std::vector<std::uint8_t> auditionMachines;
  // Whether its load took the grid saved beside its notes rather than
  // placing them: a question of the audition alone, asked there once.
  bool auditionGridRead = false;
  // What the load kept because it could not apply it, with the owners it
  // was kept with, less what edits let go since: never null after a load.
  SharedKeptRecords records;
  // The keys its records were read by, where a save writes them otherwise.
  KeysAsLoaded keysAsLoaded;
  std::vector<zip::StoredEntry> keptEntries;
  // Played samples' files as the archive stored them, deflated, under the
  // names a save writes them by: held only where written whole they would
  // pass the largest archive a load reads, and copied by a save as read.
  std::vector<zip::StoredEntry> packedSampleFiles;
  // Held here, with the instance, rather than by the editor's window,
  // which a host closes and opens again; replaced by every load.
  LeftOutOfFile leftOut;
  // The kit's file's, when the kit came from a file that held something
  // this build does not read; null otherwise.
  std::shared_ptr<const KitFileKept> kitFile;
};

}  // namespace ob
