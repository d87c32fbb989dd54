// Catalogue-backed forms, kept apart so code that only names rows it is
// given does not need the catalogue linked in.
#include "document/factory/factory_sample.h"

namespace ob {

std::string factorySampleName(std::uint32_t row, std::uint32_t part) {
  if (row >= kFactorySampleRowCount) return {};
  return factorySampleNameOf(kFactorySampleCatalogue[row], part);
}

SampleSlot makeFactorySampleSlot(std::uint32_t row, std::uint32_t part) {
  if (row >= kFactorySampleRowCount) return SampleSlot{};
  return makeFactorySampleSlotFrom(kFactorySampleCatalogue[row], part);
}

}  // namespace ob
