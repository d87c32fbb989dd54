#include "engine/model/project.h"
#include "engine/params/param_tables.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(InitSoundParams, DrumDefaults) {
  ob::Sound s;
  for (float& v : s.params) v = 7.0f;
  EXPECT_EQ(ob::initSoundParams(s, 3), 22);
  EXPECT_EQ(s.machine, 3);
  const float head[] = {1, 0.5f, 0.003f, 0, 0, 0, 0, 0, 0.5f, 0.01f, 0, 0, 0, 0, 1, 1, 55, 0.35f};
  for (int i = 0; i < 18; ++i) EXPECT_EQ(s.params[i], head[i]) << i;
  EXPECT_EQ(s.params[ob::findParamIndex(3, "flt_cutoff")], 20000.0f);
  EXPECT_EQ(s.params[36], 2.0f);   // amp_hold
  EXPECT_EQ(s.params[37], 8.0f);   // amp_decay
  EXPECT_EQ(s.params[38], 1.0f);   // fx_drive
  EXPECT_EQ(s.params[40], 16.0f);  // fx_crush
  EXPECT_EQ(s.params[46], 2.0f);   // amp_atk_div
  EXPECT_EQ(s.params[47], 5.0f);   // amp_dec_div
  EXPECT_EQ(s.params[48], 0.35f);  // space_size
  EXPECT_EQ(s.params[50], 0.5f);   // space_damp
  for (int i = 52; i < 64; ++i) EXPECT_EQ(s.params[i], 0.0f) << i;
}

TEST(InitSoundParams, EveryMachineGetsItsRowDefaults) {
  for (int m = 0; m < 4; ++m) {
    ob::Sound s;
    ob::initSoundParams(s, m);
    EXPECT_EQ(s.machine, m);
    for (int i = 0; i < 64; ++i) {
      const float expected = i < ob::paramCount(m) ? ob::paramInfo(m, i).defaultValue : 0.0f;
      EXPECT_EQ(s.params[i], expected) << m << ":" << i;
    }
  }
}

TEST(InitSoundParams, MachineChangeResetsEverythingButIdentity) {
  ob::Sound s;
  std::strcpy(s.id, "kick");
  std::strcpy(s.name, "Kick");
  s.zoneCount = 2;
  s.velDestCount = 1;
  ob::initSoundParams(s, 3);
  s.params[ob::findParamIndex(3, "flt_cutoff")] = 500.0f;  // a common row
  s.params[10] = 0.7f;

  ob::initSoundParams(s, 0);
  EXPECT_EQ(s.machine, 0);
  ob::Sound fresh;
  ob::initSoundParams(fresh, 0);
  EXPECT_EQ(std::memcmp(s.params, fresh.params, sizeof s.params), 0);
  EXPECT_EQ(s.params[ob::findParamIndex(0, "flt_cutoff")], 20000.0f);
  EXPECT_EQ(s.params[7], 8.0f);  // sampler decay
  EXPECT_STREQ(s.id, "kick");
  EXPECT_STREQ(s.name, "Kick");
  EXPECT_EQ(s.zoneCount, 2);
  EXPECT_EQ(s.velDestCount, 1);
}

TEST(InitSoundParams, UnknownCodesPlayAsTheDrum) {
  ob::Sound drum;
  ob::initSoundParams(drum, 3);
  ob::Sound seven;
  ob::initSoundParams(seven, 7);
  EXPECT_EQ(seven.machine, 7);
  EXPECT_EQ(std::memcmp(seven.params, drum.params, sizeof drum.params), 0);
  // A code too wide for the machine byte must not wrap onto the sampler.
  ob::Sound wide;
  ob::initSoundParams(wide, 256);
  EXPECT_EQ(wide.machine, 3);
  EXPECT_EQ(std::memcmp(wide.params, drum.params, sizeof drum.params), 0);
  ob::Sound negative;
  ob::initSoundParams(negative, -1);
  EXPECT_EQ(negative.machine, 3);
}
