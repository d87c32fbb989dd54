#pragma once
// "clap.state": the state chunk is a short header and the instance document
// (JSON text, or a zip package when it carries sample assets).
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "document/archive/zip_entry.h"
#include "document/byte_sink.h"
#include "document/reading/document_limits.h"
#include "plugin/arriving_bytes.h"
#include "plugin/clap/abi.h"

namespace ob::clap {

inline constexpr std::uint8_t kStateMagic[4] = {'O', 'B', 'S', '1'};
inline constexpr std::size_t kStateHeaderSize = 8;  // magic, then four zero bytes
// A larger package is refused rather than read until memory runs out, as
// every archive a document is read from; a document given as JSON text has
// the smaller limit of its own, kMaxDocumentTextBytes.
inline constexpr std::uint64_t kMaxStateBytes = zip::Limits{}.maxArchiveBytes;

// How far a host stream was read.
enum class StateRead : std::uint8_t {
  Read,          // the whole document is in bytes
  StreamFailed,  // null stream, a negative read or one that claims more than asked
  NotAState,     // its first bytes begin no document: refused before the rest is read
  TooLarge,      // past its limit: refused as soon as it was
  Damaged,       // a package whose records break off into bytes that are none, declare
                 // more than the reader takes, or cannot be followed
  NotKept,       // the disk refused it and what it held could not be read back
};

// The most a state's document (what follows the header) may hold, by what
// its first bytes say it is.
struct StateLimits {
  std::uint64_t text = kMaxDocumentTextBytes;  // JSON text
  std::uint64_t package = kMaxStateBytes;      // a zip package
};

// Reads the stream piece by piece until a read returns 0, keeping its
// document (what follows the header) in `document`: a package in a
// private file where one can be made, so that it is read from there as a
// project file is, and JSON text in memory. The first bytes are checked as
// soon as enough of them are in (the header, then the head a document file
// is checked by), and the size against its limit with every piece, so a
// state that is none, or too large, stops the reading. A package's records
// are followed as they arrive, so one that turns into bytes of no record,
// or declares more than a package may hold, stops it too. Anything but
// Read leaves why, when given, saying so in a sentence for the user.
StateRead readHostStream(const clap_istream_t* stream, ArrivingBytes& document,
                         const StateLimits& limits = {}, std::string* why = nullptr);
// Writes every byte, calling write again for what a call did not take. False
// for a null stream or a call that takes nothing, fails or claims too much.
bool writeHostStream(const clap_ostream_t* stream, const std::uint8_t* data, std::size_t size);

// A host's stream as a save writes into it.
class HostStreamSink final : public ByteSink {
 public:
  explicit HostStreamSink(const clap_ostream_t* stream) : stream_(stream) {}

 private:
  bool put(std::span<const std::uint8_t> bytes) override {
    return writeHostStream(stream_, bytes.data(), bytes.size());
  }

  const clap_ostream_t* stream_;
};

// Where the document starts in a chunk: after the header when the chunk
// starts with the magic (the four bytes after it are not looked at), else at 0.
std::size_t stateDocumentOffset(const std::uint8_t* bytes, std::size_t size);

const clap_plugin_state_t* stateExtension();

}  // namespace ob::clap
