// A track player rendering hits: the control-rate loop, declick, choke,
// chain tails, idle time and the offline render of a sound.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "engine/player/offline_render.h"
#include "engine/player/render_sound_offline.h"
#include "player_harness.h"

namespace ob {
namespace player_render_test {

using namespace ob::test;

constexpr double kRate = 48000.0;

Sound vaSound(float decay = 2.0f) {
  Sound s = defaultSound(kMachineVa);
  s.params[findParamIndex(kMachineVa, "decay")] = decay;
  return s;
}

// Two triangles at one pitch, no sweep, open filter: a clean tone.
Sound vaTone() {
  Sound s = vaSound();
  s.params[findParamIndex(kMachineVa, "wave1")] = 2.0f;
  s.params[findParamIndex(kMachineVa, "wave2")] = 2.0f;
  s.params[findParamIndex(kMachineVa, "detune")] = 0.0f;
  s.params[findParamIndex(kMachineVa, "pitch_env")] = 0.0f;
  s.params[findParamIndex(kMachineVa, "env_amt")] = 0.0f;
  s.params[findParamIndex(kMachineVa, "cutoff")] = 12000.0f;
  return s;
}

// Upward zero crossings of a signal.
int crossings(const std::vector<float>& x, std::size_t from, std::size_t to) {
  int n = 0;
  for (std::size_t i = from + 1; i < to; ++i)
    if (x[i - 1] < 0.0f && x[i] >= 0.0f) ++n;
  return n;
}

TEST(PlayerOffline, LengthsAndDeterminism) {
  const Sound kick = demoSound(0);
  std::vector<float> out(5, 1.0f);
  renderSoundOffline(kick, nullptr, kRate, -5, out, 1.0f);
  EXPECT_TRUE(out.empty());
  renderSoundOffline(kick, nullptr, kRate, 0, out, 1.0f);
  EXPECT_TRUE(out.empty());
  renderSoundOffline(kick, nullptr, kRate, 1, out, 1.0f);
  EXPECT_EQ(out.size(), 1u);

  for (int s = 0; s < 6; ++s) {
    std::vector<float> a, b;
    renderSoundOffline(demoSound(s), nullptr, 44100.0, 88200, a, 0.9f);
    renderSoundOffline(demoSound(s), nullptr, 44100.0, 88200, b, 0.9f);
    ASSERT_EQ(a.size(), 88200u);
    EXPECT_EQ(std::memcmp(a.data(), b.data(), a.size() * sizeof(float)), 0) << s;
    EXPECT_TRUE(allFinite(a));
    EXPECT_GT(peak(a), 0.1f) << s;
  }
}

TEST(PlayerOffline, VelocityZeroIsSilentAndBadRateFallsBack) {
  std::vector<float> out;
  renderSoundOffline(demoSound(0), nullptr, kRate, 4800, out, 0.0f);
  EXPECT_EQ(peak(out), 0.0f);
  // Velocity is clamped to 0..1.
  std::vector<float> one, over;
  renderSoundOffline(demoSound(0), nullptr, kRate, 4800, one, 1.0f);
  renderSoundOffline(demoSound(0), nullptr, kRate, 4800, over, 7.0f);
  EXPECT_EQ(one, over);
  // A rate that is not positive renders at 44.1 kHz rather than failing.
  std::vector<float> bad, ref;
  renderSoundOffline(demoSound(1), nullptr, 0.0, 2000, bad, 1.0f);
  renderSoundOffline(demoSound(1), nullptr, 44100.0, 2000, ref, 1.0f);
  EXPECT_EQ(bad, ref);
  // Sample machines without a snapshot play silence.
  renderSoundOffline(defaultSound(kMachineSample), nullptr, kRate, 2000, out, 1.0f);
  EXPECT_EQ(peak(out), 0.0f);
  renderSoundOffline(defaultSound(kMachineGranular), nullptr, kRate, 2000, out, 1.0f);
  EXPECT_EQ(peak(out), 0.0f);
}

// The offline render is what a live player renders for the same hit,
// whatever block sizes the host uses.
TEST(PlayerOffline, EqualsLivePlayer) {
  Sound routed = demoSound(4);
  routed.velDestCount = 1;
  routed.velDests[0] = {static_cast<std::uint8_t>(drumIndex("res_tune")), 0.2f};
  Sound reversed = demoSound(1);
  reversed.params[voiceRevIndex(kMachineDrum)] = 1.0f;
  Sound roomy = vaSound(0.3f);
  roomy.params[ownParamCount(kMachineVa) + 19] = 0.4f;  // space_mix

  const Sound sounds[] = {demoSound(0), demoSound(3), routed, reversed, roomy};
  std::mt19937 rng(7);
  for (const Sound& sound : sounds) {
    const int frames = 30000;
    std::vector<float> offline;
    renderSoundOffline(sound, nullptr, kRate, frames, offline, 0.7f);

    auto p = makePlayer(kRate);
    p->loadSound(sound);
    p->setTempo(120.0);
    p->applyVelocityDests(0.7f, sound.velDests, sound.velDestCount);
    p->startHit(60.0f, 0.7f);
    std::vector<float> live(frames, 0.0f);
    for (int done = 0; done < frames;) {
      const int n = std::min<int>(1 + static_cast<int>(rng() % 700), frames - done);
      p->renderBlockMono(live.data() + done, n);
      done += n;
    }
    EXPECT_EQ(std::memcmp(live.data(), offline.data(), frames * sizeof(float)), 0);
  }
}

// A layered sound renders the layer its velocity picks, as its hit plays
// it: the samples of the same sound pointed at that layer's slot. The
// round-robin counter starts at the first layer every time.
TEST(PlayerOffline, PlaysTheLayerOfItsVelocity) {
  constexpr int kFirstSlot = 4;
  std::vector<float> tones[3];
  SamplePoolSnapshot snapshot;
  for (int z = 0; z < 3; ++z) {
    tones[z].resize(8000);
    for (std::size_t i = 0; i < tones[z].size(); ++i)
      tones[z][i] = (0.2f + 0.3f * static_cast<float>(z)) * std::sin(0.03f * static_cast<float>(i));
    snapshot[kFirstSlot + z].left = tones[z].data();
    snapshot[kFirstSlot + z].frames = static_cast<std::int32_t>(tones[z].size());
  }
  const int slotParam = findParamIndex(kMachineSample, "slot");
  ASSERT_GE(slotParam, 0);
  Sound layered = defaultSound(kMachineSample);
  layered.zoneCount = 3;
  for (int z = 0; z < 3; ++z) layered.slot[z] = static_cast<std::uint8_t>(kFirstSlot + z);
  layered.velMax[0] = 40;
  layered.velMax[1] = 80;
  layered.velMax[2] = 127;
  const auto render = [&](const Sound& sound, float velocity) {
    std::vector<float> out;
    renderSoundOffline(sound, &snapshot, 44100.0, 4000, out, velocity);
    return out;
  };
  const auto onSlot = [&](int slot) {
    Sound single = layered;
    single.zoneCount = 0;
    single.params[slotParam] = static_cast<float>(slot);
    return single;
  };

  struct Case {
    std::uint8_t mode;
    float velocity;
    int slot;
  };
  for (const Case c :
       {Case{0, 0.2f, kFirstSlot}, Case{0, 0.5f, kFirstSlot + 1}, Case{0, 1.0f, kFirstSlot + 2},
        Case{1, 1.0f, kFirstSlot}, Case{2, 0.5f, kFirstSlot + 1}}) {
    SCOPED_TRACE(testing::Message() << "mode " << int{c.mode} << " at " << c.velocity);
    layered.mode = c.mode;
    const std::vector<float> heard = render(layered, c.velocity);
    EXPECT_GT(peak(heard), 0.01f);
    EXPECT_EQ(heard, render(onSlot(c.slot), c.velocity));
    EXPECT_NE(heard, render(onSlot(c.slot == kFirstSlot ? kFirstSlot + 1 : kFirstSlot), c.velocity));
  }
}

// Pieces of any size, as frames spread the editor's renders, give the
// samples of one go; the player is let go once the last one is in.
TEST(PlayerOffline, InPiecesEqualsOneGo) {
  Sound reversed = demoSound(1);
  reversed.params[voiceRevIndex(kMachineDrum)] = 1.0f;
  std::mt19937 rng(11);
  for (const Sound& sound : {demoSound(0), demoSound(4), reversed, vaSound(0.3f)}) {
    std::vector<float> whole;
    renderSoundOffline(sound, nullptr, kRate, 30001, whole, 0.8f);
    OfflineRender render;
    render.begin(sound, nullptr, kRate, 30001, 0.8f);
    int pieces = 0;
    while (!render.done()) {
      const std::int32_t before = render.rendered();
      render.render(static_cast<int>(rng() % 3000));
      EXPECT_GT(render.rendered(), before);
      ++pieces;
    }
    EXPECT_GT(pieces, 10);
    EXPECT_TRUE(render.render(100));  // done stays done
    EXPECT_EQ(render.rendered(), 30001);
    std::vector<float> pieced;
    render.takeSamples(pieced);
    EXPECT_EQ(pieced, whole);
  }
  OfflineRender empty;
  empty.begin(demoSound(0), nullptr, kRate, 0, 1.0f);
  EXPECT_TRUE(empty.done());
}

TEST(PlayerRender, MonoMachineStereoMatchesMono) {
  auto p = makePlayer(kRate);
  p->loadSound(vaSound());
  p->startHit(60.0f, 1.0f);
  std::vector<float> l, r;
  renderStereo(*p, l, r, 9600, 100);
  std::vector<float> mono;
  renderSoundOffline(vaSound(), nullptr, kRate, 9600, mono, 1.0f);
  EXPECT_EQ(l, r);
  EXPECT_EQ(l, mono);
}

TEST(PlayerRender, ChromaticPlaysTheNote) {
  auto render = [](std::uint8_t chromatic, float note) {
    auto p = makePlayer(kRate);
    p->loadSound(vaTone());
    p->setChromatic(chromatic);
    p->startHit(note, 1.0f);
    return renderMono(*p, 24000);
  };
  const auto base = render(0, 60.0f);
  EXPECT_EQ(render(0, 72.0f), base);  // not chromatic: always note 60
  const auto octave = render(1, 72.0f);
  const int c0 = crossings(base, 4800, 24000);
  const int c1 = crossings(octave, 4800, 24000);
  EXPECT_NEAR(c0, 110 * 0.4, 2);
  EXPECT_NEAR(c1, 2 * c0, 2);
}

TEST(PlayerRender, LifecycleAndReset) {
  auto p = makePlayer(kRate);
  p->loadSound(demoSound(2));  // closed hat, short
  EXPECT_FALSE(p->isSounding());
  p->startHit(60.0f, 1.0f);
  EXPECT_TRUE(p->isSounding());
  EXPECT_TRUE(p->isStarted());
  const auto out = renderMono(*p, 48000);
  EXPECT_GT(peak(out, 0, 2000), 0.1f);
  EXPECT_FALSE(p->isSounding());
  EXPECT_EQ(peak(out, 40000), 0.0f);

  p->startHit(60.0f, 1.0f);
  renderMono(*p, 100);
  p->reset();
  EXPECT_FALSE(p->isSounding());
  EXPECT_FALSE(p->isStarted());
  EXPECT_EQ(peak(renderMono(*p, 1000)), 0.0f);
}

TEST(PlayerRender, RetriggerIsDeclicked) {
  Sound s = vaSound();
  s.params[findParamIndex(kMachineVa, "attack")] = 0.02f;
  s.params[findParamIndex(kMachineVa, "wave1")] = 2.0f;  // triangles: a smooth wave
  s.params[findParamIndex(kMachineVa, "wave2")] = 2.0f;
  auto p = makePlayer(kRate);
  p->loadSound(s);
  p->startHit(60.0f, 1.0f);
  std::vector<float> out = renderMono(*p, 4800);
  // Retrigger at a loud moment: the new hit starts from envelope 0.
  std::size_t at = 4800;
  std::vector<float> more;
  for (int tries = 0; tries < 200; ++tries) {
    more = renderMono(*p, 1);
    out.push_back(more[0]);
    if (std::fabs(more[0]) > 0.15f) break;
  }
  at = out.size();
  ASSERT_GT(std::fabs(out.back()), 0.15f);
  const float steady = maxStep(out, 2400, at);
  p->startHit(60.0f, 1.0f);
  more = renderMono(*p, 4800);
  out.insert(out.end(), more.begin(), more.end());
  EXPECT_LE(maxStep(out, at - 1, at + 400), steady * 1.5f);
}

TEST(PlayerRender, ChokeFadesWithinThreeMilliseconds) {
  auto p = makePlayer(kRate);
  p->loadSound(ringingKick(2.0f));
  p->startHit(60.0f, 1.0f);
  const auto before = renderMono(*p, 4803);  // off the control grid on purpose
  ASSERT_GT(peak(before, 4000), 0.05f);
  p->choke();
  EXPECT_TRUE(p->chokeFading());
  const auto after = renderMono(*p, 480);
  EXPECT_LE(std::fabs(after[0]), peak(before, 4700) * 1.01f);
  EXPECT_EQ(peak(after, 146), 0.0f);  // 3 ms = 144 samples
  EXPECT_TRUE(p->isStopped());
  EXPECT_FALSE(p->chokeFading());
  EXPECT_FALSE(p->isSounding());
  // A new hit plays again at full level.
  p->startHit(60.0f, 1.0f);
  EXPECT_GT(peak(renderMono(*p, 4800)), 0.3f);
}

TEST(PlayerRender, ChainTailKeepsPlayerSounding) {
  Sound dry = demoSound(2);
  Sound wet = dry;
  wet.params[ownParamCount(kMachineDrum) + 19] = 0.6f;  // space_mix
  wet.params[ownParamCount(kMachineDrum) + 18] = 1.0f;  // space_size
  auto p = makePlayer(kRate);
  p->loadSound(wet);
  p->startHit(60.0f, 1.0f);
  const auto out = renderMono(*p, 30000);
  EXPECT_FALSE(p->activeMachine().isActive());
  EXPECT_TRUE(p->isSounding());
  EXPECT_GT(peak(out, 25000), 1e-4f);  // the room rings after the hat
  auto rest = renderMono(*p, 48000 * 8);
  EXPECT_FALSE(p->isSounding());
  EXPECT_TRUE(allFinite(rest));
}

TEST(PlayerRender, ControlTicksFollowTheHostGrid) {
  auto p = makePlayer(kRate);
  p->loadSound(demoSound(0));
  p->startHit(60.0f, 1.0f);
  p->setControlPhase(5);
  const auto before = p->updateCounter();
  std::vector<float> l(3), r(3);
  p->renderBlock(l.data(), r.data(), 3);
  EXPECT_EQ(p->updateCounter(), before + 1);
  EXPECT_EQ(p->controlPhase(), 0);
  std::vector<float> l2(20), r2(20);
  p->renderBlock(l2.data(), r2.data(), 20);
  EXPECT_EQ(p->updateCounter(), before + 3);
  EXPECT_EQ(p->controlPhase(), 4);
  p->setControlPhase(-3);
  EXPECT_EQ(p->controlPhase(), 5);
}

TEST(PlayerRender, IdleTimeAdvancesModulators) {
  auto p = makePlayer(kRate);
  p->bindSound(kMachineDrum);
  p->setControlPhase(3);
  p->advanceIdle(10);  // nothing runs: only the phase and the leftover
  EXPECT_EQ(p->controlPhase(), 5);
  EXPECT_EQ(p->pendingAdvance(), 5);
  p->advanceIdle(2);
  EXPECT_EQ(p->controlPhase(), 7);
  EXPECT_EQ(p->pendingAdvance(), 7);

  p->setControlPhase(0);
  p->flushPending();
  Lfo lfo;
  lfo.enabled = 1;
  lfo.dest = 1;
  lfo.rate = 1.0f;
  p->bindLfo(0, lfo);
  p->advanceIdle(1003);  // 125 whole control blocks applied, 3 owed
  EXPECT_NEAR(p->lfo(0).phase, 1000.0 / kRate, 1e-12);
  EXPECT_EQ(p->pendingAdvance(), 3);
  EXPECT_EQ(p->controlPhase(), 3);
}

TEST(PlayerRender, KnobMoveWhileSoundingHasNoStep) {
  Sound s = vaSound();
  s.params[findParamIndex(kMachineVa, "wave1")] = 2.0f;
  s.params[findParamIndex(kMachineVa, "wave2")] = 2.0f;
  const int level = findParamIndex(kMachineVa, "level");
  auto p = makePlayer(kRate);
  p->loadSound(s);
  p->startHit(60.0f, 1.0f);
  std::vector<float> out = renderMono(*p, 4800, 480);
  p->mod().layers[layer::kBase][level] = 0.0f;  // knob to zero between blocks
  auto more = renderMono(*p, 4800, 480);
  out.insert(out.end(), more.begin(), more.end());
  EXPECT_LE(maxStep(out, 4790, 4810), maxStep(out, 2400, 4790) * 1.2f);
  EXPECT_GT(peak(out, 4800, 4900), 0.1f);  // still audible just after
  EXPECT_LT(peak(out, 9000), 0.01f);       // and gone after ~80 ms
}

// Random interleavings of everything the engine may do to a player: the
// output stays finite and bounded, and a reset always silences it.
TEST(PlayerRender, RandomOperationSequencesStayFinite) {
  std::mt19937 rng(2024);
  auto p = makePlayer(44100.0);
  std::vector<float> l(700), r(700);
  for (int step = 0; step < 3000; ++step) {
    const int op = static_cast<int>(rng() % 12);
    const int machine = static_cast<int>(rng() % 4);
    switch (op) {
      case 0: {
        Sound s = rng() % 2 ? demoSound(static_cast<int>(rng() % 6)) : defaultSound(machine);
        s.params[voiceRevIndex(s.machine)] = static_cast<float>(rng() % 2);
        p->loadSound(s);
        break;
      }
      case 1:
      case 2: p->startHit(static_cast<float>(rng() % 128), static_cast<float>(rng() % 101) / 100.0f); break;
      case 3: p->choke(); break;
      case 4: {
        Lfo lfo;
        lfo.enabled = static_cast<std::uint8_t>(rng() % 2);
        lfo.dest = static_cast<std::uint8_t>(rng() % 70);
        lfo.shape = static_cast<std::uint8_t>(rng() % 7);
        lfo.trig = static_cast<std::uint8_t>(rng() % 6);
        lfo.sync = static_cast<std::uint8_t>(rng() % 2);
        lfo.rateDiv = static_cast<std::uint8_t>(rng() % 12);
        lfo.rate = 0.01f + static_cast<float>(rng() % 5000) / 100.0f;
        lfo.depth = static_cast<float>(static_cast<int>(rng() % 201) - 100) / 100.0f;
        p->bindLfo(static_cast<int>(rng() % 2), lfo);
        break;
      }
      case 5: {
        ModEnv env;
        env.enabled = static_cast<std::uint8_t>(rng() % 2);
        env.dest = static_cast<std::uint8_t>(rng() % 70);
        env.attack = static_cast<float>(rng() % 100) / 100.0f;
        env.hold = static_cast<float>(rng() % 50) / 100.0f;
        env.decay = static_cast<float>(rng() % 200) / 100.0f;
        env.sync = static_cast<std::uint8_t>(rng() % 2);
        env.depth = static_cast<float>(static_cast<int>(rng() % 201) - 100) / 100.0f;
        p->bindModEnv(static_cast<int>(rng() % 2), env);
        break;
      }
      case 6: {
        float targets[64] = {};
        for (float& t : targets) t = static_cast<float>(static_cast<int>(rng() % 11) - 5) * 0.01f;
        p->glideTo(targets, static_cast<int>(rng() % 5000));
        break;
      }
      case 7: p->setTempo(static_cast<double>(rng() % 300)); break;
      case 8: {
        const int n = static_cast<int>(rng() % 700);
        if (p->isSounding())
          p->renderBlock(l.data(), r.data(), n);
        else
          p->advanceIdle(n);
        for (int i = 0; i < n; ++i) {
          ASSERT_TRUE(std::isfinite(l[i]) && std::isfinite(r[i])) << step;
          ASSERT_LT(std::fabs(l[i]), 100.0f) << step;
        }
        break;
      }
      case 9: p->setControlPhase(static_cast<int>(rng() % 16) - 8); break;
      case 10: {
        const ParamLock rands[2] = {{static_cast<std::uint8_t>(rng() % 70), 0.5f},
                                    {static_cast<std::uint8_t>(rng() % 70), 1.0f}};
        p->applyHitModulation(rands, 2, rng(), rands + 1, 1);
        p->applyVelocityDests(0.5f, rands, 2);
        break;
      }
      default:
        p->reset();
        EXPECT_FALSE(p->isSounding());
        p->renderBlockMono(l.data(), 64);
        EXPECT_EQ(peak(l.data(), 64), 0.0f);
        break;
    }
  }
}

}  // namespace player_render_test
}  // namespace ob
