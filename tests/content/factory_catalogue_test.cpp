// The factory catalogue, the credits table, half names, display names and
// the resolver documents use to fetch factory samples.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "content/factory/factory_content.h"
#include "document/factory/factory_catalogue.h"
#include "document/factory/factory_sample.h"
#include "document/factory/sample_credits.h"
#include "document/factory/sample_resolver.h"
#include "document/wav/wav.h"

namespace factory_catalogue_test {

const char* const kRowFiles[68] = {
    "ac_kick_p",       "ac_kick_f",      "ac_kick_ff",   "ac_kick2_p",     "ac_kick2_f",    "ac_snare_ghost",
    "ac_snare_mp",     "ac_snare_f",     "ac_snare_ff",  "ac_snare_stick", "ac_snoff_p",    "ac_snoff_f",
    "ac_hitom_p",      "ac_hitom_f",     "ac_hitom_ff",  "ac_lotom_pp",    "ac_lotom_mp",   "ac_lotom_ff",
    "ac_hhcl_p",       "ac_hhcl_f",      "ac_hhop_p",    "ac_hhop_f",      "ac_hhop_ff",    "ac_hhfoot",
    "ac_ride_mp",      "ac_ride_ff",     "ac_ride_bell", "ac_crash_p",     "ac_crash_ff",   "ac_crash2_ff",
    "ac_cow_p",        "ac_cow_mp",      "ac_cow_ff",    "tp_low",         "tp_mid",        "tp_high",
    "wp_conga",        "wp_conga_hi",    "wp_conga_lo",  "wp_conga_mute",  "wp_bongo_hi",   "wp_bongo_lo",
    "wp_darbuka_doom", "wp_darbuka_tak", "wp_cajon",     "wp_claves",      "wp_castanets",  "wp_tambourine",
    "wp_handclap",     "wp_maracas",     "wp_shaker",    "bs_kick_p",      "bs_kick_f",     "bs_kick_ff",
    "bs_snare_ghost",  "bs_snare_mp",    "bs_snare_f",   "bs_snare_ff",    "bs_snare_rest", "bs_hhcl_p",
    "bs_hhcl_f",       "bs_hhop_p",      "bs_hhop_f",    "bs_tom_hi",      "bs_tom_lo",     "bs_ride",
    "bs_crash",        "bs_china"};

std::uint32_t expectedSet(std::size_t row) {
  if (row <= 32) return 1;
  if (row <= 35) return 3;
  if (row <= 50) return 4;
  return 2;
}

TEST(FactoryCatalogue, RowsCarryTheFixedNamesSetsFlagsAndRealLengths) {
  std::set<std::string> displayNames;
  for (std::size_t i = 0; i < ob::kFactorySampleRowCount; ++i) {
    const ob::FactorySampleRow& r = ob::kFactorySampleCatalogue[i];
    SCOPED_TRACE(i);
    EXPECT_EQ(std::string(r.fileName), std::string(kRowFiles[i]) + ".wav");
    EXPECT_EQ(r.sampleSet, expectedSet(i));
    EXPECT_EQ(r.split, i >= 33 ? 1u : 0u);
    EXPECT_EQ(r.hatOrCymbal, (i >= 18 && i <= 29) ? 1u : 0u);
    EXPECT_TRUE(displayNames.insert(r.displayName).second) << r.displayName;
    EXPECT_NE(std::strstr(r.sourcePath, r.fileName), nullptr);
    EXPECT_GT(std::strlen(r.tags), 0u);
    // The length is that of the sound as stored.
    ob::DecodedWav a, b;
    if (!r.split) {
      ASSERT_TRUE(ob::decodeWav(ob::factorySampleBytes(r.fileName), a));
      EXPECT_EQ(a.frames, static_cast<std::int32_t>(r.lengthMs * 48));
    } else {
      ASSERT_TRUE(ob::decodeWav(ob::factorySampleBytes(ob::hitHalfName(r.fileName)), a));
      ASSERT_TRUE(ob::decodeWav(ob::factorySampleBytes(ob::bodyHalfName(r.fileName)), b));
      EXPECT_GT(a.frames + b.frames, static_cast<std::int32_t>(r.lengthMs * 48));
      EXPECT_LE(a.frames + b.frames, static_cast<std::int32_t>(r.lengthMs * 48) + 140);
    }
  }
  EXPECT_STREQ(ob::kFactorySampleCatalogue[0].displayName, "Kick P");
  EXPECT_STREQ(ob::kFactorySampleCatalogue[0].tags, "kick acoustic");
  EXPECT_STREQ(ob::kFactorySampleCatalogue[3].tags, "kick acoustic 70s");
  EXPECT_STREQ(ob::kFactorySampleCatalogue[9].displayName, "Rimclick");
  EXPECT_STREQ(ob::kFactorySampleCatalogue[9].tags, "snare acoustic");
  EXPECT_STREQ(ob::kFactorySampleCatalogue[33].displayName, "Timpani Low");
  EXPECT_STREQ(ob::kFactorySampleCatalogue[33].tags, "timpani tuned perc");
  EXPECT_STREQ(ob::kFactorySampleCatalogue[50].displayName, "Egg Shaker");
  EXPECT_STREQ(ob::kFactorySampleCatalogue[67].tags, "china cymbal basalt rock");
}

TEST(FactoryCatalogue, CreditsNameOnlyWhatIsShipped) {
  const char* const ids[5] = {"user", "salamander", "basalt", "timpani", "worldperc"};
  for (std::size_t i = 0; i < ob::kSampleCreditRowCount; ++i) {
    const ob::SampleCreditRow& r = ob::sampleCreditsTable[i];
    SCOPED_TRACE(i);
    EXPECT_STREQ(r.setId, ids[i]);
    EXPECT_EQ(r.attributionRequired, 0u);
    if (i == 0) {
      EXPECT_STREQ(r.setName, "User import");
      continue;
    }
    // Our own synthesised sets: named by us, made by us, given to the
    // public domain.
    EXPECT_EQ(std::string(r.setName).rfind("Orbitrane ", 0), 0u);
    EXPECT_STREQ(r.author, "Orbitrane project");
    EXPECT_STREQ(r.licence, "CC0 1.0");
    EXPECT_STREQ(r.licenceLink, "https://creativecommons.org/publicdomain/zero/1.0/");
    for (const char* foreign : {"Salamander", "Basalt", "FreePats", "CC-BY"}) {
      EXPECT_EQ(std::strstr(r.setName, foreign), nullptr);
      EXPECT_EQ(std::strstr(r.licence, foreign), nullptr);
    }
  }
  // Every set a catalogue row points at has its credits row.
  for (const ob::FactorySampleRow& r : ob::kFactorySampleCatalogue) {
    EXPECT_GE(r.sampleSet, 1u);
    EXPECT_LT(r.sampleSet, ob::kSampleCreditRowCount);
  }
}

TEST(FactoryCatalogue, HalfNamesGoBeforeTheLastFullStop) {
  EXPECT_EQ(ob::hitHalfName("tp_low.wav"), "tp_low_hit.wav");
  EXPECT_EQ(ob::bodyHalfName("tp_low.wav"), "tp_low_body.wav");
  EXPECT_EQ(ob::hitHalfName("a.b.wav"), "a.b_hit.wav");
  EXPECT_EQ(ob::bodyHalfName("noext"), "noext_body");
  EXPECT_EQ(ob::hitHalfName(""), "_hit");
  EXPECT_EQ(ob::hitHalfName(".wav"), "_hit.wav");
}

TEST(FactoryCatalogue, DisplayNamesOfHalves) {
  char buf[64];
  ob::factorySampleDisplayName(33, false, buf, sizeof buf);
  EXPECT_STREQ(buf, "Timpani Low hit");
  ob::factorySampleDisplayName(50, true, buf, sizeof buf);
  EXPECT_STREQ(buf, "Egg Shaker body");
  ob::factorySampleDisplayName(0, true, buf, sizeof buf);
  EXPECT_STREQ(buf, "Kick P body");
  std::strcpy(buf, "stale");
  ob::factorySampleDisplayName(68, false, buf, sizeof buf);
  EXPECT_STREQ(buf, "");
  char small[6];
  ob::factorySampleDisplayName(33, false, small, sizeof small);
  EXPECT_STREQ(small, "Timpa");
  // The half's sample-table entry carries the same name.
  EXPECT_STREQ(ob::makeFactorySampleSlot(40, ob::kFactoryPartHit).name, "Bongo High hit");
}

TEST(FactoryCatalogue, LookupIsByExactName) {
  EXPECT_FALSE(ob::factorySampleBytes("ac_kick_p.wav").empty());
  EXPECT_TRUE(ob::factorySampleBytes("ac_kick_p").empty());
  EXPECT_TRUE(ob::factorySampleBytes("AC_KICK_P.WAV").empty());
  EXPECT_TRUE(ob::factorySampleBytes("tp_low.wav").empty());  // stored only as halves
  EXPECT_FALSE(ob::factorySampleBytes("tp_low_hit.wav").empty());
  EXPECT_TRUE(ob::factorySampleBytes("").empty());
  const ob::EmbeddedBytes png = ob::factorySymbolPng();
  const std::vector<std::uint8_t> copy = ob::factorySampleBytes("symbol.png");
  ASSERT_EQ(copy.size(), png.size);
  EXPECT_EQ(std::memcmp(copy.data(), png.data, png.size), 0);
}

// Installed at library load: documents resolve factory names without any
// set-up, and installing again keeps the same behaviour.
TEST(FactoryCatalogue, ResolverServesFactorySamplesByStem) {
  const std::vector<std::uint8_t> direct = ob::factorySampleBytes("ac_kick_p.wav");
  EXPECT_EQ(ob::resolveSample("ac_kick_p"), direct);
  EXPECT_TRUE(ob::resolveSample("ac_kick_p.wav").empty());
  EXPECT_EQ(ob::resolveSample("tp_low_hit"), ob::factorySampleBytes("tp_low_hit.wav"));
  EXPECT_TRUE(ob::resolveSample("tp_low").empty());

  ob::setSampleResolver(nullptr);
  EXPECT_TRUE(ob::resolveSample("ac_kick_p").empty());
  ob::useEmbeddedFactorySamples();
  EXPECT_EQ(ob::resolveSample("ac_kick_p"), direct);
  // Every factory name a document can hold resolves.
  for (std::uint32_t row = 0; row < ob::kFactorySampleRowCount; ++row) {
    if (ob::kFactorySampleCatalogue[row].split) {
      EXPECT_FALSE(ob::resolveSample(ob::factorySampleName(row, ob::kFactoryPartHit)).empty()) << row;
      EXPECT_FALSE(ob::resolveSample(ob::factorySampleName(row, ob::kFactoryPartBody)).empty()) << row;
    } else {
      EXPECT_FALSE(ob::resolveSample(ob::factorySampleName(row, ob::kFactoryPartWhole)).empty()) << row;
    }
  }
}

}  // namespace factory_catalogue_test
