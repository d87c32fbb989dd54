#pragma once
// Characters of UTF-8 text as the text functions walk them: a character is
// the run of bytes its lead byte announces, cut at the end of the text.
// Malformed bytes count as one character each; nothing is validated but by
// utf8CodePoint.

#include <cstddef>
#include <string>
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

// The code point of the character at `at` (utf8CharLength bytes long), or
// none (-1) for malformed or overlong bytes.
constexpr char32_t kNoCodePoint = static_cast<char32_t>(-1);
constexpr char32_t utf8CodePoint(std::string_view text, std::size_t at) {
  const std::size_t n = utf8CharLength(text, at);
  const auto lead = static_cast<unsigned char>(text[at]);
  if (n == 1) return lead < 0x80 ? lead : kNoCodePoint;
  if ((n == 2 && (lead & 0xE0u) != 0xC0u) || (n == 3 && (lead & 0xF0u) != 0xE0u) ||
      (n == 4 && (lead & 0xF8u) != 0xF0u))
    return kNoCodePoint;  // cut at the end of the text
  char32_t c = lead & (0x7Fu >> n);
  for (std::size_t i = 1; i < n; ++i) {
    const auto next = static_cast<unsigned char>(text[at + i]);
    if ((next & 0xC0u) != 0x80u) return kNoCodePoint;
    c = (c << 6) | (next & 0x3Fu);
  }
  constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  return c < kLeast[n] || c > 0x10FFFF ? kNoCodePoint : c;
}

inline void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace orbi::ui
