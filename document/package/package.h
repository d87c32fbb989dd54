#pragma once
// An instance document as it travels: plain JSON text, or a zip archive
// holding the document and each sample's bytes under "assets/" followed by
// the SHA-256 of those bytes. Every archive entry a load does not use is
// kept as it is stored, so a save puts it back.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "document/archive/zip_entry.h"
#include "document/archive/zip_index.h"
#include "document/archive/zip_writer.h"
#include "document/byte_sink.h"
#include "document/diagnostics.h"
#include "document/json/json_shape.h"
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
  // Set for a file a load kept as stored because it could not play it:
  // its bytes are not known to be what its name says.
  bool unchecked = false;

  std::span<const std::uint8_t> bytes() const {
    return borrowed.empty() ? std::span<const std::uint8_t>(data) : borrowed;
  }
};

struct Package {
  std::string documentName = "instance.json";
  JsonValue document;
  std::vector<PackageAsset> assets;            // archive order on reading, first recording on writing
  std::vector<zip::StoredEntry> otherEntries;  // unused by the load, as stored
};

// A package opened from bytes in memory or from a file: JSON text (first
// non-blank byte "{", after an optional byte-order mark) or a zip archive.
// The document is read and parsed at once, while every other entry stays
// in the archive until it is asked for; what the load has not used by its
// end is kept as it is stored (keepUnused). Nothing that claims to unpack
// beyond reason is unpacked, a document's text is held to
// kMaxDocumentTextBytes, and entries kept unread only within their budget
// (see unpack_limits.h). The source must outlive the reader.
class PackageReader {
 public:
  // Nothing after reporting why. The document is parsed to `shape` when
  // given (json_shape.h), else built whole.
  static std::optional<PackageReader> open(const ByteSource& source, std::string_view documentName,
                                           Diagnostics& diagnostics, const zip::Limits& limits = {},
                                           const JsonShape* shape = nullptr);

  // The document; no assets and no other entries.
  Package& package() { return package_; }
  // The asset entry of that name (the digits, without "assets/"), or null.
  const zip::LocatedEntry* findAsset(std::string_view name) const;
  // Its bytes, checked against its name; nothing when it claims to unpack
  // beyond reason (the slot that needs it says so), or when they cannot
  // be had: then *fault, when given, says why in lower-case words, and
  // the caller says what becomes of the asset; without it, the zip
  // reader's warning or "asset-corrupt" does.
  std::optional<std::vector<std::uint8_t>> readAsset(const zip::LocatedEntry& asset, Diagnostics& diagnostics,
                                                     std::string* fault = nullptr) const;
  // The same as a view: of the package itself when it is held in memory and
  // the asset is stored, so that it is not copied, else of scratch.
  std::optional<std::span<const std::uint8_t>> viewAsset(const zip::LocatedEntry& asset,
                                                         std::vector<std::uint8_t>& scratch,
                                                         Diagnostics& diagnostics,
                                                         std::string* fault = nullptr) const;
  // The asset read front to back once, never held whole (see
  // zip::readEntryOnce), every byte handed to `piece` (when given) on the
  // way, and checked against its checksum and its name: false after the
  // warning viewAsset gives, with *fault saying why. Once its bytes were
  // read whole, their digest goes to *digest (when given), whether or not
  // they pass.
  bool readAssetOnce(const zip::LocatedEntry& asset, const std::function<void(zip::EntryReader& reader)>& use,
                     const zip::StreamInflater::Piece& piece, Diagnostics& diagnostics,
                     std::string* fault = nullptr, std::string* digest = nullptr) const;
  // The same for an asset that passed readAssetOnce: checked against its
  // checksum alone, which finds any byte changed since, where they may
  // change (see ByteSource::heldOpen).
  bool readAssetAgain(const zip::LocatedEntry& asset,
                      const std::function<void(zip::EntryReader& reader)>& use,
                      const zip::StreamInflater::Piece& piece, Diagnostics& diagnostics,
                      std::string* fault = nullptr) const;
  // Whether the asset is, byte for byte, a file the caller knows: read a
  // piece at a time, each piece is given to `same` with its offset and
  // checked with the rest against the asset's checksum and name, and no
  // more than a piece is held. False, without a finding, at the first
  // difference or when the checks fail (reading it then says why).
  using SamePiece = zip::SamePiece;
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

  // The load has taken the entry: a slot plays it or keeps it.
  void markUsed(const zip::LocatedEntry& entry) { used_.insert(&entry); }
  // Every entry but the document that the load has not used, in archive
  // order, as stored, while they fit their budget; one past it is dropped
  // with a warning ("entry-dropped"). Each one's bytes in `givesBack`, the
  // archive's source when the load may change it, are given back once
  // copied, so that no entry is held twice.
  std::vector<zip::StoredEntry> keepUnused(Diagnostics& diagnostics, ByteSource* givesBack = nullptr) const;

 private:
  Package package_;
  std::optional<zip::ArchiveIndex> archive_;           // none for JSON text
  std::unordered_set<const zip::LocatedEntry*> used_;  // the document among them
};

// Every entry of the archive but those used, in archive order, as stored,
// while they fit their budget (KeptEntryBudget); one past it is dropped with
// a warning that names it ("entry-dropped").
std::vector<zip::StoredEntry> keepUnusedEntries(const zip::ArchiveIndex& archive,
                                                const std::unordered_set<const zip::LocatedEntry*>& used,
                                                Diagnostics& diagnostics, ByteSource* givesBack = nullptr);

// The whole package at once: every asset read and verified, in archive
// order, and every other entry kept as stored. Gives nothing after
// reporting why.
std::optional<Package> readPackage(const std::uint8_t* bytes, std::size_t size, std::string_view documentName,
                                   Diagnostics& diagnostics, const zip::Limits& limits = {});

// The limit of a load that a package's save would pass.
enum class PackageExcess : std::uint8_t {
  None,
  Document,  // the document's text
  Total,     // what the archive declares it unpacks to
  Archive,   // the archive's own size
  Other,     // its entries, their names, one entry's size, the entries kept unread
  Crowded,   // what the document holds where its load reads (json_shape.h), or JSON it does not take
};

// A package laid out as it is written, every entry packed as it will be,
// and measured as a load measures what it reads (zip_measure.h,
// unpack_limits.h): plain JSON text when the package has no assets and no
// other entries, else a zip of the document (deflated when smaller), the
// assets in name order (stored, or as they were kept), then the other
// entries as stored (bar one of an asset's name, which the asset writes).
// The document is indented, or compact when indented it would pass a limit.
// It points into the package, which must outlive it.
struct PackageLayout {
  PackageLayout() = default;
  PackageLayout(const PackageLayout&) = delete;
  PackageLayout& operator=(const PackageLayout&) = delete;

  std::string text;                         // the document as written
  std::vector<std::string> names;           // the assets' entry names
  std::vector<zip::EntryView> entries;      // none for plain text
  std::optional<zip::ArchivePlan> archive;  // none for plain text
  PackageExcess excess = PackageExcess::None;
};

// What a layout is for: to be written, or only measured, which counts a
// document written as plain text rather than writes it (its layout then
// holds no text).
enum class LayoutUse : std::uint8_t { Write, Measure };

// Lays the package out; false after the finding when it cannot be written
// (an asset not named by its digest, a zip writer's finding) or when a load
// would refuse it however it is written: then `excess` names the limit, and
// the finding is "document-too-large" or "package-too-large". The
// document is held to what its load's parse takes (checkJson), to `shape`
// when given, the one its load parses it to.
bool layOutPackage(const Package& package, PackageLayout& layout, Diagnostics& diagnostics,
                   const zip::Limits& readable = {}, LayoutUse use = LayoutUse::Write,
                   const JsonShape* shape = nullptr);

// Writes a package as it was laid out into `out`, a piece at a time: the
// text, or the archive (zip::writePlannedZip). False after a streamed
// asset's finding, or without one when `out` refuses the bytes.
bool writeLaidOutPackage(const PackageLayout& layout, ByteSink& out, Diagnostics& diagnostics);
// The package as layOutPackage lays it out, written into memory; nothing
// is written that the load would refuse.
std::optional<std::vector<std::uint8_t>> writePackage(const Package& package, Diagnostics& diagnostics,
                                                      const zip::Limits& readable = {});

// Records the asset and returns "asset:" followed by its name. Of two
// files of one name the package holds one: the first recorded, unless it
// is unchecked and the new one is not, since only bytes known to be what
// the name says load again as that file.
std::string recordAsset(Package& package, PackageAsset asset);
// The same for bytes under their SHA-256 digits.
std::string assetRefFor(Package& package, std::vector<std::uint8_t> bytes);
// The same for bytes the caller holds until the package is written, under
// their digest, which the caller gives.
std::string borrowedAssetRefFor(Package& package, std::span<const std::uint8_t> bytes, std::string digest);
// The same for an asset kept as stored, under its own name.
std::string keptAssetRefFor(Package& package, PackageAsset kept);
// The same for one made as it is written, under the digest its maker gives.
std::string streamedAssetRefFor(Package& package, std::string digest, zip::StreamedPayload payload);

// The data of the first asset of exactly this name (digits only), or null:
// its bytes, but the stored payload of an asset kept as stored, and nothing
// for one whose bytes are borrowed (a pool's shared file).
const std::vector<std::uint8_t>* findAsset(const Package& package, std::string_view name);

// Why a load's finding leaves the archive entry its path names out of what
// the load keeps, so that no save holds it (the entries past the kept
// budget, those the zip reader skips), in lower-case words; nothing for
// any other finding.
std::optional<std::string> entryLeftOut(const Diagnostic& finding);

// Exactly 64 characters of 0-9 and a-f.
bool is64LowerHex(std::string_view text);

// Parses document bytes (a leading UTF-8 byte-order mark skipped); on
// failure reports "document-unreadable" at `path` ("document-too-large" for
// more bytes than kMaxDocumentTextBytes, which are not looked at, or more
// values than the parser takes) and gives nothing. Parsed to `shape` when
// given.
std::optional<JsonValue> parseDocumentText(const std::uint8_t* bytes, std::size_t size, std::string_view path,
                                           Diagnostics& diagnostics, const JsonShape* shape = nullptr);

}  // namespace ob
