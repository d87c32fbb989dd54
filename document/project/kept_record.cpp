#include "document/project/kept_record.h"

#include <algorithm>
#include <cstdint>

#include "document/json/json_elements.h"
#include "document/json/json_parse.h"
#include "document/json/json_shape.h"
#include "document/json/json_write.h"

namespace ob {

bool isAuditionRecord(const KeptRecord& record) {
  return !record.path.empty() && record.path[0] == "audition";
}

std::size_t auditionRecordCount(const KeptRecords& kept) {
  return static_cast<std::size_t>(std::count_if(kept.records.begin(), kept.records.end(), isAuditionRecord));
}

std::size_t keptRecordsIn(const KeptRecords& kept, const std::vector<std::string>& list) {
  std::size_t count = 0;
  for (const KeptRecord& r : kept.records) {
    if (r.place == KeptPlace::Element && r.path == list) {
      count += JsonElements(r.value).size();
    } else if (r.place != KeptPlace::InPlace && r.place != KeptPlace::Element &&
               r.path.size() == list.size() + 1 && std::equal(list.begin(), list.end(), r.path.begin())) {
      count += memberKeysOf(r).size();
    }
  }
  return count;
}

std::vector<std::string> memberKeysOf(const KeptRecord& record) {
  if (record.value.kind != JsonKind::KeptMembers)
    return {record.path.empty() ? std::string() : record.path.back()};
  return keysOf(record.value);
}

std::vector<std::string> keysOf(const JsonValue& object) {
  static const JsonShape kOneLevel = withMostEntries(objectOfShape(scalarShape()), UINT32_MAX);
  JsonValue opened;
  std::string error;
  std::vector<std::string> keys;
  // Members held as their text are written as the object of them.
  const JsonValue* at = &object;
  if (object.isKept() && parseJson(writeJson(object), kOneLevel, opened, error)) at = &opened;
  if (at->isObject())
    for (const JsonMember& m : at->members) keys.push_back(m.key);
  return keys;
}

const KeptRecords& recordsOf(const SharedKeptRecords& kept) {
  static const KeptRecords kNone;
  return kept ? *kept : kNone;
}

}  // namespace ob
