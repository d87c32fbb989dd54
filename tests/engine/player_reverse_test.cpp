// The reverse path: the pre-render of a hit with its modulators left
// untouched, backwards playback with its fades, and cuts without clicks.

#include <gtest/gtest.h>

#include <cstring>

#include "player_harness.h"

namespace ob {
namespace player_reverse_test {

using namespace ob::test;

constexpr double kRate = 48000.0;

Sound withReverse(Sound s, float value) {
  s.params[voiceRevIndex(s.machine)] = value;
  return s;
}

// A swelling VA note (reversed: a slow swell into its attack).
Sound vaNote(float decay) {
  Sound s;
  initSoundParams(s, kMachineVa);
  s.params[findParamIndex(kMachineVa, "decay")] = decay;
  s.params[findParamIndex(kMachineVa, "wave1")] = 2.0f;
  s.params[findParamIndex(kMachineVa, "wave2")] = 2.0f;
  return s;
}

TEST(PlayerReverse, SwitchAtOneHalf) {
  for (float rev : {0.0f, 0.4f, 0.5f, 1.0f}) {
    auto p = makePlayer(kRate);
    p->loadSound(withReverse(demoSound(0), rev));
    p->startHit(60.0f, 1.0f);
    const bool reversed = rev >= 0.5f;
    EXPECT_EQ(p->reverseRequested(), reversed) << rev;
    const auto out = renderMono(*p, 47000);
    EXPECT_EQ(p->reversePlaying(), reversed);
    EXPECT_EQ(p->isStopped(), reversed);
    const float head = peak(out, 0, 480);
    const float tail = peak(out, 46000);
    if (reversed) {
      EXPECT_EQ(out[0], 0.0f);  // the cut end faded out
      EXPECT_GT(tail, 10.0f * head);
    } else {
      EXPECT_GT(head, 10.0f * tail);
    }
  }
}

TEST(PlayerReverse, OneSecondBufferWithFades) {
  auto p = makePlayer(kRate);
  EXPECT_EQ(p->reverseCapacity(), 48000);
  p->loadSound(withReverse(ringingKick(4.0f), 1.0f));
  p->startHit(60.0f, 1.0f);
  p->renderReverseHit(true);
  ASSERT_EQ(p->reverseLength(), 48000);
  const float* l = p->reverseLeft();
  // Fade-in of the first millisecond: sample i scaled by i / 48.
  EXPECT_EQ(l[0], 0.0f);
  EXPECT_GT(peak(l, 48), 0.0f);
  // Fade-out of the last 5 ms: 240 samples, the last one silent.
  EXPECT_EQ(l[47999], 0.0f);
  EXPECT_LT(std::fabs(l[47998]), peak(l + 47000, 500) * 0.01f);
  EXPECT_GT(peak(l + 47000, 500), 0.01f);
  EXPECT_EQ(p->reverseStereo(), true);

  // Another rate, another size.
  p->prepare(44100.0);
  EXPECT_EQ(p->reverseCapacity(), 44100);
}

TEST(PlayerReverse, ShortHitEndsEarlyWithoutEndFade) {
  auto p = makePlayer(kRate);
  p->loadSound(withReverse(demoSound(2), 1.0f));  // closed hat, ~0.4 s
  p->startHit(60.0f, 1.0f);
  p->renderReverseHit(false);
  const int n = p->reverseLength();
  EXPECT_GT(n, 1000);
  EXPECT_LT(n, 48000);
  EXPECT_FALSE(p->activeMachine().isActive());
}

TEST(PlayerReverse, PlaybackIsTheBufferBackwards) {
  auto p = makePlayer(kRate);
  p->loadSound(withReverse(demoSound(4), 1.0f));
  p->startHit(60.0f, 1.0f);
  std::vector<float> l, r;
  renderStereo(*p, l, r, 50000, 333);
  const int n = p->reverseLength() > 0 ? p->reverseLength() : 0;
  ASSERT_EQ(n, 48000);
  // Nothing sounded before, so there is no declick: the output is exactly
  // the pre-render read from its end.
  for (int i = 0; i < n; ++i) {
    ASSERT_EQ(l[i], p->reverseLeft()[n - 1 - i]) << i;
    ASSERT_EQ(r[i], p->reverseRight()[n - 1 - i]) << i;
  }
  EXPECT_EQ(peak(l, n), 0.0f);
  EXPECT_FALSE(p->reversePlaying());
  EXPECT_FALSE(p->isSounding());
}

TEST(PlayerReverse, MonoPreRenderPlaysOnBothSides) {
  auto p = makePlayer(kRate);
  p->loadSound(withReverse(demoSound(0), 1.0f));
  p->startHit(60.0f, 1.0f);
  p->renderReverseHit(false);
  EXPECT_FALSE(p->reverseStereo());
  std::vector<float> l(4800, 0.0f), r(4800, 0.0f);
  p->playReverse(l.data(), r.data(), 4800);
  EXPECT_EQ(l, r);
  EXPECT_GT(peak(l), 0.0f);
}

TEST(PlayerReverse, PreRenderLeavesModulatorsExactly) {
  auto p = makePlayer(kRate);
  p->loadSound(withReverse(demoSound(1), 1.0f));
  p->setTempo(133.0);
  Lfo a;
  a.enabled = 1;
  a.dest = static_cast<std::uint8_t>(drumIndex("exc1_tone"));
  a.rate = 3.3f;
  a.shape = 5;  // random: its generator must not move either
  a.depth = 0.4f;
  Lfo b = a;
  b.dest = static_cast<std::uint8_t>(drumIndex("res_tune"));
  b.shape = 0;
  b.sync = 1;
  b.rateDiv = 3;
  b.trig = 3;
  p->bindLfo(0, a);
  p->bindLfo(1, b);
  ModEnv e;
  e.enabled = 1;
  e.dest = static_cast<std::uint8_t>(drumIndex("res_decay"));
  e.attack = 0.05f;
  e.decay = 0.3f;
  e.depth = 0.5f;
  p->bindModEnv(0, e);
  p->advanceLfos(30000);
  p->startHit(60.0f, 1.0f);
  float targets[64] = {};
  targets[drumIndex("res_tune")] = 30.0f;
  p->glideTo(targets, 20000);
  p->glide(100);
  p->mod().layers[layer::kBase][drumIndex("level")] = 0.5f;
  p->keepHeldParams();
  p->addPending(5);
  ASSERT_TRUE(p->smoothingActive());
  ASSERT_TRUE(p->glideActive());

  ModulatorSave before;
  p->saveModulators(before);
  const auto pending = p->pendingAdvance();
  p->renderReverseHit(true);
  ModulatorSave after;
  p->saveModulators(after);

  EXPECT_EQ(std::memcmp(before.mod.layers, after.mod.layers, sizeof before.mod.layers), 0);
  EXPECT_EQ(before.mod.tempo, after.mod.tempo);
  EXPECT_EQ(before.mod.serial, after.mod.serial);
  EXPECT_EQ(before.mod.rampLength, after.mod.rampLength);
  EXPECT_EQ(before.lfos[0], after.lfos[0]);
  EXPECT_EQ(before.lfos[1], after.lfos[1]);
  EXPECT_EQ(before.envs[0], after.envs[0]);
  EXPECT_EQ(before.envs[1], after.envs[1]);
  EXPECT_EQ(std::memcmp(before.glideTargets, after.glideTargets, sizeof before.glideTargets), 0);
  EXPECT_EQ(std::memcmp(before.smoothingTargets, after.smoothingTargets, sizeof before.smoothingTargets), 0);
  EXPECT_EQ(before.glideRemaining, after.glideRemaining);
  EXPECT_EQ(before.glideActive, after.glideActive);
  EXPECT_EQ(before.smoothingActive, after.smoothingActive);
  EXPECT_EQ(pending, p->pendingAdvance());
  EXPECT_EQ(p->reverseLength(), 48000);  // the modulators did move while it ran
}

// Cutting a reversed playback with a new (forward) hit: the last played
// value decays over about 3 ms instead of dropping to zero.
TEST(PlayerReverse, CutLeavesADecayingTail) {
  auto p = makePlayer(kRate);
  Sound s = vaNote(0.6f);
  s.params[findParamIndex(kMachineVa, "attack")] = 0.05f;  // the new hit starts silent
  p->loadSound(withReverse(s, 1.0f));
  p->startHit(60.0f, 1.0f);
  std::vector<float> l, r;
  renderStereo(*p, l, r, 44000, 500);
  // Play on until the reversed note is loud, one sample at a time.
  std::vector<float> one(1), oneR(1);
  for (int i = 0; i < 4000 && std::fabs(l.back()) < 0.2f; ++i) {
    p->renderBlock(one.data(), oneR.data(), 1);
    l.push_back(one[0]);
  }
  const float last = l.back();
  ASSERT_GT(std::fabs(last), 0.2f);
  ASSERT_TRUE(p->reversePlaying());

  p->mod().layers[layer::kBase][voiceRevIndex(kMachineVa)] = 0.0f;
  p->startHit(60.0f, 1.0f);
  EXPECT_FALSE(p->reversePlaying());
  EXPECT_FALSE(p->reverseRequested());
  EXPECT_EQ(p->reverseTailLeft(), last);
  std::vector<float> nl, nr;
  renderStereo(*p, nl, nr, 4800, 64);
  // Continuous across the cut, then gone within ~3 ms time constants.
  EXPECT_LT(std::fabs(nl[0] - last), std::fabs(last) * 0.05f);
  EXPECT_LT(std::fabs(nl[144]), std::fabs(last) * 0.5f);
  EXPECT_EQ(p->reverseTailLeft(), 0.0f);
  EXPECT_EQ(p->reverseTailRight(), 0.0f);
  EXPECT_LT(maxStep(nl, 1, 600), std::fabs(last) * 0.1f);
}

TEST(PlayerReverse, ReverseCutByReverseAlsoDecays) {
  auto p = makePlayer(kRate);
  p->loadSound(withReverse(vaNote(0.6f), 1.0f));
  p->startHit(60.0f, 1.0f);
  std::vector<float> l, r;
  renderStereo(*p, l, r, 46000, 500);
  const float last = l.back();
  ASSERT_GT(std::fabs(last), 0.05f);
  p->startHit(60.0f, 1.0f);
  EXPECT_TRUE(p->reverseRequested());
  std::vector<float> nl, nr;
  renderStereo(*p, nl, nr, 960, 64);
  // The new playback starts from silence; the tail carries the old level.
  EXPECT_LT(std::fabs(nl[0] - last), std::fabs(last) * 0.05f);
  EXPECT_TRUE(p->reversePlaying());
}

TEST(PlayerReverse, ChokeFadesPlayback) {
  auto p = makePlayer(kRate);
  p->loadSound(withReverse(vaNote(0.6f), 1.0f));
  p->startHit(60.0f, 1.0f);
  std::vector<float> l, r;
  renderStereo(*p, l, r, 40000, 256);
  ASSERT_TRUE(p->reversePlaying());
  p->choke();
  renderStereo(*p, l, r, 960, 256);
  EXPECT_FALSE(p->reversePlaying());
  EXPECT_EQ(peak(l, 150), 0.0f);
  EXPECT_FALSE(p->isSounding());
}

TEST(PlayerReverse, BindClearsTheRequest) {
  auto p = makePlayer(kRate);
  p->loadSound(withReverse(demoSound(0), 1.0f));
  p->startHit(60.0f, 1.0f);
  EXPECT_TRUE(p->reverseRequested());
  p->loadSound(demoSound(0));
  EXPECT_FALSE(p->reverseRequested());
  EXPECT_FALSE(p->reversePlaying());
}

}  // namespace player_reverse_test
}  // namespace ob
