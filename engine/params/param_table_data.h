#pragma once
// The raw tables behind the registry lookups; only the lookups read them.

#include "engine/params/param_info.h"

namespace ob::param_data {

inline constexpr int kDrumOwnCount = 30;
inline constexpr int kSampleOwnCount = 18;
inline constexpr int kVaOwnCount = 12;
inline constexpr int kGranularOwnCount = 12;
inline constexpr int kLegacyNoteCount = 17;

struct LegacyNote {
  const char* name;
  const char* note;
};

extern const ParamInfo kDrumParams[kDrumOwnCount];
extern const ParamInfo kSampleParams[kSampleOwnCount];
extern const ParamInfo kVaParams[kVaOwnCount];
extern const ParamInfo kGranularParams[kGranularOwnCount];
extern const ParamInfo kCommonParams[kCommonParamCount];

// Descriptor tables are searched by key, so their order is free.
extern const ParamDescriptor kDrumDescriptors[kDrumOwnCount];
extern const ParamDescriptor kSampleDescriptors[kSampleOwnCount];
extern const ParamDescriptor kVaDescriptors[kVaOwnCount];
extern const ParamDescriptor kGranularDescriptors[kGranularOwnCount];
extern const ParamDescriptor kCommonDescriptors[kCommonParamCount];

extern const LegacyNote kLegacyNotes[kLegacyNoteCount];

}  // namespace ob::param_data
