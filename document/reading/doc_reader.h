#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/diagnostics.h"
#include "document/json/json_value.h"

namespace ob {

// Reading context of one JSON object: hands out members by name and kind,
// reports a member of the wrong kind as a warning instead of failing, and
// remembers what it handed out so that the rest can be kept and written back.
// The object and the diagnostics list are not owned; a null list drops
// findings.
class DocReader {
 public:
  DocReader(const JsonValue* object, std::string path, Diagnostics* diagnostics);

  // First member with this name, unchecked; marks nothing consumed.
  const JsonValue* find(std::string_view name) const;

  // The member when present and of the kind (consumed); a present member of
  // another kind draws "wrong-type" and stays unconsumed; absent: null.
  const JsonValue* getTyped(std::string_view name, JsonKind kind, std::string_view what);

  std::optional<double> getNumber(std::string_view name);
  std::optional<std::string> getString(std::string_view name);
  const JsonValue* getArray(std::string_view name);
  const JsonValue* getObject(std::string_view name);
  std::optional<bool> getBool(std::string_view name);

  void markConsumed(std::string_view name);

  // Copies of every member whose name was not consumed, in object order; an
  // empty object when there are none or the value is not an object.
  JsonValue unconsumedMembers() const;

  std::string childPath(std::string_view name) const;
  static std::string childPath(std::string_view base, std::string_view name);

  const std::string& path() const { return path_; }
  const JsonValue* object() const { return object_; }
  Diagnostics* diagnostics() const { return diagnostics_; }

  // Warning helper for callers that share the reader's list.
  void warn(std::string code, std::string path, std::string message) const;

 private:
  const JsonValue* object_;
  std::string path_;
  Diagnostics* diagnostics_;
  // One flag per member of the object; a name absent from the object needs
  // no mark since only the object's own members are ever handed back.
  std::vector<unsigned char> consumed_;
};

// "Expected " + what + "; kept as written, not applied".
std::string wrongTypeMessage(std::string_view what);

}  // namespace ob
