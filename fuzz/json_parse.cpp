// Parser must never crash on any bytes, and whatever it accepts must write
// out as text that it reads back to the same tree.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "document/json/json.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  ob::JsonValue value;
  std::string error;
  if (!ob::parseJson(text, value, error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  const std::string compact = ob::writeJson(value);
  const std::string pretty = ob::dumpJson(value);
  ob::JsonValue again;
  if (!ob::parseJson(compact, again, error)) std::abort();
  if (ob::writeJson(again) != compact) std::abort();
  ob::JsonValue fromPretty;
  if (!ob::parseJson(pretty, fromPretty, error)) std::abort();
  if (ob::writeJson(fromPretty) != compact) std::abort();
  return 0;
}
