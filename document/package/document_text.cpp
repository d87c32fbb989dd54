#include <string>

#include "document/json/json_parse.h"
#include "document/json/json_text_mend.h"
#include "document/package/package.h"
#include "document/package/unpack_limits.h"
#include "document/reading/document_limits.h"

namespace ob {

bool is64LowerHex(std::string_view text) {
  if (text.size() != 64) return false;
  for (char c : text)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

std::optional<JsonValue> parseDocumentText(const std::uint8_t* bytes, std::size_t size, std::string_view path,
                                           Diagnostics& diagnostics, const JsonShape* shape) {
  if (isOversizedDocument(size)) {
    reportOversizedDocument(diagnostics, std::string(path));
    return std::nullopt;
  }
  std::size_t start = 0;
  if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) start = 3;
  std::string_view text(reinterpret_cast<const char*>(bytes) + start, size - start);
  // What is mended is said once the text parses.
  std::string mended;
  Diagnostics mends;
  switch (mendJsonText(text, mended, &mends, kMaxDocumentTextBytes)) {
    case TextMend::None: break;
    case TextMend::Mended: text = mended; break;
    case TextMend::TooLarge: reportOversizedDocument(diagnostics, std::string(path)); return std::nullopt;
  }
  JsonValue value;
  std::string error;
  if (!(shape != nullptr ? parseJson(text, *shape, value, error) : parseJson(text, value, error))) {
    if (isJsonSizeRefusal(error)) {
      reportCrowdedDocument(diagnostics, std::string(path), error);
    } else {
      diagnostics.error("document-unreadable", std::string(path), "The document is not valid JSON: " + error);
    }
    return std::nullopt;
  }
  for (const Diagnostic& d : mends) diagnostics.append(d);
  return value;
}

}  // namespace ob
