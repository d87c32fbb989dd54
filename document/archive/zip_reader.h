#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "document/archive/inflate.h"
#include "document/archive/zip_directory.h"
#include "document/archive/zip_entry.h"
#include "document/diagnostics.h"
#include "document/reading/byte_source.h"
#include "document/reading/forward_reader.h"

namespace ob::zip {

// Asked for each entry that is sound enough to unpack, before it is: false
// leaves the entry out without a finding of the reader's (the caller says
// why). Lets a caller refuse an entry by its declared sizes alone.
using EntryFilter = std::function<bool(const DirectoryRecord& record)>;

// Reads an archive, treating it as untrusted: entries come out in
// central-directory order, a bad entry is skipped with a warning, and a
// problem of the whole archive reports one error and gives nothing. The
// whole directory is held against the limits, and every entry located (see
// ArchiveIndex), before anything is unpacked.
std::optional<std::vector<Entry>> readZip(const ByteSource& source, Diagnostics& diagnostics,
                                          const Limits& limits = {}, const EntryFilter& admit = {});
std::optional<std::vector<Entry>> readZip(const std::uint8_t* bytes, std::size_t size,
                                          Diagnostics& diagnostics, const Limits& limits = {},
                                          const EntryFilter& admit = {});

// The two steps of readZip for one record, for readers that unpack entries
// one at a time, only when they need them.
//
// Where the record's payload starts, once it passes the checks that need no
// unpacking: not a folder, a safe name not taken by an earlier record (the
// name is claimed in `names` even when a later check fails), and its local
// header and payload inside the archive. Nothing, with the reader's warning
// (none for a folder), otherwise. An encrypted entry, or one of a method
// other than stored or deflated, is located without a finding, so that it
// can be kept as it is stored; it never unpacks.
std::optional<std::uint64_t> locateEntry(const ByteSource& source, const DirectoryRecord& record,
                                         std::unordered_set<std::string>& names, Diagnostics& diagnostics);
// The record's bytes from the payload at `payload`, inflated a piece of
// input at a time and never past the declared size, checked against the
// record's checksum. Nothing otherwise: with *fault, when given, saying why
// in lower-case words ("its bytes fail their checksum"), for the caller to
// say what becomes of the entry; without it, with the reader's warning
// that the entry is skipped.
std::optional<std::vector<std::uint8_t>> unpackEntry(const ByteSource& source, const DirectoryRecord& record,
                                                     std::uint64_t payload, Diagnostics& diagnostics,
                                                     std::string* fault = nullptr);
// The same as a view: of the source itself for a stored entry held in
// memory, so that it is not copied, else of scratch.
std::optional<std::span<const std::uint8_t>> viewEntry(const ByteSource& source,
                                                       const DirectoryRecord& record, std::uint64_t payload,
                                                       std::vector<std::uint8_t>& scratch,
                                                       Diagnostics& diagnostics,
                                                       std::string* fault = nullptr);

// The record's bytes handed to `piece` a piece at a time as they are
// unpacked, never held whole; true when they are all there, of the
// declared size and checksum. No warning: the caller says why.
bool unpackInPieces(const ByteSource& source, const DirectoryRecord& record, std::uint64_t payload,
                    const StreamInflater::Piece& piece);

// The most bytes one read of a deflated entry takes (see EntryReader).
inline constexpr std::size_t kEntryReadPiece = 32768;

// Asked, front to back, whether each piece of a record's bytes is the same
// piece of a file the caller knows, at that offset.
using SamePiece = std::function<bool(std::uint64_t offset, std::span<const std::uint8_t> piece)>;
// Whether the record's bytes are, byte for byte, the file `same` is asked
// about: read front to back, no more than a piece held, stopping at the
// first piece that differs; true only when all of them are the same, of the
// declared size and checksum, each handed to `piece` (when given) on the
// way. No warning: a reader that reads the entry says why it fails.
bool entryIs(const ByteSource& source, const DirectoryRecord& record, std::uint64_t payload,
             const SamePiece& same, const StreamInflater::Piece& piece = {});

// A record's bytes read front to back where they lie, unchecked (the
// checksum needs them all): a stored entry's straight from the archive, a
// deflated one's decoded only as far as it is read, so that a file's head
// costs what the head holds. The source must outlive it.
class EntryReader {
 public:
  // `piece`, when given, is handed every byte of the entry once, in order:
  // a deflated entry's as they are decoded, a stored one's as they are
  // read (those skipped on the way), the rest of either by finish.
  EntryReader(const ByteSource& source, const DirectoryRecord& record, std::uint64_t payload,
              StreamInflater::Piece piece = {});
  // count bytes from offset (at most kEntryReadPiece of a deflated entry); false
  // past the entry's end, for bytes before those a deflated entry has read
  // last, or where they cannot be had.
  bool read(std::uint64_t offset, std::uint8_t* out, std::size_t count);
  // Reads the rest, for the piece: the entry's whole size as it unpacks,
  // or nothing with why ("the archive cannot be read there" for a stored
  // one).
  std::optional<std::uint64_t> finish(std::string& reason);

 private:
  StreamInflater& inflater();

  const ByteSource* source_;
  DirectoryRecord record_;
  std::uint64_t payload_;
  ForwardReader stored_;  // a stored entry's bytes
  StreamInflater::Piece piece_;
  std::unique_ptr<StreamInflater> inflater_;  // made at the first read of a deflated entry
};

// The record's bytes read front to back once, never held whole: `use`
// reads them through the reader it is given, then the rest is unpacked,
// every byte handed to `piece` (when given) on the way, and all of them
// are checked as viewEntry checks them. False, with viewEntry's warning
// and *fault, when they fail.
bool readEntryOnce(const ByteSource& source, const DirectoryRecord& record, std::uint64_t payload,
                   const std::function<void(EntryReader& reader)>& use, const StreamInflater::Piece& piece,
                   Diagnostics& diagnostics, std::string* fault = nullptr);

}  // namespace ob::zip
