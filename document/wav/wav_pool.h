#pragma once
// WAV files into the sample pool: the bytes are decoded here, so the pool
// itself only ever takes audio. Every file is held to the pool's limits
// before its audio is decoded. Main thread, like the pool.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/pool/sample_pool.h"

namespace ob {

class ByteSource;

// A file decoded for the pool, or why not.
struct PoolDecode {
  SharedSampleData audio;                       // null on failure
  SampleRefusal refusal = SampleRefusal::None;  // set when the pool's limits refused it
  std::string error;                            // the decoder's message or the refusal's words
};

// Decodes the file for slot `into` (a new slot when it is none of the
// pool's), with what a save needs to write it again: a file over the pool's
// file limit is refused before it is looked at, and one whose audio would
// pass the sample limit or the pool's budget as soon as its header tells,
// before a sample is decoded. The pool is not changed. The file is held
// beside its audio only when the audio does not give it back byte for byte
// and it cannot be read again (see SampleData::bytes).
PoolDecode decodeForPool(const SamplePool& pool, std::int32_t into, std::vector<std::uint8_t> bytes);
// The same for a file the caller holds: `owned`, when not empty, holds its
// bytes and is taken, else they are copied, and only when they are kept.
// `again`, when given, is where a save can read the file again.
PoolDecode decodeForPool(const SamplePool& pool, std::int32_t into, std::span<const std::uint8_t> file,
                         std::vector<std::uint8_t> owned, std::optional<ReadAgainFile> again = {});

// Where a save can read a file again: `size` bytes of the source from
// `offset`, while the source is held open (see ByteSource::heldOpen), with
// the CRC-32 and SHA-256 digest the load checked it against, or none when
// they are to be found from the bytes decoded; nothing for a source in
// memory.
std::optional<ReadAgainFile> readAgainAt(const ByteSource& source, std::uint64_t offset, std::uint64_t size,
                                         std::string digest = {}, std::uint32_t crc = 0);

// out.size() bytes from offset of the file a save writes for the audio:
// held, rebuilt from the audio or read again; false past its end, when they
// cannot be had, and for a kept file or audio made here without frames.
bool sampleFileBytes(const SampleData& audio, std::uint64_t offset, std::span<std::uint8_t> out);

// Whether the file is the one the audio was decoded from: its bytes, or
// what a save writes for it when they were not kept.
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
