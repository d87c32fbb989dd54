#include "document/json/json_path.h"

#include <cstdint>

#include "document/reading/parse_int.h"

namespace ob {
namespace {

const JsonValue* into(const JsonValue* at, const std::string& token) {
  if (at->isObject()) return at->find(token);
  if (!at->isArray()) return nullptr;
  std::int32_t index = -1;
  // Only plain decimal indices; "-", signs and leading zeros name nothing.
  const bool plain = !token.empty() && (token == "0" || token[0] != '0') && token[0] != '-';
  if (!plain || !parseWholeInt(token, index) || index < 0 ||
      static_cast<std::size_t>(index) >= at->elements.size())
    return nullptr;
  return &at->elements[static_cast<std::size_t>(index)];
}

}  // namespace

const JsonValue* valueAt(const JsonValue& root, const std::vector<std::string>& path, std::size_t from,
                         std::size_t to) {
  const JsonValue* at = &root;
  for (std::size_t i = from; i < to && i < path.size() && at != nullptr; ++i) at = into(at, path[i]);
  return at;
}

JsonValue* valueAt(JsonValue& root, const std::vector<std::string>& path, std::size_t from, std::size_t to) {
  return const_cast<JsonValue*>(valueAt(static_cast<const JsonValue&>(root), path, from, to));
}

}  // namespace ob
