// Parser must never crash on any bytes, and whatever it accepts must write
// out as text that it reads back to the same tree. Parsed to a shape, which
// keeps what it does not build as text, it fails and writes exactly alike.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "document/instance/instance_shape.h"
#include "document/json/json.h"
#include "engine/fnv.h"

namespace {

// The indented text can be megabytes where the input nests deep, so only
// one is held at a time and the others are compared by their hash.
std::uint64_t indentedHash(const ob::JsonValue& value) { return ob::fnv1a64(ob::dumpJson(value)); }

// Whether the parse to shape fails as the whole one did, or writes the same
// compact and indented text.
bool parsesAlike(const ob::JsonShape& shape, std::string_view text, const std::string& error,
                 const std::string& compact, std::uint64_t indented) {
  ob::JsonValue kept;
  std::string keptError;
  const bool accepted = ob::parseJson(text, shape, kept, keptError);
  if (accepted != error.empty() || keptError != error) return false;
  return !accepted || (ob::writeJson(kept) == compact && indentedHash(kept) == indented);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  ob::JsonValue value;
  std::string error;
  std::string compact;
  std::uint64_t indented = 0;
  if (ob::parseJson(text, value, error)) {
    compact = ob::writeJson(value);
    indented = indentedHash(value);
  } else if (error.empty()) {
    std::abort();
  }
  // What an instance load builds, and a shape that keeps every container.
  static const ob::JsonShape keepingAll = ob::objectShape({});
  if (!parsesAlike(ob::instanceDocumentShape(), text, error, compact, indented) ||
      !parsesAlike(keepingAll, text, error, compact, indented))
    std::abort();
  if (!error.empty()) return 0;
  ob::JsonValue again;
  if (!ob::parseJson(compact, again, error)) std::abort();
  if (ob::writeJson(again) != compact) std::abort();
  again = {};
  const std::string pretty = ob::dumpJson(value);
  value = {};
  ob::JsonValue fromPretty;
  if (!ob::parseJson(pretty, fromPretty, error)) std::abort();
  if (ob::writeJson(fromPretty) != compact) std::abort();
  return 0;
}
