#pragma once
// The file a sample's audio was decoded from, as a save writes it again:
// in exactly one form, chosen once, when the sample is made, by what the
// file is and where it can be had again. Main thread, like the sample that
// holds it.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "engine/pool/sample_coding.h"
#include "engine/shared_bytes.h"

namespace ob {

// The SHA-256 (64 lower-case hex digits) and CRC-32 of a file, found once
// as it was read, so that a save names and checks it without hashing it
// again; an empty digest where no one found them.
struct SampleFileSums {
  std::string digest;
  std::uint32_t crc = 0;
  bool known() const { return !digest.empty(); }
};

// Audio made here (a split's halves), from no file: saved as its own
// 32-bit float WAV file, written from the audio, or as none without frames.
struct MadeSampleFile {};

// A file held whole in memory, where no copy of it could be made anywhere
// else, so that nothing is lost.
struct HeldSampleFile {
  std::vector<std::uint8_t> bytes;
  SampleFileSums sums;
};

// A file that its decoded audio gives back byte for byte (checked when it
// was decoded), so a save writes it again from the audio rather than the
// pool holding it: what of it is not audio, as it was, and how the audio
// is stored, in the audio's one or two channels, interleaved.
struct RebuiltSampleFile {
  std::vector<std::uint8_t> head;  // the bytes before the first sample
  std::vector<std::uint8_t> tail;  // the bytes after the last whole frame
  SampleCoding coding = SampleCoding::Float32;
  SampleFileSums sums;
};

// Where a file lies that a save reads again, as the document layer knows
// it: in the plug-in's own keeping (a private file), never the user's.
class SampleFilePlace {
 public:
  virtual ~SampleFilePlace() = default;
  // Exactly count bytes of the file from offset; false when they cannot be
  // had any more.
  virtual bool read(std::uint64_t offset, std::uint8_t* out, std::size_t count) const = 0;
};

// A file that its audio cannot give back, which a save reads again from
// the plug-in's own copy of it instead of the pool holding it, checked on
// the way against what the load found.
struct ReadAgainFile {
  std::shared_ptr<const SampleFilePlace> place;
  std::uint64_t size = 0;
  SampleFileSums sums;  // always found
};

// A file as its archive stored it, packed or not, which a save copies as
// it was read, never unpacked.
struct StoredSampleFile {
  SharedBytes stored;        // as stored, packed or not; empty without a file
  std::uint16_t method = 0;  // how it is packed: 0 stored, 8 deflated, or another
  std::uint16_t flags = 0;   // the flag bits of its payload (encrypted, say)
  std::uint32_t crc = 0;     // CRC-32 of the file, as declared
  std::uint64_t size = 0;    // the file's own size, as declared
  std::string digest;        // the 64 hex digits its entry is named by; empty without a file

  // What a save holds it to: the larger of its stored and declared sizes,
  // since a load's limits count both.
  std::uint64_t savedBytes() const { return std::max<std::uint64_t>(size, stored.size()); }
  bool operator==(const StoredSampleFile&) const = default;
};

// A sample that cannot play here (a file this build does not read or
// unpack, a limit it passes, a reference it does not know), kept as its
// document stored it: never unpacked nor decoded, it costs the bytes it was
// stored in and every save writes it back unchanged, the file under its own
// name and the reference as written, so that whatever can read it plays it
// again.
struct KeptSampleFile : StoredSampleFile {
  std::string why;  // lower-case words, for the user
  std::string ref;  // the reference to it, as its document wrote it
  // The SHA-256 of its bytes (64 lower-case hex digits) where the load read
  // them whole, whatever its name says; empty where it could not (a method
  // this build does not unpack, damaged packing, a limit).
  std::string bytesDigest;
};

// The file of decoded audio: any form but a kept one, which holds no audio.
// A file its archive packed into fewer bytes than what its audio does not
// give back is held as stored; another its audio gives back is rebuilt;
// any other is read again from the plug-in's own copy, or held whole where
// there is none.
using DecodedSampleFile =
    std::variant<MadeSampleFile, HeldSampleFile, RebuiltSampleFile, ReadAgainFile, StoredSampleFile>;
using SampleFile = std::variant<MadeSampleFile, HeldSampleFile, RebuiltSampleFile, ReadAgainFile,
                                StoredSampleFile, KeptSampleFile>;

// Calls of a visit, one a form, as overloads of one visitor.
template <typename... Form>
struct ForEachForm : Form... {
  using Form::operator()...;
};
template <typename... Form>
ForEachForm(Form...) -> ForEachForm<Form...>;

}  // namespace ob
