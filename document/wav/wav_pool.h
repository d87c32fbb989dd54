#pragma once
// WAV files into the sample pool: the bytes are decoded here, so the pool
// itself only ever takes audio. Every file is held to the pool's limits
// before its audio is decoded. Main thread, like the pool.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "document/wav/saved_sample_file.h"
#include "document/wav/wav.h"
#include "engine/pool/sample_pool.h"

namespace ob {

class ByteSource;
class PrivateFile;

// A file decoded for the pool, or why not.
struct PoolDecode {
  SharedSampleData audio;                       // null on failure
  SampleRefusal refusal = SampleRefusal::None;  // set when the pool's limits refused it
  bool unread = false;                          // it could not be read whole, or failed its checks
  std::string error;                            // the decoder's message or the refusal's words
  std::string digest;                           // the file's SHA-256, when asked for
  // Puts back, coded again from `audio`, what the decode gave back of the
  // file as it read it (see SampleFileOrigin::readOnce), for a caller that
  // keeps the file after all; null when it gave back nothing.
  std::function<void()> putBack;
};

// A copy of a file made a piece at a time as it is read, at the end of a
// private file (see SampleFileCopies).
class SampleFileCopy {
 public:
  SampleFileCopy(std::shared_ptr<PrivateFile> file, std::uint64_t at) : file_(std::move(file)), at_(at) {}
  // Appends the next piece; once the disk refuses one, the copy is given
  // up and the room it took given back.
  void add(std::span<const std::uint8_t> piece);
  // Where a save reads the copy again; null once it was given up.
  std::shared_ptr<const SampleFilePlace> place() const;
  // Gives the copy up: it is not needed after all.
  void drop();

 private:
  std::shared_ptr<PrivateFile> file_;  // null once given up
  std::uint64_t at_;
};

// Copies of the files that their audio cannot give back, in the plug-in's
// own keeping: one private file (see PrivateFile), made at the first copy
// and shared by the rest, and freed with the last sample that reads one
// again, so that no save ever depends on a file the user owns. One copy
// is made at a time.
class SampleFileCopies {
 public:
  // A copy begun at the end of the private file; nothing when no private
  // file can be made.
  std::optional<SampleFileCopy> begin();

 private:
  std::shared_ptr<PrivateFile> file_;
};

// What a load knows of a file beside its bytes: where it already lies in a
// source in the plug-in's own keeping (see ByteSource::heldOpen), when it
// does, and its SHA-256 and CRC-32 when its archive gave them and its bytes
// are checked against them as they are read, which the sample then carries.
struct SampleFileOrigin {
  std::shared_ptr<const ByteSource> held;  // null when not in the plug-in's keeping
  std::uint64_t offset = 0;
  SampleFileSums sums;  // no digest when not known
  // The same source, given by the load, which knows every reader of it,
  // when no one but the decode reads the file once its audio plays: the
  // decode then gives back the bytes its audio gives back as it passes
  // them, and puts them back before anyone else can read them, should the
  // file not play or not be given back by its audio after all (see
  // WavPassing). Null otherwise.
  std::shared_ptr<ByteSource> readOnce;
};

// One read of a file front to back, never holding it whole: `use` is
// handed a reader of it (see decodeWavAudio), `piece` (when given) every
// byte of it once, in order, the rest read for it after `use`. False when
// it cannot all be read or fails the checks its archive gives (its
// checksum, the digest its name gives): then nothing read is to be taken.
// A read after one that passed checks no more than that its bytes are
// still those checked.
using FilePiece = std::function<void(std::span<const std::uint8_t> bytes)>;
using ReadFileOnce =
    std::function<bool(const std::function<void(const WavReadAt& read)>& use, const FilePiece& piece)>;
// The file read whole for its checks alone, every byte handed to `piece`
// (when given): whether it passes them.
bool passesItsChecks(const ReadFileOnce& once, const FilePiece& piece = {});

// Decodes the audio of a file of that layout and size, already held to the
// pool's limits, with what a save needs to write the file again, reading
// it front to back and never holding it whole: once to check it, so that
// no audio of a damaged file is ever held, then to decode it, which the
// checksum of the first read checks. When its audio gives it
// back, only what of it is not audio is held; else a save reads it again
// where `origin` says it lies, or from a copy made as it is read (into
// `copies`), or, where no copy can be made, from memory, so that nothing
// is lost. A copy the layout foretells (64-bit floats, 32-bit PCM, more
// than two channels) is made on the first read, any other on a third,
// checked against the first. The file's digest and CRC-32, as its origin
// gives them or as found on the way, go with the sample's file, so that no
// save hashes it again; its digest is found for a file its origin does not
// name where `hashed` asks for it. What its audio gives back of a file that
// no one else reads (see SampleFileOrigin::readOnce) is given back as it is
// decoded.
PoolDecode decodeLaidOut(const WavLayout& layout, std::uint64_t fileBytes, const ReadFileOnce& once,
                         const SampleFileOrigin& origin, SampleFileCopies& copies, bool hashed = false);

// The same for the whole of a source (a file the user chose, or bytes in
// memory), for slot `into` (a new slot when it is none of the pool's): a
// file over the pool's file limit is refused before it is looked at, and
// one whose audio would pass the sample limit or the pool's budget as soon
// as its header tells, before a sample is decoded. Copies go into
// `copies`, or a private file of their own when null.
PoolDecode decodeForPool(const SamplePool& pool, std::int32_t into, const ByteSource& file,
                         SampleFileCopies* copies = nullptr, bool hashed = false);
PoolDecode decodeForPool(const SamplePool& pool, std::int32_t into, std::span<const std::uint8_t> file,
                         SampleFileCopies* copies = nullptr);

// What a source offers of a file at offset: where a save can read it again
// when the source is in the plug-in's keeping, with the digest and CRC-32
// given.
SampleFileOrigin originIn(const ByteSource& source, std::uint64_t offset, SampleFileSums sums = {});

// Whether a file its archive packed into packedBytes is held as stored,
// packed, rather than by what its audio does not give back: when that,
// all of the file but its audio, takes more. Decided before the file is
// unpacked, from its layout.
bool keepsPackedForm(const WavLayout& layout, std::uint64_t fileBytes, std::uint64_t packedBytes);
// The audio decoded from a file held as stored (see keepsPackedForm).
SharedSampleData packedSampleOf(DecodedWav wav, StoredSampleFile packed);

// Decodes into a new slot after the last one and returns its index, or -1
// with the decoder's message or the refusal's words. No slot limit here:
// callers refuse an index of 64 or more.
std::int32_t loadWav(SamplePool& pool, std::vector<std::uint8_t> bytes, std::string* error = nullptr);
// Decodes into slot index (0..63), creating empty slots up to it; the
// slot's slice list is emptied. -1 on a bad index, a decode failure or a
// refusal, which leave the pool unchanged.
std::int32_t replaceSlotWav(SamplePool& pool, std::uint32_t index, std::vector<std::uint8_t> bytes,
                            std::string* error = nullptr);

}  // namespace ob
