#include "document/params/param_values.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>

#include "document/instance/state_fields.h"
#include "document/reading/narrow.h"
#include "engine/model/project.h"
#include "engine/params/param_tables.h"

namespace ob {

namespace {

constexpr int kExcTypeSample = 4;
constexpr int kBodyTypeSample = 4;
constexpr int kExcTypeCount = 7;   // exciter types 0..6
constexpr int kBodyTypeCount = 9;  // body types 0..8
constexpr int kExc1Base = 0;
constexpr int kExc2Base = 7;
constexpr int kBodyTypeIndex = 15;
constexpr int kBodyAux1Index = 20;

// A stored choice value read the way the engine reads it: plus 0.5, truncated.
int storedChoice(const Sound& sound, int index, int count) {
  std::optional<std::int32_t> t = truncToInt32(static_cast<double>(sound.params[index]) + 0.5);
  if (!t || *t < 0 || *t >= count) return -1;
  return *t;
}

bool isDrum(std::uint8_t machine) {
  return machine != kMachineSample && machine != kMachineVa && machine != kMachineGranular;
}

int choiceCount(const ParamInfo& info) {
  double span = static_cast<double>(info.max) - static_cast<double>(info.min) + 1.5;
  return saturateToInt32(span, 0, kMaxSoundParams * 1024);
}

bool hasWords(const ParamInfo& info) { return info.keys != nullptr && info.labelCount > 0; }

void refuse(ParamValueRefusal* why, ParamValueRefusal r) {
  if (why != nullptr) *why = r;
}

}  // namespace

int sampleParamKind(const Sound& sound, int index) {
  if (index < 0 || index >= kSoundParamSlots) return 0;
  if (sound.machine == kMachineSample || sound.machine == kMachineGranular) return index == 0 ? 1 : 0;
  if (!isDrum(sound.machine)) return 0;
  for (int base : {kExc1Base, kExc2Base}) {
    if (index == base + 4 && storedChoice(sound, base, kExcTypeCount) == kExcTypeSample) return 2;
  }
  if (index == kBodyAux1Index && storedChoice(sound, kBodyTypeIndex, kBodyTypeCount) == kBodyTypeSample)
    return 2;
  return 0;
}

bool readParamValue(const Sound& sound, int index, const JsonValue& value, const SampleSlotTable& samples,
                    float& out, ParamValueRefusal* why, const KeysAsLoaded& keys) {
  refuse(why, ParamValueRefusal::None);
  if (value.isNumber()) {
    if (!std::isfinite(value.number)) {
      refuse(why, ParamValueRefusal::NotFinite);
      return false;
    }
    std::optional<float> f = narrowToFloat(value.number);
    if (!f) {
      refuse(why, ParamValueRefusal::OutOfRange);
      return false;
    }
    out = *f;
    return true;
  }
  if (!value.isString()) {
    refuse(why, ParamValueRefusal::NotAValue);
    return false;
  }
  ParamInfo info = paramInfo(sound.machine, index);
  if (info.stepped != 0 && hasWords(info)) {
    int count = std::min<int>(choiceCount(info), static_cast<int>(info.labelCount));
    for (int i = 0; i < count; ++i) {
      if (info.keys[i] != nullptr && value.text == info.keys[i]) {
        out = info.min + static_cast<float>(i);
        return true;
      }
    }
  }
  int kind = sampleParamKind(sound, index);
  if (kind != 0) {
    const int j =
        keys.find(Records::Samples, samples.slots, std::min<int>(samples.count, kSampleSlots), value.text);
    if (j >= 0) {
      out = kind == 1 ? static_cast<float>(j) : static_cast<float>(j) / 63.0f;
      return true;
    }
  }
  refuse(why, ParamValueRefusal::UnknownWord);
  return false;
}

JsonValue writeParamValue(const Sound& sound, int index, float value, const SampleSlotTable& samples,
                          const KeysAsLoaded& keys) {
  ParamInfo info = paramInfo(sound.machine, index);
  double d = static_cast<double>(value) - static_cast<double>(info.min);
  // A choice's word only for a value the word reads back to exactly: not
  // one outside the choices, nor negative zero.
  if (std::isfinite(d) && d == std::floor(d) && !std::signbit(d) && info.stepped != 0) {
    int count = choiceCount(info);
    if (count > 0 && hasWords(info) && d < count) {
      int i = static_cast<int>(d);
      if (i < static_cast<int>(info.labelCount) && info.keys[i] != nullptr)
        return makeJsonString(info.keys[i]);
    }
  }
  int kind = sampleParamKind(sound, index);
  if (kind != 0 && std::isfinite(value)) {
    int j = -1;
    if (kind == 1) {
      j = saturateToInt32(static_cast<double>(value) + 0.5, -1, kSampleSlots);
    } else {
      double c = std::clamp(static_cast<double>(value), 0.0, 1.0);
      j = saturateToInt32(c * 63.0 + 0.5, 0, 63);
    }
    int n = std::min<int>(samples.count, kSampleSlots);
    if (j >= 0 && j < n && samples.slots[j].id[0] != '\0')
      return jsonText(keys.keyOf(Records::Samples, fixedText(samples.slots[j].id)));
    if (const int at = j >= 0 && j < n ? uncarriedSlotNumber(j, samples) : j; at != j)
      return makeJsonNumber(kind == 1 ? static_cast<float>(at) : static_cast<float>(at / 63.0));
  }
  return makeJsonNumber(value);
}

int uncarriedSlotNumber(int slot, const SampleSlotTable& samples) {
  const int n = std::min<int>(samples.count, kSampleSlots);
  int carried = 0;
  for (int i = 0; i < n; ++i) carried += samples.slots[i].id[0] != '\0' ? 1 : 0;
  return std::max(slot, carried);
}

}  // namespace ob
