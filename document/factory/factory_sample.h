#pragma once
// Names and sample-table entries of factory samples, by catalogue row and
// part (whole sample, hit half or body half).

#include <cstdint>
#include <string>
#include <string_view>

#include "document/factory/factory_catalogue.h"
#include "engine/model/project.h"

namespace ob {

inline constexpr std::uint32_t kFactoryPartWhole = 0;
inline constexpr std::uint32_t kFactoryPartHit = 1;
inline constexpr std::uint32_t kFactoryPartBody = 2;

// Text before the last full stop, or the whole text when it has none.
std::string_view fileStem(std::string_view fileName);

// "tp_low" for the whole sample, "tp_low_hit" / "tp_low_body" for halves;
// empty for a row above 67.
std::string factorySampleName(std::uint32_t row, std::uint32_t part);

// The sample-table entry of a factory sample: display name (with " hit" or
// " body"), factory reference, up to eight tags and the set as src. A row
// above 67 gives an all-empty entry.
SampleSlot makeFactorySampleSlot(std::uint32_t row, std::uint32_t part);

// The same from an explicit catalogue row.
std::string factorySampleNameOf(const FactorySampleRow& row, std::uint32_t part);
SampleSlot makeFactorySampleSlotFrom(const FactorySampleRow& row, std::uint32_t part);

}  // namespace ob
