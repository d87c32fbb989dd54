#include "document/instance/sorted_by_order.h"

#include <algorithm>

namespace ob {

double sortOrderOf(const JsonValue& value) {
  const JsonValue* order = value.isObject() ? value.find("order") : nullptr;
  // NaN would break the ordering; it counts as no order.
  if (order != nullptr && order->isNumber() && order->number == order->number) return order->number;
  return kNoOrder;
}

std::vector<OrderedEntry> sortedByOrder(const JsonValue& value) {
  std::vector<OrderedEntry> out;
  if (!value.isObject()) return out;
  out.reserve(value.members.size());
  for (std::size_t i = 0; i < value.members.size(); ++i) {
    const JsonMember& m = value.members[i];
    out.push_back({m.key, &m.value, sortOrderOf(m.value), i});
  }
  std::stable_sort(out.begin(), out.end(),
                   [](const OrderedEntry& a, const OrderedEntry& b) { return a.order < b.order; });
  return out;
}

}  // namespace ob
