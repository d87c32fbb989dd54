#pragma once
// Characters of UTF-8 text as the text functions walk them: a character is
// the run of bytes its lead byte announces, cut at the end of the text.
// Malformed bytes count as one character each; nothing is validated.

#include <cstddef>
#include <string_view>

namespace orbi::ui {

constexpr std::size_t utf8CharLength(std::string_view text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  std::size_t n = 1;
  if ((lead & 0xE0u) == 0xC0u)
    n = 2;
  else if ((lead & 0xF0u) == 0xE0u)
    n = 3;
  else if ((lead & 0xF8u) == 0xF0u)
    n = 4;
  return n < text.size() - at ? n : text.size() - at;
}

// Calls visit(begin, length) for each character in order.
template <typename Visit>
constexpr void forEachUtf8Char(std::string_view text, Visit&& visit) {
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t n = utf8CharLength(text, at);
    visit(at, n);
    at += n;
  }
}

}  // namespace orbi::ui
