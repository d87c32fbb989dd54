#include "document/reading/seed.h"

#include "document/json/json_lex.h"

namespace ob {

std::optional<std::uint64_t> parseSeed(std::string_view text) {
  if (text.size() != 16) return std::nullopt;
  std::uint64_t v = 0;
  for (char c : text) {
    int d = jsonHexDigit(c);
    if (d < 0) return std::nullopt;
    v = (v << 4) | static_cast<std::uint64_t>(d);
  }
  return v;
}

std::string formatSeed(std::uint64_t seed) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out(16, '0');
  for (int i = 15; i >= 0; --i) {
    out[static_cast<std::size_t>(i)] = kDigits[seed & 0xf];
    seed >>= 4;
  }
  return out;
}

}  // namespace ob
