#include "document/json/json_opened.h"

#include <cstdint>

#include "document/json/json_parse.h"
#include "document/json/json_shape.h"
#include "document/json/json_write.h"

namespace ob {

bool openedOneLevel(const JsonValue& value, JsonValue& out) {
  if (value.isObject()) {
    out = value;
    return true;
  }
  if (!value.isKept()) return false;
  static const JsonShape kOneLevel = withMostEntries(objectOfShape(scalarShape()), UINT32_MAX);
  std::string error;
  // Members held as their text are written as the object of them.
  const bool read = value.kind == JsonKind::KeptMembers ? parseJson(writeJson(value), kOneLevel, out, error)
                                                        : parseJson(value, kOneLevel, out, error);
  return read && out.isObject();
}

void openInPlace(JsonValue& value) {
  if (value.kind != JsonKind::Kept) return;
  JsonValue object;
  if (openedOneLevel(value, object)) value = std::move(object);
}

std::vector<std::string> keysOf(const JsonValue& object) {
  JsonValue opened;
  const JsonValue* at = &object;
  if (object.isKept() && openedOneLevel(object, opened)) at = &opened;
  std::vector<std::string> keys;
  if (at->isObject())
    for (const JsonMember& m : at->members) keys.push_back(m.key);
  return keys;
}

}  // namespace ob
