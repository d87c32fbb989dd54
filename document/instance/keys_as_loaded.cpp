#include "document/instance/keys_as_loaded.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "document/instance/state_fields.h"

namespace ob {
namespace {

bool readAsId(const JsonMember& loaded, const JsonMember& written) {
  return idOfKey(loaded.key) == written.key;
}

// The same voice and parameter, the voice as its id field stores it.
bool sameDestination(const JsonMember& loaded, const JsonMember& written) {
  const auto text = [](const JsonValue& dest, std::string_view key) {
    return dest.isObject() ? dest.getString(key, "\n") : std::string("\n");
  };
  return idOfKey(text(loaded.value, "voice")) == text(written.value, "voice") &&
         text(loaded.value, "param") == text(written.value, "param");
}

// Each written member takes the key of the loaded member it was read from:
// the one of its own key when that one reads as it, else the one loaded
// member left that does. A key another written member keeps is not taken.
template <typename ReadAs>
void renameAsLoaded(JsonValue* written, const JsonValue* loaded, ReadAs readAs) {
  if (written == nullptr || loaded == nullptr || !written->isObject() || !loaded->isObject()) return;
  std::vector<const JsonMember*> from(written->members.size(), nullptr);
  std::vector<bool> taken(loaded->members.size(), false);
  const auto indexOf = [&](const JsonMember& l) {
    return static_cast<std::size_t>(&l - loaded->members.data());
  };
  for (std::size_t w = 0; w < written->members.size(); ++w) {
    for (const JsonMember& l : loaded->members)
      if (l.key == written->members[w].key && readAs(l, written->members[w])) {
        from[w] = &l;
        taken[indexOf(l)] = true;
      }
  }
  for (std::size_t w = 0; w < written->members.size(); ++w) {
    if (from[w] != nullptr) continue;
    const JsonMember* only = nullptr;
    int candidates = 0;
    for (const JsonMember& l : loaded->members)
      if (!taken[indexOf(l)] && readAs(l, written->members[w])) {
        only = &l;
        ++candidates;
      }
    if (candidates != 1) continue;
    from[w] = only;
    taken[indexOf(*only)] = true;
  }
  // A member that keeps its key holds it against one that would take it;
  // renames that would still meet one another are not made.
  std::vector<std::string> keys;
  for (const JsonMember& m : written->members) keys.push_back(m.key);
  for (std::size_t w = 0; w < written->members.size(); ++w) {
    if (from[w] == nullptr || from[w]->key == written->members[w].key) continue;
    const bool held = std::any_of(written->members.begin(), written->members.end(), [&](const JsonMember& m) {
      const std::size_t i = static_cast<std::size_t>(&m - written->members.data());
      return m.key == from[w]->key && (from[i] == nullptr || from[i]->key == m.key);
    });
    if (!held) keys[w] = from[w]->key;
  }
  std::vector<std::string> sorted = keys;
  std::sort(sorted.begin(), sorted.end());
  if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) return;
  for (std::size_t w = 0; w < keys.size(); ++w) written->members[w].key = std::move(keys[w]);
}

JsonValue* memberOf(JsonValue* object, std::string_view key) { return object ? object->find(key) : nullptr; }
const JsonValue* memberOf(const JsonValue* object, std::string_view key) {
  return object ? object->find(key) : nullptr;
}

}  // namespace

void keepKeysAsLoaded(JsonValue& written, const JsonValue& loaded) {
  JsonValue* state = written.find("state");
  const JsonValue* loadedState = loaded.find("state");
  for (const char* list : {"samples", "sounds", "voices"})
    renameAsLoaded(memberOf(state, list), memberOf(loadedState, list), readAsId);
  renameAsLoaded(written.find("assets"), loaded.find("assets"), readAsId);
  JsonValue* macros = memberOf(state, "macros");
  if (macros == nullptr || !macros->isObject()) return;
  for (JsonMember& macro : macros->members)
    renameAsLoaded(macro.value.find("dests"),
                   memberOf(memberOf(memberOf(loadedState, "macros"), macro.key), "dests"), sameDestination);
}

}  // namespace ob
