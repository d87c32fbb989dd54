// Every handler wire() installs, fired through the function object of the
// real page or view it sits on: the commands that reach the editor copy,
// the rebuild, the bench-changed hook and the auditions.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/editor/bench_rig.h"

namespace orbi::test {
namespace {

using ob::chainstage::Stage;

struct Sent {
  std::uint8_t kind;
  int step;
  int index;
  float value;
};

struct Row {
  std::string name;
  std::function<void(BenchPage&)> fire;
  std::vector<Sent> sent;  // on the selected track 0, step -1
  bool rebuilds = true;
  int benchChanges = 0;
  int auditions = 0;
  bool bySelection = true;  // acts on the selected track
};

Sent param(const char* key, float v) { return {ob::kEditSoundParam, 0, drumParam(key), v}; }

std::vector<Row> pageRows() {
  const int hatMask = 0b111101;  // every track but 1 of the six muted
  return {
      {"selectTrack", [](BenchPage& p) { p.selectTrack(2); }, {}, true, 1, 0, false},
      {"toggleMute", [](BenchPage& p) { p.toggleMute(1); }, {{ob::kEditMuteTrack, 0, 0, 1.0f}}, true, 0, 0, false},
      {"soloTrack", [](BenchPage& p) { p.soloTrack(1); }, {{ob::kEditMuteMask, 0, 0, float(hatMask)}}, true, 0, 0,
       false},
      {"cycleRate", [](BenchPage& p) { p.cycleRate(); }, {{ob::kEditTrackRate, 0, 0, 2.0f}}},
      {"addTrack", [](BenchPage& p) { p.addTrack(); }, {}, false, 0, 0, false},
      {"openTrackMenu", [](BenchPage& p) { p.openTrackMenu(0); }, {}, false, 0, 0, false},
      {"selectStep", [](BenchPage& p) { p.selectStep(4); }, {}, true, 1},
      {"toggleStep", [](BenchPage& p) { p.toggleStep(3); }, {{ob::kEditToggleStep, 3, 0, 0.0f}}},
      {"onMicro", [](BenchPage& p) { p.grid.onMicro(5, 0.5f); }, {{ob::kEditStepField, 5, ob::kStepMicro, 32.0f}}},
      {"onLoopLength", [](BenchPage& p) { p.grid.onLoopLength(8); }, {{ob::kEditTrackLength, 0, 0, 8.0f}}},
      {"onRetrigCount",
       [](BenchPage& p) { p.grid.onRetrigCount(5, 3); },
       {{ob::kEditStepField, 5, ob::kStepRetrigCount, 3.0f}, {ob::kEditStepField, 5, ob::kStepRateTicks, 24.0f}}},
      {"onRetrigRamp",
       [](BenchPage& p) { p.grid.onRetrigRamp(5, -20); },
       {{ob::kEditStepField, 5, ob::kStepVelCurve, -20.0f}}},
      {"onRetrigRate",
       [](BenchPage& p) { p.grid.onRetrigRate(5, true); },
       {{ob::kEditStepField, 5, ob::kStepRateTicks, 16.0f}}},
  };
}

std::vector<Row> anatomyRows() {
  std::vector<Row> rows;
  const char* halves[] = {"hit", "second hit", "body"};
  for (int h = 0; h < 3; ++h) {
    const std::string n = halves[h];
    const auto browser = [h](BenchPage& p) -> HalfBrowser& {
      return h == 0 ? p.anatomy.hitBrowser : h == 1 ? p.anatomy.secondHitBrowser : p.anatomy.bodyBrowser;
    };
    const auto graph = [h](BenchPage& p) -> NodeGraph& {
      return h == 0 ? p.anatomy.hitGraph : h == 1 ? p.anatomy.secondHitGraph : p.anatomy.bodyGraph;
    };
    const int tone = drumParam(h == 2 ? "res_tone" : h == 1 ? "exc2_tone" : "exc1_tone");
    rows.push_back({n + " browser onChange", [=](BenchPage& p) { browser(p).onChange(tone, 0.25f); },
                    {{ob::kEditSoundParam, 0, tone, 0.25f}}, true, 1});
    rows.push_back({n + " browser onLand", [=](BenchPage& p) { browser(p).onLand(); }, {}, false, 0, 1});
    rows.push_back({n + " graph value", [=](BenchPage& p) { graph(p).value(tone, 0.75f); },
                    {{ob::kEditSoundParam, 0, tone, 0.75f}}, true, 1});
    rows.push_back({n + " graph editDone", [=](BenchPage& p) { graph(p).editDone(); }, {}, false, 0, 1});
    rows.push_back({n + " graph lfoReach", [=](BenchPage& p) { graph(p).lfoReach(tone, 0.5f); },
                    {{ob::kEditLfoDest, 0, 0, float(tone)}, {ob::kEditLfoEnabled, 0, 0, 1.0f},
                     {ob::kEditLfoDepth, 0, 0, 0.5f}}});
    rows.push_back({n + " graph breathe", [=](BenchPage& p) { graph(p).breathe(tone, 0.3f); },
                    {{ob::kEditTrackRandom, 0, tone, 0.3f}}});
    if (h == 1) continue;
    rows.push_back({n + " graph lfoShape", [=](BenchPage& p) { graph(p).lfoShape(1); },
                    {{ob::kEditLfoShape, 0, 1, 1.0f}}});
    rows.push_back({n + " graph lfoRate", [=](BenchPage& p) { graph(p).lfoRate(0); },
                    {{ob::kEditLfoSync, 0, 0, 1.0f}, {ob::kEditLfoRateDiv, 0, 0, 0.0f}}});
    rows.push_back({n + " graph lfoTrig", [=](BenchPage& p) { graph(p).lfoTrig(1); },
                    {{ob::kEditLfoMode, 0, 1, 1.0f}}});
  }
  const std::vector<Row> more = {
      {"onSecondHit", [](BenchPage& p) { p.anatomy.onSecondHit(); },
       {param("exc2_type", 1.0f), param("exc2_level", 0.6f)}, true, 2, 1},
      {"onHearBoth", [](BenchPage& p) { p.anatomy.onHearBoth(); }, {}, false, 0, 1},
      {"onBleed", [](BenchPage& p) { p.anatomy.onBleed(0.4f); }, {param("bleed", 0.4f)}, true, 1},
      {"onBodyLevel", [](BenchPage& p) { p.anatomy.onBodyLevel(0.3f); }, {param("res_level", 0.3f)}, true, 1},
      {"onReverse", [](BenchPage& p) { p.anatomy.onReverse(true); }, {param("voice_rev", 1.0f)}, true, 1, 1},
      {"socket onDrive", [](BenchPage& p) { p.anatomy.socket.onDrive(0.7f); }, {param("dist_amt", 0.7f)}, true, 1},
      {"socket onBias", [](BenchPage& p) { p.anatomy.socket.onBias(0.2f); }, {param("dist_bias", 0.2f)}, true, 1},
      {"socket onFold", [](BenchPage& p) { p.anatomy.socket.onFold(0.6f); }, {param("dist_fold", 0.6f)}, true, 1},
      {"socket onPosition", [](BenchPage& p) { p.anatomy.socket.onPosition(1); }, {param("dist_pos", 1.0f)}, true,
       1},
      {"socket onGestureEnd", [](BenchPage& p) { p.anatomy.socket.onGestureEnd(); }, {}, false, 0, 1},
  };
  rows.insert(rows.end(), more.begin(), more.end());
  return rows;
}

std::vector<Row> drawerAndChainRows() {
  return {
      {"drawer onChange", [](BenchPage& p) { p.drawer.onChange(drumParam("level"), 0.5f); },
       {param("level", 0.5f)}, true, 1},
      {"room onSize", [](BenchPage& p) { p.chain.room.onSize(0.4f); }, {param("space_size", 0.4f)}, true, 1},
      {"room onMix", [](BenchPage& p) { p.chain.room.onMix(0.2f); }, {param("space_mix", 0.2f)}, true, 1},
      {"room onDamp", [](BenchPage& p) { p.chain.room.onDamp(0.6f); }, {param("space_damp", 0.6f)}, true, 1},
      {"room onGestureEnd", [](BenchPage& p) { p.chain.room.onGestureEnd(); }, {}, false, 0, 1},
      {"transient onStrike", [](BenchPage& p) { p.chain.transient.onStrike(0.5f); }, {param("ts_attack", 0.5f)},
       true, 1},
      {"transient onBody", [](BenchPage& p) { p.chain.transient.onBody(-0.5f); }, {param("ts_sustain", -0.5f)},
       true, 1},
      {"transient onGestureEnd", [](BenchPage& p) { p.chain.transient.onGestureEnd(); }, {}, false, 0, 1},
      {"amp onAttack", [](BenchPage& p) { p.chain.amp.onAttack(0.01f); }, {param("amp_attack", 0.01f)}, true, 1},
      {"amp onHold", [](BenchPage& p) { p.chain.amp.onHold(0.1f); }, {param("amp_hold", 0.1f)}, true, 1},
      {"amp onDecay", [](BenchPage& p) { p.chain.amp.onDecay(0.3f); }, {param("amp_decay", 0.3f)}, true, 1},
      {"amp onSync", [](BenchPage& p) { p.chain.amp.onSync(true); }, {param("amp_sync", 1.0f)}, true, 1},
      {"amp onAttackDivision", [](BenchPage& p) { p.chain.amp.onAttackDivision(3); }, {param("amp_atk_div", 3.0f)},
       true, 1},
      {"amp onDecayDivision", [](BenchPage& p) { p.chain.amp.onDecayDivision(7); }, {param("amp_dec_div", 7.0f)},
       true, 1},
      {"amp onGestureEnd", [](BenchPage& p) { p.chain.amp.onGestureEnd(); }, {}, false, 0, 1},
      {"drive onDrive", [](BenchPage& p) { p.chain.drive.onDrive(3.0f); }, {param("fx_drive", 3.0f)}, true, 1},
      {"drive onShape", [](BenchPage& p) { p.chain.drive.onShape(2); }, {param("fx_shape", 2.0f)}, true, 1},
      {"drive onBits", [](BenchPage& p) { p.chain.drive.onBits(8.0f); }, {param("fx_crush", 8.0f)}, true, 1},
      {"drive onRate", [](BenchPage& p) { p.chain.drive.onRate(0.5f); }, {param("fx_srr", 0.5f)}, true, 1},
      {"drive onGestureEnd", [](BenchPage& p) { p.chain.drive.onGestureEnd(); }, {}, false, 0, 1},
      {"filter onCutoff 0", [](BenchPage& p) { p.chain.filter.onCutoff(0, 900.0f); }, {param("flt_cutoff", 900.0f)},
       true, 1},
      {"filter onCutoff 1", [](BenchPage& p) { p.chain.filter.onCutoff(1, 700.0f); },
       {param("flt2_cutoff", 700.0f)}, true, 1},
      {"filter onResonance 2", [](BenchPage& p) { p.chain.filter.onResonance(2, 0.4f); },
       {param("flt2_reso", 0.4f)}, true, 1},
      {"filter onType 0", [](BenchPage& p) { p.chain.filter.onType(0, 2); }, {param("flt_type", 2.0f)}, true, 1},
      {"filter onGestureEnd", [](BenchPage& p) { p.chain.filter.onGestureEnd(); }, {}, false, 0, 1},
      {"onAddStage AMP", [](BenchPage& p) { p.chain.onAddStage(Stage::AMP); },
       {param("amp_hold", 0.12f), param("amp_decay", 0.35f)}, true, 2, 1},
  };
}

std::vector<Row> velocityAndSamplerRows() {
  const int tone = drumParam("res_tone");
  const int mode = samplerParam("window_mode");
  std::vector<Row> rows = {
      {"velocity onRoute", [=](BenchPage& p) { p.velocity.onRoute(tone, 0.5f); },
       {{ob::kEditVelocityDest, 0, tone, 0.5f}}},
      {"velocity onZoneLimit", [](BenchPage& p) { p.velocity.onZoneLimit(1, 90); },
       {{ob::kEditZoneVelMax, 0, 1, 90.0f}}},
      {"velocity onZoneSlot", [](BenchPage& p) { p.velocity.onZoneSlot(0, 5); }, {{ob::kEditZoneSlot, 0, 0, 5.0f}}},
      {"velocity onLayers", [](BenchPage& p) { p.velocity.onLayers(2, 1); },
       {{ob::kEditZoneLayout, 0, 1, 2.0f}, {ob::kEditZoneVelMax, 0, 0, 64.0f}, {ob::kEditZoneVelMax, 0, 1, 127.0f}}},
      {"sample view onChange", [=](BenchPage& p) { p.sampler.sampleView.onChange(tone, 0.1f); },
       {{ob::kEditSoundParam, 0, tone, 0.1f}}, true, 1},
      {"sample view onModeToggle", [](BenchPage& p) { p.sampler.sampleView.onModeToggle(true); },
       {{ob::kEditSoundParam, 0, mode, 1.0f}}, true, 1},
      // The kick's bleed is 1: the chip turns it off.
      {"sample view onChip", [](BenchPage& p) { p.sampler.sampleView.onChip(drumParam("bleed")); },
       {param("bleed", 0.0f)}, true, 1},
  };
  const char* names[] = {"speed", "tone", "grains", "amp"};
  for (int i = 0; i < 4; ++i) {
    const auto lane = [i](BenchPage& p) -> SamplerLane& {
      SamplerLane* lanes[] = {&p.sampler.speed, &p.sampler.tone, &p.sampler.grains, &p.sampler.amp};
      return *lanes[i];
    };
    rows.push_back({std::string(names[i]) + " lane onChange", [=](BenchPage& p) { lane(p).onChange(tone, 0.2f); },
                    {{ob::kEditSoundParam, 0, tone, 0.2f}}, true, 1});
    rows.push_back({std::string(names[i]) + " lane onGestureEnd", [=](BenchPage& p) { lane(p).onGestureEnd(); },
                    {}, false, 0, 1});
  }
  return rows;
}

std::vector<Row> allRows() {
  std::vector<Row> rows;
  for (auto part : {pageRows(), anatomyRows(), drawerAndChainRows(), velocityAndSamplerRows()})
    rows.insert(rows.end(), part.begin(), part.end());
  return rows;
}

class Wiring : public testing::Test {
 protected:
  // Fires the row on a fresh demo project; the page's title is cleared first
  // so that a rebuild shows.
  void fire(const Row& row) {
    rig.reset();
    rig.page.hitsTitle.clear();
    row.fire(rig.page);
  }
  BenchRig rig;
};

TEST_F(Wiring, EveryHandlerSendsItsCommandsRebuildsAndReports) {
  for (const Row& row : allRows()) {
    SCOPED_TRACE(row.name);
    fire(row);
    const std::vector<ob::EditCommand>& got = rig.context.commands;
    ASSERT_EQ(got.size(), row.sent.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(got[i].kind, row.sent[i].kind);
      const std::uint32_t track = row.sent[i].kind == ob::kEditMuteTrack ? 1u : 0u;
      EXPECT_EQ(got[i].track, track);
      EXPECT_EQ(got[i].step, static_cast<std::uint32_t>(row.sent[i].step));
      EXPECT_EQ(got[i].param, row.sent[i].index);
      EXPECT_FLOAT_EQ(got[i].value, row.sent[i].value);
    }
    EXPECT_EQ(!rig.page.hitsTitle.empty(), row.rebuilds);
    EXPECT_EQ(rig.context.benchChanges, row.benchChanges);
    EXPECT_EQ(static_cast<int>(rig.context.auditions.size()), row.auditions);
  }
}

TEST_F(Wiring, WithAnActiveStepSelectedAParameterGestureLocksTheStepAndLeavesTheSound) {
  for (const Row& row : allRows()) {
    rig.reset();
    if (!row.bySelection) continue;
    const bool editsSound = std::all_of(row.sent.begin(), row.sent.end(),
                                        [](const Sent& s) { return s.kind == ob::kEditSoundParam; });
    if (row.sent.empty() || !editsSound) continue;
    SCOPED_TRACE(row.name);
    rig.context.step = 0;  // the kick plays step 1
    ASSERT_TRUE(rig.pattern().tracks[0].steps[0].active);
    const ob::Sound before = rig.soundOf(0);
    row.fire(rig.page);
    ASSERT_EQ(rig.context.commands.size(), row.sent.size());
    for (std::size_t i = 0; i < row.sent.size(); ++i) {
      EXPECT_EQ(rig.context.commands[i].kind, ob::kEditSetStepLock);
      EXPECT_EQ(rig.context.commands[i].step, 0u);
      EXPECT_EQ(rig.context.commands[i].param, row.sent[i].index);
    }
    EXPECT_EQ(std::memcmp(&before, &rig.soundOf(0), sizeof before), 0);
  }
}

TEST_F(Wiring, AnInactiveSelectedStepEditsTheSound) {
  rig.context.step = 1;
  ASSERT_FALSE(rig.pattern().tracks[0].steps[1].active);
  rig.page.anatomy.onBleed(0.25f);
  ASSERT_EQ(rig.context.commands.size(), 1u);
  EXPECT_EQ(rig.context.commands[0].kind, ob::kEditSoundParam);
  EXPECT_FLOAT_EQ(rig.soundOf(0).params[drumParam("bleed")], 0.25f);
}

TEST_F(Wiring, WithNoValidTrackSelectedEveryHandlerDoesNothing) {
  for (int invalid : {-1, 6, 8}) {
    for (const Row& row : allRows()) {
      if (!row.bySelection) continue;
      SCOPED_TRACE(testing::Message() << row.name << " track " << invalid);
      rig.reset();
      rig.context.track = invalid;
      rig.page.hitsTitle.clear();
      row.fire(rig.page);
      EXPECT_TRUE(rig.context.commands.empty());
      EXPECT_TRUE(rig.page.hitsTitle.empty());
      EXPECT_EQ(rig.context.benchChanges, 0);
    }
  }
}

TEST_F(Wiring, SoloOnTheOnlyUnmutedTrackReleasesTheSolo) {
  rig.page.soloTrack(3);
  EXPECT_EQ(rig.pattern().muteMask, 0b110111);
  rig.page.soloTrack(3);
  EXPECT_EQ(rig.pattern().muteMask, 0);
  rig.page.soloTrack(6);  // no such track
  EXPECT_EQ(rig.context.commands.size(), 2u);
}

TEST_F(Wiring, TheRatePillCyclesFromFiveBackToZero) {
  rig.pattern().tracks[0].rate = 5;
  rig.page.cycleRate();
  EXPECT_EQ(rig.pattern().tracks[0].rate, 0);
  EXPECT_EQ(rig.page.rateLabel, "1/8");
}

TEST_F(Wiring, RetrigRateStepsThroughTheEightCodesAndWraps) {
  struct Case {
    int stored;
    bool up;
    int sent;
  };
  for (Case c : {Case{24, true, 16}, Case{24, false, 32}, Case{96, false, 6}, Case{6, true, 96},
                 Case{20, true, 16}, Case{0, true, 16}, Case{0, false, 32}}) {
    SCOPED_TRACE(testing::Message() << c.stored << (c.up ? " up" : " down"));
    rig.reset();
    rig.pattern().tracks[0].steps[2].rateTicks = static_cast<std::uint16_t>(c.stored);
    rig.page.grid.onRetrigRate(2, c.up);
    ASSERT_EQ(rig.context.commands.size(), 1u);
    EXPECT_FLOAT_EQ(rig.context.commands[0].value, static_cast<float>(c.sent));
  }
  rig.reset();
  rig.page.grid.onRetrigRate(16, true);
  EXPECT_TRUE(rig.context.commands.empty());
}

TEST_F(Wiring, RepeatsOnAStepWithARateKeepItsRate) {
  rig.pattern().tracks[0].steps[2].rateTicks = 12;
  rig.page.grid.onRetrigCount(2, 4);
  ASSERT_EQ(rig.context.commands.size(), 1u);
  EXPECT_EQ(rig.pattern().tracks[0].steps[2].rateTicks, 12);
  rig.reset();
  rig.page.grid.onRetrigCount(2, 1);  // no repeats yet: the rate stays unset
  EXPECT_EQ(rig.context.commands.size(), 1u);
  EXPECT_EQ(rig.pattern().tracks[0].steps[2].rateTicks, 0);
}

TEST_F(Wiring, MicroTimingOfAFullCellClampsTo63) {
  rig.page.grid.onMicro(0, 1.0f);
  EXPECT_FLOAT_EQ(rig.context.commands.at(0).value, 64.0f);
  EXPECT_EQ(rig.pattern().tracks[0].steps[0].micro, 63);
}

TEST_F(Wiring, TheSecondHitButtonSendsTheSameValuesEachTime) {
  for (int press = 0; press < 2; ++press) rig.page.anatomy.onSecondHit();
  ASSERT_EQ(rig.context.commands.size(), 4u);
  for (int i = 0; i < 4; i += 2) {
    EXPECT_FLOAT_EQ(rig.context.commands[i].value, 1.0f);
    EXPECT_FLOAT_EQ(rig.context.commands[i + 1].value, 0.6f);
  }
}

TEST_F(Wiring, AHandlerFiredAfterTheSelectionChangedActsOnTheNewSelection) {
  rig.context.track = 2;
  rig.page.anatomy.onBleed(0.1f);
  EXPECT_EQ(rig.context.commands.at(0).track, 2u);
  EXPECT_FLOAT_EQ(rig.soundOf(2).params[drumParam("bleed")], 0.1f);
}

TEST_F(Wiring, TheLiveGetterReadsTheEngineForTheTrackSelectedWhenMade) {
  const std::function<float(int)> live = rig.bench.tickLive();
  ASSERT_TRUE(static_cast<bool>(live));
  const int tone = drumParam("exc1_tone");
  EXPECT_FLOAT_EQ(live(tone), rig.context.host().engine.modulatedParam(0, static_cast<std::uint32_t>(tone)));
  for (int invalid : {-1, 8}) {
    rig.context.track = invalid;
    EXPECT_FALSE(static_cast<bool>(rig.bench.tickLive()));
  }
}

}  // namespace
}  // namespace orbi::test
