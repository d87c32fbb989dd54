#pragma once
// Strict JSON parser: no trailing commas, no duplicate keys, nesting at most
// 256 levels, at most a million values, kept text included. String content
// is passed through leniently. Error messages are short fixed texts without
// a position; callers prefix their own words.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "document/json/json_shape.h"
#include "document/json/json_value.h"

namespace ob {

inline constexpr std::int32_t kJsonMaxDepth = 256;

// A value built costs 144 bytes (a member 176 with its key) and is built at
// its container's size, so this keeps a hostile document's tree under 180 MB;
// a real instance document holds a few thousand values. The text is checked
// whole before anything is built, so a document past the limit is refused
// holding nothing. Values kept as text count too: they cost no more than
// their text, but every save lays them out again.
inline constexpr std::uint64_t kJsonMaxValues = 1000000;
inline constexpr const char* kJsonTooManyValues = "document holds more than 1000000 values";
// Of those, what a parse to a shape builds for its readers: this build's
// fullest pattern writes under 400,000 (eight tracks of retriggered steps
// rated 1/32T, each note with its locks and random amounts), and a tree of
// this many (88 MB at most) is what any document may cost its readers.
inline constexpr std::uint64_t kJsonMaxBuiltValues = 500000;
inline constexpr const char* kJsonTooManyBuilt = "document holds more than 500000 values its readers read";

// Whether a parse's error refuses the document for its size (too many
// values, or too many entries where a reader reads) rather than its form.
bool isJsonSizeRefusal(std::string_view error);

// The parse cursor: one cursor parses one document.
struct JsonParser {
  std::string_view text;
  std::size_t pos = 0;
  std::int32_t depth = 0;
  std::uint64_t values = 0;  // read so far, held against kJsonMaxValues
  std::uint64_t built = 0;   // of those, built to a shape, held against kJsonMaxBuiltValues
  std::string error;
  std::string scratch;  // strings read only to be checked
};

// Parses one whole document into value. On failure returns false, sets error
// and leaves value in an unspecified state.
bool parseJson(std::string_view text, JsonValue& value, std::string& error);
// The same, built over the storage of the value's own elements or members
// where it has room, and a short text in one pass: a reader of one element
// of a long list after another allocates for the list's largest, not for
// each, and reads a short one once (JsonElements).
bool parseJsonOver(std::string_view text, JsonValue& value, std::string& error);
// The same, building only what the shape says its readers look at and
// keeping the rest as the text it was read from. It fails where the other
// fails, with the same message, and what it gives is written as the other's
// would be, byte for byte.
bool parseJson(std::string_view text, const JsonShape& shape, JsonValue& value, std::string& error);
// The same of a value held as its text (kind Kept), what it keeps of it
// referring to that text rather than copying it.
bool parseJson(const JsonValue& kept, const JsonShape& shape, JsonValue& value, std::string& error);

// Whether parseJson would take the text (to the shape, when given), and
// else why, in its words: its own check, building nothing. A writer asks
// it of what it wrote, so that nothing is written that the parse refuses.
bool checkJson(std::string_view text, const JsonShape* shape, std::string& error);

}  // namespace ob
