#pragma once
// Members a load takes under one key and the state writer writes under
// another (an id cut to its field, a macro destination keyed otherwise than
// by its voice and parameter) go back under the key they were read by:
// else a save would rename them, and the loaded key, then foreign to the
// rewrite, would be kept beside them and read twice. The load says which
// member each record was read from; a member it kept unread is never one,
// so a played record never takes a kept one's key.

#include <map>
#include <string>
#include <vector>

#include "document/json/json_value.h"

namespace ob {

// Of each keyed object of a loaded document (by its path of unescaped
// tokens from the root: {"state", "voices"}, {"assets"}, a macro's
// destinations), the key each member the load took was read by, by the key
// the writer writes it under where the two differ. Held with the kept
// document from the load to every save. Main thread.
struct KeysAsLoaded {
  std::map<std::vector<std::string>, std::map<std::string, std::string>> objects;

  // Records that `written` stands for the member read as `loaded` (the
  // first such record of a key holds it).
  void add(const std::vector<std::string>& object, std::string written, std::string loaded);
};

// Renames each member of those objects in a written instance document to
// the key it was read by; a rename that would meet a key another member
// keeps is not made.
void keepKeysAsLoaded(JsonValue& written, const KeysAsLoaded& keys);

// The path of macro `index`'s destinations.
std::vector<std::string> macroDestsPath(int index);

}  // namespace ob
