// The modulation block and the linear parameter glide.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/machine/mod_layers.h"
#include "engine/machine/param_ramp.h"

TEST(ModLayers, SumsAllLayersInOrder) {
  ob::ModLayers mod;
  EXPECT_EQ(mod.tempo, 120.0);
  EXPECT_EQ(mod.rampLength, 1);
  for (int l = 0; l < ob::ModLayers::kLayers; ++l) mod.layers[l][5] = 0.1f * (l + 1);
  float expected = 0.0f;
  for (int l = 0; l < ob::ModLayers::kLayers; ++l) expected += 0.1f * (l + 1);
  EXPECT_EQ(mod.value(5), expected);
  EXPECT_EQ(mod.value(-1), 0.0f);
  EXPECT_EQ(mod.value(64), 0.0f);
  // The block sum gives bit-identical values.
  for (int i = 0; i < 32; ++i)
    for (int l = 0; l < ob::ModLayers::kLayers; ++l) mod.layers[l][i] = std::sin(float(i * 8 + l)) * 1e3f;
  float sums[32];
  mod.sumFirst(sums);
  for (int i = 0; i < 32; ++i) EXPECT_EQ(sums[i], mod.value(i)) << i;
}

TEST(ModLayers, ChoicesRoundHalfUpAndFlags) {
  ob::ModLayers mod;
  mod.layers[0][0] = 2.0f;
  mod.layers[2][0] = 0.49f;
  EXPECT_EQ(mod.choice(0), 2);
  mod.layers[2][0] = 0.5f;
  EXPECT_EQ(mod.choice(0), 3);
  mod.layers[0][1] = -0.7f;  // truncation toward zero
  EXPECT_EQ(mod.choice(1), 0);
  mod.layers[0][1] = -1.7f;
  EXPECT_EQ(mod.choice(1), -1);
  EXPECT_EQ(ob::roundHalfUp(NAN), -1);
  EXPECT_EQ(ob::roundHalfUp(1e30f), -1);
  mod.layers[0][2] = 0.3f;
  EXPECT_FALSE(mod.flag(2));
  mod.layers[1][2] = 0.2f;
  EXPECT_TRUE(mod.flag(2));
  mod.rampLength = -4;
  EXPECT_EQ(mod.effectiveRampLength(), 1);
}

TEST(ParamRamp, JumpsFirstThenGlidesOnNewSerials) {
  ob::ModLayers mod;
  mod.serial = 3;
  mod.rampLength = 4;
  ob::ParamRamp r;
  r.setTarget(0.5f, mod);  // not started: jumps
  EXPECT_EQ(r.current, 0.5f);
  EXPECT_EQ(r.advance(), 0.5f);
  r.setTarget(0.9f, mod);  // same serial: ignored
  EXPECT_EQ(r.advance(), 0.5f);
  mod.serial = 4;
  r.setTarget(0.9f, mod);
  EXPECT_NEAR(r.advance(), 0.6f, 1e-6f);
  EXPECT_NEAR(r.advance(), 0.7f, 1e-6f);
  EXPECT_NEAR(r.advance(), 0.8f, 1e-6f);
  EXPECT_EQ(r.advance(), 0.9f);  // lands exactly
  EXPECT_EQ(r.advance(), 0.9f);
  // A glide interrupted by a new serial restarts from where it is.
  mod.serial = 5;
  r.setTarget(0.1f, mod);
  r.advance();
  mod.serial = 6;
  mod.rampLength = 0;  // counts as 1
  r.setTarget(0.3f, mod);
  EXPECT_EQ(r.advance(), 0.3f);
  // After a restart the next target jumps again.
  r.restart();
  mod.serial = 7;
  mod.rampLength = 100;
  r.setTarget(-2.0f, mod);
  EXPECT_EQ(r.current, -2.0f);
  EXPECT_EQ(r.advance(), -2.0f);
}
