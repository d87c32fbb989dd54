#pragma once
// The key each record a load took was read by, where the state writer
// would key it otherwise: an id cut to its field, a macro destination keyed
// otherwise than by its voice and parameter. A record goes by that key in
// every document made of the project: the writers write it under that key
// and every reference to it as that key, and a reader finds it by that key
// alone, so that a long id and a reference to it meet on a load and a save
// alike, and a reference to a record the load kept unread finds no other.
// The load says which member each record was read from; a member it kept
// unread is never one, so a played record never takes a kept one's key.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "document/instance/state_fields.h"
#include "document/json/json_value.h"

namespace ob {

// The lists of records a document keys by id, which references name.
enum class Records : std::uint8_t { Sounds, Voices, Samples };

// The path of the object each list is written into.
const std::vector<std::string>& recordsPath(Records list);

// Of each keyed object of a loaded document (by its path of unescaped
// tokens from the root: a list of records, a macro's destinations), the
// key each member the load took was read by, by the key the writer would
// write it under (a record's id) where the two differ. Held with the kept
// document from the load to every save. Main thread.
struct KeysAsLoaded {
  std::map<std::vector<std::string>, std::map<std::string, std::string>> objects;
  // The key of every member of each list of the document read, records it
  // took and kept alike: a reference an older build cut to an id's field
  // finds a record only where no other key could be what it was cut from.
  std::map<Records, std::vector<std::string>> listed;

  // Records that `written` stands for the member read as `loaded` (the
  // first such record of a key holds it).
  void add(const std::vector<std::string>& object, std::string written, std::string loaded);

  // The key a record of `list` whose id is `id` goes by: the one it was
  // loaded by, else its id.
  std::string_view keyOf(Records list, std::string_view id) const;

  // Of `count` records, the first whose key is `reference`; -1 when none.
  // A record without an id has no key. A reference as long as an id's field
  // holds that finds none (an older build wrote its references cut there)
  // finds the one record whose key begins with it, where no other key of
  // the list does.
  template <typename Record>
  int find(Records list, const Record* records, int count, std::string_view reference) const {
    for (int i = 0; i < count; ++i)
      if (const std::string_view id = fixedText(records[i].id); !id.empty() && keyOf(list, id) == reference)
        return i;
    if (reference.size() + 1 != sizeof records->id) return -1;
    std::vector<std::string_view> keys;
    for (int i = 0; i < count; ++i)
      keys.push_back(records[i].id[0] != '\0' ? keyOf(list, fixedText(records[i].id)) : std::string_view());
    return cutFrom(list, keys, reference);
  }

  // The keys of a project no load made: each record's id.
  static const KeysAsLoaded& none();

 private:
  // The index of the one key of `keys` that `cut` was cut from, where no
  // other key of the list could have been: -1 otherwise.
  int cutFrom(Records list, const std::vector<std::string_view>& keys, std::string_view cut) const;
};

// Renames each macro destination of a written instance document to the
// key it was read by (records are written under theirs); a rename that
// would meet a key another member keeps is not made.
void keepKeysAsLoaded(JsonValue& written, const KeysAsLoaded& keys);

// The path of macro `index`'s destinations.
std::vector<std::string> macroDestsPath(int index);

}  // namespace ob
