#pragma once
// WAV files into the sample pool: the bytes are decoded here, so the pool
// itself only ever takes audio. Every file is held to the pool's limits
// before its audio is decoded. Main thread, like the pool.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "document/wav/wav.h"
#include "engine/pool/sample_pool.h"

namespace ob {

class ByteSource;
class PrivateFile;

// A file decoded for the pool, or why not.
struct PoolDecode {
  SharedSampleData audio;                       // null on failure
  SampleRefusal refusal = SampleRefusal::None;  // set when the pool's limits refused it
  std::string error;                            // the decoder's message or the refusal's words
};

// Copies of the files that their audio cannot give back, in the plug-in's
// own keeping: one private file (see PrivateFile), made at the first copy
// and shared by the rest, and freed with the last sample that reads one
// again, so that no save ever depends on a file the user owns.
class SampleFileCopies {
 public:
  // Where a save reads the copy of the file again; null when no private
  // file can be made or the disk refuses it.
  std::shared_ptr<const SampleFilePlace> copy(std::span<const std::uint8_t> file);

 private:
  std::shared_ptr<PrivateFile> file_;
};

// What a load knows of a file beside its bytes: where it already lies in a
// source in the plug-in's own keeping (see ByteSource::heldOpen), when it
// does, and its SHA-256 and CRC-32 when its archive gave them and its bytes
// were checked against them.
struct SampleFileOrigin {
  std::shared_ptr<const ByteSource> held;  // null when not in the plug-in's keeping
  std::uint64_t offset = 0;
  std::string digest;  // empty when not known
  std::uint32_t crc = 0;
};

// Decodes the file for slot `into` (a new slot when it is none of the
// pool's), with what a save needs to write it again: a file over the pool's
// file limit is refused before it is looked at, and one whose audio would
// pass the sample limit or the pool's budget as soon as its header tells,
// before a sample is decoded. The pool is not changed. The file is held
// beside its audio only when the audio does not give it back byte for byte,
// and then where a save can read it again: where `origin` says it lies, or
// in a copy (into `copies`, or a private file of its own when null), or in
// memory when no copy can be made. `owned`, when not empty, holds the
// file's bytes and is taken, else they are copied, and only when they are
// held in memory.
PoolDecode decodeForPool(const SamplePool& pool, std::int32_t into, std::span<const std::uint8_t> file,
                         std::vector<std::uint8_t> owned, const SampleFileOrigin& origin = {},
                         SampleFileCopies* copies = nullptr);
PoolDecode decodeForPool(const SamplePool& pool, std::int32_t into, std::vector<std::uint8_t> bytes);

// What a source offers of a file at offset: where a save can read it again
// when the source is in the plug-in's keeping, with the digest and CRC-32
// given.
SampleFileOrigin originIn(const ByteSource& source, std::uint64_t offset, std::string digest = {},
                          std::uint32_t crc = 0);

// Whether a file its archive packed into packedBytes is held as stored,
// packed, rather than by what its audio does not give back: when that,
// all of the file but its audio, takes more. Decided before the file is
// unpacked, from its layout.
bool keepsPackedForm(const WavLayout& layout, std::uint64_t fileBytes, std::uint64_t packedBytes);
// The audio decoded from a file held as stored (see keepsPackedForm).
SharedSampleData packedSampleOf(DecodedWav wav, StoredSampleFile packed);

// out.size() bytes from offset of the file a save writes for the audio:
// held, rebuilt from the audio or read again; false past its end, when they
// cannot be had, and for a file copied as stored (kept, or packed) or audio
// made here without frames.
bool sampleFileBytes(const SampleData& audio, std::uint64_t offset, std::span<std::uint8_t> out);

// Whether the file is the one the audio was decoded from: its bytes, or
// what a save writes for it when they were not kept (for a file held
// packed, the one of its digest).
bool isFileOf(std::span<const std::uint8_t> file, const SampleData& audio);
// The same a piece at a time: whether that file (of audio.savedFileBytes())
// holds `piece` at `offset`.
bool fileHolds(const SampleData& audio, std::uint64_t offset, std::span<const std::uint8_t> piece,
               std::vector<std::uint8_t>& scratch);

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
