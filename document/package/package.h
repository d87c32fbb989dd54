#pragma once
// An instance document as it travels: plain JSON text, or a zip archive
// holding the document and each sample's bytes under "assets/" followed by
// the SHA-256 of those bytes. Archive entries that are neither are kept so a
// save puts them back.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "document/archive/zip_entry.h"
#include "document/archive/zip_index.h"
#include "document/archive/zip_writer.h"
#include "document/diagnostics.h"
#include "document/json/json_value.h"
#include "document/reading/byte_source.h"

namespace ob {

struct PackageAsset {
  std::string name;  // 64 lower-case hex digits of the SHA-256 of its bytes, no "assets/" prefix
  std::vector<std::uint8_t> data;
  // Set for an asset kept as an archive stored it, unread: its bytes are
  // then the stored payload, written back as they are.
  std::optional<zip::PackedForm> packed = {};
  // Bytes the writer's caller holds for the whole write, in place of data,
  // so that a save writes the pool's files without a copy of its own.
  std::span<const std::uint8_t> borrowed = {};
  // Set for an asset that no one holds whole, made as it is written: its
  // maker answers for its name.
  std::optional<zip::StreamedPayload> streamed = {};

  std::span<const std::uint8_t> bytes() const {
    return borrowed.empty() ? std::span<const std::uint8_t>(data) : borrowed;
  }
};

struct Package {
  std::string documentName = "instance.json";
  JsonValue document;
  std::vector<PackageAsset> assets;      // archive order on reading, first recording on writing
  std::vector<zip::Entry> otherEntries;  // as read: name, bytes, compress flag
};

// A package opened from bytes in memory or from a file: JSON text (first
// non-blank byte "{", after an optional byte-order mark) or a zip archive.
// The document is read and parsed and the other entries kept at once,
// while each asset stays in the archive until it is asked for. Nothing that
// claims to unpack beyond reason is unpacked, a document's text is held to
// kMaxDocumentTextBytes, and unknown entries are kept only within their
// budget (see unpack_limits.h). The source must outlive the reader.
class PackageReader {
 public:
  // Nothing after reporting why.
  static std::optional<PackageReader> open(const ByteSource& source, std::string_view documentName,
                                           Diagnostics& diagnostics, const zip::Limits& limits = {});

  // The document and the other entries; no assets.
  Package& package() { return package_; }
  // The asset entry of that name (the digits, without "assets/"), or null.
  const zip::LocatedEntry* findAsset(std::string_view name) const;
  // Its bytes, checked against its name; nothing when it claims to unpack
  // beyond reason (the slot that needs it says so), or after the zip
  // reader's warning or "asset-corrupt".
  std::optional<std::vector<std::uint8_t>> readAsset(const zip::LocatedEntry& asset,
                                                     Diagnostics& diagnostics) const;
  // The same as a view: of the package itself when it is held in memory and
  // the asset is stored, so that it is not copied, else of scratch.
  std::optional<std::span<const std::uint8_t>> viewAsset(const zip::LocatedEntry& asset,
                                                         std::vector<std::uint8_t>& scratch,
                                                         Diagnostics& diagnostics) const;
  // Whether a stored asset is, byte for byte, a file the caller knows:
  // read a piece at a time, each piece is given to `same` with its offset
  // and checked with the rest against the asset's checksum and name, and
  // no more than a piece is held. False, without a finding, at the first
  // difference, for a deflated asset, or when the checks fail (reading it
  // whole then says why).
  using SamePiece = std::function<bool(std::uint64_t offset, std::span<const std::uint8_t> piece)>;
  bool assetIs(const zip::LocatedEntry& asset, const SamePiece& same) const;
  // A reader of the asset's bytes where they lie, unchecked (see
  // zip::EntryReader); none for JSON text.
  std::optional<zip::EntryReader> assetReader(const zip::LocatedEntry& asset) const {
    if (!archive_) return std::nullopt;
    return archive_->reader(asset);
  }
  // The well-named asset entries, in archive order.
  std::vector<const zip::LocatedEntry*> assetEntries() const;
  // The asset's bytes as the archive stores them, packed or not, for
  // keeping it unread; nothing when they cannot be read.
  std::optional<std::vector<std::uint8_t>> storedAsset(const zip::LocatedEntry& asset) const;

 private:
  Package package_;
  std::optional<zip::ArchiveIndex> archive_;  // none for JSON text
};

// The whole package at once: every asset read and verified, in archive
// order. Gives nothing after reporting why.
std::optional<Package> readPackage(const std::uint8_t* bytes, std::size_t size, std::string_view documentName,
                                   Diagnostics& diagnostics, const zip::Limits& limits = {});

// Plain indented JSON when the package has no assets and no other entries,
// else a zip: the document (deflated when smaller), the assets in name
// order (stored, or as they were kept), then the other entries as read.
// Nothing is written that the reader would refuse: a document past
// kMaxDocumentTextBytes ("document-too-large"), or an archive past the
// reader's limits ("package-too-large"), fails before the write.
std::optional<std::vector<std::uint8_t>> writePackage(const Package& package, Diagnostics& diagnostics,
                                                      const zip::Limits& readable = {});

// Records the bytes as an asset unless one of that name exists (then they
// are dropped) and returns "asset:" followed by their SHA-256 digits.
std::string assetRefFor(Package& package, std::vector<std::uint8_t> bytes);
// The same for bytes the caller holds until the package is written.
std::string borrowedAssetRefFor(Package& package, std::span<const std::uint8_t> bytes);
// The same for an asset kept as stored, under its own name.
std::string keptAssetRefFor(Package& package, PackageAsset kept);
// The same for one made as it is written, under the digest its maker gives.
std::string streamedAssetRefFor(Package& package, std::string digest, zip::StreamedPayload payload);

// The data of the first asset of exactly this name (digits only), or null:
// its bytes, but the stored payload of an asset kept as stored, and nothing
// for one whose bytes are borrowed (a pool's shared file).
const std::vector<std::uint8_t>* findAsset(const Package& package, std::string_view name);

// Exactly 64 characters of 0-9 and a-f.
bool is64LowerHex(std::string_view text);

// Parses document bytes (a leading UTF-8 byte-order mark skipped); on
// failure reports "document-unreadable" at `path` ("document-too-large" for
// more bytes than kMaxDocumentTextBytes, which are not looked at, or more
// values than the parser takes) and gives nothing.
std::optional<JsonValue> parseDocumentText(const std::uint8_t* bytes, std::size_t size, std::string_view path,
                                           Diagnostics& diagnostics);

}  // namespace ob
