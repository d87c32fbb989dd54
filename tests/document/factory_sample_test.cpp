#include <gtest/gtest.h>

#include <map>
#include <string>

#include "document/factory/factory_ref.h"
#include "document/factory/factory_sample.h"
#include "document/factory/sample_resolver.h"

namespace factory_sample_test {

// Rows shaped like the factory catalogue, for the naming rules.
const ob::FactorySampleRow kKickP = {"a/kick.wav", "ac_kick_p.wav", "Kick P", "kick acoustic", 0, 1, 0, 900};
const ob::FactorySampleRow kTpLow = {"t/low.wav", "tp_low.wav", "Timpani Low", "timpani tuned perc", 0, 3,
                                     1,           3000};
const ob::FactorySampleRow kManyTags = {
    "x", "wp_shaker.wav", "Egg Shaker", "  one two  three four five six seven eight nine ", 0, 4, 1, 400};
const ob::FactorySampleRow kLong = {
    "x",
    "bs_a_really_long_stem_name_here.wav",
    "A display name that is far longer than the sixty-three characters a slot holds",
    "averyveryverylongtagwordthatexceeds",
    0,
    2,
    1,
    100};

std::vector<std::string> tagsOf(const ob::SampleSlot& s) {
  std::vector<std::string> out;
  for (int i = 0; i < s.tagCount; ++i) out.emplace_back(s.tags[i]);
  return out;
}

TEST(FactoryRef, FormAndParse) {
  EXPECT_EQ(ob::factoryRef("ac_kick_p"), "factory:acoustic/ac_kick_p");
  std::string name = "untouched";
  EXPECT_TRUE(ob::parseFactoryRef("factory:acoustic/tp_low_hit", name));
  EXPECT_EQ(name, "tp_low_hit");
  name = "untouched";
  EXPECT_FALSE(ob::parseFactoryRef("factory:other/tp_low", name));
  EXPECT_EQ(name, "untouched");
  EXPECT_FALSE(ob::parseFactoryRef("factory:", name));
  EXPECT_FALSE(ob::parseFactoryRef("asset:0123", name));
  EXPECT_EQ(name, "untouched");
  EXPECT_FALSE(ob::parseFactoryRef("factory:acoustic/", name));
  EXPECT_EQ(name, "");
  std::string back;
  EXPECT_TRUE(ob::parseFactoryRef(ob::factoryRef("wp_conga"), back));
  EXPECT_EQ(back, "wp_conga");
}

TEST(FactorySample, NamesFromRows) {
  EXPECT_EQ(ob::fileStem("ac_kick_p.wav"), "ac_kick_p");
  EXPECT_EQ(ob::fileStem("a.b.wav"), "a.b");
  EXPECT_EQ(ob::fileStem("noext"), "noext");
  EXPECT_EQ(ob::factorySampleNameOf(kKickP, ob::kFactoryPartWhole), "ac_kick_p");
  EXPECT_EQ(ob::factorySampleNameOf(kTpLow, ob::kFactoryPartHit), "tp_low_hit");
  EXPECT_EQ(ob::factorySampleNameOf(kTpLow, ob::kFactoryPartBody), "tp_low_body");
}

TEST(FactorySample, SlotRecords) {
  ob::SampleSlot whole = ob::makeFactorySampleSlotFrom(kKickP, ob::kFactoryPartWhole);
  EXPECT_STREQ(whole.name, "Kick P");
  EXPECT_STREQ(whole.factory, "ac_kick_p");
  EXPECT_EQ(tagsOf(whole), (std::vector<std::string>{"kick", "acoustic"}));
  EXPECT_EQ(whole.src, 1);
  EXPECT_STREQ(whole.id, "");
  EXPECT_EQ(whole.sliceCount, 0);

  ob::SampleSlot hit = ob::makeFactorySampleSlotFrom(kTpLow, ob::kFactoryPartHit);
  EXPECT_STREQ(hit.name, "Timpani Low hit");
  EXPECT_STREQ(hit.factory, "tp_low_hit");
  EXPECT_EQ(tagsOf(hit), (std::vector<std::string>{"timpani", "tuned", "perc", "hit"}));
  EXPECT_EQ(hit.src, 3);

  ob::SampleSlot body = ob::makeFactorySampleSlotFrom(kTpLow, ob::kFactoryPartBody);
  EXPECT_STREQ(body.name, "Timpani Low body");
  EXPECT_EQ(tagsOf(body).back(), "body");

  // Blank runs are skipped; eight tags leave no room for the part tag.
  ob::SampleSlot many = ob::makeFactorySampleSlotFrom(kManyTags, ob::kFactoryPartHit);
  EXPECT_EQ(tagsOf(many),
            (std::vector<std::string>{"one", "two", "three", "four", "five", "six", "seven", "eight"}));

  // Texts are cut to their fields and stay terminated.
  ob::SampleSlot cut = ob::makeFactorySampleSlotFrom(kLong, ob::kFactoryPartBody);
  EXPECT_EQ(std::string(cut.name).size(), 63u);
  EXPECT_EQ(std::string(cut.factory), std::string("bs_a_really_long_stem_name_here_body").substr(0, 23));
  EXPECT_EQ(std::string(cut.tags[0]).size(), 23u);
  EXPECT_STREQ(cut.tags[1], "body");
}

TEST(SampleResolverHook, ResolvesThroughTheInstalledFunction) {
  ob::setSampleResolver(nullptr);
  EXPECT_TRUE(ob::resolveSample("ac_kick_p").empty());

  // Stands in for the embedded files: name + ".wav", exact match.
  std::map<std::string, std::vector<std::uint8_t>> files = {{"ac_kick_p.wav", {'R', 'I', 'F', 'F'}},
                                                            {"tp_low_hit.wav", {1, 2, 3}}};
  ob::setSampleResolver([files](const std::string& name) {
    auto it = files.find(name + ".wav");
    return it == files.end() ? std::vector<std::uint8_t>{} : it->second;
  });
  EXPECT_EQ(ob::resolveSample("ac_kick_p"), (std::vector<std::uint8_t>{'R', 'I', 'F', 'F'}));
  EXPECT_TRUE(ob::resolveSample("ac_kick_p.wav").empty());
  EXPECT_TRUE(ob::resolveSample("AC_KICK_P").empty());
  EXPECT_EQ(ob::resolveSample("tp_low_hit").size(), 3u);

  // Replacing destroys the previous function.
  auto token = std::make_shared<int>(1);
  ob::setSampleResolver([token](const std::string&) { return std::vector<std::uint8_t>{9}; });
  EXPECT_EQ(token.use_count(), 2);
  ob::setSampleResolver([](const std::string&) { return std::vector<std::uint8_t>{}; });
  EXPECT_EQ(token.use_count(), 1);
  EXPECT_TRUE(ob::resolveSample("ac_kick_p").empty());
  // The storage handed out is the one resolving consults.
  ob::sampleResolver() = [](const std::string& name) { return std::vector<std::uint8_t>(name.size(), 7); };
  EXPECT_EQ(ob::resolveSample("abc"), (std::vector<std::uint8_t>{7, 7, 7}));
  ob::setSampleResolver(nullptr);
}

}  // namespace factory_sample_test
