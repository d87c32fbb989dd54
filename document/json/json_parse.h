#pragma once
// Strict JSON parser: no trailing commas, no duplicate keys, nesting at most
// 256 levels. String content is passed through leniently. Error messages are
// short fixed texts without a position; callers prefix their own words.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "document/json/json_value.h"

namespace ob {

inline constexpr std::int32_t kJsonMaxDepth = 256;

// The parse cursor: one cursor parses one document.
struct JsonParser {
    std::string_view text;
    std::size_t pos = 0;
    std::int32_t depth = 0;
    std::string error;
};

// Parses one whole document into value. On failure returns false, sets error
// and leaves value in an unspecified state.
bool parseJson(std::string_view text, JsonValue& value, std::string& error);

}  // namespace ob
