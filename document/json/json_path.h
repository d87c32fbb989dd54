#pragma once
// A value found by the unescaped tokens of a JSON pointer: an object's
// member by its key, a list's element by its plain decimal index.

#include <cstddef>
#include <string>
#include <vector>

#include "document/json/json_value.h"

namespace ob {

// The value the tokens [from, to) of `path` lead to from `root`, or null.
JsonValue* valueAt(JsonValue& root, const std::vector<std::string>& path, std::size_t from, std::size_t to);
const JsonValue* valueAt(const JsonValue& root, const std::vector<std::string>& path, std::size_t from,
                         std::size_t to);

}  // namespace ob
