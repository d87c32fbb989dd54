#include "document/wav/wav.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <utility>

#include "document/little_endian.h"
#include "document/reading/pages_ahead.h"
#include "document/wav/sample_decoding.h"
#include "document/wav/sample_encoding.h"
#include "document/wav/wav_header.h"
#include "engine/pool/sample_limits.h"

namespace ob {
namespace {

constexpr const char* kNotWave = "not a RIFF/WAVE file";
constexpr const char* kBadChunks = "missing/invalid fmt or data chunk";
constexpr std::uint16_t kWavFormatExtensible = 0xFFFE;

bool tagIs(const std::uint8_t* p, const char* tag) { return std::memcmp(p, tag, 4) == 0; }

// What a "fmt " chunk says, as stored.
struct FormatChunk {
  std::uint16_t tag = 0;
  std::uint32_t channels = 0;
  std::uint32_t rate = 0;
  std::uint32_t blockAlign = 0;
  std::uint32_t bits = 0;       // bits per sample; an extensible file's container size
  std::uint32_t validBits = 0;  // an extensible file's, 0 when not given
  std::uint16_t subFormat = 0;  // an extensible file's, 0 when the chunk is too short for it
};

FormatChunk readFormatChunk(const std::uint8_t* body, std::uint64_t size) {
  FormatChunk f;
  f.tag = readU16LE(body);
  f.channels = readU16LE(body + 2);
  f.rate = readU32LE(body + 4);
  f.blockAlign = readU16LE(body + 12);
  f.bits = readU16LE(body + 14);
  if (f.tag == kWavFormatExtensible) {
    if (size >= 20) f.validBits = readU16LE(body + 18);
    if (size >= 26) f.subFormat = readU16LE(body + 24);
  }
  return f;
}

enum class Encoding { Pcm, Float32, Float64 };

// How every sample is stored: a container of whole bytes (the block align
// over the channels) whose top validBits carry the value.
struct SampleLayout {
  Encoding encoding = Encoding::Pcm;
  std::uint32_t bytes = 0;
  std::uint32_t validBits = 0;
};

std::string describedFormat(std::uint16_t tag) {
  char text[64];
  std::snprintf(text, sizeof text, "not PCM or float audio (WAV format 0x%04X)", tag);
  return text;
}

// The layout, or the reason the samples cannot be read into *why.
std::optional<SampleLayout> layoutOf(const FormatChunk& f, std::string& why) {
  bool isFloat = false;
  if (f.tag == kWavFormatFloat) {
    isFloat = true;
  } else if (f.tag == kWavFormatExtensible) {
    // An extensible chunk too short to name its sub-format is taken for PCM.
    if (f.subFormat == kWavFormatFloat) {
      isFloat = true;
    } else if (f.subFormat != kWavFormatPcm && f.subFormat != 0) {
      why = describedFormat(f.subFormat);
      return std::nullopt;
    }
  } else if (f.tag != kWavFormatPcm) {
    why = describedFormat(f.tag);
    return std::nullopt;
  }

  if (f.bits < 8) {
    why = kBadChunks;
    return std::nullopt;
  }
  SampleLayout layout;
  layout.validBits = f.tag == kWavFormatExtensible && f.validBits != 0 ? f.validBits : f.bits;
  // A writer that left the block align out packs whole bytes.
  const std::uint32_t blockAlign = f.blockAlign != 0 ? f.blockAlign : (f.bits + 7) / 8 * f.channels;
  layout.bytes = blockAlign / f.channels;
  if (blockAlign % f.channels != 0 || layout.validBits > 8 * layout.bytes) {
    why = "block align " + std::to_string(blockAlign) + " does not hold " + std::to_string(f.channels) +
          (f.channels == 1 ? " channel" : " channels") + " of " + std::to_string(layout.validBits) + " bits";
    return std::nullopt;
  }
  if (!isFloat) {
    if (layout.bytes > 4) {
      why = "PCM samples of " + std::to_string(8 * layout.bytes) + " bits are not read (8 to 32)";
      return std::nullopt;
    }
    return layout;
  }
  if (layout.bytes == 4 && layout.validBits == 32) {
    layout.encoding = Encoding::Float32;
  } else if (layout.bytes == 8 && layout.validBits == 64) {
    layout.encoding = Encoding::Float64;
  } else {
    why = "float samples of " + std::to_string(layout.validBits) + " bits are not read (32 or 64)";
    return std::nullopt;
  }
  return layout;
}

SampleCoding codingOf(const SampleLayout& layout) {
  switch (layout.encoding) {
    case Encoding::Float32: return SampleCoding::Float32;
    case Encoding::Float64: return SampleCoding::Float64;
    case Encoding::Pcm: break;
  }
  constexpr SampleCoding kPcm[] = {SampleCoding::Pcm8, SampleCoding::Pcm16, SampleCoding::Pcm24,
                                   SampleCoding::Pcm32};
  return kPcm[std::clamp<std::uint32_t>(layout.bytes, 1, 4) - 1];
}

// Decibels as the refusal writes them: "+24.1".
std::string decibelText(double level, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%+.*f", decimals, level);
  return text;
}

// The level a file reaches beside the most that is read, with as many
// decimals as it takes to tell the two apart: a file just past the limit
// must not read as if it were at it. Past kMostDecimals the level is
// rounded up, which is still at least what the file reaches.
std::string pastFullScale(double peak) {
  constexpr int kMostDecimals = 9;
  const double limit = 20.0 * std::log10(static_cast<double>(kMaxSampleMagnitude));
  if (std::isinf(peak))
    return "float samples far past full scale (infinite; at most " + decibelText(limit, 1) + " dBFS is read)";
  // Taken from the limit, so that it never falls below it however close.
  const double level = limit + 20.0 * std::log10(peak / static_cast<double>(kMaxSampleMagnitude));
  int decimals = 1;
  while (decimals < kMostDecimals && decibelText(level, decimals) == decibelText(limit, decimals)) ++decimals;
  std::string levelText = decibelText(level, decimals);
  if (levelText == decibelText(limit, decimals)) {
    const double scale = std::pow(10.0, decimals);
    levelText = decibelText(std::ceil(level * scale) / scale, decimals);
  }
  return "float samples far past full scale (" + levelText + " dBFS; at most " +
         decibelText(limit, decimals) + " dBFS is read)";
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

namespace {

// Where a file's audio lies, as the decoder takes it: its last format
// chunk and its last audio chunk.
struct ChunkWalk {
  bool haveFmt = false;
  FormatChunk format;
  bool haveData = false;
  std::uint64_t dataPos = 0;
  std::uint64_t dataSize = 0;
};

// The chunks of a file of `total` bytes, reading only their heads and the
// format chunk's fields. The walk is in 64-bit arithmetic so a hostile size
// cannot wrap.
ChunkWalk walkChunks(std::uint64_t total, const WavReadAt& read) {
  ChunkWalk walk;
  std::uint64_t pos = 12;
  while (pos + 8 <= total) {
    std::uint8_t head[8];
    if (!read(pos, head, sizeof head)) break;
    const std::uint64_t size = readU32LE(head + 4);
    if (pos + 8 + size > total) break;
    if (tagIs(head, "fmt ")) {
      // A body too short for its fixed fields is ignored rather than
      // read past.
      std::uint8_t body[26] = {};
      if (size >= 16 &&
          read(pos + 8, body, static_cast<std::size_t>(std::min<std::uint64_t>(size, sizeof body)))) {
        walk.haveFmt = true;
        walk.format = readFormatChunk(body, size);
      }
    } else if (tagIs(head, "data")) {
      walk.haveData = true;
      walk.dataPos = pos + 8;
      walk.dataSize = size;
    }
    pos += 8 + size + (size & 1);
  }
  return walk;
}

std::optional<WavLayout> layoutOfWalk(const ChunkWalk& walk, std::string& why) {
  // A rate of 0 cannot be played or resampled.
  if (!walk.haveData || !walk.haveFmt || walk.format.channels < 1 || walk.format.rate == 0) {
    why = kBadChunks;
    return std::nullopt;
  }
  const std::optional<SampleLayout> samples = layoutOf(walk.format, why);
  if (!samples) return std::nullopt;
  WavLayout layout;
  layout.dataPos = walk.dataPos;
  layout.channels = walk.format.channels;
  layout.rate = walk.format.rate;
  layout.coding = codingOf(*samples);
  layout.validBits = samples->validBits;
  layout.frames = walk.dataSize / (std::uint64_t(samples->bytes) * layout.channels);
  if (layout.frames > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
    why = kBadChunks;
    return std::nullopt;
  }
  return layout;
}

bool opensAsWavAt(std::uint64_t size, const WavReadAt& read) {
  std::uint8_t tag[kWavTagBytes];
  return size >= kWavHeaderBytes && read(0, tag, sizeof tag) && opensAsWav(tag, sizeof tag);
}

// count bytes from offset, asked of the reader kWavReadPiece at a time.
bool readInPieces(const WavReadAt& read, std::uint64_t offset, std::uint8_t* out, std::size_t count) {
  for (std::size_t done = 0; done < count;) {
    const std::size_t n = std::min(kWavReadPiece, count - done);
    if (!read(offset + done, out + done, n)) return false;
    done += n;
  }
  return true;
}

// Frames of stored samples into floats: more than two channels mixed down,
// the even ones into left and the odd ones into right, from `mixed`, which
// takes their samples first.
DecodedRun decodeMixedFrames(const StoredSamples& stored, const std::uint8_t* data, std::size_t frames,
                             std::uint32_t channels, std::vector<float>& mixed, float* left, float* right) {
  if (channels <= 2) return decodeFrames(stored, data, frames, left, channels == 2 ? right : nullptr);
  mixed.resize(frames * channels);
  DecodedRun run = decodeFrames(stored, data, mixed.size(), mixed.data(), nullptr);
  run.peak = 0.0f;  // of the mix, not of the channels mixed
  const float evenCount = static_cast<float>((channels + 1) / 2);
  const float oddCount = static_cast<float>(channels / 2);
  for (std::size_t f = 0; f < frames; ++f) {
    const float* frame = mixed.data() + f * channels;
    // Start from the first pair rather than from 0 so two channels
    // come back bit for bit (0 + -0 would lose the sign).
    float l = frame[0];
    float r = frame[1];
    for (std::uint32_t c = 2; c < channels; ++c) {
      if (c & 1)
        r += frame[c];
      else
        l += frame[c];
    }
    left[f] = l / evenCount;
    right[f] = r / oddCount;
    run.peak = std::max({run.peak, std::fabs(left[f]), std::fabs(right[f])});
  }
  return run;
}

}  // namespace

std::optional<WavLayout> wavLayout(std::uint64_t size, const WavReadAt& read, std::string* why) {
  std::string reason = kNotWave;
  std::optional<WavLayout> layout;
  if (opensAsWavAt(size, read)) layout = layoutOfWalk(walkChunks(size, read), reason);
  if (!layout && why != nullptr) *why = std::move(reason);
  return layout;
}

bool decodeWavAudio(const WavLayout& layout, const WavReadAt& read, DecodedWav& out, std::string* error,
                    const WavPassing* passing) {
  const StoredSamples stored{layout.coding, layout.validBits};
  const std::uint32_t channels = layout.channels;
  const std::uint64_t bytesPerSample = codedSampleBytes(layout.coding);
  const std::uint64_t frameSize = bytesPerSample * channels;
  const auto frames = static_cast<std::size_t>(layout.frames);

  DecodedWav result;
  result.sampleRate = static_cast<double>(layout.rate);
  result.frames = static_cast<std::int32_t>(frames);
  result.audioOffset = layout.dataPos;
  result.channels = channels;
  result.coding = layout.coding;
  // Reserved, not filled: pages are taken as the decode reaches them.
  result.left.reserve(frames);
  if (channels > 1) result.right.reserve(frames);
  std::size_t takenTo = 0;  // the frames whose pages are taken
  const auto right = [&] { return channels > 1 ? std::span<const float>(result.right) : std::span<float>(); };
  result.givesBack = channels <= 2;
  std::size_t passed = 0;  // the frames passed on
  const auto unpass = [&] {
    if (passing != nullptr && passed > 0)
      codeFramesAgain(layout.coding, result.left, right(), layout.dataPos, passed, passing->putBack);
    passed = 0;
  };
  const std::size_t framesPerPiece = std::max<std::size_t>(1, kWavReadPiece / frameSize);
  std::vector<std::uint8_t> piece(framesPerPiece * frameSize);
  std::vector<float> mixed;  // a piece's samples, where more than two channels are mixed down
  double overPeak = 0.0;     // the largest magnitude past the limit, 0 when none was
  for (std::size_t f = 0; f < frames;) {
    const std::size_t n = std::min(framesPerPiece, frames - f);
    const std::uint64_t at = layout.dataPos + f * frameSize;
    if (!readInPieces(read, at, piece.data(), n * frameSize)) {
      unpass();
      if (error) *error = "the audio cannot be read";
      return false;
    }
    if (f + n > takenTo) {
      takenTo = std::min(frames, f + n + kPagesAheadBytes / sizeof(float));
      takePagesAhead(result.left.data() + f, (takenTo - f) * sizeof(float));
      if (channels > 1) takePagesAhead(result.right.data() + f, (takenTo - f) * sizeof(float));
    }
    result.left.resize(f + n);
    if (channels > 1) result.right.resize(f + n);
    const DecodedRun run = decodeMixedFrames(stored, piece.data(), n, channels, mixed, result.left.data() + f,
                                             channels > 1 ? result.right.data() + f : nullptr);
    if (run.pastLimit)
      overPeak = std::max(overPeak, magnitudePastLimit(layout.coding, piece.data(), n * channels));
    result.givesBack = result.givesBack && run.givesBack;
    result.peak = std::max(result.peak, run.peak);
    f += n;
    if (passing == nullptr) continue;
    if (result.givesBack && overPeak == 0.0) {
      passing->passed(at, n * frameSize);
      passed = f;
    } else {
      unpass();
    }
  }
  if (overPeak > 0.0) {
    unpass();
    if (error) *error = pastFullScale(overPeak);
    return false;
  }
  out = std::move(result);
  return true;
}

void codeFramesAgain(SampleCoding coding, std::span<const float> left, std::span<const float> right,
                     std::uint64_t at, std::uint64_t frames, const WavBytesAt& to) {
  const std::uint32_t channels = right.empty() ? 1 : 2;
  const std::uint64_t frameSize = std::uint64_t(codedSampleBytes(coding)) * channels;
  const std::size_t framesPerPiece = std::max<std::size_t>(1, kWavReadPiece / frameSize);
  std::vector<std::uint8_t> piece(framesPerPiece * frameSize);
  for (std::uint64_t f = 0; f < frames;) {
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(framesPerPiece, frames - f));
    encodeSamplesAs(coding, left, right, f * channels, n * channels, piece.data());
    to(at + f * frameSize, std::span<const std::uint8_t>(piece.data(), n * frameSize));
    f += n;
  }
}

bool decodeWav(const std::uint8_t* bytes, std::size_t count, DecodedWav& out, std::string* error) {
  const WavReadAt read = [bytes, count](std::uint64_t offset, std::uint8_t* to, std::size_t n) {
    if (offset > count || n > count - offset) return false;
    std::memcpy(to, bytes + offset, n);
    return true;
  };
  std::string why = kNotWave;
  const std::optional<WavLayout> layout = bytes != nullptr ? wavLayout(count, read, &why) : std::nullopt;
  if (!layout) {
    if (error) *error = std::move(why);
    return false;
  }
  return decodeWavAudio(*layout, read, out, error);
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
