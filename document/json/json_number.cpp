#include "document/json/json_number.h"

#include <charconv>
#include <system_error>

namespace ob {

bool parseJsonNumberPrefix(const char* first, const char* last, double& value, std::size_t& used) {
  if (first >= last) return false;
  // from_chars never consults the locale and rejects a leading plus sign.
  double d = 0.0;
  auto r = std::from_chars(first, last, d, std::chars_format::general);
  if (r.ec != std::errc()) return false;
  value = d;
  used = static_cast<std::size_t>(r.ptr - first);
  return true;
}

}  // namespace ob
