#pragma once
// Fitting UTF-8 text into fixed-size name fields without cutting a
// character in half.

#include <cstddef>
#include <string_view>

namespace ob {

// The longest prefix of text of at most maxBytes bytes that does not end
// inside a multi-byte character.
inline std::string_view utf8Prefix(std::string_view text, std::size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  std::size_t end = maxBytes;
  // Back off over continuation bytes to the start of the cut character; a
  // longer run is not UTF-8 and is cut where it stands.
  while (end > 0 && maxBytes - end < 3 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  if ((static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) end = maxBytes;
  return text.substr(0, end);
}

}  // namespace ob
