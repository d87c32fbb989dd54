#pragma once
// Members of an object keyed by id, in the order their "order" members give.

#include <cstddef>
#include <string>
#include <vector>

#include "document/json/json_value.h"

namespace ob {

struct OrderedEntry {
  std::string key;
  const JsonValue* value = nullptr;  // points into the object read
  double order = 1e18;
  std::size_t position = 0;  // place among the written members
};

// Stable ascending sort by order; members without a numeric "order" count
// as 1e18 and so follow every member that has a smaller one. Empty when
// value is not an object.
std::vector<OrderedEntry> sortedByOrder(const JsonValue& value);

}  // namespace ob
