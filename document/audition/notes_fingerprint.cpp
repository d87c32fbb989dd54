#include "document/audition/notes_fingerprint.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

#include "document/json/json_number.h"
#include "document/json/json_parse.h"
#include "document/json/json_write.h"
#include "document/reading/seed.h"
#include "engine/fnv.h"

namespace ob {
namespace {

// Deep enough that the parser's nesting limit can never be the question;
// anything deeper takes the long way, which applies the parser itself.
constexpr int kDirectDepth = 200;

// The number that the compact writer's text for v parses back to: its kept
// spelling when the writer uses it, else the value itself.
double writtenValue(const JsonValue& v) {
  const double value = v.number;
  const std::string& text = v.numberText;
  if (text.empty()) return value;
  const char c = text[0];
  if (c != '-' && (c < '0' || c > '9')) return value;
  double d = 0.0;
  std::size_t used = 0;
  if (!parseJsonNumberPrefix(text.data(), text.data() + text.size(), d, used)) return value;
  if (used != text.size() || !std::isfinite(d)) return value;
  bool same = d == value;
  if (!same) {
    constexpr double kMaxFloat = std::numeric_limits<float>::max();
    if (std::fabs(value) <= kMaxFloat && std::fabs(d) <= kMaxFloat) {
      const float fv = static_cast<float>(value);
      same = static_cast<double>(fv) == value && static_cast<float>(d) == fv;
    }
  }
  if (!same) return value;
  if (std::signbit(d) != std::signbit(value) && d == 0.0) return value;
  return d;
}

void appendQuoted(std::string_view s, std::string& out) {
  static const char kHex[] = "0123456789abcdef";
  out += '"';
  std::size_t run = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c >= 0x20 && c != '"' && c != '\\') continue;
    out.append(s.data() + run, i - run);
    run = i + 1;
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        out += "\\u00";
        out += kHex[c >> 4];
        out += kHex[c & 0xF];
        break;
    }
  }
  out.append(s.data() + run, s.size() - run);
  out += '"';
}

bool hasKeyBefore(const std::vector<JsonMember>& members, std::size_t i) {
  for (std::size_t j = 0; j < i; ++j)
    if (members[j].key == members[i].key) return true;
  return false;
}

// Writes the canonical text directly. False when the case is one the direct
// path does not vouch for (repeated keys, very deep nesting, subnormal
// numbers): the caller then takes the long way.
bool appendCanonical(const JsonValue& v, int depth, std::string& out) {
  switch (v.kind) {
    case JsonKind::Bool: out += v.boolean ? "true" : "false"; return true;
    case JsonKind::Number: {
      if (!std::isfinite(v.number)) {
        out += "null";
        return true;
      }
      const double d = writtenValue(v);
      if (d != 0.0 && !std::isnormal(d)) return false;
      char buf[64];
      const auto r = std::to_chars(buf, buf + sizeof buf, d);
      out.append(buf, r.ptr);
      return true;
    }
    case JsonKind::String: appendQuoted(v.text, out); return true;
    case JsonKind::Array:
      if (depth >= kDirectDepth) return false;
      out += '[';
      for (std::size_t i = 0; i < v.elements.size(); ++i) {
        if (i) out += ',';
        if (!appendCanonical(v.elements[i], depth + 1, out)) return false;
      }
      out += ']';
      return true;
    case JsonKind::Object: {
      if (depth >= kDirectDepth) return false;
      // The parser refuses repeated keys; small objects are scanned, which
      // is cheaper than a set for the few members of a note.
      const std::size_t n = v.members.size();
      if (n <= 32) {
        for (std::size_t i = 1; i < n; ++i)
          if (hasKeyBefore(v.members, i)) return false;
      } else {
        return false;
      }
      out += '{';
      for (std::size_t i = 0; i < n; ++i) {
        if (i) out += ',';
        appendQuoted(v.members[i].key, out);
        out += ':';
        if (!appendCanonical(v.members[i].value, depth + 1, out)) return false;
      }
      out += '}';
      return true;
    }
    default: out += "null"; return true;
  }
}

void dropSpellings(JsonValue& v) {
  v.numberText.clear();
  for (JsonValue& e : v.elements) dropSpellings(e);
  for (JsonMember& m : v.members) dropSpellings(m.value);
}

}  // namespace

std::string notesFingerprintByReparse(const JsonValue& notes) {
  JsonValue parsed;
  std::string error;
  if (!parseJson(writeJson(notes), parsed, error)) return std::string();
  dropSpellings(parsed);
  return formatSeed(fnv1a64(writeJson(parsed)));
}

std::string notesFingerprint(const JsonValue& notes) {
  std::string text;
  text.reserve(notes.elements.size() * 96 + 64);
  if (!appendCanonical(notes, 0, text)) return notesFingerprintByReparse(notes);
  return formatSeed(fnv1a64(text));
}

}  // namespace ob
