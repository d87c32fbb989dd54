#include "document/reading/document_header.h"

#include "document/diagnostics.h"
#include "document/reading/json_pointer.h"
#include "document/reading/parse_int.h"

namespace ob {

std::string formatSpecVersion() { return "1.0"; }

namespace {

// "major.minor", each a non-negative decimal that fits 32 bits, nothing else.
bool parseSpecPart(std::string_view part, std::uint32_t& out) {
  if (part.empty() || part.front() == '-') return false;
  std::int32_t v = 0;
  if (!parseWholeInt(part, v) || v < 0) return false;
  out = static_cast<std::uint32_t>(v);
  return true;
}

bool parseSpecVersion(std::string_view text, std::uint32_t& major, std::uint32_t& minor) {
  std::size_t dot = text.find('.');
  if (dot == std::string_view::npos) return false;
  std::uint32_t a = 0;
  std::uint32_t b = 0;
  if (!parseSpecPart(text.substr(0, dot), a) || !parseSpecPart(text.substr(dot + 1), b)) return false;
  major = a;
  minor = b;
  return true;
}

}  // namespace

DocumentHeader readDocumentHeader(const JsonValue& document, std::string_view expectedKind,
                                  Diagnostics& diagnostics, std::string_view base) {
  DocumentHeader h;
  const auto at = [base](const char* member) { return memberPath(base, member); };
  if (!document.isObject()) {
    diagnostics.error("not-a-document", std::string(base), "Expected a JSON object");
    return h;
  }
  const JsonValue* kind = document.find("kind");
  if (kind != nullptr && kind->isString()) h.kind = kind->text;
  if (h.kind != expectedKind) {
    std::string m = "Expected kind \"";
    m += expectedKind;
    m += "\", found \"";
    m += h.kind;
    m += "\"";
    diagnostics.error("wrong-kind", at("kind"), std::move(m));
    return h;
  }

  // The document format version travels in the "spec" member.
  const JsonValue* version = document.find("spec");
  if (version == nullptr) {
    diagnostics.note("spec-missing", at("spec"), "No spec version, read as " + formatSpecVersion());
  } else if (version->isString() && parseSpecVersion(version->text, h.specMajor, h.specMinor)) {
    if (h.specMajor >= 2) {
      diagnostics.warn("spec-newer-major", at("spec"),
                       "Document uses spec " + quotedText(version->text) + ", newer than " +
                           formatSpecVersion() + "; known fields are read and the rest is kept");
    }
  } else {
    h.specMajor = 1;
    h.specMinor = 0;
    diagnostics.warn("bad-spec-version", at("spec"),
                     "Unreadable spec version, read as " + formatSpecVersion());
  }

  const JsonValue* ext = document.find("extensions");
  if (ext != nullptr) {
    if (!ext->isArray()) {
      diagnostics.warn("wrong-type", at("extensions"), "Expected a list of extension ids; kept as written");
      h.extensionsWellFormed = false;
    } else {
      for (std::size_t i = 0; i < ext->elements.size(); ++i) {
        const JsonValue& e = ext->elements[i];
        std::optional<ExtensionId> id;
        if (e.isString()) id = parseExtensionId(e.text);
        if (id) {
          h.extensions.push_back(std::move(*id));
        } else {
          h.unreadableExtensions.push_back(e);
          diagnostics.warn("bad-extension-id", indexPath(at("extensions"), i),
                           "Unreadable extension id, ignored and kept");
        }
      }
    }
  }
  h.ok = true;
  return h;
}

JsonValue extensionsToJson(const std::vector<ExtensionId>& ids, const std::vector<JsonValue>& unreadable) {
  JsonValue arr = makeJsonArray();
  for (const ExtensionId& id : ids) arr.elements.push_back(makeJsonString(formatExtensionId(id)));
  for (const JsonValue& v : unreadable) arr.elements.push_back(v);
  return arr;
}

}  // namespace ob
