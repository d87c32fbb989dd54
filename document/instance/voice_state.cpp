#include "document/instance/voice_state.h"

#include <optional>
#include <string>

#include "document/audition/track_rate.h"
#include "document/instance/division_words.h"
#include "document/instance/state_fields.h"
#include "document/reading/json_pointer.h"
#include "document/reading/narrow.h"
#include "engine/params/param_tables.h"

namespace ob {
namespace {

constexpr const char* kShapes[6] = {"sine", "tri", "sawup", "sawdown", "square", "random"};
constexpr const char* kTrigModes[5] = {"free", "trig", "hold", "one", "half"};

void readFloat(const JsonValue& object, std::string_view key, float& out) {
  const JsonValue* v = object.find(key);
  if (v == nullptr || !v->isNumber()) return;
  if (std::optional<float> f = narrowToFloat(v->number)) out = *f;
}

std::uint8_t readWord(const JsonValue& object, std::string_view key, const char* const* words, int count) {
  const JsonValue* v = object.find(key);
  if (v == nullptr || !v->isString()) return 0;
  return static_cast<std::uint8_t>(wordIndex(words, count, v->text, 0));
}

bool isTrue(const JsonValue& object, std::string_view key) {
  const JsonValue* v = object.find(key);
  return v != nullptr && v->isBool() && v->boolean;
}

int machineOf(const Project& project, const Track& track) {
  const std::uint8_t s = static_cast<std::uint8_t>(track.soundIndex);
  if (s < kMaxTracks) return project.patterns[0].kit.sounds[s].machine;
  return kMachineDrum;
}

// A modulator switched off keeps its settings through a save, marked so;
// one without the mark is on, as every earlier save wrote it.
std::uint8_t readEnabled(const JsonValue& modulator) {
  const JsonValue* v = modulator.find("enabled");
  return v != nullptr && v->isBool() && !v->boolean ? 0 : 1;
}

// Written when on, or when off with settings of its own to come back to.
template <class Modulator>
bool written(const Modulator& modulator) {
  return modulator.enabled != 0 || !(modulator == Modulator{});
}

void readLfo(const JsonValue& lfo, Lfo& out, int dest) {
  out.enabled = readEnabled(lfo);
  out.dest = static_cast<std::uint8_t>(dest);
  readFloat(lfo, "rate", out.rate);
  out.shape = readWord(lfo, "shape", kShapes, 6);
  readFloat(lfo, "depth", out.depth);
  out.trig = readWord(lfo, "trig", kTrigModes, 5);
  out.sync = isTrue(lfo, "sync") ? 1 : 0;
  out.rateDiv = static_cast<std::uint8_t>(readDivision(lfo.find("division"), 5));
}

void readEnv(const JsonValue& env, ModEnv& out, int dest) {
  out.enabled = readEnabled(env);
  out.dest = static_cast<std::uint8_t>(dest);
  readFloat(env, "attack", out.attack);
  readFloat(env, "hold", out.hold);
  readFloat(env, "decay", out.decay);
  readFloat(env, "depth", out.depth);
  out.sync = isTrue(env, "sync") ? 1 : 0;
  out.atkDiv = static_cast<std::uint8_t>(readDivision(env.find("attackDivision"), 2));
  out.decDiv = static_cast<std::uint8_t>(readDivision(env.find("decayDivision"), 5));
}

JsonValue paramKey(int machine, int index) { return makeJsonString(paramInfo(machine, index).id); }

template <class Modulator>
JsonValue modulatorStart(const Modulator& modulator, int machine) {
  JsonValue o = makeJsonObject();
  if (modulator.enabled == 0) o.members.push_back({"enabled", makeJsonBool(false)});
  o.members.push_back({"dest", paramKey(machine, modulator.dest)});
  return o;
}

const char* wordOr(const char* const* words, int count, int index) {
  return index >= 0 && index < count ? words[index] : words[0];
}

}  // namespace

int wordIndex(const char* const* words, int count, std::string_view word, int fallback) {
  for (int i = 0; i < count; ++i)
    if (word == words[i]) return i;
  return fallback;
}

int findParamOrWarn(const JsonValue* dest, int machine, Diagnostics& diagnostics, std::string_view path) {
  if (dest != nullptr && dest->isString()) {
    const int index = findParamIndex(machine, dest->text);
    if (index >= 0 && index < kSoundParamSlots) return index;
  }
  diagnostics.warn("unknown-param", std::string(path),
                   "Not a param of this voice's sound; kept but not applied");
  return -1;
}

void readVoice(const JsonValue& voice, Project& project, int trackIndex, Diagnostics& diagnostics,
               std::string_view path) {
  if (trackIndex < 0 || trackIndex >= kMaxTracks) return;
  Pattern& pattern = project.patterns[0];
  Track& track = pattern.tracks[trackIndex];
  const int machine = machineOf(project, track);
  const std::string base(path);

  readFloat(voice, "gain", track.gain);
  readFloat(voice, "pan", track.pan);
  readFloat(voice, "swing", track.swing);
  track.chromatic = isTrue(voice, "chromatic") ? 1 : 0;

  track.rate = readTrackRate(voice.find("rate"));

  track.chokeGroup = kNoChokeGroup;
  if (const JsonValue* choke = voice.find("choke");
      choke != nullptr && choke->isNumber() && choke->number >= 0.0 && choke->number <= kChokeGroups - 1)
    track.chokeGroup = static_cast<std::uint8_t>(choke->number);

  if (isTrue(voice, "muted"))
    pattern.muteMask = static_cast<std::uint8_t>(pattern.muteMask | (1u << trackIndex));

  if (const JsonValue* lfos = voice.find("lfos"); lfos != nullptr && lfos->isObject()) {
    for (int i = 0; i < 2; ++i) {
      const std::string name = "lfo" + std::to_string(i + 1);
      const JsonValue* lfo = lfos->find(name);
      if (lfo == nullptr || !lfo->isObject()) continue;
      const int dest =
          findParamOrWarn(lfo->find("dest"), machine, diagnostics, base + "/lfos/" + name + "/dest");
      if (dest >= 0) readLfo(*lfo, track.lfos[i], dest);
    }
  }
  if (const JsonValue* envs = voice.find("modEnvs"); envs != nullptr && envs->isObject()) {
    for (int i = 0; i < 2; ++i) {
      const std::string name = "env" + std::to_string(i + 1);
      const JsonValue* env = envs->find(name);
      if (env == nullptr || !env->isObject()) continue;
      const int dest =
          findParamOrWarn(env->find("dest"), machine, diagnostics, base + "/modEnvs/" + name + "/dest");
      if (dest >= 0) readEnv(*env, track.modEnvs[i], dest);
    }
  }
  if (const JsonValue* breathe = voice.find("breathe"); breathe != nullptr && breathe->isObject()) {
    for (const JsonMember& m : breathe->members) {
      const int index = findParamIndex(machine, m.key);
      if (index < 0 || index >= kSoundParamSlots) {
        diagnostics.warn("unknown-param", memberPath(base + "/breathe", m.key),
                         "Not a param of this voice's sound; kept but not applied");
        continue;
      }
      if (!m.value.isNumber() || track.trackRandCount >= kListCapacity) continue;
      std::optional<float> amount = narrowToFloat(m.value.number);
      if (!amount) continue;
      ParamLock& r = track.trackRands[track.trackRandCount];
      r.param = static_cast<std::uint8_t>(index);
      r.value = *amount;
      ++track.trackRandCount;
    }
  }
}

JsonValue writeVoice(const Project& project, int trackIndex) {
  JsonValue out = makeJsonObject();
  if (trackIndex < 0 || trackIndex >= kMaxTracks) return out;
  const Pattern& pattern = project.patterns[0];
  const Track& track = pattern.tracks[trackIndex];
  const int machine = machineOf(project, track);
  auto add = [&out](const char* key, JsonValue v) { out.members.push_back({key, std::move(v)}); };

  add("order", makeJsonDouble(trackIndex));
  const std::uint8_t s = static_cast<std::uint8_t>(track.soundIndex);
  if (s < kMaxTracks) add("sound", jsonText(fixedText(pattern.kit.sounds[s].id)));
  add("gain", makeJsonNumber(track.gain));
  add("pan", makeJsonNumber(track.pan));
  if (track.chromatic != 0) add("chromatic", makeJsonBool(true));
  if (track.rate != kSixteenthRate) add("rate", makeJsonString(trackRateName(track.rate)));
  if (track.swing >= 0.0f) add("swing", makeJsonNumber(track.swing));
  if (track.chokeGroup < kNoChokeGroup) add("choke", makeJsonDouble(track.chokeGroup));
  if ((pattern.muteMask >> trackIndex) & 1u) add("muted", makeJsonBool(true));

  JsonValue lfos = makeJsonObject();
  for (int i = 0; i < 2; ++i) {
    const Lfo& l = track.lfos[i];
    if (!written(l)) continue;
    JsonValue o = modulatorStart(l, machine);
    o.members.push_back({"rate", makeJsonNumber(l.rate)});
    o.members.push_back({"shape", makeJsonString(wordOr(kShapes, 6, l.shape))});
    o.members.push_back({"depth", makeJsonNumber(l.depth)});
    o.members.push_back({"trig", makeJsonString(wordOr(kTrigModes, 5, l.trig))});
    if (l.sync != 0) {
      o.members.push_back({"sync", makeJsonBool(true)});
      o.members.push_back({"division", writeDivision(l.rateDiv)});
    }
    lfos.members.push_back({"lfo" + std::to_string(i + 1), std::move(o)});
  }
  if (!lfos.members.empty()) add("lfos", std::move(lfos));

  JsonValue envs = makeJsonObject();
  for (int i = 0; i < 2; ++i) {
    const ModEnv& e = track.modEnvs[i];
    if (!written(e)) continue;
    JsonValue o = modulatorStart(e, machine);
    o.members.push_back({"attack", makeJsonNumber(e.attack)});
    o.members.push_back({"hold", makeJsonNumber(e.hold)});
    o.members.push_back({"decay", makeJsonNumber(e.decay)});
    o.members.push_back({"depth", makeJsonNumber(e.depth)});
    if (e.sync != 0) {
      o.members.push_back({"sync", makeJsonBool(true)});
      o.members.push_back({"attackDivision", writeDivision(e.atkDiv)});
      o.members.push_back({"decayDivision", writeDivision(e.decDiv)});
    }
    envs.members.push_back({"env" + std::to_string(i + 1), std::move(o)});
  }
  if (!envs.members.empty()) add("modEnvs", std::move(envs));

  const int rands = track.trackRandCount < kListCapacity ? track.trackRandCount : kListCapacity;
  if (rands > 0) {
    JsonValue breathe = makeJsonObject();
    for (int i = 0; i < rands; ++i)
      JsonValue::setMember(breathe.members, paramInfo(machine, track.trackRands[i].param).id,
                           makeJsonNumber(track.trackRands[i].value));
    add("breathe", std::move(breathe));
  }
  return out;
}

}  // namespace ob
