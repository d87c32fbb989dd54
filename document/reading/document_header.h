#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/diagnostics.h"
#include "document/json/json_value.h"
#include "document/reading/extension_id.h"

namespace ob {

// What the header check found in a document's "kind", "spec" and
// "extensions" members.
struct DocumentHeader {
  std::string kind;
  std::uint32_t specMajor = 1;
  std::uint32_t specMinor = 0;
  std::vector<ExtensionId> extensions;
  std::vector<JsonValue> unreadableExtensions;
  bool extensionsWellFormed = true;
  bool ok = false;
};

// The format version this build writes and understands: "1.0".
std::string formatSpecVersion();

// Checks kind (errors "not-a-document", "wrong-kind" stop the read), the "spec"
// and extensions (warnings and notes; reading goes on). ok is false only for
// the two errors. The findings' paths start at base, the document's place.
DocumentHeader readDocumentHeader(const JsonValue& document, std::string_view expectedKind,
                                  Diagnostics& diagnostics, std::string_view base = {});

// The "extensions" array: each id's text form, then the unreadable entries
// as they were written.
JsonValue extensionsToJson(const std::vector<ExtensionId>& ids, const std::vector<JsonValue>& unreadable);

}  // namespace ob
