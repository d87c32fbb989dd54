#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ob {

// Exactly 16 hex digits (either case), most significant first.
std::optional<std::uint64_t> parseSeed(std::string_view text);

// 16 lower-case hex digits, zero-padded.
std::string formatSeed(std::uint64_t seed);

}  // namespace ob
