#include "document/instance/macro_state.h"

#include <algorithm>
#include <optional>
#include <string>

#include "document/instance/state_fields.h"
#include "document/params/param_values.h"
#include "document/reading/json_pointer.h"
#include "document/reading/narrow.h"
#include "engine/model/reach.h"
#include "engine/params/param_tables.h"

namespace ob {
namespace {

static_assert(kListCapacity == 8, "the message below names the count");
constexpr const char* kMacroFullMessage = "A macro holds at most eight destinations; kept but not applied";
constexpr const char* kKeptOffMessage = "Set apart by a save, as it never applied; kept but not applied";
constexpr const char* kDuplicateMessage =
    "Repeats an earlier destination of this macro on the same voice and param; kept but not applied";

const Sound* trackSound(const Pattern& pattern, int track) {
  const std::uint8_t s = static_cast<std::uint8_t>(pattern.tracks[track].soundIndex);
  return s < kMaxTracks ? &pattern.kit.sounds[s] : nullptr;
}

// A destination member resolved against the kit, or nothing.
std::optional<MacroDest> resolveDest(const JsonValue& dest, const Pattern& pattern,
                                     const SampleSlotTable& samples, const KeysAsLoaded& keys) {
  if (!dest.isObject()) return std::nullopt;
  const JsonValue* voice = dest.find("voice");
  if (voice == nullptr || !voice->isString()) return std::nullopt;
  const int track = keys.find(Records::Voices, pattern.tracks, tracksInUse(pattern), voice->text);
  if (track < 0) return std::nullopt;
  const Sound* sound = trackSound(pattern, track);
  if (sound == nullptr) return std::nullopt;
  const JsonValue* param = dest.find("param");
  if (param == nullptr || !param->isString()) return std::nullopt;
  const int index = findParamIndex(sound->machine, param->text);
  if (index < 0 || index >= kSoundParamSlots) return std::nullopt;
  const JsonValue* target = dest.find("target");
  float value = 0.0f;
  if (target == nullptr || !readParamValue(*sound, index, *target, samples, value, nullptr, keys))
    return std::nullopt;
  MacroDest d;
  d.track = static_cast<std::uint8_t>(track);
  d.param = static_cast<std::uint8_t>(index);
  d.target = value;
  return d;
}

}  // namespace

void readStateMacros(const InstanceEnvelope& envelope, Project& project, const SampleSlotTable& samples,
                     Diagnostics& diagnostics, MacroDestKeys* destKeys, const KeysAsLoaded& keys) {
  Pattern& pattern = project.patterns[0];
  const JsonValue* macros =
      envelope.state != nullptr && envelope.state->isObject() ? envelope.state->find("macros") : nullptr;
  for (int i = 0; i < kMacroCount; ++i) {
    Macro& macro = pattern.kit.macros[i];
    const std::string id = macroName(i);
    if (const JsonValue* v = JsonValue::findMember(envelope.params, id); v != nullptr && v->isNumber()) {
      if (std::optional<float> f = narrowToFloat(v->number)) macro.value = *f;
    }
    if (macros == nullptr || !macros->isObject()) continue;
    const JsonValue* object = macros->find(id);
    if (object == nullptr || !object->isObject()) continue;
    const JsonValue* name = object->find("name");
    const std::string_view named = name != nullptr && name->isString() ? std::string_view(name->text) : "";
    formatFixed(macro.name, named);
    const std::string path = memberPath("/state/macros", id);
    if (fixedText(macro.name) != named)
      diagnostics.warn("name-cut", path + "/name",
                       "A macro's name holds " + std::to_string(sizeof macro.name - 1) +
                           " bytes: shown as \"" + std::string(fixedText(macro.name)) +
                           "\", and kept whole for saves");
    if (const JsonValue* off = object->find(kDestsOffKey); off != nullptr && off->isObject())
      for (const JsonMember& m : off->members)
        diagnostics.warn("macro-dest-kept-off", memberPath(path + "/" + kDestsOffKey, m.key),
                         kKeptOffMessage);
    const JsonValue* dests = object->find("dests");
    if (dests == nullptr || !dests->isObject()) continue;
    const std::string base = path + "/dests";
    for (const JsonMember& m : dests->members) {
      std::optional<MacroDest> d = resolveDest(m.value, pattern, samples, keys);
      const auto repeated = [&](const MacroDest& e) { return e.track == d->track && e.param == d->param; };
      if (!d) {
        diagnostics.warn("unknown-macro-dest", memberPath(base, m.key),
                         "No such voice and param in this kit; kept but not applied");
      } else if (std::any_of(macro.dests, macro.dests + macro.destCount, repeated)) {
        // A save writes one destination a voice and param: the first plays.
        diagnostics.warn("macro-dest-duplicate", memberPath(base, m.key), kDuplicateMessage);
      } else if (macro.destCount >= kListCapacity) {
        diagnostics.warn("unknown-macro-dest", memberPath(base, m.key), kMacroFullMessage);
      } else {
        // Field by field: the record's padding stays as the
        // project made it, so copies compare bytewise.
        MacroDest& slot = macro.dests[macro.destCount];
        slot.track = d->track;
        slot.param = d->param;
        slot.target = d->target;
        ++macro.destCount;
        if (destKeys != nullptr) (*destKeys)[i].push_back(m.key);
      }
    }
  }
}

std::optional<MacroDest> resolveMacroDest(const JsonValue& dest, const Pattern& pattern,
                                          const SampleSlotTable& samples, const KeysAsLoaded& keys) {
  return resolveDest(dest, pattern, samples, keys);
}

std::optional<std::string> macroDestKey(const Pattern& pattern, const MacroDest& dest,
                                        const KeysAsLoaded& keys) {
  if (!reachesMacroDest(pattern, dest)) return std::nullopt;
  const Sound* sound = trackSound(pattern, dest.track);
  return std::string(keys.keyOf(Records::Voices, fixedText(pattern.tracks[dest.track].id))) + ":" +
         paramInfo(sound->machine, dest.param).id;
}

JsonValue writeStateMacros(const Project& project, const SampleSlotTable& samples, const KeysAsLoaded& keys) {
  JsonValue out = makeJsonObject();
  const Pattern& pattern = project.patterns[0];
  for (int i = 0; i < kMacroCount; ++i) {
    const Macro& macro = pattern.kit.macros[i];
    const std::string_view name = fixedText(macro.name);
    const int count = entriesInUse(macro.destCount);
    JsonValue dests = makeJsonObject();
    for (int k = 0; k < count; ++k) {
      const MacroDest& d = macro.dests[k];
      const std::optional<std::string> key = macroDestKey(pattern, d, keys);
      if (!key) continue;
      const Sound& sound = *trackSound(pattern, d.track);
      JsonValue o = makeJsonObject();
      o.members.push_back(
          {"voice", jsonText(keys.keyOf(Records::Voices, fixedText(pattern.tracks[d.track].id)))});
      o.members.push_back({"param", makeJsonString(paramInfo(sound.machine, d.param).id)});
      o.members.push_back({"target", writeParamValue(sound, d.param, d.target, samples, keys)});
      JsonValue::setMember(dests.members, *key, std::move(o));
    }
    // A destination on no track in use moves nothing and travels nowhere.
    if (dests.members.empty() && name.empty()) continue;
    JsonValue m = makeJsonObject();
    m.members.push_back({"name", jsonText(name)});
    if (!dests.members.empty()) m.members.push_back({"dests", std::move(dests)});
    out.members.push_back({macroName(i), std::move(m)});
  }
  return out;
}

}  // namespace ob
