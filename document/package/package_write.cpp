#include <algorithm>
#include <optional>
#include <span>
#include <string>
#include <unordered_set>

#include "document/archive/sha256.h"
#include "document/archive/zip_measure.h"
#include "document/archive/zip_writer.h"
#include "document/json/json_parse.h"
#include "document/json/json_write.h"
#include "document/package/package.h"
#include "document/package/unpack_limits.h"
#include "document/reading/document_limits.h"
#include "engine/pool/sample_limits.h"

namespace ob {
namespace {

// The ways a package may be written, the cheapest first: the document
// indented, or compact when indented it passes a limit that compacting may
// bring it under.
struct Form {
  bool compactDocument = false;
};
constexpr Form kForms[] = {{false}, {true}};

struct Refusal {
  PackageExcess over = PackageExcess::None;
  std::string code;
  std::string path;
  std::string message;
};

// Whether writing in `next` rather than `last` may bring under the limit
// that `last` passed.
bool helps(const Form& last, const Form& next, PackageExcess over) {
  const bool compacts = next.compactDocument && !last.compactDocument;
  return compacts && over != PackageExcess::Other;
}

std::string entryPath(std::string_view name) {
  std::string path = "/";  // appended, as GCC 12 misreads "/" + a temporary
  path += name;
  return path;
}

Refusal tooLarge(PackageExcess over, std::string path, std::string message) {
  return {over, "package-too-large", std::move(path), std::move(message)};
}

Refusal documentTooLarge(const std::string& documentName) {
  return {PackageExcess::Document, "document-too-large", entryPath(documentName),
          "The save's document would be larger than " + sizeText(kMaxDocumentTextBytes) +
              ", the most a load reads"};
}

// What a load's parse would refuse of the document, by its own check of
// the text at hand, in any form it is written (they hold the same), or of
// its compact text where a measure made none.
Refusal crowdingOf(const Package& package, const std::string* written, const JsonShape* shape) {
  std::string compact;
  if (written == nullptr) compact = writeJson(package.document);
  std::string error;
  if (checkJson(written != nullptr ? *written : compact, shape, error)) return {};
  return {PackageExcess::Crowded, "document-too-large", entryPath(package.documentName),
          isJsonSizeRefusal(error) ? "The save's " + error + ", past what a load reads"
                                   : "The save's document is not JSON a load takes: " + error};
}

// What a load would refuse of the planned archive, by the measure the load
// holds every archive to: the archive's own limits, the document's, and
// the budget of the entries it keeps unread (those after the assets).
Refusal refusalOf(const zip::ArchivePlan& plan, const Package& package, std::size_t firstOther,
                  const zip::Limits& readable) {
  zip::ArchiveMeasure measure(readable);
  switch (measure.archive(plan.bytes(), plan.entries().size(), plan.directoryBytes())) {
    case zip::Excess::ArchiveTooLarge:
      return tooLarge(
          PackageExcess::Archive, "",
          "The save would be larger than " + sizeText(readable.maxArchiveBytes) + ", the most a load reads");
    case zip::Excess::TooManyEntries:
      return tooLarge(PackageExcess::Other, "",
                      "The save would hold more than " + std::to_string(readable.maxEntries) +
                          " files, the most a load takes");
    case zip::Excess::DirectoryTooLarge:
      return tooLarge(PackageExcess::Other, "",
                      "The save's file names would take more than " + sizeText(zip::kMaxDirectoryBytes) +
                          ", the most a load reads");
    default: break;
  }
  KeptEntryBudget kept;
  for (std::size_t i = 0; i < plan.entries().size(); ++i) {
    const zip::DirectoryRecord& record = plan.entries()[i].record;
    const zip::Excess excess = measure.record(record);
    if (excess == zip::Excess::TotalTooLarge)
      return tooLarge(PackageExcess::Total, "",
                      "The save would unpack to more than " + sizeText(readable.maxTotalSize) +
                          ", the most a load takes");
    if (excess != zip::Excess::None)  // the writer takes no Zip64 sizes
      return tooLarge(PackageExcess::Other, entryPath(record.name),
                      "A file of the save would unpack to more than " + sizeText(readable.maxEntrySize) +
                          ", the most a load takes");
    if (!zip::ArchiveMeasure::payloadFits(record))
      return tooLarge(
          PackageExcess::Other, entryPath(record.name),
          "A file of the save would be packed into more than its size can take, which a load refuses");
    if (i == 0 && isOversizedDocument(record.size)) return documentTooLarge(package.documentName);
    if (i >= firstOther && !kept.fits(record))
      return tooLarge(
          PackageExcess::Other, entryPath(record.name),
          "The entries kept unread would pass " + sizeText(kKeptEntriesBudget) + ", the most a load keeps");
  }
  return {};
}

// The entries of a package: the document, the assets in name order, then
// the other entries as read, bar one that an asset now writes. Views point
// into the package and the layout's text and names. Empty after the
// finding for an asset whose name is not its digest.
std::vector<zip::EntryView> entriesOf(const Package& package, PackageLayout& layout, std::size_t& firstOther,
                                      Diagnostics& diagnostics) {
  std::vector<zip::EntryView> entries;
  entries.reserve(1 + package.assets.size() + package.otherEntries.size());
  const auto* textBytes = reinterpret_cast<const std::uint8_t*>(layout.text.data());
  entries.push_back({package.documentName, std::span(textBytes, layout.text.size()), true});

  std::vector<const PackageAsset*> sorted;
  for (const PackageAsset& asset : package.assets) sorted.push_back(&asset);
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const PackageAsset* a, const PackageAsset* b) { return a->name < b->name; });
  // Reserved whole, so the names the views point at never move.
  std::vector<std::string>& names = layout.names;
  names.clear();
  names.reserve(sorted.size());
  for (const PackageAsset* asset : sorted) {
    // A name that is not the digest of the data would be refused as corrupt
    // on the next read, losing the sample; refuse it here instead. A kept
    // asset goes back as it came, never unpacked to be checked, and one
    // made or lent by the save is named by it.
    const std::span<const std::uint8_t> bytes = asset->bytes();
    const bool namedByItsMaker = asset->packed || asset->streamed || !asset->borrowed.empty();
    if (!is64LowerHex(asset->name) ||
        (!namedByItsMaker && sha256Hex(bytes.data(), bytes.size()) != asset->name)) {
      diagnostics.error("asset-name", "/" + asset->name, "An asset is named by the sha256 of its data");
      return {};
    }
    names.push_back("assets/" + asset->name);
    entries.push_back(
        {names.back(), bytes, false, asset->packed, asset->streamed ? &*asset->streamed : nullptr});
  }
  firstOther = entries.size();
  const std::unordered_set<std::string_view> written(names.begin(), names.end());
  for (const zip::StoredEntry& other : package.otherEntries)
    if (!written.contains(other.name)) entries.push_back({other.name, other.payload, false, other.form});
  return entries;
}

}  // namespace

bool layOutPackage(const Package& package, PackageLayout& layout, Diagnostics& diagnostics,
                   const zip::Limits& readable, LayoutUse use, const JsonShape* shape) {
  const bool plainText = package.assets.empty() && package.otherEntries.empty();
  Refusal refusal;
  const Form* last = nullptr;
  bool checked = false;
  for (const Form& form : kForms) {
    if (last != nullptr && !helps(*last, form, refusal.over)) continue;
    last = &form;
    layout.archive.reset();
    layout.entries.clear();
    std::size_t textBytes = 0;
    const bool counted = plainText && use == LayoutUse::Measure;
    if (counted) {
      textBytes = jsonTextSize(package.document, form.compactDocument);
    } else {
      // An indented text past the limit is only counted, never built.
      std::optional<std::string> text = form.compactDocument
                                            ? writeJson(package.document)
                                            : dumpJsonUpTo(package.document, kMaxDocumentTextBytes);
      textBytes = text ? text->size() : kMaxDocumentTextBytes + 1;
      if (text) layout.text = std::move(*text);
    }
    if (isOversizedDocument(textBytes)) {
      refusal = documentTooLarge(package.documentName);
      continue;
    }
    if (!checked) {
      checked = true;
      refusal = crowdingOf(package, counted ? nullptr : &layout.text, shape);
      if (refusal.over != PackageExcess::None) break;
    }
    if (plainText) {
      layout.excess = PackageExcess::None;
      return true;
    }
    std::size_t firstOther = 0;
    layout.entries = entriesOf(package, layout, firstOther, diagnostics);
    if (layout.entries.empty()) return false;
    // Nothing deflated here claims more growth than a load unpacks: the
    // writer's fixed codes pack at most about 160-fold.
    layout.archive = zip::planZip(layout.entries, diagnostics);
    if (!layout.archive) return false;
    refusal = refusalOf(*layout.archive, package, firstOther, readable);
    if (refusal.over == PackageExcess::None) {
      layout.excess = PackageExcess::None;
      return true;
    }
  }
  layout.excess = refusal.over;
  diagnostics.error(refusal.code, refusal.path, refusal.message);
  return false;
}

bool writeLaidOutPackage(const PackageLayout& layout, ByteSink& out, Diagnostics& diagnostics) {
  if (layout.archive) return zip::writePlannedZip(*layout.archive, out, diagnostics);
  out.expect(layout.text.size());
  return out.write(std::span(reinterpret_cast<const std::uint8_t*>(layout.text.data()), layout.text.size()));
}

std::optional<std::vector<std::uint8_t>> writePackage(const Package& package, Diagnostics& diagnostics,
                                                      const zip::Limits& readable) {
  PackageLayout layout;
  if (!layOutPackage(package, layout, diagnostics, readable)) return std::nullopt;
  std::vector<std::uint8_t> bytes;
  VectorSink out(bytes);
  if (!writeLaidOutPackage(layout, out, diagnostics)) return std::nullopt;
  return bytes;
}

std::string recordAsset(Package& package, PackageAsset asset) {
  std::string ref = "asset:" + asset.name;
  const auto held = std::find_if(package.assets.begin(), package.assets.end(),
                                 [&asset](const PackageAsset& a) { return a.name == asset.name; });
  if (held == package.assets.end())
    package.assets.push_back(std::move(asset));
  else if (held->unchecked && !asset.unchecked)
    *held = std::move(asset);
  return ref;
}

std::string assetRefFor(Package& package, std::vector<std::uint8_t> bytes) {
  std::string digits = sha256Hex(bytes.data(), bytes.size());
  return recordAsset(package, {std::move(digits), std::move(bytes)});
}

std::string borrowedAssetRefFor(Package& package, std::span<const std::uint8_t> bytes, std::string digest) {
  return recordAsset(package, {std::move(digest), {}, {}, bytes});
}

std::string keptAssetRefFor(Package& package, PackageAsset kept) {
  return recordAsset(package, std::move(kept));
}

std::string streamedAssetRefFor(Package& package, std::string digest, zip::StreamedPayload payload) {
  return recordAsset(package, {std::move(digest), {}, {}, {}, std::move(payload)});
}

const std::vector<std::uint8_t>* findAsset(const Package& package, std::string_view name) {
  for (const PackageAsset& asset : package.assets)
    if (asset.name == name) return &asset.data;
  return nullptr;
}

}  // namespace ob
