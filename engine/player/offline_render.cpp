#include "engine/player/offline_render.h"

#include <algorithm>
#include <cmath>

#include "engine/clock/tempo.h"
#include "engine/engine/engine.h"
#include "engine/player/track_player.h"

namespace ob {

namespace {
constexpr double kOfflineTempo = kDefaultTempo;
}  // namespace

OfflineRender::OfflineRender() = default;
OfflineRender::~OfflineRender() = default;

void OfflineRender::begin(const Sound& sound, const SamplePoolSnapshot* snapshot, double sampleRate,
                          int frames, float velocity, Sides sides) {
  player_.reset();
  const int n = frames > 0 ? frames : 0;
  samples_.assign(static_cast<std::size_t>(n), 0.0f);
  right_.assign(sides == Sides::Stereo ? static_cast<std::size_t>(n) : 0u, 0.0f);
  rendered_ = 0;
  cutShort_ = false;
  if (n == 0) return;

  // Far too large for the stack: four machines, two chains, the reverse buffers.
  player_ = std::make_unique<TrackPlayer>();
  player_->prepare(sampleRate);
  if (snapshot) player_->setSampleSnapshot(snapshot);
  player_->loadSound(sound);
  player_->setTempo(kOfflineTempo);

  const float v = std::isfinite(velocity) ? std::clamp(velocity, 0.0f, 1.0f) : 0.0f;
  // Velocity routes and the layer zone first, as a live hit writes them, so
  // that a route onto the reverse switch decides the same way and a layered
  // sound plays the sample of its velocity. The zones count from the first.
  player_->applyVelocityDests(v, sound.velDests, std::min<int>(sound.velDestCount, kListCapacity));
  std::uint8_t roundRobin = 0;
  Engine::writeLayerZone(*player_, sound, v, roundRobin);
  player_->startHit(60.0f, v);
}

bool OfflineRender::render(int frames) {
  if (!player_) return true;
  const std::int32_t n = length();
  const std::int32_t target =
      std::min<std::int64_t>(n, static_cast<std::int64_t>(rendered_) + std::max(frames, 1));
  while (rendered_ < target) {
    const int block = std::min(kBlock, n - rendered_);
    if (right_.empty())
      player_->renderBlockMono(samples_.data() + rendered_, block);
    else
      player_->renderBlock(samples_.data() + rendered_, right_.data() + rendered_, block);
    rendered_ += block;
  }
  if (rendered_ < n) return false;
  cutShort_ = player_->isSounding();
  player_.reset();
  return true;
}

void OfflineRender::finish() { render(length()); }

void OfflineRender::takeSamples(std::vector<float>& out) { samples_.swap(out); }

void OfflineRender::takeRight(std::vector<float>& out) { right_.swap(out); }

}  // namespace ob
