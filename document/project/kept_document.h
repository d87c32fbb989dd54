#pragma once
// What the last document load keeps for the next save: what of the document
// gives a save how each unchanged number was written (the numbers the load's
// rewrite has, in the objects and arrays that lead to them), its members
// that no reader applied, held as their text, and the package's archive
// entries that the load did not use, as they were stored. A load
// hands a fresh one back beside the project and pool it read; whoever holds
// that project passes it to the save. Main thread.

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "document/archive/zip_entry.h"
#include "document/foreign_member.h"
#include "document/instance/kept_records.h"
#include "document/instance/keys_as_loaded.h"
#include "document/instance/read_otherwise.h"
#include "document/json/json_value.h"

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

struct KeptDocument {
  JsonValue loadedDocument;
  // The document's audition whole, as loaded and held as its text: a save
  // reads it again, and writes it back as it was while it still plays what
  // the project plays (auditionToWrite), or else takes its spellings.
  JsonValue loadedAudition;
  // The keys of the voices the project had when it was loaded: what the
  // audition holds of any other voice, the load kept unplayed.
  std::vector<std::string> auditionVoices;
  std::vector<ForeignMember> foreignMembers;
  // The keys its records were read by, where a save writes them otherwise.
  KeysAsLoaded keysAsLoaded;
  // Where the voices and samples among them sort, which a save's own sort
  // before.
  KeptRecordOrders keptRecordOrders;
  // Values it could not use in places its rewrite fills, which a save
  // writes back as read while nothing changed them.
  std::vector<ValueReadOtherwise> valuesReadOtherwise;
  std::vector<zip::StoredEntry> keptEntries;
  // Played samples' files as the archive stored them, deflated, under the
  // names a save writes them by: held only where written whole they would
  // pass the largest archive a load reads, and copied by a save as read.
  std::vector<zip::StoredEntry> packedSampleFiles;
  // Held here, with the instance, rather than by the editor's window,
  // which a host closes and opens again; replaced by every load.
  LeftOutOfFile leftOut;
};

}  // namespace ob
