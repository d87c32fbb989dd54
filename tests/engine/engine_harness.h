#pragma once
// Drives the engine as the plug-in would, without it: an engine on the heap,
// projects built from the demo, transport records and block loops that
// collect the stems.

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/engine/engine.h"
#include "engine/model/demo_project.h"
#include "engine/model/project.h"
#include "engine/params/param_tables.h"

namespace enginetest {

inline std::unique_ptr<ob::Engine> makeEngine(double rate = 44100.0, int maxBlock = 512) {
  auto engine = std::make_unique<ob::Engine>();
  engine->prepare(rate, maxBlock);
  return engine;
}

// Publishes a copy of the snapshot as the main thread does: into a record
// the audio thread reads no more. The next block takes it.
inline void publishSamples(ob::Engine& engine, const ob::SamplePoolSnapshot& samples) {
  ob::SampleSetHandshake& hs = engine.sampleSet();
  const int r = hs.freeRecord(hs.known());
  if (r < 0) return;
  hs.records[r] = samples;
  hs.publish(r);
}

inline std::unique_ptr<ob::Project> demo() {
  auto p = ob::makeProject();
  ob::buildDemoProject(*p);
  return p;
}

// The demo with a reversed, roomy first sound, so every path of the
// players runs.
inline std::unique_ptr<ob::Project> busyDemo() {
  auto p = demo();
  ob::Sound& snd = p->patterns[0].kit.sounds[0];
  snd.params[ob::findParamIndex(snd.machine, "voice_rev")] = 1.0f;
  snd.params[ob::findParamIndex(snd.machine, "space_mix")] = 0.5f;
  return p;
}

// The demo with every step off and every room dry, so a hit is the only
// sound and it ends.
inline std::unique_ptr<ob::Project> silentDemo() {
  auto p = demo();
  ob::Pattern& pat = p->patterns[0];
  for (ob::Track& t : pat.tracks)
    for (ob::Step& s : t.steps) s.active = 0;
  for (ob::Sound& s : pat.kit.sounds) {
    const int mix = ob::findParamIndex(s.machine, "space_mix");
    if (mix >= 0) s.params[mix] = 0.0f;
  }
  for (ob::Macro& m : pat.kit.macros) m.value = 0.0f;
  for (ob::Track& t : pat.tracks) {
    t.lfos[0].enabled = t.lfos[1].enabled = 0;
  }
  return p;
}

inline ob::RenderInfo internalPlay() {
  ob::RenderInfo info;
  info.playing = 1;
  info.clockRunning = 1;
  info.internalPlay = 1;
  return info;
}

inline ob::RenderInfo stopped() { return ob::RenderInfo{}; }

// Sixteen channels of stems for a whole run, appended block by block.
struct Stems {
  int frames = 0;
  std::vector<float> ch[16];
  const std::vector<float>& left(int t) const { return ch[2 * t]; }
  const std::vector<float>& right(int t) const { return ch[2 * t + 1]; }
};

// Runs blocks of `block` frames through processBlock, with `before` called
// ahead of each block (its start frame given) to queue triggers or events.
template <typename Before>
Stems runStems(ob::Engine& engine, int total, int block, const ob::RenderInfo& info, Before before) {
  Stems out;
  out.frames = total;
  for (auto& c : out.ch) c.assign(static_cast<std::size_t>(total), 0.0f);
  std::vector<float> buf(16 * static_cast<std::size_t>(block));
  float* channels[16];
  for (int c = 0; c < 16; ++c) channels[c] = buf.data() + static_cast<std::size_t>(c) * block;
  for (int at = 0; at < total; at += block) {
    const int n = std::min(block, total - at);
    before(at);
    engine.processBlock(channels, 8, n, info);
    for (int c = 0; c < 16; ++c) std::memcpy(out.ch[c].data() + at, channels[c], sizeof(float) * n);
  }
  return out;
}

inline Stems runStems(ob::Engine& engine, int total, int block, const ob::RenderInfo& info) {
  return runStems(engine, total, block, info, [](int) {});
}

inline int firstNonZero(const std::vector<float>& v, int from = 0) {
  for (int i = from; i < static_cast<int>(v.size()); ++i)
    if (v[i] != 0.0f) return i;
  return -1;
}

inline double rms(const std::vector<float>& v, int from, int to) {
  double s = 0.0;
  for (int i = from; i < to; ++i) s += static_cast<double>(v[i]) * v[i];
  return to > from ? std::sqrt(s / (to - from)) : 0.0;
}

inline ob::Trigger trigger(int track, int time, float velocity = 1.0f, int noteId = -1) {
  ob::Trigger t;
  t.track = static_cast<std::uint8_t>(track);
  t.time = static_cast<std::uint32_t>(time);
  t.gain = velocity;
  t.note = 60;
  t.noteRef.noteId = noteId;
  t.noteRef.key = noteId >= 0 ? static_cast<std::int16_t>(60 + track) : -1;
  t.noteRef.channel = 0;
  return t;
}

}  // namespace enginetest
