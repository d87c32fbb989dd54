// Parser must never crash on any bytes, and whatever it accepts must write
// out as text that it reads back to the same tree. Parsed to a shape, which
// keeps what it does not build as text, it fails and writes compact exactly
// alike, and indented a text that reads back to the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "document/instance/instance_shape.h"
#include "document/json/json.h"

namespace {

// A shape that keeps every container as its text.
const ob::JsonShape& keepingAll() {
  static const ob::JsonShape shape = ob::objectShape({});
  return shape;
}

// Whether the parse to shape fails as the whole one did, or writes the same
// compact text, and indented a text that reads back to it.
bool parsesAlike(const ob::JsonShape& shape, std::string_view text, const std::string& error,
                 const std::string& compact) {
  ob::JsonValue kept;
  std::string keptError;
  const bool accepted = ob::parseJson(text, shape, kept, keptError);
  if (accepted != error.empty() || keptError != error) return false;
  if (!accepted) return true;
  // Read back as text held, not built: the indented text can be megabytes.
  ob::JsonValue back;
  return ob::writeJson(kept) == compact && ob::parseJson(ob::dumpJson(kept), keepingAll(), back, keptError) &&
         ob::writeJson(back) == compact;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  ob::JsonValue value;
  std::string error;
  std::string compact;
  if (ob::parseJson(text, value, error))
    compact = ob::writeJson(value);
  else if (error.empty())
    std::abort();
  // What an instance load builds, and a shape that keeps every container.
  if (!parsesAlike(ob::instanceDocumentShape(), text, error, compact) ||
      !parsesAlike(keepingAll(), text, error, compact))
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
