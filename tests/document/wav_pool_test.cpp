// WAV files into the sample pool: decoded audio and the file's bytes reach
// the slot, and a file that does not decode leaves the pool as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <span>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "document/wav/wav.h"
#include "document/wav/wav_header.h"
#include "document/wav/wav_pool.h"
#include "engine/pool/sample_pool.h"
#include "project_rig.h"
#include "support/document/scoped_temporary_folders.h"
#include "support/scoped_env.h"

namespace wav_pool_test {

using Bytes = std::vector<std::uint8_t>;

template <typename T>
std::vector<std::remove_const_t<T>> listOf(std::span<T> view) {
  return {view.begin(), view.end()};
}

Bytes wavOf(std::vector<float> left, std::vector<float> right = {}, double rate = 48000.0) {
  return ob::encodeWav(left.data(), right.empty() ? nullptr : right.data(),
                       static_cast<std::int32_t>(left.size()), rate);
}

// Whether the file a save writes for the audio is `file`, asked for in
// pieces of `piece` bytes, cut anywhere in a sample or a frame.
bool comesBackInPieces(const Bytes& file, const ob::SampleData& audio, std::size_t piece) {
  Bytes back(file.size());
  for (std::size_t at = 0; at < file.size(); at += piece)
    if (!ob::sampleFileBytes(audio, at, std::span(back).subspan(at, std::min(piece, file.size() - at))))
      return false;
  return back == file;
}

TEST(WavPool, LoadWavAppendsTheDecodedAudioAndKeepsItsFile) {
  ob::SamplePool pool;
  const Bytes bytes = wavOf({0.0f, 0.5f, -0.75f, 0.25f}, {0.1f, 0.2f, 0.3f, -0.9f}, 22050.0);
  std::string error;
  EXPECT_EQ(ob::loadWav(pool, bytes, &error), 0);
  EXPECT_EQ(ob::loadWav(pool, wavOf({0.0f, 0.0f}), &error), 1);
  ASSERT_EQ(pool.slotCount(), 2);
  const ob::SamplePoolSlot& s = *pool.slots[0];
  EXPECT_EQ(listOf(s.left), (std::vector<float>{0.0f, 0.5f, -0.75f, 0.25f}));
  EXPECT_EQ(listOf(s.right), (std::vector<float>{0.1f, 0.2f, 0.3f, -0.9f}));
  EXPECT_EQ(s.frames, 4);
  EXPECT_DOUBLE_EQ(s.sampleRate, 22050.0);
  EXPECT_FLOAT_EQ(s.peak, 0.9f);
  EXPECT_TRUE(ob::isFileOf(bytes, *s.data));
  EXPECT_TRUE(pool.slots[1]->right.empty());

  // A file that its audio gives back byte for byte, whatever its encoding
  // and whatever chunks lie around the audio, is not held beside it; any
  // other is copied aside into a private file, or held in memory when no
  // temporary folder takes one, since nothing else could bring it back.
  // Either way the file comes back exactly, and its size is what a save
  // writes.
  Bytes notANumber = bytes;  // decodes as silence there
  for (int i = 0; i < 4; ++i) notANumber[ob::kWavHeaderBytes + i] = i == 3 ? 0x7F : 0xFF;
  Bytes zeroPadded = obtest::noiseBytes(400, 4);  // 24 valid bits in each 32
  for (std::size_t i = 0; i < zeroPadded.size(); i += 4) zeroPadded[i] = 0;
  const std::vector<double> floats = {0.5, -0.25, 0.125, -1.0, 0.0};
  using obtest::fmtOf;
  using obtest::noiseBytes;
  using obtest::riffOf;
  const struct {
    const char* name;
    Bytes file;
    bool held;
  } files[] = {
      {"its own float form", bytes, false},
      {"8-bit mono, its odd audio chunk padded",
       riffOf({{"fmt ", fmtOf(1, 1, 1)}, {"data", noiseBytes(301, 1)}}), false},
      {"16-bit stereo, an odd chunk after the audio",
       riffOf({{"fmt ", fmtOf(1, 2, 2)}, {"data", noiseBytes(400, 2)}, {"LIST", noiseBytes(5, 3)}}), false},
      {"24-bit stereo, a chunk before it and a partial frame after",
       riffOf({{"junk", noiseBytes(10, 5)}, {"fmt ", fmtOf(1, 2, 3)}, {"data", noiseBytes(6 * 50 + 4, 6)}}),
       false},
      {"24-bit mono", riffOf({{"fmt ", fmtOf(1, 1, 3)}, {"data", noiseBytes(3 * 41, 9)}}), false},
      {"extensible, 24 bits in 32", riffOf({{"fmt ", fmtOf(0xFFFE, 1, 4, 24)}, {"data", zeroPadded}}), false},
      {"64-bit floats that 32 bits hold",
       riffOf({{"fmt ", fmtOf(3, 1, 8)}, {"data", obtest::doubleBytes(floats)}}), false},
      {"64-bit floats finer than 32 bits",
       riffOf({{"fmt ", fmtOf(3, 1, 8)}, {"data", obtest::doubleBytes({0.1, 1.0 / 3.0})}}), true},
      {"20 bits in 24, the bits below them set",
       riffOf({{"fmt ", fmtOf(0xFFFE, 2, 3, 20)}, {"data", noiseBytes(60, 7)}}), true},
      {"three channels mixed down", riffOf({{"fmt ", fmtOf(1, 3, 2)}, {"data", noiseBytes(60, 8)}}), true},
      {"a sample that is no number", notANumber, true}};
  obtest::TempDir dir;
  ob::test::ScopedEnv tmpdir("TMPDIR", dir.path().string());
  const ob::test::WithoutSystemTemporaryFolders onlyTmpdir;
  for (const bool aside : {true, false}) {
    SCOPED_TRACE(aside ? "with a temporary folder" : "without one");
    if (!aside) tmpdir.set((dir / "missing").string());
    for (const auto& f : files) {
      SCOPED_TRACE(f.name);
      const ob::PoolDecode decoded = ob::decodeForPool(pool, 2, f.file);
      ASSERT_TRUE(decoded.audio) << decoded.error;
      EXPECT_EQ(std::holds_alternative<ob::HeldSampleFile>(decoded.audio->file), f.held && !aside);
      EXPECT_EQ(std::holds_alternative<ob::ReadAgainFile>(decoded.audio->file), f.held && aside);
      EXPECT_EQ(decoded.audio->savedFileBytes(), f.file.size());
      float largest = 0.0f;  // measured as it was decoded, mixed down or not
      for (const std::vector<float>* side : {&decoded.audio->left, &decoded.audio->right})
        for (const float x : *side) largest = std::max(largest, std::fabs(x));
      EXPECT_EQ(decoded.audio->peak, largest);
      for (const std::size_t piece : {1, 5, 7, 4099})
        EXPECT_TRUE(comesBackInPieces(f.file, *decoded.audio, piece));
      for (const auto& other : files)
        EXPECT_EQ(ob::isFileOf(other.file, *decoded.audio), &other == &f) << other.name;
    }
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "no name is left behind";
}

TEST(WavPool, DecodeFailuresLeaveThePoolUnchanged) {
  ob::SamplePool pool;
  ASSERT_EQ(ob::loadWav(pool, wavOf({0.5f, 0.5f})), 0);
  std::string error;
  EXPECT_EQ(ob::loadWav(pool, {1, 2, 3}, &error), -1);
  EXPECT_EQ(error, "not a RIFF/WAVE file");
  // A rate of 0 could never be played back: refused.
  EXPECT_EQ(ob::loadWav(pool, wavOf({0.5f}, {}, 0.0)), -1);
  EXPECT_EQ(ob::replaceSlotWav(pool, 0, {'R', 'I', 'F', 'F'}, &error), -1);
  EXPECT_EQ(ob::replaceSlotWav(pool, 5, {}, &error), -1);
  EXPECT_FALSE(ob::decodeForPool(pool, 0, Bytes{9, 9}).audio);
  EXPECT_FALSE(pool.hasDisplaced());
  EXPECT_EQ(pool.slotCount(), 1);
  EXPECT_FLOAT_EQ(pool.slots[0]->left[0], 0.5f);
}

TEST(WavPool, ReplaceSlotRefusesABadIndexBeforeDecoding) {
  ob::SamplePool pool;
  for (const std::uint32_t index : {64u, 70u, std::numeric_limits<std::uint32_t>::max()}) {
    SCOPED_TRACE(index);
    std::string error;
    EXPECT_EQ(ob::replaceSlotWav(pool, index, wavOf({0.5f}), &error), -1);
    EXPECT_FALSE(error.empty());
    std::string garbageError;
    EXPECT_EQ(ob::replaceSlotWav(pool, index, {1, 2, 3}, &garbageError), -1);
    EXPECT_EQ(garbageError, error);
  }
  EXPECT_EQ(pool.slotCount(), 0);
  EXPECT_EQ(ob::replaceSlotWav(pool, 3, wavOf({0.25f, -0.5f})), 3);
  ASSERT_EQ(pool.slotCount(), 4);
  EXPECT_FLOAT_EQ(pool.slots[3]->peak, 0.5f);
}

TEST(WavPool, DecodedAudioGoesInKeepingSlicesAndAFailureChangesNothing) {
  ob::SamplePool pool;
  EXPECT_TRUE(pool.replaceAudio(4, ob::decodeForPool(pool, 4, wavOf({0.3f, 0.3f})).audio));
  pool.slots[4]->slices = {0.1f, 0.7f};
  const Bytes bytes = wavOf({0.6f, -0.6f, 0.6f});
  const ob::PoolDecode decoded = ob::decodeForPool(pool, 4, bytes);
  ASSERT_TRUE(decoded.audio);
  EXPECT_EQ(decoded.refusal, ob::SampleRefusal::None);
  EXPECT_TRUE(pool.replaceAudio(4, decoded.audio));
  EXPECT_EQ(pool.slots[4]->slices, (std::vector<float>{0.1f, 0.7f}));
  EXPECT_EQ(pool.slots[4]->frames, 3);
  EXPECT_TRUE(ob::isFileOf(bytes, *pool.slots[4]->data));
  // A file that does not decode gives the decoder's words and no audio.
  const ob::PoolDecode broken = ob::decodeForPool(pool, 7, Bytes{1, 2});
  EXPECT_FALSE(broken.audio);
  EXPECT_EQ(broken.error, "not a RIFF/WAVE file");
  EXPECT_EQ(broken.refusal, ob::SampleRefusal::None);
  EXPECT_FALSE(pool.replaceAudio(64, decoded.audio));
  EXPECT_FALSE(pool.replaceAudio(-1, decoded.audio));
  EXPECT_EQ(pool.slotCount(), 5);
}

}  // namespace wav_pool_test
