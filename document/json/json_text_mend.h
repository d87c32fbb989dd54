#pragma once
// Document text made UTF-8 before it is parsed. The parser passes a
// string's bytes through as they come, and an escaped lone surrogate gives
// bytes that are no UTF-8 either, so every string of a document (keys
// included) that would hold such bytes is written anew with U+FFFD for
// them, and each one is said where it stands. Whatever a load then reads
// from the text, kept unread or not, is UTF-8, and a save writes it so.

#include <cstddef>
#include <string>
#include <string_view>

#include "document/diagnostics.h"

namespace ob {

enum class TextMend : unsigned char {
  None,      // every string is UTF-8: parse the text as it is
  Mended,    // parse the mended text instead
  TooLarge,  // mended, the text would hold more than `most` bytes
};

// Mends text into `mended`, with the warning "not-utf8" at the JSON pointer
// of each string mended (a key's at its member, as mended). Text the parser
// refuses for its form is left to it (None), and so is text that is UTF-8
// throughout, which costs one look at each byte and no copy.
TextMend mendJsonText(std::string_view text, std::string& mended, Diagnostics* diagnostics, std::size_t most);

}  // namespace ob
