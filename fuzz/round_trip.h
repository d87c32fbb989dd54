#pragma once
// The rule a load and a save keep together, for the targets that do both,
// in every format a load reads (instance packages and text, legacy
// packages and text). Saved, what a load read keeps every entry of its
// package the load located, as it was stored, bar those the load said it
// dropped (the file of a sample it played may go stored whole where it was
// packed, and then unpacks to the same bytes), every member it kept
// unknown and every reference of the document, of any kind, as written;
// and loaded again, it gives the same project, the same samples (audio,
// the files a save writes, and the files kept unplayed, as stored) and the
// same entries kept unread, and its audition's notes say what it plays.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "document/archive/crc32.h"
#include "document/archive/sha256.h"
#include "document/archive/zip_index.h"
#include "document/audition/audition_groove.h"
#include "document/audition/audition_reader.h"
#include "document/audition/audition_writer.h"
#include "document/audition/kept_notes.h"
#include "document/audition/notes_fingerprint.h"
#include "document/diagnostics.h"
#include "document/instance/instance_shape.h"
#include "document/instance/state_fields.h"
#include "document/json/json_parse.h"
#include "document/json/json_write.h"
#include "document/package/package.h"
#include "document/params/param_values.h"
#include "document/project/kept_document.h"
#include "document/project/kept_owner.h"
#include "document/project/project_save.h"
#include "document/wav/saved_sample_file.h"
#include "engine/model/project.h"
#include "engine/model/reach.h"
#include "engine/model/utf8_text.h"
#include "engine/pool/sample_pool.h"
#include "fuzz/kept_findings.h"

namespace obfuzz {

// What one load built. The samples are held by slot (null for an empty
// one), so that they outlive the pool a later load replaces.
struct Loaded {
  const ob::Project& project;
  std::vector<ob::SharedSampleData> samples;
  const ob::KeptDocument& kept;
};

inline std::vector<ob::SharedSampleData> samplesOf(const ob::SamplePool& pool) {
  std::vector<ob::SharedSampleData> samples;
  for (const auto& slot : pool.slots) samples.push_back(slot ? slot->data : nullptr);
  return samples;
}

// The entries the load said it dropped, by name.
inline std::set<std::string> droppedEntries(const ob::Diagnostics& load) {
  std::set<std::string> names;
  for (const ob::Diagnostic& d : load)
    if (d.code == "entry-dropped" && d.path.starts_with("/")) names.insert(d.path.substr(1));
  return names;
}

// The SHA-256 of the file a save writes for the audio, found from its
// bytes where they can be read; where the sums its file carries are not
// those of its bytes, a name no file has and no other sample shares.
inline std::string fileDigestOf(const ob::SampleData& audio) {
  const ob::SampleFileSums carried = ob::findSampleFile(audio);
  if (audio.kept() || std::holds_alternative<ob::StoredSampleFile>(audio.file)) return carried.digest;
  ob::Sha256 hash;
  std::uint32_t crc = 0;
  std::vector<std::uint8_t> piece;
  const std::uint64_t size = audio.savedFileBytes();
  for (std::uint64_t at = 0; at < size; at += piece.size()) {
    piece.resize(static_cast<std::size_t>(std::min<std::uint64_t>(std::uint64_t(1) << 20, size - at)));
    if (!ob::sampleFileBytes(audio, at, piece)) return "unreadable";
    hash.add(piece.data(), piece.size());
    crc = ob::zip::crc32(piece.data(), piece.size(), crc);
  }
  if (carried.digest == hash.hex() && carried.crc == crc) return carried.digest;
  return "sums not of the file of sample " + std::to_string(reinterpret_cast<std::uintptr_t>(&audio));
}

// The entries of the files a load's samples play, as a save names them.
inline std::set<std::string> playedFiles(const Loaded& load) {
  std::set<std::string> names;
  for (const ob::SharedSampleData& audio : load.samples)
    if (audio && !audio->kept()) names.insert("assets/" + fileDigestOf(*audio));
  return names;
}

// The entry as the save holds it: as stored, or, for the file of a sample
// the load played, with the same bytes and checksum however it is packed.
inline bool keptAsStored(const ob::zip::ArchiveIndex& before, const ob::zip::LocatedEntry& entry,
                         const ob::zip::ArchiveIndex& after, const ob::zip::LocatedEntry& again,
                         bool played) {
  const ob::zip::DirectoryRecord& was = entry.record;
  const ob::zip::DirectoryRecord& is = again.record;
  if (is.crc != was.crc || is.size != was.size) return false;
  if (played) {
    ob::Diagnostics unused;
    const auto unpacked = before.unpack(entry, unused);
    return unpacked && unpacked == after.unpack(again, unused);
  }
  const auto stored = before.stored(entry);
  return is.method == was.method &&
         (is.flags & ob::zip::kPayloadFlags) == (was.flags & ob::zip::kPayloadFlags) && stored &&
         stored == after.stored(again);
}

// A legacy package's sample file is saved as an asset: the same bytes,
// stored as they were when a slot keeps them unplayed.
inline bool savedAsAnAsset(const ob::zip::ArchiveIndex& before, const ob::zip::LocatedEntry& entry,
                           const ob::zip::ArchiveIndex* after) {
  if (after == nullptr || !entry.record.name.starts_with("samples/")) return false;
  for (const ob::zip::LocatedEntry& again : after->entries())
    if (again.record.name.starts_with("assets/") && (keptAsStored(before, entry, *after, again, false) ||
                                                     keptAsStored(before, entry, *after, again, true)))
      return true;
  return false;
}

// Digests of files imported since a load: each import's file goes into a
// save under its digest in place of an entry of that name, and its
// reference in place of one that the import mended.
using Imported = std::set<std::string>;

inline bool replacedByAnImport(const std::string& entryName, const Imported& imported) {
  return entryName.starts_with("assets/") && imported.contains(entryName.substr(7));
}

// Every entry of a package that the load located is in the save, a legacy
// package's as a current one's.
inline bool keepsTheEntries(const ob::ByteSource& from, const ob::ByteSource& to, const Loaded& first,
                            const ob::Diagnostics& findings, const Imported& imported) {
  ob::Diagnostics unused;
  const auto before = ob::zip::ArchiveIndex::open(from, unused, {});
  if (!before) return true;
  const bool legacy = before->find("instance.json") == nullptr;
  const auto after = ob::zip::ArchiveIndex::open(to, unused, {});
  const std::set<std::string> played = legacy ? std::set<std::string>() : playedFiles(first);
  const std::set<std::string> dropped = droppedEntries(findings);
  for (const ob::zip::LocatedEntry& entry : before->entries()) {
    const std::string& name = entry.record.name;
    if (name == (legacy ? "project.json" : "instance.json") || dropped.contains(name) ||
        replacedByAnImport(name, imported))
      continue;
    const ob::zip::LocatedEntry* again = after ? after->find(name) : nullptr;
    if (again != nullptr && keptAsStored(*before, entry, *after, *again, played.contains(name))) continue;
    if (!legacy || !savedAsAnAsset(*before, entry, after ? &*after : nullptr)) return false;
  }
  return true;
}

inline bool sameKeptFile(const ob::KeptSampleFile& a, const ob::KeptSampleFile& b) {
  return a.ref == b.ref && a.stored == b.stored && a.method == b.method && a.flags == b.flags &&
         a.crc == b.crc && a.size == b.size && a.digest == b.digest;
}

// The same audio, and the same file where a save writes it (`written`).
inline bool sameSample(const ob::SampleData* a, const ob::SampleData* b, bool written = true) {
  if (a == nullptr || b == nullptr) return a == b;
  if (a->kept() || b->kept()) return a->kept() && b->kept() && sameKeptFile(*a->kept(), *b->kept());
  return a->left == b->left && a->right == b->right && a->sampleRate == b->sampleRate &&
         a->frames == b->frames && a->savedFileBytes() == b->savedFileBytes() &&
         (!written || fileDigestOf(*a) == fileDigestOf(*b));
}

// The sample slots a document carries, by their places in the table: those
// below the count with an id, in order. A document names them by id and
// moves the others' followers down (see slotPlaces).
inline std::vector<int> slotsWithIds(const ob::SampleSlotTable& table) {
  std::vector<int> slots;
  for (int i = 0; i < std::min<int>(table.count, ob::kSampleSlots); ++i)
    if (table.slots[i].id[0] != '\0') slots.push_back(i);
  return slots;
}

inline const ob::SampleData* sampleAt(const Loaded& load, int slot) {
  return static_cast<std::size_t>(slot) < load.samples.size() ? load.samples[slot].get() : nullptr;
}

inline bool sameSamples(const Loaded& first, const Loaded& again) {
  const std::vector<int> a = slotsWithIds(first.project.samples);
  const std::vector<int> b = slotsWithIds(again.project.samples);
  if (a.size() != b.size()) return false;
  // A save names a factory sample rather than writing its file.
  const auto factory = [](const Loaded& load, int slot) {
    return load.project.samples.slots[slot].factory[0] != '\0';
  };
  for (std::size_t i = 0; i < a.size(); ++i)
    if (!sameSample(sampleAt(first, a[i]), sampleAt(again, b[i]),
                    !factory(first, a[i]) || !factory(again, b[i])))
      return false;
  return true;
}

// A slot a document does not carry holds nothing once loaded, wherever it
// was: all of them are alike.
constexpr int kNoPlace = ob::kSampleSlots;

// Each slot's place among the slots a document carries; kNoPlace for the
// others.
inline std::array<int, ob::kSampleSlots> slotPlaces(const ob::SampleSlotTable& table) {
  std::array<int, ob::kSampleSlots> places;
  places.fill(kNoPlace);
  int place = 0;
  for (int slot : slotsWithIds(table)) places[slot] = place++;
  return places;
}

// A parameter value that selects a sample, as the place of the slot it
// selects (rounded as the writer rounds it, which names the slot by its
// id), or kNoPlace; any other value as it is.
inline float selectionOf(const ob::Sound& sound, int param, float value,
                         const std::array<int, ob::kSampleSlots>& places) {
  const int kind = ob::sampleParamKind(sound, param);
  if (kind == 0 || !std::isfinite(value)) return value;
  const double at = kind == 1 ? value : std::clamp(static_cast<double>(value), 0.0, 1.0) * 63.0;
  const double slot = std::floor(at + 0.5);
  if (slot < 0 || slot >= ob::kSampleSlots) return value;
  return static_cast<float>(places[static_cast<std::size_t>(slot)]);
}

// The pattern's samples as a document carries them: the slots with ids moved
// down over the others, and every zone and parameter that selects one
// naming it by its place.
inline void renumberSamples(ob::Project& project, const ob::Project& from) {
  const auto places = slotPlaces(from.samples);
  const std::vector<int> kept = slotsWithIds(from.samples);
  ob::SampleSlotTable& table = project.samples;
  for (ob::SampleSlot& slot : table.slots) std::construct_at(&slot);
  for (std::size_t i = 0; i < kept.size(); ++i)
    std::memcpy(static_cast<void*>(&table.slots[i]), &from.samples.slots[kept[i]], sizeof(ob::SampleSlot));
  table.count = static_cast<std::uint8_t>(kept.size());
  ob::Pattern& pattern = project.patterns[0];
  for (ob::Sound& sound : pattern.kit.sounds) {
    for (int z = 0; z < ob::kListCapacity; ++z)
      if (sound.slot[z] < ob::kSampleSlots) sound.slot[z] = static_cast<std::uint8_t>(places[sound.slot[z]]);
    // Every selection is read from the sound as it was, whose choices say
    // which parameters select.
    const ob::Sound before = sound;
    for (int p = 0; p < ob::kSoundParamSlots; ++p)
      sound.params[p] = selectionOf(before, p, before.params[p], places);
  }
  for (int t = 0; t < ob::tracksInUse(pattern); ++t) {
    const int s = pattern.tracks[t].soundIndex;
    if (s < 0 || s >= ob::kMaxTracks) continue;
    const ob::Sound& sound = from.patterns[0].kit.sounds[s];
    for (ob::Step& step : pattern.tracks[t].steps)
      for (int i = 0; i < std::min<int>(step.lockCount, ob::kListCapacity); ++i)
        step.locks[i].value = selectionOf(sound, step.locks[i].param, step.locks[i].value, places);
    for (ob::Macro& macro : pattern.kit.macros)
      for (int i = 0; i < std::min<int>(macro.destCount, ob::kListCapacity); ++i)
        if (macro.dests[i].track == t)
          macro.dests[i].target = selectionOf(sound, macro.dests[i].param, macro.dests[i].target, places);
  }
}

inline std::vector<ob::zip::StoredEntry> byName(std::vector<ob::zip::StoredEntry> entries) {
  std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  return entries;
}

// The same entries kept unread, bar one the first kept of the name of a
// file the second plays: a save writes that file in its place.
inline bool sameEntriesKept(const Loaded& first, const Loaded& again) {
  auto x = byName(first.kept.keptEntries);
  if (!x.empty())
    std::erase_if(x, [played = playedFiles(again)](const auto& e) { return played.contains(e.name); });
  const auto y = byName(again.kept.keptEntries);
  return std::equal(x.begin(), x.end(), y.begin(), y.end(), [](const auto& p, const auto& q) {
    return p.name == q.name && p.payload == q.payload && p.form.method == q.form.method &&
           p.form.flags == q.form.flags && p.form.crc == q.form.crc && p.form.size == q.form.size;
  });
}

// A record of a member the load kept unknown, where it was: what the
// audition's grid, notes and swing entries keep is checked as what plays
// and what the load said it kept.
inline bool isKeptMember(const ob::KeptRecord& r) {
  static const std::vector<std::string> grid = {"audition", "ext", ob::stepsExtensionKey()};
  const bool inGrid = r.path.size() > grid.size() && std::equal(grid.begin(), grid.end(), r.path.begin());
  return (r.place == ob::KeptPlace::Member || r.place == ob::KeptPlace::Record) && !inGrid;
}

// The members kept unknown, by where they were (the first of a place: a
// second member of the same key has no place of its own), each of a run
// held as its text by its own key.
inline std::map<std::vector<std::string>, std::string> foreignOf(const ob::KeptDocument& kept) {
  std::map<std::vector<std::string>, std::string> members;
  KeptTextIndex index;
  for (const ob::KeptRecord& m : ob::recordsOf(kept.records).records) {
    if (!isKeptMember(m)) continue;
    ob::JsonValue run;
    if (m.value.kind != ob::JsonKind::KeptMembers || !openOneLevel(m.value, run, index)) {
      members.try_emplace(m.path, ob::writeJson(m.value));
      continue;
    }
    std::vector<std::string> path = m.path;
    for (const ob::JsonMember& each : run.members) {
      path.back() = each.key;
      members.try_emplace(path, ob::writeJson(each.value));
    }
  }
  return members;
}

// The value by the path of each member in it down to what is no object: a
// save gives an object kept whole the members it lacks, and a load of that
// save keeps them one by one.
inline void leavesInto(std::map<std::vector<std::string>, std::string>& leaves,
                       std::vector<std::string>& path, const ob::JsonValue& value) {
  if (!value.isObject() || value.members.empty()) {
    leaves.try_emplace(path, ob::writeJson(value));
    return;
  }
  for (const ob::JsonMember& m : value.members) {
    path.push_back(m.key);
    leavesInto(leaves, path, m.value);
    path.pop_back();
  }
}

// The records a save set apart in the list at `off`, as the members of
// the list at `on` they were read as.
inline void setApartAsRead(std::map<std::vector<std::string>, std::string>& members,
                           const std::vector<std::string>& off, const std::vector<std::string>& on,
                           bool byWhatTheyHold = false) {
  const auto apart = members.find(off);
  ob::JsonValue records;
  std::string error;
  if (apart == members.end() || !ob::parseJson(apart->second, records, error) || !records.isObject()) return;
  for (const ob::JsonMember& m : records.members) {
    std::vector<std::string> path = on;
    path.push_back(byWhatTheyHold ? ob::writeJson(m.value) : m.key);
    while (!members.try_emplace(path, ob::writeJson(m.value)).second && byWhatTheyHold) path.back() += "'";
  }
  members.erase(apart);
}

// A macro's kept destinations known by what each holds, not by its key: a
// save sets one apart under a key of its own where its own is taken there.
inline std::map<std::vector<std::string>, std::string> destsByWhatTheyHold(
    const std::map<std::vector<std::string>, std::string>& members) {
  std::map<std::vector<std::string>, std::string> known;
  for (const auto& [at, text] : members) {
    std::vector<std::string> path = at;
    if (path.size() >= 5 && path[0] == "state" && path[1] == "macros" && path[3] == "dests") path[4] = text;
    while (!known.try_emplace(path, text).second) path.back() += "'";
  }
  return known;
}

using KeptMembers = std::map<std::vector<std::string>, std::string>;

// The members kept unknown, a save's "voicesOff" as the voice records kept
// out that it holds, out of the way of a load with room for them, and a
// macro's "destsOff" as the destinations it holds.
inline KeptMembers keptWholeOf(const ob::KeptDocument& kept, bool apartByWhatTheyHold = false) {
  KeptMembers members = foreignOf(kept);
  setApartAsRead(members, {"state", "voicesOff"}, {"state", "voices"});
  for (int i = 0; i < ob::kMacroCount; ++i) {
    const std::string macro = ob::macroName(i);
    setApartAsRead(members, {"state", "macros", macro, "destsOff"}, {"state", "macros", macro, "dests"},
                   apartByWhatTheyHold);
  }
  return members;
}

// The same members down to what is no object.
inline KeptMembers leavesOf(const KeptMembers& members) {
  std::string error;
  KeptMembers leaves;
  for (const auto& [at, text] : members) {
    std::vector<std::string> path = at;
    ob::JsonValue value;
    if (ob::parseJson(text, value, error))
      leavesInto(leaves, path, value);
    else
      leaves.try_emplace(path, text);
  }
  return leaves;
}

// The same members kept by two loads, whole or, where a save gave one
// kept whole what it lacked, leaf by leaf (only then: a deep member has
// many leaves).
inline bool sameKeptMembers(const ob::KeptDocument& first, const ob::KeptDocument& again) {
  const KeptMembers a = keptWholeOf(first);
  const KeptMembers b = keptWholeOf(again);
  return a == b || leavesOf(a) == leavesOf(b) ||
         destsByWhatTheyHold(keptWholeOf(first, true)) == destsByWhatTheyHold(keptWholeOf(again, true));
}

// Every member the load kept unknown is in the saved document where it
// was, as it was: whole, or each of its leaves.
inline bool keepsTheUnknown(const ob::KeptDocument& first, const ob::JsonValue& saved) {
  const auto& records = ob::recordsOf(first.records).records;
  if (std::none_of(records.begin(), records.end(), isKeptMember)) return true;
  PointerWalk walk(saved);
  const auto keptThere = [&walk](const std::vector<std::string>& path, const std::string& value) {
    return keptAt(walk, path, value);
  };
  // Most are where they were, as their text: found so without building
  // what that text holds.
  const auto keptAsText = [&saved](const std::vector<std::string>& path, const std::string& value) {
    const ob::JsonValue* at = &saved;
    for (const std::string& key : path) {
      if (at == nullptr || !at->isObject()) return false;
      at = at->find(key);
    }
    return at != nullptr && ob::writeJson(*at) == value;
  };
  for (const auto& [path, value] : keptWholeOf(first)) {
    if (keptAsText(path, value) || keptThere(path, value)) continue;
    for (const auto& [leaf, text] : leavesOf({{path, value}}))
      if (!keptThere(leaf, text)) return false;
  }
  return true;
}

// Every reference the first document made, of any kind and however
// written, is in the second as written, or names an imported file.
inline bool keepsTheReferences(const ob::JsonValue& first, const ob::JsonValue& again,
                               const Imported& imported) {
  const ob::JsonValue* refs = first.find("assets");
  if (refs == nullptr || !refs->isObject()) return true;
  const ob::JsonValue* savedRefs = again.find("assets");
  for (const ob::JsonMember& ref : refs->members) {
    const ob::JsonValue* kept = savedRefs != nullptr ? savedRefs->find(ref.key) : nullptr;
    if (kept == nullptr) return false;
    if (ob::writeJson(*kept) != ob::writeJson(ref.value) &&
        !(kept->isString() && kept->text.starts_with("asset:") && imported.contains(kept->text.substr(6))))
      return false;
  }
  return true;
}

// The project as what it plays and what a document carries of it: its
// samples as a document carries them (renumberSamples), the kit's sounds in
// the order the tracks in use first play them, then those no track plays
// that have an id of their own to be written by, and nothing that no edit reaches
// (tracks not in use, sounds without a track or an id, and what the
// product's own rule says no user reaches: ob::forgetUnreached).
// Each kept record is moved whole, so copies compare bytewise.
inline std::unique_ptr<ob::Project> canonical(const ob::Project& project) {
  std::unique_ptr<ob::Project> c = ob::makeProject();
  std::memcpy(static_cast<void*>(c.get()), &project, sizeof project);
  renumberSamples(*c, project);
  ob::Pattern& pattern = c->patterns[0];
  const int tracks = ob::tracksInUse(pattern);
  int order[ob::kMaxTracks];
  int at[ob::kMaxTracks];
  int count = 0;
  std::fill(std::begin(at), std::end(at), -1);
  for (int t = 0; t < tracks; ++t) {
    const int s = pattern.tracks[t].soundIndex;
    if (s >= 0 && s < ob::kMaxTracks && at[s] < 0) order[at[s] = count++] = s;
  }
  const auto idTaken = [&](int s) {
    for (int i = 0; i < count; ++i)
      if (std::strncmp(pattern.kit.sounds[order[i]].id, pattern.kit.sounds[s].id, sizeof(ob::Sound::id)) == 0)
        return true;
    return false;
  };
  for (int s = 0; s < ob::kMaxTracks; ++s)
    if (at[s] < 0 && pattern.kit.sounds[s].id[0] != '\0' && !idTaken(s)) order[at[s] = count++] = s;
  ob::Sound sounds[ob::kMaxTracks];
  std::memcpy(static_cast<void*>(sounds), pattern.kit.sounds, sizeof sounds);
  ob::initSounds(pattern.kit.sounds, ob::kMaxTracks);
  for (int i = 0; i < count; ++i)
    std::memcpy(static_cast<void*>(&pattern.kit.sounds[i]), &sounds[order[i]], sizeof(ob::Sound));
  for (int t = 0; t < tracks; ++t) {
    const int s = pattern.tracks[t].soundIndex;
    if (s >= 0 && s < ob::kMaxTracks) pattern.tracks[t].soundIndex = static_cast<std::int8_t>(at[s]);
  }
  ob::initTracks(pattern.tracks + tracks, ob::kMaxTracks - tracks);
  ob::forgetUnreached(c->patterns[0]);
  return c;
}

// Whether the project holds only what plays or a user reaches: a load of a
// save gives nothing an action left behind.
inline bool holdsOnlyWhatIsReached(const ob::Project& project) {
  std::unique_ptr<ob::Project> reached = ob::makeProject();
  std::memcpy(static_cast<void*>(reached.get()), &project, sizeof project);
  ob::forgetUnreached(reached->patterns[0]);
  return std::memcmp(reached.get(), &project, sizeof project) == 0;
}

// Whether b, the load of a save of a, plays as a and holds what a user
// reaches of a, and nothing more.
inline bool sameProject(const ob::Project& a, const ob::Project& b) {
  return holdsOnlyWhatIsReached(b) &&
         std::memcmp(canonical(a).get(), canonical(b).get(), sizeof(ob::Project)) == 0;
}

// An instance document as a load reads it, or null for any other bytes.
inline ob::JsonValue documentOf(const ob::ByteSource& bytes) {
  ob::Diagnostics unused;
  std::optional<ob::PackageReader> package =
      ob::PackageReader::open(bytes, "instance.json", unused, {}, &ob::instanceDocumentShape());
  return package ? std::move(package->package().document) : ob::JsonValue{};
}

// Whether a save's document, the text alone or its archive's, is UTF-8.
inline bool savedAsUtf8(const ob::ByteSource& saved) {
  ob::Diagnostics unused;
  const auto archive = ob::zip::ArchiveIndex::open(saved, unused, {});
  const ob::zip::LocatedEntry* document = archive ? archive->find("instance.json") : nullptr;
  const auto text = document ? archive->unpack(*document, unused) : std::nullopt;
  const std::span<const std::uint8_t> bytes = text ? std::span(*text) : saved.inMemory();
  return (!archive || text) && ob::isValidUtf8({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
}

// Whether `saved`, the save of what `first` loaded from `from` (with
// those findings), keeps all of what it read: every entry, every member
// kept unknown, every reference and every member a finding said it kept,
// in a document that is UTF-8; bar what `imported` replaced since. The
// saved document, where the caller read it already (documentOf), is not
// read again.
inline bool keepsWhatTheLoadRead(const ob::ByteSource& from, const std::vector<std::uint8_t>& saved,
                                 const Loaded& first, const ob::Diagnostics& findings,
                                 const Imported& imported = {},
                                 const ob::JsonValue* savedDocument = nullptr) {
  const ob::MemoryBytes to(saved.data(), saved.size());
  if (!savedAsUtf8(to) || !keepsTheEntries(from, to, first, findings, imported)) return false;
  // Each record the load kept stands where the one table knows its owner.
  const auto& records = ob::recordsOf(first.kept.records).records;
  if (!std::all_of(records.begin(), records.end(),
                   [](const ob::KeptRecord& r) { return ob::ownerPlaceOf(r.path).has_value(); }))
    return false;
  // Read as legacy: no member was kept unknown, and no reference written.
  if (first.kept.loadedDocument.isNull()) return true;
  const ob::JsonValue read = documentOf(from);
  ob::JsonValue readHere;
  if (savedDocument == nullptr) readHere = documentOf(to);
  const ob::JsonValue& written = savedDocument != nullptr ? *savedDocument : readHere;
  return keepsTheUnknown(first.kept, written) && keepsTheReferences(read, written, imported) &&
         keepsWhatItSaidItKept(findings, read, written);
}

inline bool keepsWhatTheLoadRead(const std::uint8_t* input, std::size_t size,
                                 const std::vector<std::uint8_t>& saved, const Loaded& first,
                                 const ob::Diagnostics& findings,
                                 const ob::JsonValue* savedDocument = nullptr) {
  return keepsWhatTheLoadRead(ob::MemoryBytes(input, size), saved, first, findings, {}, savedDocument);
}

// The same members kept unknown, where they were, and each value the second
// load read otherwise read so by the first (an edit since may have changed
// one, which the save then wrote as it plays).
inline bool sameMembersKept(const ob::KeptDocument& first, const ob::KeptDocument& again) {
  if (!sameKeptMembers(first, again)) return false;
  const auto& was = ob::recordsOf(first.records).records;
  const auto& is = ob::recordsOf(again.records).records;
  const auto inPlace = [](const ob::KeptRecord& r) { return r.place == ob::KeptPlace::InPlace; };
  if (std::none_of(is.begin(), is.end(), inPlace)) return true;
  // Looked up by path and text, once each: a document may hold many.
  std::set<std::pair<std::vector<std::string>, std::string>> read;
  for (const ob::KeptRecord& w : was)
    if (inPlace(w)) read.emplace(w.path, ob::writeJson(w.value));
  return std::all_of(is.begin(), is.end(), [&](const ob::KeptRecord& v) {
    return !inPlace(v) || read.contains({v.path, ob::writeJson(v.value)});
  });
}

// Whether the load of a save of what `first` loaded built the same.
inline bool sameLoad(const Loaded& first, const Loaded& again) {
  return sameProject(first.project, again.project) && sameSamples(first, again) &&
         sameEntriesKept(first, again) && sameMembersKept(first.kept, again.kept);
}

// Whether the audition a save wrote says what plays, as `again`, the load
// of that save, read it: where the load took the grid saved beside the
// notes and passed over them, the notes are those its pattern plays, as
// written anew, then any the grid says a save kept back, which place
// nothing.
inline bool notesSayWhatPlays(const Loaded& again) {
  ob::JsonValue audition;
  std::string error;
  const ob::JsonValue& held = again.kept.loadedAudition;
  if (held.isNull() || !ob::parseJson(held, ob::auditionShape(), audition, error)) return true;
  const std::unique_ptr<ob::Project> read = ob::makeProject();
  *read = again.project;
  ob::Diagnostics unused;
  const ob::KeysAsLoaded& keys = again.kept.keysAsLoaded;
  if (!ob::readAudition(audition, *read, again.project.samples, unused, "/audition", keys)) return true;
  const ob::JsonValue* notes = audition.find("notes");
  const ob::JsonValue played = ob::writeAudition(again.project, again.project.samples, keys);
  const ob::JsonValue* grid = played.find("ext")->find(ob::stepsExtensionKey());
  ob::JsonValue all;
  if (notes == nullptr || !ob::parseJson(ob::writeJson(*notes), all, error) || !all.isArray())
    all = ob::makeJsonArray();
  // The notes a save kept back unplayed end the list, as its grid says:
  // the ones before say what plays, and they place what all of them do.
  const std::size_t kept = ob::notesKeptBack(audition);
  ob::JsonValue before = all;
  before.elements.resize(all.elements.size() - kept);
  if (ob::notesFingerprint(before) != grid->find("notes")->text) return false;
  if (kept == 0) return true;
  const auto placed = [&](const ob::JsonValue& list) {
    ob::JsonValue alone = audition;
    alone.set("ext", ob::JsonValue{});
    alone.set("notes", list);
    auto project = std::make_unique<ob::Project>(again.project);
    ob::Diagnostics unsaid = ob::Diagnostics::dropping();
    ob::readAudition(alone, *project, project->samples, unsaid, "/audition", keys);
    return project;
  };
  return sameProject(*placed(all), *placed(before));
}

}  // namespace obfuzz
