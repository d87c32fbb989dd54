#include "document/instance/read_otherwise.h"

#include "document/instance/state_fields.h"
#include "document/json/json_write.h"
#include "document/params/param_values.h"
#include "engine/params/param_tables.h"

namespace ob {
namespace {

const JsonValue* memberOf(const JsonValue* object, std::string_view key) {
  return object != nullptr && object->isObject() ? object->find(key) : nullptr;
}

void keepIfOtherwise(std::vector<ValueReadOtherwise>& out, std::vector<std::string> path,
                     const JsonValue& loaded, const JsonValue& rewritten) {
  if (writeJson(loaded) != writeJson(rewritten)) out.push_back({std::move(path), heldAsText(loaded)});
}

// The parameters the sound's reader refused, and its zones when one was
// left out.
void soundReadOtherwise(std::vector<ValueReadOtherwise>& out, const std::string& key, const JsonValue& loaded,
                        const JsonValue& rewritten, const Sound& sound, const SampleSlotTable& samples,
                        const KeysAsLoaded& keys) {
  const JsonValue* params = memberOf(&loaded, "params");
  const JsonValue* written = memberOf(&rewritten, "params");
  if (params != nullptr && params->isObject() && written != nullptr) {
    for (const JsonMember& m : params->members) {
      const JsonValue* in = written->find(m.key);
      const int index = findParamIndex(sound.machine, m.key);
      float unused = 0.0f;
      if (in != nullptr && index >= 0 &&
          !readParamValue(sound, index, m.value, samples, unused, nullptr, keys))
        keepIfOtherwise(out, {"state", "sounds", key, "params", m.key}, m.value, *in);
    }
  }
  const JsonValue* zones = memberOf(memberOf(&loaded, "layers"), "zones");
  const JsonValue* writtenZones = memberOf(memberOf(&rewritten, "layers"), "zones");
  if (zones != nullptr && zones->isArray() && writtenZones != nullptr &&
      zones->elements.size() > writtenZones->elements.size())
    keepIfOtherwise(out, {"state", "sounds", key, "layers", "zones"}, *zones, *writtenZones);
}

// The macros' names a field cut.
void macroNamesReadOtherwise(std::vector<ValueReadOtherwise>& out, const JsonValue* loaded,
                             const JsonValue* rewritten) {
  if (loaded == nullptr || !loaded->isObject()) return;
  for (const JsonMember& m : loaded->members) {
    const JsonValue* name = memberOf(&m.value, "name");
    const JsonValue* written = memberOf(memberOf(rewritten, m.key), "name");
    if (name != nullptr && name->isString() && written != nullptr)
      keepIfOtherwise(out, {"state", "macros", m.key, "name"}, *name, *written);
  }
}

}  // namespace

std::vector<ValueReadOtherwise> valuesReadOtherwise(const JsonValue& loaded, const JsonValue& rewritten,
                                                    const Project& project, const KeysAsLoaded& keys) {
  std::vector<ValueReadOtherwise> out;
  macroNamesReadOtherwise(out, memberOf(memberOf(&loaded, "state"), "macros"),
                          memberOf(memberOf(&rewritten, "state"), "macros"));
  const JsonValue* sounds = memberOf(memberOf(&loaded, "state"), "sounds");
  const JsonValue* written = memberOf(memberOf(&rewritten, "state"), "sounds");
  if (sounds == nullptr || !sounds->isObject() || written == nullptr) return out;
  for (const JsonMember& m : sounds->members) {
    const JsonValue* in = written->find(m.key);
    const Kit& kit = project.patterns[0].kit;
    const int sound = keys.find(Records::Sounds, kit.sounds, kMaxTracks, m.key);
    if (in != nullptr && sound >= 0 && m.value.isObject())
      soundReadOtherwise(out, m.key, m.value, *in, kit.sounds[sound], project.samples, keys);
  }
  return out;
}

}  // namespace ob
