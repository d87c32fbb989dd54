// The engine's hand-over points: the edit ring, the project mailbox and the
// retire ring, the seed mailbox, the sample-set acknowledgement and the
// values the editor reads back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "engine/session/engine_host.h"
#include "engine_harness.h"

namespace engine_state_test {

using namespace enginetest;

ob::EditCommand tempoCommand(float bpm) {
  ob::EditCommand c;
  c.kind = ob::kEditBpm;
  c.value = bpm;
  return c;
}

ob::EditCommand toggle(int track, int step) {
  ob::EditCommand c;
  c.kind = ob::kEditToggleStep;
  c.track = static_cast<std::uint32_t>(track);
  c.step = static_cast<std::uint32_t>(step);
  return c;
}

void block(ob::Engine& e, int frames = 64, ob::RenderInfo info = stopped()) {
  std::vector<float> l(frames), r(frames);
  e.process(l.data(), r.data(), frames, info);
}

bool sameProject(const ob::Project& a, const ob::Project& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(EngineRing, HoldsAtMost1023AndAppliesThemInOrder) {
  auto e = makeEngine();
  auto editor = ob::makeProject();
  *editor = e->project();
  int accepted = 0;
  for (int i = 0; i < 1024; ++i) {
    // Tempo 1..1024: the order shows in the last value applied.
    const ob::EditCommand c = tempoCommand(static_cast<float>(i + 1));
    if (e->postCommand(c)) {
      ob::applyEditCommand(*editor, c);
      ++accepted;
    }
  }
  EXPECT_EQ(accepted, 1023);
  EXPECT_EQ(e->pendingCommands(), 1023);
  block(*e);
  EXPECT_EQ(e->pendingCommands(), 0);
  EXPECT_FLOAT_EQ(e->pattern().bpm, 999.0f);  // 1023 clamped by the applier
  EXPECT_TRUE(sameProject(e->project(), *editor));
  // Not idempotent kinds are applied once each.
  ob::applyEditCommand(*editor, toggle(0, 1));
  ob::applyEditCommand(*editor, toggle(0, 1));
  ob::applyEditCommand(*editor, toggle(0, 1));
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(e->postCommand(toggle(0, 1)));
  block(*e);
  EXPECT_TRUE(sameProject(e->project(), *editor));
}

TEST(EngineMailbox, CommandsBeforeAPostAreDroppedAndAfterItApplied) {
  auto e = makeEngine();
  auto p = silentDemo();
  e->postCommand(tempoCommand(90.0f));  // already inside the project posted next
  p->patterns[0].bpm = 90.0f;
  e->postProject(*p, false);
  ob::applyEditCommand(*p, toggle(2, 3));
  e->postCommand(toggle(2, 3));
  block(*e);
  EXPECT_TRUE(sameProject(e->project(), *p));
  EXPECT_EQ(e->pattern().tracks[2].steps[3].active, 1);
  EXPECT_EQ(e->drainRetired(), 1);
  EXPECT_EQ(e->drainRetired(), 0);
}

TEST(EngineMailbox, TwoPostsBeforeABlockTakeOnlyTheSecond) {
  auto e = makeEngine();
  auto a = silentDemo();
  auto b = silentDemo();
  a->patterns[0].bpm = 80.0f;
  b->patterns[0].bpm = 140.0f;
  e->postProject(*a, false);
  e->postProject(*b, false);  // frees the first
  block(*e);
  EXPECT_FLOAT_EQ(e->pattern().bpm, 140.0f);
  EXPECT_EQ(e->drainRetired(), 1);
}

TEST(EngineMailbox, AFullRetireRingHoldsThePostUntilThereIsRoom) {
  auto e = makeEngine();
  auto p = silentDemo();
  for (int i = 0; i < 7; ++i) {
    p->patterns[0].bpm = 100.0f + static_cast<float>(i);
    e->postProject(*p, false);
    block(*e);
  }
  // Seven copies wait to be freed: the ring (eight slots) is full.
  p->patterns[0].bpm = 150.0f;
  e->postProject(*p, false);
  e->postCommand(tempoCommand(151.0f));  // after the post: waits with it
  block(*e);
  EXPECT_TRUE(e->mailboxFull());
  EXPECT_FLOAT_EQ(e->pattern().bpm, 106.0f);
  EXPECT_EQ(e->pendingCommands(), 1);
  EXPECT_EQ(e->drainRetired(), 7);
  block(*e);
  EXPECT_FALSE(e->mailboxFull());
  EXPECT_FLOAT_EQ(e->pattern().bpm, 151.0f);
  EXPECT_EQ(e->drainRetired(), 1);
}

TEST(EngineMailbox, LoadProjectSupersedesQueuedEditsAndPosts) {
  auto e = makeEngine();
  auto p = silentDemo();
  const int before = p->patterns[0].numTracks;
  ob::EditCommand add;
  add.kind = ob::kEditAddTrack;
  // Queued while inactive, already applied to the editor copy.
  ob::applyEditCommand(*p, add);
  e->postCommand(add);
  auto stale = silentDemo();
  e->postProject(*stale, false);
  e->loadProject(*p);
  block(*e);
  EXPECT_EQ(e->pattern().numTracks, before + 1);
  EXPECT_TRUE(sameProject(e->project(), *p));
  EXPECT_EQ(e->drainRetired(), 0);
}

TEST(EngineHostRing, FlushValuesApplyOnTopOfAPostedProject) {
  auto e = makeEngine();
  auto p = silentDemo();
  e->postProject(*p, true);
  ob::EditCommand macro;
  macro.kind = ob::kEditMacroValue;
  macro.param = 2;
  macro.value = 0.75f;
  EXPECT_TRUE(e->postHostCommand(macro));
  block(*e);
  EXPECT_FLOAT_EQ(e->pattern().kit.macros[2].value, 0.75f);
}

TEST(EngineHostRing, FlushValuesQueuedBeforeALoadAreDropped) {
  auto e = makeEngine();
  auto p = silentDemo();
  p->patterns[0].kit.macros[1].value = 0.25f;
  ob::EditCommand macro;
  macro.kind = ob::kEditMacroValue;
  macro.param = 1;
  macro.value = 0.9f;
  EXPECT_TRUE(e->postHostCommand(macro));
  e->loadProject(*p);
  block(*e);
  EXPECT_FLOAT_EQ(e->pattern().kit.macros[1].value, 0.25f);
}

TEST(EngineSeed, TakenSeedReplacesEveryProjectsSeed) {
  auto e = makeEngine();
  auto p = silentDemo();
  p->seed = 5;
  e->loadProject(*p);
  EXPECT_EQ(e->project().seed, 5u);
  e->handOverSeed(0x1234);
  block(*e);
  EXPECT_EQ(e->project().seed, 0x1234u);
  EXPECT_EQ(e->clock().seed, 0x1234u);
  e->postProject(*p, false);
  block(*e);
  EXPECT_EQ(e->project().seed, 0x1234u);
  e->loadProject(*p);
  EXPECT_EQ(e->project().seed, 0x1234u);
}

// The records the audio thread's last word names.
std::uint32_t readRecords(ob::Engine& e) { return e.sampleSet().known().records; }

TEST(EngineSampleSet, ARingingHitKeepsItsRecordAndNewHitsTakeTheNewest) {
  auto e = makeEngine();
  e->loadProject(*silentDemo());
  const ob::SampleSetHandshake& hs = e->sampleSet();
  publishSamples(*e, ob::SamplePoolSnapshot{});
  block(*e);
  const ob::SamplePoolSnapshot* first = hs.current();
  EXPECT_EQ(readRecords(*e), hs.recordBit(first)) << "nothing sounds: only the record taken";

  e->queueTrigger(trigger(0, 0));
  block(*e);
  ASSERT_FALSE(e->activePlayer(0).machineFrozen());
  publishSamples(*e, ob::SamplePoolSnapshot{});
  block(*e);
  const ob::SamplePoolSnapshot* second = hs.current();
  ASSERT_NE(second, first);
  EXPECT_EQ(e->activePlayer(0).sampleSnapshot(), first);
  EXPECT_EQ(e->activePlayer(1).sampleSnapshot(), second);
  EXPECT_EQ(readRecords(*e), hs.recordBit(first) | hs.recordBit(second));
  // A new hit restarts the player on the newest; the old record goes.
  e->queueTrigger(trigger(0, 0));
  block(*e);
  EXPECT_EQ(e->activePlayer(0).sampleSnapshot(), second);
  block(*e);
  EXPECT_EQ(readRecords(*e), hs.recordBit(second));
}

TEST(EngineSampleSet, AnOldRecordGoesOnceTheHitThatReadsItEnds) {
  auto e = makeEngine();
  e->loadProject(*silentDemo());
  publishSamples(*e, ob::SamplePoolSnapshot{});
  e->queueTrigger(trigger(0, 0));
  block(*e);
  const std::uint32_t old = e->sampleSet().recordBit(e->sampleSet().current());
  publishSamples(*e, ob::SamplePoolSnapshot{});
  int blocks = 0;
  while ((readRecords(*e) & old) != 0 && blocks < 10000) {
    block(*e, 512);
    ++blocks;
  }
  EXPECT_TRUE(e->activePlayer(0).machineFrozen());
  EXPECT_GT(blocks, 1);
}

TEST(EngineDisplay, ModulatedParamIsZeroOutOfRangeAndFollowsLayers) {
  auto e = makeEngine();
  EXPECT_EQ(e->modulatedParam(8, 0), 0.0f);
  EXPECT_EQ(e->modulatedParam(0, 64), 0.0f);
  auto p = silentDemo();
  e->loadProject(*p);
  block(*e);
  const int tune = ob::findParamIndex(ob::kMachineDrum, "res_tune");
  const ob::Sound& kick = p->patterns[0].kit.sounds[p->patterns[0].tracks[0].soundIndex];
  EXPECT_FLOAT_EQ(e->modulatedParam(0, static_cast<std::uint32_t>(tune)), kick.params[tune]);
  ob::EditCommand c;
  c.kind = ob::kEditSoundParam;
  c.track = 0;
  c.param = tune;
  c.value = 80.0f;
  e->postCommand(c);
  block(*e);
  EXPECT_FLOAT_EQ(e->modulatedParam(0, static_cast<std::uint32_t>(tune)), 80.0f);
}

// The demo project with track 0 playing pool slot 0, a tone of `frames`.
ob::SamplePool tonePool(int frames, float level) {
  ob::SampleAudio tone;
  tone.left.resize(static_cast<std::size_t>(frames));
  for (std::size_t i = 0; i < tone.left.size(); ++i)
    tone.left[i] = level * std::sin(0.05f * static_cast<float>(i));
  tone.sampleRate = 48000.0;
  ob::SamplePool pool;
  pool.append(std::move(tone));
  return pool;
}

std::unique_ptr<orbi::EngineHost> samplerHost(int frames) {
  auto host = orbi::EngineHost::create();
  ob::buildDemoProject(host->project);
  ob::Pattern& pat = host->project.patterns[0];
  ob::initSoundParams(pat.kit.sounds[pat.tracks[0].soundIndex], ob::kMachineSample);
  host->pool = tonePool(frames, 0.5f);
  host->engine.prepare(48000.0, 512);
  host->publishSamples();
  host->engine.loadProject(host->project);
  return host;
}

TEST(EngineHostObject, SamplesAreRetiredThroughTheGenerationOrAtOnceBetweenBlocks) {
  auto host = samplerHost(4800);
  std::vector<float> l(512), r(512);
  host->engine.process(l.data(), r.data(), 512, stopped());
  host->engine.sampleSet().enterBlock();  // as the audio thread does, meanwhile
  host->replacePool(tonePool(4800, 0.25f));
  ASSERT_EQ(host->samples.retired().size(), 1u) << "a block may be running";
  host->engine.process(l.data(), r.data(), 512, stopped());
  host->mainThreadPass();
  EXPECT_TRUE(host->samples.retired().empty()) << "freed at the first pass after the acknowledgement";
  host->replacePool(tonePool(4800, 0.125f));
  EXPECT_TRUE(host->samples.retired().empty()) << "no block runs: freed at once";
}

TEST(EngineHostObject, AReplacedPoolOutlivesTheHitThatReadsIt) {
  auto host = samplerHost(48000);
  std::vector<float> l(512), r(512);
  host->engine.queueTrigger(trigger(0, 0));
  host->engine.process(l.data(), r.data(), 512, stopped());
  ASSERT_TRUE(host->engine.activePlayer(0).isSounding());
  ASSERT_GT(rms(l, 0, 512), 0.0);

  host->replacePool(tonePool(48000, 0.25f));
  int blocks = 0;
  while (host->engine.activePlayer(0).isSounding() && blocks < 1000) {
    host->engine.process(l.data(), r.data(), 512, stopped());
    host->mainThreadPass();
    // The ringing hit still reads the old audio: it must not be freed yet.
    if (!host->engine.activePlayer(0).machineFrozen()) {
      ASSERT_FALSE(host->samples.retired().empty());
    }
    ++blocks;
  }
  EXPECT_GT(blocks, 10);
  host->engine.process(l.data(), r.data(), 512, stopped());
  host->mainThreadPass();
  EXPECT_TRUE(host->samples.retired().empty());

  // Between blocks while a hit rings: two loads free at once the pool
  // between, not the one the hit reads, and the hit rings on at the next
  // block rather than stopping dead.
  host->engine.queueTrigger(trigger(0, 0));
  host->engine.process(l.data(), r.data(), 512, stopped());
  const double ringing = rms(l, 256, 512);
  host->replacePool(tonePool(48000, 0.2f));
  host->replacePool(tonePool(48000, 0.125f));
  EXPECT_EQ(host->samples.retired().size(), 1u);
  host->engine.process(l.data(), r.data(), 512, stopped());
  EXPECT_FALSE(host->engine.activePlayer(0).machineFrozen());
  EXPECT_GT(rms(l, 0, 256), 0.5 * ringing);
}

TEST(EngineHostObject, ARingingHitKeepsOnlyTheAudioItPlays) {
  auto host = samplerHost(480000);
  std::vector<float> l(512), r(512);
  auto hitAndLoad = [&](float level) {
    host->engine.queueTrigger(trigger(0, 0));
    host->engine.process(l.data(), r.data(), 512, stopped());
    // A load: the ringing hit moves to the spare player and rings on.
    host->replacePool(tonePool(480000, level));
    host->postProject(false);
    for (int i = 0; i < 4; ++i) {
      host->engine.process(l.data(), r.data(), 512, stopped());
      host->mainThreadPass();
    }
  };
  hitAndLoad(0.25f);
  hitAndLoad(0.125f);
  hitAndLoad(0.0625f);
  // Only the pool the last ringing hit reads is left; the others are freed.
  ASSERT_TRUE(host->engine.sparePlayer(0).isSounding());
  EXPECT_EQ(host->samples.retired().size(), 1u);

  // Forty loads while that hit rings leave no other pool behind, and a new
  // hit plays the last one loaded.
  for (int load = 1; load <= 40; ++load) {
    host->replacePool(tonePool(480000, 0.5f / static_cast<float>(load)));
    host->postProject(false);
    for (int i = 0; i < 2; ++i) {
      host->engine.process(l.data(), r.data(), 512, stopped());
      host->mainThreadPass();
    }
  }
  ASSERT_TRUE(host->engine.sparePlayer(0).isSounding());
  EXPECT_EQ(host->samples.retired().size(), 1u);
  host->engine.queueTrigger(trigger(0, 0));
  host->engine.process(l.data(), r.data(), 512, stopped());
  const ob::SamplePoolSnapshot* played = host->engine.activePlayer(0).sampleSnapshot();
  ASSERT_NE(played, nullptr);
  EXPECT_EQ(played->slots[0].left, host->pool.slots[0]->left.data());
}

TEST(EngineHostObject, AuditionPreviewPlaysTheLatestAndStops) {
  ob::AuditionPreview preview;
  const float a[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  const float b[3] = {0.5f, 0.5f, 0.5f};
  preview.publish(a, 4, 1.0, {1.0f, 1.0f});
  preview.publish(b, 3, 1.0, {0.8f, 0.4f});
  float l[8] = {}, r[8] = {};
  preview.mix(l, r, 8);
  // Plays the second, each side at its gain, until its read index reaches
  // length - 1.
  EXPECT_FLOAT_EQ(l[0], 0.4f);
  EXPECT_FLOAT_EQ(r[1], 0.2f);
  EXPECT_FLOAT_EQ(l[2], 0.0f);
  EXPECT_FALSE(preview.playing());
  EXPECT_DOUBLE_EQ(preview.position(), 3.0);
  float m[4] = {};
  preview.mix(m, m, 4);  // finished: silent until the next request
  EXPECT_FLOAT_EQ(m[0], 0.0f);
  preview.publish(a, 4, 0.5, {0.8f, 0.3f});
  preview.mix(m, m, 4);  // mono output: the left side, added once
  EXPECT_FLOAT_EQ(m[0], 0.8f);
  EXPECT_FLOAT_EQ(m[3], 0.8f);
  float n[4] = {}, o[4] = {};
  preview.mix(m, m, 4);  // to its end, so that no fading tail sounds below
  preview.publish(a, 4, 1.0, {std::nanf(""), -std::numeric_limits<float>::infinity()});
  preview.mix(n, o, 3);  // a gain that is not a number leaves its side silent
  EXPECT_EQ(n[0], 0.0f);
  EXPECT_EQ(o[1], 0.0f);
}

// An audition that takes over from one still sounding, however often, never
// steps the output: the old one fades out beside the new, then is gone.
TEST(EngineHostObject, AnInterruptedAuditionFadesOutInsteadOfClicking) {
  ob::AuditionPreview preview;
  const std::vector<float> loud(20000, 1.0f), quiet(20000, 0.0f);
  std::vector<float> out;
  auto play = [&](std::uint32_t frames) {
    std::vector<float> l(frames), r(frames);
    preview.mix(l.data(), r.data(), frames);
    out.insert(out.end(), l.begin(), l.end());
  };
  preview.publish(loud.data(), 20000, 1.0, {1.0f, 1.0f});
  play(300);
  // Restarts while the tail still sounds carry it on.
  for (const std::uint32_t frames : {100u, 150u, 4096u}) {
    preview.publish(quiet.data(), 20000, 1.0, {1.0f, 1.0f});
    play(frames);
  }
  float largestStep = 0.0f;
  for (std::size_t i = 1; i < out.size(); ++i)
    largestStep = std::max(largestStep, std::fabs(out[i] - out[i - 1]));
  EXPECT_LT(largestStep, 0.02f);
  EXPECT_EQ(out.back(), 0.0f);
}

}  // namespace engine_state_test
