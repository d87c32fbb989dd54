#pragma once
#include <optional>
#include <string_view>

namespace ob::clip {

// "n/d" with n and d whole decimal numbers of at least 1: n * 4 / d beats
// ("1/16" is 0.25, "3/8" is 1.5). Anything else gives nothing.
std::optional<double> parseGrid(std::string_view text);

}  // namespace ob::clip
