#pragma once
// RIFF/WAVE codec. Decodes PCM in containers of 8 to 32 bits, whatever
// their valid bits (12 in 16, 20 in 24), and IEEE float of 32 or 64 bits,
// plain or extensible, mixing more than two channels down to stereo;
// refuses every other encoding, and float samples far past full scale,
// with a message. Encodes one or two channels as 32-bit float with a
// 44-byte header.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/pool/sample_coding.h"
#include "engine/pool/sample_limits.h"

namespace ob {

struct DecodedWav {
  std::vector<float> left;   // first channel, or the mean of the even channels
  std::vector<float> right;  // empty for mono; else second / mean of odd channels
  double sampleRate = 0.0;
  std::int32_t frames = 0;
  // Where the audio lies in the file and how it is stored there, for
  // writing the file again from it.
  std::uint64_t audioOffset = 0;  // of the first sample
  std::uint32_t channels = 0;     // as stored, before any mix-down
  SampleCoding coding = SampleCoding::Float32;
  // Whether the audio, coded again as the file stores it, gives back every
  // byte of it (checked a piece at a time as it is decoded), so that the
  // file can be written again from it; not when channels were mixed down,
  // bits were set below the valid ones, a float sample was no number or a
  // 64-bit float finer than 32 bits.
  bool givesBack = false;
  float peak = 0.0f;  // the largest magnitude among left and right, measured as they were decoded
};

// A WAV file opens with "RIFF", a 32-bit size and "WAVE".
inline constexpr std::size_t kWavTagBytes = 12;
// Whether a file's first bytes are those of a RIFF/WAVE file, so a reader
// can refuse any other before reading the rest; when not, *error (when
// given) gets the decoder's message for it.
bool opensAsWav(const std::uint8_t* bytes, std::size_t count, std::string* error = nullptr);

// Reads exactly count bytes of a file from offset into out; false past its
// end or when they cannot be had.
using WavReadAt = std::function<bool(std::uint64_t offset, std::uint8_t* out, std::size_t count)>;

// Where a file's audio lies and how it is stored, as its chunks alone say.
struct WavLayout {
  std::uint64_t dataPos = 0;  // of the first sample
  std::uint64_t frames = 0;
  std::uint32_t channels = 0;  // as stored, before any mix-down
  std::uint32_t rate = 0;
  SampleCoding coding = SampleCoding::Float32;
  std::uint32_t validBits = 0;  // of each sample's container, the top ones carry its value

  // The stored samples of the whole frames.
  std::uint64_t audioBytes() const { return frames * channels * codedSampleBytes(coding); }
  // What decodeWav's admission is asked.
  std::uint64_t decodedBytes() const { return decodedSampleBytes(frames, channels); }
};
// The layout of a file of `size` bytes, read only where its chunks are
// described; nothing, with decodeWav's reason in *why, when it would be
// refused before its audio is decoded.
std::optional<WavLayout> wavLayout(std::uint64_t size, const WavReadAt& read, std::string* why = nullptr);
// Bytes of a file from offset, coded again from its audio.
using WavBytesAt = std::function<void(std::uint64_t offset, std::span<const std::uint8_t> bytes)>;
// What a decode tells its reader of the audio it has read and does not
// read again: each piece whose samples code back to it byte for byte, for
// as long as every piece before did and no sample was past the limit, is
// `passed`, so that the reader may give those bytes back as the decode
// goes; should a later piece not code back, or the decode fail, every
// byte passed is handed to `putBack`, coded again, before the decode goes
// on or returns.
struct WavPassing {
  std::function<void(std::uint64_t offset, std::uint64_t count)> passed;
  WavBytesAt putBack;
};

// Decodes the audio of a file of that layout, read front to back once and
// only where its samples lie, a piece of at most kWavReadPiece bytes at a
// time, so that a reader that cannot go back (a deflated entry's) serves;
// the audio grows as it is decoded, taking memory only as it goes. Fails
// as decodeWav does.
inline constexpr std::size_t kWavReadPiece = 32768;
bool decodeWavAudio(const WavLayout& layout, const WavReadAt& read, DecodedWav& out,
                    std::string* error = nullptr, const WavPassing* passing = nullptr);
// The first `frames` frames of the audio (right empty for mono) as a file
// of that coding stores them from `at`, handed to `to` a piece at a time.
void codeFramesAgain(SampleCoding coding, std::span<const float> left, std::span<const float> right,
                     std::uint64_t at, std::uint64_t frames, const WavBytesAt& to);

// On failure returns false, writes the reason to *error when given and leaves
// out unchanged. Every sample decoded is finite and within
// kMaxSampleMagnitude; a float sample that is no number decodes as 0.
bool decodeWav(const std::uint8_t* bytes, std::size_t count, DecodedWav& out, std::string* error = nullptr);
inline bool decodeWav(const std::vector<std::uint8_t>& bytes, DecodedWav& out, std::string* error = nullptr) {
  return decodeWav(bytes.data(), bytes.size(), out, error);
}

// right may be null for mono; a negative frame count counts as 0.
std::vector<std::uint8_t> encodeWav(const float* left, const float* right, std::int32_t frames,
                                    double sampleRate);

// encodeWav in pieces, for writers that stream: the 44-byte header of one or
// two channels for that many frames, and frames appended as interleaved
// floats (left null writes zeros, right null writes mono). A header never
// counts more frames than its 32-bit sizes hold.
std::uint64_t maxWavFrames(std::uint32_t channels);
std::vector<std::uint8_t> encodeWavHeader(std::uint32_t channels, std::uint64_t frames, double sampleRate);
void appendWavFrames(std::vector<std::uint8_t>& out, const float* left, const float* right,
                     std::uint64_t frames);

}  // namespace ob
