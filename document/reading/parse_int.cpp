#include "document/reading/parse_int.h"

#include <charconv>
#include <system_error>

namespace ob {

ParseIntResult parseInt(std::string_view text, int base) {
  ParseIntResult r;
  if (base < 2 || base > 36) {
    r.error = ParseIntError::Invalid;
    return r;
  }
  const char* first = text.data();
  const char* last = first + text.size();
  std::int32_t v = 0;
  auto [ptr, ec] = std::from_chars(first, last, v, base);
  r.end = static_cast<std::size_t>(ptr - first);
  if (ec == std::errc::invalid_argument) {
    r.error = ParseIntError::Invalid;
    r.end = 0;
  } else if (ec == std::errc::result_out_of_range) {
    r.error = ParseIntError::OutOfRange;
  } else {
    r.value = v;
  }
  return r;
}

bool parseWholeInt(std::string_view text, std::int32_t& out, int base) {
  ParseIntResult r = parseInt(text, base);
  if (!r.ok() || r.end != text.size()) return false;
  out = r.value;
  return true;
}

}  // namespace ob
