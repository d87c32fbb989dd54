#pragma once
// Members of an object keyed by id, in the order their "order" members give.

#include <cstddef>
#include <string>
#include <vector>

#include "document/json/json_value.h"

namespace ob {

// Where a member without a numeric "order" sorts: after every member that
// has a smaller one.
constexpr double kNoOrder = 1e18;

// Where a member's value sorts: its numeric "order" when it is an object
// that has one (NaN counts as none), else kNoOrder.
double sortOrderOf(const JsonValue& value);

struct OrderedEntry {
  std::string key;
  const JsonValue* value = nullptr;  // points into the object read
  double order = kNoOrder;
  std::size_t position = 0;  // place among the written members
};

// Stable ascending sort by sortOrderOf: equal orders keep their written
// order. Empty when value is not an object.
std::vector<OrderedEntry> sortedByOrder(const JsonValue& value);

}  // namespace ob
