#include "editor/param_name.h"

#include <cstring>

#include "engine/params/param_info.h"
#include "engine/params/param_tables.h"

namespace orbi {
namespace {

const char* labelOf(int machine, int param) {
  const ob::ParamDescriptor* d = ob::findParamDescriptor(machine, param);
  return d != nullptr && d->label[0] != '\0' ? d->label : nullptr;
}

bool labelledAlike(int machine, int param, const char* label) {
  for (int other = 0; other < ob::paramCount(machine); ++other) {
    const char* its = other != param ? labelOf(machine, other) : nullptr;
    if (its != nullptr && std::strcmp(its, label) == 0) return true;
  }
  return false;
}

}  // namespace

std::string paramName(int machine, int param) {
  const char* label = labelOf(machine, param);
  if (label == nullptr) {
    const char* key = ob::paramInfo(machine, param).id;
    return key[0] != '\0' ? key : "parameter " + std::to_string(param);
  }
  if (!labelledAlike(machine, param, label)) return label;
  const bool common = param >= ob::ownParamCount(machine);
  return std::string(label) + " (" +
         (common ? "voice chain" : ob::findParamDescriptor(machine, param)->group) + ")";
}

}  // namespace orbi
