#include "engine/params/param_tables.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <set>
#include <string>

namespace params_tables_test {

constexpr int kKnownMachines[] = {0, 1, 2, 3};

bool isEmptyRow(const ob::ParamInfo& p) {
  return p.id != nullptr && p.id[0] == '\0' && p.min == 0.0f && p.max == 0.0f && p.defaultValue == 0.0f &&
         p.stepped == 0 && p.labels == nullptr && p.keys == nullptr && p.labelCount == 0;
}

std::string labelsOf(const ob::ParamInfo& p) {
  std::string s;
  for (std::uint32_t i = 0; i < p.labelCount; ++i) s += std::string(p.labels[i]) + "/" + p.keys[i] + ";";
  return s;
}

TEST(ParamTables, CountsPerMachine) {
  EXPECT_EQ(ob::paramCount(0), 40);
  EXPECT_EQ(ob::paramCount(1), 34);
  EXPECT_EQ(ob::paramCount(2), 34);
  EXPECT_EQ(ob::paramCount(3), 52);
  EXPECT_EQ(ob::ownParamCount(0), 18);
  EXPECT_EQ(ob::ownParamCount(1), 12);
  EXPECT_EQ(ob::ownParamCount(2), 12);
  EXPECT_EQ(ob::ownParamCount(3), 30);
  EXPECT_EQ(ob::commonParamCount(), 22);
  for (int m : kKnownMachines) EXPECT_LE(ob::paramCount(m), ob::kMaxSoundParams);
}

TEST(ParamTables, UnknownMachineCodesAreTheDrum) {
  for (int code : {4, 7, 200, 255, 256, -1, INT_MIN, INT_MAX}) {
    SCOPED_TRACE(code);
    EXPECT_EQ(ob::paramCount(code), 52);
    EXPECT_EQ(ob::ownParamCount(code), 30);
    EXPECT_STREQ(ob::machineTypeName(code), "drum");
    EXPECT_EQ(ob::findParamIndex(code, "exc2_width"), 29);
    EXPECT_EQ(ob::findParamIndex(code, "window_mode"), -1);
    for (int i = 0; i < 52; ++i) EXPECT_STREQ(ob::paramInfo(code, i).id, ob::paramInfo(3, i).id);
  }
}

TEST(ParamTables, EveryRowIsWellFormed) {
  for (int m : kKnownMachines) {
    std::set<std::string> ids;
    for (int i = 0; i < ob::paramCount(m); ++i) {
      const ob::ParamInfo p = ob::paramInfo(m, i);
      SCOPED_TRACE(std::string(ob::machineTypeName(m)) + ":" + p.id);
      ASSERT_NE(p.id, nullptr);
      ASSERT_NE(p.unit, nullptr);
      EXPECT_GT(std::strlen(p.id), 0u);
      EXPECT_TRUE(ids.insert(p.id).second) << "duplicate key";
      EXPECT_LT(p.min, p.max);
      EXPECT_GE(p.defaultValue, p.min);
      EXPECT_LE(p.defaultValue, p.max);
      if (p.stepped) {
        EXPECT_EQ(p.stepped, 1u);
        EXPECT_EQ(p.min, static_cast<float>(static_cast<int>(p.min)));
        EXPECT_EQ(p.max, static_cast<float>(static_cast<int>(p.max)));
        EXPECT_EQ(p.defaultValue, static_cast<float>(static_cast<int>(p.defaultValue)));
        ASSERT_EQ(static_cast<int>(p.labelCount), static_cast<int>(p.max - p.min) + 1);
        ASSERT_NE(p.labels, nullptr);
        ASSERT_NE(p.keys, nullptr);
        std::set<std::string> words, labels;
        for (std::uint32_t k = 0; k < p.labelCount; ++k) {
          ASSERT_NE(p.labels[k], nullptr);
          ASSERT_NE(p.keys[k], nullptr);
          EXPECT_GT(std::strlen(p.labels[k]), 0u);
          EXPECT_GT(std::strlen(p.keys[k]), 0u);
          // Documents map words back to values, so they must be unique.
          EXPECT_TRUE(words.insert(p.keys[k]).second) << p.keys[k];
          EXPECT_TRUE(labels.insert(p.labels[k]).second) << p.labels[k];
        }
      } else {
        EXPECT_EQ(p.labels, nullptr);
        EXPECT_EQ(p.keys, nullptr);
        EXPECT_EQ(p.labelCount, 0u);
      }
    }
  }
}

TEST(ParamTables, CombinedOrderIsOwnThenCommon) {
  for (int m : kKnownMachines) {
    const int own = ob::ownParamCount(m);
    for (int i = 0; i < own; ++i) {
      EXPECT_STREQ(ob::paramInfo(m, i).id, ob::ownParamInfo(m, i).id);
    }
    for (int j = 0; j < 22; ++j) {
      const ob::ParamInfo a = ob::paramInfo(m, own + j);
      const ob::ParamInfo b = ob::commonParamInfo(j);
      EXPECT_STREQ(a.id, b.id);
      EXPECT_EQ(a.defaultValue, b.defaultValue);
    }
  }
}

TEST(ParamTables, FindParamIndexRoundTripsEveryRow) {
  for (int m : kKnownMachines) {
    for (int i = 0; i < ob::paramCount(m); ++i) {
      const ob::ParamInfo p = ob::paramInfo(m, i);
      EXPECT_EQ(ob::findParamIndex(m, p.id), i) << p.id;
      EXPECT_EQ(ob::findParamIndex(m, std::string(p.id)), i) << p.id;
    }
  }
}

TEST(ParamTables, FindParamIndexEdgeCases) {
  EXPECT_EQ(ob::findParamIndex(3, "exc1_type"), 0);
  EXPECT_EQ(ob::findParamIndex(3, "exc2_width"), 29);
  EXPECT_EQ(ob::findParamIndex(3, "ts_attack"), 30);
  EXPECT_EQ(ob::findParamIndex(3, "voice_rev"), 51);
  EXPECT_EQ(ob::findParamIndex(0, "window_mode"), 17);
  EXPECT_EQ(ob::findParamIndex(0, "flt_cutoff"), 20);
  EXPECT_EQ(ob::findParamIndex(1, "flt_cutoff"), 14);
  EXPECT_EQ(ob::findParamIndex(2, "space_mix"), 31);
  // "tune" and "level" sit at different indices per machine.
  EXPECT_EQ(ob::findParamIndex(0, "tune"), 1);
  EXPECT_EQ(ob::findParamIndex(1, "tune"), 0);
  EXPECT_EQ(ob::findParamIndex(2, "tune"), 5);
  EXPECT_EQ(ob::findParamIndex(3, "tune"), -1);
  for (int m : kKnownMachines) {
    EXPECT_EQ(ob::findParamIndex(m, "Level"), -1);
    EXPECT_EQ(ob::findParamIndex(m, ""), -1);
    EXPECT_EQ(ob::findParamIndex(m, static_cast<const char*>(nullptr)), -1);
    EXPECT_EQ(ob::findParamIndex(m, "flt_cutoff "), -1);
    EXPECT_EQ(ob::findParamIndex(m, std::string_view("flt_cutoffX", 10)), ob::ownParamCount(m) + 2);
  }
  EXPECT_EQ(ob::findParamIndex(3, "fm_fb"), -1);
  EXPECT_EQ(ob::findParamIndex(1, "window_mode"), -1);
}

TEST(ParamTables, OutOfRangeGivesTheEmptyRow) {
  for (int m : {0, 1, 2, 3, 9}) {
    for (int i : {-1, INT_MIN, ob::paramCount(m), 63, 64, INT_MAX}) {
      EXPECT_TRUE(isEmptyRow(ob::paramInfo(m, i))) << m << " " << i;
    }
    for (int i : {-1, ob::ownParamCount(m), INT_MAX}) {
      EXPECT_TRUE(isEmptyRow(ob::ownParamInfo(m, i))) << m << " " << i;
    }
  }
  EXPECT_TRUE(isEmptyRow(ob::commonParamInfo(22)));
  EXPECT_TRUE(isEmptyRow(ob::commonParamInfo(-1)));
  EXPECT_TRUE(isEmptyRow(ob::ParamInfo{}));
}

TEST(ParamTables, DrumRowsMatchTheTable) {
  const ob::ParamInfo type = ob::paramInfo(3, 0);
  EXPECT_STREQ(type.id, "exc1_type");
  EXPECT_EQ(type.defaultValue, 1.0f);
  EXPECT_EQ(labelsOf(type),
            "silent/none;beater click/click;knock/knock;noise burst/bp-noise;"
            "recorded hit/sample;clap/clap;hiss/hp-noise;");
  const ob::ParamInfo decay = ob::paramInfo(3, 2);
  EXPECT_EQ(decay.min, 0.0005f);
  EXPECT_EQ(decay.max, 0.5f);
  EXPECT_EQ(decay.defaultValue, 0.003f);
  EXPECT_STREQ(decay.unit, "s");
  EXPECT_EQ(ob::paramInfo(3, 9).defaultValue, 0.01f);
  EXPECT_EQ(ob::paramInfo(3, 7).defaultValue, 0.0f);
  EXPECT_EQ(labelsOf(ob::paramInfo(3, 15)),
            "no body/none;sine body/sine;shell/shell;modal/modal;recorded body/sample;"
            "metal/metal;string/string;fm/fm;wavetable/wave;");
  const ob::ParamInfo tune = ob::paramInfo(3, 16);
  EXPECT_STREQ(tune.id, "res_tune");
  EXPECT_EQ(tune.min, 20.0f);
  EXPECT_EQ(tune.max, 400.0f);
  EXPECT_EQ(tune.defaultValue, 55.0f);
  EXPECT_STREQ(tune.unit, "Hz");
  EXPECT_EQ(ob::paramInfo(3, 17).min, 0.02f);
  EXPECT_EQ(ob::paramInfo(3, 20).defaultValue, 0.583f);
  EXPECT_EQ(ob::paramInfo(3, 21).defaultValue, 0.114f);
  EXPECT_EQ(labelsOf(ob::paramInfo(3, 22)), "forwards/forward;backwards/reverse;");
  EXPECT_EQ(labelsOf(ob::paramInfo(3, 26)), "in the body/in-body;after the mix/post-mix;");
  EXPECT_STREQ(ob::paramInfo(3, 27).id, "level");
  EXPECT_EQ(ob::paramInfo(3, 27).defaultValue, 0.9f);
}

TEST(ParamTables, OtherMachineRowsMatchTheTables) {
  const ob::ParamInfo slot = ob::paramInfo(0, 0);
  EXPECT_STREQ(slot.id, "slot");
  EXPECT_EQ(slot.max, 63.0f);
  EXPECT_EQ(slot.stepped, 0u);  // a pool index, not a choice
  EXPECT_EQ(labelsOf(ob::paramInfo(0, 4)), "once/one-shot;loop/loop;");
  EXPECT_EQ(labelsOf(ob::paramInfo(0, 11)), "off/off;on/on;");
  EXPECT_STREQ(ob::paramInfo(0, 9).unit, "bits");
  EXPECT_STREQ(ob::paramInfo(0, 12).unit, "dB");
  EXPECT_EQ(ob::paramInfo(0, 12).min, -24.0f);
  EXPECT_STREQ(ob::paramInfo(0, 13).id, "fadeIn");
  EXPECT_EQ(ob::paramInfo(0, 15).min, 200.0f);
  EXPECT_EQ(labelsOf(ob::paramInfo(0, 17)), "start/end window/range;slice table/slices;");

  EXPECT_EQ(labelsOf(ob::paramInfo(1, 1)), "saw/saw;pulse/pulse;triangle/tri;");
  EXPECT_EQ(ob::paramInfo(1, 3).defaultValue, 0.1f);
  EXPECT_EQ(ob::paramInfo(1, 4).max, 18000.0f);
  EXPECT_EQ(labelsOf(ob::paramInfo(1, 6)), "low-pass/lp;high-pass/hp;band-pass/bp;");
  EXPECT_EQ(ob::paramInfo(1, 9).min, 0.001f);
  EXPECT_EQ(ob::paramInfo(1, 9).defaultValue, 0.005f);
  EXPECT_EQ(ob::paramInfo(1, 11).defaultValue, 0.8f);

  EXPECT_STREQ(ob::paramInfo(2, 1).unit, "ms");
  EXPECT_EQ(ob::paramInfo(2, 1).min, 5.0f);
  EXPECT_EQ(ob::paramInfo(2, 2).defaultValue, 20.0f);
  EXPECT_EQ(ob::paramInfo(2, 7).defaultValue, 1.0f);
  EXPECT_STREQ(ob::paramInfo(2, 9).id, "spread");
}

TEST(ParamTables, CommonRowsMatchTheTable) {
  const char* const keys[22] = {"ts_attack",  "ts_sustain",  "flt_cutoff",  "flt_reso",   "flt_type",
                                "amp_attack", "amp_hold",    "amp_decay",   "fx_drive",   "fx_shape",
                                "fx_crush",   "fx_srr",      "flt2_cutoff", "flt2_reso",  "flt2_type",
                                "amp_sync",   "amp_atk_div", "amp_dec_div", "space_size", "space_mix",
                                "space_damp", "voice_rev"};
  const float defaults[22] = {0, 0,     20000, 0, 0, 0, 2, 8,     1, 0,    16,
                              0, 20000, 0,     0, 0, 2, 5, 0.35f, 0, 0.5f, 0};
  for (int j = 0; j < 22; ++j) {
    EXPECT_STREQ(ob::commonParamInfo(j).id, keys[j]);
    EXPECT_EQ(ob::commonParamInfo(j).defaultValue, defaults[j]) << keys[j];
  }
  EXPECT_EQ(ob::commonParamInfo(0).min, -1.0f);
  EXPECT_STREQ(ob::commonParamInfo(8).unit, "x");
  EXPECT_EQ(labelsOf(ob::commonParamInfo(9)), "cubic/cubic;tanh/tanh;fold/fold;");
  EXPECT_EQ(labelsOf(ob::commonParamInfo(15)), "seconds/free;tempo/sync;");
  EXPECT_EQ(labelsOf(ob::commonParamInfo(16)),
            "1/32/1-32;1/16T/1-16t;1/16/1-16;1/16./1-16d;1/8T/1-8t;1/8/1-8;1/8./1-8d;"
            "1/4/1-4;1/2/1-2;1/1/1-1;");
  EXPECT_EQ(labelsOf(ob::commonParamInfo(17)), labelsOf(ob::commonParamInfo(16)));
  EXPECT_EQ(labelsOf(ob::commonParamInfo(21)), "forwards/forward;backwards/reverse;");
  EXPECT_STREQ(ob::divisionLabel(3), "1/16.");
  EXPECT_STREQ(ob::divisionWord(1), "1-16t");
  EXPECT_STREQ(ob::divisionWord(9), "1-1");
  EXPECT_EQ(ob::divisionWord(10), nullptr);
  EXPECT_EQ(ob::divisionLabel(-1), nullptr);
}

TEST(MachineNames, ParseAndName) {
  const char* const names[4] = {"sample", "va", "granular", "drum"};
  for (int m = 0; m < 4; ++m) {
    EXPECT_STREQ(ob::machineTypeName(m), names[m]);
    int code = -5;
    ASSERT_TRUE(ob::parseMachineType(names[m], code));
    EXPECT_EQ(code, m);
    std::uint8_t byte = 99;
    ASSERT_TRUE(ob::parseMachineType(std::string(names[m]), byte));
    EXPECT_EQ(byte, m);
  }
  for (const char* bad : {"Drum", "DRUM", "drum ", "", "slice", "sine_kick", "samples"}) {
    int code = 42;
    std::uint8_t byte = 42;
    EXPECT_FALSE(ob::parseMachineType(bad, code)) << bad;
    EXPECT_FALSE(ob::parseMachineType(bad, byte)) << bad;
    EXPECT_EQ(code, 42);
    EXPECT_EQ(byte, 42);
  }
}

TEST(MachineNames, RetiredMachineNotes) {
  const char* const retired[17] = {
      "slice", "sine_kick",   "wavetable_kick",  "punch_kick",  "distorted_kick", "layer_kick",
      "snare", "punch_snare", "distorted_snare", "layer_snare", "clap",           "noise_filter",
      "modal", "cymbal",      "karplus",         "fm",          "wavetable"};
  std::set<std::string> notes;
  for (const char* name : retired) {
    const char* note = ob::legacyMachineNote(name);
    ASSERT_NE(note, nullptr) << name;
    EXPECT_TRUE(notes.insert(note).second) << name;
  }
  EXPECT_STREQ(ob::legacyMachineNote("fm"),
               "Fm is a Drum resonator: res_type = Fm. The self-feedback param (fm_fb) was "
               "dropped; it defaulted to 0 everywhere.");
  EXPECT_STREQ(ob::legacyMachineNote("slice"),
               "Slice merged into Sample as the `window_mode` param. Re-create it as a Sample "
               "with window_mode = 1.");
  EXPECT_STREQ(ob::legacyMachineNote("cymbal"), "Cymbal is a Drum resonator: res_type = Metal.");
  for (const char* other : {"drum", "sample", "Snare", "", "fm "}) {
    EXPECT_EQ(ob::legacyMachineNote(other), nullptr) << other;
  }
}

TEST(ParamDescriptors, EveryParameterHasOne) {
  for (int m : kKnownMachines) {
    for (int i = 0; i < ob::paramCount(m); ++i) {
      const ob::ParamInfo p = ob::paramInfo(m, i);
      const ob::ParamDescriptor* d = ob::findParamDescriptor(m, i);
      ASSERT_NE(d, nullptr) << m << ":" << p.id;
      EXPECT_STREQ(d->id, p.id);
      EXPECT_GT(std::strlen(d->label), 0u);
      EXPECT_GT(std::strlen(d->group), 0u);
      EXPECT_GT(std::strlen(d->help), 0u);
      // Choices are never continuous controls.
      if (p.stepped) {
        EXPECT_EQ(d->continuous, 0u) << p.id;
      }
    }
    EXPECT_EQ(ob::findParamDescriptor(m, -1), nullptr);
    EXPECT_EQ(ob::findParamDescriptor(m, ob::paramCount(m)), nullptr);
  }
  // The pool selectors are not continuous either.
  EXPECT_EQ(ob::findParamDescriptor(0, 0)->continuous, 0u);
  EXPECT_EQ(ob::findParamDescriptor(0, 16)->continuous, 0u);
  EXPECT_EQ(ob::findParamDescriptor(2, 0)->continuous, 0u);
}

TEST(ParamDescriptors, DefaultAmounts) {
  struct Amount {
    int machine;
    const char* key;
    float random;
    float velocity;
  };
  const Amount amounts[] = {
      {3, "exc1_tone", 0.1f, 0.25f},  {3, "exc1_decay", 0.06f, 0.12f}, {3, "bleed", 0.1f, 0.2f},
      {3, "res_decay", 0.08f, 0.15f}, {3, "res_tone", 0.08f, 0.2f},    {3, "dist_amt", 0.08f, 0.2f},
      {0, "tune", 0.04f, 0.0f},       {0, "decay", 0.06f, 0.1f},       {0, "lp", 0.08f, 0.25f},
      {2, "size", 0.06f, 0.15f},      {2, "position", 0.05f, 0.0f},    {2, "tune", 0.04f, 0.0f},
  };
  int nonZero = 0;
  for (int m : kKnownMachines) {
    for (int i = 0; i < ob::paramCount(m); ++i) {
      const ob::ParamDescriptor d = ob::paramDescriptorOrOther(m, i);
      float random = 0.0f, velocity = 0.0f;
      for (const Amount& a : amounts) {
        if (a.machine == m && std::strcmp(a.key, d.id) == 0) {
          random = a.random;
          velocity = a.velocity;
        }
      }
      if (std::strcmp(d.id, "space_mix") == 0) random = 0.05f;
      EXPECT_EQ(d.randomDefault, random) << m << ":" << d.id;
      EXPECT_EQ(d.velocityDefault, velocity) << m << ":" << d.id;
      if (d.randomDefault != 0.0f || d.velocityDefault != 0.0f) ++nonZero;
    }
  }
  EXPECT_EQ(nonZero, 12 + 4);  // own amounts plus space_mix on each machine
}

TEST(ParamDescriptors, CommonFallbackAndUnknownMachines) {
  for (int m : kKnownMachines) {
    const ob::ParamDescriptor d = ob::paramDescriptorOrOther(m, ob::findParamIndex(m, "space_mix"));
    EXPECT_STREQ(d.label, "Room Mix");
    EXPECT_STREQ(d.group, "Space");
    EXPECT_STREQ(d.help, "How much room is blended in, dry to wet.");
  }
  const ob::ParamDescriptor none = ob::paramDescriptorOrOther(3, 60);
  EXPECT_STREQ(none.id, "");
  EXPECT_STREQ(none.label, "");
  EXPECT_STREQ(none.group, "Other");
  EXPECT_STREQ(none.help, "");
  EXPECT_EQ(none.continuous, 0u);
  EXPECT_EQ(none.randomDefault, 0.0f);
  EXPECT_EQ(none.velocityDefault, 0.0f);

  // A code outside the four has no own descriptor table: its own rows fall
  // back to "Other" labelled with the key; the common rows still resolve.
  EXPECT_EQ(ob::findParamDescriptor(7, 0), nullptr);
  const ob::ParamDescriptor other = ob::paramDescriptorOrOther(7, 16);
  EXPECT_STREQ(other.label, "res_tune");
  EXPECT_STREQ(other.group, "Other");
  ASSERT_NE(ob::findParamDescriptor(7, 51), nullptr);
  EXPECT_STREQ(ob::findParamDescriptor(7, 51)->label, "Reverse");
}

TEST(ParamDescriptors, TextsAreByteExact) {
  // Em dash U+2014 and right arrow U+2192 in UTF-8.
  EXPECT_STREQ(ob::findParamDescriptor(3, 0)->help,
               "The first strike \xE2\x80\x94 beater, click, noise or clap. Chosen by ear.");
  EXPECT_STREQ(ob::findParamDescriptor(1, 7)->label, "Env \xE2\x86\x92 Cutoff");
  EXPECT_STREQ(ob::findParamDescriptor(3, 16)->help,
               "The body's pitch \xE2\x80\x94 where the drum sits, from a deep kick to a high tom.");
  EXPECT_STREQ(ob::findParamDescriptor(0, ob::findParamIndex(0, "flt2_type"))->help,
               "The second filter's type \xE2\x80\x94 low-, high- or band-pass.");
  EXPECT_STREQ(ob::findParamDescriptor(0, 15)->help,
               "A low-pass that rolls off the top end \xE2\x80\x94 darker as you lower it.");
  EXPECT_STREQ(ob::findParamDescriptor(2, 8)->group, "Output");
  EXPECT_STREQ(ob::findParamDescriptor(3, 38)->group, "Drive & Crush");
}

}  // namespace params_tables_test
