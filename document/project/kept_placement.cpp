#include "document/project/kept_placement.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "document/instance/instance_state.h"
#include "document/instance/kept_keys.h"
#include "document/instance/macro_state.h"
#include "document/instance/state_fields.h"
#include "document/json/json_elements.h"
#include "document/json/json_opened.h"
#include "document/json/json_path.h"
#include "document/json/json_write.h"
#include "document/project/foreign_members.h"

namespace ob {
namespace {

constexpr const char* kVoicesOff = "voicesOff";

// The member `key` of an object, made empty (an object, or a list) after
// the member `after` where the object lacks it; null when it is no object,
// or one held as text that does not read.
JsonValue* madeIn(JsonValue* object, const std::string& key, const std::string& after, bool list) {
  if (object == nullptr || !object->isObject()) return nullptr;
  if (object->find(key) == nullptr)
    putMember(*object, key, list ? makeJsonArray() : makeJsonObject(), after, false);
  JsonValue* at = object->find(key);
  openInPlace(*at);
  return at;
}

// Where the record goes: the object it is a member of (the list itself for
// an element), past its owner's place made where the save wrote none.
JsonValue* placeOf(JsonValue& root, const KeptRecord& r, std::size_t skip) {
  const std::size_t anchor = std::max(r.anchor, skip);
  JsonValue* at = valueAt(root, r.path, skip, anchor);
  for (std::size_t i = anchor; i + 1 < r.path.size(); ++i) {
    const std::size_t a = i - r.anchor;
    at = madeIn(at, r.path[i], a < r.made.size() ? r.made[a] : std::string(), false);
  }
  if (r.place == KeptPlace::Element) at = madeIn(at, r.path.back(), r.after, true);
  return at;
}

// The member the list a record is in followed: where the list's "...Off"
// sibling goes when the save wrote no list.
const std::string& listAfter(const KeptRecord& r) {
  static const std::string kFirst;
  const std::size_t level = r.path.size() - 2;
  return level >= r.anchor && level - r.anchor < r.made.size() ? r.made[level - r.anchor] : kFirst;
}

void placeOne(JsonValue& root, const KeptRecord& r, std::size_t skip) {
  if (r.path.size() <= skip) return;
  if (r.place == KeptPlace::InPlace) {
    if (JsonValue* at = valueAt(root, r.path, skip, r.path.size())) *at = r.value;
    return;
  }
  JsonValue* at = placeOf(root, r, skip);
  if (at == nullptr) return;
  if (r.place == KeptPlace::Element) {
    if (!at->isArray()) return;
    JsonElements elements(r.value);
    while (const JsonValue* e = elements.next()) at->elements.push_back(*e);
    return;
  }
  putMember(*at, r.path.back(), r.value, r.after, r.last);
}

// The records kept of one list of the document, in the order read.
struct KeptList {
  std::vector<std::string> path;
  std::vector<const KeptRecord*> records;

  bool is(std::initializer_list<std::string_view> list) const {
    return std::equal(path.begin(), path.end(), list.begin(), list.end());
  }
  bool isDests() const {
    return path.size() == 4 && path[0] == "state" && path[1] == "macros" && path[3] == "dests";
  }
  KeptKeys keys() const {
    KeptKeys keys;
    for (const KeptRecord* r : records) keys.insert(r->path.back());
    return keys;
  }
};

std::vector<KeptList> listsOf(const std::vector<const KeptRecord*>& records) {
  std::vector<KeptList> lists;
  for (const KeptRecord* r : records) {
    if (r->place != KeptPlace::Record || r->path.empty()) continue;
    const std::vector<std::string> list(r->path.begin(), r->path.end() - 1);
    auto at = std::find_if(lists.begin(), lists.end(), [&](const KeptList& l) { return l.path == list; });
    if (at == lists.end()) at = lists.insert(lists.end(), KeptList{list, {}});
    at->records.push_back(r);
  }
  return lists;
}

// A list read by "order": each record written numbered no higher than the
// records kept, so that it sorts before them (its place before theirs
// settles a tie).
void orderBefore(JsonValue* written, const KeptList& list) {
  double lowest = kNoOrder;
  for (const KeptRecord* r : list.records) lowest = std::min(lowest, r->order);
  if (written == nullptr || !written->isObject()) return;
  for (JsonMember& m : written->members) {
    JsonValue* order = m.value.find("order");
    // Written afresh: a loaded spelling would read back as another number.
    if (order != nullptr && order->isNumber() && order->number > lowest) *order = makeJsonDouble(lowest);
  }
}

// Each written member whose key a record kept holds goes under another.
void keysClearOfKept(JsonValue* written, const KeptKeys& kept) {
  if (written == nullptr || !written->isObject()) return;
  KeptKeys taken = kept;
  for (const JsonMember& m : written->members) taken.insert(m.key);
  for (JsonMember& m : written->members) {
    if (kept.count(m.key) == 0) continue;
    m.key = keyOfItsOwn(m.key, taken);
    taken.insert(m.key);
  }
}

// The list's "...Off" sibling in its parent, made right after the list, or
// where the list would stand; one under a key of its own where a member of
// that key is there and holds no records.
JsonValue* apartIn(JsonValue& parent, const std::string& offKey, const std::string& listKey,
                   const std::string& after) {
  const std::string& at = parent.find(listKey) != nullptr ? listKey : after;
  JsonValue* apart = madeIn(&parent, offKey, at, false);
  if (apart != nullptr && apart->isObject()) return apart;
  KeptKeys taken;
  for (const JsonMember& m : parent.members) taken.insert(m.key);
  return madeIn(&parent, keyOfItsOwn(offKey, taken), offKey, false);
}

void moveApart(JsonValue& apart, JsonMember record) {
  if (apart.find(record.key) != nullptr) {
    KeptKeys taken;
    for (const JsonMember& m : apart.members) taken.insert(m.key);
    record.key = keyOfItsOwn(record.key, taken);
  }
  apart.members.push_back(std::move(record));
}

// One ordered pass over a macro's destinations as written, theirs and
// those kept: a load applies each that resolves against the project
// written while fewer than eight are applied before it and none of them
// has its voice and param, so each kept one it would apply goes to
// "destsOff" (and counts none); a "dests" left empty goes.
void setDestsApart(JsonValue* macro, const KeptList& list, const Project& project, const KeysAsLoaded& keys) {
  JsonValue* dests = macro != nullptr && macro->isObject() ? macro->find("dests") : nullptr;
  if (dests == nullptr || !dests->isObject()) return;
  const KeptKeys kept = list.keys();
  std::vector<JsonMember> apart;
  std::vector<MacroDest> applied;
  std::erase_if(dests->members, [&](JsonMember& m) {
    JsonValue dest = m.value;
    openInPlace(dest);
    const std::optional<MacroDest> d = resolveMacroDest(dest, project.patterns[0], project.samples, keys);
    const bool repeat = d && std::any_of(applied.begin(), applied.end(), [&](const MacroDest& e) {
                          return e.track == d->track && e.param == d->param;
                        });
    if (!d || repeat || applied.size() >= static_cast<std::size_t>(kListCapacity)) return false;
    applied.push_back(*d);
    if (kept.count(m.key) == 0) return false;
    applied.pop_back();  // set apart, it counts none
    apart.push_back(std::move(m));
    return true;
  });
  if (apart.empty()) return;
  const bool emptied = dests->members.empty();
  // Made beside it: what pointed into the macro points no longer.
  JsonValue* off = apartIn(*macro, kDestsOffKey, "dests", listAfter(*list.records.front()));
  if (off == nullptr) return;
  for (JsonMember& m : apart) moveApart(*off, std::move(m));
  if (emptied) std::erase_if(macro->members, [](const JsonMember& m) { return m.key == "dests"; });
}

// The sounds a load of the document reads, in its order: those the
// project wrote, then those kept that its load could read (read so at the
// load), while the kit has room and each its own id; the ids in a kit,
// and into `keys` the keys they go by.
Kit soundsALoadReads(const JsonValue& sounds, const KeptList& kept, KeysAsLoaded& keys) {
  Kit kit;
  int loaded = 0;
  for (const JsonMember& m : sounds.members) keys.listed[Records::Sounds].push_back(m.key);
  for (const JsonMember& m : sounds.members) {
    if (loaded >= kMaxTracks) break;
    const auto record = std::find_if(kept.records.begin(), kept.records.end(),
                                     [&](const KeptRecord* r) { return r->path.back() == m.key; });
    if (record != kept.records.end() && !(*record)->readable) continue;
    if (!usableId(m.key, kit.sounds, loaded)) continue;
    formatFixed(kit.sounds[loaded].id, m.key);
    keys.add(recordsPath(Records::Sounds), std::string(fixedText(kit.sounds[loaded++].id)), m.key);
  }
  return kit;
}

// Kept voices after the written ones, each a load of the save would take,
// decided one by one as a load decides it beside the tracks and sounds it
// takes (taken ones go apart and count none), in "voicesOff" instead.
void placeVoices(JsonValue& root, const KeptList& list, const KeptList* sounds, const Project& written,
                 std::size_t skip) {
  JsonValue* state = valueAt(root, {"state"}, skip, 1);
  if (state == nullptr || !state->isObject()) return;
  const JsonValue* listed = state->find("sounds");
  Pattern loads = written.patterns[0];
  KeysAsLoaded loadsKeys;
  loads.kit = listed != nullptr && listed->isObject()
                  ? soundsALoadReads(*listed, sounds ? *sounds : KeptList{}, loadsKeys)
                  : Kit{};
  int soundsLoaded = 0;
  while (soundsLoaded < kMaxTracks && loads.kit.sounds[soundsLoaded].id[0] != '\0') ++soundsLoaded;
  JsonValue* off = nullptr;
  for (const KeptRecord* r : list.records) {
    JsonValue voice = r->value;
    openInPlace(voice);
    if (!voiceALoadTakes(r->path.back(), voice, loads, soundsLoaded, loadsKeys)) {
      placeOne(root, *r, skip);
      continue;
    }
    if (off == nullptr) off = apartIn(*state, kVoicesOff, "voices", listAfter(*r));
    if (off != nullptr) moveApart(*off, {r->path.back(), r->value});
  }
}

}  // namespace

void placeKeptRecords(JsonValue& root, const std::vector<const KeptRecord*>& records, const Project& written,
                      const KeysAsLoaded& keys, std::size_t skip) {
  const std::vector<KeptList> lists = listsOf(records);
  for (const KeptList& list : lists) {
    JsonValue* own = valueAt(root, list.path, skip, list.path.size());
    if (list.is({"state", "voices"}) || list.is({"state", "samples"})) orderBefore(own, list);
    if (list.isDests()) keysClearOfKept(own, list.keys());
  }
  for (const KeptRecord* r : records)
    if (!(r->place == KeptPlace::Record && r->path.size() == 3 && r->path[1] == "voices"))
      placeOne(root, *r, skip);
  const auto sounds = std::find_if(lists.begin(), lists.end(), [](const KeptList& l) {
    return l.is({"state", "sounds"});
  });
  for (const KeptList& list : lists) {
    if (list.isDests())
      setDestsApart(valueAt(root, list.path, skip, list.path.size() - 1), list, written, keys);
    if (list.is({"state", "voices"}))
      placeVoices(root, list, sounds != lists.end() ? &*sounds : nullptr, written, skip);
  }
}

std::vector<const KeptRecord*> documentRecords(const KeptRecords& kept) {
  std::vector<const KeptRecord*> records;
  for (const KeptRecord& r : kept.records)
    if (!isAuditionRecord(r)) records.push_back(&r);
  return records;
}

std::vector<const KeptRecord*> auditionRecords(const KeptRecords& kept) {
  std::vector<const KeptRecord*> records;
  for (const KeptRecord& r : kept.records)
    if (isAuditionRecord(r)) records.push_back(&r);
  return records;
}

}  // namespace ob
