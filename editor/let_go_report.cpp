#include "editor/let_go_report.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "document/audition/audition_kept.h"
#include "document/json/json_opened.h"
#include "editor/macros/macro_name.h"
#include "engine/model/reach.h"
#include "engine/params/param_name.h"
#include "engine/params/param_tables.h"

namespace orbi {
namespace {

std::string_view fieldText(const char* field, std::size_t size) { return {field, strnlen(field, size)}; }

std::string trackName(const ob::Pattern& part, const std::string& id) {
  for (int t = 0; t < ob::tracksInUse(part); ++t)
    if (fieldText(part.tracks[t].id, sizeof part.tracks[t].id) == id) return "track " + std::to_string(t + 1);
  return id;
}

const ob::Sound* soundOf(const ob::Kit& kit, const std::string& id) {
  for (const ob::Sound& sound : kit.sounds)
    if (fieldText(sound.id, sizeof sound.id) == id) return &sound;
  return nullptr;
}

std::string soundName(const ob::Kit& kit, const std::string& id) {
  const ob::Sound* sound = soundOf(kit, id);
  return sound != nullptr && sound->name[0] != '\0' ? std::string(fieldText(sound->name, sizeof sound->name))
                                                    : id;
}

// The sound the track of this id plays; null when none.
const ob::Sound* trackSound(const ob::Pattern& part, const std::string& id) {
  for (int t = 0; t < ob::tracksInUse(part); ++t) {
    const int sound = part.tracks[t].soundIndex;
    if (fieldText(part.tracks[t].id, sizeof part.tracks[t].id) == id && sound >= 0 && sound < ob::kMaxTracks)
      return &part.kit.sounds[sound];
  }
  return nullptr;
}

// A key as the user reads it: the name of the sound's parameter of that
// key, else the key.
std::string keyName(const ob::Sound* sound, const std::string& key) {
  const int index = sound != nullptr ? ob::findParamIndex(sound->machine, key) : -1;
  return index >= 0 ? ob::paramName(sound->machine, index) : key;
}

// The tokens of a record's path past its owner's place, the member's own
// key given, a parameter's by its name on the owner's sound.
std::string within(const ob::KeptRecord& r, std::size_t from, const std::string& key,
                   const ob::Sound* sound) {
  if (from + 2 == r.path.size() && r.path[from] == "locks") return "lock of " + keyName(sound, key);
  if (from + 2 == r.path.size() && r.path[from] == "rands") return "random amount of " + keyName(sound, key);
  if (from + 1 == r.path.size() && (key == "locks" || key == "rands")) return key;
  if (from + 2 == r.path.size() && r.path[from] == "params") {
    const std::string name = keyName(sound, key);
    return name != key ? name : "parameter " + key;
  }
  return "member " + key;
}

std::string nameOf(const ob::KeptRecord& r, const std::string& key, const ob::Pattern& part) {
  const ob::KeptOwner& owner = r.owner;
  const std::size_t from = r.ownerEnd;
  switch (owner.kind) {
    case ob::KeptOwnerKind::Step: {
      const std::string track = trackName(part, owner.id);
      if (ob::isKeptNote(r))
        return owner.index < 0 ? track + " notes off its steps"
                               : track + " step " + std::to_string(owner.index + 1) + " note";
      return track + " step " + std::to_string(owner.index + 1) + " " +
             within(r, from, key, trackSound(part, owner.id));
    }
    case ob::KeptOwnerKind::Voice:
      return trackName(part, owner.id) + " " + within(r, from, key, trackSound(part, owner.id));
    case ob::KeptOwnerKind::Sound: {
      const ob::Sound* sound = soundOf(part.kit, owner.id);
      if (r.place == ob::KeptPlace::InPlace)
        return soundName(part.kit, owner.id) +
               (key == "zones" ? " zones" : " value of " + keyName(sound, key));
      return soundName(part.kit, owner.id) + " " + within(r, from, key, sound);
    }
    case ob::KeptOwnerKind::Macro:
      if (r.place == ob::KeptPlace::InPlace) return "the whole name of " + macroName(part.kit, owner.index);
      if (r.path.size() == 5 && r.path[3] == "dests")
        return macroName(part.kit, owner.index) + " destination " + key;
      return macroName(part.kit, owner.index) + " " + within(r, from, key, nullptr);
    case ob::KeptOwnerKind::Document:
    case ob::KeptOwnerKind::Sample: break;
  }
  return "member " + key;
}

}  // namespace

std::vector<std::string> letGoNames(const std::vector<ob::KeptRecord>& gone, const ob::Project& before) {
  std::vector<std::string> names;
  const ob::Pattern& part = before.patterns[0];
  for (const ob::KeptRecord& r : gone) {
    if (r.place != ob::KeptPlace::Member && r.place != ob::KeptPlace::Record) {
      names.push_back(nameOf(r, r.path.empty() ? std::string() : r.path.back(), part));
      continue;
    }
    // A step's locks or random amounts kept whole are said one by one.
    if (r.owner.kind == ob::KeptOwnerKind::Step && r.ownerEnd + 1 == r.path.size() &&
        (r.path.back() == "locks" || r.path.back() == "rands")) {
      ob::KeptRecord each = r;
      each.path.emplace_back();
      for (const std::string& key : ob::keysOf(r.value)) names.push_back(nameOf(each, key, part));
      continue;
    }
    for (const std::string& key : ob::memberKeysOf(r)) names.push_back(nameOf(r, key, part));
  }
  return names;
}

SaidLine letGoLine(const std::vector<std::string>& names) {
  const std::string undo = names.size() == 1 ? "; undo brings it back" : "; undo brings them back";
  return sayLine("let go ", names, ", which a load kept unapplied" + undo, "kept");
}

}  // namespace orbi
