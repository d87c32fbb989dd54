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

void readAudition(const JsonValue& audition, Project& project, const SampleSlotTable& samples,
                  Diagnostics& diagnostics, std::string_view path) {
  clip::Clip clip;
  // The envelope reader already reported what the clip reader finds.
  Diagnostics ignored;
  if (!clip::readClip(audition, clip, ignored)) {
    diagnostics.warn("audition-unreadable", std::string(path),
                     "The audition is not a clip; kept, and the groove starts empty");
    return;
  }
  Pattern& pattern = project.patterns[0];
  for (const clip::TempoPoint& point : clip.tempo) {
    if (point.invalid) continue;
    // Held to the tempo range of every edit: a tempo no float holds, or one
    // the step clock could not count in, never reaches the project.
    pattern.bpm = audition::clampToFloat(point.bpm, kMinBpm, kMaxBpm, pattern.bpm);
    break;
  }
  pattern.seed = clip.seed && *clip.seed != kDefaultPatternSeed ? *clip.seed : 0;

  const JsonValue* ext = audition.find("ext");
  const std::string key = stepsExtensionKey();
  const JsonValue* groove = ext != nullptr && ext->isObject() ? ext->find(key) : nullptr;
  if (groove != nullptr && groove->isObject()) {
    const JsonValue* notes = audition.find("notes");
    const std::string found = notesFingerprint(notes != nullptr ? *notes : makeJsonArray());
    const JsonValue* saved = groove->find("notes");
    const std::string expected = saved != nullptr && saved->isString() ? saved->text : std::string();
    if (found == expected) {
      readGroove(*groove, project, samples, diagnostics, memberPath(std::string(path) + "/ext", key));
      return;
    }
  }
  if (groove != nullptr)
    diagnostics.note("audition-notes-edited", std::string(path) + "/notes",
                     "The notes changed since the step grid beside them was saved; the notes were placed on the grid");
  placeNotesOnGrid(clip, project, samples, diagnostics, path);
}

}  // namespace ob
