#include "document/instance/keys_as_loaded.h"

#include <algorithm>
#include <string_view>

#include "document/instance/state_fields.h"
#include "engine/model/project.h"

namespace ob {
namespace {

JsonValue* objectAt(JsonValue& document, const std::vector<std::string>& path) {
  JsonValue* at = &document;
  for (const std::string& token : path) {
    at = at->isObject() ? at->find(token) : nullptr;
    if (at == nullptr) return nullptr;
  }
  return at->isObject() ? at : nullptr;
}

bool hasDuplicate(std::vector<std::string> keys) {
  std::sort(keys.begin(), keys.end());
  return std::adjacent_find(keys.begin(), keys.end()) != keys.end();
}

void renameAsLoaded(JsonValue& object, const std::map<std::string, std::string>& loadedBy) {
  std::vector<std::string> keys;
  std::vector<bool> renamed;
  for (const JsonMember& m : object.members) {
    const auto found = loadedBy.find(m.key);
    renamed.push_back(found != loadedBy.end());
    keys.push_back(renamed.back() ? found->second : m.key);
  }
  // A member that keeps its key holds it against one that would take it.
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (!renamed[i]) continue;
    for (std::size_t j = 0; j < keys.size(); ++j)
      if (j != i && !renamed[j] && keys[j] == keys[i]) {
        keys[i] = object.members[i].key;
        renamed[i] = false;
        break;
      }
  }
  if (hasDuplicate(keys)) return;
  for (std::size_t i = 0; i < keys.size(); ++i) object.members[i].key = std::move(keys[i]);
}

}  // namespace

const std::vector<std::string>& recordsPath(Records list) {
  static const std::vector<std::string> kSounds{"state", "sounds"}, kVoices{"state", "voices"},
      kSamples{"state", "samples"};
  switch (list) {
    case Records::Sounds: return kSounds;
    case Records::Voices: return kVoices;
    case Records::Samples: break;
  }
  return kSamples;
}

void KeysAsLoaded::add(const std::vector<std::string>& object, std::string written, std::string loaded) {
  if (written != loaded) objects[object].try_emplace(std::move(written), std::move(loaded));
}

std::string_view KeysAsLoaded::keyOf(Records list, std::string_view id) const {
  const auto renamed = objects.find(recordsPath(list));
  if (renamed == objects.end()) return id;
  const auto loaded = renamed->second.find(std::string(id));
  return loaded != renamed->second.end() ? std::string_view(loaded->second) : id;
}

int KeysAsLoaded::cutFrom(Records list, const std::vector<std::string_view>& keys,
                          std::string_view cut) const {
  const auto cutFromIt = [cut](std::string_view key) { return key.starts_with(cut); };
  int found = -1;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (!cutFromIt(keys[i])) continue;
    if (found >= 0 && keys[static_cast<std::size_t>(found)] != keys[i]) return -1;
    if (found < 0) found = static_cast<int>(i);
  }
  if (found < 0) return -1;
  const auto listedKeys = listed.find(list);
  if (listedKeys != listed.end())
    for (const std::string& key : listedKeys->second)
      if (cutFromIt(key) && key != keys[static_cast<std::size_t>(found)]) return -1;
  return found;
}

const KeysAsLoaded& KeysAsLoaded::none() {
  static const KeysAsLoaded kNone;
  return kNone;
}

void keepKeysAsLoaded(JsonValue& written, const KeysAsLoaded& keys) {
  for (int m = 0; m < kMacroCount; ++m) {
    const auto loadedBy = keys.objects.find(macroDestsPath(m));
    JsonValue* dests = loadedBy != keys.objects.end() ? objectAt(written, loadedBy->first) : nullptr;
    if (dests != nullptr) renameAsLoaded(*dests, loadedBy->second);
  }
}

std::vector<std::string> macroDestsPath(int index) { return {"state", "macros", macroName(index), "dests"}; }

}  // namespace ob
