#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace ob {

enum class ParseIntError : std::uint8_t { None = 0, Invalid = 1, OutOfRange = 2 };

struct ParseIntResult {
  std::int32_t value = 0;
  std::size_t end = 0;  // byte index where parsing stopped
  ParseIntError error = ParseIntError::None;

  bool ok() const { return error == ParseIntError::None; }
};

// Digits of the base (2..36) with an optional leading minus sign; no blanks,
// no plus sign. Parsing stops at the first byte that is not a digit.
ParseIntResult parseInt(std::string_view text, int base = 10);

// True when the whole text is one integer of the base that fits 32 bits.
bool parseWholeInt(std::string_view text, std::int32_t& out, int base = 10);

}  // namespace ob
