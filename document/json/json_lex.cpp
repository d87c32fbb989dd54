#include "document/json/json_lex.h"

#include <cstdint>

namespace ob {

namespace {

// Hands put every byte of the text but the blanks outside its strings.
template <typename Put>
void eachTokenByte(std::string_view text, Put put) {
  bool inString = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inString) {
      put(c);
      if (c == '\\' && i + 1 < text.size())
        put(text[++i]);
      else
        inString = c != '"';
    } else if (!isJsonBlank(c)) {
      put(c);
      inString = c == '"';
    }
  }
}

}  // namespace

std::string withoutJsonBlanks(std::string_view checked) {
  std::size_t size = 0;
  eachTokenByte(checked, [&size](char) { ++size; });
  std::string out;
  out.reserve(size);
  eachTokenByte(checked, [&out](char c) { out += c; });
  return out;
}

int jsonHexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

namespace {

const char* readHex4(std::string_view text, std::size_t& pos, std::uint32_t& unit) {
  if (text.size() - pos < 4) return "truncated \\u escape";
  std::uint32_t u = 0;
  for (int i = 0; i < 4; ++i) {
    int d = jsonHexDigit(text[pos + i]);
    if (d < 0) return "bad \\u escape";
    u = (u << 4) | static_cast<std::uint32_t>(d);
  }
  pos += 4;
  unit = u;
  return nullptr;
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

// pos just after the letter u.
const char* readUnicodeEscape(std::string_view text, std::size_t& pos, std::string& out) {
  std::uint32_t unit = 0;
  if (const char* e = readHex4(text, pos, unit)) return e;
  if (unit >= 0xD800 && unit <= 0xDBFF && text.substr(pos, 2) == "\\u") {
    pos += 2;
    std::uint32_t low = 0;
    if (const char* e = readHex4(text, pos, low)) return e;
    if (low < 0xDC00 || low > 0xDFFF) return "unpaired surrogate";
    unit = 0x10000 + (unit - 0xD800) * 0x400 + (low - 0xDC00);
  }
  appendUtf8(out, unit);
  return nullptr;
}

}  // namespace

const char* readJsonString(std::string_view t, std::size_t& pos, std::string& out) {
  ++pos;
  while (pos < t.size()) {
    // Copy the plain run in one go.
    std::size_t run = pos;
    while (run < t.size() && t[run] != '"' && t[run] != '\\') ++run;
    out.append(t.data() + pos, run - pos);
    pos = run;
    if (pos >= t.size()) break;
    char c = t[pos++];
    if (c == '"') return nullptr;
    // Backslash.
    if (pos >= t.size()) break;
    char e = t[pos++];
    switch (e) {
      case 'b': out += '\b'; break;
      case 'f': out += '\f'; break;
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      case 'u':
        if (const char* error = readUnicodeEscape(t, pos, out)) return error;
        break;
      default: out += e; break;  // quote, backslash, slash and any other byte
    }
  }
  return "unterminated string";
}

}  // namespace ob
