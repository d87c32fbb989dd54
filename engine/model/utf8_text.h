#pragma once
// UTF-8 as every text of the project and its documents holds it: strictly
// (no overlong forms, no surrogates, nothing past U+10FFFF), cut only at a
// character's boundary, and mended where it is not UTF-8 by U+FFFD, one for
// each maximal run that begins no character (as Unicode recommends; an
// encoded surrogate, which an escaped lone one decodes to, counts as one),
// so that text mended once is mended to the same again.

#include <cstddef>
#include <string>
#include <string_view>

namespace ob {

inline constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";  // U+FFFD

// At `at`: the length of the character that starts there (`valid`), or of
// the maximal run that begins none, at least one byte.
struct Utf8Step {
  std::size_t length = 0;
  bool valid = false;
};
Utf8Step utf8StepAt(std::string_view text, std::size_t at);

bool isValidUtf8(std::string_view text);

// The text with each run that is not UTF-8 replaced by U+FFFD.
std::string mendedUtf8(std::string_view text);

// The longest prefix of text of at most maxBytes bytes that does not end
// inside a character. A run of more continuation bytes than a character
// holds is not UTF-8 and is cut where it stands.
inline std::string_view utf8Prefix(std::string_view text, std::size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  std::size_t end = maxBytes;
  while (end > 0 && maxBytes - end < 3 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  if ((static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) end = maxBytes;
  return text.substr(0, end);
}

}  // namespace ob
