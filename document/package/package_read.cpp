#include <algorithm>
#include <cctype>
#include <utility>

#include "document/archive/sha256.h"
#include "document/archive/zip_format.h"
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

// Of a file, only this much is looked at for the opening brace; every
// writer opens its root object well within it.
constexpr std::uint64_t kFileHeadBytes = 4096;

// Whether the first byte after a byte-order mark and blanks opens an object.
bool opensJsonObject(const ByteSource& source) {
  std::vector<std::uint8_t> scratch;
  const std::uint64_t look =
      source.inMemory().data() != nullptr ? source.size() : std::min(source.size(), kFileHeadBytes);
  const auto head = source.view(0, static_cast<std::size_t>(look), scratch);
  if (!head) return false;
  std::size_t first = 0;
  if (head->size() >= 3 && (*head)[0] == 0xEF && (*head)[1] == 0xBB && (*head)[2] == 0xBF) first = 3;
  while (first < head->size() && isBlank((*head)[first])) ++first;
  return first < head->size() && (*head)[first] == '{';
}

// The document's text, parsed; nothing after the error.
std::optional<JsonValue> readDocumentEntry(const zip::ArchiveIndex& archive, const zip::LocatedEntry& entry,
                                           Diagnostics& diagnostics, const JsonShape* shape) {
  const std::string path = "/" + entry.record.name;
  if (claimsTooMuchGrowth(entry.record)) {
    reportOvergrownDocument(diagnostics, entry.record.name);
    return std::nullopt;
  }
  if (isOversizedDocument(entry.record.size)) {
    reportOversizedDocument(diagnostics, path);
    return std::nullopt;
  }
  const std::optional<std::vector<std::uint8_t>> text = archive.unpack(entry, diagnostics);
  if (!text) {
    diagnostics.error("document-unreadable", path, "The document cannot be unpacked from the archive");
    return std::nullopt;
  }
  return parseDocumentText(text->data(), text->size(), path, diagnostics, shape);
}

// Whether an asset's bytes hash to its name. When not, a caller that asks
// why (fault) says itself what becomes of the asset; else "asset-corrupt".
bool namedByItsDigest(const zip::LocatedEntry& asset, const std::string& digest, Diagnostics& diagnostics,
                      std::string* fault) {
  if (digest == std::string_view(asset.record.name).substr(kAssetPrefix.size())) return true;
  if (fault != nullptr)
    *fault = "its bytes are not the file its name says";
  else
    diagnostics.warn("asset-corrupt", "/" + asset.record.name,
                     "The asset does not match its name; left out, the plugin falls back");
  return false;
}

}  // namespace

std::optional<PackageReader> PackageReader::open(const ByteSource& source, std::string_view documentName,
                                                 Diagnostics& diagnostics, const zip::Limits& limits,
                                                 const JsonShape* shape) {
  PackageReader reader;
  Package& package = reader.package_;
  package.documentName = std::string(documentName);
  std::vector<std::uint8_t> scratch;
  const auto head =
      source.view(0, static_cast<std::size_t>(std::min<std::uint64_t>(source.size(), 4)), scratch);
  if (head && zip::looksLikeZip(head->data(), head->size())) {
    const std::size_t findingsBefore = diagnostics.size();
    reader.archive_ = zip::ArchiveIndex::open(source, diagnostics, limits);
    if (!reader.archive_) return std::nullopt;
    const zip::LocatedEntry* document = reader.archive_->find(package.documentName);
    const std::string path = "/" + package.documentName;
    if (document == nullptr) {
      if (hasFindingAt(diagnostics, findingsBefore, path)) {
        // The archive names the document, but the zip reader had to skip it.
        diagnostics.error("document-unreadable", path, "The document cannot be unpacked from the archive");
      } else {
        diagnostics.error("document-missing", path, "The archive has no " + package.documentName);
      }
      return std::nullopt;
    }
    std::optional<JsonValue> parsed = readDocumentEntry(*reader.archive_, *document, diagnostics, shape);
    if (!parsed) return std::nullopt;
    package.document = std::move(*parsed);
    reader.markUsed(*document);
    return reader;
  }

  if (opensJsonObject(source)) {
    if (isOversizedDocument(source.size())) {
      reportOversizedDocument(diagnostics, "");
      return std::nullopt;
    }
    const auto text = source.view(0, static_cast<std::size_t>(source.size()), scratch);
    if (!text) {
      diagnostics.error("document-unreadable", "", "The document cannot be read");
      return std::nullopt;
    }
    auto document = parseDocumentText(text->data(), text->size(), "", diagnostics, shape);
    if (!document) return std::nullopt;
    package.document = std::move(*document);
    return reader;
  }
  diagnostics.error("package-unreadable", "", "Neither a JSON document nor a zip archive");
  return std::nullopt;
}

const zip::LocatedEntry* PackageReader::findAsset(std::string_view name) const {
  if (!archive_) return nullptr;
  std::string entryName(kAssetPrefix);
  entryName += name;
  return isAssetEntry(entryName) ? archive_->find(entryName) : nullptr;
}

std::vector<const zip::LocatedEntry*> PackageReader::assetEntries() const {
  std::vector<const zip::LocatedEntry*> assets;
  if (archive_)
    for (const zip::LocatedEntry& entry : archive_->entries())
      if (isAssetEntry(entry.record.name)) assets.push_back(&entry);
  return assets;
}

std::optional<std::vector<std::uint8_t>> PackageReader::storedAsset(const zip::LocatedEntry& asset) const {
  if (!archive_) return std::nullopt;
  return archive_->stored(asset);
}

bool PackageReader::readAssetOnce(const zip::LocatedEntry& asset,
                                  const std::function<void(zip::EntryReader& reader)>& use,
                                  const zip::StreamInflater::Piece& piece, Diagnostics& diagnostics,
                                  std::string* fault, std::string* digest) const {
  if (!archive_ || claimsTooMuchGrowth(asset.record)) return false;
  Sha256 hash;
  std::uint64_t hashedBytes = 0;
  const auto hashed = [&](std::span<const std::uint8_t> bytes) {
    hash.add(bytes.data(), bytes.size());
    hashedBytes += bytes.size();
    if (piece) piece(bytes);
  };
  const bool read = archive_->readOnce(asset, use, hashed, diagnostics, fault);
  // Bytes read whole are known, even where their checksum fails.
  if (!read && hashedBytes != asset.record.size) return false;
  const std::string hex = hash.hex();
  if (digest != nullptr) *digest = hex;
  return read && namedByItsDigest(asset, hex, diagnostics, fault);
}

bool PackageReader::readAssetAgain(const zip::LocatedEntry& asset,
                                   const std::function<void(zip::EntryReader& reader)>& use,
                                   const zip::StreamInflater::Piece& piece, Diagnostics& diagnostics,
                                   std::string* fault) const {
  if (!archive_ || claimsTooMuchGrowth(asset.record)) return false;
  if (!archive_->source().heldOpen()) return archive_->readOnce(asset, use, piece, diagnostics, fault);
  // Bytes in the plug-in's own keeping are still those checked.
  zip::EntryReader reader(archive_->source(), asset.record, asset.payload, piece);
  use(reader);
  std::string reason;
  return reader.finish(reason) == asset.record.size;
}

std::optional<std::span<const std::uint8_t>> PackageReader::viewAsset(const zip::LocatedEntry& asset,
                                                                      std::vector<std::uint8_t>& scratch,
                                                                      Diagnostics& diagnostics,
                                                                      std::string* fault) const {
  if (!archive_ || claimsTooMuchGrowth(asset.record)) return std::nullopt;
  const auto data = archive_->view(asset, scratch, diagnostics, fault);
  if (!data) return std::nullopt;
  if (!namedByItsDigest(asset, sha256Hex(data->data(), data->size()), diagnostics, fault))
    return std::nullopt;
  return data;
}

bool PackageReader::assetIs(const zip::LocatedEntry& asset, const SamePiece& same) const {
  if (!archive_ || claimsTooMuchGrowth(asset.record)) return false;
  Sha256 hash;
  return archive_->is(asset, same, [&hash](std::span<const std::uint8_t> bytes) {
    hash.add(bytes.data(), bytes.size());
  }) && hash.hex() == std::string_view(asset.record.name).substr(kAssetPrefix.size());
}

std::optional<std::vector<std::uint8_t>> PackageReader::readAsset(const zip::LocatedEntry& asset,
                                                                  Diagnostics& diagnostics,
                                                                  std::string* fault) const {
  std::vector<std::uint8_t> scratch;
  const auto data = viewAsset(asset, scratch, diagnostics, fault);
  if (!data) return std::nullopt;
  return ownBytes(*data, std::move(scratch));
}

std::vector<zip::StoredEntry> PackageReader::keepUnused(Diagnostics& diagnostics,
                                                        ByteSource* givesBack) const {
  if (!archive_) return {};
  return keepUnusedEntries(*archive_, used_, diagnostics, givesBack);
}

std::vector<zip::StoredEntry> keepUnusedEntries(const zip::ArchiveIndex& archive,
                                                const std::unordered_set<const zip::LocatedEntry*>& used,
                                                Diagnostics& diagnostics, ByteSource* givesBack) {
  std::vector<zip::StoredEntry> kept;
  KeptEntryBudget budget;
  for (const zip::LocatedEntry& entry : archive.entries()) {
    if (used.contains(&entry) || !budget.admit(entry.record, diagnostics)) continue;
    std::optional<zip::StoredEntry> stored = archive.keep(entry);
    if (!stored) continue;
    kept.push_back(std::move(*stored));
    if (givesBack != nullptr) givesBack->giveBack(entry.payload, entry.record.packedSize);
  }
  return kept;
}

std::optional<std::string> entryLeftOut(const Diagnostic& finding) {
  if (finding.path.empty() || (finding.code != "entry-dropped" && !finding.code.starts_with("zip-")))
    return std::nullopt;
  for (const std::string_view ending : {"; skipped", "; left out"}) {
    if (!finding.message.ends_with(ending)) continue;
    std::string why = finding.message.substr(0, finding.message.size() - ending.size());
    if (!why.empty()) why[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(why[0])));
    return why;
  }
  return std::nullopt;
}

std::optional<Package> readPackage(const std::uint8_t* bytes, std::size_t size, std::string_view documentName,
                                   Diagnostics& diagnostics, const zip::Limits& limits) {
  const MemoryBytes source(bytes, size);
  std::optional<PackageReader> reader = PackageReader::open(source, documentName, diagnostics, limits);
  if (!reader) return std::nullopt;
  Package package = std::move(reader->package());
  for (const zip::LocatedEntry* asset : reader->assetEntries()) {
    std::optional<std::vector<std::uint8_t>> data = reader->readAsset(*asset, diagnostics);
    if (!data) continue;
    package.assets.push_back({asset->record.name.substr(kAssetPrefix.size()), std::move(*data)});
    reader->markUsed(*asset);
  }
  package.otherEntries = reader->keepUnused(diagnostics);
  return package;
}

}  // namespace ob
