#include "document/project/foreign_members.h"

#include <utility>

#include "document/json/json_parse.h"
#include "document/json/json_write.h"

namespace ob {

void collectForeignMembers(std::vector<ForeignMember>& out, JsonValue& loaded, const JsonValue& rewritten,
                           std::vector<std::string>& path) {
  if (loaded.isObject() && rewritten.isObject()) {
    const std::string* previous = nullptr;
    for (JsonMember& m : loaded.members) {
      path.push_back(m.key);
      if (const JsonValue* other = rewritten.find(m.key)) {
        collectForeignMembers(out, m.value, *other, path);
      } else {
        // Held as its text from here on, as the members no reader looked at are.
        out.push_back({path, heldAsText(std::exchange(m.value, JsonValue{})),
                       previous != nullptr ? *previous : std::string()});
      }
      path.pop_back();
      previous = &m.key;
    }
    return;
  }
  if (loaded.isArray() && rewritten.isArray() && !loaded.elements.empty() &&
      loaded.elements.size() == rewritten.elements.size()) {
    for (std::size_t i = 0; i < loaded.elements.size(); ++i) {
      path.push_back(formatUnsigned(i));
      collectForeignMembers(out, loaded.elements[i], rewritten.elements[i], path);
      path.pop_back();
    }
  }
}

namespace {

// An object kept whole, where the rewrite wrote none, into the one a save
// wrote there since: what the save wrote wins, and each member kept that it
// lacks follows its own, as a kept record follows the written ones.
void mergeKept(JsonValue& written, const JsonValue& kept) {
  JsonValue read;
  std::string error;
  const JsonValue* from = &kept;
  if (kept.isKept()) {
    if (!parseJson(kept, wholeShape(), read, error)) return;
    from = &read;
  }
  if (!written.isObject() || !from->isObject()) return;
  for (const JsonMember& m : from->members) {
    if (JsonValue* own = written.find(m.key))
      mergeKept(*own, m.value);
    else
      written.members.push_back(m);
  }
}

}  // namespace

bool putMember(JsonValue& object, const std::string& key, const JsonValue& value, const std::string& after,
               bool last) {
  if (!object.isObject()) return false;
  if (JsonValue* written = object.find(key)) {
    mergeKept(*written, value);
    return true;
  }
  std::vector<JsonMember>& members = object.members;
  auto where = members.end();
  if (!last && after.empty()) {
    where = members.begin();
  } else if (!last) {
    for (auto it = members.begin(); it != members.end(); ++it) {
      if (it->key == after) {
        where = it + 1;
        break;
      }
    }
  }
  members.insert(where, JsonMember{key, value});
  return true;
}

}  // namespace ob
