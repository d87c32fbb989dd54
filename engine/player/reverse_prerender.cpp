#include "engine/player/reverse_prerender.h"

#include <algorithm>
#include <cstring>

namespace ob {

namespace {
bool sameTrigger(const TrackPlayer::HitInput& a, const TrackPlayer::HitInput& b) {
  return std::memcmp(&a.note, &b.note, sizeof a.note) == 0 &&
         std::memcmp(&a.velocity, &b.velocity, sizeof a.velocity) == 0;
}
}  // namespace

void ReversePrerender::prepare(double sampleRate, std::int32_t capacity) {
  sampleRate_ = sampleRate;
  machines_.prepare(sampleRate);
  chain_.prepare(sampleRate);
  const std::size_t size = capacity > 0 ? static_cast<std::size_t>(capacity) : 0;
  left_.assign(size, 0.0f);
  right_.assign(size, 0.0f);
  player_ = nullptr;
}

void ReversePrerender::begin(const TrackPlayer& player, const PlayerModulation& atHit,
                             TrackPlayer::HitInput trigger, bool stereo) {
  player_ = nullptr;
  const auto capacity = static_cast<std::int32_t>(left_.size());
  // Prepared apart from the player: only its twin can stand in for it.
  if (capacity < 1 || capacity != player.reverseCapacity() || sampleRate_ != player.sampleRate()) return;
  player_ = &player;
  snapshot_ = player.sampleSnapshot();
  epoch_ = player.machineEpoch();
  trigger_ = trigger;
  planned_ = 0;
  faded_ = false;
  machines_.copyState(player.machineType(), player.machines());
  Machine& m = machines_.of(player.machineType());
  m.trigger(trigger.note, trigger.velocity);
  atHit_ = atHit;
  modulators_ = atHit;
  render_.begin(m, chain_, modulators_, left_.data(), right_.data(), capacity, stereo, trigger.velocity, 0);
}

bool ReversePrerender::startedFrom(const TrackPlayer& player, const PlayerModulation& atHit,
                                   TrackPlayer::HitInput trigger) const {
  return stillFor(player) && sameTrigger(trigger, trigger_) && atHit_.sameRenderState(atHit);
}

bool ReversePrerender::fits(const TrackPlayer& player, bool stereo) const {
  // Only the hit's own trigger has moved the machine since the copy.
  return player_ == &player && stereo == render_.stereo() && player.triggerEpoch() == epoch_ &&
         player.machineEpoch() == epoch_ + 1 && sameTrigger(player.lastTrigger(), trigger_) &&
         sameTrigger({trigger_.note, player.reverseVelocity()}, trigger_) && player.sameRenderState(atHit_);
}

void ReversePrerender::renderShare(std::int64_t blocks) {
  if (!active()) return;
  const std::int64_t left = render_.capacity() - planned_;
  planned_ += static_cast<std::int32_t>(blocks <= 1 ? left : (left + blocks - 1) / blocks);
  render_.renderUntil(planned_);
}

void ReversePrerender::renderAhead(std::int32_t samples) {
  if (!active()) return;
  planned_ = std::min(render_.capacity(), planned_ + std::max(samples, 0));
  render_.renderUntil(planned_);
}

void ReversePrerender::finish() {
  if (!active() || faded_) return;
  render_.renderUntil(render_.capacity());
  render_.fade(sampleRate_);
  faded_ = true;
}

void ReversePrerender::handOver(std::vector<float>& left, std::vector<float>& right) {
  left_.swap(left);
  right_.swap(right);
  player_ = nullptr;
}

}  // namespace ob
