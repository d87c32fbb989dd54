#pragma once
// The one spelling of a JSON string: shared by the writers and by code that
// hashes the written text without building it. It is always UTF-8: a run of
// bytes that is not is written as U+FFFD, whatever a text holds.

#include <cstddef>
#include <string_view>

#include "engine/model/utf8_text.h"

namespace ob {

// Calls put(const char* bytes, std::size_t count) for each piece of the quoted
// form of text, in order.
template <class Put>
void forEachJsonQuotedPiece(std::string_view text, Put&& put) {
  static constexpr char kHex[] = "0123456789abcdef";
  put("\"", 1);
  std::size_t runStart = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {
      const Utf8Step step = utf8StepAt(text, i);
      if (!step.valid) {
        if (i > runStart) put(text.data() + runStart, i - runStart);
        put(kReplacementCharacter.data(), kReplacementCharacter.size());
        runStart = i + step.length;
      }
      i += step.length - 1;
      continue;
    }
    if (c >= 0x20 && c != '"' && c != '\\') continue;
    if (i > runStart) put(text.data() + runStart, i - runStart);
    runStart = i + 1;
    switch (c) {
      case '"': put("\\\"", 2); break;
      case '\\': put("\\\\", 2); break;
      case '\n': put("\\n", 2); break;
      case '\r': put("\\r", 2); break;
      case '\t': put("\\t", 2); break;
      default: {
        const char escape[6] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 0xF]};
        put(escape, 6);
        break;
      }
    }
  }
  if (text.size() > runStart) put(text.data() + runStart, text.size() - runStart);
  put("\"", 1);
}

}  // namespace ob
