#include "document/reading/json_pointer.h"

namespace ob {

std::string escapePointerToken(std::string_view token) {
  std::string out;
  out.reserve(token.size());
  for (char c : token) {
    if (c == '~') {
      out += "~0";
    } else if (c == '/') {
      out += "~1";
    } else {
      out += c;
    }
  }
  return out;
}

std::string memberPath(std::string_view base, std::string_view name) {
  std::string out(base);
  out += '/';
  out += escapePointerToken(name);
  return out;
}

std::string indexPath(std::string_view base, std::uint64_t index) {
  std::string out(base);
  out += '/';
  out += std::to_string(index);
  return out;
}

}  // namespace ob
