#pragma once
// Drives track players as the engine would, without it: players, sounds,
// block loops and measures of what they render.

#include <cmath>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "engine/model/demo_project.h"
#include "engine/model/project.h"
#include "engine/params/param_tables.h"
#include "engine/player/track_player.h"

namespace ob::test {

inline int drumIndex(std::string_view key) { return findParamIndex(kMachineDrum, key); }

// Combined index of the reverse switch for a machine.
inline int voiceRevIndex(int machine) { return ownParamCount(machine) + 21; }

inline std::unique_ptr<TrackPlayer> makePlayer(double rate = 48000.0) {
  auto p = std::make_unique<TrackPlayer>();
  p->prepare(rate);
  return p;
}

// A sound with the machine's defaults.
inline Sound defaultSound(int machine) {
  Sound s;
  initSoundParams(s, machine);
  return s;
}

// Demo kit sound 0..5 (kick, snare, closed hat, open hat, tom, rim).
inline Sound demoSound(int index) {
  auto project = makeProject();
  buildDemoProject(*project);
  return project->patterns[0].kit.sounds[index];
}

// A pure sine-ish drum: a sine body that rings for `decay` seconds.
inline Sound ringingKick(float decay) {
  Sound s = demoSound(0);
  s.params[drumIndex("res_decay")] = decay;
  s.params[drumIndex("dist_amt")] = 0.0f;
  return s;
}

inline std::vector<float> renderMono(TrackPlayer& p, int frames, int block = 256) {
  std::vector<float> out(static_cast<std::size_t>(frames), 0.0f);
  for (int i = 0; i < frames; i += block) p.renderBlockMono(out.data() + i, std::min(block, frames - i));
  return out;
}

inline void renderStereo(TrackPlayer& p, std::vector<float>& l, std::vector<float>& r, int frames,
                         int block = 256) {
  l.assign(static_cast<std::size_t>(frames), 0.0f);
  r.assign(static_cast<std::size_t>(frames), 0.0f);
  for (int i = 0; i < frames; i += block)
    p.renderBlock(l.data() + i, r.data() + i, std::min(block, frames - i));
}

inline float peak(const float* x, std::size_t n) {
  float m = 0.0f;
  for (std::size_t i = 0; i < n; ++i) m = std::max(m, std::fabs(x[i]));
  return m;
}

inline float peak(const std::vector<float>& x, std::size_t from = 0, std::size_t to = SIZE_MAX) {
  to = std::min(to, x.size());
  return from < to ? peak(x.data() + from, to - from) : 0.0f;
}

// Largest jump between neighbouring samples in [from, to).
inline float maxStep(const std::vector<float>& x, std::size_t from, std::size_t to) {
  float m = 0.0f;
  for (std::size_t i = std::max<std::size_t>(from, 1); i < std::min(to, x.size()); ++i)
    m = std::max(m, std::fabs(x[i] - x[i - 1]));
  return m;
}

inline bool allFinite(const std::vector<float>& x) {
  for (float v : x)
    if (!std::isfinite(v)) return false;
  return true;
}

}  // namespace ob::test
