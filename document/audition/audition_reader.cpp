#include "document/audition/audition_reader.h"

#include <optional>
#include <string>

#include "document/audition/audition_groove.h"
#include "document/audition/audition_numbers.h"
#include "document/audition/notes_fingerprint.h"
#include "document/audition/place_notes.h"
#include "document/clip/clip_reader.h"
#include "document/reading/document_header.h"
#include "document/reading/json_pointer.h"
#include "engine/model/edit_command.h"

namespace ob {
namespace {

// The member of the audition's "ext" that holds the step grid saved beside
// its notes, of whatever kind, when there is one.
const JsonValue* grooveOf(const JsonValue& audition) {
  const JsonValue* ext = audition.isObject() ? audition.find("ext") : nullptr;
  return ext != nullptr && ext->isObject() ? ext->find(stepsExtensionKey()) : nullptr;
}

// Whether the notes beside the groove are those it was saved with.
bool notesAsSaved(const JsonValue& audition, const JsonValue& groove) {
  static const JsonValue kNoNotes = makeJsonArray();
  const JsonValue* notes = audition.find("notes");
  const JsonValue* saved = groove.find("notes");
  const std::string expected = saved != nullptr && saved->isString() ? saved->text : std::string();
  return notesFingerprint(notes != nullptr ? *notes : kNoNotes) == expected;
}

// The pattern as a project holds it before any audition is read: what
// the audition sets, at the defaults. The voice state's own fields (a
// track's swing among them) stay.
void clearGroove(Pattern& pattern) {
  static const Pattern kFresh;
  pattern.length = kFresh.length;
  pattern.swing = kFresh.swing;
  pattern.bpm = kFresh.bpm;
  pattern.accentAmount = kFresh.accentAmount;
  pattern.accentEvery = kFresh.accentEvery;
  pattern.accentCurve = kFresh.accentCurve;
  pattern.seed = kFresh.seed;
  pattern.grooveEdited = kFresh.grooveEdited;
  for (int t = 0; t < kMaxTracks; ++t) {
    pattern.tracks[t].length = kFresh.tracks[t].length;
    initSteps(pattern.tracks[t].steps, kStepsPerTrack);
  }
}

// The read, asking whether the grid holds only where it is not known.
bool readGridOrNotes(const JsonValue& audition, std::optional<bool> gridHolds, Project& project,
                     const SampleSlotTable& samples, Diagnostics& diagnostics, std::string_view path,
                     const KeysAsLoaded& keys) {
  // What the audition gives depends on it and the kit alone, whatever the
  // project held before: a save asks it again of the audition it loaded.
  clearGroove(project.patterns[0]);
  const std::string at(path);
  Diagnostics unread = Diagnostics::dropping();  // the read below says it
  if (!readDocumentHeader(audition, "clip", unread).ok) {
    diagnostics.warn("audition-unreadable", at,
                     "The audition is not a clip; kept, and the groove starts empty");
    return false;
  }
  // The clip is read once, for what it plays and for its findings: its
  // notes one at a time, placed on the grid unless the grid saved beside
  // them still holds.
  const JsonValue* groove = grooveOf(audition);
  const bool grooveHolds =
      gridHolds ? *gridHolds : groove != nullptr && groove->isObject() && notesAsSaved(audition, *groove);
  if (groove != nullptr && !grooveHolds)
    diagnostics.note(
        "audition-notes-edited", at + "/notes",
        "The notes changed since the step grid beside them was saved; the notes were placed on the grid");
  NotePlacer placer(project, samples, keys, diagnostics, path);
  const clip::NoteTaker take = [&](const clip::Note& note, std::size_t index, const JsonValue&) {
    if (!grooveHolds) placer.place(note, index);
  };
  const std::optional<clip::Clip> clip = clip::readClipToPlay(audition, diagnostics, path, take);
  if (!clip) return false;  // its header said why
  Pattern& pattern = project.patterns[0];
  for (const clip::TempoPoint& point : clip->tempo) {
    if (point.invalid) continue;
    // Held to the tempo range of every edit: a tempo no float holds, or one
    // the step clock could not count in, never reaches the project.
    pattern.bpm = audition::clampToFloat(point.bpm, kMinBpm, kMaxBpm, pattern.bpm);
    break;
  }
  pattern.seed = clip->seed && *clip->seed != kDefaultPatternSeed ? *clip->seed : 0;
  if (grooveHolds)
    readGroove(*groove, project, samples, diagnostics, memberPath(at + "/ext", stepsExtensionKey()), keys);
  else
    placer.finish(*clip);
  return grooveHolds;
}

}  // namespace

bool readAudition(const JsonValue& audition, Project& project, const SampleSlotTable& samples,
                  Diagnostics& diagnostics, std::string_view path, const KeysAsLoaded& keys) {
  return readGridOrNotes(audition, std::nullopt, project, samples, diagnostics, path, keys);
}

bool readAuditionAgain(const JsonValue& audition, bool gridHolds, Project& project,
                       const SampleSlotTable& samples, Diagnostics& diagnostics, std::string_view path,
                       const KeysAsLoaded& keys) {
  return readGridOrNotes(audition, gridHolds, project, samples, diagnostics, path, keys);
}

}  // namespace ob
