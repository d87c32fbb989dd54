#include "document/audition/place_notes.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "document/audition/audition_groove.h"
#include "document/audition/audition_numbers.h"
#include "document/audition/track_rate.h"
#include "document/params/param_values.h"
#include "document/reading/json_pointer.h"
#include "document/reading/narrow.h"
#include "engine/clock/step_rate.h"
#include "engine/model/reach.h"
#include "engine/params/param_tables.h"

namespace ob {
namespace {

using audition::clampToFloat;
using audition::roundClamp;

// How far a note may sit from its step and still be on it, in beats.
constexpr double kOnStep = 0.000001;

void appendLock(Step& step, int index, float value) {
  if (step.lockCount >= kListCapacity) return;
  step.locks[step.lockCount].param = static_cast<std::uint8_t>(index);
  step.locks[step.lockCount].value = value;
  ++step.lockCount;
}

void fillStep(const clip::Note& note, Step& step, const Sound& sound, const SampleSlotTable& samples,
              const KeysAsLoaded& keys, double b, Diagnostics& diagnostics, const std::string& notePath) {
  step.active = 1;
  step.velocity = static_cast<std::uint8_t>(roundClamp(note.vel * 127.0, 0, 127, 100));
  step.note = static_cast<std::uint8_t>(
      std::clamp<std::int32_t>(roundClamp(note.tune.value_or(0.0), -1000, 1000, 0) + 60, 0, 127));
  step.micro = static_cast<std::int8_t>(roundClamp(note.nudge / (0.5 * b) * 64.0, -64, 63, 0));
  step.slide = note.slide ? 1 : 0;

  for (const JsonMember& m : note.set) {
    const int index = findParamIndex(sound.machine, m.key);
    float f = 0.0f;
    if (index >= 0 && index < kSoundParamSlots &&
        readParamValue(sound, index, m.value, samples, f, nullptr, keys)) {
      appendLock(step, index, f);
      continue;
    }
    diagnostics.warn("unknown-param", memberPath(notePath + "/set", m.key),
                     "Not a param or value this sound has; not applied");
  }
  for (const JsonMember& m : note.add) {
    const int index = findParamIndex(sound.machine, m.key);
    if (index >= 0 && index < kSoundParamSlots && m.value.isNumber()) {
      // The sum is a value like any lock's; one no float holds is refused.
      const std::optional<float> offset = narrowToFloat(m.value.number);
      const float value = offset ? sound.params[index] + *offset : 0.0f;
      if (offset && std::isfinite(value)) {
        appendLock(step, index, value);
        continue;
      }
    }
    diagnostics.warn("unknown-param", memberPath(notePath + "/add", m.key),
                     "Not a param this sound has; not applied");
  }
  for (const clip::NamedExpression& e : note.expr) {
    if (e.name != "pan") continue;
    if (!e.expression.curve && !e.expression.invalid && !std::isnan(e.expression.value)) {
      step.panLocked = 1;
      step.panValue = clampToFloat(e.expression.value, -1.0f, 1.0f, 0.0f);
    }
    break;
  }
  if (note.rand) {
    const clip::NoteRandom& r = *note.rand;
    step.randVel = clampToFloat(r.vel, 0.0f, 1.0f, 0.0f);
    step.randTime = clampToFloat(r.nudge / (0.5 * b), 0.0f, 1.0f, 0.0f);
    step.randPan = clampToFloat(r.pan.value_or(0.0), 0.0f, 1.0f, 0.0f);
    for (const JsonMember& m : r.params) {
      if (step.randCount >= kListCapacity) break;
      const int index = findParamIndex(sound.machine, m.key);
      if (index < 0 || index >= kSoundParamSlots || !m.value.isNumber()) continue;
      const std::optional<float> depth = narrowToFloat(m.value.number * 2.0);
      if (!depth || !(*depth > 0.0f)) continue;  // no depth, no entry
      step.rands[step.randCount].param = static_cast<std::uint8_t>(index);
      step.rands[step.randCount].value = *depth;
      ++step.randCount;
    }
  }
}

}  // namespace

NotePlacer::NotePlacer(Project& project, const SampleSlotTable& samples, const KeysAsLoaded& keys,
                       Diagnostics& diagnostics, std::string_view path)
    : project_(project),
      samples_(samples),
      keys_(keys),
      diagnostics_(diagnostics),
      notesPath_(std::string(path) + "/notes") {
  for (Track& track : project_.patterns[0].tracks) initSteps(track.steps, kStepsPerTrack);
}

bool NotePlacer::place(const clip::Note& note, std::size_t index) {
  if (note.invalid) return false;
  Pattern& pattern = project_.patterns[0];
  const std::string notePath = indexPath(notesPath_, index);
  const int t = note.voice.empty() ? -1 : voiceIndexByName(project_, keys_, note.voice);
  if (t < 0) {
    diagnostics_.warn("audition-note-not-placed", notePath,
                      "The note names no voice of this kit; kept but not played");
    return false;
  }
  Track& track = pattern.tracks[t];
  const double b = rateBeats(track.rate);
  const int s = gridStepOf(track, note.at);
  if (s < 0) {
    diagnostics_.warn("audition-note-not-placed", notePath,
                      "The note is not on a step of its voice's grid; kept but not played");
    return false;
  }
  Step& step = track.steps[s];
  if (step.active) {
    diagnostics_.warn("audition-note-not-placed", notePath,
                      "Another note already holds this step; kept but not played");
    return false;
  }
  fillStep(note, step, auditionTrackSound(project_, t), samples_, keys_, b, diagnostics_, notePath);
  return true;
}

int gridStepOf(const Track& track, double at) {
  const double b = rateBeats(track.rate);
  const double s = std::round(at / b);
  if (!(std::fabs(s * b - at) <= kOnStep) || s < 0.0 || s > kStepsPerTrack - 1) return -1;
  return static_cast<int>(s);
}

void NotePlacer::finish(const clip::Clip& clip) {
  Pattern& pattern = project_.patterns[0];
  const int length = roundClamp(clip.length * 4.0, 1, 16, 16);
  pattern.length = static_cast<std::uint16_t>(length);
  pattern.accentAmount = 0.0f;
  pattern.grooveEdited = 1;
  pattern.swing = 50.0f;
  const int tracks = tracksInUse(pattern);
  for (int t = 0; t < tracks; ++t) {
    pattern.tracks[t].length = static_cast<std::uint16_t>(length);
    pattern.tracks[t].swing = -1.0f;
  }

  for (const clip::SwingEntry& entry : clip.swing) {
    if (entry.invalid || entry.bar != 0) continue;
    const float percent = clampToFloat(swingPercent(entry.amount), 50.0f, 80.0f, 50.0f);
    if (entry.voice.empty()) {
      pattern.swing = percent;
      continue;
    }
    const int t = voiceIndexByName(project_, keys_, entry.voice);
    if (t >= 0) pattern.tracks[t].swing = percent;
  }
}

void placeNotesOnGrid(const clip::Clip& clip, Project& project, const SampleSlotTable& samples,
                      Diagnostics& diagnostics, std::string_view path, const KeysAsLoaded& keys) {
  NotePlacer placer(project, samples, keys, diagnostics, path);
  for (std::size_t n = 0; n < clip.notes.size(); ++n) placer.place(clip.notes[n], n);
  placer.finish(clip);
}

}  // namespace ob
