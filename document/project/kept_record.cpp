#include "document/project/kept_record.h"

#include <algorithm>

#include "document/json/json_opened.h"

namespace ob {

bool isAuditionRecord(const KeptRecord& record) {
  return !record.path.empty() && record.path[0] == "audition";
}

std::size_t auditionRecordCount(const KeptRecords& kept) {
  return static_cast<std::size_t>(std::count_if(kept.records.begin(), kept.records.end(), isAuditionRecord));
}

std::vector<std::string> memberKeysOf(const KeptRecord& record) {
  if (record.value.kind != JsonKind::KeptMembers)
    return {record.path.empty() ? std::string() : record.path.back()};
  return keysOf(record.value);
}

const KeptRecords& recordsOf(const SharedKeptRecords& kept) {
  static const KeptRecords kNone;
  return kept ? *kept : kNone;
}

}  // namespace ob
