#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace ob {

// One JSON-pointer token: "~" as "~0", "/" as "~1", every other byte copied.
std::string escapePointerToken(std::string_view token);

// base + "/" + the escaped member name.
std::string memberPath(std::string_view base, std::string_view name);

// base + "/" + the index in decimal.
std::string indexPath(std::string_view base, std::uint64_t index);

}  // namespace ob
