#pragma once
// Small shared pieces of the instance state codec: fixed-size text fields,
// id comparison, macro ids, whole-number reads and the document kind test.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "document/json/json_value.h"

namespace ob {

// What of text a fixed field of `size` bytes holds: up to its first zero
// byte, at most size - 1 bytes, cut at a character's boundary.
std::string_view fixedCut(std::string_view text, std::size_t size);

// Stores text into a fixed field as fixedCut gives it, zero-terminated.
void formatFixed(char* field, std::size_t size, std::string_view text);

template <std::size_t N>
void formatFixed(char (&field)[N], std::string_view text) {
  formatFixed(field, N, text);
}

// The id a document key gives a record, as an id field holds it: up to its
// first zero byte, cut to the field.
std::string_view idOfKey(std::string_view key);

// Whether a record may be loaded under the id its key gives: not an empty
// one, nor one of the `count` records loaded before it holds. A key that may
// not names no record a save could write under a key of its own: its
// member is kept as written and not loaded ("unusable-id").
template <typename Record>
bool usableId(std::string_view key, const Record* loaded, int count) {
  const std::string_view id = idOfKey(key);
  return !id.empty() && std::none_of(loaded, loaded + count, [id](const Record& r) {
    return std::string_view(r.id, strnlen(r.id, sizeof r.id)) == id;
  });
}
inline constexpr const char* kUnusableIdMessage = "Not an id of its own; kept but not loaded";

// The text of a fixed field up to its terminator (or its full size).
std::string_view fixedText(const char* field, std::size_t size);

template <std::size_t N>
std::string_view fixedText(const char (&field)[N]) {
  return fixedText(field, N);
}

// "macro1" for macro 0, up to "macro4".
std::string macroName(int index);

// A number taken to the nearest integer (halves away from zero) and clamped
// to lo..hi; NaN gives lo.
std::int32_t roundClamped(double value, std::int32_t lo, std::int32_t hi);

// True when value is an object whose "kind" is the string "instance".
bool isInstanceDocument(const JsonValue& value);

// Text as a JSON string value.
JsonValue jsonText(std::string_view text);

}  // namespace ob
