#include <algorithm>

#include "document/archive/sha256.h"
#include "document/archive/zip_writer.h"
#include "document/json/json_write.h"
#include "document/package/package.h"

namespace ob {

std::optional<std::vector<std::uint8_t>> writePackage(const Package& package, Diagnostics& diagnostics) {
  const std::string text = dumpJson(package.document);
  if (package.assets.empty() && package.otherEntries.empty())
    return std::vector<std::uint8_t>(text.begin(), text.end());

  std::vector<zip::Entry> entries;
  entries.reserve(1 + package.assets.size() + package.otherEntries.size());
  zip::Entry document;
  document.name = package.documentName;
  document.data.assign(text.begin(), text.end());
  document.compress = true;
  entries.push_back(std::move(document));

  std::vector<const PackageAsset*> sorted;
  for (const PackageAsset& asset : package.assets) sorted.push_back(&asset);
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const PackageAsset* a, const PackageAsset* b) { return a->name < b->name; });
  for (const PackageAsset* asset : sorted) {
    // A name that is not the digest of the data would be refused as corrupt
    // on the next read, losing the sample; refuse it here instead.
    if (!is64LowerHex(asset->name) || sha256Hex(asset->data.data(), asset->data.size()) != asset->name) {
      diagnostics.error("asset-name", "/" + asset->name, "An asset is named by the sha256 of its data");
      return std::nullopt;
    }
    zip::Entry entry;
    entry.name = "assets/" + asset->name;
    entry.data = asset->data;
    entries.push_back(std::move(entry));
  }
  for (const zip::Entry& other : package.otherEntries) entries.push_back(other);
  return zip::writeZip(entries, diagnostics);
}

std::string assetRefFor(Package& package, std::vector<std::uint8_t> bytes) {
  std::string digits = sha256Hex(bytes.data(), bytes.size());
  if (!findAsset(package, digits)) package.assets.push_back({digits, std::move(bytes)});
  return "asset:" + digits;
}

const std::vector<std::uint8_t>* findAsset(const Package& package, std::string_view name) {
  for (const PackageAsset& asset : package.assets)
    if (asset.name == name) return &asset.data;
  return nullptr;
}

}  // namespace ob
