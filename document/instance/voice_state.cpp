#include "document/instance/voice_state.h"

#include <optional>
#include <string>

#include "document/audition/track_rate.h"
#include "document/instance/division_words.h"
#include "document/instance/state_fields.h"
#include "document/reading/json_pointer.h"
#include "document/reading/narrow.h"
#include "engine/model/reach.h"
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

// Written in the list of those on or of those off, where a user reaches it.
template <class Modulator>
bool written(const Modulator& modulator, bool on) {
  return (modulator.enabled != 0) == on && reachesModulator(modulator);
}

void readLfo(const JsonValue& lfo, Lfo& out, int dest, bool on) {
  out.enabled = on ? 1 : 0;
  out.dest = static_cast<std::uint8_t>(dest);
  readFloat(lfo, "rate", out.rate);
  out.shape = readWord(lfo, "shape", kShapes, 6);
  readFloat(lfo, "depth", out.depth);
  out.trig = readWord(lfo, "trig", kTrigModes, 5);
  out.sync = isTrue(lfo, "sync") ? 1 : 0;
  // A division times only a synced modulator, which alone a save writes
  // it for: one without its sync is kept as read but not applied.
  if (reachesDivision(out)) out.rateDiv = static_cast<std::uint8_t>(readDivision(lfo.find("division"), 5));
  // One switched off with nothing of its own set aims nowhere: a reach that
  // switches it on aims it anew, so its aim read here would be held unreached.
  forgetUnreached(out);
}

void readEnv(const JsonValue& env, ModEnv& out, int dest, bool on) {
  out.enabled = on ? 1 : 0;
  out.dest = static_cast<std::uint8_t>(dest);
  readFloat(env, "attack", out.attack);
  readFloat(env, "hold", out.hold);
  readFloat(env, "decay", out.decay);
  readFloat(env, "depth", out.depth);
  out.sync = isTrue(env, "sync") ? 1 : 0;
  if (!reachesDivisions(out)) return;
  out.atkDiv = static_cast<std::uint8_t>(readDivision(env.find("attackDivision"), 2));
  out.decDiv = static_cast<std::uint8_t>(readDivision(env.find("decayDivision"), 5));
}

JsonValue paramKey(int machine, int index) { return makeJsonString(paramInfo(machine, index).id); }

// The list a voice holds its modulators of one kind in ("lfos" and "lfo1",
// "lfo2"), and the one of those switched off: older builds keep that one
// unread, as they would play what sits in the first. An LFO switched off
// keeps what the user set for it, which comes back when a reach switches it
// on again; an envelope has no control that switches it, so one switched
// off holds nothing a user reaches and has no list (null): a list of them
// that an earlier build saved is kept as read, unapplied (kEnvsOffKey).
struct ModulatorList {
  const char* key;
  const char* offKey;
  const char* each;
};
constexpr ModulatorList kLfoList{"lfos", "lfosOff", "lfo"};
constexpr ModulatorList kEnvList{"modEnvs", nullptr, "env"};
constexpr const char* kEnvsOffKey = "modEnvsOff";

template <class Modulator, class Read>
void readModulators(const JsonValue& voice, const ModulatorList& list, Modulator (&out)[2], int machine,
                    Diagnostics& diagnostics, const std::string& base, Read read) {
  for (const bool on : {true, false}) {
    const char* key = on ? list.key : list.offKey;
    if (key == nullptr) continue;
    const JsonValue* all = voice.find(key);
    if (all == nullptr || !all->isObject()) continue;
    for (int i = 0; i < 2; ++i) {
      const std::string name = list.each + std::to_string(i + 1);
      const JsonValue* one = all->find(name);
      if (one == nullptr || !one->isObject() || (!on && out[i].enabled != 0)) continue;
      const int dest =
          findParamOrWarn(one->find("dest"), machine, diagnostics, base + "/" + key + "/" + name + "/dest");
      if (dest >= 0) read(*one, out[i], dest, on);
    }
  }
}

template <class Modulator, class Write>
void writeModulators(JsonValue& voice, const ModulatorList& list, const Modulator (&from)[2], int machine,
                     Write write) {
  for (const bool on : {true, false}) {
    JsonValue all = makeJsonObject();
    if (!on && list.offKey == nullptr) break;
    for (int i = 0; i < 2; ++i) {
      if (!written(from[i], on)) continue;
      JsonValue o = makeJsonObject();
      o.members.push_back({"dest", paramKey(machine, from[i].dest)});
      write(from[i], o);
      all.members.push_back({list.each + std::to_string(i + 1), std::move(o)});
    }
    if (!all.members.empty()) voice.members.push_back({on ? list.key : list.offKey, std::move(all)});
  }
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

  readModulators(voice, kLfoList, track.lfos, machine, diagnostics, base, readLfo);
  readModulators(voice, kEnvList, track.modEnvs, machine, diagnostics, base, readEnv);
  if (voice.find(kEnvsOffKey) != nullptr)
    diagnostics.note(
        "modulator-off-unread", base + "/" + kEnvsOffKey,
        "An envelope switched off plays nothing and no control reaches it; kept but not applied");
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

JsonValue writeVoice(const Project& project, int trackIndex, const KeysAsLoaded& keys) {
  JsonValue out = makeJsonObject();
  if (trackIndex < 0 || trackIndex >= kMaxTracks) return out;
  const Pattern& pattern = project.patterns[0];
  const Track& track = pattern.tracks[trackIndex];
  const int machine = machineOf(project, track);
  auto add = [&out](const char* key, JsonValue v) { out.members.push_back({key, std::move(v)}); };

  add("order", makeJsonDouble(trackIndex));
  const std::uint8_t s = static_cast<std::uint8_t>(track.soundIndex);
  if (s < kMaxTracks)
    add("sound", jsonText(keys.keyOf(Records::Sounds, fixedText(pattern.kit.sounds[s].id))));
  add("gain", makeJsonNumber(track.gain));
  add("pan", makeJsonNumber(track.pan));
  if (track.chromatic != 0) add("chromatic", makeJsonBool(true));
  if (track.rate != kSixteenthRate) add("rate", makeJsonString(trackRateName(track.rate)));
  if (track.swing >= 0.0f) add("swing", makeJsonNumber(track.swing));
  if (track.chokeGroup < kNoChokeGroup) add("choke", makeJsonDouble(track.chokeGroup));
  if ((pattern.muteMask >> trackIndex) & 1u) add("muted", makeJsonBool(true));

  // An LFO or envelope switched off goes to its own list, so that one
  // switched on again has what was set for it.
  writeModulators(out, kLfoList, track.lfos, machine, [](const Lfo& l, JsonValue& o) {
    o.members.push_back({"rate", makeJsonNumber(l.rate)});
    o.members.push_back({"shape", makeJsonString(wordOr(kShapes, 6, l.shape))});
    o.members.push_back({"depth", makeJsonNumber(l.depth)});
    o.members.push_back({"trig", makeJsonString(wordOr(kTrigModes, 5, l.trig))});
    if (reachesDivision(l)) {
      o.members.push_back({"sync", makeJsonBool(true)});
      o.members.push_back({"division", writeDivision(l.rateDiv)});
    }
  });
  writeModulators(out, kEnvList, track.modEnvs, machine, [](const ModEnv& e, JsonValue& o) {
    o.members.push_back({"attack", makeJsonNumber(e.attack)});
    o.members.push_back({"hold", makeJsonNumber(e.hold)});
    o.members.push_back({"decay", makeJsonNumber(e.decay)});
    o.members.push_back({"depth", makeJsonNumber(e.depth)});
    if (reachesDivisions(e)) {
      o.members.push_back({"sync", makeJsonBool(true)});
      o.members.push_back({"attackDivision", writeDivision(e.atkDiv)});
      o.members.push_back({"decayDivision", writeDivision(e.decDiv)});
    }
  });

  const int rands = entriesInUse(track.trackRandCount);
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
