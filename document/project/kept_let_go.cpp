#include "document/project/kept_let_go.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string_view>

#include "document/audition/audition_groove.h"
#include "document/instance/macro_state.h"
#include "document/instance/sound_state.h"
#include "document/instance/state_fields.h"
#include "document/instance/voice_state.h"
#include "document/json/json_path.h"
#include "document/json/json_write.h"
#include "engine/model/reach.h"
#include "engine/params/param_info.h"

namespace ob {
namespace {

// The track in use of that id, or -1.
int trackOf(const Pattern& pattern, std::string_view id) {
  for (int t = 0; t < tracksInUse(pattern); ++t)
    if (fixedText(pattern.tracks[t].id) == id) return t;
  return -1;
}

// The kit sound of that id, or null.
const Sound* soundOf(const Kit& kit, std::string_view id) {
  for (const Sound& sound : kit.sounds)
    if (!id.empty() && fixedText(sound.id) == id) return &sound;
  return nullptr;
}

int machineOf(const Pattern& pattern, int track) {
  const std::uint8_t s = static_cast<std::uint8_t>(pattern.tracks[track].soundIndex);
  return s < kMaxTracks ? pattern.kit.sounds[s].machine : kMachineDrum;
}

// What a save writes of the owners records are held by, in one project,
// each owner written once: a voice's, a sound's and the macros' objects of
// the state, and the audition's grid.
class OwnersWritten {
 public:
  OwnersWritten(const Project& project, const KeysAsLoaded& keys) : project_(project), keys_(keys) {}

  // What the tokens [0, to) of the record's path lead to, within what its
  // owner writes; null where its owner writes nothing there.
  const JsonValue* at(const KeptRecord& r, std::size_t to) {
    std::size_t from = 0;
    const JsonValue* root = rootOf(r, from);
    return root != nullptr ? valueAt(*root, r.path, from, std::max(to, from)) : nullptr;
  }

 private:
  // The object the owner is written into, and the tokens that lead to it.
  const JsonValue* rootOf(const KeptRecord& r, std::size_t& from) {
    const Pattern& pattern = project_.patterns[0];
    const bool grid = isAuditionRecord(r);
    from = grid ? 3 : r.ownerEnd;
    switch (r.owner.kind) {
      case KeptOwnerKind::Voice:
        if (!grid) {
          const int t = trackOf(pattern, r.owner.id);
          if (t < 0) return nullptr;
          return &written(voices_, r.owner.id, [&] { return writeVoice(project_, t, keys_); });
        }
        [[fallthrough]];
      case KeptOwnerKind::Step:
        if (!grid_) grid_ = writeGroove(project_, project_.samples, keys_);
        return &*grid_;
      case KeptOwnerKind::Sound: {
        const Sound* sound = soundOf(pattern.kit, r.owner.id);
        if (sound == nullptr) return nullptr;
        return &written(sounds_, r.owner.id, [&] { return writeSound(*sound, project_.samples, keys_); });
      }
      case KeptOwnerKind::Macro:
        from = 2;
        if (!macros_) macros_ = writeStateMacros(project_, project_.samples, keys_);
        return &*macros_;
      case KeptOwnerKind::Document:
      case KeptOwnerKind::Sample: break;
    }
    return nullptr;
  }

  template <typename Write>
  static const JsonValue& written(std::map<std::string, JsonValue>& of, const std::string& id, Write write) {
    auto found = of.find(id);
    if (found == of.end()) found = of.emplace(id, write()).first;
    return found->second;
  }

  const Project& project_;
  const KeysAsLoaded& keys_;
  std::map<std::string, JsonValue> voices_, sounds_;  // by id
  std::optional<JsonValue> grid_, macros_;
};

bool sameText(const JsonValue* a, const JsonValue* b) {
  if (a == nullptr || b == nullptr) return a == b;
  return writeJson(*a) == writeJson(*b);
}

class Judge {
 public:
  Judge(const Project& before, const Project& after, const ReplacedOwners& replaced, const KeysAsLoaded& keys)
      : before_(before.patterns[0]),
        after_(after.patterns[0]),
        replaced_(replaced),
        wasWritten_(before, keys),
        isWritten_(after, keys) {}

  bool goes(const KeptRecord& r) {
    const KeptOwner& owner = r.owner;
    switch (owner.kind) {
      case KeptOwnerKind::Document:
      case KeptOwnerKind::Sample: return false;
      case KeptOwnerKind::Macro: return replaced_.kit || placeTaken(r);
      case KeptOwnerKind::Voice: return replaced_.kit || trackOf(after_, owner.id) < 0 || placeTaken(r);
      case KeptOwnerKind::Step: return replaced_.kit || stepGoes(owner) || placeTaken(r);
      case KeptOwnerKind::Sound: return replaced_.kit || soundGoes(r) || placeTaken(r);
    }
    return false;
  }

 private:
  bool stepGoes(const KeptOwner& owner) const {
    const int t = trackOf(after_, owner.id);
    if (t < 0) return true;
    if (owner.index >= 0) {
      if (owner.index >= kStepsPerTrack || !after_.tracks[t].steps[owner.index].active) return true;
      if (std::find(replaced_.steps.begin(), replaced_.steps.end(), std::pair{t, owner.index}) !=
          replaced_.steps.end())
        return true;
    }
    const int was = trackOf(before_, owner.id);
    if (was < 0) return false;
    return machineOf(before_, was) != machineOf(after_, t) ||
           (owner.timed && before_.tracks[was].rate != after_.tracks[t].rate);
  }

  bool soundGoes(const KeptRecord& r) const {
    const Sound* is = soundOf(after_.kit, r.owner.id);
    if (is == nullptr) return true;
    const Sound* was = soundOf(before_.kit, r.owner.id);
    return was != nullptr && was->machine != is->machine;
  }

  // Whether the edit changed what a save writes where the record stands: a
  // value read otherwise, over what is written there; a member, the
  // objects it goes into, or its key, which the owner now writes itself.
  bool placeTaken(const KeptRecord& r) {
    const std::size_t n = r.path.size();
    if (r.ownerEnd == 0 || r.place == KeptPlace::Record || r.place == KeptPlace::Element) return false;
    if (r.place == KeptPlace::InPlace) return !sameText(wasWritten_.at(r, n), isWritten_.at(r, n));
    const std::size_t anchor = std::max(r.anchor, r.ownerEnd);
    if (wasWritten_.at(r, anchor) != nullptr && isWritten_.at(r, anchor) == nullptr) return true;
    KeptRecord each = r;
    for (std::string& key : memberKeysOf(r)) {
      each.path.back() = std::move(key);
      if (wasWritten_.at(each, n) == nullptr && isWritten_.at(each, n) != nullptr) return true;
    }
    return false;
  }

  const Pattern& before_;
  const Pattern& after_;
  const ReplacedOwners& replaced_;
  OwnersWritten wasWritten_;
  OwnersWritten isWritten_;
};

}  // namespace

KeptLetGo letGoOnEdit(const SharedKeptRecords& kept, const Project& before, const Project& after,
                      const ReplacedOwners& replaced, const KeysAsLoaded& keys) {
  KeptLetGo result{kept, {}};
  if (!kept) return result;
  Judge judge(before, after, replaced, keys);
  std::vector<bool> goes;
  for (const KeptRecord& r : kept->records) goes.push_back(judge.goes(r));
  if (std::none_of(goes.begin(), goes.end(), [](bool g) { return g; })) return result;
  // Copied on letting go: the undo history holds the records as they were.
  auto held = std::make_shared<KeptRecords>();
  held->auditionAtLoad = kept->auditionAtLoad;
  held->ids = kept->ids;
  for (std::size_t i = 0; i < goes.size(); ++i)
    (goes[i] ? result.gone : held->records).push_back(kept->records[i]);
  result.kept = std::move(held);
  return result;
}

bool anyOwned(const KeptRecords& kept) {
  return std::any_of(kept.records.begin(), kept.records.end(), [](const KeptRecord& r) {
    return r.owner.kind != KeptOwnerKind::Document && r.owner.kind != KeptOwnerKind::Sample;
  });
}

}  // namespace ob
