#include "document/json/json_value.h"

#include <charconv>
#include <cmath>
#include <utility>

namespace ob {

const JsonValue* JsonValue::find(std::string_view key) const {
  if (kind != JsonKind::Object) return nullptr;
  return findMember(members, key);
}

JsonValue* JsonValue::find(std::string_view key) {
  if (kind != JsonKind::Object) return nullptr;
  return findMember(members, key);
}

const JsonValue* JsonValue::find(const JsonValue& value, std::string_view key) { return value.find(key); }

JsonValue* JsonValue::find(JsonValue& value, std::string_view key) { return value.find(key); }

std::string JsonValue::getString(std::string_view key, std::string_view fallback) const {
  const JsonValue* v = find(key);
  if (v && v->kind == JsonKind::String) return v->text;
  return std::string(fallback);
}

std::string JsonValue::getString(const JsonValue& value, std::string_view key, std::string_view fallback) {
  return value.getString(key, fallback);
}

void JsonValue::set(std::string_view key, JsonValue value) {
  if (kind != JsonKind::Object) *this = makeJsonObject();
  setMember(members, key, std::move(value));
}

void JsonValue::set(JsonValue& object, std::string_view key, JsonValue value) {
  object.set(key, std::move(value));
}

void JsonValue::push(JsonValue value) {
  if (kind != JsonKind::Array) *this = makeJsonArray();
  elements.push_back(std::move(value));
}

void JsonValue::push(JsonValue& array, JsonValue value) { array.push(std::move(value)); }

void JsonValue::setMember(std::vector<JsonMember>& members, std::string_view key, JsonValue value) {
  if (JsonValue* existing = findMember(members, key)) {
    *existing = std::move(value);
    return;
  }
  members.push_back(JsonMember{std::string(key), std::move(value)});
}

const JsonValue* JsonValue::findMember(const std::vector<JsonMember>& members, std::string_view key) {
  for (const JsonMember& m : members)
    if (m.key == key) return &m.value;
  return nullptr;
}

JsonValue* JsonValue::findMember(std::vector<JsonMember>& members, std::string_view key) {
  for (JsonMember& m : members)
    if (m.key == key) return &m.value;
  return nullptr;
}

JsonValue makeJsonNull() { return JsonValue{}; }

JsonValue makeJsonArray() {
  JsonValue v;
  v.kind = JsonKind::Array;
  return v;
}

JsonValue makeJsonObject() {
  JsonValue v;
  v.kind = JsonKind::Object;
  return v;
}

JsonValue makeJsonBool(bool b) {
  JsonValue v;
  v.kind = JsonKind::Bool;
  v.boolean = b;
  return v;
}

JsonValue makeJsonDouble(double d) {
  JsonValue v;
  v.kind = JsonKind::Number;
  v.number = d;
  return v;
}

JsonValue makeJsonNumber(float f) {
  JsonValue v;
  v.kind = JsonKind::Number;
  v.number = static_cast<double>(f);
  if (std::isfinite(f)) {
    // Shortest float text, plain or scientific, whichever is shorter;
    // never locale-dependent.
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, f);
    if (r.ec == std::errc()) v.numberText.assign(buf, r.ptr);
  }
  return v;
}

JsonValue makeJsonString(std::string s) {
  JsonValue v;
  v.kind = JsonKind::String;
  v.text = std::move(s);
  return v;
}

JsonValue makeJsonStringFrom(std::string_view text) { return makeJsonString(std::string(text)); }

JsonValue makeJsonKept(JsonKind kind, std::string text, bool asRead) {
  auto whole = std::make_shared<const std::string>(std::move(text));
  return makeJsonKept(kind, JsonKeptText{whole, *whole, asRead}, *whole);
}

JsonValue makeJsonKept(JsonKind kind, const JsonKeptText& within, std::string_view piece) {
  JsonValue v;
  v.kind = kind;
  v.kept = std::make_shared<const JsonKeptText>(JsonKeptText{within.whole, piece, within.asRead});
  return v;
}

std::string_view JsonValue::keptText() const { return kept ? kept->text : std::string_view(); }

bool jsonGetBool(const JsonValue& value, std::string_view key, bool fallback) {
  const JsonValue* v = value.find(key);
  if (v && v->kind == JsonKind::Bool) return v->boolean;
  return fallback;
}

std::string formatUnsigned(std::uint64_t n) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, n);
  return std::string(buf, r.ptr);
}

}  // namespace ob
