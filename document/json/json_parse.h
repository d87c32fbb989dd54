#pragma once
// Strict JSON parser: no trailing commas, no duplicate keys, nesting at most
// 256 levels, at most a million values. String content is passed through
// leniently. Error messages are short fixed texts without a position;
// callers prefix their own words.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "document/json/json_value.h"

namespace ob {

inline constexpr std::int32_t kJsonMaxDepth = 256;

// Every value (elements and members' values included) costs 150 to 350
// bytes while the tree is built, so this keeps a hostile document's tree
// near a third of a gigabyte and refuses it before it grows further; a real
// instance document holds a few thousand values.
inline constexpr std::uint64_t kJsonMaxValues = 1000000;
inline constexpr const char* kJsonTooManyValues = "document holds more than 1000000 values";

// The parse cursor: one cursor parses one document.
struct JsonParser {
  std::string_view text;
  std::size_t pos = 0;
  std::int32_t depth = 0;
  std::uint64_t values = 0;  // read so far, held against kJsonMaxValues
  std::string error;
};

// Parses one whole document into value. On failure returns false, sets error
// and leaves value in an unspecified state.
bool parseJson(std::string_view text, JsonValue& value, std::string& error);

}  // namespace ob
