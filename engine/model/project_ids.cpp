#include "engine/model/project_ids.h"

#include <cstring>
#include <string_view>

#include "engine/model/reach.h"
#include "engine/params/param_tables.h"

namespace ob {
namespace {

constexpr std::size_t kSlugMax = 16;
constexpr std::size_t kIdCapacity = 24;  // every id field is char[24]
constexpr int kMaxEntries = kSampleSlots;

struct IdEntry {
  char* id = nullptr;  // the entry's char[24] field
  bool inUse = false;
  std::string_view name;  // slug source
  std::string_view stem;  // used when the name gives no slug
};

// Lower-case letters and digits; any other byte ends a word, words joined by
// one hyphen. Stops before exceeding 16 characters and never ends on a hyphen.
std::size_t makeSlug(std::string_view source, char* out) {
  std::size_t len = 0;
  bool wordBreak = false;
  for (char raw : source) {
    unsigned char c = static_cast<unsigned char>(raw);
    if (c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c - 'A' + 'a');
    const bool keep = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    if (!keep) {
      wordBreak = true;
      continue;
    }
    if (wordBreak && len > 0) {
      if (len + 2 > kSlugMax) break;
      out[len++] = '-';
    } else if (len + 1 > kSlugMax) {
      break;
    }
    out[len++] = static_cast<char>(c);
    wordBreak = false;
  }
  out[len] = '\0';
  return len;
}

std::string_view fieldText(const char* field, std::size_t capacity) {
  return std::string_view(field, strnlen(field, capacity));
}

// Appends a NUL-terminated text at position at; returns the new length.
// Callers keep the total within the candidate buffer (prefix 3, hyphen,
// slug 16, hyphen and two digits).
std::size_t appendText(char* out, std::size_t at, const char* text) {
  while (*text != '\0') out[at++] = *text++;
  out[at] = '\0';
  return at;
}

bool sameId(const char* a, const char* b) { return std::strncmp(a, b, kIdCapacity) == 0; }

int assignIds(IdEntry* entries, int count, const char* prefix) {
  bool kept[kMaxEntries] = {};
  auto takenByKept = [&](const char* id) {
    for (int j = 0; j < count; ++j)
      if (kept[j] && sameId(entries[j].id, id)) return true;
    return false;
  };

  for (int i = 0; i < count; ++i) {
    IdEntry& e = entries[i];
    // An id must end inside its field; an unterminated one is remade.
    if (!e.inUse || e.id[0] == '\0' || std::memchr(e.id, '\0', kIdCapacity) == nullptr) continue;
    if (!takenByKept(e.id)) kept[i] = true;
  }

  int made = 0;
  for (int i = 0; i < count; ++i) {
    IdEntry& e = entries[i];
    if (!e.inUse || kept[i]) continue;
    char slug[kSlugMax + 1];
    if (makeSlug(e.name, slug) == 0) makeSlug(e.stem, slug);

    // Built by hand: this also runs on the audio thread (track add and
    // duplicate), where formatting functions are best avoided.
    char candidate[kIdCapacity + 8];
    const std::size_t baseLen = appendText(candidate, 0, prefix);
    std::size_t len = appendText(candidate, appendText(candidate, baseLen, "-"), slug);
    candidate[len < kIdCapacity - 1 ? len : kIdCapacity - 1] = '\0';
    if (takenByKept(candidate)) {
      for (int suffix = 2; suffix <= 99; ++suffix) {
        std::size_t n = appendText(candidate, len, "-");
        if (suffix >= 10) candidate[n++] = static_cast<char>('0' + suffix / 10);
        candidate[n++] = static_cast<char>('0' + suffix % 10);
        candidate[n < kIdCapacity - 1 ? n : kIdCapacity - 1] = '\0';
        if (!takenByKept(candidate)) break;
      }
    }
    copyBoundedString(e.id, candidate, kIdCapacity);
    kept[i] = true;
    ++made;
  }
  return made;
}

bool validSound(int index) { return index >= 0 && index < kMaxTracks; }

}  // namespace

int assignPatternIds(Pattern& pattern) {
  const int inUse = tracksInUse(pattern);
  Kit& kit = pattern.kit;

  IdEntry tracks[kMaxTracks];
  IdEntry sounds[kMaxTracks];
  for (int i = 0; i < kMaxTracks; ++i) {
    Track& t = pattern.tracks[i];
    tracks[i].id = t.id;
    tracks[i].inUse = i < inUse;
    if (validSound(t.soundIndex)) {
      const Sound& s = kit.sounds[t.soundIndex];
      tracks[i].name = fieldText(s.name, sizeof s.name);
      tracks[i].stem = machineTypeName(s.machine);
    } else {
      tracks[i].stem = "voice";
    }

    Sound& s = kit.sounds[i];
    sounds[i].id = s.id;
    sounds[i].name = fieldText(s.name, sizeof s.name);
    sounds[i].stem = machineTypeName(s.machine);
  }
  for (int i = 0; i < inUse; ++i) {
    const int s = pattern.tracks[i].soundIndex;
    if (validSound(s)) sounds[s].inUse = true;
  }
  return assignIds(tracks, kMaxTracks, "v") + assignIds(sounds, kMaxTracks, "s");
}

int assignSampleIds(SampleSlotTable& samples) {
  const int n = samples.count < kSampleSlots ? samples.count : kSampleSlots;
  IdEntry entries[kSampleSlots];
  for (int i = 0; i < n; ++i) {
    SampleSlot& slot = samples.slots[i];
    std::string_view name = fieldText(slot.name, sizeof slot.name);
    entries[i].id = slot.id;
    entries[i].inUse = !name.empty();
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos) name = name.substr(0, dot);
    entries[i].name = name;
    entries[i].stem = "sample";
  }
  return assignIds(entries, n, "smp");
}

}  // namespace ob
