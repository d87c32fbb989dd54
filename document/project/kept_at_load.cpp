#include "document/project/kept_at_load.h"

#include <cstdint>
#include <iterator>
#include <map>
#include <string>
#include <utility>

#include "document/instance/instance_state.h"
#include "document/instance/state_fields.h"
#include "document/json/json_opened.h"
#include "document/json/json_write.h"
#include "document/project/kept_owner.h"

namespace ob {
namespace {

using Path = std::vector<std::string>;

// The key before path[level] in the object at path[0..level), as loaded
// (`opened` holds members kept whole, opened); empty for the first, or
// where it no longer leads anywhere.
std::string keyBefore(const JsonValue& document, const std::map<Path, JsonValue>& opened, const Path& path,
                      std::size_t level) {
  const JsonValue* at = &document;
  for (std::size_t i = 0; i < level && at != nullptr; ++i) {
    at = at->isObject() ? at->find(path[i]) : nullptr;
    if (const auto found = opened.find(Path(path.begin(), path.begin() + static_cast<std::ptrdiff_t>(i) + 1));
        found != opened.end())
      at = &found->second;
  }
  std::string before;
  if (at == nullptr || !at->isObject()) return before;
  for (const JsonMember& m : at->members) {
    if (m.key == path[level]) return before;
    before = m.key;
  }
  return before;
}

// A member's text, key and all (of a run of them, the run's).
void appendMembersText(const std::string& key, const JsonValue& value, std::string& text) {
  if (value.kind == JsonKind::KeptMembers) {
    text += value.keptText();
    return;
  }
  appendJsonQuoted(key, text);
  text += ':';
  text += writeJson(value);
}

// Where a list's records sort, as read.
double orderOf(const JsonValue& value) {
  JsonValue opened;
  return openedOneLevel(value, opened) ? sortOrderOf(opened) : kNoOrder;
}

class Keeping {
 public:
  Keeping(const LoadKept& load, KeptRecords& out) : load_(load), out_(out) {
    for (const auto& [path, byKey] : load.keys.objects)
      for (const auto& [written, loaded] : byKey) idsAsLoaded_[path][loaded] = written;
  }

  // A member the rewrite lacks, where it stood; one holding a list's
  // records, or a macro's, one record each.
  void member(Path path, JsonValue value, std::string after) {
    const std::size_t n = path.size();
    const bool list = (n == 2 && path[0] == "state" && (path[1] == "samples" || path[1] == "macros")) ||
                      (n == 1 && path[0] == "assets") ||
                      (n == 3 && path[1] == "macros" && macroOfKey(path[2]) >= 0) ||
                      (n == 4 && path[1] == "macros" && macroOfKey(path[2]) >= 0 && path[3] == "dests");
    JsonValue opened;
    if (list && openedOneLevel(value, opened)) {
      const JsonValue& members = opened_[path] = std::move(opened);
      std::string before;
      for (const JsonMember& m : members.members) {
        Path at = path;
        at.push_back(m.key);
        member(std::move(at), heldAsText(m.value), before);
        before = m.key;
      }
      return;
    }
    KeptRecord r = placed(std::move(path), std::move(value), std::move(after));
    if (!extendsRun(r)) {
      closeRun();
      out_.records.push_back(std::move(r));
    }
  }

  // The members kept in a row in one object, with one owner, as one record
  // of their text: what a document holds unread costs what its text does.
  bool extendsRun(const KeptRecord& r) {
    if (out_.records.empty()) return false;
    KeptRecord& last = out_.records.back();
    const bool member = [](const KeptRecord& k) {
      return k.place == KeptPlace::Member && !k.last && k.anchor + 1 == k.path.size();
    }(last);
    if (!member || r.place != KeptPlace::Member || r.last || r.anchor + 1 != r.path.size() ||
        !(r.owner == last.owner) || r.path.size() != last.path.size() || r.after != last.path.back() ||
        !std::equal(r.path.begin(), r.path.end() - 1, last.path.begin()))
      return false;
    if (run_.empty()) appendMembersText(last.path.back(), last.value, run_);
    run_ += ',';
    appendMembersText(r.path.back(), r.value, run_);
    last.path.back() = r.path.back();
    return true;
  }
  // The record a run grew into takes the text of its members.
  void closeRun() {
    if (run_.empty()) return;
    out_.records.back().value = makeJsonKept(JsonKind::KeptMembers, std::exchange(run_, {}));
  }

  void readOtherwise(ValueReadOtherwise value) {
    KeptRecord r;
    r.place = KeptPlace::InPlace;
    r.anchor = value.path.size();
    r.path = std::move(value.path);
    own(r);
    r.value = std::move(value.loaded);
    out_.records.push_back(std::move(r));
  }

 private:
  // The record's owner where the one table places it, by the id the project
  // holds it by.
  void own(KeptRecord& r) const {
    const OwnerPlace place = ownerPlaceOf(r.path).value_or(OwnerPlace{});
    r.ownerEnd = place.end;
    if (place.kind == KeptOwnerKind::Macro) {
      r.owner = {KeptOwnerKind::Macro, {}, macroOfKey(r.path[place.key])};
    } else if (place.kind != KeptOwnerKind::Document) {
      const Path list(r.path.begin(), r.path.begin() + static_cast<std::ptrdiff_t>(place.key));
      r.owner = {place.kind, idOf(list, r.path[place.key])};
    }
  }

  // The id a record of the list read under `key` is held by in the project.
  std::string idOf(const Path& list, const std::string& key) const {
    const auto byKey = idsAsLoaded_.find(list);
    if (byKey != idsAsLoaded_.end())
      if (const auto found = byKey->second.find(key); found != byKey->second.end()) return found->second;
    return std::string(idOfKey(key));
  }

  // A record at `path` with its owner and place: lists' records and
  // macros' members where their containers stood, made again where a
  // save wrote none; any other under its parent.
  KeptRecord placed(Path path, JsonValue value, std::string after) {
    const std::size_t n = path.size();
    KeptRecord r;
    r.anchor = n - 1;
    const bool state = n >= 3 && path[0] == "state";
    if (state && n == 3 && (path[1] == "voices" || path[1] == "sounds" || path[1] == "samples")) {
      r.place = KeptPlace::Record;
      r.last = true;
      r.readable = path[1] == "sounds" && load_.readableSounds.count(path[2]) > 0;
      r.anchor = path[1] == "samples" ? 1 : 2;
      if (path[1] != "sounds") r.order = orderOf(value);
      (path[1] == "voices"   ? out_.ids.voices
       : path[1] == "sounds" ? out_.ids.sounds
                             : out_.ids.samples)
          .insert(path[2]);
    } else if (state && path[1] == "macros") {
      // A macro's members and destinations, and the macros' own, where
      // their containers stood.
      const bool macro = macroOfKey(path[2]) >= 0;
      const bool dest = macro && n == 5 && path[3] == "dests";
      if (n == 3 || (macro && n == 4) || dest) r.anchor = 1;
      if (dest) r.place = KeptPlace::Record;
    } else if (n == 2 && path[0] == "assets") {
      r.anchor = 0;
      out_.ids.samples.insert(path[1]);
    }
    r.path = std::move(path);
    own(r);
    for (std::size_t level = r.anchor; level + 1 < n; ++level)
      r.made.push_back(keyBefore(load_.loaded, opened_, r.path, level));
    r.after = std::move(after);
    r.value = std::move(value);
    return r;
  }

  const LoadKept& load_;
  KeptRecords& out_;
  std::string run_;  // the text of the members of the run the last record holds, when it grew
  std::map<Path, std::map<std::string, std::string>> idsAsLoaded_;
  std::map<Path, JsonValue> opened_;  // members kept whole, opened to be kept one by one
};

}  // namespace

KeptKeys soundsKeptReadable(const JsonValue& loaded, const JsonValue& rewritten,
                            const SampleSlotTable& samples, const KeysAsLoaded& keys) {
  KeptKeys readable;
  const JsonValue* state = loaded.find("state");
  const JsonValue* sounds = state != nullptr ? state->find("sounds") : nullptr;
  const JsonValue* written = rewritten.find("state");
  written = written != nullptr ? written->find("sounds") : nullptr;
  if (sounds == nullptr || !sounds->isObject() || written == nullptr) return readable;
  for (const JsonMember& m : sounds->members)
    if (written->find(m.key) == nullptr && soundALoadReads(m.key, m.value, samples, keys))
      readable.insert(m.key);
  return readable;
}

KeptRecords keptRecordsOf(const LoadKept& load, std::vector<ForeignMember> foreign,
                          std::vector<ValueReadOtherwise> otherwise, std::vector<KeptRecord> audition,
                          KeptIds auditionIds) {
  KeptRecords kept;
  Keeping keeping(load, kept);
  for (ForeignMember& m : foreign) keeping.member(std::move(m.path), std::move(m.value), std::move(m.after));
  keeping.closeRun();
  foreign.clear();
  foreign.shrink_to_fit();
  for (ValueReadOtherwise& value : otherwise) keeping.readOtherwise(std::move(value));
  std::move(audition.begin(), audition.end(), std::back_inserter(kept.records));
  kept.ids.voices.merge(auditionIds.voices);
  kept.ids.samples.merge(auditionIds.samples);
  kept.auditionAtLoad = auditionRecordCount(kept);
  return kept;
}

}  // namespace ob
