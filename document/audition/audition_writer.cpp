#include "document/audition/audition_writer.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>

#include "document/audition/audition_groove.h"
#include "document/audition/audition_reader.h"
#include "document/audition/notes_fingerprint.h"
#include "document/audition/track_rate.h"
#include "document/clip/clip_writer.h"
#include "document/json/json_write.h"
#include "document/params/number_spellings.h"
#include "document/params/param_values.h"
#include "engine/clock/step_rate.h"
#include "engine/params/param_tables.h"

namespace ob {
namespace {

// Positions closer than this to the clip's end count as past it.
constexpr double kEndEpsilon = 1e-9;

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

clip::Note stepNote(const Project& project, const SampleSlotTable& samples, int t, int j, double at,
                    double b) {
  const Pattern& pattern = project.patterns[0];
  const Track& track = pattern.tracks[t];
  const Step& step = track.steps[j];
  const Sound& sound = auditionTrackSound(project, t);

  clip::Note note;
  note.at = at;
  note.voice = std::string(idText(track.id));
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
                        writeParamValue(sound, step.locks[i].param, step.locks[i].value, samples));
  }
  if (step.panLocked) {
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
void trackHits(const Project& project, const SampleSlotTable& samples, int t, double clipLength,
               std::vector<clip::Note>& stepNotes, std::vector<Hit>& hits) {
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
    stepNotes.push_back(stepNote(project, samples, t, j, at, b));
    const int n = std::max<int>(1, step.count);
    const double spacing = static_cast<double>(retrigTicks(step)) / kTicksPerStep * b;
    for (int k = 0; k < n; ++k) {
      const double hitAt = at + k * spacing;
      if (!(hitAt < end)) break;  // later hits are later still
      hits.push_back(Hit{hitAt, retrigFactor(k, n, step.velCurve), source});
    }
  }
}

// Copies each hit's step note into notes, in the order of hits.
void appendHits(std::vector<clip::Note>& stepNotes, const std::vector<Hit>& hits,
                std::vector<clip::Note>& notes) {
  notes.reserve(notes.size() + hits.size());
  for (const Hit& h : hits) {
    const clip::Note& source = stepNotes[h.source];
    notes.push_back(source);
    notes.back().at = h.at;
    notes.back().vel = source.vel * h.factor;
  }
}

// The audition of the pattern; numbers that did not change since `spelled`
// was read take its spellings before the notes are fingerprinted, so that
// a document's own pass over its numbers changes nothing the fingerprint
// holds.
JsonValue auditionOf(const Project& project, const SampleSlotTable& samples, const JsonValue* spelled);

}  // namespace

void gridToNotes(const Project& project, const SampleSlotTable& samples, int t, double clipLength,
                 std::vector<clip::Note>& notes) {
  std::vector<clip::Note> stepNotes;
  std::vector<Hit> hits;
  trackHits(project, samples, t, clipLength, stepNotes, hits);
  appendHits(stepNotes, hits, notes);
}

void gridToNotes(const Project& project, int track, double clipLength, std::vector<clip::Note>& notes) {
  gridToNotes(project, project.samples, track, clipLength, notes);
}

JsonValue writeAudition(const Project& project, const SampleSlotTable& samples) {
  return auditionOf(project, samples, nullptr);
}

JsonValue auditionToWrite(const Project& project, const SampleSlotTable& samples, const JsonValue* loaded) {
  JsonValue written = auditionOf(project, samples, loaded);
  if (loaded == nullptr) return written;
  // What the loaded audition plays with this kit, asked as a load asks it.
  std::unique_ptr<Project> asLoaded = makeProject();
  if (!asLoaded) return written;
  *asLoaded = project;
  Diagnostics said = Diagnostics::dropping();  // when it was loaded
  readAudition(*loaded, *asLoaded, samples, said, "/audition");
  if (writeJson(auditionOf(*asLoaded, samples, loaded)) == writeJson(written)) return *loaded;
  return written;
}

void takeNotesAndGrid(JsonValue& written, const JsonValue& loaded) {
  if (!written.isObject()) return;
  if (const JsonValue* notes = loaded.find("notes")) written.set("notes", *notes);
  const JsonValue* ext = loaded.find("ext");
  const std::string key = stepsExtensionKey();
  const JsonValue* groove = ext != nullptr ? ext->find(key) : nullptr;
  JsonValue* writtenExt = written.find("ext");
  if (groove != nullptr && writtenExt != nullptr) writtenExt->set(key, *groove);
}

namespace {

JsonValue auditionOf(const Project& project, const SampleSlotTable& samples, const JsonValue* spelled) {
  const Pattern& pattern = project.patterns[0];
  clip::Clip c;
  c.plugin = "orbitrane";
  c.formatVersion = 1;
  c.seed = defaultSeedOr(pattern);
  c.length = pattern.length * 0.25;
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

  std::vector<clip::Note> stepNotes;
  std::vector<Hit> hits;
  const int tracks = std::min<int>(pattern.numTracks, kMaxTracks);
  for (int t = 0; t < tracks; ++t) {
    const Track& track = pattern.tracks[t];
    const Sound& sound = auditionTrackSound(project, t);
    clip::setNamedValue(
        c.voices, idText(track.id),
        makeJsonStringFrom(std::string_view(sound.name, strnlen(sound.name, sizeof sound.name))));
    if (!(track.swing < 0.0f && track.rate == kSixteenthRate)) {
      clip::SwingEntry swing;
      swing.grid = trackRateGrid(track.rate);
      swing.amount = swingFraction(track.swing >= 0.0f ? track.swing : pattern.swing);
      swing.voice = std::string(idText(track.id));
      c.swing.push_back(std::move(swing));
    }
    trackHits(project, samples, t, c.length, stepNotes, hits);
  }
  // Stable by time: equal times keep track, step and retrig order. Notes are
  // large, so the order is settled on the hits and each note is made in place.
  std::stable_sort(hits.begin(), hits.end(), [](const Hit& a, const Hit& b) { return a.at < b.at; });
  appendHits(stepNotes, hits, c.notes);
  c.extensions.push_back(ExtensionId{kStepsExtensionName, kStepsExtensionVersion});

  JsonValue result = clip::writeClip(c);
  if (spelled != nullptr) adoptNumberSpellings(result, *spelled);

  JsonValue groove = makeJsonObject();
  static const JsonValue kNoNotes = makeJsonArray();
  const JsonValue* notes = result.find("notes");
  groove.members.push_back(
      JsonMember{"notes", makeJsonString(notesFingerprint(notes != nullptr ? *notes : kNoNotes))});
  JsonValue rest = writeGroove(project, samples);
  for (JsonMember& m : rest.members) groove.members.push_back(std::move(m));

  JsonValue ext = makeJsonObject();
  ext.set(stepsExtensionKey(), std::move(groove));
  result.set("ext", std::move(ext));
  return result;
}

}  // namespace

}  // namespace ob
