#include "document/project/kept_let_go.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "document/instance/state_fields.h"
#include "engine/params/param_info.h"
#include "engine/params/param_tables.h"

namespace ob {
namespace {

// The track in use of that id, or -1.
int trackOf(const Pattern& pattern, std::string_view id) {
  for (int t = 0; t < std::min<int>(pattern.numTracks, kMaxTracks); ++t)
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

bool sameZones(const Sound& a, const Sound& b) {
  return a.zoneCount == b.zoneCount && a.mode == b.mode && std::memcmp(a.slot, b.slot, sizeof a.slot) == 0 &&
         std::memcmp(a.velMax, b.velMax, sizeof a.velMax) == 0;
}

// Whether the user set the sound's value a record read otherwise stands in
// place of.
bool setSince(const KeptRecord& r, const Sound& before, const Sound& after) {
  if (r.path.size() == 5 && r.path[3] == "params") {
    const int index = findParamIndex(before.machine, r.path[4]);
    return index >= 0 && index < kSoundParamSlots &&
           std::memcmp(&before.params[index], &after.params[index], sizeof(float)) != 0;
  }
  return !sameZones(before, after);
}

class Judge {
 public:
  Judge(const Project& before, const Project& after, const ReplacedOwners& replaced)
      : before_(before.patterns[0]), after_(after.patterns[0]), replaced_(replaced) {}

  bool goes(const KeptRecord& r) const {
    const KeptOwner& owner = r.owner;
    switch (owner.kind) {
      case KeptOwnerKind::Document:
      case KeptOwnerKind::Sample: return false;
      case KeptOwnerKind::Macro:
        return replaced_.kit || (r.place == KeptPlace::InPlace && renamed(owner.index));
      case KeptOwnerKind::Voice: return replaced_.kit || trackOf(after_, owner.id) < 0;
      case KeptOwnerKind::Step: return replaced_.kit || stepGoes(owner);
      case KeptOwnerKind::Sound: return replaced_.kit || soundGoes(r);
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

  // Whether the user named the macro since: a name read otherwise stood in
  // its place.
  bool renamed(int macro) const {
    return macro >= 0 && macro < kMacroCount &&
           std::memcmp(before_.kit.macros[macro].name, after_.kit.macros[macro].name,
                       sizeof before_.kit.macros[macro].name) != 0;
  }

  bool soundGoes(const KeptRecord& r) const {
    const Sound* is = soundOf(after_.kit, r.owner.id);
    if (is == nullptr) return true;
    const Sound* was = soundOf(before_.kit, r.owner.id);
    if (was == nullptr) return false;
    return was->machine != is->machine || (r.place == KeptPlace::InPlace && setSince(r, *was, *is));
  }

  const Pattern& before_;
  const Pattern& after_;
  const ReplacedOwners& replaced_;
};

}  // namespace

KeptLetGo letGoOnEdit(const SharedKeptRecords& kept, const Project& before, const Project& after,
                      const ReplacedOwners& replaced) {
  KeptLetGo result{kept, {}};
  if (!kept) return result;
  const Judge judge(before, after, replaced);
  if (std::none_of(kept->records.begin(), kept->records.end(),
                   [&](const KeptRecord& r) { return judge.goes(r); }))
    return result;
  // Copied on letting go: the undo history holds the records as they were.
  auto held = std::make_shared<KeptRecords>();
  held->auditionAtLoad = kept->auditionAtLoad;
  held->ids = kept->ids;
  for (const KeptRecord& r : kept->records) (judge.goes(r) ? result.gone : held->records).push_back(r);
  result.kept = std::move(held);
  return result;
}

bool anyOwned(const KeptRecords& kept) {
  return std::any_of(kept.records.begin(), kept.records.end(), [](const KeptRecord& r) {
    return r.owner.kind != KeptOwnerKind::Document && r.owner.kind != KeptOwnerKind::Sample;
  });
}

}  // namespace ob
