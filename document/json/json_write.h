#pragma once
// JSON writers: the compact form (no whitespace; for hashing and exact text)
// and the indented form (two-space indent; for documents users open).
// Output is always valid JSON: numbers without a JSON form become null. Each
// text is measured before it is written, and its string reserved to fit.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "document/json/json_value.h"

namespace ob {

std::string writeJson(const JsonValue& value);
// Appends the indented form of value at nesting depth to out.
void writeJsonPretty(const JsonValue& value, int depth, std::string& out);
// Indented form at depth 0 followed by one line feed.
std::string dumpJson(const JsonValue& value);
// The same when it is no longer than `most` bytes; else none, and only
// counted: nested deep, the indented form can be many times the compact one.
std::optional<std::string> dumpJsonUpTo(const JsonValue& value, std::size_t most);
// The size of writeJson's text of the value (compact), or of dumpJson's,
// counted without writing it.
std::size_t jsonTextSize(const JsonValue& value, bool compact);

// An array or object as its compact text, held once however often it is
// copied and written back as its values would be (JsonKind::Kept); any
// other value as it is.
JsonValue heldAsText(const JsonValue& value);

// The number form used by both writers: the source spelling while it still
// stands for the value, else the shortest round-trip text, "null" for NaN and
// infinities.
std::string formatJsonNumber(const JsonValue& value);
std::string quoteJsonString(std::string_view text);
// The same onto the end of out, for a number given as its value and spelling.
void appendJsonNumber(double value, std::string_view spelling, std::string& out);
void appendJsonQuoted(std::string_view text, std::string& out);
class JsonOut;
void putJsonNumber(double value, std::string_view spelling, JsonOut& out);
void putJsonQuoted(std::string_view text, JsonOut& out);

}  // namespace ob
