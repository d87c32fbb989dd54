#include "engine/params/param_name.h"

#include <array>
#include <cstring>
#include <string>

#include "engine/params/param_tables.h"

namespace ob {
namespace {

// Every index a list entry can hold (a std::uint8_t), named.
constexpr int kNamedIndices = 256;

int machineKind(int machineType) {
  return machineType >= 0 && machineType < kMachineDrum ? machineType : kMachineDrum;
}

// Whether a parameter of another meaning, on any machine, shows the label.
bool readsAlike(int machine, int index, const char* label) {
  const ParamInfo row = paramInfo(machine, index);
  for (int m = 0; m < kMachineTypeCount; ++m)
    for (int i = 0; i < paramCount(m); ++i) {
      const ParamDescriptor* d = findParamDescriptor(m, i);
      if (d != nullptr && std::strcmp(d->label, label) == 0 && !meanTheSame(row, paramInfo(m, i)))
        return true;
    }
  return false;
}

std::string nameOf(int machine, int index) {
  const ParamDescriptor* d = findParamDescriptor(machine, index);
  if (d == nullptr || d->label[0] == '\0') {
    const char* key = paramInfo(machine, index).id;
    return key[0] != '\0' ? key : "parameter " + std::to_string(index);
  }
  if (!readsAlike(machine, index, d->label)) return d->label;
  const bool common = index >= ownParamCount(machine);
  return std::string(d->label) + " (" + (common ? "voice chain" : d->group) + ")";
}

using MachineNames = std::array<std::string, kNamedIndices>;

const std::array<MachineNames, kMachineTypeCount>& names() {
  static const std::array<MachineNames, kMachineTypeCount> made = [] {
    std::array<MachineNames, kMachineTypeCount> out;
    for (int m = 0; m < kMachineTypeCount; ++m)
      for (int i = 0; i < kNamedIndices; ++i) out[m][i] = nameOf(m, i);
    return out;
  }();
  return made;
}

}  // namespace

const char* paramName(int machineType, int index) {
  if (index < 0 || index >= kNamedIndices) return "no parameter";
  return names()[machineKind(machineType)][index].c_str();
}

const char* paramNameOfKey(int machineType, const char* key) {
  const int index = findParamIndex(machineType, key);
  return index >= 0 ? paramName(machineType, index) : "";
}

const char* chainParamName(const char* key) {
  const int index = findParamIndex(kMachineDrum, key);
  return index >= ownParamCount(kMachineDrum) ? paramName(kMachineDrum, index) : "";
}

}  // namespace ob
