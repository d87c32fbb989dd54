#include "document/json/json_parse.h"

#include <charconv>
#include <string>
#include <unordered_set>
#include <utility>

#include "document/json/json_number.h"

namespace ob {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

void skipBlanks(JsonParser& p) {
  while (p.pos < p.text.size() && isBlank(p.text[p.pos])) ++p.pos;
}

// The byte at the cursor; the end of the text reads as NUL.
char peek(const JsonParser& p) { return p.pos < p.text.size() ? p.text[p.pos] : '\0'; }

bool fail(JsonParser& p, const char* message) {
  if (p.error.empty()) p.error = message;
  return false;
}

bool startsWith(const JsonParser& p, std::string_view word) {
  return p.text.substr(p.pos, word.size()) == word;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool readHex4(JsonParser& p, std::uint32_t& unit) {
  if (p.text.size() - p.pos < 4) return fail(p, "truncated \\u escape");
  std::uint32_t u = 0;
  for (int i = 0; i < 4; ++i) {
    int d = hexDigit(p.text[p.pos + i]);
    if (d < 0) return fail(p, "bad \\u escape");
    u = (u << 4) | static_cast<std::uint32_t>(d);
  }
  p.pos += 4;
  unit = u;
  return true;
}

void appendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Cursor just after the letter u.
bool readUnicodeEscape(JsonParser& p, std::string& out) {
  std::uint32_t unit = 0;
  if (!readHex4(p, unit)) return false;
  if (unit >= 0xD800 && unit <= 0xDBFF && startsWith(p, "\\u")) {
    p.pos += 2;
    std::uint32_t low = 0;
    if (!readHex4(p, low)) return false;
    if (low < 0xDC00 || low > 0xDFFF) return fail(p, "unpaired surrogate");
    unit = 0x10000 + (unit - 0xD800) * 0x400 + (low - 0xDC00);
  }
  appendUtf8(out, unit);
  return true;
}

// Cursor on the opening quote.
bool readString(JsonParser& p, std::string& out) {
  ++p.pos;
  const std::string_view t = p.text;
  while (p.pos < t.size()) {
    // Copy the plain run in one go.
    std::size_t run = p.pos;
    while (run < t.size() && t[run] != '"' && t[run] != '\\') ++run;
    out.append(t.data() + p.pos, run - p.pos);
    p.pos = run;
    if (p.pos >= t.size()) break;
    char c = t[p.pos++];
    if (c == '"') return true;
    // Backslash.
    if (p.pos >= t.size()) break;
    char e = t[p.pos++];
    switch (e) {
      case 'b': out += '\b'; break;
      case 'f': out += '\f'; break;
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      case 'u':
        if (!readUnicodeEscape(p, out)) return false;
        break;
      default: out += e; break;  // quote, backslash, slash and any other byte
    }
  }
  return fail(p, "unterminated string");
}

bool readNumber(JsonParser& p, JsonValue& v) {
  const char* first = p.text.data() + p.pos;
  const char* last = p.text.data() + p.text.size();
  double d = 0.0;
  std::size_t used = 0;
  if (!parseJsonNumberPrefix(first, last, d, used)) return fail(p, "invalid number");
  v.kind = JsonKind::Number;
  v.number = d;
  v.numberText.assign(first, used);
  p.pos += used;
  return true;
}

bool readValue(JsonParser& p, JsonValue& v);

bool readArray(JsonParser& p, JsonValue& v) {
  v.kind = JsonKind::Array;
  ++p.pos;
  skipBlanks(p);
  if (peek(p) == ']') {
    ++p.pos;
    return true;
  }
  for (;;) {
    v.elements.emplace_back();
    if (!readValue(p, v.elements.back())) return false;
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

bool readObject(JsonParser& p, JsonValue& v) {
  v.kind = JsonKind::Object;
  ++p.pos;
  skipBlanks(p);
  if (peek(p) == '}') {
    ++p.pos;
    return true;
  }
  // Small objects check duplicates by scanning; large ones switch to a set
  // so hostile documents with many keys stay linear.
  constexpr std::size_t kScanLimit = 16;
  std::unordered_set<std::string> seen;
  for (;;) {
    skipBlanks(p);
    if (p.pos >= p.text.size() || p.text[p.pos] != '"') return fail(p, "expected key");
    std::string key;
    if (!readString(p, key)) return false;
    skipBlanks(p);
    if (p.pos >= p.text.size() || p.text[p.pos] != ':') return fail(p, "expected ':'");
    ++p.pos;
    bool duplicate = false;
    if (v.members.size() < kScanLimit) {
      duplicate = JsonValue::findMember(v.members, key) != nullptr;
    } else {
      if (seen.empty())
        for (const JsonMember& m : v.members) seen.insert(m.key);
      duplicate = seen.count(key) != 0;
    }
    if (duplicate) {
      p.error = "duplicate key \"" + key + "\"";
      return false;
    }
    if (!seen.empty()) seen.insert(key);
    v.members.push_back(JsonMember{std::move(key), JsonValue{}});
    if (!readValue(p, v.members.back().value)) return false;
    skipBlanks(p);
    char c = peek(p);
    if (c == ',' && p.pos < p.text.size()) {
      ++p.pos;
      continue;
    }
    if (c == '}') {
      ++p.pos;
      return true;
    }
    return fail(p, "expected ',' or '}'");
  }
}

bool readNested(JsonParser& p, JsonValue& v, bool array) {
  ++p.depth;
  if (p.depth > kJsonMaxDepth) return fail(p, "document nested too deep");
  bool ok = array ? readArray(p, v) : readObject(p, v);
  --p.depth;
  return ok;
}

bool readValue(JsonParser& p, JsonValue& v) {
  if (++p.values > kJsonMaxValues) return fail(p, kJsonTooManyValues);
  skipBlanks(p);
  char c = peek(p);
  if (p.pos >= p.text.size()) c = '\0';
  switch (c) {
    case '"': v.kind = JsonKind::String; return readString(p, v.text);
    case '[': return readNested(p, v, true);
    case '{': return readNested(p, v, false);
    case 't':
    case 'f':
      if (startsWith(p, "true")) {
        v.kind = JsonKind::Bool;
        v.boolean = true;
        p.pos += 4;
        return true;
      }
      if (startsWith(p, "false")) {
        v.kind = JsonKind::Bool;
        v.boolean = false;
        p.pos += 5;
        return true;
      }
      return fail(p, "invalid literal");
    case 'n':
      if (startsWith(p, "null")) {
        v.kind = JsonKind::Null;
        p.pos += 4;
        return true;
      }
      return fail(p, "invalid literal");
    default:
      if (c == '-' || (c >= '0' && c <= '9')) return readNumber(p, v);
      return fail(p, "invalid number");
  }
}

}  // namespace

bool parseJson(std::string_view text, JsonValue& value, std::string& error) {
  JsonParser p;
  p.text = text;
  value = JsonValue{};
  skipBlanks(p);
  if (p.pos >= p.text.size()) {
    error = "empty document";
    return false;
  }
  if (!readValue(p, value)) {
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

}  // namespace ob
