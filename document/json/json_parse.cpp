#include "document/json/json_parse.h"

#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "document/json/json_lex.h"
#include "document/json/json_number.h"
#include "document/json/json_seen_keys.h"
#include "document/reading/json_pointer.h"
#include "engine/model/utf8_text.h"

namespace ob {
namespace {

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

// The text is read twice: first only checked, counting the elements or
// members of every array and object that will be built, in the order they
// open; then built, each of those reserved at its size, so that a tree
// holds no room it does not use and never moves what it holds while it
// grows. Below, `build` says whether a value is built (in the first pass:
// would be), `v` is where it goes, null in the first pass and for what is
// only checked (kept as text, or inside what is), and `shape` is what of it
// readers look at, null when the parse has no shape and builds everything.
struct Pass {
  JsonParser& p;
  std::vector<std::uint32_t>& sizes;
  bool making = false;  // the second pass
  bool shaped = false;  // what is built is held to the limits of what readers read
  // Built in one pass, sizes uncounted: a short element of a list read
  // one at a time, into the storage of the one before, which after the
  // first few holds all the room it needs.
  bool unsized = false;
  std::size_t next = 0;
  // In the first pass of a shaped parse: the pointer of the array or object
  // being built, for the refusal that names it.
  std::string where;
  // The kept text being read, when it is: what is kept of it then refers
  // to it.
  const JsonKeptText* within = nullptr;

  // Members no reader reads as read, blanks and all, so that a save writes
  // them back as they stood; what a reader reads later without its blanks,
  // at the size of its compact form.
  JsonValue kept(JsonKind kind, std::string_view piece) const {
    if (within != nullptr) return makeJsonKept(kind, *within, piece);
    if (kind == JsonKind::KeptMembers) return makeJsonKept(kind, std::string(piece), true);
    return makeJsonKept(kind, withoutJsonBlanks(piece));
  }

  // At a container's opening: its place among the sizes when counting.
  std::size_t open(std::vector<JsonValue>* elements, std::vector<JsonMember>* members) {
    if (!making) {
      sizes.push_back(0);
      return sizes.size() - 1;
    }
    if (unsized) return 0;
    const std::uint32_t size = sizes[next++];
    if (elements != nullptr) elements->reserve(size);
    if (members != nullptr) members->reserve(size);
    return 0;
  }
  void close(std::size_t at, std::uint32_t size) {
    if (!making) sizes[at] = size;
  }
};

bool readValue(Pass& r, JsonValue* v, const JsonShape* shape, bool build);

// Past the entries its readers read, an array or object refuses the
// document, naming where it lies.
bool tooManyEntries(Pass& r, const JsonShape* shape, bool build, std::uint32_t size) {
  if (!build || shape == nullptr || size <= shape->most) return false;
  r.p.error = "document holds more than " + formatUnsigned(shape->most) + " entries at " +
              (r.where.empty() ? std::string("its root") : r.where);
  return true;
}

// A value built in the first pass of a shaped parse, read as a child of
// the array or object at r.where under `token` (when that value is one too).
template <typename Token>
bool readChild(Pass& r, JsonValue* v, const JsonShape* shape, bool build, const Token& token) {
  skipBlanks(r.p);
  const char c = peek(r.p);
  if (!build || !r.shaped || r.making || (c != '[' && c != '{')) return readValue(r, v, shape, build);
  const std::size_t parent = r.where.size();
  if constexpr (std::is_integral_v<Token>)
    r.where = indexPath(r.where, token);
  else
    r.where = memberPath(r.where, token);
  const bool ok = readValue(r, v, shape, build);
  r.where.resize(parent);
  return ok;
}

bool readArray(Pass& r, JsonValue* v, const JsonShape* shape, bool build) {
  JsonParser& p = r.p;
  if (v != nullptr) v->kind = JsonKind::Array;
  const JsonShape* each = shape != nullptr ? &shape->element() : nullptr;
  const std::size_t at = build ? r.open(v != nullptr ? &v->elements : nullptr, nullptr) : 0;
  std::uint32_t size = 0;
  ++p.pos;
  skipBlanks(p);
  if (peek(p) == ']') {
    ++p.pos;
    if (build) r.close(at, size);
    return true;
  }
  for (;;) {
    JsonValue* element = nullptr;
    if (v != nullptr) element = &v->elements.emplace_back();
    if (!readChild(r, element, each, build, std::uint64_t{size})) return false;
    if (tooManyEntries(r, shape, build, ++size)) return false;
    skipBlanks(p);
    char c = peek(p);
    if (c == ',' && p.pos < p.text.size()) {
      ++p.pos;
      continue;
    }
    if (c == ']') {
      ++p.pos;
      if (build) r.close(at, size);
      return true;
    }
    return fail(p, "expected ',' or ']'");
  }
}

// Members in a row that no reader looks at, taken as one piece of text:
// one member of the object built.
struct KeptRun {
  std::size_t from = 0;
  std::size_t to = 0;
  std::string lastKey;
  bool open = false;

  // True when a run was open.
  bool close(const Pass& r, JsonValue* object) {
    if (!open) return false;
    if (object != nullptr)
      object->members.push_back(
          JsonMember{std::move(lastKey), r.kept(JsonKind::KeptMembers, r.p.text.substr(from, to - from))});
    *this = KeptRun{};
    return true;
  }
};

bool readObject(Pass& r, JsonValue* v, const JsonShape* shape, bool build) {
  JsonParser& p = r.p;
  if (v != nullptr) v->kind = JsonKind::Object;
  const std::size_t at = build ? r.open(nullptr, v != nullptr ? &v->members : nullptr) : 0;
  std::uint32_t size = 0;
  ++p.pos;
  skipBlanks(p);
  if (peek(p) == '}') {
    ++p.pos;
    if (build) r.close(at, size);
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
    // As written: bytes that are no UTF-8 are spelled U+FFFD.
    const std::string mended = isValidUtf8(key) ? std::string() : mendedUtf8(key);
    const std::string_view spelled = mended.empty() ? std::string_view(key) : std::string_view(mended);
    if (!seen.insert(spelled, keyAt)) {
      p.error = "duplicate key \"" + std::string(spelled) + "\"";
      return false;
    }
    const JsonShape* member = build && shape != nullptr ? shape->member(key) : nullptr;
    if (!build) {
      if (!readValue(r, nullptr, nullptr, false)) return false;
    } else if (shape != nullptr && member == nullptr) {
      if (!run.open) run.from = keyAt;
      run.open = true;
      if (!readValue(r, nullptr, nullptr, false)) return false;
      run.to = p.pos;
      run.lastKey = std::move(key);
    } else {
      size += run.close(r, v) ? 1 : 0;
      JsonValue* value = nullptr;
      if (v != nullptr) value = &v->members.emplace_back(JsonMember{std::move(key), JsonValue{}}).value;
      // In the first pass the key is still here to name the member by.
      if (!readChild(r, value, member, true, std::string_view(key))) return false;
      if (tooManyEntries(r, shape, true, ++size)) return false;
    }
    skipBlanks(p);
    char c = peek(p);
    if (c == ',' && p.pos < p.text.size()) {
      ++p.pos;
      continue;
    }
    if (c == '}') {
      ++p.pos;
      if (build) r.close(at, size + (run.close(r, v) ? 1 : 0));
      return true;
    }
    return fail(p, "expected ',' or '}'");
  }
}

bool readNested(Pass& r, JsonValue* v, const JsonShape* shape, bool build, bool array) {
  JsonParser& p = r.p;
  ++p.depth;
  if (p.depth > kJsonMaxDepth) return fail(p, "document nested too deep");
  bool ok = false;
  if (build && shape != nullptr && !shape->builds(array)) {
    const std::size_t from = p.pos;
    // A list read an element at a time is held to the limits of what is
    // built: its reader builds all of it, if a piece at a time.
    const JsonShape* counted = shape->form == JsonShape::Form::Elements ? shape : nullptr;
    ok = array ? readArray(r, nullptr, counted, counted != nullptr)
               : readObject(r, nullptr, counted, counted != nullptr);
    if (ok && v != nullptr) *v = r.kept(JsonKind::Kept, p.text.substr(from, p.pos - from));
  } else {
    ok = array ? readArray(r, v, shape, build) : readObject(r, v, shape, build);
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

bool readValue(Pass& r, JsonValue* v, const JsonShape* shape, bool build) {
  JsonParser& p = r.p;
  if (++p.values > kJsonMaxValues) return fail(p, kJsonTooManyValues);
  if (build && r.shaped && ++p.built > kJsonMaxBuiltValues) return fail(p, kJsonTooManyBuilt);
  skipBlanks(p);
  switch (peek(p)) {
    case '"':
      if (v == nullptr) {
        p.scratch.clear();
        return readString(p, p.scratch);
      }
      v->kind = JsonKind::String;
      return readString(p, v->text);
    case '[': return readNested(r, v, shape, build, true);
    case '{': return readNested(r, v, shape, build, false);
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

// The whole text as one value, into v when given: false, with the message
// in p.error, when it is not one.
bool readWhole(Pass& r, JsonValue* v, const JsonShape* shape) {
  JsonParser& p = r.p;
  skipBlanks(p);
  if (p.pos >= p.text.size()) return fail(p, "empty document");
  if (!readValue(r, v, shape, true)) return fail(p, "parse error");
  skipBlanks(p);
  if (p.pos < p.text.size()) {
    p.error = "unexpected content after the document";
    return false;
  }
  return true;
}

// The first pass alone: the sizes of what would be built, or false with
// the parser's message.
bool checkWith(std::string_view text, const JsonShape* shape, std::vector<std::uint32_t>& sizes,
               std::string& error) {
  JsonParser checking;
  checking.text = text;
  Pass check{checking, sizes, false, shape != nullptr, false, 0, {}};
  if (readWhole(check, nullptr, shape)) return true;
  error = checking.error;
  return false;
}

// Clears the value, keeping the storage of its own elements and members
// for what is built in it next.
void clearKeepingStorage(JsonValue& value) {
  std::vector<JsonValue> elements = std::move(value.elements);
  std::vector<JsonMember> members = std::move(value.members);
  elements.clear();
  members.clear();
  value = JsonValue{};
  value.elements = std::move(elements);
  value.members = std::move(members);
}

// Text at most this long, parsed over a value's storage, is built as read:
// what its vectors' growth may cost is small beside a second pass.
constexpr std::size_t kBuiltAsReadBytes = 4096;

bool parseWith(std::string_view text, const JsonShape* shape, JsonValue& value, std::string& error,
               const JsonKeptText* within = nullptr, bool overStorage = false) {
  if (overStorage)
    clearKeepingStorage(value);
  else
    value = JsonValue{};
  const bool unsized = overStorage && text.size() <= kBuiltAsReadBytes;
  std::vector<std::uint32_t> sizes;
  if (!unsized && !checkWith(text, shape, sizes, error)) return false;
  JsonParser making;
  making.text = text;
  Pass make{making, sizes, true, shape != nullptr, unsized, 0, {}, within};
  if (readWhole(make, &value, shape)) return true;
  error = making.error;  // text built as read, unchecked
  return false;
}

}  // namespace

bool parseJson(std::string_view text, JsonValue& value, std::string& error) {
  return parseWith(text, nullptr, value, error);
}

bool parseJsonOver(std::string_view text, JsonValue& value, std::string& error) {
  return parseWith(text, nullptr, value, error, nullptr, true);
}

bool parseJson(std::string_view text, const JsonShape& shape, JsonValue& value, std::string& error) {
  return parseWith(text, &shape, value, error);
}

bool parseJson(const JsonValue& kept, const JsonShape& shape, JsonValue& value, std::string& error) {
  if (!kept.isKept()) {
    error = "parse error";
    return false;
  }
  return parseWith(kept.keptText(), &shape, value, error, kept.kept.get());
}

bool checkJson(std::string_view text, const JsonShape* shape, std::string& error) {
  std::vector<std::uint32_t> sizes;
  return checkWith(text, shape, sizes, error);
}

bool isJsonSizeRefusal(std::string_view error) { return error.starts_with("document holds more than "); }

}  // namespace ob
