#include "document/instance/keys_as_loaded.h"

#include <string_view>

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

template <typename ReadAs>
void renameAsLoaded(JsonValue* written, const JsonValue* loaded, ReadAs readAs) {
  if (written == nullptr || loaded == nullptr || !written->isObject() || !loaded->isObject()) return;
  for (JsonMember& member : written->members) {
    if (loaded->find(member.key) != nullptr) continue;
    const JsonMember* from = nullptr;
    int candidates = 0;
    for (const JsonMember& l : loaded->members)
      if (written->find(l.key) == nullptr && readAs(l, member)) {
        from = &l;
        ++candidates;
      }
    if (candidates == 1) member.key = from->key;
  }
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
