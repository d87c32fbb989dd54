#include "document/clip/clip_grid.h"

#include <cstdint>

#include "document/reading/parse_int.h"

namespace ob::clip {

namespace {
// Digits only: the integer parser would also take a minus sign.
bool parsePart(std::string_view part, std::int32_t& out) {
  if (part.empty()) return false;
  for (char c : part)
    if (c < '0' || c > '9') return false;
  return parseWholeInt(part, out) && out >= 1;
}
}  // namespace

std::optional<double> parseGrid(std::string_view text) {
  std::size_t slash = text.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  std::int32_t num = 0;
  std::int32_t den = 0;
  if (!parsePart(text.substr(0, slash), num) || !parsePart(text.substr(slash + 1), den)) return std::nullopt;
  return static_cast<double>(num) * 4.0 / static_cast<double>(den);
}

}  // namespace ob::clip
