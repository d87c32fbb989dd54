// Block processing and hits: exact hit placement, segments, macros, stops,
// pan law, choke, layer zones, note ends and block splitting.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "engine/clock/step_clock.h"
#include "engine/engine/output_gains.h"
#include "engine_harness.h"

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#endif

namespace engine_process_test {

using namespace enginetest;

constexpr double kRate = 44100.0;

TEST(EngineHits, StepsLandOnTheSampleTheClockComputes) {
  auto p = silentDemo();
  ob::Pattern& pat = p->patterns[0];
  pat.bpm = 120.0f;
  pat.swing = 50.0f;
  pat.tracks[0].swing = -1.0f;
  pat.tracks[0].steps[5].active = 1;
  pat.tracks[1].steps[2].active = 1;
  pat.tracks[1].steps[2].micro = -20;
  pat.tracks[2].rate = 4;  // sixteenth triplets
  pat.tracks[2].steps[3].active = 1;

  // The clock on its own, for the expected times.
  ob::StepClock clock;
  clock.setSampleRate(kRate);
  clock.reset(&pat);
  clock.seed = p->seed;
  ob::StepEventList events;
  int expected[3] = {-1, -1, -1};
  const int total = 44100;
  for (int at = 0; at < total; at += 100) {
    clock.samplesPerSixteenth = 60.0 / pat.bpm * 0.25 * kRate;
    clock.process(100, events);
    for (const ob::StepEvent& ev : events)
      if (ev.fire && ev.track < 3 && expected[ev.track] < 0) expected[ev.track] = at + ev.time;
  }
  ASSERT_GT(expected[0], 0);
  ASSERT_GT(expected[1], 0);
  ASSERT_GT(expected[2], 0);

  for (int block : {64, 37, 512}) {
    auto e = makeEngine(kRate, 512);
    e->loadProject(*p);
    const Stems s = runStems(*e, total, block, internalPlay());
    for (int t = 0; t < 3; ++t) {
      EXPECT_EQ(firstNonZero(s.left(t)), expected[t]) << "track " << t << " block " << block;
      EXPECT_EQ(firstNonZero(s.right(t)), expected[t]) << "track " << t << " block " << block;
    }
    EXPECT_EQ(expected[0], static_cast<int>(std::floor(5 * 5512.5)) + 1);
  }
}

TEST(EngineHits, TriggersFireAtTheirSampleClampedToTheBlock) {
  auto e = makeEngine();
  e->loadProject(*silentDemo());
  const Stems s = runStems(*e, 1024, 256, stopped(), [&](int at) {
    if (at == 0) e->queueTrigger(trigger(0, 100));
    if (at == 256) {
      ob::Trigger early = trigger(1, 0);
      early.time = static_cast<std::uint32_t>(-5);
      e->queueTrigger(early);
    }
    if (at == 512) e->queueTrigger(trigger(2, 256 + 3));
  });
  EXPECT_EQ(firstNonZero(s.left(0)), 100);
  EXPECT_EQ(firstNonZero(s.left(1)), 256);
  EXPECT_EQ(firstNonZero(s.left(2)), 512 + 255);
}

TEST(EngineHits, CentrePanAtUnitGainGivesEqualStemGains) {
  const ob::OutputGains centre = ob::trackOutputGains(0.0f, 1.0f);
  EXPECT_NEAR(centre.left, 0.3889f, 1e-4);
  EXPECT_NEAR(centre.right, 0.3889f, 1e-4);
  const ob::OutputGains left = ob::trackOutputGains(-3.0f, 1.0f);  // clamped hard left
  EXPECT_NEAR(left.left, 0.55f, 1e-6);
  EXPECT_NEAR(left.right, 0.0f, 1e-6);
  const ob::OutputGains lost = ob::trackOutputGains(std::nanf(""), 1.0f);  // the centre
  EXPECT_EQ(lost.left, centre.left);
  EXPECT_EQ(lost.right, centre.right);

  auto e = makeEngine();
  auto p = silentDemo();
  p->patterns[0].tracks[0].pan = 0.0f;
  p->patterns[0].tracks[0].gain = 1.0f;
  e->loadProject(*p);
  ob::Trigger t = trigger(0, 0);
  t.hasPan = 1;
  t.pan = 1.0f;
  const Stems s = runStems(*e, 512, 512, stopped(), [&](int at) {
    if (at == 0) e->queueTrigger(t);
  });
  EXPECT_GT(rms(s.right(0), 0, 512), 0.0);
  EXPECT_LT(rms(s.left(0), 0, 512), 1e-6 * rms(s.right(0), 0, 512) + 1e-12);
  EXPECT_FLOAT_EQ(e->hitPan(0), 1.0f);
}

// A document may give a track any finite gain; what reaches the output is
// held to the track's range, so a gain of 2^63 plays as the loudest one.
TEST(EngineHits, ATracksGainIsHeldToItsRange) {
  const ob::OutputGains loudest = ob::trackOutputGains(0.0f, ob::kMaxTrackGain);
  const std::pair<float, float> cases[] = {
      {9.2233720e18f, loudest.left}, {3.0f, loudest.left}, {-0.5f, 0.0f}, {-1e30f, 0.0f},
      {std::nanf(""), 0.0f},         {INFINITY, 0.0f},
  };
  for (const auto& [gain, side] : cases) {
    SCOPED_TRACE(gain);
    const ob::OutputGains g = ob::trackOutputGains(0.0f, gain);
    EXPECT_EQ(g.left, side);
    EXPECT_EQ(g.right, side);
  }

  auto peakAt = [](float gain) {
    auto e = makeEngine();
    auto p = silentDemo();
    p->patterns[0].tracks[0].gain = gain;
    e->loadProject(*p);
    const Stems s = runStems(*e, 512, 512, stopped(), [&](int at) {
      if (at == 0) e->queueTrigger(trigger(0, 0));
    });
    float peak = 0.0f;
    for (const float v : s.left(0)) peak = std::max(peak, std::fabs(v));
    return peak;
  };
  const float atMost = peakAt(ob::kMaxTrackGain);
  EXPECT_GT(atMost, 0.0f);
  EXPECT_EQ(peakAt(9.2233720e18f), atMost);
}

TEST(EngineHits, AMacroEventChangesTheSoundFromItsSample) {
  auto p = silentDemo();
  ob::Macro& m = p->patterns[0].kit.macros[0];
  m.destCount = 1;
  m.dests[0].track = 0;
  m.dests[0].param = static_cast<std::uint8_t>(ob::findParamIndex(ob::kMachineDrum, "res_tune"));
  m.dests[0].target = 400.0f;
  m.value = 0.0f;

  auto render = [&](bool withEvent) {
    auto e = makeEngine();
    e->loadProject(*p);
    return runStems(*e, 512, 512, stopped(), [&](int) {
      e->queueTrigger(trigger(0, 0));
      if (withEvent) {
        ob::BlockEvent ev;
        ev.command.kind = ob::kEditMacroValue;
        ev.command.param = 0;
        ev.command.value = 1.0f;
        ev.time = 100;
        e->queueBlockEvent(ev);
      }
    });
  };
  const Stems plain = render(false);
  const Stems moved = render(true);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(plain.left(0)[i], moved.left(0)[i]) << i;
  int firstDiff = -1;
  for (int i = 100; i < 512 && firstDiff < 0; ++i)
    if (plain.left(0)[i] != moved.left(0)[i]) firstDiff = i;
  EXPECT_GE(firstDiff, 100);
  EXPECT_LT(firstDiff, 108);
}

// The largest sample-to-sample step of v over [from, to), the step into
// `from` included.
float largestStep(const std::vector<float>& v, int from, int to) {
  float step = 0.0f;
  for (int i = std::max(from, 1); i < to; ++i) step = std::max(step, std::fabs(v[i] - v[i - 1]));
  return step;
}

// A stop fades every sounding player out instead of cutting it: no step
// larger than the music's own, then silence, and the host's note still ends.
TEST(EngineHits, TransportStopFadesOutAndEndsEveryHostNote) {
  for (int block : {64, 256}) {
    SCOPED_TRACE("block " + std::to_string(block));
    auto e = makeEngine(kRate, 256);
    e->loadProject(*enginetest::busyDemo());
    const int stopAt = 40 * 256;
    ob::RenderInfo info = internalPlay();
    int ends = 0;
    auto countEnds = [&] {
      for (int i = 0; i < e->noteEndCount; ++i) ends += e->noteEnds[i].noteRef.noteId == 7 ? 1 : 0;
    };
    const Stems s = runStems(*e, stopAt + 20 * 256, block, info, [&](int at) {
      countEnds();  // of the block before
      if (at == stopAt - 2 * block) e->queueTrigger(trigger(1, 5, 1.0f, 7));
      if (at == stopAt) {
        EXPECT_TRUE(e->activePlayer(1).isSounding());
        EXPECT_EQ(ends, 0);
        info = stopped();
      }
    });
    countEnds();
    std::vector<float> mix(static_cast<std::size_t>(s.frames), 0.0f);
    for (int t = 0; t < 8; ++t)
      for (int i = 0; i < s.frames; ++i) mix[i] += s.left(t)[i];

    EXPECT_NE(mix[stopAt], 0.0f);
    EXPECT_LE(largestStep(mix, stopAt, s.frames), largestStep(mix, stopAt - block, stopAt));
    const int silentFrom = stopAt + static_cast<int>(kRate * 0.004);
    for (int c = 0; c < 16; ++c) EXPECT_EQ(firstNonZero(s.ch[c], silentFrom), -1) << "channel " << c;
    for (int t = 0; t < 8; ++t) {
      EXPECT_FALSE(e->activePlayer(t).isSounding());
      EXPECT_FALSE(e->sparePlayer(t).isSounding());
    }
    EXPECT_EQ(ends, 1);
  }
}

TEST(EngineNoteEnds, EveryHostNoteEndsExactlyOnce) {
  auto e = makeEngine();
  e->loadProject(*silentDemo());
  std::vector<int> ends(64, 0);
  int lastTimeOf5 = -1;
  int frame = 0;
  runStems(*e, 44100 * 6, 256, stopped(), [&](int at) {
    // Collect what the previous block ended.
    for (int i = 0; i < e->noteEndCount; ++i) {
      const int id = e->noteEnds[i].noteRef.noteId;
      ASSERT_GE(id, 0);
      ++ends[id];
      if (id == 5) lastTimeOf5 = frame + e->noteEnds[i].time;
    }
    frame = at;
    if (at == 0) {
      for (int t = 0; t < 6; ++t) e->queueTrigger(trigger(t, 10 * t, 1.0f, t));
      e->queueTrigger(trigger(7, 3, 1.0f, 40));    // no such track: ends at once
      ob::Trigger none = trigger(0, 4, 1.0f, -1);  // no host note: nothing to end
      e->queueTrigger(none);
    }
    if (at == 2560) e->queueTrigger(trigger(5, 30, 1.0f, 6));  // same track again
  });
  for (int id : {0, 1, 2, 3, 4, 5, 6, 40}) EXPECT_EQ(ends[id], 1) << id;
  int total = 0;
  for (int c : ends) total += c;
  EXPECT_EQ(total, 8);
  // The first note of the track ended where the second one started.
  EXPECT_EQ(lastTimeOf5, 2560 + 30);
}

TEST(EngineChoke, AGroupCutsTheOtherTrackWithinThreeMilliseconds) {
  auto e = makeEngine();
  auto p = silentDemo();
  ob::Pattern& pat = p->patterns[0];
  pat.tracks[0].chokeGroup = 0;
  pat.tracks[3].chokeGroup = 0;  // open hat
  pat.tracks[2].chokeGroup = 255;
  e->loadProject(*p);
  const Stems s = runStems(*e, 8192, 128, stopped(), [&](int at) {
    if (at == 0) {
      e->queueTrigger(trigger(3, 0));
      e->queueTrigger(trigger(2, 0));
    }
    if (at == 2048) e->queueTrigger(trigger(0, 0));
  });
  const double before = rms(s.left(3), 1800, 2048);
  ASSERT_GT(before, 1e-4);
  // 3 ms is 133 samples; the fade ends inside the next control block.
  const int cut = 2048 + 133 + 8;
  EXPECT_LT(rms(s.left(3), cut + 64, cut + 1024), before * 0.02);
  EXPECT_TRUE(e->activePlayer(3).isStopped() || !e->activePlayer(3).isSounding());
  // The fade runs over about 3 ms: halfway through, about half the level.
  EXPECT_GT(rms(s.left(3), 2048, 2048 + 60), before * 0.2);
  // Track 2 has no group and rings on.
  EXPECT_GT(rms(s.left(2), 2048, 2300), 0.0);
}

TEST(EngineZones, VelocityAndRoundRobinPicks) {
  ob::Sound s;
  s.machine = ob::kMachineSample;
  s.zoneCount = 3;
  s.slot[0] = 10;
  s.slot[1] = 11;
  s.slot[2] = 12;
  s.velMax[0] = 40;
  s.velMax[1] = 80;
  s.velMax[2] = 127;
  std::uint8_t counter = 0;
  EXPECT_EQ(ob::Engine::pickLayerZone(s, 0.5f, counter), 11);
  EXPECT_EQ(ob::Engine::pickLayerZone(s, 0.0f, counter), 10);
  EXPECT_EQ(ob::Engine::pickLayerZone(s, 1.0f, counter), 12);
  s.mode = 1;
  EXPECT_EQ(ob::Engine::pickLayerZone(s, 0.5f, counter), 10);
  EXPECT_EQ(ob::Engine::pickLayerZone(s, 0.5f, counter), 11);
  EXPECT_EQ(ob::Engine::pickLayerZone(s, 0.5f, counter), 12);
  EXPECT_EQ(ob::Engine::pickLayerZone(s, 0.5f, counter), 10);
  s.machine = ob::kMachineDrum;
  EXPECT_EQ(ob::Engine::pickLayerZone(s, 0.5f, counter), -1);
  s.machine = ob::kMachineSample;
  s.zoneCount = 0;
  EXPECT_EQ(ob::Engine::pickLayerZone(s, 0.5f, counter), -1);
}

TEST(EngineZones, HostLayerChoiceOnASoundWithoutZonesIsHarmless) {
  auto e = makeEngine();
  auto p = silentDemo();
  ob::Sound& snd = p->patterns[0].kit.sounds[p->patterns[0].tracks[0].soundIndex];
  ob::initSoundParams(snd, ob::kMachineSample);
  snd.zoneCount = 0;
  e->loadProject(*p);
  ob::Trigger t = trigger(0, 0);
  t.hasLayer = 1;
  t.layer = 12345;
  e->queueTrigger(t);
  std::vector<float> l(64), r(64);
  e->process(l.data(), r.data(), 64, stopped());
  EXPECT_EQ(e->activePlayer(0).mod().layers[1][0], 0.0f);

  snd.zoneCount = 3;
  snd.mode = 1;
  snd.slot[0] = 4;
  snd.slot[1] = 5;
  snd.slot[2] = 6;
  e->loadProject(*p);
  t.layer = 7;  // 7 mod 3 = zone 1
  e->queueTrigger(t);
  e->process(l.data(), r.data(), 64, stopped());
  const ob::ModLayers& mod = e->activePlayer(0).mod();
  EXPECT_FLOAT_EQ(mod.layers[0][0] + mod.layers[1][0], 5.0f);
}

TEST(EngineBinding, ASoundChangeLetsTheOldHitRingOnTheSparePlayer) {
  auto e = makeEngine();
  e->loadProject(*silentDemo());
  e->queueTrigger(trigger(0, 0));
  std::vector<float> l(256), r(256);
  e->process(l.data(), r.data(), 256, stopped());
  ob::TrackPlayer* first = &e->activePlayer(0);
  const float oldGain = e->activeGainL(0);
  ob::Trigger other = trigger(0, 0);
  other.sound = 4;  // another sound on the same track
  e->queueTrigger(other);
  e->process(l.data(), r.data(), 256, stopped());
  EXPECT_EQ(&e->sparePlayer(0), first);
  EXPECT_TRUE(e->sparePlayer(0).isSounding());
  EXPECT_TRUE(e->activePlayer(0).isSounding());
  EXPECT_EQ(e->boundSound(0), 4);
  EXPECT_GT(oldGain, 0.0f);
}

TEST(EngineBinding, ARemovedTrackStopsAndEndsItsNotes) {
  auto e = makeEngine();
  auto p = silentDemo();
  e->loadProject(*p);
  const int last = p->patterns[0].numTracks - 1;
  e->queueTrigger(trigger(last, 0, 1.0f, 9));
  std::vector<float> l(256), r(256);
  e->process(l.data(), r.data(), 256, stopped());
  ASSERT_TRUE(e->activePlayer(last).isSounding());
  ob::EditCommand remove;
  remove.kind = ob::kEditRemoveTrack;
  remove.track = static_cast<std::uint32_t>(last);
  e->postCommand(remove);
  e->process(l.data(), r.data(), 256, stopped());
  EXPECT_EQ(e->pattern().numTracks, last);
  EXPECT_FALSE(e->activePlayer(last).isSounding());
  ASSERT_EQ(e->noteEndCount, 1);
  EXPECT_EQ(e->noteEnds[0].noteRef.noteId, 9);
}

TEST(EngineBinding, VoicesOfLaterTracksMoveDownWithTheirTracks) {
  auto e = makeEngine();
  auto p = silentDemo();
  e->loadProject(*p);
  const int n = p->patterns[0].numTracks;
  e->queueTrigger(trigger(1, 0, 1.0f, 1));
  e->queueTrigger(trigger(2, 0, 1.0f, 2));
  std::vector<float> l(256), r(256);
  e->process(l.data(), r.data(), 256, stopped());
  ob::TrackPlayer* second = &e->activePlayer(2);
  const float pan2 = e->activeGainR(2);
  ob::EditCommand remove;
  remove.kind = ob::kEditRemoveTrack;
  remove.track = 1;
  e->postCommand(remove);
  e->process(l.data(), r.data(), 256, stopped());
  EXPECT_EQ(e->pattern().numTracks, n - 1);
  // Track 2 is now track 1 and keeps ringing on its own voice.
  EXPECT_EQ(&e->activePlayer(1), second);
  EXPECT_TRUE(second->isSounding());
  EXPECT_FLOAT_EQ(e->activeGainR(1), pan2);
  ASSERT_EQ(e->noteEndCount, 1);
  EXPECT_EQ(e->noteEnds[0].noteRef.noteId, 1);
  EXPECT_EQ(e->pendingNoteEnd(e->playerIndex(*second)).noteId, 2);
}

TEST(EngineBlocks, BlocksLongerThanPreparedAreSplitAndMatch) {
  auto p = demo();
  auto whole = makeEngine(kRate, 64);
  auto small = makeEngine(kRate, 64);
  whole->loadProject(*p);
  small->loadProject(*p);
  const Stems a = runStems(*whole, 4096, 1000, internalPlay());
  const Stems b = runStems(*small, 4096, 8, internalPlay());
  for (int c = 0; c < 16; ++c)
    for (int i = 0; i < 4096; ++i) ASSERT_EQ(a.ch[c][i], b.ch[c][i]) << c << " " << i;
  EXPECT_GT(rms(a.left(0), 0, 4096), 0.0);
}

TEST(EngineBlocks, IdleEngineWritesSilenceAndKeepsCounting) {
  auto e = makeEngine();
  e->loadProject(*silentDemo());
  const Stems s = runStems(*e, 2048, 512, stopped());
  for (int c = 0; c < 16; ++c) EXPECT_EQ(firstNonZero(s.ch[c]), -1);
  EXPECT_EQ(e->hostPosition(), 2048);
}

TEST(EngineSignals, FollowersSendLevelsOnTheThirtyTwoSampleGrid) {
  auto e = makeEngine(kRate, 256);
  e->loadProject(*silentDemo());
  e->enableControlSignals(true);
  e->queueTrigger(trigger(0, 0));
  std::vector<float> l(256), r(256);
  ob::RenderInfo info = stopped();
  info.hasPosition = 1;
  info.position = 16;
  e->process(l.data(), r.data(), 256, info);
  ASSERT_GT(e->controlSignalCount, 0);
  for (int i = 0; i < e->controlSignalCount; ++i) {
    const ob::ControlSignal& s = e->controlSignals()[i];
    EXPECT_EQ((16 + static_cast<int>(s.time)) % 32, 0);
    EXPECT_GE(s.value, 0.0f);
    EXPECT_LE(s.value, 1.0f);
  }
  EXPECT_LE(e->controlSignalCount, e->controlSignalCapacity());
}

using enginetest::makeEngine;
using enginetest::silentDemo;
using enginetest::stopped;
using enginetest::trigger;

void oneBlock(ob::Engine& e, int frames = 256, ob::RenderInfo info = stopped()) {
  std::vector<float> l(frames), r(frames);
  e.process(l.data(), r.data(), frames, info);
}

TEST(EngineOrder, EventsThenTriggersInQueueOrderAtOneSample) {
  auto e = makeEngine();
  e->loadProject(*silentDemo());
  const int tune = ob::findParamIndex(ob::kMachineDrum, "res_tune");
  ob::BlockEvent ev;
  ev.command.kind = ob::kEditSoundParam;
  ev.command.track = 0;
  ev.command.param = tune;
  ev.command.value = 100.0f;
  ev.time = 50;
  ob::Trigger a = trigger(0, 50, 1.0f, 1);
  ob::Trigger b = trigger(0, 50, 1.0f, 2);
  b.absoluteCount = 1;
  b.absolute[0].param = static_cast<std::uint16_t>(tune);
  b.absolute[0].value = 130.0f;
  e->queueTrigger(a);
  e->queueTrigger(b);
  e->queueBlockEvent(ev);  // queued last, applied first
  oneBlock(*e);
  const ob::ModLayers& mod = e->activePlayer(0).mod();
  EXPECT_FLOAT_EQ(mod.layers[0][tune], 100.0f);
  EXPECT_FLOAT_EQ(mod.layers[1][tune], 30.0f);
  ASSERT_EQ(e->noteEndCount, 1);
  EXPECT_EQ(e->noteEnds[0].noteRef.noteId, 1);
  EXPECT_EQ(e->noteEnds[0].time, 50);
  EXPECT_EQ(e->pendingNoteEnd(e->playerIndex(e->activePlayer(0))).noteId, 2);
}

TEST(EngineOrder, AZeroVelocityStepMovesTheSoundingVoiceWithoutAHit) {
  auto p = silentDemo();
  ob::Pattern& pat = p->patterns[0];
  pat.bpm = 120.0f;
  pat.swing = 50.0f;
  const int tune = ob::findParamIndex(ob::kMachineDrum, "res_tune");
  pat.tracks[0].steps[0].active = 1;
  ob::Step& quiet = pat.tracks[0].steps[1];
  quiet.active = 1;
  quiet.velocity = 0;
  quiet.lockCount = 1;
  quiet.locks[0].param = static_cast<std::uint8_t>(tune);
  quiet.locks[0].value = 200.0f;
  auto e = makeEngine();
  e->loadProject(*p);
  ob::TrackPlayer* before = nullptr;
  for (int b = 0; b < 40; ++b) {
    oneBlock(*e, 256, enginetest::internalPlay());
    if (b == 10) before = &e->activePlayer(0);
  }
  const ob::ModLayers& mod = e->activePlayer(0).mod();
  EXPECT_EQ(&e->activePlayer(0), before);
  EXPECT_FLOAT_EQ(mod.layers[0][tune] + mod.layers[1][tune], 200.0f);
  EXPECT_TRUE(e->activePlayer(0).isSounding());
}

TEST(EngineRandom, HostHitsDrawFreshValuesAndRepeatAfterARestart) {
  auto p = silentDemo();
  const int tune = ob::findParamIndex(ob::kMachineDrum, "res_tune");
  ob::Track& track = p->patterns[0].tracks[0];
  track.trackRandCount = 1;
  track.trackRands[0].param = static_cast<std::uint8_t>(tune);
  track.trackRands[0].value = 1.0f;
  auto e = makeEngine();
  e->loadProject(*p);
  float draws[3];
  for (float& d : draws) {
    e->queueTrigger(trigger(0, 0));
    oneBlock(*e);
    d = e->activePlayer(0).mod().layers[4][tune];
  }
  EXPECT_NE(draws[0], draws[1]);
  EXPECT_NE(draws[1], draws[2]);
  e->postProject(*p, false);  // a restart resets the hit counter
  oneBlock(*e);
  e->queueTrigger(trigger(0, 0));
  oneBlock(*e);
  EXPECT_EQ(e->activePlayer(0).mod().layers[4][tune], draws[0]);
  // A hit carrying its own hash draws from it alone.
  ob::Trigger hashed = trigger(0, 0);
  hashed.hasSeed = 1;
  hashed.seed = 99;
  e->queueTrigger(hashed);
  oneBlock(*e);
  const float fromHash = e->activePlayer(0).mod().layers[4][tune];
  e->queueTrigger(hashed);
  oneBlock(*e);
  EXPECT_EQ(e->activePlayer(0).mod().layers[4][tune], fromHash);
}

TEST(EngineRandom, SlideGlidesToTheNextStepsLocks) {
  auto p = silentDemo();
  ob::Pattern& pat = p->patterns[0];
  pat.bpm = 120.0f;
  pat.swing = 50.0f;
  const int tune = ob::findParamIndex(ob::kMachineDrum, "res_tune");
  ob::Step& from = pat.tracks[0].steps[0];
  from.active = 1;
  from.slide = 1;
  ob::Step& to = pat.tracks[0].steps[2];
  to.active = 1;
  to.lockCount = 1;
  to.locks[0].param = static_cast<std::uint8_t>(tune);
  to.locks[0].value = 300.0f;
  auto e = makeEngine();
  e->loadProject(*p);
  const float base = pat.kit.sounds[pat.tracks[0].soundIndex].params[tune];
  oneBlock(*e, 64, enginetest::internalPlay());
  EXPECT_TRUE(e->activePlayer(0).glideActive());
  // Two sixteenths at 120 BPM: 11,025 samples, the glide is part way.
  for (int i = 0; i < 80; ++i) oneBlock(*e, 64, enginetest::internalPlay());
  const float mid = e->activePlayer(0).mod().layers[1][tune];
  EXPECT_GT(mid, 0.0f);
  EXPECT_LT(mid, 300.0f - base);
}

// The host transport playing from its start at 120 BPM, with or without
// the host's position; runStems reads the info afresh for every block.
enginetest::Stems playFromStart(ob::Engine& e, int blocks, bool withPosition) {
  ob::RenderInfo info = enginetest::internalPlay();
  info.internalPlay = 0;
  info.tempo = 120.0;
  return enginetest::runStems(e, blocks * 256, 256, info, [&](int at) {
    info.hasPosition = info.hasBeats = withPosition ? 1 : 0;
    info.position = at;
    info.beats = at / (e.sampleRate() * 0.5);
  });
}

void expectSameStems(const enginetest::Stems& a, const enginetest::Stems& b) {
  for (int c = 0; c < 16; ++c) {
    SCOPED_TRACE("channel " + std::to_string(c));
    ASSERT_EQ(a.ch[c].size(), b.ch[c].size());
    int first = -1;
    for (std::size_t i = 0; i < a.ch[c].size() && first < 0; ++i)
      if (a.ch[c][i] != b.ch[c][i]) first = static_cast<int>(i);
    EXPECT_EQ(first, -1) << a.ch[c][first] << " against " << b.ch[c][first];
  }
}

// The host's tempo is held to the engine's range, and one that is no finite
// number is none (the pattern's tempo plays): the stems are those of the
// tempo it is taken as.
TEST(EngineTempo, AHostTempoPlaysAsTheTempoInRangeItIsTakenAs) {
  const double inf = std::numeric_limits<double>::infinity();
  const std::pair<double, double> takenAs[] = {
      {1e6, ob::kMaxBpm}, {inf, 0.0}, {std::nan(""), 0.0}, {-inf, 0.0}, {1e-3, ob::kMinBpm}};
  auto stemsAt = [](double tempo) {
    auto e = makeEngine(48000.0, 256);
    e->loadProject(*enginetest::busyDemo());
    e->handOverSeed(7);
    ob::RenderInfo info = enginetest::internalPlay();
    info.internalPlay = 0;
    info.tempo = tempo;
    return enginetest::runStems(*e, 24000, 256, info);
  };
  for (const auto& [given, expected] : takenAs) {
    SCOPED_TRACE(testing::Message() << given << " plays as " << expected);
    expectSameStems(stemsAt(given), stemsAt(expected));
  }
}

TEST(EngineReset, PlaysExactlyLikeAFreshActivation) {
  for (bool withPosition : {true, false}) {
    SCOPED_TRACE(withPosition ? "host position" : "no position");
    auto fresh = makeEngine(48000.0, 256);
    fresh->loadProject(*enginetest::busyDemo());
    fresh->handOverSeed(42);
    const enginetest::Stems expected = playFromStart(*fresh, 400, withPosition);

    auto played = makeEngine(48000.0, 256);
    played->loadProject(*enginetest::busyDemo());
    played->handOverSeed(42);
    playFromStart(*played, 333, withPosition);
    played->queueTrigger(trigger(2, 17, 0.8f, 5));
    oneBlock(*played, 100, enginetest::internalPlay());
    for (int round = 0; round < 2; ++round) {
      played->reset();
      expectSameStems(playFromStart(*played, 400, withPosition), expected);
    }
  }
}

TEST(EngineReset, HostNotesOfAResetEndAtTheNextBlock) {
  auto e = makeEngine();
  e->loadProject(*silentDemo());
  e->queueTrigger(trigger(0, 0, 1.0f, 11));
  oneBlock(*e);
  e->reset();
  EXPECT_FALSE(e->activePlayer(0).isSounding());
  oneBlock(*e);
  ASSERT_EQ(e->noteEndCount, 1);
  EXPECT_EQ(e->noteEnds[0].noteRef.noteId, 11);
  EXPECT_EQ(e->noteEnds[0].time, 0);
  oneBlock(*e);
  EXPECT_EQ(e->noteEndCount, 0);
}

#if defined(__SSE__) || defined(__x86_64__)
TEST(EngineDenormals, BlockFlushesDenormalsAndRestoresTheCallersMode) {
  auto e = enginetest::makeEngine();
  e->loadProject(*enginetest::demo());
  const unsigned before = _mm_getcsr();
  std::vector<float> l(256), r(256);
  e->process(l.data(), r.data(), 256, enginetest::internalPlay());
  EXPECT_EQ(_mm_getcsr(), before);
}
#endif

}  // namespace engine_process_test
