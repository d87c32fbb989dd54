#pragma once
// One row of a machine's parameter table and one row of the editor's
// descriptor table. Both are constant data: every text points at static
// storage, so the records are trivially copyable and safe on any thread.

#include <cstdint>
#include <type_traits>

namespace ob {

// Machine type codes as stored in a sound's machine byte. Every lookup treats
// a code other than 0, 1 and 2 as the drum.
inline constexpr std::uint8_t kMachineSample = 0;
inline constexpr std::uint8_t kMachineVa = 1;
inline constexpr std::uint8_t kMachineGranular = 2;
inline constexpr std::uint8_t kMachineDrum = 3;
inline constexpr int kMachineTypeCount = 4;

// Common voice parameters follow every machine's own parameters.
inline constexpr int kCommonParamCount = 22;
// Capacity of a sound's parameter array.
inline constexpr int kMaxSoundParams = 64;

struct ParamInfo {
  const char* id = "";  // parameter key, unique within a machine
  float min = 0.0f;
  float max = 0.0f;
  float defaultValue = 0.0f;
  const char* unit = "";      // "s", "Hz", "st", "dB", "ms", "bits", "x" or ""
  std::uint32_t stepped = 0;  // 1: an integer choice min..max
  // Stepped rows only: max - min + 1 display labels and document words
  // (labelCount of each); null with a count of 0 otherwise.
  const char* const* labels = nullptr;
  const char* const* keys = nullptr;
  std::uint32_t labelCount = 0;
};

struct ParamDescriptor {
  const char* id = "";
  const char* label = "";
  const char* group = "";
  const char* help = "";
  std::uint32_t continuous = 0;  // knob or slider rather than a choice
  float randomDefault = 0.0f;    // > 0: depth for a new track's random list
  float velocityDefault = 0.0f;  // != 0: velocity routing amount
};

static_assert(std::is_trivially_copyable_v<ParamInfo>);
static_assert(std::is_trivially_copyable_v<ParamDescriptor>);

}  // namespace ob
