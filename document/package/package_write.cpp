#include <algorithm>
#include <span>
#include <string>

#include "document/archive/sha256.h"
#include "document/archive/zip_writer.h"
#include "document/json/json_write.h"
#include "document/package/package.h"
#include "document/reading/document_limits.h"
#include "engine/pool/sample_limits.h"

namespace ob {
namespace {

std::uint64_t unpackedSize(const zip::EntryView& entry) {
  if (entry.streamed) return entry.streamed->size;
  return entry.packed ? entry.packed->size : entry.data.size();
}

// Whether the reader would take the archive the entries make, by what it
// holds them to before it unpacks anything; false after the error.
bool readableArchive(std::span<const zip::EntryView> entries, const zip::Limits& readable,
                     Diagnostics& diagnostics) {
  if (entries.size() > readable.maxEntries) {
    diagnostics.error("package-too-large", "",
                      "The save would hold more than " + std::to_string(readable.maxEntries) +
                          " files, the most a load takes");
    return false;
  }
  std::uint64_t total = 0;
  for (const zip::EntryView& entry : entries) {
    const std::uint64_t size = unpackedSize(entry);
    if (size > readable.maxEntrySize) {
      std::string path = "/";  // appended, as GCC 12 misreads "/" + a temporary
      path += entry.name;
      diagnostics.error("package-too-large", std::move(path),
                        "A file of the save would unpack to more than " + sizeText(readable.maxEntrySize) +
                            ", the most a load takes");
      return false;
    }
    total += size;
  }
  if (total > readable.maxTotalSize) {
    diagnostics.error(
        "package-too-large", "",
        "The save would unpack to more than " + sizeText(readable.maxTotalSize) + ", the most a load takes");
    return false;
  }
  return true;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> writePackage(const Package& package, Diagnostics& diagnostics,
                                                      const zip::Limits& readable) {
  const std::string text = dumpJson(package.document);
  if (text.size() > kMaxDocumentTextBytes) {
    diagnostics.error("document-too-large", "/" + package.documentName,
                      "The save's document would be larger than " + sizeText(kMaxDocumentTextBytes) +
                          ", the most a load reads");
    return std::nullopt;
  }
  if (package.assets.empty() && package.otherEntries.empty())
    return std::vector<std::uint8_t>(text.begin(), text.end());

  // Views of the document, the assets and the other entries: the archive
  // is the only copy of their bytes the write makes.
  std::vector<zip::EntryView> entries;
  entries.reserve(1 + package.assets.size() + package.otherEntries.size());
  const auto* textBytes = reinterpret_cast<const std::uint8_t*>(text.data());
  entries.push_back({package.documentName, std::span(textBytes, text.size()), true});

  std::vector<const PackageAsset*> sorted;
  for (const PackageAsset& asset : package.assets) sorted.push_back(&asset);
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const PackageAsset* a, const PackageAsset* b) { return a->name < b->name; });
  // Reserved whole, so the names the views point at never move.
  std::vector<std::string> assetNames;
  assetNames.reserve(sorted.size());
  for (const PackageAsset* asset : sorted) {
    // A name that is not the digest of the data would be refused as corrupt
    // on the next read, losing the sample; refuse it here instead. A kept
    // asset goes back as it came, never unpacked to be checked.
    const std::span<const std::uint8_t> bytes = asset->bytes();
    if (!is64LowerHex(asset->name) ||
        (!asset->packed && !asset->streamed && sha256Hex(bytes.data(), bytes.size()) != asset->name)) {
      diagnostics.error("asset-name", "/" + asset->name, "An asset is named by the sha256 of its data");
      return std::nullopt;
    }
    assetNames.push_back("assets/" + asset->name);
    entries.push_back(
        {assetNames.back(), bytes, false, asset->packed, asset->streamed ? &*asset->streamed : nullptr});
  }
  for (const zip::Entry& other : package.otherEntries)
    entries.push_back({other.name, other.data, other.compress});
  if (!readableArchive(entries, readable, diagnostics)) return std::nullopt;
  return zip::writeZipViews(entries, diagnostics);
}

std::string assetRefFor(Package& package, std::vector<std::uint8_t> bytes) {
  std::string digits = sha256Hex(bytes.data(), bytes.size());
  if (!findAsset(package, digits)) package.assets.push_back({digits, std::move(bytes)});
  return "asset:" + digits;
}

std::string borrowedAssetRefFor(Package& package, std::span<const std::uint8_t> bytes) {
  std::string digits = sha256Hex(bytes.data(), bytes.size());
  if (!findAsset(package, digits)) package.assets.push_back({digits, {}, {}, bytes});
  return "asset:" + digits;
}

std::string keptAssetRefFor(Package& package, PackageAsset kept) {
  std::string ref = "asset:" + kept.name;
  if (!findAsset(package, kept.name)) package.assets.push_back(std::move(kept));
  return ref;
}

std::string streamedAssetRefFor(Package& package, std::string digest, zip::StreamedPayload payload) {
  std::string ref = "asset:" + digest;
  if (!findAsset(package, digest))
    package.assets.push_back({std::move(digest), {}, {}, {}, std::move(payload)});
  return ref;
}

const std::vector<std::uint8_t>* findAsset(const Package& package, std::string_view name) {
  for (const PackageAsset& asset : package.assets)
    if (asset.name == name) return &asset.data;
  return nullptr;
}

}  // namespace ob
