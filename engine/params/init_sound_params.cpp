#include "engine/model/project.h"
#include "engine/params/param_tables.h"

namespace ob {

static_assert(kSoundParamSlots == kMaxSoundParams);

int initSoundParams(Sound& sound, int machineType) {
  // A code that does not fit the machine byte would wrap onto another
  // machine while the values are the drum's; store the drum instead.
  sound.machine =
      (machineType >= 0 && machineType <= 255) ? static_cast<std::uint8_t>(machineType) : kMachineDrum;
  for (float& v : sound.params) v = 0.0f;
  const int own = ownParamCount(machineType);
  for (int i = 0; i < own; ++i) sound.params[i] = ownParamInfo(machineType, i).defaultValue;
  for (int j = 0; j < kCommonParamCount; ++j) sound.params[own + j] = commonParamInfo(j).defaultValue;
  return kCommonParamCount;
}

}  // namespace ob
