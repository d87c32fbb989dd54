// The built-in kits: the shared recipe (defaults, trims, room, step strings,
// default macros, ids) and each kit's own settings.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>
#include <string>

#include "content/kits/factory_kit_builder.h"
#include "document/legacy/legacy_writer.h"
#include "engine/params/param_info.h"
#include "engine/params/param_tables.h"

namespace kits_builder_test {

using ob::Pattern;

float param(const Pattern& p, int sound, const char* key) {
  const int index = ob::findParamIndex(p.kit.sounds[sound].machine, key);
  EXPECT_GE(index, 0) << key;
  return index >= 0 ? p.kit.sounds[sound].params[index] : NAN;
}

float defaultParam(int machine, const char* key) {
  ob::Sound s;
  ob::initSoundParams(s, machine);
  return s.params[ob::findParamIndex(machine, key)];
}

std::string stepString(const ob::Track& track) {
  std::string out;
  for (const ob::Step& s : track.steps) {
    if (!s.active) {
      EXPECT_EQ(s.velocity, 100);
      out += '-';
    } else if (s.velocity == 118) {
      out += 'X';
    } else if (s.velocity == 96) {
      out += 'x';
    } else if (s.velocity == 56) {
      out += 'o';
    } else {
      out += '?';
    }
    EXPECT_EQ(s.note, 60);
  }
  return out;
}

struct KitRow {
  const char* name;
  std::vector<std::string> tags;
  int voices;
  float tempo;
  float swing;
  double trimExponent;  // 0: none
  float roomSize;       // of a sound in the room list; 0: none
  int roomSound;
};

const KitRow kRows[9] = {
    {"Crushed Techno", {"techno", "crushed"}, 6, 132, 50, -0.105, 0.55f, 1},
    {"Acid Bass and Drums", {"acid", "303"}, 6, 128, 50, -0.145, 0.45f, 1},
    {"Lo-fi Hip-hop", {"lofi", "hiphop"}, 6, 84, 58, 0, 0.5725f, 1},
    {"Hard Rave", {"rave", "hardcore"}, 6, 150, 50, -0.23, 0.6f, 1},
    {"Punch House", {"house", "punch"}, 6, 124, 50, 0, 0.5f, 1},
    {"IDM Glitch", {"idm", "glitch"}, 6, 150, 50, -0.09, 0.0f, 0},
    {"Layered Trap", {"trap", "layered"}, 5, 140, 50, -0.04, 0.6725f, 1},
    {"Modern Acoustic", {"acoustic", "rock"}, 8, 96, 50, 0, 0.595f, 0},
    {"70s Rock", {"acoustic", "70s", "rock"}, 8, 112, 50, 0, 0.445f, 0},
};

TEST(FactoryKits, CountAndOutOfRangeIndexGivesTheDefaultPattern) {
  EXPECT_EQ(ob::factoryKitCount(), 9);
  for (std::uint32_t index : {9u, 10u, 1000u, 0xFFFFFFFFu}) {
    const Pattern p = ob::makeFactoryKit(index);
    EXPECT_STREQ(p.kit.name, "");
    EXPECT_STREQ(p.kit.author, "");
    EXPECT_EQ(p.kit.tagCount, 0);
    EXPECT_EQ(p.numTracks, 0);
    EXPECT_FLOAT_EQ(p.bpm, 120.0f);
    EXPECT_FLOAT_EQ(p.swing, 50.0f);
    for (const ob::Macro& m : p.kit.macros) {
      EXPECT_STREQ(m.name, "");
      EXPECT_EQ(m.destCount, 0);
    }
    for (const ob::Track& t : p.tracks) EXPECT_STREQ(t.id, "");
    for (const ob::Sound& s : p.kit.sounds) EXPECT_STREQ(s.id, "");
  }
}

TEST(FactoryKits, TableFieldsOfEveryKit) {
  for (int i = 0; i < 9; ++i) {
    SCOPED_TRACE(i);
    const KitRow& row = kRows[i];
    const Pattern p = ob::makeFactoryKit(static_cast<std::uint32_t>(i));
    EXPECT_STREQ(p.kit.name, row.name);
    EXPECT_STREQ(p.kit.author, "Orbitrane");
    EXPECT_EQ(p.kit.version, 1);
    ASSERT_EQ(p.kit.tagCount, row.tags.size());
    for (std::size_t t = 0; t < row.tags.size(); ++t) EXPECT_EQ(row.tags[t], p.kit.tags[t]);
    EXPECT_EQ(p.numTracks, row.voices);
    EXPECT_FLOAT_EQ(p.bpm, row.tempo);
    EXPECT_FLOAT_EQ(p.swing, row.swing);
    EXPECT_EQ(p.length, 16);
    EXPECT_STREQ(p.name, "");
    EXPECT_FLOAT_EQ(p.accentAmount, 0.0f);
    EXPECT_EQ(p.accentEvery, 4);
    EXPECT_FLOAT_EQ(p.accentCurve, 0.5f);
    EXPECT_EQ(p.seed, 0u);
    const int machine = i < 7 ? ob::kMachineDrum : ob::kMachineSample;
    for (int k = 0; k < row.voices; ++k) {
      EXPECT_EQ(p.kit.sounds[k].machine, machine);
      EXPECT_EQ(p.tracks[k].soundIndex, k);
      EXPECT_EQ(p.tracks[k].length, 16);
      EXPECT_EQ(p.tracks[k].rate, 1);
      EXPECT_FLOAT_EQ(p.tracks[k].swing, -1.0f);
      EXPECT_EQ(p.tracks[k].chokeGroup, 255);
      EXPECT_NE(p.kit.sounds[k].name[0], '\0');
    }
    // The kick is voice 0 everywhere, at gain 1 before the trim.
    const double trim = std::pow(10.0, row.trimExponent);
    EXPECT_NEAR(p.tracks[0].gain, trim, 1e-6);
    if (row.roomSize > 0.0f) {
      EXPECT_NEAR(param(p, row.roomSound, "space_size"), row.roomSize, 1e-6);
    }
  }
}

TEST(FactoryKits, TrimMultipliesEveryVoiceGain) {
  // Kit 0: -2.1 dB on every track, so the kick is about 0.785.
  const Pattern k0 = ob::makeFactoryKit(0);
  EXPECT_NEAR(k0.tracks[0].gain, 0.7852, 1e-4);
  EXPECT_NEAR(k0.tracks[2].gain, 0.55 * std::pow(10.0, -0.105), 1e-6);
  const Pattern k3 = ob::makeFactoryKit(3);
  EXPECT_NEAR(k3.tracks[5].gain, 0.65 * std::pow(10.0, -0.23), 1e-6);
  const Pattern k6 = ob::makeFactoryKit(6);
  EXPECT_NEAR(k6.tracks[4].gain, 0.9 * std::pow(10.0, -0.04), 1e-6);
  // Tracks beyond the kit are untouched.
  EXPECT_FLOAT_EQ(k6.tracks[5].gain, 1.0f);
  // Untrimmed kits keep the table's gains exactly.
  EXPECT_FLOAT_EQ(ob::makeFactoryKit(4).tracks[1].gain, 0.82f);
  EXPECT_FLOAT_EQ(ob::makeFactoryKit(7).tracks[7].gain, 0.66f);
}

TEST(FactoryKits, StepStringsAndSilentVoices) {
  const Pattern k0 = ob::makeFactoryKit(0);
  EXPECT_EQ(stepString(k0.tracks[0]), "X---X---X---X---");
  EXPECT_EQ(stepString(k0.tracks[2]), "--x---x---x---x-");
  // "Stab" has no groove but is a full sound.
  EXPECT_EQ(stepString(k0.tracks[4]), "----------------");
  EXPECT_STREQ(k0.kit.sounds[4].name, "Stab");
  EXPECT_FLOAT_EQ(param(k0, 4, "res_tune"), 110.0f);
  EXPECT_EQ(stepString(ob::makeFactoryKit(4).tracks[1]), "----o-------o---");
  EXPECT_EQ(stepString(ob::makeFactoryKit(5).tracks[2]), "x-xoo-x-xo-xo-xo");
  const Pattern k6 = ob::makeFactoryKit(6);
  EXPECT_EQ(stepString(k6.tracks[4]), stepString(k6.tracks[0]));
  EXPECT_EQ(stepString(k6.tracks[4]), "X-------X---X---");
  const Pattern k7 = ob::makeFactoryKit(7);
  EXPECT_EQ(stepString(k7.tracks[1]), "--o-X-o-o-o-X-o-");
  EXPECT_EQ(stepString(k7.tracks[3]), "----------------");
  EXPECT_EQ(stepString(k7.tracks[6]), "----------------");
  const Pattern k8 = ob::makeFactoryKit(8);
  for (int t : {3, 4, 6}) EXPECT_EQ(stepString(k8.tracks[t]), "----------------") << t;
  EXPECT_EQ(stepString(k8.tracks[5]), "--------------x-");
}

TEST(FactoryKits, StepStringStopsAtItsEndAndIgnoresOtherCharacters) {
  ob::Track track;
  ob::applyStepString(track, "X.o");
  EXPECT_EQ(stepString(track), "X-o-------------");
  ob::Track longer;
  ob::applyStepString(longer, "xxxxxxxxxxxxxxxxXXXX");
  EXPECT_EQ(stepString(longer), "xxxxxxxxxxxxxxxx");
  ob::Track none;
  ob::applyStepString(none, nullptr);
  EXPECT_EQ(stepString(none), "----------------");
}

TEST(FactoryKits, RoomRoutine) {
  Pattern p{};
  ob::initSoundParams(p.kit.sounds[0], ob::kMachineDrum);
  ob::initSoundParams(p.kit.sounds[1], ob::kMachineDrum);
  ob::initSoundParams(p.kit.sounds[2], ob::kMachineSample);
  const float defMix = defaultParam(ob::kMachineDrum, "space_mix");
  const float defSize = defaultParam(ob::kMachineDrum, "space_size");
  ob::applyRoom(p, 0.45f, 0.45f, 0.6f, 0.35f, {{0, 0.6f}, {1, 0.0f}, {2, 0.1f}, {3, -1.0f}});
  // 0.6 x 0.35 x 3 = 0.63 is held at 0.5.
  EXPECT_FLOAT_EQ(param(p, 0, "space_mix"), 0.5f);
  EXPECT_NEAR(param(p, 0, "space_size"), 0.55f, 1e-6);
  EXPECT_FLOAT_EQ(param(p, 0, "space_damp"), 0.6f);
  // An amount of 0 leaves the sound alone.
  EXPECT_FLOAT_EQ(param(p, 1, "space_mix"), defMix);
  EXPECT_FLOAT_EQ(param(p, 1, "space_size"), defSize);
  EXPECT_NEAR(param(p, 2, "space_mix"), 0.1f * 0.35f * 3.0f, 1e-6);

  // Size is held to 0.15..0.9.
  Pattern big{};
  ob::initSoundParams(big.kit.sounds[0], ob::kMachineDrum);
  ob::applyRoom(big, 2.0f, 2.0f, 0.5f, 0.3f, {{0, 0.1f}});
  EXPECT_FLOAT_EQ(param(big, 0, "space_size"), 0.9f);
  ob::applyRoom(big, -1.0f, -1.0f, 0.5f, 0.3f, {{0, 0.1f}});
  EXPECT_FLOAT_EQ(param(big, 0, "space_size"), 0.15f);
  // An empty list and out-of-range sounds change nothing.
  ob::applyRoom(big, 0.5f, 0.5f, 0.1f, 0.3f, {});
  ob::applyRoom(big, 0.5f, 0.5f, 0.1f, 0.3f, {{-1, 0.5f}, {8, 0.5f}});
  EXPECT_FLOAT_EQ(param(big, 0, "space_damp"), 0.5f);
}

TEST(FactoryKits, RoomAmountsOfTheKits) {
  const Pattern k0 = ob::makeFactoryKit(0);
  EXPECT_NEAR(param(k0, 1, "space_mix"), 0.25f * 0.35f * 3.0f, 1e-6);
  EXPECT_NEAR(param(k0, 4, "space_mix"), 0.2f * 0.35f * 3.0f, 1e-6);
  EXPECT_FLOAT_EQ(param(k0, 1, "space_damp"), 0.6f);
  // The kick is not in the room list.
  EXPECT_FLOAT_EQ(param(k0, 0, "space_mix"), defaultParam(ob::kMachineDrum, "space_mix"));
  // Kit 5 carries its room in the voices' own tables.
  const Pattern k5 = ob::makeFactoryKit(5);
  EXPECT_FLOAT_EQ(param(k5, 1, "space_size"), 0.3f);
  EXPECT_FLOAT_EQ(param(k5, 1, "space_mix"), 0.16f);
  EXPECT_FLOAT_EQ(param(k5, 4, "space_damp"), 0.25f);
  EXPECT_FLOAT_EQ(param(k5, 0, "space_mix"), defaultParam(ob::kMachineDrum, "space_mix"));
  // Every voice of the sample kits gets a room amount.
  for (std::uint32_t i : {7u, 8u}) {
    const Pattern p = ob::makeFactoryKit(i);
    for (int k = 0; k < 8; ++k) {
      EXPECT_GT(param(p, k, "space_mix"), 0.0f);
      EXPECT_NEAR(param(p, k, "space_size"), kRows[i].roomSize, 1e-6);
    }
  }
  EXPECT_NEAR(param(ob::makeFactoryKit(8), 7, "space_mix"), 0.18f * 0.25f * 3.0f, 1e-6);
  EXPECT_FLOAT_EQ(param(ob::makeFactoryKit(8), 0, "space_damp"), 0.72f);
}

TEST(FactoryKits, ParameterTablesReachTheSounds) {
  const Pattern k0 = ob::makeFactoryKit(0);
  EXPECT_FLOAT_EQ(param(k0, 0, "res_aux2"), 0.03797468f);
  EXPECT_FLOAT_EQ(param(k0, 0, "fx_crush"), 8.0f);
  EXPECT_FLOAT_EQ(param(k0, 3, "res_type"), 8.0f);
  EXPECT_FLOAT_EQ(param(k0, 5, "res_tune"), 400.0f);
  const Pattern k2 = ob::makeFactoryKit(2);
  EXPECT_FLOAT_EQ(param(k2, 0, "flt_cutoff"), 180.0f);
  EXPECT_FLOAT_EQ(param(k2, 2, "fx_srr"), 0.3f);
  EXPECT_FLOAT_EQ(param(k2, 4, "bleed"), 0.0f);
  const Pattern k3 = ob::makeFactoryKit(3);
  EXPECT_FLOAT_EQ(param(k3, 5, "flt2_type"), 2.0f);
  EXPECT_FLOAT_EQ(param(k3, 5, "flt2_cutoff"), 1500.0f);
  const Pattern k4 = ob::makeFactoryKit(4);
  EXPECT_FLOAT_EQ(param(k4, 1, "exc2_level"), 0.73333335f);
  const Pattern k5 = ob::makeFactoryKit(5);
  EXPECT_FLOAT_EQ(param(k5, 0, "res_tune"), 46.25f);
  EXPECT_FLOAT_EQ(param(k5, 5, "dist_bias"), 0.2f);
  EXPECT_FLOAT_EQ(param(k5, 4, "res_type"), 5.0f);
  const Pattern k6 = ob::makeFactoryKit(6);
  EXPECT_FLOAT_EQ(param(k6, 4, "fx_drive"), 1.4f);
  EXPECT_FLOAT_EQ(param(k6, 3, "fx_crush"), 8.0f);
  // Values are stored unchanged, whatever the parameter's range.
  EXPECT_FLOAT_EQ(param(k6, 4, "res_decay"), 2.0f);
  const Pattern k8 = ob::makeFactoryKit(8);
  EXPECT_FLOAT_EQ(param(k8, 2, "lp"), 9000.0f);
  EXPECT_FLOAT_EQ(param(k8, 7, "decay"), 2.2f);
  EXPECT_FLOAT_EQ(param(ob::makeFactoryKit(7), 6, "level"), 0.72f);
}

TEST(FactoryKits, AcidLfoAndGlitchRetriggers) {
  const Pattern k1 = ob::makeFactoryKit(1);
  const ob::Lfo& lfo = k1.tracks[3].lfos[0];
  EXPECT_EQ(lfo.enabled, 1);
  EXPECT_EQ(lfo.dest, ob::findParamIndex(ob::kMachineDrum, "flt_cutoff"));
  EXPECT_FLOAT_EQ(lfo.rate, 0.5f);
  EXPECT_EQ(lfo.shape, 0);
  EXPECT_FLOAT_EQ(lfo.depth, 0.4f);
  EXPECT_EQ(lfo.trig, 0);
  EXPECT_EQ(lfo.sync, 0);
  EXPECT_EQ(lfo.rateDiv, 5);
  EXPECT_EQ(k1.tracks[3].lfos[1].enabled, 0);
  for (int t : {0, 1, 2, 4, 5}) EXPECT_EQ(k1.tracks[t].lfos[0].enabled, 0);

  const Pattern k5 = ob::makeFactoryKit(5);
  const ob::Step& a = k5.tracks[2].steps[6];
  const ob::Step& b = k5.tracks[2].steps[14];
  EXPECT_TRUE(a.active && b.active);
  EXPECT_EQ(a.count, 3);
  EXPECT_EQ(a.rateTicks, 8);
  EXPECT_EQ(b.count, 4);
  EXPECT_EQ(b.rateTicks, 6);
  int retrigs = 0;
  for (const ob::Track& t : k5.tracks)
    for (const ob::Step& s : t.steps) retrigs += s.count > 0;
  EXPECT_EQ(retrigs, 2);
}

TEST(FactoryKits, SampleKitsZonesAndSlot) {
  const Pattern k7 = ob::makeFactoryKit(7);
  const ob::Sound& snare = k7.kit.sounds[1];
  ASSERT_EQ(snare.zoneCount, 4);
  EXPECT_EQ(snare.mode, 0);
  const int slots[4] = {5, 6, 7, 8};
  const int tops[4] = {25, 70, 105, 127};
  for (int z = 0; z < 4; ++z) {
    EXPECT_EQ(snare.slot[z], slots[z]);
    EXPECT_EQ(snare.velMax[z], tops[z]);
  }
  EXPECT_FLOAT_EQ(param(k7, 0, "slot"), 0.0f);
  EXPECT_FLOAT_EQ(param(k7, 7, "slot"), 27.0f);
  const Pattern k8 = ob::makeFactoryKit(8);
  EXPECT_FLOAT_EQ(param(k8, 0, "slot"), 3.0f);
  EXPECT_FLOAT_EQ(param(k8, 1, "slot"), 10.0f);
  EXPECT_EQ(k8.kit.sounds[4].zoneCount, 3);
  for (const Pattern* p : {&k7, &k8}) {
    for (int k = 0; k < 8; ++k) {
      const ob::Sound& s = p->kit.sounds[k];
      EXPECT_GE(s.zoneCount, 2);
      EXPECT_EQ(s.velMax[s.zoneCount - 1], 127);
      for (int z = 0; z < s.zoneCount; ++z) EXPECT_LE(s.slot[z], 32);
      EXPECT_EQ(p->tracks[k].chromatic, 0);
    }
  }
  // Drum kits carry no zones.
  EXPECT_EQ(ob::makeFactoryKit(0).kit.sounds[0].zoneCount, 0);
}

TEST(FactoryKits, DefaultMacros) {
  for (int i = 0; i < 9; ++i) {
    SCOPED_TRACE(i);
    const Pattern p = ob::makeFactoryKit(static_cast<std::uint32_t>(i));
    const ob::Macro& room = p.kit.macros[0];
    EXPECT_STREQ(room.name, "Room");
    ASSERT_EQ(room.destCount, p.numTracks);
    for (int t = 0; t < room.destCount; ++t) {
      EXPECT_EQ(room.dests[t].track, t);
      EXPECT_EQ(room.dests[t].param, ob::findParamIndex(p.kit.sounds[t].machine, "space_mix"));
      EXPECT_FLOAT_EQ(room.dests[t].target, 0.45f);
    }
    EXPECT_FLOAT_EQ(room.value, 0.0f);
    const bool drum = i < 7;
    EXPECT_STREQ(p.kit.macros[1].name, drum ? "Body" : "");
    EXPECT_STREQ(p.kit.macros[2].name, drum ? "Grit" : "");
    EXPECT_EQ(p.kit.macros[1].destCount, drum ? p.numTracks : 0);
    EXPECT_EQ(p.kit.macros[2].destCount, drum ? p.numTracks : 0);
    if (drum) {
      EXPECT_EQ(p.kit.macros[1].dests[0].param, ob::findParamIndex(ob::kMachineDrum, "bleed"));
      EXPECT_FLOAT_EQ(p.kit.macros[1].dests[0].target, 0.2f);
      EXPECT_EQ(p.kit.macros[2].dests[p.numTracks - 1].param,
                ob::findParamIndex(ob::kMachineDrum, "dist_amt"));
      EXPECT_FLOAT_EQ(p.kit.macros[2].dests[0].target, 0.9f);
    }
    EXPECT_STREQ(p.kit.macros[3].name, "");
    EXPECT_EQ(p.kit.macros[3].destCount, 0);
    EXPECT_EQ(p.kit.macros[3].dests[0].track, ob::kNoTrack);
  }
}

TEST(FactoryKits, MacrosSkipTracksWithoutASound) {
  Pattern p = ob::makeFactoryKit(99);
  p.numTracks = 3;
  for (int t = 0; t < 3; ++t) {
    ob::initSoundParams(p.kit.sounds[t], ob::kMachineDrum);
    p.tracks[t].soundIndex = static_cast<std::int8_t>(t);
  }
  p.tracks[1].soundIndex = -1;
  ob::addDefaultKitMacros(p);
  ASSERT_EQ(p.kit.macros[0].destCount, 2);
  EXPECT_EQ(p.kit.macros[0].dests[0].track, 0);
  EXPECT_EQ(p.kit.macros[0].dests[1].track, 2);
  // No track at all: every macro stays unnamed.
  Pattern empty = ob::makeFactoryKit(99);
  ob::addDefaultKitMacros(empty);
  for (const ob::Macro& m : empty.kit.macros) EXPECT_STREQ(m.name, "");
}

TEST(FactoryKits, LayeredTrapLeavesTheSpareTracksAlone) {
  const Pattern k6 = ob::makeFactoryKit(6);
  for (int t = 5; t < 8; ++t) {
    EXPECT_EQ(k6.tracks[t].soundIndex, -1);
    EXPECT_STREQ(k6.tracks[t].id, "");
    EXPECT_STREQ(k6.kit.sounds[t].name, "");
    EXPECT_STREQ(k6.kit.sounds[t].id, "");
    EXPECT_EQ(stepString(k6.tracks[t]), "----------------");
  }
}

TEST(FactoryKits, IdsAreUniqueAndBuildsRepeat) {
  for (int i = 0; i < 9; ++i) {
    SCOPED_TRACE(i);
    const Pattern p = ob::makeFactoryKit(static_cast<std::uint32_t>(i));
    std::set<std::string> trackIds, soundIds;
    for (int t = 0; t < p.numTracks; ++t) {
      EXPECT_NE(p.tracks[t].id[0], '\0');
      EXPECT_LT(std::strlen(p.tracks[t].id), 24u);
      trackIds.insert(p.tracks[t].id);
      soundIds.insert(p.kit.sounds[t].id);
    }
    EXPECT_EQ(trackIds.size(), p.numTracks);
    EXPECT_EQ(soundIds.size(), p.numTracks);
    const Pattern again = ob::makeFactoryKit(static_cast<std::uint32_t>(i));
    EXPECT_EQ(ob::patternToJsonText(p), ob::patternToJsonText(again));
    for (int t = 0; t < 8; ++t) EXPECT_EQ(stepString(p.tracks[t]), stepString(again.tracks[t]));
  }
  // Kits differ from each other.
  EXPECT_NE(ob::patternToJsonText(ob::makeFactoryKit(0)), ob::patternToJsonText(ob::makeFactoryKit(3)));
}

}  // namespace kits_builder_test
