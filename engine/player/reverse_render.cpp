#include "engine/player/reverse_render.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/params/param_tables.h"

namespace ob {

void ReverseRender::begin(Machine& machine, VoiceChain& chain, PlayerModulation& modulators, float* left,
                          float* right, std::int32_t capacity, bool stereo, float velocity,
                          std::uint32_t serialBase) {
  machine_ = &machine;
  chain_ = &chain;
  modulators_ = &modulators;
  left_ = left;
  right_ = right;
  capacity_ = capacity > 0 ? capacity : 0;
  length_ = 0;
  ownCount_ = ownParamCount(modulators.machineType());
  serialBase_ = serialBase;
  chunks_ = 0;
  stereo_ = stereo;
  ended_ = false;
  chain.reset();
  chain.setVelocity(std::max(0.001f, velocity));
  chain.setTempo(modulators.tempo());
}

void ReverseRender::renderUntil(std::int32_t target) {
  if (!machine_) return;
  Machine& machine = *machine_;
  VoiceChain& chain = *chain_;
  PlayerModulation& m = *modulators_;
  const std::int32_t end = std::min(target, capacity_);
  while (length_ < end && !ended_) {
    const int chunk =
        std::min(m.modulatorsMoving() ? PlayerModulation::kControlBlock : kStillChunk, capacity_ - length_);
    m.decaySmoothing(chunk);
    ++chunks_;
    m.mod().serial = serialBase_ + chunks_;
    m.mod().rampLength = chunk;
    float* l = left_ + length_;
    float* r = right_ + length_;
    std::memset(l, 0, sizeof(float) * static_cast<std::size_t>(chunk));
    if (stereo_) std::memset(r, 0, sizeof(float) * static_cast<std::size_t>(chunk));
    if (machine.isActive()) {
      if (stereo_)
        machine.renderStereo(l, r, chunk, m.mod());
      else
        machine.renderMono(l, chunk, m.mod());
    }
    if (stereo_)
      chain.processStereo(l, r, chunk, m.mod(), ownCount_);
    else
      chain.processMono(l, chunk, m.mod(), ownCount_);
    chain.updateTail();
    m.advance(chunk);
    length_ += chunk;
    ended_ = !machine.isActive() && !chain.hasTail();
  }
}

void ReverseRender::fade(double sampleRate) {
  const std::int32_t n = length_;
  // Cut at one second: fade the end so the backwards playback starts quiet.
  if (machine_->isActive() || chain_->hasTail()) {
    const std::int32_t f = std::min(static_cast<std::int32_t>(std::trunc(sampleRate * 0.005)), n);
    for (std::int32_t i = 0; i < f; ++i) {
      const float g = 1.0f - static_cast<float>(i + 1) / static_cast<float>(f);
      left_[n - f + i] *= g;
      if (stereo_) right_[n - f + i] *= g;
    }
  }
  // The transient plays last; fade its first millisecond in so it ends clean.
  const std::int32_t g = std::min(static_cast<std::int32_t>(std::trunc(sampleRate * 0.001)), n);
  for (std::int32_t i = 0; i < g; ++i) {
    const float k = static_cast<float>(i) / static_cast<float>(g);
    left_[i] *= k;
    if (stereo_) right_[i] *= k;
  }
}

}  // namespace ob
