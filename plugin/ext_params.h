#pragma once
// The four macros as host parameters: ids, value text, and the flush that
// carries host values to the sound while no block runs.
#include <cstddef>
#include <cstdint>

#include "engine/model/project.h"
#include "plugin/clap/abi.h"

namespace ob::clap {

inline constexpr std::uint32_t kMacroParams = kMacroCount;

// String hash of "macro1".."macro4" (h = h * 31 + c over signed chars).
clap_id macroParamId(std::uint32_t n);
// 0..3 for a macro's id, -1 for anything else.
int macroIndexForParamId(clap_id id);

// The host's info record for macro n; false for n of 4 or more.
bool macroParamInfo(std::uint32_t n, clap_param_info_t* info);

// "%.0f %%" of value x 100; false when the buffer is missing or too small.
bool formatMacroText(double value, char* text, std::uint32_t capacity);
// The leading decimal number of the text, divided by 100 and held to 0..1.
// False when the text does not start with a number.
bool parseMacroText(const char* text, double& value);

const clap_plugin_params_t* paramsExtension();

}  // namespace ob::clap
