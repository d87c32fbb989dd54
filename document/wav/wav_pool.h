#pragma once
// WAV files into the sample pool: the bytes are decoded here, so the pool
// itself only ever takes audio. Main thread, like the pool.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/pool/sample_pool.h"

namespace ob {

// The decoded audio, carrying the bytes along for saving; nothing with the
// decoder's message when the bytes are not a WAV file this build reads.
std::optional<SampleAudio> decodeSampleAudio(std::vector<std::uint8_t> bytes, std::string* error = nullptr);

// Decodes into a new slot after the last one and returns its index, or -1
// with the decoder's message. No limit here: callers refuse an index of 64
// or more.
std::int32_t loadWav(SamplePool& pool, std::vector<std::uint8_t> bytes, std::string* error = nullptr);
// Decodes into slot index (0..63), creating empty slots up to it; the
// slot's slice list is emptied. -1 on a bad index or a decode failure, which
// leave the pool unchanged.
std::int32_t replaceSlotWav(SamplePool& pool, std::uint32_t index, std::vector<std::uint8_t> bytes,
                            std::string* error = nullptr);
// For document readers: makes sure slot index (0..63) exists, then decodes
// into it keeping its slices. Returns whether the bytes decoded.
bool addDecoded(SamplePool& pool, std::int32_t index, const std::vector<std::uint8_t>& bytes);

}  // namespace ob
