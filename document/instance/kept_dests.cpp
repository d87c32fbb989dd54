#include "document/instance/kept_dests.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include "document/instance/instance_shape.h"
#include "document/instance/instance_state.h"
#include "document/instance/kept_keys.h"
#include "document/instance/keys_as_loaded.h"
#include "document/instance/macro_state.h"
#include "document/instance/state_fields.h"
#include "document/json/json_parse.h"
#include "document/json/json_write.h"

namespace ob {
namespace {

// The object under `key`, built from its text where a load kept it so;
// null when there is none or it is no object.
JsonValue* objectAt(JsonValue* parent, std::string_view key) {
  JsonValue* at = parent != nullptr ? parent->find(key) : nullptr;
  std::string error;
  if (at != nullptr && at->isKept() && !parseJson(JsonValue(*at), wholeShape(), *at, error)) return nullptr;
  return at != nullptr && at->isObject() ? at : nullptr;
}

JsonValue* macroOf(JsonValue& document, int index) {
  return objectAt(objectAt(objectAt(&document, "state"), "macros"), macroName(index));
}

auto keyed(std::vector<JsonMember>& members, std::string_view key) {
  return std::find_if(members.begin(), members.end(), [key](const JsonMember& m) { return m.key == key; });
}

// Moves destination `key` of macro `index` from "dests" to "destsOff",
// made right after "dests" where there is none; false where one holds that
// key, or is no object and goes back as read.
bool moveOff(JsonValue& written, int index, const std::string& key) {
  JsonValue* macro = macroOf(written, index);
  JsonValue* dests = objectAt(macro, "dests");
  JsonValue* off = objectAt(macro, kDestsOffKey);
  if (dests == nullptr || (off == nullptr && macro->find(kDestsOffKey) != nullptr)) return false;
  const auto dest = keyed(dests->members, key);
  if (dest == dests->members.end() || (off != nullptr && off->find(key) != nullptr)) return false;
  JsonMember moved = std::move(*dest);
  dests->members.erase(dest);
  const bool emptied = dests->members.empty();
  const auto at = keyed(macro->members, "dests");
  if (off != nullptr) {
    off->members.push_back(std::move(moved));
    if (emptied) macro->members.erase(at);
    return true;
  }
  JsonValue fresh = makeJsonObject();
  fresh.members.push_back(std::move(moved));
  if (emptied)
    *at = JsonMember{kDestsOffKey, std::move(fresh)};
  else
    macro->members.insert(at + 1, JsonMember{kDestsOffKey, std::move(fresh)});
  return true;
}

void dropFromTrial(JsonValue& state, int index, const std::string& key) {
  JsonValue* macros = state.find("macros");
  JsonValue* macro = macros != nullptr ? macros->find(macroName(index)) : nullptr;
  JsonValue* dests = macro != nullptr ? macro->find("dests") : nullptr;
  if (dests != nullptr) std::erase_if(dests->members, [&key](const JsonMember& m) { return m.key == key; });
}

}  // namespace

void keepDestsOut(JsonValue& written, const std::vector<ForeignMember>& kept) {
  std::array<KeptKeys, kMacroCount> keptDests;
  bool any = false;
  for (int i = 0; i < kMacroCount; ++i) {
    keptDests[i] = keptKeysOf(kept, macroDestsPath(i));
    any = any || !keptDests[i].empty();
  }
  const JsonValue* state = written.find("state");
  if (!any || state == nullptr) return;
  // The state as a load of the save reads it, the kept text and all; each
  // destination moved off makes room for the next in its macro, so the load
  // is tried again until it applies none kept.
  JsonValue trial;
  std::string error;
  if (!parseJson("{\"state\":" + writeJson(*state) + "}", instanceDocumentShape(), trial, error)) return;
  JsonValue& trialState = *trial.find("state");
  for (bool moved = true; moved;) {
    moved = false;
    const MacroDestKeys applied = macroDestsALoadTakes(trialState);
    for (int i = 0; i < kMacroCount; ++i)
      for (const std::string& key : applied[i]) {
        if (keptDests[i].count(key) == 0 || !moveOff(written, i, key)) continue;
        dropFromTrial(trialState, i, key);
        moved = true;
      }
  }
}

}  // namespace ob
