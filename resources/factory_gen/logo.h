#pragma once
// The header logo: a ring with a dot on its orbit, drawn in the accent
// colour on a transparent ground, as PNG bytes.

#include <cstdint>
#include <vector>

namespace gen {

inline constexpr int kLogoSize = 256;

std::vector<std::uint8_t> drawLogoPng();

}  // namespace gen
