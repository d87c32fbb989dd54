#include "document/audition/audition_writer.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>

#include "document/audition/audition_groove.h"
#include "document/audition/audition_kept.h"
#include "document/audition/audition_reader.h"
#include "document/audition/kept_notes.h"
#include "document/audition/kept_unplayed.h"
#include "document/audition/notes_fingerprint.h"
#include "document/audition/track_rate.h"
#include "document/clip/clip_extensions.h"
#include "document/clip/clip_writer.h"
#include "document/json/json_elements.h"
#include "document/json/json_write.h"
#include "document/params/number_spellings.h"
#include "document/params/param_values.h"
#include "document/project/kept_placement.h"
#include "engine/clock/step_rate.h"
#include "engine/model/reach.h"
#include "engine/params/param_tables.h"

namespace ob {
namespace {

// Positions closer than this to the clip's end count as past it.
constexpr double kEndEpsilon = 1e-9;

// The clip's length in beats: the pattern's steps, four to a beat.
double clipLengthOf(const Pattern& pattern) { return pattern.length * 0.25; }

std::string_view idText(const char (&id)[24]) { return std::string_view(id, strnlen(id, sizeof id)); }

float accentFactor(const Pattern& pattern, int stepIndex) {
  if (pattern.accentAmount <= 0.0f || pattern.accentEvery == 0) return 1.0f;
  const float a = std::min(1.0f, pattern.accentAmount);
  const float c = std::clamp(pattern.accentCurve, 0.0f, 1.0f);
  if (stepIndex % pattern.accentEvery == 0) return 1.0f + a * c;
  return 1.0f - a * (1.0f - c);
}

float retrigFactor(int k, int n, std::int8_t velCurve) {
  if (n <= 1) return 1.0f;
  const float t = static_cast<float>(k) / static_cast<float>(n - 1);
  const float c = static_cast<float>(velCurve) / 128.0f;
  const float f = c >= 0.0f ? 1.0f - (1.0f - t) * c : 1.0f + c * t;
  return std::clamp(f, 0.0f, 1.0f);
}

const char* paramKey(const Sound& sound, int param) {
  const char* key = paramInfo(sound.machine, param).id;
  return key != nullptr && *key != '\0' ? key : nullptr;
}

clip::Note stepNote(const Project& project, const SampleSlotTable& samples, const KeysAsLoaded& keys, int t,
                    int j, double at, double b) {
  const Pattern& pattern = project.patterns[0];
  const Track& track = pattern.tracks[t];
  const Step& step = track.steps[j];
  const Sound& sound = auditionTrackSound(project, t);

  clip::Note note;
  note.at = at;
  note.voice = std::string(keys.keyOf(Records::Voices, idText(track.id)));
  note.nudge = step.micro * (1.0 / 64.0) * 0.5 * b;
  note.vel = std::clamp(step.velocity / 127.0 * static_cast<double>(accentFactor(pattern, j)), 0.0, 1.0);
  if (track.chromatic && sound.machine <= kMachineDrum && step.note != 60)
    note.tune = static_cast<double>(step.note) - 60.0;
  note.slide = step.slide != 0;
  const int locks = std::min<int>(step.lockCount, kListCapacity);
  for (int i = 0; i < locks; ++i) {
    const char* key = paramKey(sound, step.locks[i].param);
    if (key == nullptr) continue;
    clip::setNamedValue(note.set, key,
                        writeParamValue(sound, step.locks[i].param, step.locks[i].value, samples, keys));
  }
  if (reachesStepPan(step)) {
    clip::Expression pan;
    pan.value = step.panValue;
    clip::setExpression(note.expr, "pan", std::move(pan));
  }
  const int rands = std::min<int>(step.randCount, kListCapacity);
  if (step.randVel > 0.0f || step.randTime > 0.0f || step.randPan > 0.0f || rands > 0) {
    clip::NoteRandom rand;
    rand.vel = step.randVel;
    rand.nudge = step.randTime * 0.5 * b;
    if (step.randPan > 0.0f) rand.pan = step.randPan;
    for (int i = 0; i < rands; ++i) {
      const char* key = paramKey(sound, step.rands[i].param);
      if (key == nullptr) continue;
      clip::setNamedValue(rand.params, key, makeJsonNumber(step.rands[i].value * 0.5f));
    }
    note.rand = std::move(rand);
  }
  return note;
}

// One note the grid plays: the step note it copies (by index into the
// caller's list of step notes), its time and its retrig velocity factor.
struct Hit {
  double at;
  float factor;
  std::uint32_t source;
};

// Walks one track's grid; each playing position adds its step note to
// stepNotes and one hit per retrigger to hits, in time order within the step.
void trackHits(const Project& project, const SampleSlotTable& samples, const KeysAsLoaded& keys, int t,
               double clipLength, std::vector<clip::Note>& stepNotes, std::vector<Hit>& hits) {
  if (t < 0 || t >= kMaxTracks) return;
  const Pattern& pattern = project.patterns[0];
  const Track& track = pattern.tracks[t];
  if (track.length == 0 || (pattern.muteMask >> t) & 1u) return;
  const double b = rateBeats(track.rate);
  const double end = clipLength - kEndEpsilon;
  for (long i = 0; static_cast<double>(i) * b < end; ++i) {
    const int j = static_cast<int>(i % track.length);
    if (j >= kStepsPerTrack) continue;  // a length beyond the grid walks empty steps
    const Step& step = track.steps[j];
    if (!step.active || step.muted || step.velocity == 0) continue;
    const double at = static_cast<double>(i) * b;
    const auto source = static_cast<std::uint32_t>(stepNotes.size());
    stepNotes.push_back(stepNote(project, samples, keys, t, j, at, b));
    const int n = std::max<int>(1, step.count);
    const double spacing = static_cast<double>(retrigTicks(step)) / kTicksPerStep * b;
    for (int k = 0; k < n; ++k) {
      const double hitAt = at + k * spacing;
      if (!(hitAt < end)) break;  // later hits are later still
      hits.push_back(Hit{hitAt, retrigFactor(k, n, step.velCurve), source});
    }
  }
}

// The note of a hit: its step note at its time and velocity.
clip::Note hitNote(const std::vector<clip::Note>& stepNotes, const Hit& h) {
  clip::Note note = stepNotes[h.source];
  note.at = h.at;
  note.vel = note.vel * h.factor;
  return note;
}

// The notes a pattern plays, each step note once and, in time order, the
// hits that copy it: all a note's text is made from, a note at a time.
struct GridNotes {
  std::vector<clip::Note> stepNotes;
  std::vector<Hit> hits;

  JsonValue note(std::size_t i) const { return clip::writeNote(hitNote(stepNotes, hits[i])); }
  std::vector<clip::Note> all() const {
    std::vector<clip::Note> notes;
    notes.reserve(hits.size());
    for (const Hit& h : hits) notes.push_back(hitNote(stepNotes, h));
    return notes;
  }
};

// The notes the pattern plays over the clip's length.
GridNotes gridNotesOf(const Project& project, const SampleSlotTable& samples, const KeysAsLoaded& keys) {
  const Pattern& pattern = project.patterns[0];
  GridNotes notes;
  const int tracks = tracksInUse(pattern);
  for (int t = 0; t < tracks; ++t)
    trackHits(project, samples, keys, t, clipLengthOf(pattern), notes.stepNotes, notes.hits);
  // Stable by time: equal times keep track, step and retrig order.
  std::stable_sort(notes.hits.begin(), notes.hits.end(),
                   [](const Hit& a, const Hit& b) { return a.at < b.at; });
  return notes;
}

// The audition of a pattern but for its notes: the clip with an empty list
// where they go, and the grid beside it without their fingerprint.
struct AuditionFrame {
  JsonValue clip;
  GridNotes notes;
};

// Numbers that did not change since `spelled` (a loaded audition) was read
// take its spellings; its notes, a note at a time (notesSpelledAs). Voices
// and samples go by their keys.
AuditionFrame frameOf(const Project& project, const SampleSlotTable& samples, const KeysAsLoaded& keys,
                      const JsonValue* spelled);

template <typename Value>
Value* grooveIn(Value& audition) {
  Value* ext = audition.isObject() ? audition.find("ext") : nullptr;
  return ext != nullptr && ext->isObject() ? ext->find(stepsExtensionKey()) : nullptr;
}

// The loaded notes, each at the place of the note written there, when the
// lists are as long (and not empty); else none.
class NotesSpelledAs {
 public:
  NotesSpelledAs(const JsonValue* audition, std::size_t count) {
    const JsonValue* notes = audition != nullptr && audition->isObject() ? audition->find("notes") : nullptr;
    if (notes != nullptr && count > 0 && JsonElements(*notes).size() == count) loaded_.emplace(*notes);
  }
  // The loaded note at the next place, or null.
  const JsonValue* next() { return loaded_ ? loaded_->next() : nullptr; }

 private:
  std::optional<JsonElements> loaded_;
};

void spell(JsonValue& note, const JsonValue* as) {
  if (as != nullptr) adoptNumberSpellings(note, *as);
}

// Room for the notes' text: each as long as its step note's, with room for
// a longer time and velocity.
std::size_t textRoom(const GridNotes& grid) {
  constexpr std::size_t kRoomForNumbers = 40;
  std::vector<std::size_t> lengths;
  for (const clip::Note& n : grid.stepNotes) lengths.push_back(jsonTextSize(clip::writeNote(n), true));
  std::size_t room = 2;
  for (const Hit& h : grid.hits) room += lengths[h.source] + kRoomForNumbers;
  return room;
}

// The notes a load kept unplayed, in runs (isKeptNote), each run's value
// the list of them.
struct KeptNotes {
  std::vector<const KeptRecord*> runs;

  std::size_t count() const {
    std::size_t n = 0;
    for (const KeptRecord* run : runs) n += JsonElements(run->value).size();
    return n;
  }
};

// The notes of a grid as the compact text they are held as, and their
// fingerprint.
struct WrittenNotes {
  JsonValue text;
  std::string fingerprint;
};

// Written a note at a time, each spelled as the note `spelled` (a loaded
// audition) holds at its place, then the notes kept from it unplayed.
WrittenNotes writeNotes(const GridNotes& grid, const JsonValue* spelled, const KeptNotes& kept) {
  NotesSpelledAs loaded(spelled, grid.hits.size());
  NotesFingerprint print;
  std::string text;
  text.reserve(textRoom(grid));
  text += '[';
  for (std::size_t i = 0; i < grid.hits.size(); ++i) {
    JsonValue note = grid.note(i);
    spell(note, loaded.next());
    print.add(note);
    if (i > 0) text += ',';
    text += writeJson(note);
  }
  for (const KeptRecord* run : kept.runs) {
    JsonElements notes(run->value);
    while (const JsonValue* note = notes.next()) {
      print.add(*note);
      if (text.size() > 1) text += ',';
      text += writeJson(*note);
    }
  }
  text += ']';
  return {makeJsonKept(JsonKind::Kept, std::move(text)), print.finish()};
}

// The frame with its notes (then those kept), and their fingerprint in
// front of the grid.
JsonValue completed(AuditionFrame frame, const JsonValue* spelled, const KeptNotes& kept = {}) {
  WrittenNotes notes = writeNotes(frame.notes, spelled, kept);
  frame.clip.set("notes", std::move(notes.text));
  JsonValue* groove = grooveIn(frame.clip);
  groove->members.insert(groove->members.begin(), JsonMember{"notes", makeJsonString(notes.fingerprint)});
  markNotesKeptBack(*groove, kept.count());
  return std::move(frame.clip);
}

// Whether two frames write the same audition, their notes compared a note
// at a time as each would be written.
bool writeSame(const AuditionFrame& a, const AuditionFrame& b, const JsonValue* spelled) {
  const std::size_t count = a.notes.hits.size();
  if (count != b.notes.hits.size() || writeJson(a.clip) != writeJson(b.clip)) return false;
  NotesSpelledAs loaded(spelled, count);
  for (std::size_t i = 0; i < count; ++i) {
    const JsonValue* as = loaded.next();
    JsonValue mine = a.notes.note(i);
    JsonValue theirs = b.notes.note(i);
    spell(mine, as);
    spell(theirs, as);
    if (writeJson(mine) != writeJson(theirs)) return false;
  }
  return true;
}

// Whether the notes of a loaded audition say what its grid plays: one by
// one, as a save writes them, the notes the grid plays, and no other but
// those an earlier save kept back after them, which take no step.
bool notesArePlayed(const JsonValue& loaded, const GridNotes& grid, const Project& project,
                    const SampleSlotTable& samples, const KeysAsLoaded& keys) {
  static const JsonValue kNoNotes = makeJsonArray();
  const JsonValue* notes = loaded.find("notes");
  if (notes != nullptr && !isJsonList(*notes)) return false;
  JsonElements elements(notes != nullptr ? *notes : kNoNotes);
  const std::size_t count = elements.size();
  const std::size_t keptBack = notesKeptBack(loaded);
  if (count != grid.hits.size() + keptBack) return false;
  CanonicalNote asLoaded, asPlayed;
  for (std::size_t i = 0; i < grid.hits.size(); ++i) {
    const JsonValue* note = elements.next();
    JsonValue played = grid.note(i);
    spell(played, note);
    const std::string* was = asLoaded.of(*note);
    if (was == nullptr) return false;
    const std::string* is = asPlayed.of(played);
    if (is == nullptr || *was != *is) return false;
  }
  std::size_t kept = 0;
  if (keptBack > 0)
    notesKeptUnplayed(loaded, true, grid.hits.size(), grid.all(), {}, project, samples, keys,
                      [&kept](const JsonValue&, const clip::Note&) { ++kept; });
  return kept == keptBack;
}

// Whether the swing entries of a loaded audition give the swing its grid
// plays, as a load that placed its notes would take them.
bool swingIsPlayed(const JsonValue& loaded, const Project& project, const SampleSlotTable& samples,
                   const KeysAsLoaded& keys) {
  JsonValue entries = makeJsonObject();
  for (const JsonMember& m : loaded.members)
    if (m.key != "notes" && m.key != "ext") entries.members.push_back(m);
  std::unique_ptr<Project> placed = makeProject();
  *placed = project;
  Diagnostics unused = Diagnostics::dropping();
  readAudition(entries, *placed, samples, unused, "/audition", keys);
  const Pattern& is = placed->patterns[0];
  const Pattern& was = project.patterns[0];
  const auto swingOf = [](const Pattern& pattern, int t) {
    return pattern.tracks[t].swing >= 0.0f ? pattern.tracks[t].swing : pattern.swing;
  };
  for (int t = 0; t < tracksInUse(was); ++t)
    if (swingOf(is, t) != swingOf(was, t)) return false;
  return is.swing == was.swing;
}

// The loaded audition with the notes and the swing entries its grid plays
// in place of its own where they differ, the notes then those kept: all
// else goes back as it was read (the grid too, with what its load kept
// unplayed), the fingerprint beside the grid is that of the notes, and the
// extensions they use are declared.
JsonValue withGridPlayed(const JsonValue& loaded, const AuditionFrame& played, bool notesPlayed,
                         bool swingPlayed, const KeptNotes& kept) {
  JsonValue audition = makeJsonObject();
  const JsonValue* swing = swingPlayed ? nullptr : played.clip.find("swing");
  for (const JsonMember& m : loaded.members) {
    if (m.key == "swing" && !swingPlayed) continue;  // set below, in its place
    audition.members.push_back(m.key == "notes" && !notesPlayed ? JsonMember{m.key, JsonValue{}} : m);
  }
  clip::ExtensionUse use;
  if (swing != nullptr) {
    const auto at = std::find_if(loaded.members.begin(), loaded.members.end(),
                                 [](const JsonMember& m) { return m.key == "swing"; });
    const auto place = at == loaded.members.end() ? audition.members.end()
                                                  : audition.members.begin() + (at - loaded.members.begin());
    audition.members.insert(place, JsonMember{"swing", *swing});
    for (const JsonValue& entry : swing->elements) use.voices = use.voices || entry.find("voice") != nullptr;
  }
  if (!notesPlayed) {
    WrittenNotes notes = writeNotes(played.notes, &loaded, kept);
    audition.set("notes", std::move(notes.text));
    JsonValue* groove = grooveIn(audition);
    if (JsonValue* print = groove->find("notes"))
      *print = makeJsonString(notes.fingerprint);
    else
      groove->members.insert(groove->members.begin(), JsonMember{"notes", makeJsonString(notes.fingerprint)});
    markNotesKeptBack(*groove, kept.count());
    for (const clip::Note& n : played.notes.stepNotes) use.add(n);
  }
  JsonValue* declared = audition.find("extensions");
  if (declared == nullptr) {
    audition.set("extensions", makeJsonArray());
    declared = audition.find("extensions");
  }
  if (declared->isArray()) appendUndeclared(*declared, use.ids());  // else kept as written
  return audition;
}

}  // namespace

void gridToNotes(const Project& project, const SampleSlotTable& samples, int t, double clipLength,
                 std::vector<clip::Note>& notes, const KeysAsLoaded& keys) {
  std::vector<clip::Note> stepNotes;
  std::vector<Hit> hits;
  trackHits(project, samples, keys, t, clipLength, stepNotes, hits);
  notes.reserve(notes.size() + hits.size());
  for (const Hit& h : hits) notes.push_back(hitNote(stepNotes, h));
}

void gridToNotes(const Project& project, int track, double clipLength, std::vector<clip::Note>& notes) {
  gridToNotes(project, project.samples, track, clipLength, notes);
}

JsonValue writeAudition(const Project& project, const SampleSlotTable& samples, const KeysAsLoaded& keys) {
  return completed(frameOf(project, samples, keys, nullptr), nullptr);
}

namespace {

// What the load of an audition kept of its notes, which go after the
// notes a save writes: in the order read.
KeptNotes keptNotesOf(const std::vector<const KeptRecord*>& kept) {
  KeptNotes notes;
  for (const KeptRecord* r : kept)
    if (isKeptNote(*r)) notes.runs.push_back(r);
  return notes;
}

// The records that go back into an audition but its notes, and those of
// its swing entries alone.
std::vector<const KeptRecord*> placedOf(const std::vector<const KeptRecord*>& kept, bool swingOnly) {
  std::vector<const KeptRecord*> placed;
  for (const KeptRecord* r : kept)
    if (!isKeptNote(*r) && (!swingOnly || isKeptSwingEntry(*r))) placed.push_back(r);
  return placed;
}

}  // namespace

std::optional<JsonValue> auditionAnew(const Project& project, const SampleSlotTable& samples,
                                      JsonValue loaded, const LoadedAudition& as, const KeysAsLoaded& keys) {
  AuditionFrame mine = frameOf(project, samples, keys, &loaded);
  // A voice removed since the load takes what the audition holds of it
  // along, though the rest plays as it did; one whose machine changed
  // since reads its steps otherwise: what its load applied of them, the
  // project may have let go since.
  bool changed = false;
  for (std::size_t i = 0; i < as.voices.size(); ++i) {
    const int t = voiceIndexByName(project, keys, as.voices[i]);
    changed = changed || t < 0 ||
              (i < as.machines.size() && auditionTrackSound(project, t).machine != as.machines[i]);
  }
  const KeptNotes kept = keptNotesOf(as.kept);
  // What the loaded audition plays with this kit, asked as a load asks it.
  if (std::unique_ptr<Project> asLoaded = makeProject()) {
    *asLoaded = project;
    Diagnostics said = Diagnostics::dropping();  // when it was loaded
    const bool gridRead = readAuditionAgain(loaded, as.gridRead, *asLoaded, samples, said, "/audition", keys);
    // Held whole, it holds all its load kept: some of that went since.
    const bool same =
        !changed && as.whole && writeSame(mine, frameOf(*asLoaded, samples, keys, &loaded), &loaded);
    // It plays what the project plays. Where its grid played in place of
    // its notes and swing entries, they must say what it plays too.
    if (same && !gridRead) return std::nullopt;
    const bool notesPlayed = same && notesArePlayed(loaded, mine.notes, project, samples, keys);
    const bool swingPlayed = same && swingIsPlayed(loaded, project, samples, keys);
    if (notesPlayed && swingPlayed) return std::nullopt;
    if (same) {
      JsonValue audition = withGridPlayed(loaded, mine, notesPlayed, swingPlayed, kept);
      // The entries no load played go back beside those the grid plays.
      if (!swingPlayed) placeKeptRecords(audition, placedOf(as.kept, true), project, keys, 1);
      return audition;
    }
  }
  JsonValue written = completed(std::move(mine), &loaded, kept);
  // The grid spelled as loaded where it did not change, as the rest is.
  JsonValue* groove = grooveIn(written);
  if (const JsonValue* was = grooveIn(loaded); was != nullptr && groove != nullptr)
    adoptNumberSpellings(*groove, *was);
  keepAsLoaded(written, loaded);
  placeKeptRecords(written, placedOf(as.kept, false), project, keys, 1);
  return written;
}

std::vector<std::uint8_t> auditionMachines(const Project& project, const KeysAsLoaded& keys) {
  std::vector<std::uint8_t> machines;
  for (const std::string& key : auditionVoices(project, keys))
    machines.push_back(auditionTrackSound(project, voiceIndexByName(project, keys, key)).machine);
  return machines;
}

std::vector<clip::Note> patternNotes(const Project& project, const SampleSlotTable& samples,
                                     const KeysAsLoaded& keys) {
  return gridNotesOf(project, samples, keys).all();
}

JsonValue auditionToWrite(const Project& project, const SampleSlotTable& samples,
                          const LoadedAudition* loaded, const KeysAsLoaded& keys) {
  if (loaded == nullptr) return writeAudition(project, samples, keys);
  std::optional<JsonValue> anew = auditionAnew(project, samples, loaded->audition, *loaded, keys);
  return anew ? std::move(*anew) : loaded->audition;
}

bool auditionNotesArePlayed(const JsonValue& audition, const Project& project, const SampleSlotTable& samples,
                            const KeysAsLoaded& keys) {
  return notesArePlayed(audition, gridNotesOf(project, samples, keys), project, samples, keys);
}

bool auditionSwingIsPlayed(const JsonValue& audition, const Project& project, const SampleSlotTable& samples,
                           const KeysAsLoaded& keys) {
  return swingIsPlayed(audition, project, samples, keys);
}

JsonValue auditionBeside(const Project& project, const SampleSlotTable& samples, const KeysAsLoaded& keys) {
  JsonValue written = frameOf(project, samples, keys, nullptr).clip;
  for (const char* list : {"tempo", "meter", "swing", "notes"}) written.set(list, JsonValue{});
  if (JsonValue* ext = written.find("ext")) ext->set(stepsExtensionKey(), JsonValue{});
  return written;
}

namespace {

AuditionFrame frameOf(const Project& project, const SampleSlotTable& samples, const KeysAsLoaded& keys,
                      const JsonValue* spelled) {
  const Pattern& pattern = project.patterns[0];
  clip::Clip c;
  c.plugin = "orbitrane";
  c.formatVersion = 1;
  c.seed = defaultSeedOr(pattern);
  c.length = clipLengthOf(pattern);
  c.grid = "1/16";

  clip::TempoPoint tempo;
  tempo.at = 0.0;
  tempo.bpm = pattern.bpm;
  c.tempo.push_back(std::move(tempo));

  clip::MeterPoint meter;
  meter.num = 4;
  meter.den = 4;
  c.meter.push_back(std::move(meter));

  if (pattern.swing != 50.0f) {
    clip::SwingEntry swing;
    swing.grid = "1/16";
    swing.amount = swingFraction(pattern.swing);
    c.swing.push_back(std::move(swing));
  }

  AuditionFrame frame;
  GridNotes& notes = frame.notes = gridNotesOf(project, samples, keys);
  const int tracks = tracksInUse(pattern);
  for (int t = 0; t < tracks; ++t) {
    const Track& track = pattern.tracks[t];
    const Sound& sound = auditionTrackSound(project, t);
    const std::string_view key = keys.keyOf(Records::Voices, idText(track.id));
    clip::setNamedValue(
        c.voices, key,
        makeJsonStringFrom(std::string_view(sound.name, strnlen(sound.name, sizeof sound.name))));
    if (!(track.swing < 0.0f && track.rate == kSixteenthRate)) {
      clip::SwingEntry swing;
      swing.grid = trackRateGrid(track.rate);
      swing.amount = swingFraction(track.swing >= 0.0f ? track.swing : pattern.swing);
      swing.voice = std::string(key);
      c.swing.push_back(std::move(swing));
    }
  }
  // Declared as the clip writer would declare them for the notes it is not
  // given: every step note is played by its first hit at least.
  clip::ExtensionUse use;
  use.voices = !c.voices.empty();
  for (const clip::SwingEntry& s : c.swing) use.add(s);
  for (const clip::Note& n : notes.stepNotes) use.add(n);
  c.extensions.push_back(ExtensionId{kStepsExtensionName, kStepsExtensionVersion});
  for (ExtensionId& id : use.ids()) c.extensions.push_back(std::move(id));

  frame.clip = clip::writeClip(c);
  if (spelled != nullptr) adoptNumberSpellings(frame.clip, *spelled);
  JsonValue ext = makeJsonObject();
  ext.set(stepsExtensionKey(), writeGroove(project, samples, keys));
  frame.clip.set("ext", std::move(ext));
  return frame;
}

}  // namespace

}  // namespace ob
