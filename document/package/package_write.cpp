#include <algorithm>
#include <span>
#include <string>

#include "document/archive/sha256.h"
#include "document/archive/zip_writer.h"
#include "document/json/json_write.h"
#include "document/package/package.h"

namespace ob {

std::optional<std::vector<std::uint8_t>> writePackage(const Package& package, Diagnostics& diagnostics) {
  const std::string text = dumpJson(package.document);
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
    if (!is64LowerHex(asset->name) ||
        (!asset->packed && sha256Hex(asset->data.data(), asset->data.size()) != asset->name)) {
      diagnostics.error("asset-name", "/" + asset->name, "An asset is named by the sha256 of its data");
      return std::nullopt;
    }
    assetNames.push_back("assets/" + asset->name);
    entries.push_back({assetNames.back(), asset->data, false, asset->packed});
  }
  for (const zip::Entry& other : package.otherEntries)
    entries.push_back({other.name, other.data, other.compress});
  return zip::writeZipViews(entries, diagnostics);
}

std::string assetRefFor(Package& package, std::vector<std::uint8_t> bytes) {
  std::string digits = sha256Hex(bytes.data(), bytes.size());
  if (!findAsset(package, digits)) package.assets.push_back({digits, std::move(bytes)});
  return "asset:" + digits;
}

std::string keptAssetRefFor(Package& package, PackageAsset kept) {
  std::string ref = "asset:" + kept.name;
  if (!findAsset(package, kept.name)) package.assets.push_back(std::move(kept));
  return ref;
}

const std::vector<std::uint8_t>* findAsset(const Package& package, std::string_view name) {
  for (const PackageAsset& asset : package.assets)
    if (asset.name == name) return &asset.data;
  return nullptr;
}

}  // namespace ob
