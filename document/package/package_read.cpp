#include <utility>

#include "document/archive/sha256.h"
#include "document/archive/zip_format.h"
#include "document/archive/zip_reader.h"
#include "document/package/package.h"
#include "document/package/unpack_limits.h"

namespace ob {
namespace {

constexpr std::string_view kAssetPrefix = "assets/";

bool isBlank(std::uint8_t b) { return b == ' ' || b == '\t' || b == '\n' || b == '\r'; }

bool isAssetEntry(std::string_view name) {
  return name.substr(0, kAssetPrefix.size()) == kAssetPrefix &&
         is64LowerHex(name.substr(kAssetPrefix.size()));
}

bool hasFindingAt(const Diagnostics& diagnostics, std::size_t from, const std::string& path) {
  for (std::size_t i = from; i < diagnostics.size(); ++i)
    if (diagnostics[i].path == path) return true;
  return false;
}

// Nothing that claims to grow beyond reason is unpacked: an asset left out
// is reported by the slot that needs it, an unknown entry here, the document
// by the read failing.
std::optional<std::vector<zip::Entry>> unpackArchive(const std::uint8_t* bytes, std::size_t size,
                                                     const Package& package, Diagnostics& diagnostics,
                                                     const zip::Limits& limits) {
  const std::size_t findingsBefore = diagnostics.size();
  bool documentRefused = false;
  KeptEntryBudget kept;
  auto admit = [&](const zip::DirectoryRecord& record) {
    if (record.name == package.documentName) {
      documentRefused = claimsTooMuchGrowth(record);
      return !documentRefused;
    }
    if (isAssetEntry(record.name)) return !claimsTooMuchGrowth(record);
    return kept.admit(record, diagnostics);
  };
  auto entries = zip::readZip(bytes, size, diagnostics, limits, admit);
  if (!entries) return std::nullopt;
  for (const zip::Entry& entry : *entries)
    if (entry.name == package.documentName) return entries;

  const std::string path = "/" + package.documentName;
  if (documentRefused) {
    reportOvergrownDocument(diagnostics, package.documentName);
  } else if (hasFindingAt(diagnostics, findingsBefore, path)) {
    // The archive names the document, but the zip reader had to skip it.
    diagnostics.error("document-unreadable", path, "The document cannot be unpacked from the archive");
  } else {
    diagnostics.error("document-missing", path, "The archive has no " + package.documentName);
  }
  return std::nullopt;
}

std::optional<Package> readArchive(const std::uint8_t* bytes, std::size_t size, Package package,
                                   Diagnostics& diagnostics, const zip::Limits& limits) {
  auto entries = unpackArchive(bytes, size, package, diagnostics, limits);
  if (!entries) return std::nullopt;
  for (zip::Entry& entry : *entries) {
    const std::string path = "/" + entry.name;
    if (entry.name == package.documentName) {
      auto document = parseDocumentText(entry.data.data(), entry.data.size(), path, diagnostics);
      if (!document) return std::nullopt;
      package.document = std::move(*document);
      continue;
    }
    if (isAssetEntry(entry.name)) {
      const std::string_view digits = std::string_view(entry.name).substr(kAssetPrefix.size());
      if (sha256Hex(entry.data.data(), entry.data.size()) == digits) {
        package.assets.push_back({std::string(digits), std::move(entry.data)});
      } else {
        diagnostics.warn("asset-corrupt", path,
                         "The asset does not match its name; left out, the plugin falls back");
      }
      continue;
    }
    package.otherEntries.push_back(std::move(entry));
  }
  return package;
}

}  // namespace

std::optional<Package> readPackage(const std::uint8_t* bytes, std::size_t size, std::string_view documentName,
                                   Diagnostics& diagnostics, const zip::Limits& limits) {
  Package package;
  package.documentName = std::string(documentName);
  if (zip::looksLikeZip(bytes, size))
    return readArchive(bytes, size, std::move(package), diagnostics, limits);

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
