#include "document/instance/sound_state.h"

#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/instance/state_fields.h"
#include "document/params/param_values.h"
#include "document/reading/json_pointer.h"
#include "document/reading/narrow.h"
#include "engine/model/reach.h"
#include "engine/params/param_tables.h"

namespace ob {
namespace {

constexpr const char* kLayerModes[3] = {"velocity", "round-robin", "velocity-round-robin"};
constexpr const char* kZonesOffKey = "zonesOff";

// The slot a zone's "sample" names, or -1.
int zoneSlot(const JsonValue* sample, const SampleSlotTable& samples, const KeysAsLoaded& keys) {
  if (sample == nullptr) return -1;
  if (sample->isNumber()) {
    std::optional<std::int32_t> n = truncToInt32(sample->number);
    if (!n || *n < 0 || *n >= kSampleSlots) return -1;
    return *n;
  }
  if (sample->isString()) {
    const int count = samples.count < kSampleSlots ? samples.count : kSampleSlots;
    return keys.find(Records::Samples, samples.slots, count, sample->text);
  }
  return -1;
}

void readParams(const JsonValue& params, Sound& sound, const SampleSlotTable& samples,
                const KeysAsLoaded& keys, Diagnostics& diagnostics, const std::string& base) {
  std::vector<const JsonMember*> refused;
  for (const JsonMember& m : params.members) {
    const int index = findParamIndex(sound.machine, m.key);
    if (index < 0 || index >= kSoundParamSlots) {
      diagnostics.warn("unknown-param", memberPath(base, m.key), "Unknown parameter, kept but not applied");
      continue;
    }
    float v = 0.0f;
    if (readParamValue(sound, index, m.value, samples, v, nullptr, keys))
      sound.params[index] = v;
    else
      refused.push_back(&m);
  }
  // A value may depend on another parameter of the same sound (a choice
  // word valid only for some exciter type), so refusals get a second try
  // once every other member is in.
  for (const JsonMember* m : refused) {
    const int index = findParamIndex(sound.machine, m->key);
    float v = 0.0f;
    if (readParamValue(sound, index, m->value, samples, v, nullptr, keys)) {
      sound.params[index] = v;
    } else {
      diagnostics.warn("unknown-value", memberPath(base, m->key),
                       "Not a value this parameter takes; kept, default used");
    }
  }
}

void readRoutes(const JsonValue& velocity, Sound& sound, Diagnostics& diagnostics, const std::string& base) {
  for (const JsonMember& m : velocity.members) {
    const int index = findParamIndex(sound.machine, m.key);
    std::optional<float> amount;
    if (m.value.isNumber()) amount = narrowToFloat(m.value.number);
    if (index >= 0 && index < kSoundParamSlots && amount && sound.velDestCount < kListCapacity) {
      ParamLock& route = sound.velDests[sound.velDestCount];
      route.param = static_cast<std::uint8_t>(index);
      route.value = *amount;
      ++sound.velDestCount;
    } else {
      diagnostics.warn("unknown-param", memberPath(base, m.key),
                       "Not a velocity route this sound can take; kept but not applied");
    }
  }
}

struct Zone {
  std::uint8_t slot = 0;
  std::uint8_t velMax = 0;
};

// One zone of a "zones" list, or nothing where it names no sample in the
// pool, which it says.
std::optional<Zone> readZone(const JsonValue& z, const SampleSlotTable& samples, const KeysAsLoaded& keys,
                             Diagnostics& diagnostics, const std::string& path) {
  const int slot = zoneSlot(z.find("sample"), samples, keys);
  if (slot < 0) {
    diagnostics.warn("unknown-sample", path, "The zone names no sample in the pool; kept but not played");
    return std::nullopt;
  }
  const JsonValue* velMax = z.find("velMax");
  const int top = velMax != nullptr && velMax->isNumber() ? roundClamped(velMax->number, 0, 127) : 127;
  return Zone{static_cast<std::uint8_t>(slot), static_cast<std::uint8_t>(top)};
}

void readLayers(const JsonValue& layers, Sound& sound, const SampleSlotTable& samples,
                const KeysAsLoaded& keys, Diagnostics& diagnostics, const std::string& base) {
  sound.mode = 0;
  if (const JsonValue* mode = layers.find("mode"); mode != nullptr && mode->isString()) {
    for (int i = 0; i < 3; ++i)
      if (mode->text == kLayerModes[i]) sound.mode = static_cast<std::uint8_t>(i);
  }
  const JsonValue* zones = layers.find("zones");
  if (zones == nullptr || !zones->isArray()) return;
  const std::string zonesPath = base + "/zones";
  for (std::size_t i = 0; i < zones->elements.size() && sound.zoneCount < kListCapacity; ++i) {
    const JsonValue& z = zones->elements[i];
    if (!z.isObject()) break;
    if (const std::optional<Zone> zone = readZone(z, samples, keys, diagnostics, indexPath(zonesPath, i))) {
      sound.slot[sound.zoneCount] = zone->slot;
      sound.velMax[sound.zoneCount] = zone->velMax;
      ++sound.zoneCount;
    }
  }
}

// A zone by the id of its sample, or by its slot's number for a slot
// without one.
JsonValue writeZone(int slot, int velMax, const SampleSlotTable& samples, const KeysAsLoaded& keys) {
  const int poolCount = samples.count < kSampleSlots ? samples.count : kSampleSlots;
  JsonValue z = makeJsonObject();
  if (slot < poolCount && samples.slots[slot].id[0] != '\0')
    z.members.push_back(
        {"sample", jsonText(keys.keyOf(Records::Samples, fixedText(samples.slots[slot].id)))});
  else
    z.members.push_back({"sample", makeJsonDouble(uncarriedSlotNumber(slot, samples))});
  z.members.push_back({"velMax", makeJsonDouble(velMax)});
  return z;
}

}  // namespace

const char* layerModeWord(int mode) {
  if (mode < 0 || mode > 2) return nullptr;
  return kLayerModes[mode];
}

bool readSound(std::string_view key, const JsonValue& value, Sound& sound, const SampleSlotTable& samples,
               Diagnostics& diagnostics, std::string_view path, const KeysAsLoaded& keys) {
  const std::string base(path);
  const JsonValue* machineValue = value.find("machine");
  const std::string word =
      machineValue != nullptr && machineValue->isString() ? machineValue->text : std::string();
  std::uint8_t machine = 0;
  if (!parseMachineType(word, machine)) {
    std::string m = "No machine \"" + word + "\" in this build";
    if (const char* note = legacyMachineNote(word)) {
      m += ": ";
      m += note;
    }
    m += "; the sound is kept but not loaded";
    // The rest of the document still loads, so this is no error.
    diagnostics.warn("unknown-machine", base + "/machine", std::move(m));
    return false;
  }

  initSoundParams(sound, machine);
  formatFixed(sound.id, key);
  const JsonValue* name = value.find("name");
  formatFixed(sound.name,
              name != nullptr && name->isString() ? std::string_view(name->text) : std::string_view());

  if (const JsonValue* params = value.find("params"); params != nullptr && params->isObject())
    readParams(*params, sound, samples, keys, diagnostics, base + "/params");
  if (const JsonValue* vel = value.find("velocity"); vel != nullptr && vel->isObject())
    readRoutes(*vel, sound, diagnostics, base + "/velocity");
  if (const JsonValue* layers = value.find("layers"); layers != nullptr && layers->isObject()) {
    readLayers(*layers, sound, samples, keys, diagnostics, base + "/layers");
    // Zones past the count, which an earlier build saved: a zone that comes
    // into use plays the sound's own sample, so none of them is reached.
    if (layers->find(kZonesOffKey) != nullptr)
      diagnostics.note("zones-off-unread", base + "/layers/" + kZonesOffKey,
                       "Zones past the count play nothing and no control reaches them; kept but not applied");
  }
  return true;
}

JsonValue writeSound(const Sound& sound, const SampleSlotTable& samples, const KeysAsLoaded& keys) {
  JsonValue out = makeJsonObject();
  out.members.push_back({"name", jsonText(fixedText(sound.name))});
  out.members.push_back({"machine", makeJsonString(machineTypeName(sound.machine))});

  JsonValue params = makeJsonObject();
  const int count = paramCount(sound.machine);
  for (int i = 0; i < count && i < kSoundParamSlots; ++i)
    JsonValue::setMember(params.members, paramInfo(sound.machine, i).id,
                         writeParamValue(sound, i, sound.params[i], samples, keys));
  out.members.push_back({"params", std::move(params)});

  const int routes = entriesInUse(sound.velDestCount);
  if (routes > 0) {
    JsonValue vel = makeJsonObject();
    for (int i = 0; i < routes; ++i)
      JsonValue::setMember(vel.members, paramInfo(sound.machine, sound.velDests[i].param).id,
                           makeJsonNumber(sound.velDests[i].value));
    out.members.push_back({"velocity", std::move(vel)});
  }

  const int zones = zonesInUse(sound);
  // A mode set before any zone is, so that the zones a split makes later
  // layer as the editor showed.
  const bool modeSet = sound.mode != Sound{}.mode && layerModeWord(sound.mode) != nullptr;
  if (zones > 0 || modeSet) {
    JsonValue layers = makeJsonObject();
    // A mode no document word names is written as the plain velocity
    // layout the reader falls back to.
    const char* mode = layerModeWord(sound.mode);
    layers.members.push_back({"mode", makeJsonString(mode != nullptr ? mode : kLayerModes[0])});
    JsonValue arr = makeJsonArray();
    for (int i = 0; i < zones; ++i) arr.push(writeZone(sound.slot[i], sound.velMax[i], samples, keys));
    layers.members.push_back({"zones", std::move(arr)});
    out.members.push_back({"layers", std::move(layers)});
  }
  return out;
}

}  // namespace ob
