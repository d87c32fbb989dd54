#include "document/wav/wav.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

#include "document/little_endian.h"
#include "document/wav/wav_header.h"

namespace ob {
namespace {

constexpr const char* kNotWave = "not a RIFF/WAVE file";
constexpr const char* kBadChunks = "missing/invalid fmt or data chunk";

bool tagIs(const std::uint8_t* p, const char* tag) { return std::memcmp(p, tag, 4) == 0; }

enum class Encoding { Pcm8, Pcm16, Pcm24, Pcm32, Float32, Float64, Silent };

Encoding encodingOf(bool isFloat, std::uint32_t bits) {
  if (isFloat) {
    if (bits == 32) return Encoding::Float32;
    if (bits == 64) return Encoding::Float64;
    return Encoding::Silent;
  }
  switch (bits) {
    case 8: return Encoding::Pcm8;
    case 16: return Encoding::Pcm16;
    case 24: return Encoding::Pcm24;
    case 32: return Encoding::Pcm32;
    default: return Encoding::Silent;
  }
}

float sampleAt(const std::uint8_t* p, Encoding enc) {
  switch (enc) {
    case Encoding::Pcm8: return static_cast<float>(static_cast<int>(p[0]) - 128) * 0.0078125f;
    case Encoding::Pcm16:
      return static_cast<float>(static_cast<std::int16_t>(readU16LE(p))) * (1.0f / 32768.0f);
    case Encoding::Pcm24: {
      std::int32_t v = static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) |
                                                 (static_cast<std::uint32_t>(p[1]) << 8) |
                                                 (static_cast<std::uint32_t>(p[2]) << 16));
      if (v & 0x800000) v -= 0x1000000;
      return static_cast<float>(v) * (1.0f / 8388608.0f);
    }
    case Encoding::Pcm32:
      return static_cast<float>(static_cast<std::int32_t>(readU32LE(p))) * (1.0f / 2147483648.0f);
    case Encoding::Float32: {
      std::uint32_t bits = readU32LE(p);
      float f;
      std::memcpy(&f, &bits, sizeof f);
      return f;
    }
    case Encoding::Float64: {
      std::uint64_t bits =
          static_cast<std::uint64_t>(readU32LE(p)) | (static_cast<std::uint64_t>(readU32LE(p + 4)) << 32);
      double d;
      std::memcpy(&d, &bits, sizeof d);
      // Narrowing a double beyond float range is undefined; saturate to
      // the infinity it would round to.
      if (std::fabs(d) > static_cast<double>(std::numeric_limits<float>::max()))
        return d > 0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
      return static_cast<float>(d);
    }
    case Encoding::Silent: break;
  }
  return 0.0f;
}

void putFloat(std::vector<std::uint8_t>& out, float f) {
  std::uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  writeU32LE(out, bits);
}

}  // namespace

bool opensAsWav(const std::uint8_t* bytes, std::size_t count, std::string* error) {
  if (bytes && count >= kWavTagBytes && tagIs(bytes, "RIFF") && tagIs(bytes + 8, "WAVE")) return true;
  if (error) *error = kNotWave;
  return false;
}

bool decodeWav(const std::uint8_t* bytes, std::size_t count, DecodedWav& out, std::string* error,
               const DecodeAdmission& admit) {
  auto failWith = [error](const char* message) {
    if (error) *error = message;
    return false;
  };
  if (count < kWavHeaderBytes || !opensAsWav(bytes, count)) return failWith(kNotWave);

  // Chunk walk in 64-bit arithmetic so a hostile size cannot wrap.
  const std::uint64_t total = count;
  bool haveFmt = false;
  std::uint32_t formatTag = 0, channels = 0, bits = 0, rate = 0;
  bool isFloat = false;
  bool haveData = false;
  std::uint64_t dataPos = 0, dataSize = 0;

  std::uint64_t pos = 12;
  while (pos + 8 <= total) {
    const std::uint8_t* head = bytes + pos;
    const std::uint64_t size = readU32LE(head + 4);
    if (pos + 8 + size > total) break;
    const std::uint8_t* body = head + 8;
    if (tagIs(head, "fmt ")) {
      // A body too short for its fixed fields is ignored rather than
      // read past.
      if (size >= 16) {
        haveFmt = true;
        formatTag = readU16LE(body);
        channels = readU16LE(body + 2);
        rate = readU32LE(body + 4);
        bits = readU16LE(body + 14);
        isFloat = formatTag == kWavFormatFloat ||
                  (formatTag == 0xFFFE && size >= 26 && readU16LE(body + 24) == kWavFormatFloat);
      }
    } else if (tagIs(head, "data")) {
      haveData = true;
      dataPos = pos + 8;
      dataSize = size;
    }
    pos += 8 + size + (size & 1);
  }

  if (!haveData || !haveFmt || channels < 1 || bits < 8) return failWith(kBadChunks);
  // A rate of 0 cannot be played or resampled.
  if (rate == 0) return failWith(kBadChunks);

  const std::uint64_t bytesPerSample = bits / 8;
  const std::uint64_t frameSize = bytesPerSample * channels;
  const std::uint64_t frames64 = dataSize / frameSize;
  if (frames64 > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
    return failWith(kBadChunks);
  const std::size_t frames = static_cast<std::size_t>(frames64);
  if (admit && !admit(frames64 * (channels > 1 ? 2u : 1u) * sizeof(float))) return false;
  const Encoding enc = encodingOf(isFloat, bits);
  const std::uint8_t* data = bytes + dataPos;

  DecodedWav result;
  result.sampleRate = static_cast<double>(rate);
  result.frames = static_cast<std::int32_t>(frames);
  result.left.resize(frames);
  if (channels == 1) {
    for (std::size_t f = 0; f < frames; ++f) result.left[f] = sampleAt(data + f * frameSize, enc);
  } else {
    result.right.resize(frames);
    const float evenCount = static_cast<float>((channels + 1) / 2);
    const float oddCount = static_cast<float>(channels / 2);
    for (std::size_t f = 0; f < frames; ++f) {
      const std::uint8_t* frame = data + f * frameSize;
      // Start from the first pair rather than from 0 so two channels
      // come back bit for bit (0 + -0 would lose the sign).
      float l = sampleAt(frame, enc);
      float r = sampleAt(frame + bytesPerSample, enc);
      for (std::uint32_t c = 2; c < channels; ++c) {
        float s = sampleAt(frame + c * bytesPerSample, enc);
        if (c & 1)
          r += s;
        else
          l += s;
      }
      result.left[f] = l / evenCount;
      result.right[f] = r / oddCount;
    }
  }
  out = std::move(result);
  return true;
}

std::uint64_t maxWavFrames(std::uint32_t channels) {
  // The size fields are 32 bits: never write a header that lies.
  return (0xFFFFFFFFull - 36) / (4ull * (channels > 1 ? 2 : 1));
}

std::vector<std::uint8_t> encodeWavHeader(std::uint32_t channels, std::uint64_t frames, double sampleRate) {
  channels = channels > 1 ? 2 : 1;
  const std::uint32_t blockAlign = 4 * channels;
  const std::uint64_t frameCount = std::min(frames, maxWavFrames(channels));
  const std::uint32_t dataSize = static_cast<std::uint32_t>(frameCount * blockAlign);

  // Rounded to the nearest whole rate; out-of-range rates are clamped
  // instead of converted with undefined results.
  double r = sampleRate + 0.5;
  std::uint32_t rate = 0;
  if (std::isfinite(r) && r >= 1.0) rate = r >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(r);

  std::vector<std::uint8_t> out;
  out.reserve(kWavHeaderBytes);
  writeWavHeader(out, kWavFormatFloat, static_cast<std::uint16_t>(channels), rate, 32, dataSize);
  return out;
}

void appendWavFrames(std::vector<std::uint8_t>& out, const float* left, const float* right,
                     std::uint64_t frames) {
  for (std::uint64_t f = 0; f < frames; ++f) {
    putFloat(out, left ? left[f] : 0.0f);
    if (right) putFloat(out, right[f]);
  }
}

std::vector<std::uint8_t> encodeWav(const float* left, const float* right, std::int32_t frames,
                                    double sampleRate) {
  const std::uint32_t channels = right ? 2 : 1;
  const std::uint64_t frameCount =
      std::min<std::uint64_t>(frames > 0 ? static_cast<std::uint64_t>(frames) : 0, maxWavFrames(channels));
  std::vector<std::uint8_t> out = encodeWavHeader(channels, frameCount, sampleRate);
  out.reserve(out.size() + static_cast<std::size_t>(frameCount) * 4 * channels);
  appendWavFrames(out, left, right, frameCount);
  return out;
}

}  // namespace ob
