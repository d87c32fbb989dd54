#pragma once
// How much decoded audio the pool takes, whatever brought it (an import, a
// drop, a state, a project, a kit or a package). Counted in decoded memory,
// 32-bit floats over every channel, since that is what a sample costs while
// it is held, whatever the file's own bit depth.
#include <cstdint>
#include <string>

namespace ob {

// One sample: over twelve minutes of stereo at 44.1 kHz, far above any drum
// sound or recording to split.
inline constexpr std::uint64_t kMaxSampleDecodedBytes = std::uint64_t(256) << 20;
// Every slot of the pool together: four samples at the limit.
inline constexpr std::uint64_t kPoolDecodedBudgetBytes = std::uint64_t(1) << 30;
// The file a sample was decoded from is kept beside it for saving: at most
// twice the sample's limit, the file of 64-bit float stereo at the limit.
// Only a file of many channels goes past it with its audio within.
inline constexpr std::uint64_t kMaxSampleFileBytes = 2 * kMaxSampleDecodedBytes;
// The files the samples are saved as, together: what a saved state or
// project holds of them and still loads, beside its document and the
// entries it keeps (document/package/unpack_limits.h holds the two equal).
inline constexpr std::uint64_t kPoolFileBudgetBytes = std::uint64_t(1952) << 20;

// The limits one pool holds its samples to; tests give small ones.
struct SampleLimits {
  std::uint64_t sampleDecodedBytes = kMaxSampleDecodedBytes;
  std::uint64_t poolDecodedBytes = kPoolDecodedBudgetBytes;
  std::uint64_t sampleFileBytes = kMaxSampleFileBytes;
  std::uint64_t poolFileBytes = kPoolFileBudgetBytes;
};

// Why the pool does not take a sample.
enum class SampleRefusal : std::uint8_t {
  None,
  FileTooLarge,     // its file is over the file limit
  SampleTooLarge,   // its audio decodes to more than one sample may take
  PoolFull,         // with it the pool's samples would pass their budget
  FilesOverBudget,  // with it the samples' files would pass what a save holds
};

// The bytes a sample's decoded audio takes: 32-bit floats, one channel or
// two (more are mixed down to two).
inline std::uint64_t decodedSampleBytes(std::uint64_t frames, std::uint32_t channels) {
  return frames * (channels > 1 ? 2u : 1u) * sizeof(float);
}

// The refusal in lower-case words that name the limit, e.g. "the sample
// would take more than 256 MiB decoded, the most one sample may"; empty
// for None.
std::string sampleRefusalText(SampleRefusal refusal, const SampleLimits& limits);

// A size as the limits are written: "256 MiB", "1 GiB", or bytes when it
// is no whole number of either.
std::string sizeText(std::uint64_t bytes);

// The largest sample magnitude the pool holds: +24 dBFS. Float files a
// little over full scale play as they are; a sample far past it is damage,
// not sound, and must never reach the output.
inline constexpr float kMaxSampleMagnitude = 16.0f;

}  // namespace ob
