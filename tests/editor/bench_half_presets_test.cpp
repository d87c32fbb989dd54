// The half browsers' preset menus: the named rows sectioned by half type,
// the current row, the second hit's keys, and the recorded halves that take
// a pool slot when landed on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content/factory/factory_content.h"
#include "editor/widgets/anatomy/half_browser.h"
#include "tests/editor/bench_rig.h"

namespace orbi::test {
namespace bench_half_presets_test {

using Preset = ParamWidget::ResolvedPreset;

constexpr int kRecordedHalves = 35;

std::vector<std::string> sectionsInOrder(const std::vector<Preset>& presets, std::size_t tableRows) {
  std::vector<std::string> sections;
  for (std::size_t i = 0; i < tableRows; ++i)
    if (sections.empty() || sections.back() != presets[i].group) sections.push_back(presets[i].group);
  return sections;
}

int indexOf(const std::vector<Preset>& presets, const std::string& name) {
  for (std::size_t i = 0; i < presets.size(); ++i)
    if (presets[i].name == name) return static_cast<int>(i);
  return -1;
}

class HalfPresets : public testing::Test {
 protected:
  HalfPresets() { drum = &rig.selectMachine(0, ob::kMachineDrum); }
  AnatomyView& anatomy() { return rig.page.anatomy; }

  BenchRig rig;
  ob::Sound* drum = nullptr;
};

TEST_F(HalfPresets, TableRowsThenRecordedHalvesSectionedByType) {
  const std::vector<Preset>& hit = anatomy().hitBrowser.presets;
  const std::vector<Preset>& body = anatomy().bodyBrowser.presets;
  ASSERT_EQ(hit.size(), 17u + kRecordedHalves);
  ASSERT_EQ(body.size(), 18u + kRecordedHalves);
  EXPECT_EQ(sectionsInOrder(hit, 17),
            (std::vector<std::string>{"silent", "beater click", "knock", "noise burst", "clap", "hiss"}));
  EXPECT_EQ(sectionsInOrder(body, 18), (std::vector<std::string>{"no body", "sine body", "shell", "modal",
                                                                 "metal", "string", "fm", "wavetable"}));
  // Within a section the table's order stays.
  EXPECT_EQ(hit[4].name, "Deep thud");
  EXPECT_EQ(hit[5].name, "Knock");
  EXPECT_EQ(hit[6].name, "Rod");
  for (std::size_t i = 0; i < hit.size(); ++i) EXPECT_EQ(static_cast<bool>(hit[i].filter), i >= 17) << i;

  char name[96];
  ob::factorySampleDisplayName(33, true, name, sizeof name);
  EXPECT_EQ(body[18].name, name);
  EXPECT_FALSE(body[18].group.empty());
  EXPECT_TRUE(body[18].values.empty());
}

TEST_F(HalfPresets, TheMatchingRowIsCurrentUntilAValueMoves) {
  drum->params[drumParam("exc1_type")] = 0.0f;
  drum->params[drumParam("exc1_level")] = 0.0f;
  rig.bench.rebuild();
  const HalfBrowser& browser = anatomy().hitBrowser;
  ASSERT_GE(browser.pinnedPreset, 0);
  EXPECT_EQ(browser.presets[static_cast<std::size_t>(browser.pinnedPreset)].name, "Silent");

  for (float delta : {0.00005f, 0.0002f}) {
    drum->params[drumParam("exc1_level")] = delta;
    rig.bench.rebuild();
    EXPECT_EQ(browser.pinnedPreset >= 0, delta < 0.0001f) << delta;
  }

  // Landing on a row writes its pairs and makes it current.
  const int knock = indexOf(browser.presets, "Knock");
  anatomy().hitBrowser.applyPreset(browser.presets[static_cast<std::size_t>(knock)]);
  EXPECT_EQ(browser.pinnedPreset, knock);
  EXPECT_FLOAT_EQ(drum->params[drumParam("exc1_tone")], 0.174f);
}

TEST_F(HalfPresets, TheSecondHitWritesItsOwnKeys) {
  drum->params[drumParam("exc2_type")] = 1.0f;
  rig.bench.rebuild();
  const std::vector<Preset>& second = anatomy().secondHitBrowser.presets;
  ASSERT_EQ(second.size(), 17u + kRecordedHalves);
  for (std::size_t i = 0; i < 17; ++i)
    for (const auto& [index, value] : second[i].values)
      EXPECT_EQ(std::string(ob::paramInfo(ob::kMachineDrum, index).id).rfind("exc2_", 0), 0u)
          << second[i].name;
  EXPECT_EQ(anatomy().secondHitBrowser.slots[0].id, drumParam("exc2_type"));
}

TEST_F(HalfPresets, ANonDrumGetsNoRows) {
  ob::Sound sampler;
  ob::initSoundParams(sampler, ob::kMachineSample);
  HalfBrowser browser;
  rig.bench.buildHalfPresets(browser, sampler, "exc1_type", PanelGroup::kHit, "exc1_");
  EXPECT_TRUE(browser.slots.empty());
  EXPECT_TRUE(browser.presets.empty());
  std::vector<Preset> presets;
  rig.bench.appendRecordedHalves(presets, sampler, PanelGroup::kHit, "exc1_");
  EXPECT_TRUE(presets.empty());
}

TEST_F(HalfPresets, LandingOnARecordedHalfTwiceReusesItsSlot) {
  HalfBrowser& browser = anatomy().bodyBrowser;
  browser.applyPreset(browser.presets[18]);
  const int slot = static_cast<int>(std::lround(drum->params[drumParam("res_aux1")] * 63.0f));
  EXPECT_GE(slot, 33);
  EXPECT_FLOAT_EQ(drum->params[drumParam("res_type")], 4.0f);
  EXPECT_FLOAT_EQ(drum->params[drumParam("res_level")], 0.9f);
  EXPECT_FLOAT_EQ(drum->params[drumParam("res_decay")], 4.0f);
  EXPECT_EQ(rig.context.publishes, 1);
  const int slots = rig.context.samplePool().slotCount();

  browser.applyPreset(browser.presets[18]);
  EXPECT_EQ(static_cast<int>(std::lround(drum->params[drumParam("res_aux1")] * 63.0f)), slot);
  EXPECT_EQ(rig.context.samplePool().slotCount(), slots);
}

TEST_F(HalfPresets, AFullPoolRefusesARecordedHalf) {
  for (int slot = 33; slot < 64; ++slot) rig.putSample(slot, 0.01, "imported");
  rig.bench.rebuild();
  const ob::Sound before = *drum;
  anatomy().hitBrowser.applyPreset(anatomy().hitBrowser.presets[17]);
  EXPECT_EQ(rig.bench.poolFullPending, 1);
  EXPECT_EQ(std::memcmp(before.params, drum->params, sizeof before.params), 0);
  EXPECT_EQ(rig.context.publishes, 0);
}

}  // namespace bench_half_presets_test
}  // namespace orbi::test
