#include "document/instance/kept_records.h"

#include <algorithm>
#include <string_view>

namespace ob {
namespace {

constexpr std::string_view kRecordLists[] = {"sounds", "voices", "samples"};

// A list of a document's state, when it is an object; Value is JsonValue,
// const or not.
template <typename Value>
Value* listOf(Value& document, std::string_view list) {
  Value* state = document.find("state");
  Value* records = state != nullptr ? state->find(list) : nullptr;
  return records != nullptr && records->isObject() ? records : nullptr;
}

// What the foreign-member pass keeps of a list: the records its rewrite
// lacks, where both are objects.
double lowestKept(const JsonValue& loaded, const JsonValue& rewritten, std::string_view list) {
  const JsonValue* records = listOf(loaded, list);
  const JsonValue* written = listOf(rewritten, list);
  double lowest = kNoOrder;
  if (records == nullptr || written == nullptr) return lowest;
  for (const JsonMember& m : records->members)
    if (written->find(m.key) == nullptr) lowest = std::min(lowest, sortOrderOf(m.value));
  return lowest;
}

void orderNoHigher(JsonValue* records, double lowest) {
  if (records == nullptr) return;
  for (JsonMember& m : records->members) {
    JsonValue* order = m.value.find("order");
    // Written afresh: a loaded spelling would read back as another number.
    if (order != nullptr && order->isNumber() && order->number > lowest) *order = makeJsonDouble(lowest);
  }
}

}  // namespace

KeptRecordOrders keptRecordOrders(const JsonValue& loaded, const JsonValue& rewritten) {
  return {lowestKept(loaded, rewritten, "voices"), lowestKept(loaded, rewritten, "samples")};
}

void keepRecordsLast(std::vector<ForeignMember>& kept) {
  for (ForeignMember& m : kept)
    m.last = m.path.size() == 3 && m.path[0] == "state" &&
             std::find(std::begin(kRecordLists), std::end(kRecordLists), m.path[1]) != std::end(kRecordLists);
}

void orderBeforeKept(JsonValue& written, const KeptRecordOrders& kept) {
  orderNoHigher(listOf(written, "voices"), kept.voices);
  orderNoHigher(listOf(written, "samples"), kept.samples);
}

}  // namespace ob
