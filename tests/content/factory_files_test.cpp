// The embedded factory files: names, order, decoding, the committed
// manifest, and the clean edges every sample must have.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "content/factory/embedded_files.h"
#include "content/factory/factory_content.h"
#include "document/archive/sha256.h"
#include "document/little_endian.h"
#include "document/wav/wav.h"

namespace factory_files_test {

const char* const kWholeNames[] = {
    "ac_cow_ff.wav",      "ac_cow_mp.wav",   "ac_cow_p.wav",    "ac_crash2_ff.wav",   "ac_crash_ff.wav",
    "ac_crash_p.wav",     "ac_hhcl_f.wav",   "ac_hhcl_p.wav",   "ac_hhfoot.wav",      "ac_hhop_f.wav",
    "ac_hhop_ff.wav",     "ac_hhop_p.wav",   "ac_hitom_f.wav",  "ac_hitom_ff.wav",    "ac_hitom_p.wav",
    "ac_kick2_f.wav",     "ac_kick2_p.wav",  "ac_kick_f.wav",   "ac_kick_ff.wav",     "ac_kick_p.wav",
    "ac_lotom_ff.wav",    "ac_lotom_mp.wav", "ac_lotom_pp.wav", "ac_ride_bell.wav",   "ac_ride_ff.wav",
    "ac_ride_mp.wav",     "ac_snare_f.wav",  "ac_snare_ff.wav", "ac_snare_ghost.wav", "ac_snare_mp.wav",
    "ac_snare_stick.wav", "ac_snoff_f.wav",  "ac_snoff_p.wav"};

const char* const kSplitStems[] = {
    "tp_low",        "tp_mid",        "tp_high",       "wp_conga",        "wp_conga_hi",    "wp_conga_lo",
    "wp_conga_mute", "wp_bongo_hi",   "wp_bongo_lo",   "wp_darbuka_doom", "wp_darbuka_tak", "wp_cajon",
    "wp_claves",     "wp_castanets",  "wp_tambourine", "wp_handclap",     "wp_maracas",     "wp_shaker",
    "bs_kick_p",     "bs_kick_f",     "bs_kick_ff",    "bs_snare_ghost",  "bs_snare_mp",    "bs_snare_f",
    "bs_snare_ff",   "bs_snare_rest", "bs_hhcl_p",     "bs_hhcl_f",       "bs_hhop_p",      "bs_hhop_f",
    "bs_tom_hi",     "bs_tom_lo",     "bs_ride",       "bs_crash",        "bs_china"};

std::set<std::string> expectedNames() {
  std::set<std::string> names(std::begin(kWholeNames), std::end(kWholeNames));
  for (const char* stem : kSplitStems) {
    names.insert(std::string(stem) + "_hit.wav");
    names.insert(std::string(stem) + "_body.wav");
  }
  names.insert("symbol.png");
  return names;
}

bool endsWith(const std::string& s, const char* tail) {
  const std::size_t n = std::strlen(tail);
  return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

std::uint32_t readBe32(const std::uint8_t* p) {
  return (static_cast<std::uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

TEST(FactoryFiles, NamesAreExactlyTheFixedSetSortedByteWise) {
  const auto files = ob::embeddedFactoryFiles();
  ASSERT_EQ(files.size(), 104u);
  std::set<std::string> names;
  for (std::size_t i = 0; i < files.size(); ++i) {
    names.insert(files[i].name);
    if (i > 0) {
      EXPECT_LT(std::strcmp(files[i - 1].name, files[i].name), 0) << files[i].name;
    }
  }
  EXPECT_EQ(names, expectedNames());
}

TEST(FactoryFiles, EveryWavIsMono16BitAt48kAndDecodes) {
  std::size_t total = 0;
  for (const ob::EmbeddedFile& f : ob::embeddedFactoryFiles()) {
    total += f.size;
    const std::string name = f.name;
    if (!endsWith(name, ".wav")) continue;
    SCOPED_TRACE(name);
    ASSERT_GE(f.size, 46u);
    EXPECT_EQ(std::memcmp(f.data, "RIFF", 4), 0);
    EXPECT_EQ(std::memcmp(f.data + 8, "WAVEfmt ", 8), 0);
    EXPECT_EQ(ob::readU16LE(f.data + 20), 1);  // PCM
    EXPECT_EQ(ob::readU16LE(f.data + 22), 1);  // mono
    EXPECT_EQ(ob::readU32LE(f.data + 24), 48000u);
    EXPECT_EQ(ob::readU16LE(f.data + 34), 16);
    EXPECT_EQ(ob::readU32LE(f.data + 40), f.size - 44);
    ob::DecodedWav wav;
    std::string error;
    ASSERT_TRUE(ob::decodeWav(f.data, f.size, wav, &error)) << error;
    EXPECT_EQ(wav.sampleRate, 48000.0);
    EXPECT_TRUE(wav.right.empty());
    EXPECT_EQ(static_cast<std::size_t>(wav.frames), (f.size - 44) / 2);
  }
  EXPECT_LE(total, 8u * 1024u * 1024u);
}

TEST(FactoryFiles, LogoIsAnRgbaPngOfAtLeast128Pixels) {
  const ob::EmbeddedBytes png = ob::factorySymbolPng();
  ASSERT_NE(png.data, nullptr);
  ASSERT_GT(png.size, 33u);
  const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', 0x0d, 0x0a, 0x1a, 0x0a};
  EXPECT_EQ(std::memcmp(png.data, signature, 8), 0);
  EXPECT_EQ(std::memcmp(png.data + 12, "IHDR", 4), 0);
  EXPECT_GE(readBe32(png.data + 16), 128u);
  EXPECT_GE(readBe32(png.data + 20), 128u);
  EXPECT_EQ(png.data[24], 8);  // bits a channel
  EXPECT_EQ(png.data[25], 6);  // RGBA
}

// The generator's output is pinned by a committed manifest: regenerating
// must give the very same bytes.
TEST(FactoryFiles, BytesMatchTheCommittedManifest) {
  // Found from the source tree, not from __FILE__, which a compiler cache
  // may have made relative to the build folder.
  const std::filesystem::path manifestPath =
      std::filesystem::path(OB_TEST_DATA_DIR).parent_path().parent_path() / "resources" / "factory.sha256";
  std::ifstream in(manifestPath);
  ASSERT_TRUE(in) << "manifest missing";
  std::map<std::string, std::string> manifest;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string hash, name;
    if (fields >> hash >> name) manifest[name] = hash;
  }
  ASSERT_EQ(manifest.size(), 104u);
  for (const ob::EmbeddedFile& f : ob::embeddedFactoryFiles()) {
    ASSERT_TRUE(manifest.count(f.name)) << f.name;
    EXPECT_EQ(ob::sha256Hex(f.data, f.size), manifest[f.name]) << f.name;
  }
}

// Every file: no clipping, no DC in a whole sound, starts from zero and reaches its attack at
// once, ends in digital silence without a step.
TEST(FactoryFiles, SamplesHaveCleanEdgesNoDcAndNoClipping) {
  for (const ob::EmbeddedFile& f : ob::embeddedFactoryFiles()) {
    const std::string name = f.name;
    if (!endsWith(name, ".wav")) continue;
    SCOPED_TRACE(name);
    ob::DecodedWav wav;
    ASSERT_TRUE(ob::decodeWav(f.data, f.size, wav));
    const std::vector<float>& x = wav.left;
    ASSERT_GT(x.size(), 96u);
    double peak = 0.0, sum = 0.0;
    for (float v : x) {
      peak = std::max(peak, static_cast<double>(std::fabs(v)));
      sum += v;
    }
    EXPECT_LE(peak, 0.95);
    EXPECT_GT(peak, 0.01);

    // A hit half ends in its crossfade, everything else in silence.
    const double lsb = 1.0 / 32768.0;
    const bool hit = endsWith(name, "_hit.wav");
    const bool body = endsWith(name, "_body.wav");
    // A half alone may hold part of a cycle; the whole must not.
    if (!hit && !body) {
      EXPECT_LT(std::fabs(sum / x.size()), 1e-3);
    }
    EXPECT_LE(std::fabs(x.back()), 4 * lsb);
    if (!hit) {
      for (std::size_t i = x.size() - 48; i < x.size(); ++i) EXPECT_LE(std::fabs(x[i]), 4 * lsb);
    }

    EXPECT_LE(std::fabs(x.front()), 2 * lsb);
    if (!body) {
      // The attack comes within the first 30 ms.
      double early = 0.0;
      for (std::size_t i = 0; i < 1440 && i < x.size(); ++i)
        early = std::max(early, static_cast<double>(std::fabs(x[i])));
      EXPECT_GT(early, 0.1 * peak);
    }
    // No step at the end: neighbouring samples stay close in the last
    // millisecond.
    if (!hit) {
      for (std::size_t i = x.size() - 48; i < x.size(); ++i) EXPECT_LT(std::fabs(x[i] - x[i - 1]), 0.01) << i;
    }
  }
}

}  // namespace factory_files_test
