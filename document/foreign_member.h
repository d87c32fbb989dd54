#pragma once
// A member of a loaded document that the rewrite of the project just read
// does not produce; kept so the next save can put it back where it stood.

#include <string>
#include <vector>

#include "document/json/json_value.h"

namespace ob {

struct ForeignMember {
  // Unescaped JSON-pointer tokens from the document root; the last token is
  // the member's own key, array positions are decimal indices.
  std::vector<std::string> path;
  // Deep copy of the member's value.
  JsonValue value;
  // Key of the member directly before it in the same object; empty when it
  // was the first member.
  std::string after;
  // Goes back after every member of its object instead, as a record a load
  // kept unloaded does (kept_placement.h).
  bool last = false;
};

}  // namespace ob
