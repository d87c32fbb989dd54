#include "document/instance/kept_keys.h"

#include <algorithm>
#include <set>
#include <string>
#include <string_view>

#include "document/instance/state_fields.h"
#include "document/json/json_parse.h"

namespace ob {
namespace {

using KeySet = std::set<std::string, std::less<>>;

// Calls visit(key, value) for each member kept of the object at `object`:
// kept one by one (its value maybe held as its text), or whole, with that
// object or one it is in (setJsonPointer).
template <typename Visit>
void forEachKeptMember(const std::vector<ForeignMember>& kept, const std::vector<std::string>& object,
                       Visit visit) {
  for (const ForeignMember& m : kept) {
    if (m.path.size() == object.size() + 1 && std::equal(object.begin(), object.end(), m.path.begin())) {
      visit(m.path.back(), m.value);
      continue;
    }
    if (m.path.size() > object.size() || !std::equal(m.path.begin(), m.path.end(), object.begin())) continue;
    JsonValue whole;
    std::string error;
    if (m.value.isKept() && !parseJson(m.value, wholeShape(), whole, error)) continue;
    const JsonValue* at = m.value.isKept() ? &whole : &m.value;
    for (std::size_t i = m.path.size(); i < object.size() && at != nullptr; ++i)
      at = at->isObject() ? at->find(object[i]) : nullptr;
    if (at != nullptr && at->isObject())
      for (const JsonMember& member : at->members) visit(member.key, member.value);
  }
}

void addKeptKeys(KeySet& out, const std::vector<ForeignMember>& kept,
                 const std::vector<std::string>& object) {
  forEachKeptMember(kept, object, [&out](const std::string& key, const JsonValue&) { out.insert(key); });
}

// The ids of the voices that destinations the load kept name, which no
// voice it played held: a track made after the load under one would bring
// such a destination back as played.
KeySet voicesKeptDestsName(const std::vector<ForeignMember>& kept, const JsonValue& loaded) {
  KeySet named;
  for (int i = 0; i < kMacroCount; ++i)
    forEachKeptMember(kept, macroDestsPath(i), [&named](const std::string&, const JsonValue& dest) {
      JsonValue read;
      std::string error;
      if (dest.isKept() && !parseJson(dest, wholeShape(), read, error)) return;
      const JsonValue& value = dest.isKept() ? read : dest;
      const JsonValue* voice = value.isObject() ? value.find("voice") : nullptr;
      if (voice != nullptr && voice->isString()) named.emplace(idOfKey(voice->text));
    });
  const JsonValue* state = loaded.isObject() ? loaded.find("state") : nullptr;
  const JsonValue* voices = state != nullptr && state->isObject() ? state->find("voices") : nullptr;
  if (named.empty() || voices == nullptr || !voices->isObject()) return named;
  KeySet keptVoices;
  addKeptKeys(keptVoices, kept, {"state", "voices"});
  for (const JsonMember& voice : voices->members)
    if (keptVoices.count(voice.key) == 0) named.erase(std::string(idOfKey(voice.key)));
  return named;
}

// The first of key + "-2", key + "-3", ... that `taken` lacks, the key cut
// so that each fits a field of `field` bytes (0: no field).
std::string freeKey(std::string_view key, const KeySet& taken, std::size_t field) {
  for (std::size_t n = 2;; ++n) {
    const std::string suffix = "-" + std::to_string(n);
    std::string candidate(field == 0 ? key : fixedCut(key, field - suffix.size()));
    candidate += suffix;
    if (taken.find(candidate) == taken.end()) return candidate;
  }
}

// One list of records: the id field of each record the writer writes, the
// objects it writes them into, and the ids kept records name there.
struct RecordList {
  std::vector<char*> ids;
  std::vector<std::vector<std::string>> objects;
  KeySet named;
};

void keepListOffKeptKeys(const RecordList& list, const std::vector<ForeignMember>& kept,
                         const KeysAsLoaded& keys) {
  KeySet keptKeys = list.named;
  for (const std::vector<std::string>& object : list.objects) addKeptKeys(keptKeys, kept, object);
  if (keptKeys.empty()) return;
  const auto renamed = keys.objects.find(list.objects.front());
  const std::map<std::string, std::string> none;
  const std::map<std::string, std::string>& loadedBy = renamed != keys.objects.end() ? renamed->second : none;
  KeySet taken = keptKeys;
  for (const auto& [written, loaded] : loadedBy) taken.insert(written);
  for (const char* id : list.ids) taken.insert(std::string(fixedText(id, sizeof(Track::id))));
  for (char* id : list.ids) {
    const std::string own(fixedText(id, sizeof(Track::id)));
    const auto asLoaded = loadedBy.find(own);
    if (keptKeys.count(asLoaded != loadedBy.end() ? asLoaded->second : own) == 0) continue;
    const std::string fresh = freeKey(own, taken, sizeof(Track::id));
    taken.insert(fresh);
    formatFixed(id, sizeof(Track::id), fresh);
  }
}

}  // namespace

void keepIdsOffKeptKeys(Project& project, const std::vector<ForeignMember>& kept, const KeysAsLoaded& keys,
                        const JsonValue& loaded) {
  static_assert(sizeof(Track::id) == sizeof(Sound::id) && sizeof(Track::id) == sizeof(SampleSlot::id));
  Pattern& pattern = project.patterns[0];
  RecordList voices{{}, {{"state", "voices"}}, voicesKeptDestsName(kept, loaded)};
  for (int t = 0; t < std::min<int>(pattern.numTracks, kMaxTracks); ++t)
    voices.ids.push_back(pattern.tracks[t].id);
  RecordList sounds{{}, {{"state", "sounds"}}, {}};
  for (Sound& sound : pattern.kit.sounds)
    if (sound.id[0] != '\0') sounds.ids.push_back(sound.id);
  RecordList samples{{}, {{"state", "samples"}, {"assets"}}, {}};
  for (int i = 0; i < std::min<int>(project.samples.count, kSampleSlots); ++i)
    if (project.samples.slots[i].id[0] != '\0') samples.ids.push_back(project.samples.slots[i].id);
  for (const RecordList* list : {&voices, &sounds, &samples}) keepListOffKeptKeys(*list, kept, keys);
}

void keepDestsOffKeptKeys(JsonValue& written, const std::vector<ForeignMember>& kept) {
  for (int m = 0; m < kMacroCount; ++m) {
    const std::vector<std::string> path = macroDestsPath(m);
    KeySet keptKeys;
    addKeptKeys(keptKeys, kept, path);
    JsonValue* dests = &written;
    for (const std::string& token : path)
      dests = dests != nullptr && dests->isObject() ? dests->find(token) : nullptr;
    if (keptKeys.empty() || dests == nullptr || !dests->isObject()) continue;
    KeySet taken = keptKeys;
    for (const JsonMember& dest : dests->members) taken.insert(dest.key);
    for (JsonMember& dest : dests->members) {
      if (keptKeys.count(dest.key) == 0) continue;
      dest.key = freeKey(dest.key, taken, 0);
      taken.insert(dest.key);
    }
  }
}

}  // namespace ob
