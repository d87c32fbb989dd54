#pragma once
// What a load kept of a document because it could not apply it, as one kind
// of record: decided at the load, from what that load could not apply, and
// held with the owner it was read with. A save places each where it was read
// (kept_placement.h) and never decides again what to keep; an edit that
// lets an owner go lets its records go with it (kept_let_go.h). The records
// are held immutable and shared, so that the undo history holds them as
// each edit found them. Main thread.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "document/instance/sorted_by_order.h"
#include "document/json/json_value.h"

namespace ob {

enum class KeptOwnerKind : std::uint8_t {
  Document,  // nothing a project holds: no edit lets it go
  Voice,     // a track, by its id at the load
  Step,      // a step of a track
  Sound,     // a kit sound, by its id at the load
  Macro,     // one of the kit's four macros
  Sample,    // a sample entry: no edit removes one
};

struct KeptOwner {
  KeptOwnerKind kind = KeptOwnerKind::Document;
  std::string id;  // of the voice, the step's voice, the sound or the sample, as the project held it
  int index = -1;  // the step 0..15, or the macro 0..3; -1 for a voice's note on no step
  // A note timed on its voice's grid: which step it would take follows the
  // voice's rate.
  bool timed = false;

  bool operator==(const KeptOwner&) const = default;
};

enum class KeptPlace : std::uint8_t {
  Member,  // a member of an object, after the member it followed
  // A record of a list a load takes in turn (voices, sounds, samples, a
  // macro's destinations): a member, for voices and destinations in the
  // list's "...Off" sibling where a load of the save would take it.
  Record,
  Element,  // elements of a list (the value lists them), after the elements the save writes
  InPlace,  // a value a load read otherwise, over what its rewrite wrote there
};

struct KeptRecord {
  KeptOwner owner;
  KeptPlace place = KeptPlace::Member;
  // Unescaped tokens from the root, keys as loaded: the member's own key
  // last; elements' list.
  std::vector<std::string> path;
  // The first `ownerEnd` tokens lead to its owner's own place, the rest lie
  // within it (kept_owner.h); none for a record of the document's.
  std::size_t ownerEnd = 0;
  // The first `anchor` tokens lead to what its owner's being in the project
  // writes. Each object below it that a save did not write is made, after
  // the member it followed: made[i] for path[anchor + i]. Empty: in front.
  std::size_t anchor = 0;
  std::vector<std::string> made;
  std::string after;        // the member the record followed; elements: the one their list did
  JsonValue value;          // as read, held as its text
  double order = kNoOrder;  // a Record of a list a load takes by "order"
  // After every member the save writes there instead (a list's records a
  // load takes up to a limit, so that a kept one never takes the place of
  // one that played).
  bool last = false;
  // A sound the load could read, had it room (so a voice naming it would
  // find it then).
  bool readable = false;
};

using KeptKeys = std::set<std::string, std::less<>>;

// Keys of the project's lists that what the load kept holds (kept records
// of them, and voices that kept notes, entries or grid voices name): a
// record made after the load is written under another (kept_keys.h).
struct KeptIds {
  KeptKeys voices;
  KeptKeys sounds;
  KeptKeys samples;
};

struct KeptRecords {
  std::vector<KeptRecord> records;  // in the order a save places them
  std::size_t auditionAtLoad = 0;   // how many of them the load kept of its audition
  KeptIds ids;
};

using SharedKeptRecords = std::shared_ptr<const KeptRecords>;

// Whether the record is one of the audition's, which its writer places.
bool isAuditionRecord(const KeptRecord& record);

// How many of the audition's the records still hold.
std::size_t auditionRecordCount(const KeptRecords& kept);

// The keys of the members a record puts back: its own, or each of a run of
// members held as their text.
std::vector<std::string> memberKeysOf(const KeptRecord& record);

// The records, or none; never null.
const KeptRecords& recordsOf(const SharedKeptRecords& kept);

}  // namespace ob
