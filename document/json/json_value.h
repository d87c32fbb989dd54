#pragma once
// One JSON value as a plain record: every value carries all fields and its
// kind says which of them count. Numbers keep the text they were read from
// so a document written back reproduces its spellings; objects keep their
// members in insertion order. What no reader looks at may stay the text it
// was read from, never built into values (json_shape.h).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ob {

enum class JsonKind : std::uint32_t {
  Null = 0,
  Bool = 1,
  Number = 2,
  String = 3,
  Array = 4,
  Object = 5,
  // An array or object held as the text it was read from, the blanks
  // between its tokens left out: the parser checked it, and the writers lay
  // it out as they would the values.
  Kept = 6,
  // Members of an object held as the text they were read from, keys and
  // all; only ever the value of a member, whose key is the last of theirs,
  // so that what followed them in the object can name it. The compact
  // writer lays them out as it would the values, the indented one writes
  // members a document held as they stood.
  KeptMembers = 7,
};

struct JsonMember;

// Checked text held for a kept value: a piece of a text it shares.
struct JsonKeptText {
  std::shared_ptr<const std::string> whole;
  std::string_view text;  // within *whole
  bool asRead = false;    // a document's own text, blanks and all, rather than a writer's
};

struct JsonValue {
  JsonKind kind = JsonKind::Null;
  bool boolean = false;
  double number = 0.0;
  std::string numberText;  // source spelling of a number; empty when made in code
  std::string text;        // string value, unescaped UTF-8 (may hold NUL bytes)
  std::vector<JsonValue> elements;
  std::vector<JsonMember> members;
  // The text of a value of kind Kept or KeptMembers, shared by every copy
  // of it: what a document holds unread is held once, however many records
  // of a load or a save hold it, and one read from kept text refers to its
  // piece of that text.
  std::shared_ptr<const JsonKeptText> kept;

  bool isNull() const { return kind == JsonKind::Null; }
  bool isBool() const { return kind == JsonKind::Bool; }
  bool isNumber() const { return kind == JsonKind::Number; }
  bool isString() const { return kind == JsonKind::String; }
  bool isArray() const { return kind == JsonKind::Array; }
  bool isObject() const { return kind == JsonKind::Object; }
  bool isKept() const { return kind == JsonKind::Kept || kind == JsonKind::KeptMembers; }
  std::string_view keptText() const;

  // First member with exactly this key; nullptr when absent or not an object.
  const JsonValue* find(std::string_view key) const;
  JsonValue* find(std::string_view key);
  static const JsonValue* find(const JsonValue& value, std::string_view key);
  static JsonValue* find(JsonValue& value, std::string_view key);

  // The member's text when it is a string, else the fallback.
  std::string getString(std::string_view key, std::string_view fallback) const;
  static std::string getString(const JsonValue& value, std::string_view key, std::string_view fallback);

  // Makes this an object (dropping other content when it was not one) and
  // replaces the first member with this key in place, or appends it.
  void set(std::string_view key, JsonValue value);
  static void set(JsonValue& object, std::string_view key, JsonValue value);

  // Makes this an array (dropping other content when it was not one) and
  // appends the element.
  void push(JsonValue value);
  static void push(JsonValue& array, JsonValue value);

  // Member-list helpers: replace the first member with the key in place or
  // append; find the first member's value with the key.
  static void setMember(std::vector<JsonMember>& members, std::string_view key, JsonValue value);
  static const JsonValue* findMember(const std::vector<JsonMember>& members, std::string_view key);
  static JsonValue* findMember(std::vector<JsonMember>& members, std::string_view key);
};

struct JsonMember {
  std::string key;
  JsonValue value;
};

// Makers: each returns a fresh value with every other field empty.
JsonValue makeJsonNull();
JsonValue makeJsonArray();
JsonValue makeJsonObject();
JsonValue makeJsonBool(bool b);
JsonValue makeJsonDouble(double d);
// Number from a 32-bit float with the shortest text that reads back to the
// same float ("0.1", "1e+05", "-0"); a non-finite float gets no text.
JsonValue makeJsonNumber(float f);
JsonValue makeJsonString(std::string s);
JsonValue makeJsonStringFrom(std::string_view text);
// Kept text: checked JSON of an array or object, or of members of one; as
// a document held it, or as a writer made it.
JsonValue makeJsonKept(JsonKind kind, std::string text, bool asRead = false);
// The same for a piece of the text another kept value holds.
JsonValue makeJsonKept(JsonKind kind, const JsonKeptText& within, std::string_view piece);

// The member's boolean when it is a bool, else the fallback.
bool jsonGetBool(const JsonValue& value, std::string_view key, bool fallback);

// Decimal digits of n, no sign, no leading zeros ("0" for zero).
std::string formatUnsigned(std::uint64_t n);

}  // namespace ob
