#include "document/audition/notes_fingerprint.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "document/json/json_elements.h"
#include "document/json/json_number.h"
#include "document/json/json_parse.h"
#include "document/json/json_quote.h"
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

// The canonical text is hashed as it is made, a chunk at a time, so the
// megabytes of a long clip never sit in memory at once.
class HashedText {
 public:
  void put(char c) {
    if (used_ == kChunk) flush();
    buffer_[used_++] = c;
  }
  void put(const char* text, std::size_t n) {
    if (n > kChunk - used_) {
      flush();
      if (n > kChunk) {
        hash_ = fnv1a64(std::string_view(text, n), hash_);
        return;
      }
    }
    std::memcpy(buffer_ + used_, text, n);
    used_ += n;
  }
  void put(std::string_view text) { put(text.data(), text.size()); }
  std::uint64_t finish() {
    flush();
    return hash_;
  }

 private:
  static constexpr std::size_t kChunk = 1 << 16;
  void flush() {
    hash_ = fnv1a64(std::string_view(buffer_, used_), hash_);
    used_ = 0;
  }
  std::uint64_t hash_ = kFnvOffsetBasis;
  std::size_t used_ = 0;
  char buffer_[kChunk];
};

// The canonical text of one note, to be hashed once it is known whole.
struct TextPiece {
  std::string& text;
  void put(char c) { text += c; }
  void put(const char* bytes, std::size_t n) { text.append(bytes, n); }
  void put(std::string_view bytes) { text.append(bytes); }
};

// Formatting a number (and reading back its kept spelling) costs more than
// everything else per byte, and notes repeat the same few values over and
// over: remembered texts, keyed by the value's bits and its spelling.
class NumberTexts {
 public:
  NumberTexts() : slots_(kSlots) {}

  // Appends the canonical text of a finite number; false for a subnormal
  // result, which the direct path does not vouch for.
  template <typename Out>
  bool put(const JsonValue& v, Out& out) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &v.number, sizeof bits);
    const std::string& spelling = v.numberText;
    const bool cacheable = spelling.size() <= kMaxSpelling;
    Slot* slot = nullptr;
    if (cacheable) {
      std::uint64_t h = bits ^ (spelling.size() * 0x9e3779b97f4a7c15ull);
      for (char c : spelling) h = (h ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
      slot = &slots_[(h * 0x9e3779b97f4a7c15ull) >> (64 - kSlotBits)];
      if (slot->used && slot->bits == bits && slot->spellingLength == spelling.size() &&
          std::memcmp(slot->spelling, spelling.data(), spelling.size()) == 0) {
        out.put(slot->text, slot->textLength);
        return true;
      }
    }
    const double d = writtenValue(v);
    if (d != 0.0 && !std::isnormal(d)) return false;
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, d);
    const std::size_t n = static_cast<std::size_t>(r.ptr - buf);
    out.put(buf, n);
    if (slot != nullptr && n <= sizeof slot->text) {
      slot->used = true;
      slot->bits = bits;
      slot->spellingLength = static_cast<std::uint8_t>(spelling.size());
      std::memcpy(slot->spelling, spelling.data(), spelling.size());
      slot->textLength = static_cast<std::uint8_t>(n);
      std::memcpy(slot->text, buf, n);
    }
    return true;
  }

 private:
  static constexpr int kSlotBits = 10;
  static constexpr std::size_t kSlots = std::size_t{1} << kSlotBits;
  static constexpr std::size_t kMaxSpelling = 32;
  struct Slot {
    std::uint64_t bits = 0;
    bool used = false;
    std::uint8_t spellingLength = 0;
    std::uint8_t textLength = 0;
    char spelling[kMaxSpelling];
    char text[32];
  };
  std::vector<Slot> slots_;
};

template <typename Out>
void putQuoted(std::string_view s, Out& out) {
  forEachJsonQuotedPiece(s, [&out](const char* bytes, std::size_t n) { out.put(bytes, n); });
}

bool hasRepeatedKey(const std::vector<JsonMember>& members) {
  const std::size_t n = members.size();
  if (n <= 16) {
    // The few members of a note: a scan is cheaper than sorting.
    for (std::size_t i = 1; i < n; ++i)
      for (std::size_t j = 0; j < i; ++j)
        if (members[j].key == members[i].key) return true;
    return false;
  }
  std::vector<std::string_view> keys;
  keys.reserve(n);
  for (const JsonMember& m : members) keys.push_back(m.key);
  std::sort(keys.begin(), keys.end());
  return std::adjacent_find(keys.begin(), keys.end()) != keys.end();
}

// Writes the canonical text directly. False when the case is one the direct
// path does not vouch for (repeated keys, which the parser refuses; very
// deep nesting; subnormal numbers): the caller then takes the long way.
template <typename Out>
bool putCanonical(const JsonValue& v, int depth, NumberTexts& numbers, Out& out) {
  switch (v.kind) {
    case JsonKind::Bool:
      if (v.boolean)
        out.put("true", 4);
      else
        out.put("false", 5);
      return true;
    case JsonKind::Number:
      if (!std::isfinite(v.number)) {
        out.put("null", 4);
        return true;
      }
      return numbers.put(v, out);
    case JsonKind::String: putQuoted(v.text, out); return true;
    case JsonKind::Array:
      if (depth >= kDirectDepth) return false;
      out.put('[');
      for (std::size_t i = 0; i < v.elements.size(); ++i) {
        if (i) out.put(',');
        if (!putCanonical(v.elements[i], depth + 1, numbers, out)) return false;
      }
      out.put(']');
      return true;
    case JsonKind::Object:
      if (depth >= kDirectDepth || hasRepeatedKey(v.members)) return false;
      out.put('{');
      for (std::size_t i = 0; i < v.members.size(); ++i) {
        if (i) out.put(',');
        putQuoted(v.members[i].key, out);
        out.put(':');
        if (!putCanonical(v.members[i].value, depth + 1, numbers, out)) return false;
      }
      out.put('}');
      return true;
    default: out.put("null", 4); return true;
  }
}

void dropSpellings(JsonValue& v) {
  v.numberText.clear();
  for (JsonValue& e : v.elements) dropSpellings(e);
  for (JsonMember& m : v.members) dropSpellings(m.value);
}

// The canonical text the long way round: written, parsed (between open
// and close, a list around it, so that it is nested as deep as where it
// stands), its spellings dropped, written again; nothing when it does not
// parse.
std::optional<std::string> canonicalByReparse(const JsonValue& value, std::string_view open = {},
                                              std::string_view close = {}) {
  JsonValue parsed;
  std::string error;
  if (!parseJson(std::string(open) + writeJson(value) + std::string(close), parsed, error))
    return std::nullopt;
  dropSpellings(parsed);
  return writeJson(open.empty() ? parsed : parsed.elements.front());
}

}  // namespace

struct CanonicalNote::Numbers : NumberTexts {};

CanonicalNote::CanonicalNote() : numbers_(std::make_unique<Numbers>()) {}
CanonicalNote::~CanonicalNote() = default;

const std::string* CanonicalNote::of(const JsonValue& note) {
  piece_.clear();
  TextPiece out{piece_};
  // One level down, as the note stands in its list.
  if (putCanonical(note, 1, *numbers_, out)) return &piece_;
  std::optional<std::string> canonical = canonicalByReparse(note, "[", "]");
  if (!canonical) return nullptr;
  piece_ = std::move(*canonical);
  return &piece_;
}

void NotesFingerprint::add(const JsonValue& note) {
  if (failed_) return;
  const std::string* piece = canonical_.of(note);
  if (piece == nullptr) {
    failed_ = true;
    return;
  }
  hash_ = fnv1a64(any_ ? "," : "[", hash_);
  hash_ = fnv1a64(*piece, hash_);
  any_ = true;
}

std::string NotesFingerprint::finish() {
  if (failed_) return std::string();
  return formatSeed(fnv1a64(any_ ? "]" : "[]", hash_));
}

std::string notesFingerprintByReparse(const JsonValue& notes) {
  const std::optional<std::string> canonical = canonicalByReparse(notes);
  return canonical ? formatSeed(fnv1a64(*canonical)) : std::string();
}

std::string notesFingerprint(const JsonValue& notes) {
  if (isJsonList(notes)) {
    // Note by note, as a list held as its text is read.
    NotesFingerprint print;
    JsonElements elements(notes);
    while (const JsonValue* note = elements.next()) print.add(*note);
    return print.finish();
  }
  JsonValue parsed;
  std::string error;
  if (notes.isKept() && !parseJson(notes.keptText(), parsed, error)) return std::string();
  const JsonValue& value = notes.isKept() ? parsed : notes;
  NumberTexts numbers;
  auto text = std::make_unique<HashedText>();
  if (!putCanonical(value, 0, numbers, *text)) return notesFingerprintByReparse(value);
  return formatSeed(text->finish());
}

}  // namespace ob
