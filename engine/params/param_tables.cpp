#include "engine/params/param_tables.h"

#include <cstring>

#include "engine/params/param_table_data.h"

namespace ob {
namespace {

using namespace param_data;

struct OwnTable {
  const ParamInfo* rows;
  int count;
  const ParamDescriptor* descriptors;
  int descriptorCount;
};

// Codes other than 0..2 are the drum everywhere.
OwnTable ownTable(int machineType) {
  switch (machineType) {
    case kMachineSample: return {kSampleParams, kSampleOwnCount, kSampleDescriptors, kSampleOwnCount};
    case kMachineVa: return {kVaParams, kVaOwnCount, kVaDescriptors, kVaOwnCount};
    case kMachineGranular:
      return {kGranularParams, kGranularOwnCount, kGranularDescriptors, kGranularOwnCount};
    default: return {kDrumParams, kDrumOwnCount, kDrumDescriptors, kDrumOwnCount};
  }
}

const ParamDescriptor* findByKey(const ParamDescriptor* table, int count, std::string_view key) {
  for (int i = 0; i < count; ++i) {
    if (key == table[i].id) return &table[i];
  }
  return nullptr;
}

bool sameText(const char* a, const char* b) {
  return a == b || (a != nullptr && b != nullptr && std::strcmp(a, b) == 0);
}

// A choice means the same where the same numbers stand for the same words.
bool sameChoices(const ParamInfo& a, const ParamInfo& b) {
  if (a.stepped != b.stepped) return false;
  if (a.stepped == 0) return true;
  if (a.min != b.min || a.max != b.max || a.labelCount != b.labelCount) return false;
  for (std::uint32_t i = 0; i < a.labelCount; ++i)
    if (!sameText(a.keys != nullptr ? a.keys[i] : nullptr, b.keys != nullptr ? b.keys[i] : nullptr))
      return false;
  return true;
}

}  // namespace

int ownParamCount(int machineType) { return ownTable(machineType).count; }

ParamInfo ownParamInfo(int machineType, int index) {
  const OwnTable t = ownTable(machineType);
  if (index < 0 || index >= t.count) return ParamInfo{};
  return t.rows[index];
}

int commonParamCount() { return kCommonParamCount; }

ParamInfo commonParamInfo(int index) {
  if (index < 0 || index >= kCommonParamCount) return ParamInfo{};
  return kCommonParams[index];
}

int paramCount(int machineType) { return ownTable(machineType).count + kCommonParamCount; }

ParamInfo paramInfo(int machineType, int index) {
  const OwnTable t = ownTable(machineType);
  if (index < 0) return ParamInfo{};
  if (index < t.count) return t.rows[index];
  return commonParamInfo(index - t.count);
}

int findParamIndex(int machineType, std::string_view key) {
  const OwnTable t = ownTable(machineType);
  for (int i = 0; i < t.count; ++i) {
    if (key == t.rows[i].id) return i;
  }
  for (int j = 0; j < kCommonParamCount; ++j) {
    if (key == kCommonParams[j].id) return t.count + j;
  }
  return -1;
}

bool meanTheSame(const ParamInfo& a, const ParamInfo& b) {
  return sameText(a.id, b.id) && sameText(a.unit, b.unit) && sameChoices(a, b);
}

int findParamIndex(int machineType, const char* key) {
  if (key == nullptr) return -1;
  return findParamIndex(machineType, std::string_view(key));
}

bool parseMachineType(std::string_view name, std::uint8_t& out) {
  int code = 0;
  if (!parseMachineType(name, code)) return false;
  out = static_cast<std::uint8_t>(code);
  return true;
}

bool parseMachineType(std::string_view name, int& out) {
  if (name == "drum") {
    out = kMachineDrum;
  } else if (name == "sample") {
    out = kMachineSample;
  } else if (name == "va") {
    out = kMachineVa;
  } else if (name == "granular") {
    out = kMachineGranular;
  } else {
    return false;
  }
  return true;
}

const char* machineTypeName(int machineType) {
  switch (machineType) {
    case kMachineSample: return "sample";
    case kMachineVa: return "va";
    case kMachineGranular: return "granular";
    default: return "drum";
  }
}

const char* legacyMachineNote(std::string_view name) {
  for (const LegacyNote& n : kLegacyNotes) {
    if (name == n.name) return n.note;
  }
  return nullptr;
}

const ParamDescriptor* findParamDescriptor(int machineType, int index) {
  const ParamInfo row = paramInfo(machineType, index);
  const std::string_view key = row.id;
  if (key.empty()) return nullptr;
  const OwnTable t = ownTable(machineType);
  // Only the four known codes have an own descriptor table of their own;
  // other codes still resolve their keys through the drum's rows above.
  if (machineType >= 0 && machineType < kMachineTypeCount) {
    if (const ParamDescriptor* d = findByKey(t.descriptors, t.descriptorCount, key)) return d;
  }
  return findByKey(kCommonDescriptors, kCommonParamCount, key);
}

ParamDescriptor paramDescriptorOrOther(int machineType, int index) {
  if (const ParamDescriptor* d = findParamDescriptor(machineType, index)) return *d;
  ParamDescriptor fallback;
  fallback.id = paramInfo(machineType, index).id;
  fallback.label = fallback.id;
  fallback.group = "Other";
  return fallback;
}

const char* divisionLabel(int code) {
  if (code < 0 || code >= kDivisionCount) return nullptr;
  return kCommonParams[16].labels[code];
}

const char* divisionWord(int code) {
  if (code < 0 || code >= kDivisionCount) return nullptr;
  return kCommonParams[16].keys[code];
}

}  // namespace ob
