#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

#include "document/little_endian.h"
#include "document/wav/sample_decoding.h"
#include "document/wav/sample_encoding.h"
#include "document/wav/wav.h"

namespace wav_codec_test {

using Bytes = std::vector<std::uint8_t>;

void putTag(Bytes& b, const char* t) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(t[i]));
}
void append(Bytes& b, const Bytes& more) {
  for (std::uint8_t x : more) b.push_back(x);
}

Bytes fmtChunk(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
               int subFormat = -1) {
  Bytes c;
  putTag(c, "fmt ");
  const bool ext = subFormat >= 0;
  ob::writeU32LE(c, ext ? 40 : 16);
  ob::writeU16LE(c, tag);
  ob::writeU16LE(c, channels);
  ob::writeU32LE(c, rate);
  ob::writeU32LE(c, rate * channels * (bits / 8));
  ob::writeU16LE(c, channels * (bits / 8));
  ob::writeU16LE(c, bits);
  if (ext) {
    ob::writeU16LE(c, 22);    // extension size
    ob::writeU16LE(c, bits);  // valid bits
    ob::writeU32LE(c, 0);     // channel mask
    ob::writeU16LE(c, static_cast<std::uint16_t>(subFormat));
    const std::uint8_t guidRest[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                       0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    for (std::uint8_t x : guidRest) c.push_back(x);
  }
  return c;
}

// A "fmt " chunk as the writers of odd depths make it: the block align
// given apart from the bits, and for an extensible one the container in
// the bits field and the depth in the valid bits.
struct Layout {
  std::uint16_t tag;
  std::uint16_t channels;
  std::uint16_t blockAlign;
  std::uint16_t bits;
  std::uint16_t validBits = 0;  // extensible only
  std::uint16_t subFormat = 1;  // extensible only
};

Bytes fmtOf(const Layout& l, std::uint32_t rate = 48000) {
  Bytes c;
  putTag(c, "fmt ");
  const bool ext = l.tag == 0xFFFE;
  ob::writeU32LE(c, ext ? 40 : 16);
  ob::writeU16LE(c, l.tag);
  ob::writeU16LE(c, l.channels);
  ob::writeU32LE(c, rate);
  ob::writeU32LE(c, rate * l.blockAlign);
  ob::writeU16LE(c, l.blockAlign);
  ob::writeU16LE(c, l.bits);
  if (ext) {
    ob::writeU16LE(c, 22);
    ob::writeU16LE(c, l.validBits);
    ob::writeU32LE(c, l.channels == 2 ? 3 : 4);  // front left and right, or centre
    ob::writeU16LE(c, l.subFormat);
    const std::uint8_t guidRest[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                       0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    c.insert(c.end(), guidRest, guidRest + 14);
  }
  return c;
}

// Integer samples of `depth` bits, left-justified in containers of `bytes`
// bytes as the format asks; `padding` fills the bits below the depth,
// which readers must ignore.
Bytes leftJustified(const std::vector<std::int32_t>& samples, int depth, int bytes,
                    std::uint32_t padding = 0) {
  Bytes d;
  const int shift = 8 * bytes - depth;
  for (std::int32_t v : samples) {
    const std::uint32_t below = shift > 0 ? padding & ((1u << shift) - 1u) : 0u;
    const std::uint32_t word = (static_cast<std::uint32_t>(v) << shift) | below;
    for (int i = 0; i < bytes; ++i) d.push_back(static_cast<std::uint8_t>(word >> (8 * i)));
  }
  return d;
}

// IEEE samples of T's width, little-endian.
template <typename T>
Bytes ieee(std::initializer_list<T> samples) {
  using Word = std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>;
  Bytes d;
  for (T v : samples) {
    Word u;
    std::memcpy(&u, &v, sizeof u);
    for (std::size_t i = 0; i < sizeof u; ++i) d.push_back(static_cast<std::uint8_t>(u >> (8 * i)));
  }
  return d;
}

Bytes dataChunk(const Bytes& data) {
  Bytes c;
  putTag(c, "data");
  ob::writeU32LE(c, static_cast<std::uint32_t>(data.size()));
  append(c, data);
  if (data.size() & 1) c.push_back(0);
  return c;
}

Bytes riff(std::initializer_list<Bytes> chunks) {
  Bytes body;
  for (const Bytes& c : chunks) append(body, c);
  Bytes b;
  putTag(b, "RIFF");
  ob::writeU32LE(b, static_cast<std::uint32_t>(4 + body.size()));
  putTag(b, "WAVE");
  append(b, body);
  return b;
}

Bytes pcm16(std::initializer_list<int> samples) {
  Bytes d;
  for (int s : samples) ob::writeU16LE(d, static_cast<std::uint16_t>(s));
  return d;
}

std::string failure(const Bytes& b) {
  ob::DecodedWav out;
  out.frames = 77;
  std::string error;
  EXPECT_FALSE(ob::decodeWav(b.data(), b.size(), out, &error));
  EXPECT_EQ(out.frames, 77);  // left as it was
  return error;
}

ob::DecodedWav decoded(const Bytes& b) {
  ob::DecodedWav out;
  std::string error;
  EXPECT_TRUE(ob::decodeWav(b.data(), b.size(), out, &error)) << error;
  return out;
}

TEST(WavDecode, EveryFormatDecodesToTheRightValues) {
  {  // 8-bit unsigned
    ob::DecodedWav w = decoded(riff({fmtChunk(1, 1, 8000, 8), dataChunk({0x80, 0x00, 0xFF, 0xC0})}));
    ASSERT_EQ(w.frames, 4);
    EXPECT_EQ(w.left[0], 0.0f);
    EXPECT_EQ(w.left[1], -1.0f);
    EXPECT_EQ(w.left[2], 127.0f / 128.0f);
    EXPECT_EQ(w.left[3], 0.5f);
    EXPECT_TRUE(w.right.empty());
    EXPECT_EQ(w.sampleRate, 8000.0);
  }
  {  // 16-bit
    ob::DecodedWav w =
        decoded(riff({fmtChunk(1, 1, 44100, 16), dataChunk(pcm16({-32768, 16384, 32767, 0}))}));
    ASSERT_EQ(w.frames, 4);
    EXPECT_EQ(w.left[0], -1.0f);
    EXPECT_EQ(w.left[1], 0.5f);
    EXPECT_EQ(w.left[2], 32767.0f / 32768.0f);
    EXPECT_EQ(w.left[3], 0.0f);
  }
  {  // 24-bit, sign-extended
    Bytes d = {0x00, 0x00, 0x80, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x40};
    ob::DecodedWav w = decoded(riff({fmtChunk(1, 1, 48000, 24), dataChunk(d)}));
    ASSERT_EQ(w.frames, 3);
    EXPECT_EQ(w.left[0], -1.0f);
    EXPECT_EQ(w.left[1], -1.0f / 8388608.0f);
    EXPECT_EQ(w.left[2], 0.5f);
  }
  {  // 32-bit PCM
    Bytes d;
    ob::writeU32LE(d, 0x80000000u);
    ob::writeU32LE(d, 0x40000000u);
    ob::DecodedWav w = decoded(riff({fmtChunk(1, 1, 48000, 32), dataChunk(d)}));
    ASSERT_EQ(w.frames, 2);
    EXPECT_EQ(w.left[0], -1.0f);
    EXPECT_EQ(w.left[1], 0.5f);
  }
  {  // 32-bit float, stereo
    Bytes d;
    const float vals[] = {0.25f, -0.75f, 1.5f, -2.0f};
    for (float f : vals) {
      std::uint32_t u;
      std::memcpy(&u, &f, 4);
      ob::writeU32LE(d, u);
    }
    ob::DecodedWav w = decoded(riff({fmtChunk(3, 2, 96000, 32), dataChunk(d)}));
    ASSERT_EQ(w.frames, 2);
    EXPECT_EQ(w.left[0], 0.25f);
    EXPECT_EQ(w.right[0], -0.75f);
    EXPECT_EQ(w.left[1], 1.5f);
    EXPECT_EQ(w.right[1], -2.0f);
  }
  {  // 64-bit float, narrowed
    Bytes d;
    const double vals[] = {0.125, -0.3};
    for (double v : vals) {
      std::uint64_t u;
      std::memcpy(&u, &v, 8);
      ob::writeU32LE(d, static_cast<std::uint32_t>(u));
      ob::writeU32LE(d, static_cast<std::uint32_t>(u >> 32));
    }
    ob::DecodedWav w = decoded(riff({fmtChunk(3, 1, 22050, 64), dataChunk(d)}));
    ASSERT_EQ(w.frames, 2);
    EXPECT_EQ(w.left[0], 0.125f);
    EXPECT_EQ(w.left[1], static_cast<float>(-0.3));
  }
}

TEST(WavDecode, ExtensibleSubFormatPicksFloatOrPcm) {
  Bytes d;
  ob::writeU32LE(d, 0x3F000000u);  // 0.5f as float, 0x3F000000 as int
  ob::DecodedWav asFloat = decoded(riff({fmtChunk(0xFFFE, 1, 48000, 32, 3), dataChunk(d)}));
  EXPECT_EQ(asFloat.left[0], 0.5f);
  ob::DecodedWav asPcm = decoded(riff({fmtChunk(0xFFFE, 1, 48000, 32, 1), dataChunk(d)}));
  EXPECT_EQ(asPcm.left[0], static_cast<float>(0x3F000000) / 2147483648.0f);
  // An extensible chunk too short to hold the sub-format is read as PCM.
  Bytes shortFmt = fmtChunk(0xFFFE, 1, 48000, 32);
  ob::DecodedWav plain = decoded(riff({shortFmt, dataChunk(d)}));
  EXPECT_EQ(plain.left[0], asPcm.left[0]);
}

TEST(WavDecode, ChannelMixdown) {
  // Four channels: left = (c0 + c2) / 2, right = (c1 + c3) / 2.
  ob::DecodedWav four =
      decoded(riff({fmtChunk(1, 4, 44100, 16), dataChunk(pcm16({8192, 16384, 16384, -16384}))}));
  ASSERT_EQ(four.frames, 1);
  EXPECT_EQ(four.left[0], 0.375f);
  EXPECT_EQ(four.right[0], 0.0f);
  EXPECT_EQ(four.peak, 0.375f);  // of the mix, not of the channels mixed
  // Three channels: left = (c0 + c2) / 2, right = c1.
  ob::DecodedWav three =
      decoded(riff({fmtChunk(1, 3, 44100, 16), dataChunk(pcm16({8192, -8192, 24576, 0, 0, 0}))}));
  ASSERT_EQ(three.frames, 2);
  EXPECT_EQ(three.left[0], 0.5f);
  EXPECT_EQ(three.right[0], -0.25f);
  ASSERT_EQ(three.right.size(), 2u);
}

TEST(WavDecode, ChunkWalk) {
  // Empty data chunk in a 44-byte file.
  Bytes minimal = riff({fmtChunk(1, 1, 44100, 16), dataChunk({})});
  ASSERT_EQ(minimal.size(), 44u);
  ob::DecodedWav w = decoded(minimal);
  EXPECT_EQ(w.frames, 0);
  EXPECT_TRUE(w.left.empty());
  // Data before fmt.
  Bytes data = pcm16({16384, -16384});
  ob::DecodedWav reversed = decoded(riff({dataChunk(data), fmtChunk(1, 1, 44100, 16)}));
  ob::DecodedWav usual = decoded(riff({fmtChunk(1, 1, 44100, 16), dataChunk(data)}));
  EXPECT_EQ(reversed.left, usual.left);
  // An odd-sized chunk is followed by a pad byte.
  Bytes odd;
  putTag(odd, "LIST");
  ob::writeU32LE(odd, 3);
  append(odd, {'a', 'b', 'c', 0});
  ob::DecodedWav padded = decoded(riff({fmtChunk(1, 1, 44100, 16), odd, dataChunk(data)}));
  EXPECT_EQ(padded.left, usual.left);
  // An odd-sized 8-bit data chunk.
  ob::DecodedWav odd8 = decoded(riff({fmtChunk(1, 1, 44100, 8), dataChunk({0x80, 0xC0, 0x40})}));
  EXPECT_EQ(odd8.frames, 3);
  // A later chunk of the same kind counts.
  ob::DecodedWav twice =
      decoded(riff({fmtChunk(1, 1, 8000, 16), fmtChunk(1, 1, 44100, 8), dataChunk({0x00, 0x80})}));
  EXPECT_EQ(twice.sampleRate, 44100.0);
  EXPECT_EQ(twice.frames, 2);
  // A trailing partial frame is ignored.
  ob::DecodedWav partial = decoded(riff({fmtChunk(1, 2, 8000, 16), dataChunk({0, 0, 0, 0, 1, 2})}));
  EXPECT_EQ(partial.frames, 1);
}

TEST(WavDecode, HostileInputIsRefused) {
  Bytes good = riff({fmtChunk(1, 1, 44100, 16), dataChunk(pcm16({1, 2, 3, 4}))});
  EXPECT_EQ(failure({}), "not a RIFF/WAVE file");
  EXPECT_EQ(failure(Bytes(good.begin(), good.begin() + 43)), "not a RIFF/WAVE file");
  Bytes noRiff = good;
  noRiff[0] = 'X';
  EXPECT_EQ(failure(noRiff), "not a RIFF/WAVE file");
  Bytes noWave = good;
  noWave[8] = 'X';
  EXPECT_EQ(failure(noWave), "not a RIFF/WAVE file");

  const std::string bad = "missing/invalid fmt or data chunk";
  // Truncated: the data chunk runs past the end.
  EXPECT_EQ(failure(Bytes(good.begin(), good.end() - 1)), bad);
  // No fmt, no data, no channels, too few bits, rate 0.
  EXPECT_EQ(failure(riff({dataChunk(Bytes(40, 0))})), bad);
  EXPECT_EQ(failure(riff({fmtChunk(1, 1, 44100, 16), fmtChunk(1, 1, 44100, 16)})), bad);
  EXPECT_EQ(failure(riff({fmtChunk(1, 0, 44100, 16), dataChunk(pcm16({1, 2}))})), bad);
  EXPECT_EQ(failure(riff({fmtChunk(1, 1, 44100, 4), dataChunk(pcm16({1, 2}))})), bad);
  EXPECT_EQ(failure(riff({fmtChunk(1, 1, 0, 16), dataChunk(pcm16({1, 2}))})), bad);
  // A fmt chunk too short for its fields is not read.
  Bytes shortFmt;
  putTag(shortFmt, "fmt ");
  ob::writeU32LE(shortFmt, 6);
  append(shortFmt, {1, 0, 1, 0, 0x44, 0xAC});
  EXPECT_EQ(failure(riff({shortFmt, dataChunk(pcm16({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}))})), bad);
  // Chunk sizes near 4 GiB do not wrap the walk.
  Bytes huge = riff({fmtChunk(1, 1, 44100, 16), dataChunk(pcm16({1, 2, 3, 4}))});
  Bytes hugeChunk;
  putTag(hugeChunk, "junk");
  ob::writeU32LE(hugeChunk, 0xFFFFFFF8u);
  Bytes hostile = riff({fmtChunk(1, 1, 44100, 16), hugeChunk, dataChunk(pcm16({1, 2}))});
  EXPECT_EQ(failure(hostile), bad);
  Bytes hugeData = good;
  const std::size_t sizeAt = hugeData.size() - 8 - 4;
  hugeData[sizeAt] = 0xFF;
  hugeData[sizeAt + 1] = 0xFF;
  hugeData[sizeAt + 2] = 0xFF;
  hugeData[sizeAt + 3] = 0xFF;
  EXPECT_EQ(failure(hugeData), bad);
  // Without an error text the call still fails cleanly.
  ob::DecodedWav out;
  EXPECT_FALSE(ob::decodeWav(noRiff.data(), noRiff.size(), out));
  EXPECT_FALSE(ob::decodeWav(nullptr, 0, out));
  (void)huge;
}

// The depths recorders and converters write in larger containers: each is
// read by its container, the padding bits below its depth ignored, and
// comes back at its own scale, mono and stereo, plain and extensible.
TEST(WavDecode, PcmIsReadByItsContainerWithItsValidBits) {
  struct Case {
    const char* name;
    Layout layout;
    int depth;
    int bytes;
  };
  const Case cases[] = {
      {"12 bits in 16, mono", {1, 1, 2, 12}, 12, 2},
      {"12 bits in 16, stereo", {1, 2, 4, 12}, 12, 2},
      {"20 bits in 24, mono", {1, 1, 3, 20}, 20, 3},
      {"20 bits in 24, stereo", {1, 2, 6, 20}, 20, 3},
      {"extensible 20 bits in 24, stereo", {0xFFFE, 2, 6, 24, 20}, 20, 3},
      {"extensible 12 bits in 16", {0xFFFE, 1, 2, 16, 12}, 12, 2},
      {"extensible 24 bits in 32, stereo", {0xFFFE, 2, 8, 32, 24}, 24, 4},
      {"extensible without valid bits", {0xFFFE, 1, 3, 24, 0}, 24, 3},
      {"24 bits in 32", {1, 1, 4, 24}, 24, 4},
      {"16 bits in 8 bytes of stereo", {1, 2, 8, 16}, 16, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::int32_t full = 1 << (c.depth - 1);
    // Full scale both ways, a half, the smallest step and silence, in runs
    // that end part way through any group of samples a decoder takes at once.
    const std::vector<std::int32_t> values = {-full, full - 1,  full / 2, -1,       0,
                                              1,     -full / 2, 0,        full - 1, -1};
    const Bytes bytes =
        riff({fmtOf(c.layout), dataChunk(leftJustified(values, c.depth, c.bytes, 0xFFFFFFFFu))});
    ob::DecodedWav w = decoded(bytes);
    const std::size_t channels = c.layout.channels;
    ASSERT_EQ(static_cast<std::size_t>(w.frames), values.size() / channels);
    for (std::size_t i = 0; i < values.size(); ++i) {
      const std::vector<float>& side = channels == 2 && i % 2 == 1 ? w.right : w.left;
      EXPECT_EQ(side[i / channels], static_cast<float>(values[i]) / static_cast<float>(full))
          << "sample " << i;
    }
    EXPECT_EQ(w.right.empty(), channels == 1);
  }
}

// Whatever cannot be decoded is refused with a reason, never read as
// silence or as noise.
TEST(WavDecode, WhatCannotBeDecodedIsRefusedWithAReason) {
  struct Case {
    Layout layout;
    const char* message;
  };
  const Case cases[] = {
      {{1, 2, 2, 16}, "block align 2 does not hold 2 channels of 16 bits"},
      {{1, 2, 3, 8}, "block align 3 does not hold 2 channels of 8 bits"},
      {{1, 1, 2, 20}, "block align 2 does not hold 1 channel of 20 bits"},
      {{0xFFFE, 1, 2, 16, 20}, "block align 2 does not hold 1 channel of 20 bits"},
      {{1, 1, 8, 64}, "PCM samples of 64 bits are not read (8 to 32)"},
      {{1, 1, 6, 48}, "PCM samples of 48 bits are not read (8 to 32)"},
      {{3, 1, 2, 16}, "float samples of 16 bits are not read (32 or 64)"},
      {{3, 1, 3, 24}, "float samples of 24 bits are not read (32 or 64)"},
      {{0xFFFE, 1, 4, 32, 24, 3}, "float samples of 24 bits are not read (32 or 64)"},
      {{7, 1, 1, 8}, "not PCM or float audio (WAV format 0x0007)"},     // mu-law
      {{6, 2, 2, 8}, "not PCM or float audio (WAV format 0x0006)"},     // A-law
      {{2, 1, 256, 4}, "not PCM or float audio (WAV format 0x0002)"},   // ADPCM
      {{0x55, 2, 1, 0}, "not PCM or float audio (WAV format 0x0055)"},  // MPEG layer 3
      {{0xFFFE, 2, 4, 16, 16, 2}, "not PCM or float audio (WAV format 0x0002)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    EXPECT_EQ(failure(riff({fmtOf(c.layout), dataChunk(Bytes(48, 0x55))})), c.message);
  }
}

// Float files a little over full scale play as they are; samples far past
// it (a damaged render, integers stored as floats) refuse the file, which
// says how far; a sample that is no number is silence.
TEST(WavDecode, FloatSamplesFarPastFullScaleAreRefused) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  ob::DecodedWav hot =
      decoded(riff({fmtChunk(3, 2, 48000, 32), dataChunk(ieee<float>({1.5f, -2.0f, 16.0f, -16.0f}))}));
  EXPECT_EQ(hot.left, (std::vector<float>{1.5f, 16.0f}));
  EXPECT_EQ(hot.right, (std::vector<float>{-2.0f, -16.0f}));
  ob::DecodedWav holes =
      decoded(riff({fmtChunk(3, 1, 48000, 32), dataChunk(ieee<float>({nan, 0.5f, -nan}))}));
  EXPECT_EQ(holes.left, (std::vector<float>{0.0f, 0.5f, 0.0f}));
  ob::DecodedWav hot64 = decoded(riff({fmtChunk(3, 1, 48000, 64), dataChunk(ieee<double>({-16.0, 3.25}))}));
  EXPECT_EQ(hot64.left, (std::vector<float>{-16.0f, 3.25f}));

  const std::string limit = "at most +24.1 dBFS is read)";
  EXPECT_EQ(
      failure(riff({fmtChunk(3, 1, 48000, 32), dataChunk(ieee<float>({nan, inf, 1e38f, -1e38f, 0.5f}))})),
      "float samples far past full scale (infinite; " + limit);
  EXPECT_EQ(failure(riff({fmtChunk(3, 2, 48000, 32), dataChunk(ieee<float>({0.5f, 0.5f, 0.25f, -1e38f}))})),
            "float samples far past full scale (+760.0 dBFS; " + limit);
  EXPECT_EQ(failure(riff({fmtChunk(3, 1, 48000, 32), dataChunk(ieee<float>({0.0f, 32767.0f}))})),
            "float samples far past full scale (+90.3 dBFS; " + limit);
  EXPECT_EQ(failure(riff({fmtChunk(0xFFFE, 1, 48000, 32, 3), dataChunk(ieee<float>({16.5f}))})),
            "float samples far past full scale (+24.3 dBFS; " + limit);
  EXPECT_EQ(failure(riff({fmtChunk(3, 1, 48000, 64), dataChunk(ieee<double>({0.5, 1e300}))})),
            "float samples far past full scale (+6000.0 dBFS; " + limit);
  EXPECT_EQ(failure(riff({fmtChunk(3, 1, 48000, 64), dataChunk(ieee<double>({-1e39}))})),
            "float samples far past full scale (+780.0 dBFS; " + limit);
  // Four channels are mixed down only once every channel is read.
  EXPECT_EQ(failure(riff({fmtChunk(3, 4, 48000, 32), dataChunk(ieee<float>({0.5f, 0.5f, 0.5f, -inf}))})),
            "float samples far past full scale (infinite; " + limit);
  // Just past the limit, the level and the limit never read the same.
  EXPECT_EQ(failure(riff({fmtChunk(3, 1, 48000, 32), dataChunk(ieee<float>({16.0001f}))})),
            "float samples far past full scale (+24.0825 dBFS; at most +24.0824 dBFS is read)");
  EXPECT_EQ(
      failure(riff({fmtChunk(3, 1, 48000, 32), dataChunk(ieee<float>({std::nextafter(16.0f, 17.0f)}))})),
      "float samples far past full scale (+24.082401 dBFS; at most +24.082400 dBFS is read)");
  EXPECT_EQ(failure(riff({fmtChunk(3, 1, 48000, 64), dataChunk(ieee<double>({std::nextafter(16.0, 17.0)}))})),
            "float samples far past full scale (+24.082399654 dBFS; at most +24.082399653 dBFS is read)");
}

TEST(WavEncode, HeaderLayout) {
  Bytes empty = ob::encodeWav(nullptr, nullptr, 0, 44100.0);
  ASSERT_EQ(empty.size(), 44u);
  Bytes expected;
  putTag(expected, "RIFF");
  ob::writeU32LE(expected, 36);
  putTag(expected, "WAVE");
  putTag(expected, "fmt ");
  ob::writeU32LE(expected, 16);
  ob::writeU16LE(expected, 3);
  ob::writeU16LE(expected, 1);
  ob::writeU32LE(expected, 44100);
  ob::writeU32LE(expected, 44100 * 4);
  ob::writeU16LE(expected, 4);
  ob::writeU16LE(expected, 32);
  putTag(expected, "data");
  ob::writeU32LE(expected, 0);
  EXPECT_EQ(empty, expected);
  EXPECT_EQ(ob::encodeWav(nullptr, nullptr, -5, 44100.0).size(), 44u);

  const float l[3] = {0.1f, 0.2f, 0.3f}, r[3] = {-0.1f, -0.2f, -0.3f};
  Bytes st = ob::encodeWav(l, r, 3, 47999.5);
  ASSERT_EQ(st.size(), 44u + 24u);
  auto u32 = [&](std::size_t at) {
    return static_cast<std::uint32_t>(st[at] | st[at + 1] << 8 | st[at + 2] << 16 |
                                      static_cast<std::uint32_t>(st[at + 3]) << 24);
  };
  EXPECT_EQ(u32(4), 36u + 24u);
  EXPECT_EQ(st[22], 2);
  EXPECT_EQ(u32(24), 48000u);  // rounded up from one half
  EXPECT_EQ(u32(28), 48000u * 8);
  EXPECT_EQ(st[32], 8);
  EXPECT_EQ(u32(40), 24u);
  EXPECT_EQ(st[34], 32);  // bits a sample, not a frame
  Bytes down = ob::encodeWav(l, nullptr, 3, 44099.4);
  EXPECT_EQ(down[24] | down[25] << 8 | down[26] << 16, 44099);
  // Nonsense rates never produce undefined conversions.
  EXPECT_EQ(ob::encodeWav(l, nullptr, 1, -100.0)[24], 0);
  EXPECT_EQ(ob::encodeWav(l, nullptr, 1, std::nan(""))[24], 0);
  Bytes big = ob::encodeWav(l, nullptr, 1, 1e12);
  EXPECT_EQ(big[24] & big[25] & big[26] & big[27], 0xFF);
}

// A stream of pieces, its header written for the final count, is the file
// encodeWav writes at once; a count past the 32-bit sizes is cut to fit.
TEST(WavEncode, StreamedPiecesMakeTheSameFile) {
  std::vector<float> l(700), r(700);
  for (int i = 0; i < 700; ++i) {
    l[i] = std::sin(i * 0.05f);
    r[i] = -0.5f * l[i];
  }
  const float* rights[] = {r.data(), nullptr};
  for (const float* right : rights) {
    const std::uint32_t channels = right ? 2 : 1;
    Bytes stream = ob::encodeWavHeader(channels, 700, 48000.0);
    for (int at = 0; at < 700; at += 256) {
      const int n = std::min(256, 700 - at);
      ob::appendWavFrames(stream, l.data() + at, right ? right + at : nullptr, static_cast<std::uint64_t>(n));
    }
    EXPECT_EQ(stream, ob::encodeWav(l.data(), right, 700, 48000.0)) << channels;
    const Bytes huge = ob::encodeWavHeader(channels, 1ull << 40, 48000.0);
    const std::uint64_t dataSize =
        huge[40] | huge[41] << 8 | huge[42] << 16 | static_cast<std::uint64_t>(huge[43]) << 24;
    EXPECT_EQ(dataSize, ob::maxWavFrames(channels) * 4 * channels);
    EXPECT_LE(dataSize + 36, 0xFFFFFFFFull);
  }
}

TEST(WavEncode, EncodeThenDecodeIsExact) {
  std::vector<float> l(1000), r(1000);
  for (int i = 0; i < 1000; ++i) {
    l[i] = std::sin(i * 0.01f) * 0.9f;
    r[i] = i % 7 == 0 ? -0.0f : std::cos(i * 0.37f) * 1.7f;  // beyond full scale too
  }
  r[5] = 1e-40f;  // subnormal survives bit for bit
  Bytes st = ob::encodeWav(l.data(), r.data(), 1000, 48000.0);
  ob::DecodedWav w = decoded(st);
  ASSERT_EQ(w.frames, 1000);
  EXPECT_EQ(w.sampleRate, 48000.0);
  ASSERT_EQ(w.right.size(), 1000u);
  EXPECT_EQ(std::memcmp(w.left.data(), l.data(), 4000), 0);
  EXPECT_EQ(std::memcmp(w.right.data(), r.data(), 4000), 0);

  Bytes mono = ob::encodeWav(l.data(), nullptr, 1000, 22050.0);
  ob::DecodedWav m = decoded(mono);
  EXPECT_TRUE(m.right.empty());
  EXPECT_EQ(std::memcmp(m.left.data(), l.data(), 4000), 0);
  EXPECT_EQ(m.sampleRate, 22050.0);
}

// The loops built for the CPU's widest vectors give what the portable ones
// give, bit for bit: random samples of every coding, floats past the limit,
// no numbers and set padding among them, decoded in runs of every length,
// mono and stereo, and coded again from any first sample.
TEST(WavCodec, TheWidestLoopsAgreeWithThePortableOnes) {
  using ob::SampleCoding;
  std::mt19937 random(2027);
  const SampleCoding codings[] = {SampleCoding::Pcm8,  SampleCoding::Pcm16,   SampleCoding::Pcm24,
                                  SampleCoding::Pcm32, SampleCoding::Float32, SampleCoding::Float64};
  std::uniform_real_distribution<float> level(-20.0f, 20.0f);
  for (int round = 0; round < 4000; ++round) {
    const SampleCoding coding = codings[round % 6];
    const std::size_t channels = 1 + (round / 6) % 2;
    const std::size_t frames = random() % 80;
    const std::uint32_t bytes = ob::codedSampleBytes(coding);
    const bool isFloat = coding == SampleCoding::Float32 || coding == SampleCoding::Float64;
    const ob::StoredSamples stored{coding, isFloat ? 8 * bytes : 1 + std::uint32_t(random() % (8 * bytes))};
    SCOPED_TRACE(testing::Message() << "round " << round << ", " << frames << " frames");
    Bytes file(frames * channels * bytes);
    for (std::uint8_t& b : file) b = static_cast<std::uint8_t>(random());
    for (std::size_t at = 0; isFloat && at < file.size(); at += bytes) {
      if (random() % 2 == 0) continue;
      const float x = level(random);
      if (bytes == 4) std::memcpy(&file[at], &x, 4);
      const double wide = random() % 2 == 0 ? double(x) : double(x) / 3.0;
      if (bytes == 8) std::memcpy(&file[at], &wide, 8);
    }
    std::vector<float> audio[2][2];  // widest and portable, left and right
    for (auto& sides : audio)
      for (auto& side : sides) side.assign(frames, 0.0f);
    const auto decode = [&](auto decoder, std::vector<float>* sides) {
      return decoder(stored, file.data(), frames, sides[0].data(), channels == 2 ? sides[1].data() : nullptr);
    };
    const ob::DecodedRun wide = decode(ob::decodeFrames, audio[0]);
    const ob::DecodedRun portable = decode(ob::portableDecodeFrames, audio[1]);
    EXPECT_EQ(wide.pastLimit, portable.pastLimit);
    EXPECT_EQ(wide.givesBack, portable.givesBack);
    EXPECT_EQ(wide.peak, portable.peak);
    for (int side = 0; side < 2; ++side)
      EXPECT_EQ(std::memcmp(audio[0][side].data(), audio[1][side].data(), frames * sizeof(float)), 0);

    // Any floats at all: the decoded ones, or random bits.
    if (round % 3 == 0)
      for (auto& side : audio[0])
        for (float& x : side) x = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
    const std::span<const float> right =
        channels == 2 ? std::span<const float>(audio[0][1]) : std::span<float>();
    const std::uint64_t samples = frames * channels;
    const std::uint64_t first = random() % (samples + 1);
    const std::size_t count = random() % (samples - first + 1);
    Bytes coded[2] = {Bytes(count * bytes), Bytes(count * bytes)};
    ob::encodeSamplesAs(coding, audio[0][0], right, first, count, coded[0].data());
    ob::portableEncodeSamplesAs(coding, audio[0][0], right, first, count, coded[1].data());
    EXPECT_EQ(coded[0], coded[1]);
  }
}

}  // namespace wav_codec_test
