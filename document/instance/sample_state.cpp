#include "document/instance/sample_state.h"

#include "document/factory/sample_credits.h"
#include "document/instance/sorted_by_order.h"
#include "document/instance/state_fields.h"
#include "document/reading/json_pointer.h"
#include "document/reading/narrow.h"

namespace ob {

// A sample's source travels as the set id of its credits row.
const char* sampleSourceWord(int source) {
  if (source < 0 || source >= static_cast<int>(kSampleCreditRowCount)) return nullptr;
  return sampleCreditsTable[source].setId;
}

int parseSampleSource(std::string_view word) {
  for (std::size_t i = 1; i < kSampleCreditRowCount; ++i)
    if (word == sampleCreditsTable[i].setId) return static_cast<int>(i);
  return 0;
}

void readSamplePool(const JsonValue& samples, SampleSlotTable& table, std::vector<std::string>& loadedIds,
                    Diagnostics& diagnostics) {
  for (const OrderedEntry& e : sortedByOrder(samples)) {
    const std::string path = memberPath("/state/samples", e.key);
    if (table.count >= kSampleSlots) {
      diagnostics.warn("too-many-samples", path, "The pool is full; the sample is kept but not loaded");
      continue;
    }
    const JsonValue& v = *e.value;
    if (!v.isObject()) {
      diagnostics.warn("wrong-type", path, "Expected a sample; kept but not loaded");
      continue;
    }
    if (!usableId(e.key, table.slots, table.count)) {
      diagnostics.warn("unusable-id", path, kUnusableIdMessage);
      continue;
    }
    SampleSlot& slot = table.slots[table.count];
    table.count = static_cast<std::uint8_t>(table.count + 1);
    formatFixed(slot.id, e.key);
    const JsonValue* name = v.find("name");
    formatFixed(slot.name,
                name != nullptr && name->isString() ? std::string_view(name->text) : std::string_view(e.key));
    if (const JsonValue* tags = v.find("tags"); tags != nullptr && tags->isArray()) {
      for (const JsonValue& t : tags->elements) {
        if (slot.tagCount >= kTagCapacity) break;
        if (!t.isString()) continue;
        formatFixed(slot.tags[slot.tagCount], t.text);
        ++slot.tagCount;
      }
    }
    if (const JsonValue* slices = v.find("slices"); slices != nullptr && slices->isArray()) {
      for (const JsonValue& s : slices->elements) {
        if (slot.sliceCount >= kMaxSlices) break;
        if (!s.isNumber()) continue;
        // A number beyond the float range has no slice position.
        std::optional<float> f = narrowToFloat(s.number);
        if (!f) continue;
        slot.slices[slot.sliceCount] = *f;
        ++slot.sliceCount;
      }
    }
    if (const JsonValue* src = v.find("source"); src != nullptr && src->isString())
      slot.src = static_cast<std::uint8_t>(parseSampleSource(src->text));
    loadedIds.push_back(e.key);
  }
}

JsonValue writeSamplePool(const SampleSlotTable& table, const KeysAsLoaded& keys) {
  JsonValue out = makeJsonObject();
  const int n = table.count < kSampleSlots ? table.count : kSampleSlots;
  for (int i = 0; i < n; ++i) {
    const SampleSlot& slot = table.slots[i];
    const std::string_view id = fixedText(slot.id);
    if (id.empty()) continue;
    const std::string_view key = keys.keyOf(Records::Samples, id);
    // Its place among the slots written, which is where a load puts it: a
    // slot without an id before it is not written, and the next load moves
    // the slots after it down.
    std::size_t place = 0;
    while (place < out.members.size() && out.members[place].key != key) ++place;
    JsonValue s = makeJsonObject();
    s.members.push_back({"order", makeJsonDouble(static_cast<double>(place))});
    s.members.push_back({"name", jsonText(fixedText(slot.name))});
    const int tags = slot.tagCount < kTagCapacity ? slot.tagCount : kTagCapacity;
    if (tags > 0) {
      JsonValue arr = makeJsonArray();
      for (int t = 0; t < tags; ++t) arr.push(jsonText(fixedText(slot.tags[t])));
      s.members.push_back({"tags", std::move(arr)});
    }
    const int slices = slot.sliceCount < kMaxSlices ? slot.sliceCount : kMaxSlices;
    if (slices > 0) {
      JsonValue arr = makeJsonArray();
      for (int k = 0; k < slices; ++k) arr.push(makeJsonNumber(slot.slices[k]));
      s.members.push_back({"slices", std::move(arr)});
    }
    if (slot.src >= 1 && slot.src <= 4)
      s.members.push_back({"source", makeJsonString(sampleSourceWord(slot.src))});
    JsonValue::setMember(out.members, key, std::move(s));
  }
  return out;
}

}  // namespace ob
