#include "document/reading/extension_id.h"

#include "document/reading/parse_int.h"

namespace ob {

std::optional<ExtensionId> parseExtensionId(std::string_view text) {
  std::size_t slash = text.rfind('/');
  if (slash == std::string_view::npos || slash == 0 || slash + 1 >= text.size()) return std::nullopt;
  std::string_view versionText = text.substr(slash + 1);
  // from_chars takes a minus sign; a version is never negative, so any sign fails.
  if (versionText.front() == '-' || versionText.front() == '+') return std::nullopt;
  std::int32_t version = 0;
  if (!parseWholeInt(versionText, version) || version < 1) return std::nullopt;
  return ExtensionId{std::string(text.substr(0, slash)), version};
}

std::string formatExtensionId(const ExtensionId& id) { return id.name + "/" + std::to_string(id.version); }

}  // namespace ob
