#include "document/audition/audition_groove.h"

#include <cctype>
#include <cmath>
#include <cstring>

#include "document/audition/audition_numbers.h"
#include "document/diagnostics.h"
#include "document/params/param_values.h"
#include "document/reading/extension_id.h"
#include "document/reading/json_pointer.h"
#include "document/reading/narrow.h"
#include "engine/model/reach.h"
#include "engine/params/param_tables.h"

namespace ob {
namespace {

using audition::clampToFloat;
using audition::isTrueMember;
using audition::numberMember;
using audition::roundClamp;

std::string_view idText(const char (&id)[24]) { return std::string_view(id, strnlen(id, sizeof id)); }

JsonValue wholeNumber(int v) { return makeJsonDouble(static_cast<double>(v)); }

}  // namespace

bool readStepKey(std::string_view key, int& out) {
  std::size_t i = 0;
  while (i < key.size() && std::isspace(static_cast<unsigned char>(key[i]))) ++i;
  bool negative = false;
  if (i < key.size() && (key[i] == '+' || key[i] == '-')) {
    negative = key[i] == '-';
    ++i;
  }
  if (i == key.size()) return false;
  long long v = 0;
  for (; i < key.size(); ++i) {
    const char c = key[i];
    if (c < '0' || c > '9') return false;
    if (v < 1000) v = v * 10 + (c - '0');  // anything this large is out of range anyway
  }
  if (negative) v = -v;
  if (v < 0 || v >= kStepsPerTrack) return false;
  out = static_cast<int>(v);
  return true;
}

std::string stepsExtensionKey() {
  return formatExtensionId(ExtensionId{kStepsExtensionName, kStepsExtensionVersion});
}

int voiceIndexByName(const Project& project, const KeysAsLoaded& keys, std::string_view name) {
  return keys.find(Records::Voices, project.patterns[0].tracks, tracksInUse(project.patterns[0]), name);
}

std::vector<std::string> auditionVoices(const Project& project, const KeysAsLoaded& keys) {
  std::vector<std::string> names;
  for (int t = 0; t < tracksInUse(project.patterns[0]); ++t)
    names.emplace_back(keys.keyOf(Records::Voices, idText(project.patterns[0].tracks[t].id)));
  return names;
}

const Sound& auditionTrackSound(const Project& project, int track) {
  static const Sound kNoSound = [] {
    Sound s;
    initSoundParams(s, kMachineDrum);
    return s;
  }();
  if (track < 0 || track >= kMaxTracks) return kNoSound;
  const Pattern& pattern = project.patterns[0];
  const int index = pattern.tracks[track].soundIndex;
  if (index < 0 || index >= kMaxTracks) return kNoSound;
  return pattern.kit.sounds[index];
}

JsonValue writeStep(const Step& step, const Sound& sound, const SampleSlotTable& samples,
                    const KeysAsLoaded& keys) {
  JsonValue out = makeJsonObject();
  out.set("velocity", wholeNumber(step.velocity));
  if (step.note != 60) out.set("note", wholeNumber(step.note));
  if (step.micro != 0) out.set("micro", wholeNumber(step.micro));
  if (step.lengthTicks != 1) out.set("length", wholeNumber(step.lengthTicks));
  if (step.muted) out.set("muted", makeJsonBool(true));
  if (step.slide) out.set("slide", makeJsonBool(true));
  const int lockCount = entriesInUse(step.lockCount);
  if (step.lockCount > 0) {
    JsonValue locks = makeJsonObject();
    for (int i = 0; i < lockCount; ++i) {
      const ParamLock& lock = step.locks[i];
      const char* key = paramInfo(sound.machine, lock.param).id;
      // A lock on no parameter of this machine has no name to travel under.
      if (key == nullptr || *key == '\0') continue;
      locks.set(key, writeParamValue(sound, lock.param, lock.value, samples, keys));
    }
    out.set("locks", std::move(locks));
  }
  const int randCount = entriesInUse(step.randCount);
  if (step.randCount > 0) {
    JsonValue rands = makeJsonObject();
    for (int i = 0; i < randCount; ++i) {
      const char* key = paramInfo(sound.machine, step.rands[i].param).id;
      if (key == nullptr || *key == '\0') continue;
      rands.set(key, makeJsonNumber(step.rands[i].value));
    }
    out.set("rands", std::move(rands));
  }
  if (step.randVel > 0.0f) out.set("randVel", makeJsonNumber(step.randVel));
  if (step.randTime > 0.0f) out.set("randTime", makeJsonNumber(step.randTime));
  if (step.randPan > 0.0f) out.set("randPan", makeJsonNumber(step.randPan));
  // A pan plays only locked, and no control reaches it otherwise. A
  // retrigger taken down to one hit keeps its rate and ramp, which come back
  // with its repeats: written with its count, which plays no repeat.
  if (reachesStepPan(step)) out.set("pan", makeJsonNumber(step.panValue));
  if (step.count > 0 || step.rateTicks != Step{}.rateTicks || step.velCurve != Step{}.velCurve) {
    JsonValue retrig = makeJsonObject();
    retrig.set("count", wholeNumber(step.count));
    retrig.set("rate", wholeNumber(step.rateTicks));
    retrig.set("curve", wholeNumber(step.velCurve));
    out.set("retrig", std::move(retrig));
  }
  return out;
}

JsonValue writeGroove(const Project& project, const SampleSlotTable& samples, const KeysAsLoaded& keys) {
  const Pattern& pattern = project.patterns[0];
  JsonValue out = makeJsonObject();
  out.set("length", wholeNumber(pattern.length));
  out.set("swing", makeJsonNumber(pattern.swing));
  out.set("edited", makeJsonBool(pattern.grooveEdited != 0));
  // An accent of no amount still keeps the shape the editor shows for it.
  static const Pattern kFresh;
  if (pattern.accentAmount > 0.0f || pattern.accentEvery != kFresh.accentEvery ||
      pattern.accentCurve != kFresh.accentCurve) {
    JsonValue accent = makeJsonObject();
    accent.set("amount", makeJsonNumber(pattern.accentAmount));
    accent.set("every", wholeNumber(pattern.accentEvery));
    accent.set("curve", makeJsonNumber(pattern.accentCurve));
    out.set("accent", std::move(accent));
  }
  JsonValue voices = makeJsonObject();
  const int n = tracksInUse(pattern);
  for (int t = 0; t < n; ++t) {
    const Track& track = pattern.tracks[t];
    const Sound& sound = auditionTrackSound(project, t);
    JsonValue voice = makeJsonObject();
    voice.set("length", wholeNumber(track.length));
    JsonValue steps = makeJsonObject();
    for (int s = 0; s < kStepsPerTrack; ++s) {
      const Step& step = track.steps[s];
      if (step.active)
        steps.set(formatUnsigned(static_cast<std::uint64_t>(s)), writeStep(step, sound, samples, keys));
    }
    voice.set("steps", std::move(steps));
    voices.set(keys.keyOf(Records::Voices, idText(track.id)), std::move(voice));
  }
  out.set("voices", std::move(voices));
  return out;
}

void readStep(const JsonValue& value, Step& step, const Sound& sound, const SampleSlotTable& samples,
              Diagnostics& diagnostics, std::string_view path, const KeysAsLoaded& keys) {
  initSteps(&step, 1);
  step.active = 1;
  // Every field lands inside the range the editor keeps it in, so a document
  // cannot put a value into the project that no edit could make.
  if (auto v = numberMember(value, "velocity"))
    step.velocity = static_cast<std::uint8_t>(roundClamp(*v, 0, 127, 100));
  if (auto v = numberMember(value, "note")) step.note = static_cast<std::uint8_t>(roundClamp(*v, 0, 127, 60));
  if (auto v = numberMember(value, "micro"))
    step.micro = static_cast<std::int8_t>(roundClamp(*v, -64, 63, 0));
  if (auto v = numberMember(value, "length"))
    step.lengthTicks = static_cast<std::uint16_t>(roundClamp(*v, 1, 1536, 1));
  step.muted = isTrueMember(value, "muted") ? 1 : 0;
  step.slide = isTrueMember(value, "slide") ? 1 : 0;

  const JsonValue* locks = value.find("locks");
  if (locks != nullptr && locks->isObject()) {
    for (const JsonMember& m : locks->members) {
      const int index = findParamIndex(sound.machine, m.key);
      float f = 0.0f;
      if (index >= 0 && index < kSoundParamSlots &&
          readParamValue(sound, index, m.value, samples, f, nullptr, keys)) {
        if (step.lockCount < kListCapacity) {
          step.locks[step.lockCount].param = static_cast<std::uint8_t>(index);
          step.locks[step.lockCount].value = f;
          ++step.lockCount;
        }
        continue;
      }
      diagnostics.warn("unknown-param", memberPath(memberPath(path, "locks"), m.key),
                       "Not a param or value this sound has; kept but not applied");
    }
  }

  const JsonValue* rands = value.find("rands");
  if (rands != nullptr && rands->isObject()) {
    for (const JsonMember& m : rands->members) {
      const int index = findParamIndex(sound.machine, m.key);
      if (index >= 0 && index < kSoundParamSlots && m.value.isNumber()) {
        // A random depth is positive; none at all is no entry.
        const std::optional<float> depth = narrowToFloat(m.value.number);
        if (depth && *depth > 0.0f && step.randCount < kListCapacity) {
          step.rands[step.randCount].param = static_cast<std::uint8_t>(index);
          step.rands[step.randCount].value = *depth;
          ++step.randCount;
        }
        continue;
      }
      diagnostics.warn("unknown-param", memberPath(memberPath(path, "rands"), m.key),
                       "Not a param this sound has; kept but not applied");
    }
  }

  if (auto v = numberMember(value, "randVel")) step.randVel = clampToFloat(*v, 0.0f, 1.0f, 0.0f);
  if (auto v = numberMember(value, "randTime")) step.randTime = clampToFloat(*v, 0.0f, 1.0f, 0.0f);
  if (auto v = numberMember(value, "randPan")) step.randPan = clampToFloat(*v, 0.0f, 1.0f, 0.0f);
  if (auto v = numberMember(value, "pan")) {
    if (!std::isnan(*v)) {
      step.panLocked = 1;
      step.panValue = clampToFloat(*v, -1.0f, 1.0f, 0.0f);
    }
  }
  if (value.find(kPanOffKey) != nullptr && !step.panLocked)
    diagnostics.note(
        "step-pan-off-unread", memberPath(path, kPanOffKey),
        "A step's pan plays only locked and no control reaches it otherwise; kept but not applied");
  const JsonValue* retrig = value.find("retrig");
  if (retrig != nullptr && retrig->isObject()) {
    if (auto v = numberMember(*retrig, "count"))
      step.count = static_cast<std::uint8_t>(roundClamp(*v, 0, 32, 0));
    // 0 is the "not set yet" rate; any other stays within 1..192 ticks.
    if (auto v = numberMember(*retrig, "rate"))
      step.rateTicks = static_cast<std::uint16_t>(roundClamp(*v, 0, 192, 0));
    if (auto v = numberMember(*retrig, "curve"))
      step.velCurve = static_cast<std::int8_t>(roundClamp(*v, -128, 127, 0));
  }
}

void readAccent(const JsonValue& accent, float& amount, std::uint8_t& every, float& curve) {
  amount = 0.0f;
  if (!accent.isObject()) return;
  amount = clampToFloat(numberMember(accent, "amount").value_or(0.0), 0.0f, 1.0f, 0.0f);
  every = static_cast<std::uint8_t>(roundClamp(numberMember(accent, "every").value_or(4.0), 1, 16, 4));
  curve = clampToFloat(numberMember(accent, "curve").value_or(0.5), 0.0f, 1.0f, 0.5f);
}

void readGroove(const JsonValue& groove, Project& project, const SampleSlotTable& samples,
                Diagnostics& diagnostics, std::string_view path, const KeysAsLoaded& keys) {
  Pattern& pattern = project.patterns[0];
  for (Track& track : pattern.tracks) initSteps(track.steps, kStepsPerTrack);

  pattern.length =
      static_cast<std::uint16_t>(roundClamp(numberMember(groove, "length").value_or(16.0), 1, 16, 16));
  pattern.swing = clampToFloat(numberMember(groove, "swing").value_or(50.0), 50.0f, 80.0f, 50.0f);
  pattern.grooveEdited = isTrueMember(groove, "edited") ? 1 : 0;
  if (const JsonValue* accent = groove.find("accent"))
    readAccent(*accent, pattern.accentAmount, pattern.accentEvery, pattern.accentCurve);
  else
    pattern.accentAmount = 0.0f;

  const JsonValue* voices = groove.find("voices");
  if (voices == nullptr || !voices->isObject()) return;
  const std::string voicesPath = memberPath(path, "voices");
  for (const JsonMember& voice : voices->members) {
    const std::string voicePath = memberPath(voicesPath, voice.key);
    const int t = voiceIndexByName(project, keys, voice.key);
    if (t < 0) {
      diagnostics.warn(
          "unknown-voice", voicePath,
          "No voice " + quotedText(voice.key) + " in this kit; its steps are kept but not played");
      continue;
    }
    Track& track = pattern.tracks[t];
    track.length =
        static_cast<std::uint16_t>(roundClamp(numberMember(voice.value, "length").value_or(16.0), 1, 16, 16));
    const Sound& sound = auditionTrackSound(project, t);
    // Steps switched off, which an earlier build saved: a hit removed goes
    // whole, so what they hold is reached by nothing.
    if (voice.value.find(kStepsOffKey) != nullptr)
      diagnostics.note("steps-off-unread", memberPath(voicePath, kStepsOffKey),
                       "Steps switched off play nothing and no control reaches them; kept but not applied");
    const JsonValue* steps = voice.value.find("steps");
    if (steps == nullptr || !steps->isObject()) continue;
    const std::string stepsPath = memberPath(voicePath, "steps");
    for (const JsonMember& entry : steps->members) {
      const std::string stepPath = memberPath(stepsPath, entry.key);
      int s = 0;
      if (!readStepKey(entry.key, s) || !entry.value.isObject()) {
        diagnostics.warn("audition-step-unreadable", stepPath, "Not a step of the grid; kept but not played");
        continue;
      }
      readStep(entry.value, track.steps[s], sound, samples, diagnostics, stepPath, keys);
    }
  }
}

}  // namespace ob
