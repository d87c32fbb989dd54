#include "engine/player/render_sound_offline.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "engine/player/track_player.h"

namespace ob {

namespace {
constexpr int kOfflineBlock = 256;
constexpr double kOfflineTempo = 120.0;
}  // namespace

void renderSoundOffline(const Sound& sound, const SamplePoolSnapshot* snapshot, double sampleRate, int frames,
                        std::vector<float>& out, float velocity) {
  const int n = frames > 0 ? frames : 0;
  out.assign(static_cast<std::size_t>(n), 0.0f);
  if (n == 0) return;

  // Far too large for the stack: four machines, two chains, the reverse buffers.
  auto player = std::make_unique<TrackPlayer>();
  player->prepare(sampleRate);
  if (snapshot) player->setSampleSnapshot(snapshot);
  player->loadSound(sound);
  player->setTempo(kOfflineTempo);

  const float v = std::isfinite(velocity) ? std::clamp(velocity, 0.0f, 1.0f) : 0.0f;
  // Velocity routes first, as a live hit writes them, so that a route onto
  // the reverse switch decides the same way.
  player->applyVelocityDests(v, sound.velDests, std::min<int>(sound.velDestCount, kListCapacity));
  player->startHit(60.0f, v);

  for (int done = 0; done < n; done += kOfflineBlock)
    player->renderBlockMono(out.data() + done, std::min(kOfflineBlock, n - done));
}

}  // namespace ob
