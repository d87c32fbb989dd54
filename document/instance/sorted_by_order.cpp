#include "document/instance/sorted_by_order.h"

#include <algorithm>

namespace ob {

std::vector<OrderedEntry> sortedByOrder(const JsonValue& value) {
  std::vector<OrderedEntry> out;
  if (!value.isObject()) return out;
  out.reserve(value.members.size());
  for (std::size_t i = 0; i < value.members.size(); ++i) {
    const JsonMember& m = value.members[i];
    OrderedEntry e;
    e.key = m.key;
    e.value = &m.value;
    e.position = i;
    if (m.value.isObject()) {
      const JsonValue* order = m.value.find("order");
      // NaN would break the ordering; it counts as no order.
      if (order != nullptr && order->isNumber() && order->number == order->number) e.order = order->number;
    }
    out.push_back(std::move(e));
  }
  std::stable_sort(out.begin(), out.end(),
                   [](const OrderedEntry& a, const OrderedEntry& b) { return a.order < b.order; });
  return out;
}

}  // namespace ob
