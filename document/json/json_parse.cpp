#include "document/json/json_parse.h"

#include <string>
#include <utility>

#include "document/json/json_lex.h"
#include "document/json/json_number.h"
#include "document/json/json_seen_keys.h"

namespace ob {
namespace {

// The parse below reads every value the same way whether it builds it or
// only checks it: `v` is where a value goes, null when it is only checked
// (kept as text, or inside something kept); `shape` is what of it readers
// look at, null when it is built whole.

void skipBlanks(JsonParser& p) { p.pos = skipJsonBlanks(p.text, p.pos); }

// The byte at the cursor; the end of the text reads as NUL.
char peek(const JsonParser& p) { return p.pos < p.text.size() ? p.text[p.pos] : '\0'; }

bool fail(JsonParser& p, const char* message) {
  if (p.error.empty()) p.error = message;
  return false;
}

bool startsWith(const JsonParser& p, std::string_view word) {
  return p.text.substr(p.pos, word.size()) == word;
}

// Cursor on the opening quote.
bool readString(JsonParser& p, std::string& out) {
  if (const char* error = readJsonString(p.text, p.pos, out)) return fail(p, error);
  return true;
}

bool readNumber(JsonParser& p, JsonValue* v) {
  const char* first = p.text.data() + p.pos;
  const char* last = p.text.data() + p.text.size();
  double d = 0.0;
  std::size_t used = 0;
  if (!parseJsonNumberPrefix(first, last, d, used)) return fail(p, "invalid number");
  if (v != nullptr) {
    v->kind = JsonKind::Number;
    v->number = d;
    v->numberText.assign(first, used);
  }
  p.pos += used;
  return true;
}

// A shape that builds whole is no shape at all below it.
const JsonShape* below(const JsonShape* shape) {
  return shape != nullptr && shape->form == JsonShape::Form::Whole ? nullptr : shape;
}

bool readValue(JsonParser& p, JsonValue* v, const JsonShape* shape);

bool readArray(JsonParser& p, JsonValue* v, const JsonShape* shape) {
  if (v != nullptr) v->kind = JsonKind::Array;
  const JsonShape* each = shape != nullptr ? below(&shape->element()) : nullptr;
  ++p.pos;
  skipBlanks(p);
  if (peek(p) == ']') {
    ++p.pos;
    return true;
  }
  for (;;) {
    JsonValue* element = nullptr;
    if (v != nullptr) element = &v->elements.emplace_back();
    if (!readValue(p, element, each)) return false;
    skipBlanks(p);
    char c = peek(p);
    if (c == ',' && p.pos < p.text.size()) {
      ++p.pos;
      continue;
    }
    if (c == ']') {
      ++p.pos;
      return true;
    }
    return fail(p, "expected ',' or ']'");
  }
}

// Members in a row that no reader looks at, taken as one piece of text.
struct KeptRun {
  std::size_t from = 0;
  std::size_t to = 0;
  std::string lastKey;
  bool open = false;

  void close(const JsonParser& p, JsonValue& object) {
    if (!open) return;
    object.members.push_back(
        JsonMember{std::move(lastKey), makeJsonKept(JsonKind::KeptMembers, p.text.substr(from, to - from))});
    *this = KeptRun{};
  }
};

bool readObject(JsonParser& p, JsonValue* v, const JsonShape* shape) {
  if (v != nullptr) v->kind = JsonKind::Object;
  ++p.pos;
  skipBlanks(p);
  if (peek(p) == '}') {
    ++p.pos;
    return true;
  }
  JsonSeenKeys seen(p.text);
  KeptRun run;
  for (;;) {
    skipBlanks(p);
    if (p.pos >= p.text.size() || p.text[p.pos] != '"') return fail(p, "expected key");
    const std::size_t keyAt = p.pos;
    std::string key;
    if (!readString(p, key)) return false;
    skipBlanks(p);
    if (p.pos >= p.text.size() || p.text[p.pos] != ':') return fail(p, "expected ':'");
    ++p.pos;
    if (!seen.insert(key, keyAt)) {
      p.error = "duplicate key \"" + key + "\"";
      return false;
    }
    const JsonShape* member = shape != nullptr ? shape->member(key) : nullptr;
    if (v == nullptr) {
      if (!readValue(p, nullptr, nullptr)) return false;
    } else if (shape != nullptr && member == nullptr) {
      if (!run.open) run.from = keyAt;
      run.open = true;
      if (!readValue(p, nullptr, nullptr)) return false;
      run.to = p.pos;
      run.lastKey = std::move(key);
    } else {
      run.close(p, *v);
      JsonMember& m = v->members.emplace_back(JsonMember{std::move(key), JsonValue{}});
      if (!readValue(p, &m.value, below(member))) return false;
    }
    skipBlanks(p);
    char c = peek(p);
    if (c == ',' && p.pos < p.text.size()) {
      ++p.pos;
      continue;
    }
    if (c == '}') {
      ++p.pos;
      if (v != nullptr) run.close(p, *v);
      return true;
    }
    return fail(p, "expected ',' or '}'");
  }
}

bool readNested(JsonParser& p, JsonValue* v, const JsonShape* shape, bool array) {
  ++p.depth;
  if (p.depth > kJsonMaxDepth) return fail(p, "document nested too deep");
  bool ok = false;
  if (v != nullptr && shape != nullptr && !shape->builds(array)) {
    const std::size_t from = p.pos;
    ok = array ? readArray(p, nullptr, nullptr) : readObject(p, nullptr, nullptr);
    if (ok) *v = makeJsonKept(JsonKind::Kept, p.text.substr(from, p.pos - from));
  } else {
    ok = array ? readArray(p, v, shape) : readObject(p, v, shape);
  }
  --p.depth;
  return ok;
}

bool readLiteral(JsonParser& p, JsonValue* v, std::string_view word, JsonKind kind, bool value) {
  if (!startsWith(p, word)) return fail(p, "invalid literal");
  if (v != nullptr) {
    v->kind = kind;
    v->boolean = value;
  }
  p.pos += word.size();
  return true;
}

bool readValue(JsonParser& p, JsonValue* v, const JsonShape* shape) {
  if (++p.values > kJsonMaxValues) return fail(p, kJsonTooManyValues);
  skipBlanks(p);
  switch (peek(p)) {
    case '"':
      if (v == nullptr) {
        p.scratch.clear();
        return readString(p, p.scratch);
      }
      v->kind = JsonKind::String;
      return readString(p, v->text);
    case '[': return readNested(p, v, shape, true);
    case '{': return readNested(p, v, shape, false);
    case 't':
      if (startsWith(p, "true")) return readLiteral(p, v, "true", JsonKind::Bool, true);
      return readLiteral(p, v, "false", JsonKind::Bool, false);
    case 'f': return readLiteral(p, v, "false", JsonKind::Bool, false);
    case 'n': return readLiteral(p, v, "null", JsonKind::Null, false);
    default: {
      const char c = peek(p);
      if (c == '-' || (c >= '0' && c <= '9')) return readNumber(p, v);
      return fail(p, "invalid number");
    }
  }
}

bool parseWith(std::string_view text, const JsonShape* shape, JsonValue& value, std::string& error) {
  JsonParser p;
  p.text = text;
  value = JsonValue{};
  skipBlanks(p);
  if (p.pos >= p.text.size()) {
    error = "empty document";
    return false;
  }
  if (!readValue(p, &value, shape)) {
    error = p.error.empty() ? std::string("parse error") : p.error;
    return false;
  }
  skipBlanks(p);
  if (p.pos < p.text.size()) {
    error = "unexpected content after the document";
    return false;
  }
  return true;
}

}  // namespace

bool parseJson(std::string_view text, JsonValue& value, std::string& error) {
  return parseWith(text, nullptr, value, error);
}

bool parseJson(std::string_view text, const JsonShape& shape, JsonValue& value, std::string& error) {
  return parseWith(text, below(&shape), value, error);
}

}  // namespace ob
