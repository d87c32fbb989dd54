#include "document/instance/kept_keys.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "document/instance/state_fields.h"
#include "engine/model/reach.h"

namespace ob {

std::string keyOfItsOwn(std::string_view key, const KeptKeys& taken, std::size_t field) {
  for (std::size_t n = 2;; ++n) {
    const std::string suffix = "-" + std::to_string(n);
    std::string candidate(field == 0 ? key : fixedCut(key, field - suffix.size()));
    candidate += suffix;
    if (taken.find(candidate) == taken.end()) return candidate;
  }
}

namespace {

// One list of records: the id field of each record the writer writes, the
// object it writes them into and the keys kept there.
struct RecordList {
  std::vector<char*> ids;
  std::vector<std::string> object;
  const KeptKeys& keptKeys;
};

void keepListOffKeptKeys(const RecordList& list, const KeysAsLoaded& keys) {
  const KeptKeys& keptKeys = list.keptKeys;
  if (keptKeys.empty()) return;
  const auto renamed = keys.objects.find(list.object);
  const std::map<std::string, std::string> none;
  const std::map<std::string, std::string>& loadedBy = renamed != keys.objects.end() ? renamed->second : none;
  KeptKeys taken = keptKeys;
  for (const auto& [written, loaded] : loadedBy) taken.insert(written);
  for (const char* id : list.ids) taken.insert(std::string(fixedText(id, sizeof(Track::id))));
  for (char* id : list.ids) {
    const std::string own(fixedText(id, sizeof(Track::id)));
    const auto asLoaded = loadedBy.find(own);
    if (keptKeys.count(asLoaded != loadedBy.end() ? asLoaded->second : own) == 0) continue;
    const std::string fresh = keyOfItsOwn(own, taken, sizeof(Track::id));
    taken.insert(fresh);
    formatFixed(id, sizeof(Track::id), fresh);
  }
}

}  // namespace

void keepIdsOffKeptKeys(Project& project, const KeptIds& kept, const KeysAsLoaded& keys) {
  static_assert(sizeof(Track::id) == sizeof(Sound::id) && sizeof(Track::id) == sizeof(SampleSlot::id));
  Pattern& pattern = project.patterns[0];
  RecordList voices{{}, {"state", "voices"}, kept.voices};
  for (int t = 0; t < tracksInUse(pattern); ++t) voices.ids.push_back(pattern.tracks[t].id);
  RecordList sounds{{}, {"state", "sounds"}, kept.sounds};
  for (Sound& sound : pattern.kit.sounds)
    if (sound.id[0] != '\0') sounds.ids.push_back(sound.id);
  RecordList samples{{}, {"state", "samples"}, kept.samples};
  for (int i = 0; i < std::min<int>(project.samples.count, kSampleSlots); ++i)
    if (project.samples.slots[i].id[0] != '\0') samples.ids.push_back(project.samples.slots[i].id);
  for (const RecordList* list : {&voices, &sounds, &samples}) keepListOffKeptKeys(*list, keys);
}

}  // namespace ob
