#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ob {

// A declared document extension: a name and a version of at least 1,
// written "name/version".
struct ExtensionId {
  std::string name;
  std::int32_t version = 1;

  bool operator==(const ExtensionId&) const = default;
};

// Split at the last "/": a non-empty name and a decimal version >= 1 that
// uses the whole rest of the text.
std::optional<ExtensionId> parseExtensionId(std::string_view text);

// name + "/" + version in decimal (a negative version keeps its sign).
std::string formatExtensionId(const ExtensionId& id);

}  // namespace ob
