#include "editor/let_go_report.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "document/audition/audition_kept.h"
#include "document/json/json_opened.h"

namespace orbi {
namespace {

std::string_view fieldText(const char* field, std::size_t size) { return {field, strnlen(field, size)}; }

std::string trackName(const ob::Pattern& part, const std::string& id) {
  for (int t = 0; t < std::min<int>(part.numTracks, ob::kMaxTracks); ++t)
    if (fieldText(part.tracks[t].id, sizeof part.tracks[t].id) == id) return "track " + std::to_string(t + 1);
  return id;
}

std::string soundName(const ob::Kit& kit, const std::string& id) {
  for (const ob::Sound& sound : kit.sounds)
    if (fieldText(sound.id, sizeof sound.id) == id && sound.name[0] != '\0')
      return std::string(fieldText(sound.name, sizeof sound.name));
  return id;
}

// The tokens of a record's path past its owner's place, the member's own
// key given.
std::string within(const ob::KeptRecord& r, std::size_t from, const std::string& key) {
  if (from + 2 == r.path.size() && r.path[from] == "locks") return "lock of " + key;
  if (from + 2 == r.path.size() && r.path[from] == "rands") return "random amount of " + key;
  if (from + 1 == r.path.size() && (key == "locks" || key == "rands")) return key;
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
      return track + " step " + std::to_string(owner.index + 1) + " " + within(r, from, key);
    }
    case ob::KeptOwnerKind::Voice: return trackName(part, owner.id) + " " + within(r, from, key);
    case ob::KeptOwnerKind::Sound:
      if (r.place == ob::KeptPlace::InPlace)
        return soundName(part.kit, owner.id) + (key == "zones" ? " zones" : " value of " + key);
      return soundName(part.kit, owner.id) + " " + within(r, from, key);
    case ob::KeptOwnerKind::Macro:
      if (r.place == ob::KeptPlace::InPlace) return "macro " + std::to_string(owner.index + 1) + " name";
      if (r.path.size() == 5 && r.path[3] == "dests")
        return "macro " + std::to_string(owner.index + 1) + " destination " + key;
      return "macro " + std::to_string(owner.index + 1) + " " + within(r, from, key);
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
