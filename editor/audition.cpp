#include "editor/audition.h"

#include <algorithm>
#include <limits>

#include "engine/session/engine_host.h"

namespace orbi {

namespace {

float clampedGain(float gain) {
  if (!(gain > 0.0f)) return 0.0f;  // NaN too
  return std::min(gain, Audition::kMaxGain);
}

}  // namespace

Audition::Audition(EngineHost& host) : host_(host) {}

void Audition::start(const ob::Sound& sound, float level, float gain) {
  index_ ^= 1u;
  sound_ = sound;
  level_ = level;
  gain_ = clampedGain(gain);
  pending_ = true;
  begin();
}

void Audition::begin() {
  host_.pool.snapshot(snapshot_, host_.project.samples);
  poolChanges_ = host_.poolChanges;
  render_.begin(sound_, &snapshot_, kRate, kFrames, level_);
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
  std::vector<float>& buffer = buffers_[index_];
  render_.takeSamples(buffer);
  if (gain_ != 1.0f)
    for (float& s : buffer) s *= gain_;
  if (buffer.empty()) return;
  const double outputRate = host_.hostSampleRate > 0.0 ? host_.hostSampleRate : kRate;
  host_.preview.publish(buffer.data(), static_cast<std::uint32_t>(buffer.size()), kRate / outputRate);
}

}  // namespace orbi
