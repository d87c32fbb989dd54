// The panels of the selected sound by machine: which views show, the
// drawer's rows, the sample panel's view, chips and lanes, the slot names
// and the chain strip's stages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/params/param_name.h"
#include "tests/editor/bench_rig.h"

namespace orbi::test {
namespace bench_panels_test {

using Lane = BenchController::Lane;

std::vector<std::string> drawerLabels(const BenchPage& page) {
  std::vector<std::string> labels;
  for (const ParamDrawer::Row& r : page.drawer.rows) labels.push_back(r.label);
  return labels;
}

std::vector<std::string> slotKeys(const ParamWidget& w) {
  std::vector<std::string> keys;
  for (const ParamSlot& s : w.slots) keys.push_back(s.info.id);
  return keys;
}

std::vector<std::string> chipLabels(const SampleView& v) {
  std::vector<std::string> labels;
  for (const SampleView::Chip& c : v.chips) labels.push_back(c.label);
  return labels;
}

using Keys = std::vector<std::string>;

// The names every place gives the machine's parameters of these keys.
Keys namesOf(int machine, const Keys& keys) {
  Keys names;
  for (const std::string& key : keys) names.push_back(ob::paramNameOfKey(machine, key.c_str()));
  return names;
}

class Panels : public testing::Test {
 protected:
  BenchRig rig;
};

TEST_F(Panels, ADrumShowsItsAnatomyAndTheHitLevels) {
  ob::Sound& drum = rig.selectMachine(1, ob::kMachineDrum);
  EXPECT_TRUE(rig.page.showAnatomy);
  EXPECT_FALSE(rig.page.showSampler);
  EXPECT_TRUE(rig.page.showDrawer);
  EXPECT_EQ(drawerLabels(rig.page), namesOf(ob::kMachineDrum, {"exc1_level"}));
  EXPECT_EQ(rig.page.anatomy.hitBrowser.title, "HIT");
  EXPECT_FALSE(rig.page.anatomy.hasSecondHit);
  EXPECT_EQ(rig.page.drawer.faders[0].label, "Hit 1 Level");
  EXPECT_EQ(rig.page.drawer.faders[1].id, -1);

  drum.params[drumParam("exc2_type")] = 1.0f;
  rig.bench.rebuild();
  EXPECT_EQ(rig.page.anatomy.hitBrowser.title, "HIT 1");
  EXPECT_EQ(rig.page.anatomy.secondHitBrowser.title, "HIT 2");
  EXPECT_TRUE(rig.page.anatomy.hasSecondHit);
  EXPECT_EQ(drawerLabels(rig.page), namesOf(ob::kMachineDrum, {"exc1_level", "exc2_level"}));
  EXPECT_EQ(rig.page.drawer.faders[1].id, drumParam("exc2_level"));
}

TEST_F(Panels, ASamplerShowsItsWindowOrItsSlices) {
  ob::Sound& s = rig.selectMachine(2, ob::kMachineSample);
  const SampleView& view = rig.page.sampler.sampleView;
  EXPECT_FALSE(rig.page.showAnatomy);
  EXPECT_TRUE(rig.page.showSampler);
  EXPECT_TRUE(rig.page.showDrawer);
  EXPECT_EQ(view.title, "SAMPLE");
  EXPECT_EQ(view.mode, SampleView::kWindow);
  EXPECT_EQ(view.hasMarkers, 1);
  EXPECT_EQ(slotKeys(view), (Keys{"start", "end", "fadeIn", "fadeOut", "gain"}));
  EXPECT_EQ(chipLabels(view), namesOf(ob::kMachineSample, {"loop", "reverse", "normalize"}));
  EXPECT_EQ(rig.page.sampler.mode, SamplerLanes::kTone);
  EXPECT_EQ(slotKeys(rig.page.sampler.tone), (Keys{"crush", "srr", "lp"}));
  EXPECT_EQ(slotKeys(rig.page.sampler.amp), (Keys{"attack", "decay", "level"}));
  EXPECT_EQ(slotKeys(rig.page.sampler.speed), Keys{"tune"});
  EXPECT_EQ(drawerLabels(rig.page), namesOf(ob::kMachineSample, {"slice"}));
  // Only the low-pass slot is logarithmic.
  for (const ParamWidget* w :
       {static_cast<const ParamWidget*>(&view), static_cast<const ParamWidget*>(&rig.page.sampler.tone)})
    for (const ParamSlot& slot : w->slots)
      EXPECT_EQ(slot.logScale, std::string(slot.info.id) == "lp") << slot.info.id;

  s.params[samplerParam("window_mode")] = 1.0f;
  rig.bench.rebuild();
  EXPECT_EQ(view.title, "SAMPLE");
  EXPECT_EQ(view.mode, SampleView::kSlices);
  EXPECT_EQ(view.slicesOn, 1);
  EXPECT_EQ(slotKeys(view), Keys{"slice"});
  EXPECT_EQ(drawerLabels(rig.page),
            namesOf(ob::kMachineSample, {"start", "end", "gain", "fadeIn", "fadeOut"}));
}

TEST_F(Panels, AGranularSoundShowsGrainsWithoutToneOrModePill) {
  rig.selectMachine(3, ob::kMachineGranular);
  const SampleView& view = rig.page.sampler.sampleView;
  EXPECT_TRUE(rig.page.showSampler);
  EXPECT_EQ(view.title, "GRAINS");
  EXPECT_EQ(view.mode, SampleView::kGrains);
  EXPECT_EQ(view.hasMarkers, 0);
  EXPECT_EQ(slotKeys(view), (Keys{"position", "spray", "gain"}));
  EXPECT_EQ(chipLabels(view), namesOf(ob::kMachineGranular, {"normalize"}));
  EXPECT_EQ(rig.page.sampler.mode, SamplerLanes::kGrains);
  EXPECT_EQ(slotKeys(rig.page.sampler.grains), (Keys{"size", "density"}));
  EXPECT_EQ(slotKeys(rig.page.sampler.speed), (Keys{"tune", "spread"}));
  EXPECT_TRUE(rig.page.drawer.rows.empty());
}

TEST_F(Panels, ASynthesiserShowsOnlyTheChainAndVelocity) {
  rig.selectMachine(4, ob::kMachineVa);
  EXPECT_FALSE(rig.page.showAnatomy);
  EXPECT_FALSE(rig.page.showSampler);
  EXPECT_FALSE(rig.page.showDrawer);
  const VelocityTile::Model& m = rig.page.velocity.model();
  EXPECT_FALSE(m.sampleBased);
  ASSERT_FALSE(m.candidates.empty());
  EXPECT_EQ(m.candidates.front().label, "Tune (Oscillators)");
}

// Every control of the bench names its parameter as every other place
// names it (ob::paramName): the drawer's rows and faders, the sample view's
// slots and chips, the lanes, the drum's half browsers and node graphs, and
// the velocity tile's routes and candidates.
TEST(PanelNames, EveryControlNamesItsParameterAsEveryPlaceDoes) {
  struct Case {
    std::uint8_t machine;
    const char* key;
    float value;
  };
  for (const Case& c :
       {Case{ob::kMachineDrum, "exc2_type", 1.0f}, Case{ob::kMachineSample, "window_mode", 0.0f},
        Case{ob::kMachineSample, "window_mode", 1.0f}, Case{ob::kMachineGranular, "size", 50.0f},
        Case{ob::kMachineVa, "mode", 1.0f}}) {
    SCOPED_TRACE(testing::Message() << static_cast<int>(c.machine) << " " << c.key << " " << c.value);
    BenchRig rig;
    ob::Sound& s = rig.selectMachine(0, c.machine);
    s.params[ob::findParamIndex(c.machine, c.key)] = c.value;
    s.velDestCount = 1;
    s.velDests[0] = {static_cast<std::uint8_t>(ob::findParamIndex(c.machine, "level")), 0.5f};
    rig.bench.rebuild();
    int named = 0;
    const auto expectNamed = [&](int id, std::string_view shown) {
      EXPECT_EQ(shown, std::string_view(ob::paramName(c.machine, id))) << "parameter " << id;
      ++named;
    };
    const BenchPage& page = rig.page;
    if (page.showDrawer) {
      for (const ParamDrawer::Row& row : page.drawer.rows) expectNamed(row.index, row.label);
      for (const SlotFader& fader : page.drawer.faders)
        if (fader.id >= 0) expectNamed(fader.id, fader.label);
    }
    std::vector<const ParamWidget*> widgets;
    const SamplerLanes& lanes = page.sampler;
    if (page.showSampler)
      widgets = {
          &lanes.sampleView, &lanes.speed, &lanes.amp,
          lanes.mode == SamplerLanes::kTone ? static_cast<const ParamWidget*>(&lanes.tone) : &lanes.grains};
    if (page.showAnatomy) widgets = {&page.anatomy.hitBrowser, &page.anatomy.bodyBrowser};
    for (const ParamWidget* w : widgets)
      for (std::size_t i = 0; i < w->slots.size(); ++i)
        expectNamed(w->slots[i].id, w->slotName(static_cast<int>(i)));
    if (page.showSampler)
      for (const SampleView::Chip& chip : lanes.sampleView.chips)
        expectNamed(static_cast<int>(chip.value), chip.label);
    if (page.showAnatomy)
      for (const NodeGraph* graph :
           {&page.anatomy.hitGraph, &page.anatomy.secondHitGraph, &page.anatomy.bodyGraph})
        for (const graph::Node& node : graph->nodes) expectNamed(node.id, node.label);
    for (const VelocityTile::Route& route : page.velocity.model().routes)
      expectNamed(route.param, route.label);
    for (const VelocityTile::Candidate& candidate : page.velocity.model().candidates)
      expectNamed(candidate.param, candidate.label);
    EXPECT_GT(named, ob::paramCount(c.machine) / 2);
  }
}

TEST_F(Panels, TheLaneOfEverySamplerAndGranularKey) {
  struct Row {
    const char* key;
    Lane samplerOff, samplerOn, granular;
  };
  const Lane N = Lane::kNone, V = Lane::kSampleView, T = Lane::kTitleStrip;
  const Row rows[] = {
      {"slot", V, V, V},
      {"attack", Lane::kAmp, Lane::kAmp, Lane::kAmp},
      {"decay", Lane::kAmp, Lane::kAmp, Lane::kAmp},
      {"level", Lane::kAmp, Lane::kAmp, Lane::kAmp},
      {"normalize", T, T, T},
      {"tune", Lane::kSpeed, Lane::kSpeed, Lane::kSpeed},
      {"spread", Lane::kSpeed, Lane::kSpeed, Lane::kSpeed},
      {"position", N, N, V},
      {"spray", N, N, V},
      {"gain", V, N, V},
      {"size", N, N, Lane::kGrains},
      {"density", N, N, Lane::kGrains},
      {"crush", Lane::kTone, Lane::kTone, N},
      {"srr", Lane::kTone, Lane::kTone, N},
      {"lp", Lane::kTone, Lane::kTone, N},
      {"window_mode", T, T, N},
      {"loop", T, T, N},
      {"reverse", T, T, N},
      {"start", V, N, N},
      {"end", V, N, N},
      {"fadeIn", V, N, N},
      {"fadeOut", V, N, N},
      {"slice", N, V, N},
      {"flt_cutoff", N, N, N},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.key);
    EXPECT_EQ(BenchController::laneOf(ob::kMachineSample, r.key, false), r.samplerOff);
    EXPECT_EQ(BenchController::laneOf(ob::kMachineSample, r.key, true), r.samplerOn);
    EXPECT_EQ(BenchController::laneOf(ob::kMachineGranular, r.key, false), r.granular);
  }
}

TEST_F(Panels, LockedRowsShowTheKitValueAsTheirBase) {
  for (std::uint8_t machine : {ob::kMachineDrum, ob::kMachineSample}) {
    SCOPED_TRACE(static_cast<int>(machine));
    rig.reset();
    ob::Sound& s = rig.selectMachine(0, machine);
    const int param = machine == ob::kMachineDrum ? drumParam("exc1_level") : samplerParam("slice");
    s.params[param] = 0.25f;
    ob::Step& step = rig.pattern().tracks[0].steps[5];
    step.active = 1;
    step.lockCount = 1;
    step.locks[0] = {static_cast<std::uint8_t>(param), 0.75f};
    rig.context.step = 5;
    rig.bench.rebuild();
    ASSERT_FALSE(rig.page.drawer.rows.empty());
    const ParamDrawer::Row& row = rig.page.drawer.rows[0];
    EXPECT_EQ(row.index, param);
    EXPECT_FLOAT_EQ(row.value, 0.75f);
    EXPECT_FLOAT_EQ(row.base, 0.25f);
    EXPECT_EQ(row.locked, 1);
  }
}

TEST_F(Panels, SixtyFourSlotNamesWithEmptyNamesNumbered) {
  rig.putSample(1, 0.01, "Snare");
  rig.context.project().samples.count = 200;
  rig.bench.rebuild();
  EXPECT_EQ(rig.bench.slotNameCount(), 64);
  EXPECT_STREQ(rig.bench.slotName(0), "slot 0");
  EXPECT_STREQ(rig.bench.slotName(1), "Snare");
  EXPECT_STREQ(rig.bench.slotName(63), "slot 63");
  EXPECT_EQ(rig.page.velocity.model().slotNames.size(), 64u);
}

TEST_F(Panels, TheSampleViewShowsThePoolSlotOrNothing) {
  rig.putSample(3, 0.5);
  ob::Sound& s = rig.selectMachine(1, ob::kMachineSample);
  s.params[samplerParam("slot")] = 3.0f;
  rig.bench.rebuild();
  EXPECT_NE(rig.page.sampler.sampleView.samples, nullptr);
  EXPECT_NEAR(rig.page.sampler.sampleView.seconds, 0.5f, 1e-4f);
  EXPECT_NEAR(rig.page.sampler.speed.sampleSeconds, 0.5f, 1e-4f);

  s.params[samplerParam("slot")] = 40.0f;  // beyond the pool's slots
  rig.bench.rebuild();
  EXPECT_EQ(rig.page.sampler.sampleView.samples, nullptr);
  EXPECT_EQ(rig.page.sampler.sampleView.frameCount, 0);
  EXPECT_EQ(rig.page.sampler.speed.sampleSeconds, 0.0f);
}

// The stage flags in chain order for one changed parameter on a sound at
// its defaults.
TEST_F(Panels, StagesShowOnlyWhileTheyChangeTheSound) {
  using ob::chainstage::Stage;
  struct Case {
    const char* key;
    float value;
    int shown;  // the stage shown, -1 for none
  };
  const Case cases[] = {
      {"flt_cutoff", 20000.0f, -1},
      {"flt_cutoff", 19999.0f, -1},
      {"flt_cutoff", 19998.9f, static_cast<int>(Stage::FILTER)},
      {"flt2_cutoff", 19998.9f, static_cast<int>(Stage::FILTER)},
      {"fx_shape", 2.0f, -1},
      {"fx_drive", 1.01f, static_cast<int>(Stage::DRIVE)},
      {"fx_crush", 15.9f, static_cast<int>(Stage::DRIVE)},
      {"fx_srr", 0.01f, static_cast<int>(Stage::DRIVE)},
      {"amp_sync", 1.0f, static_cast<int>(Stage::AMP)},
      {"amp_attack", 0.001f, static_cast<int>(Stage::AMP)},
      {"amp_hold", 1.99f, static_cast<int>(Stage::AMP)},
      {"ts_sustain", -0.2f, static_cast<int>(Stage::TRANSIENT)},
      {"space_mix", 0.01f, static_cast<int>(Stage::ROOM)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.key << " " << c.value);
    ob::Sound& s = rig.selectMachine(0, ob::kMachineVa);
    s.params[ob::findParamIndex(ob::kMachineVa, c.key)] = c.value;
    rig.bench.rebuild();
    for (int k = 0; k < ob::chainstage::kStageCount; ++k)
      EXPECT_EQ(rig.page.chain.stageActive[static_cast<std::size_t>(k)], k == c.shown ? 1 : 0) << k;
  }
  rig.pattern().bpm = 0.0f;
  rig.bench.rebuild();
  EXPECT_EQ(rig.page.chain.amp.tempo, 120.0);
}

}  // namespace bench_panels_test
}  // namespace orbi::test
