// The track menu and the add-track choice: what the menu offers for a track,
// and what each entry does to the part, the selection and the sounds.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/params/param_tables.h"
#include "support/ui/ui_harness.h"
#include "tests/editor/bench_rig.h"
#include "ui/draw/draw_log.h"
#include "ui/draw/text.h"

namespace orbi::test {
namespace bench_track_menu_test {

using Menu = BenchController::MenuCommand;

const ui::MenuEntry* find(const std::vector<ui::MenuEntry>& entries, std::uint32_t command) {
  for (const ui::MenuEntry& e : entries) {
    if (e.kind == ui::MenuEntryKind::Item && e.command == command) return &e;
    if (const ui::MenuEntry* child = find(e.children, command)) return child;
  }
  return nullptr;
}

const ui::MenuEntry* findLabel(const std::vector<ui::MenuEntry>& entries, const std::string& label) {
  for (const ui::MenuEntry& e : entries)
    if (e.label == label) return &e;
  return nullptr;
}

class TrackMenu : public testing::Test {
 protected:
  // Track t plays slot `slot` through the sampler's window; the slot holds
  // the given chops.
  void samplerWithChops(int t, int slot, std::vector<float> chops) {
    ob::Sound& s = rig.soundOf(t);
    ob::initSoundParams(s, ob::kMachineSample);
    s.params[samplerParam("window_mode")] = 1.0f;
    s.params[samplerParam("slot")] = static_cast<float>(slot);
    ob::SampleSlot& sl = rig.context.project().samples.slots[slot];
    sl.sliceCount = static_cast<std::uint16_t>(chops.size());
    std::copy(chops.begin(), chops.end(), sl.slices);
  }
  void onlyActive(int t, std::vector<int> steps) {
    for (ob::Step& s : rig.pattern().tracks[t].steps) {
      s.active = 0;
      s.lockCount = 0;
    }
    for (int k : steps) rig.pattern().tracks[t].steps[k].active = 1;
  }
  std::vector<float> sliceLocks(int t) {
    std::vector<float> out;
    for (const ob::Step& s : rig.pattern().tracks[t].steps)
      for (int i = 0; i < s.lockCount; ++i)
        if (s.locks[i].param == samplerParam("slice")) out.push_back(s.locks[i].value);
    return out;
  }
  BenchRig rig;
};

TEST_F(TrackMenu, OpeningBuildsTheEntriesAndMarksThemPending) {
  rig.page.openTrackMenu(2);
  const auto& m = rig.bench.trackMenu;
  EXPECT_EQ(rig.bench.trackMenuPending, 1);
  EXPECT_EQ(rig.bench.trackMenuTrack, 2);
  ASSERT_FALSE(m.empty());
  EXPECT_EQ(m[0].kind, ui::MenuEntryKind::SectionLabel);
  EXPECT_EQ(m[0].label, "Closed hat");
  ASSERT_NE(find(m, Menu::kRemoveTrack), nullptr);
  EXPECT_TRUE(find(m, Menu::kRemoveTrack)->enabled);
  EXPECT_NE(find(m, Menu::kDuplicateTrack), nullptr);
  EXPECT_EQ(find(m, Menu::kLife)->label, "Add life");
  EXPECT_TRUE(find(m, Menu::kNoChoke)->checked);
  for (int k = 0; k < 8; ++k) EXPECT_FALSE(find(m, Menu::kFirstChoke + k)->checked);
  EXPECT_EQ(find(m, Menu::kFillLinear), nullptr);  // no chopped sample
  rig.bench.trackMenuPending = 0;
  rig.page.openTrackMenu(6);
  EXPECT_EQ(rig.bench.trackMenuPending, 0);
}

TEST_F(TrackMenu, RemovalKeepsTheSameTrackSelected) {
  struct Case {
    int selected, removed, after;
  };
  for (Case c : {Case{3, 1, 2}, Case{5, 5, 4}, Case{1, 3, 1}, Case{0, 0, 0}}) {
    SCOPED_TRACE(testing::Message() << c.selected << " " << c.removed);
    rig.reset();
    rig.context.track = c.selected;
    rig.context.step = 4;
    rig.bench.runTrackMenuAction(c.removed, Menu::kRemoveTrack);
    EXPECT_EQ(rig.pattern().numTracks, 5);
    EXPECT_EQ(rig.context.track, c.after);
    EXPECT_EQ(rig.context.step, -1);
    EXPECT_EQ(rig.context.commits, 1);
    EXPECT_EQ(rig.page.rows.size(), 5u);
  }
}

TEST_F(TrackMenu, ASharedSoundBlocksRemovalWithTheOtherTracksNumber) {
  rig.pattern().tracks[2].soundIndex = 1;
  for (auto [track, text] : {std::pair{1, "Can't remove - track 3 uses this sound"},
                             std::pair{2, "Can't remove - track 2 uses this sound"}}) {
    rig.bench.trackMenuEntries(track);
    const ui::MenuEntry* remove = find(rig.bench.trackMenu, Menu::kRemoveTrack);
    ASSERT_NE(remove, nullptr);
    EXPECT_EQ(remove->label, text);
    EXPECT_FALSE(remove->enabled);
    rig.bench.runTrackMenuAction(track, Menu::kRemoveTrack);
    EXPECT_EQ(rig.pattern().numTracks, 6);
    EXPECT_TRUE(rig.context.commands.empty());
  }
  EXPECT_EQ(BenchController::removeTrackBlocker({2, -1}), "Can't remove - a Part needs one track");
  EXPECT_EQ(BenchController::removeTrackBlocker({1, -1}), "Can't remove this track");
}

// Of a synthesiser only the common room mix has a life depth, and no
// parameter a life velocity amount: life is that one random entry.
TEST_F(TrackMenu, ASynthesiserLivesOnlyThroughItsRoomMix) {
  ob::initSoundParams(rig.soundOf(0), ob::kMachineVa);
  const int mix = ob::findParamIndex(ob::kMachineVa, "space_mix");
  rig.bench.trackMenuEntries(0);
  EXPECT_EQ(find(rig.bench.trackMenu, Menu::kLife)->label, "Add life");
  rig.bench.runTrackMenuAction(0, Menu::kLife);
  ASSERT_EQ(rig.context.commands.size(), 1u);
  EXPECT_EQ(rig.context.commands[0].kind, ob::kEditTrackRandom);
  EXPECT_EQ(rig.context.commands[0].param, mix);
  rig.bench.trackMenuEntries(0);
  EXPECT_EQ(find(rig.bench.trackMenu, Menu::kLife)->label, "Remove life");
  rig.bench.runTrackMenuAction(0, Menu::kLife);
  ASSERT_EQ(rig.context.commands.size(), 2u);
  EXPECT_EQ(rig.context.commands[1].kind, ob::kEditTrackRandom);
  EXPECT_FLOAT_EQ(rig.context.commands[1].value, 0.0f);
  EXPECT_EQ(rig.pattern().tracks[0].trackRandCount, 0);
}

TEST_F(TrackMenu, AddLifeThenRemoveLife) {
  const ob::Track& t = rig.pattern().tracks[0];
  ASSERT_FALSE(rig.bench.hasLife(rig.pattern(), 0));
  rig.bench.runTrackMenuAction(0, Menu::kLife);
  ASSERT_FALSE(rig.context.commands.empty());
  int randoms = 0;
  for (const ob::EditCommand& c : rig.context.commands) {
    const ob::ParamDescriptor* d = ob::findParamDescriptor(ob::kMachineDrum, c.param);
    ASSERT_NE(d, nullptr);
    if (c.kind == ob::kEditTrackRandom) {
      ++randoms;
      EXPECT_FLOAT_EQ(c.value, d->randomDefault);
    } else {
      EXPECT_EQ(c.kind, ob::kEditVelocityDest);
      EXPECT_FLOAT_EQ(c.value, d->velocityDefault);
    }
  }
  EXPECT_EQ(t.trackRandCount, std::min(randoms, ob::kListCapacity));
  if (randoms <= ob::kListCapacity) {
    EXPECT_TRUE(rig.bench.hasLife(rig.pattern(), 0));
    rig.bench.trackMenuEntries(0);
    EXPECT_EQ(find(rig.bench.trackMenu, Menu::kLife)->label, "Remove life");
    rig.bench.runTrackMenuAction(0, Menu::kLife);
    EXPECT_EQ(t.trackRandCount, 0);
    EXPECT_EQ(rig.soundOf(0).velDestCount, 0);
  }
  EXPECT_FALSE(rig.bench.hasLife(rig.pattern(), 7));
}

TEST_F(TrackMenu, ChokeGroupsAreSetTickedAndCleared) {
  rig.bench.runTrackMenuAction(1, Menu::kFirstChoke + 2);
  EXPECT_EQ(rig.pattern().tracks[1].chokeGroup, 2);
  EXPECT_EQ(rig.page.rows[1].chokeGroup, 2);
  rig.bench.trackMenuEntries(1);
  EXPECT_TRUE(find(rig.bench.trackMenu, Menu::kFirstChoke + 2)->checked);
  EXPECT_FALSE(find(rig.bench.trackMenu, Menu::kNoChoke)->checked);
  rig.bench.runTrackMenuAction(1, Menu::kNoChoke);
  EXPECT_EQ(rig.pattern().tracks[1].chokeGroup, ob::kNoChokeGroup);
  EXPECT_EQ(rig.page.rows[1].chokeGroup, -1);
}

TEST_F(TrackMenu, DuplicateSelectsTheCopyAndAFullPartOffersNone) {
  rig.bench.runTrackMenuAction(1, Menu::kDuplicateTrack);
  EXPECT_EQ(rig.pattern().numTracks, 7);
  EXPECT_EQ(rig.context.track, 6);
  EXPECT_EQ(rig.page.rows[6].steps, rig.page.rows[1].steps);
  rig.bench.runTrackMenuAction(1, Menu::kDuplicateTrack);
  rig.bench.trackMenuEntries(0);
  EXPECT_EQ(find(rig.bench.trackMenu, Menu::kDuplicateTrack), nullptr);
  const std::size_t sent = rig.context.commands.size();
  rig.bench.runTrackMenuAction(1, Menu::kDuplicateTrack);
  EXPECT_EQ(rig.context.commands.size(), sent);
}

// Each machine the add-track popup offers is named whole, and the name
// fits its row, at both scales.
TEST_F(TrackMenu, TheAddTrackPopupNamesEachMachineWhole) {
  for (const float s : {1.0f, 1.5f}) {
    SCOPED_TRACE(s);
    ui::UiHarness harness(s);
    rig.bench.addTrackAnchor = {20.0f, 20.0f, 80.0f, 20.0f};
    rig.bench.addPopupPending = 1;
    harness.frames(3, [&] { rig.bench.drawTrackMenu(); });
    ui::ContextScope scope(harness.ui());
    for (const std::uint8_t machine : {ob::kMachineDrum, ob::kMachineSample, ob::kMachineGranular}) {
      std::string name = ob::machineTypeName(machine);
      name[0] = static_cast<char>(name[0] - 'a' + 'A');
      SCOPED_TRACE(name);
      ASSERT_NE(harness.drawLog().findItem(name), nullptr);
      const ui::DrawRecord* label = nullptr;
      for (const ui::DrawRecord* r : harness.drawLog().find(ui::DrawOp::Text))
        if (r->text == name) label = r;
      ASSERT_NE(label, nullptr);
      EXPECT_FALSE(ui::fitTextToWidth(name, label->style, label->rect.width).truncated);
    }
  }
}

TEST_F(TrackMenu, ANewGranularTrackGetsItsStarterValues) {
  rig.bench.addTrackOf(ob::kMachineGranular);
  ASSERT_EQ(rig.pattern().numTracks, 7);
  const ob::Sound& s = rig.soundOf(6);
  EXPECT_EQ(s.machine, ob::kMachineGranular);
  EXPECT_FLOAT_EQ(s.params[ob::findParamIndex(ob::kMachineGranular, "size")], 80.0f);
  EXPECT_FLOAT_EQ(s.params[ob::findParamIndex(ob::kMachineGranular, "density")], 30.0f);
  EXPECT_EQ(rig.context.track, 6);
  EXPECT_EQ(rig.context.commits, 1);
  EXPECT_EQ(rig.page.rows.size(), 7u);
}

TEST_F(TrackMenu, StarterValuesLandInTheSoundTheNewTrackPlays) {
  // Track 1 plays sound 6, so the new track 6 gets the free sound 1.
  rig.pattern().tracks[1].soundIndex = 6;
  ob::initSoundParams(rig.pattern().kit.sounds[6], ob::kMachineVa);
  const ob::Kit before = rig.pattern().kit;
  rig.bench.addTrackOf(ob::kMachineSample);
  ASSERT_EQ(rig.pattern().tracks[6].soundIndex, 1);
  const ob::Sound& fresh = rig.pattern().kit.sounds[1];
  EXPECT_EQ(fresh.machine, ob::kMachineSample);
  EXPECT_FLOAT_EQ(fresh.params[samplerParam("decay")], 8.0f);
  EXPECT_FLOAT_EQ(fresh.params[samplerParam("attack")], 0.001f);
  for (int s = 0; s < ob::kMaxTracks; ++s) {
    if (s == 1) continue;
    SCOPED_TRACE(s);
    const ob::Sound& now = rig.pattern().kit.sounds[s];
    EXPECT_EQ(now.machine, before.sounds[s].machine);
    EXPECT_EQ(std::memcmp(now.params, before.sounds[s].params, sizeof now.params), 0);
    EXPECT_STREQ(now.name, before.sounds[s].name);
  }
}

// A new track is named by its machine as the popup offers it, numbered
// when a sound of the part already has that name.
TEST_F(TrackMenu, ANewTrackIsNamedByItsMachineAndNumberedWhenTaken) {
  rig.bench.addTrackOf(ob::kMachineGranular);
  rig.bench.addTrackOf(ob::kMachineGranular);
  ASSERT_EQ(rig.pattern().numTracks, 8);
  EXPECT_STREQ(rig.soundOf(6).name, "Granular");
  EXPECT_STREQ(rig.soundOf(7).name, "Granular 2");
}

// A copy gets a name of its own, numbered after its source's; a number
// that is part of a name stays, and a long name is cut at a character to
// make room for the number.
TEST_F(TrackMenu, ADuplicateIsNumberedAfterItsSource) {
  struct Case {
    std::string source;
    std::vector<std::string> copies;
  };
  const std::string longName = std::string(44, 'x') + "\u00E9";  // 46 bytes
  for (const Case& c : {Case{"Snare", {"Snare 2", "Snare 3"}}, Case{"Tom 2", {"Tom 3", "Tom 4"}},
                        Case{"TR 808", {"TR 808 2", "TR 808 3"}},
                        Case{longName, {std::string(44, 'x') + " 2", std::string(44, 'x') + " 3"}}}) {
    SCOPED_TRACE(c.source);
    BenchRig fresh;
    ob::copyText(fresh.soundOf(1).name, c.source.c_str());
    fresh.bench.runTrackMenuAction(1, Menu::kDuplicateTrack);
    fresh.bench.runTrackMenuAction(1, Menu::kDuplicateTrack);
    ASSERT_EQ(fresh.pattern().numTracks, 8);
    EXPECT_EQ(std::string(fresh.soundOf(1).name), c.source) << "the source keeps its name";
    EXPECT_EQ(std::string(fresh.soundOf(6).name), c.copies[0]);
    EXPECT_EQ(std::string(fresh.soundOf(7).name), c.copies[1]);
  }
}

TEST_F(TrackMenu, AFullPartIgnoresTheAddTrackButtonAndAChoice) {
  rig.bench.addTrackOf(ob::kMachineDrum);
  rig.bench.addTrackOf(ob::kMachineDrum);
  ASSERT_EQ(rig.pattern().numTracks, 8);
  const std::size_t sent = rig.context.commands.size();
  rig.bench.addTrackOf(ob::kMachineDrum);
  rig.page.addTrack();
  EXPECT_EQ(rig.context.commands.size(), sent);
  EXPECT_EQ(rig.bench.addPopupPending, 0);
}

TEST_F(TrackMenu, LinearFillLocksTheSlicesInOrderOverTheActiveSteps) {
  for (auto [chops, expected] : {std::pair{std::vector<float>{0.0f, 0.3f, 0.6f}, std::vector<float>{0, 1, 2}},
                                 std::pair{std::vector<float>{0.0f, 0.5f}, std::vector<float>{0, 1, 0}}}) {
    SCOPED_TRACE(chops.size());
    rig.reset();
    samplerWithChops(0, 4, chops);
    onlyActive(0, {0, 3, 8});
    rig.bench.trackMenuEntries(0);
    EXPECT_NE(find(rig.bench.trackMenu, Menu::kFillLinear), nullptr);
    EXPECT_NE(findLabel(rig.bench.trackMenu, "Fill slices across trigs"), nullptr);
    rig.bench.runTrackMenuAction(0, Menu::kFillLinear);
    EXPECT_EQ(sliceLocks(0), expected);
    EXPECT_EQ(rig.context.snapshots, 1);
    EXPECT_EQ(rig.context.commits, 1);
  }
}

TEST_F(TrackMenu, RandomFillFollowsItsSeed) {
  std::vector<std::vector<float>> fills;
  for (std::uint32_t seed : {12345u, 12345u, 0u, 0x9E3779B9u}) {
    rig.reset();
    samplerWithChops(0, 4, {0.0f, 0.25f, 0.5f, 0.75f});
    onlyActive(0, {0, 2, 4, 6, 8, 10, 12, 14});
    rig.bench.seedSource = [seed] { return seed; };
    rig.bench.runTrackMenuAction(0, Menu::kFillRandom);
    fills.push_back(sliceLocks(0));
    ASSERT_EQ(fills.back().size(), 8u);
    for (float v : fills.back()) EXPECT_TRUE(v >= 0.0f && v <= 3.0f && v == std::floor(v));
  }
  EXPECT_EQ(fills[0], fills[1]);
  EXPECT_EQ(fills[2], fills[3]);  // a zero seed stands for the fallback
  EXPECT_NE(fills[0], fills[2]);
}

TEST_F(TrackMenu, FillNeedsTwoChopsAndKeepsAStepWithEightOtherLocks) {
  samplerWithChops(0, 4, {0.0f});
  onlyActive(0, {0, 1});
  rig.bench.fillSlicesAcrossTrigs(0, false);
  EXPECT_EQ(rig.context.snapshots, 0);
  samplerWithChops(0, 4, {0.0f, 0.5f});
  ob::Step& full = rig.pattern().tracks[0].steps[0];
  for (int i = 0; i < ob::kListCapacity; ++i) ob::setStepLock(full, i, 0.5f);
  rig.bench.fillSlicesAcrossTrigs(0, false);
  EXPECT_EQ(sliceLocks(0), std::vector<float>{1.0f});  // only the second step
  // The sampler's own track alone: a drum's steps would take the slice's
  // index for a parameter of their own.
  onlyActive(1, {0, 2});
  rig.bench.fillSlicesAcrossTrigs(1, false);
  for (int k : {0, 2}) EXPECT_EQ(rig.pattern().tracks[1].steps[k].lockCount, 0) << k;
}

}  // namespace bench_track_menu_test
}  // namespace orbi::test
