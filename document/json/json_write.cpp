#include "document/json/json_write.h"

#include "document/json/json_quote.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include "document/json/json_kept_write.h"
#include "document/json/json_number.h"
#include "document/json/json_out.h"

namespace ob {
namespace {

// A stored spelling is reused only when it is a whole, finite number the
// parser reads back; anything else would break the output.
bool readSpelling(std::string_view text, double& d) {
  if (text.empty()) return false;
  char c = text[0];
  if (c != '-' && (c < '0' || c > '9')) return false;
  std::size_t used = 0;
  if (!parseJsonNumberPrefix(text.data(), text.data() + text.size(), d, used)) return false;
  return used == text.size() && std::isfinite(d);
}

bool sameAsFloat(double value, double d) {
  constexpr double kMaxFloat = std::numeric_limits<float>::max();
  if (std::fabs(value) > kMaxFloat || std::fabs(d) > kMaxFloat) return false;
  float fv = static_cast<float>(value);
  if (static_cast<double>(fv) != value) return false;
  return static_cast<float>(d) == fv;
}

void appendNumber(const JsonValue& v, JsonOut& out) { putJsonNumber(v.number, v.numberText, out); }

void appendQuoted(std::string_view text, JsonOut& out) { putJsonQuoted(text, out); }

void appendCompact(const JsonValue& v, JsonOut& out) {
  switch (v.kind) {
    case JsonKind::Bool: out += v.boolean ? "true" : "false"; return;
    case JsonKind::Number: appendNumber(v, out); return;
    case JsonKind::String: appendQuoted(v.text, out); return;
    case JsonKind::Kept: writeKeptCompact(v.keptText(), out); return;
    case JsonKind::KeptMembers:
      // Never a value of its own; written as the object of its members.
      out += '{';
      writeKeptMembersCompact(v.keptText(), out);
      out += '}';
      return;
    case JsonKind::Array:
      out += '[';
      for (std::size_t i = 0; i < v.elements.size(); ++i) {
        if (i) out += ',';
        appendCompact(v.elements[i], out);
      }
      out += ']';
      return;
    case JsonKind::Object:
      out += '{';
      for (std::size_t i = 0; i < v.members.size(); ++i) {
        if (i) out += ',';
        if (v.members[i].value.kind == JsonKind::KeptMembers) {
          writeKeptMembersCompact(v.members[i].value.keptText(), out);
          continue;
        }
        appendQuoted(v.members[i].key, out);
        out += ':';
        appendCompact(v.members[i].value, out);
      }
      out += '}';
      return;
    default: out += "null"; return;
  }
}

// Kept text is only ever an array or an object.
bool isContainer(const JsonValue& v) {
  return v.kind == JsonKind::Array || v.kind == JsonKind::Object || v.isKept();
}

void writePretty(const JsonValue& value, int depth, JsonOut& out) {
  if (depth < 0) depth = 0;
  const std::size_t inner = 2 * (static_cast<std::size_t>(depth) + 1);
  const std::size_t outer = 2 * static_cast<std::size_t>(depth);
  if (value.kind == JsonKind::Array) {
    bool flat = true;
    for (const JsonValue& e : value.elements)
      if (isContainer(e)) flat = false;
    if (flat) {
      appendCompact(value, out);
      return;
    }
    out += "[\n";
    for (std::size_t i = 0; i < value.elements.size(); ++i) {
      out.append(inner, ' ');
      writePretty(value.elements[i], depth + 1, out);
      out += i + 1 < value.elements.size() ? ",\n" : "\n";
    }
    out.append(outer, ' ');
    out += ']';
    return;
  }
  if (value.kind == JsonKind::Object) {
    if (value.members.empty()) {
      out += "{}";
      return;
    }
    out += "{\n";
    for (std::size_t i = 0; i < value.members.size(); ++i) {
      const JsonMember& m = value.members[i];
      if (m.value.kind == JsonKind::KeptMembers && m.value.kept->asRead) {
        out.append(inner, ' ');
        out += m.value.keptText();
      } else if (m.value.kind == JsonKind::KeptMembers) {
        writeKeptMembersPretty(m.value.keptText(), depth, out);
      } else {
        out.append(inner, ' ');
        appendQuoted(m.key, out);
        out += ": ";
        writePretty(m.value, depth + 1, out);
      }
      out += i + 1 < value.members.size() ? ",\n" : "\n";
    }
    out.append(outer, ' ');
    out += '}';
    return;
  }
  if (value.kind == JsonKind::Kept) {
    writeKeptPretty(value.keptText(), depth, out);
    return;
  }
  if (value.kind == JsonKind::KeptMembers) {
    JsonValue object = makeJsonObject();
    object.members.push_back({std::string(), value});
    writePretty(object, depth, out);
    return;
  }
  appendCompact(value, out);
}

}  // namespace

void putJsonNumber(double value, std::string_view spelling, JsonOut& out) {
  // NaN and infinities have no JSON form, whatever their spelling.
  if (!std::isfinite(value)) {
    out += "null";
    return;
  }
  double d = 0.0;
  if (readSpelling(spelling, d) && (d == value || sameAsFloat(value, d))) {
    // Equal values of opposite sign (0 and -0) keep the spelling only
    // when the sign matches, so -0 never turns into 0 or back.
    if (std::signbit(d) == std::signbit(value) || d != 0.0) {
      out += spelling;
      return;
    }
  }
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, value);
  out.append(buf, static_cast<std::size_t>(r.ptr - buf));
}

void putJsonQuoted(std::string_view text, JsonOut& out) {
  forEachJsonQuotedPiece(text, [&out](const char* bytes, std::size_t n) { out.append(bytes, n); });
}

void appendJsonNumber(double value, std::string_view spelling, std::string& out) {
  JsonOut to(&out);
  putJsonNumber(value, spelling, to);
}

void appendJsonQuoted(std::string_view text, std::string& out) {
  JsonOut to(&out);
  putJsonQuoted(text, to);
}

std::string formatJsonNumber(const JsonValue& value) {
  std::string out;
  appendJsonNumber(value.number, value.numberText, out);
  return out;
}

std::string quoteJsonString(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  appendJsonQuoted(text, out);
  return out;
}

std::string writeJson(const JsonValue& value) {
  std::string out;
  writeSized(out, [&value](JsonOut& to) { appendCompact(value, to); });
  return out;
}

void writeJsonPretty(const JsonValue& value, int depth, std::string& out) {
  writeSized(out, [&value, depth](JsonOut& to) { writePretty(value, depth, to); });
}

JsonValue heldAsText(const JsonValue& value) {
  if (!value.isArray() && !value.isObject()) return value;
  return makeJsonKept(JsonKind::Kept, writeJson(value));
}

namespace {

void dumpTo(const JsonValue& value, JsonOut& to) {
  writePretty(value, 0, to);
  to += '\n';
}

}  // namespace

std::string dumpJson(const JsonValue& value) { return *dumpJsonUpTo(value, SIZE_MAX); }

std::optional<std::string> dumpJsonUpTo(const JsonValue& value, std::size_t most) {
  std::string out;
  if (!writeSized(out, [&value](JsonOut& to) { dumpTo(value, to); }, most)) return std::nullopt;
  return out;
}

std::size_t jsonTextSize(const JsonValue& value, bool compact) {
  JsonOut counter;
  if (compact)
    appendCompact(value, counter);
  else
    dumpTo(value, counter);
  return counter.counted();
}

}  // namespace ob
