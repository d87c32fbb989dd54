#include "engine/model/utf8_text.h"

#include <cstdint>

namespace ob {
namespace {

bool isContinuation(std::uint8_t b) { return (b & 0xC0) == 0x80; }

// The bounds of the byte after a lead byte, which rule out overlong forms,
// surrogates and code points past U+10FFFF; the bytes after it are any
// continuation byte.
struct Lead {
  std::size_t length = 0;  // 0: the byte begins no character
  std::uint8_t low = 0x80;
  std::uint8_t high = 0xBF;
};

Lead leadOf(std::uint8_t b) {
  if (b < 0x80) return {1};
  if (b >= 0xC2 && b <= 0xDF) return {2};
  if (b == 0xE0) return {3, 0xA0, 0xBF};
  if (b == 0xED) return {3, 0x80, 0x9F};
  if (b >= 0xE1 && b <= 0xEF) return {3};
  if (b == 0xF0) return {4, 0x90, 0xBF};
  if (b >= 0xF1 && b <= 0xF3) return {4};
  if (b == 0xF4) return {4, 0x80, 0x8F};
  return {};
}

}  // namespace

Utf8Step utf8StepAt(std::string_view text, std::size_t at) {
  const auto byte = [&text](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
  const Lead lead = leadOf(byte(at));
  if (lead.length == 0) return {1, false};
  // A surrogate encoded on its own, as an escaped lone one decodes, is one
  // character that is not, not three.
  if (byte(at) == 0xED && at + 2 < text.size() && byte(at + 1) >= 0xA0 && isContinuation(byte(at + 1)) &&
      isContinuation(byte(at + 2)))
    return {3, false};
  std::size_t n = 1;
  for (; n < lead.length && at + n < text.size(); ++n) {
    const std::uint8_t b = byte(at + n);
    const bool fits = n == 1 ? b >= lead.low && b <= lead.high : isContinuation(b);
    if (!fits) break;
  }
  return {n, n == lead.length};
}

bool isValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    if (static_cast<std::uint8_t>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    const Utf8Step step = utf8StepAt(text, i);
    if (!step.valid) return false;
    i += step.length;
  }
  return true;
}

std::string mendedUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const Utf8Step step = utf8StepAt(text, i);
    if (step.valid)
      out.append(text.substr(i, step.length));
    else
      out.append(kReplacementCharacter);
    i += step.length;
  }
  return out;
}

}  // namespace ob
