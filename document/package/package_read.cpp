#include <utility>

#include "document/archive/sha256.h"
#include "document/archive/zip_format.h"
#include "document/archive/zip_reader.h"
#include "document/package/package.h"

namespace ob {
namespace {

constexpr std::string_view kAssetPrefix = "assets/";

bool isBlank(std::uint8_t b) { return b == ' ' || b == '\t' || b == '\n' || b == '\r'; }

std::optional<Package> readArchive(const std::uint8_t* bytes, std::size_t size, Package package,
                                   Diagnostics& diagnostics, const zip::Limits& limits) {
  auto entries = zip::readZip(bytes, size, diagnostics, limits);
  if (!entries) return std::nullopt;
  bool haveDocument = false;
  for (zip::Entry& entry : *entries) {
    const std::string path = "/" + entry.name;
    if (entry.name == package.documentName) {
      auto document = parseDocumentText(entry.data.data(), entry.data.size(), path, diagnostics);
      if (!document) return std::nullopt;
      package.document = std::move(*document);
      haveDocument = true;
      continue;
    }
    const std::string_view name = entry.name;
    if (name.substr(0, kAssetPrefix.size()) == kAssetPrefix && is64LowerHex(name.substr(kAssetPrefix.size()))) {
      const std::string_view digits = name.substr(kAssetPrefix.size());
      if (sha256Hex(entry.data.data(), entry.data.size()) == digits) {
        package.assets.push_back({std::string(digits), std::move(entry.data)});
      } else {
        diagnostics.warn("asset-corrupt", path, "The asset does not match its name; left out, the plugin falls back");
      }
      continue;
    }
    package.otherEntries.push_back(std::move(entry));
  }
  if (!haveDocument) {
    diagnostics.error("document-missing", "/" + package.documentName, "The archive has no " + package.documentName);
    return std::nullopt;
  }
  return package;
}

}  // namespace

std::optional<Package> readPackage(const std::uint8_t* bytes, std::size_t size, std::string_view documentName,
                                   Diagnostics& diagnostics, const zip::Limits& limits) {
  Package package;
  package.documentName = std::string(documentName);
  if (zip::looksLikeZip(bytes, size)) return readArchive(bytes, size, std::move(package), diagnostics, limits);

  std::size_t first = 0;
  if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) first = 3;
  while (first < size && isBlank(bytes[first])) ++first;
  if (first < size && bytes[first] == '{') {
    auto document = parseDocumentText(bytes, size, "", diagnostics);
    if (!document) return std::nullopt;
    package.document = std::move(*document);
    return package;
  }
  diagnostics.error("package-unreadable", "", "Neither a JSON document nor a zip archive");
  return std::nullopt;
}

}  // namespace ob
