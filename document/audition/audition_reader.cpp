#include "document/audition/audition_reader.h"

#include <string>

#include "document/audition/audition_groove.h"
#include "document/audition/audition_numbers.h"
#include "document/audition/notes_fingerprint.h"
#include "document/audition/place_notes.h"
#include "document/clip/clip_reader.h"
#include "document/reading/json_pointer.h"
#include "engine/model/edit_command.h"

namespace ob {
namespace {

// The members the clip header, tempo and seed are read from.
JsonValue headOf(const JsonValue& audition) {
  if (!audition.isObject()) return makeJsonNull();  // not a clip either way
  JsonValue head = makeJsonObject();
  for (const JsonMember& m : audition.members)
    if (m.key == "kind" || m.key == "spec" || m.key == "tempo" || m.key == "seed") head.members.push_back(m);
  return head;
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

}  // namespace

void readAudition(const JsonValue& audition, Project& project, const SampleSlotTable& samples,
                  Diagnostics& diagnostics, std::string_view path) {
  // The envelope reader already reported what the clip reader finds. The
  // header, tempo and seed come from a clip of just those members, so a
  // trusted groove never pays for reading thousands of notes it ignores.
  Diagnostics ignored;
  // What the audition gives depends on it and the kit alone, whatever the
  // project held before: a save asks it again of the audition it loaded.
  clearGroove(project.patterns[0]);
  clip::Clip head;
  if (!clip::readClip(headOf(audition), head, ignored)) {
    diagnostics.warn("audition-unreadable", std::string(path),
                     "The audition is not a clip; kept, and the groove starts empty");
    return;
  }
  Pattern& pattern = project.patterns[0];
  for (const clip::TempoPoint& point : head.tempo) {
    if (point.invalid) continue;
    // Held to the tempo range of every edit: a tempo no float holds, or one
    // the step clock could not count in, never reaches the project.
    pattern.bpm = audition::clampToFloat(point.bpm, kMinBpm, kMaxBpm, pattern.bpm);
    break;
  }
  pattern.seed = head.seed && *head.seed != kDefaultPatternSeed ? *head.seed : 0;

  const JsonValue* ext = audition.find("ext");
  const std::string key = stepsExtensionKey();
  const JsonValue* groove = ext != nullptr && ext->isObject() ? ext->find(key) : nullptr;
  if (groove != nullptr && groove->isObject()) {
    static const JsonValue kNoNotes = makeJsonArray();
    const JsonValue* notes = audition.find("notes");
    const std::string found = notesFingerprint(notes != nullptr ? *notes : kNoNotes);
    const JsonValue* saved = groove->find("notes");
    const std::string expected = saved != nullptr && saved->isString() ? saved->text : std::string();
    if (found == expected) {
      readGroove(*groove, project, samples, diagnostics, memberPath(std::string(path) + "/ext", key));
      return;
    }
  }
  if (groove != nullptr)
    diagnostics.note(
        "audition-notes-edited", std::string(path) + "/notes",
        "The notes changed since the step grid beside them was saved; the notes were placed on the grid");
  clip::Clip clip;
  clip::readClip(audition, clip, ignored);
  placeNotesOnGrid(clip, project, samples, diagnostics, path);
}

}  // namespace ob
