#include "document/audition/audition_kept.h"

#include <optional>
#include <string>
#include <utility>

#include "document/audition/audition_groove.h"
#include "document/audition/audition_writer.h"
#include "document/audition/kept_notes.h"
#include "document/audition/kept_unplayed.h"
#include "document/audition/place_notes.h"
#include "document/json/json_elements.h"
#include "document/json/json_write.h"
#include "document/params/param_values.h"
#include "document/project/kept_owner.h"
#include "engine/model/project.h"
#include "engine/params/param_tables.h"

namespace ob {
namespace {

const std::vector<std::string> kNotes = {"audition", "notes"};
const std::vector<std::string> kSwing = {"audition", "swing"};

template <typename Value>
Value* grooveIn(Value& audition) {
  Value* ext = audition.isObject() ? audition.find("ext") : nullptr;
  return ext != nullptr && ext->isObject() ? ext->find(stepsExtensionKey()) : nullptr;
}

// The key before `key` among an object's members; empty for the first.
std::string keyBefore(const JsonValue& object, std::string_view key) {
  std::string before;
  for (const JsonMember& m : object.members) {
    if (m.key == key) return before;
    before = m.key;
  }
  return before;
}

// The id of the track a voice's key names, or none.
std::optional<std::string> trackIdOf(const Project& project, const KeysAsLoaded& keys, std::string_view key) {
  const int t = voiceIndexByName(project, keys, key);
  if (t < 0) return std::nullopt;
  return std::string(fixedText(project.patterns[0].tracks[t].id));
}

// The record's owner where the one table places it, a voice or a step of a
// track the project holds; a voice the project lacks owns none.
void own(KeptRecord& r, const Project& project, const KeysAsLoaded& keys) {
  const OwnerPlace place = ownerPlaceOf(r.path).value_or(OwnerPlace{});
  if (place.kind != KeptOwnerKind::Voice && place.kind != KeptOwnerKind::Step) return;
  const std::optional<std::string> track = trackIdOf(project, keys, r.path[place.key]);
  if (!track) return;
  int step = -1;
  if (place.kind == KeptOwnerKind::Step && readStepKey(r.path[place.step], step))
    r.owner = {KeptOwnerKind::Step, *track, step, false};
  else
    r.owner = {KeptOwnerKind::Voice, *track, -1, false};
  r.ownerEnd = place.end;
}

// Each member of the grid kept, as a record with its owner.
struct GrooveKept {
  const Project& project;
  const KeysAsLoaded& keys;
  std::vector<KeptRecord>& out;
  KeptIds& ids;

  // The samples a step's kept lock names by an id the pool lacked: a sample
  // brought in later takes another, or a load of a save would apply the lock.
  void samplesNamed(const std::vector<std::string>& at, const JsonValue& value) {
    if (at.size() < 5 || at.size() > 6 || at[4] != "locks") return;
    const Sound& sound = auditionTrackSound(project, voiceIndexByName(project, keys, at[1]));
    const auto named = [&](const std::string& key, const JsonValue& lock) {
      const int index = findParamIndex(sound.machine, key);
      if (index >= 0 && sampleParamKind(sound, index) != 0 && lock.isString()) ids.samples.insert(lock.text);
    };
    if (at.size() == 6) named(at[5], value);
    if (at.size() == 5 && value.isObject())
      for (const JsonMember& m : value.members) named(m.key, m.value);
  }

  void operator()(const std::vector<std::string>& at, JsonValue value,
                  const std::vector<std::string>& afters) {
    static const std::vector<std::string> kGrid = {"audition", "ext", stepsExtensionKey()};
    KeptRecord r;
    r.path = kGrid;
    r.path.insert(r.path.end(), at.begin(), at.end());
    own(r, project, keys);
    // Below a step's place, what a save did not write is made.
    r.anchor = r.owner.kind == KeptOwnerKind::Step ? r.ownerEnd : r.path.size() - 1;
    r.made.assign(afters.begin() + static_cast<std::ptrdiff_t>(r.anchor - kGrid.size()), afters.end() - 1);
    r.after = afters.back();
    if (r.owner.kind == KeptOwnerKind::Step) samplesNamed(at, value);
    r.value = heldAsText(value);
    if (r.owner.kind == KeptOwnerKind::Document && at.size() == 2 && at[0] == "voices")
      ids.voices.insert(at[1]);
    out.push_back(std::move(r));
  }
};

// A note kept with the step of its voice's grid it would take, or with
// that grid; with nothing the project holds when its voice is none of it.
KeptOwner ownerOfNote(const clip::Note& note, const Project& project, const KeysAsLoaded& keys) {
  const int t = note.invalid || note.voice.empty() ? -1 : voiceIndexByName(project, keys, note.voice);
  if (t < 0) return {};
  const Track& track = project.patterns[0].tracks[t];
  return {KeptOwnerKind::Step, std::string(fixedText(track.id)), gridStepOf(track, note.at), true};
}

// Elements of a list kept in a run with one owner go in one record, all
// of them its value: a long list kept costs what its elements do.
class KeptRuns {
 public:
  explicit KeptRuns(std::vector<KeptRecord>& out) : out_(out), first_(out.size()) {}
  ~KeptRuns() { close(); }

  void add(const std::vector<std::string>& list, const JsonValue& audition, KeptOwner owner,
           const JsonValue& value) {
    if (out_.size() == first_ || out_.back().path != list || !(out_.back().owner == owner)) {
      close();
      KeptRecord r;
      if (owner.kind != KeptOwnerKind::Document) r.ownerEnd = ownerPlaceOf(list).value_or(OwnerPlace{}).end;
      r.owner = std::move(owner);
      r.place = KeptPlace::Element;
      r.path = list;
      r.anchor = 1;
      r.after = keyBefore(audition, list.back());
      out_.push_back(std::move(r));
    }
    text_ += text_.empty() ? '[' : ',';
    text_ += writeJson(value);
  }

 private:
  // The open run's record takes its elements, as their text.
  void close() {
    if (text_.empty()) return;
    text_ += ']';
    out_.back().value = makeJsonKept(JsonKind::Kept, std::exchange(text_, {}));
  }

  std::vector<KeptRecord>& out_;
  std::size_t first_;
  std::string text_;  // the open run's elements
};

}  // namespace

void keepAuditionUnplayed(const JsonValue& audition, bool gridRead, const Project& project,
                          const KeysAsLoaded& keys, std::vector<KeptRecord>& out, KeptIds& ids) {
  if (!audition.isObject()) return;
  const SampleSlotTable& samples = project.samples;
  const std::vector<std::string> voicesThen = auditionVoices(project, keys);

  // The grid as the load kept it, beside the grid the project writes (its
  // fingerprint and count of notes kept back apart, which a save writes).
  const JsonValue* was = grooveIn(audition);
  if (gridRead && was != nullptr && was->isObject()) {
    JsonValue grid = writeGroove(project, samples, keys);
    grid.members.insert(grid.members.begin(), JsonMember{"notes", JsonValue{}});
    keepUnplayedInGroove(grid, *was, voicesThen, project, samples, keys, GrooveKept{project, keys, out, ids});
  }

  // The notes it left off the grid: where its grid was read, those an
  // earlier save kept back end its list.
  const JsonValue* notes = audition.find("notes");
  const std::size_t held = notes != nullptr ? JsonElements(*notes).size() : 0;
  const std::size_t played = held - notesKeptBack(audition);
  KeptRuns runs(out);
  if (held > (gridRead ? played : 0)) {
    notesKeptUnplayed(audition, gridRead, played, patternNotes(project, samples, keys), voicesThen, project,
                      samples, keys, [&](const JsonValue& value, const clip::Note& note) {
                        KeptOwner owner = ownerOfNote(note, project, keys);
                        if (owner.kind == KeptOwnerKind::Document && !note.voice.empty())
                          ids.voices.insert(note.voice);
                        runs.add(kNotes, audition, std::move(owner), value);
                      });
  }

  for (JsonValue& entry : swingKeptUnplayed(audition, project, keys)) {
    const std::string voice = entry.isObject() ? entry.getString("voice", "") : std::string();
    if (!voice.empty() && voiceIndexByName(project, keys, voice) < 0) ids.voices.insert(voice);
    runs.add(kSwing, audition, {}, std::move(entry));
  }
}

bool isKeptNote(const KeptRecord& record) {
  return record.place == KeptPlace::Element && record.path == kNotes;
}

bool isKeptSwingEntry(const KeptRecord& record) {
  return record.place == KeptPlace::Element && record.path == kSwing;
}

}  // namespace ob
