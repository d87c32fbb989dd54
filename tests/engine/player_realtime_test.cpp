// Real-time behaviour of a track player: after prepare, nothing it does on
// the audio thread allocates, including the one-second reverse pre-render,
// and no NaN or infinity leaves it for extreme but valid settings.

#include <gtest/gtest.h>

#include "player_harness.h"
#include "support/allocation_counter.h"

namespace ob {
namespace player_realtime_test {

using namespace ob::test;

TEST(PlayerRealtime, AudioThreadWorkDoesNotAllocate) {
  const long start = ob::test::allocationCount();
  auto p = makePlayer(48000.0);
  ASSERT_GT(ob::test::allocationCount() - start, 0);  // the counter sees prepare
  Sound sounds[7];
  for (int i = 0; i < 6; ++i) sounds[i] = demoSound(i);
  sounds[6] = defaultSound(kMachineVa);
  sounds[6].params[ownParamCount(kMachineVa) + 19] = 0.5f;  // room
  for (Sound& s : sounds) s.params[voiceRevIndex(s.machine)] = 1.0f;
  Lfo lfo;
  lfo.enabled = 1;
  lfo.dest = 1;
  lfo.rate = 2.0f;
  lfo.depth = 0.3f;
  ModEnv env;
  env.enabled = 1;
  env.dest = 2;
  env.depth = 0.4f;
  float targets[64] = {};
  const ParamLock rands[2] = {{1, 0.5f}, {3, 0.2f}};
  std::vector<float> l(512), r(512);

  const long before = ob::test::allocationCount();
  for (const Sound& s : sounds) {
    p->loadSound(s);
    p->bindLfo(0, lfo);
    p->bindModEnv(0, env);
    p->setTempo(128.0);
    p->applyHitModulation(rands, 2, 1234, rands, 1);
    p->applyVelocityDests(0.8f, s.velDests, s.velDestCount);
    p->startHit(60.0f, 0.8f);
    p->glideTo(targets, 3000);
    for (int b = 0; b < 100; ++b) p->renderBlock(l.data(), r.data(), 512);
    p->choke();
    p->renderBlockMono(l.data(), 512);
    p->advanceIdle(777);
    p->reset();
  }
  EXPECT_EQ(ob::test::allocationCount() - before, 0);
}

TEST(PlayerRealtime, ExtremeSettingsStayFinite) {
  for (int machine : {0, 1, 2, 3}) {
    auto p = makePlayer(96000.0);
    Sound s = defaultSound(machine);
    const int own = ownParamCount(machine);
    // Everything at its maximum, then everything at its minimum.
    for (int pass = 0; pass < 2; ++pass) {
      for (int i = 0; i < paramCount(machine); ++i) {
        const ParamInfo info = paramInfo(machine, i);
        s.params[i] = pass == 0 ? info.max : info.min;
      }
      s.params[own + 21] = static_cast<float>(pass);
      p->loadSound(s);
      p->startHit(60.0f, 1.0f);
      std::vector<float> l, r;
      renderStereo(*p, l, r, 96000, 512);
      EXPECT_TRUE(allFinite(l)) << machine << " pass " << pass;
      EXPECT_TRUE(allFinite(r)) << machine << " pass " << pass;
    }
  }
}

}  // namespace player_realtime_test
}  // namespace ob
