#include "document/instance/division_words.h"

#include "document/instance/state_fields.h"
#include "engine/params/param_tables.h"

namespace ob {

int readDivision(const JsonValue* value, int fallback) {
  if (value == nullptr) return fallback;
  if (value->isNumber()) return roundClamped(value->number, 0, kDivisionCount - 1);
  if (value->isString()) {
    for (int i = 0; i < kDivisionCount; ++i)
      if (value->text == divisionWord(i)) return i;
  }
  return fallback;
}

JsonValue writeDivision(int index) {
  const int i = index < 0 ? 0 : (index > kDivisionCount - 1 ? kDivisionCount - 1 : index);
  return makeJsonString(divisionWord(i));
}

}  // namespace ob
