#pragma once
// The file a save writes for a sample, a piece at a time, from the one
// form the sample holds it in (see SampleFile): held whole, rebuilt from
// the audio, read again from the plug-in's own copy, or made from audio
// made here. Main thread, like the pool.

#include <cstdint>
#include <span>
#include <vector>

#include "engine/pool/sample_data.h"

namespace ob {

// out.size() bytes from offset of the file rebuilt from the audio (as the
// pool holds it: left, and right for stereo), the bytes of the file that
// are not audio kept as they were; false when they reach past its end.
bool rebuiltWavPart(const RebuiltSampleFile& file, std::span<const float> left, std::span<const float> right,
                    std::uint64_t offset, std::span<std::uint8_t> out);

// out.size() bytes from offset of the file a save writes for the audio;
// false past its end, when they cannot be had, and for a file copied as
// stored (kept, or packed) or audio made here without frames.
bool sampleFileBytes(const SampleData& audio, std::uint64_t offset, std::span<std::uint8_t> out);

// Whether the file is the one the audio was decoded from: its bytes, or
// what a save writes for it when they were not kept (for a file held
// packed, the one of its digest).
bool isFileOf(std::span<const std::uint8_t> file, const SampleData& audio);
// The same a piece at a time: whether that file (of audio.savedFileBytes())
// holds `piece` at `offset`.
bool fileHolds(const SampleData& audio, std::uint64_t offset, std::span<const std::uint8_t> piece,
               std::vector<std::uint8_t>& scratch);

}  // namespace ob
