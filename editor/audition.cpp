#include "editor/audition.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "editor/preview_fade.h"
#include "engine/session/engine_host.h"

namespace orbi {

namespace {

float clampedGain(float gain) {
  if (!(gain > 0.0f)) return 0.0f;  // NaN too
  return std::min(gain, Audition::kMaxGain);
}

float peakOf(const std::vector<float>& samples) {
  float peak = 0.0f;
  for (const float s : samples) peak = std::max(peak, std::fabs(s));
  return peak;
}

// The gains lowered together, when need be, so that neither side of the
// preview goes past full scale: the shape and the balance stay.
ob::OutputGains withinFullScale(const std::vector<float>& left, const std::vector<float>& right,
                                ob::OutputGains gains) {
  const float loudest = std::max(peakOf(left) * gains.left, peakOf(right) * gains.right);
  if (!(loudest > Audition::kFullScale)) return gains;
  const float scale = Audition::kFullScale / loudest;
  return {gains.left * scale, gains.right * scale};
}

}  // namespace

Audition::Audition(EngineHost& host) : host_(host) {}

void Audition::start(const ob::Sound& sound, float level, ob::OutputGains gains) {
  index_ ^= 1u;
  sound_ = sound;
  level_ = level;
  gains_ = {clampedGain(gains.left), clampedGain(gains.right)};
  pending_ = true;
  begin();
}

void Audition::begin() {
  host_.pool.snapshot(snapshot_, host_.project.samples);
  poolChanges_ = host_.poolChanges;
  render_.begin(sound_, &snapshot_, kRate, kFrames, level_, ob::OfflineRender::Sides::Stereo);
}

void Audition::run(RenderBudget& budget) {
  if (!pending_) return;
  // Audio the snapshot points into may be on its way out: start over on
  // the pool as it is now.
  if (poolChanges_ != host_.poolChanges) begin();
  while (budget.allows()) {
    const bool done = render_.render(RenderBudget::kPieceFrames);
    budget.spent();
    if (done) {
      publish();
      return;
    }
  }
}

void Audition::finish() {
  RenderBudget unlimited(std::numeric_limits<double>::infinity());
  run(unlimited);
}

void Audition::publish() {
  pending_ = false;
  Sides& sides = buffers_[index_];
  render_.takeSamples(sides.left);
  render_.takeRight(sides.right);
  if (sides.left.empty() || sides.right.size() != sides.left.size()) return;
  if (render_.cutShort()) {
    fadeOutEnd(sides.left, kRate);
    fadeOutEnd(sides.right, kRate);
  }
  const double outputRate = host_.hostSampleRate > 0.0 ? host_.hostSampleRate : kRate;
  host_.preview.publish(sides.left.data(), sides.right.data(), static_cast<std::uint32_t>(sides.left.size()),
                        kRate / outputRate, withinFullScale(sides.left, sides.right, gains_));
}

}  // namespace orbi
