#pragma once
// One sound rendered as a single hit on a player of its own, away from the
// engine, a piece at a time: the editor spreads its auditions and previews
// over frames this way. However the work is cut, the samples are those of
// rendering in one go (renderSoundOffline). Mono for pictures; stereo, as
// a track plays it, for what is heard. Main thread; begin allocates the
// player and the result, and the player is released once done.

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/model/project.h"
#include "engine/pool/sample_pool_snapshot.h"

namespace ob {

class TrackPlayer;

class OfflineRender {
 public:
  // The player renders in blocks of this many frames; pieces are whole blocks.
  static constexpr int kBlock = 256;
  enum class Sides { Mono, Stereo };

  OfflineRender();
  ~OfflineRender();
  OfflineRender(const OfflineRender&) = delete;
  OfflineRender& operator=(const OfflineRender&) = delete;

  // Starts the hit: max(frames, 0) samples to come. The snapshot may be
  // null (sample-based machines are silent then); it must stay valid and
  // unchanged until the render is done or begun again.
  void begin(const Sound& sound, const SamplePoolSnapshot* snapshot, double sampleRate, int frames,
             float velocity, Sides sides = Sides::Mono);
  // Renders at least `frames` more (whole blocks) unless it ends first;
  // true once every sample is rendered.
  bool render(int frames);
  // Everything left, at once.
  void finish();
  bool done() const { return player_ == nullptr; }
  std::int32_t rendered() const { return rendered_; }
  std::int32_t length() const { return static_cast<std::int32_t>(samples_.size()); }
  // Once done: the sound still sounded at its last sample, which the
  // length cut off.
  bool cutShort() const { return cutShort_; }
  // Once done: the samples (the left side of a stereo render) go to out,
  // whose old storage the render keeps.
  void takeSamples(std::vector<float>& out);
  // Once done: the right side of a stereo render, empty for mono.
  void takeRight(std::vector<float>& out);

 private:
  std::unique_ptr<TrackPlayer> player_;  // null when done or never begun
  std::vector<float> samples_;
  std::vector<float> right_;
  std::int32_t rendered_ = 0;
  bool cutShort_ = false;
};

}  // namespace ob
