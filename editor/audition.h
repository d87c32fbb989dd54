#pragma once
// The editor's audition of a sound: two seconds rendered offline at
// 44.1 kHz against a snapshot of the editor's own pool (a publish may still
// wait for the audio thread while the audio it brings is heard here), and
// handed to the preview the audio thread plays. Both sides are rendered as
// a track plays them (a stereo sample, a wide hit, a room), each through
// the gain the caller gives: a track's sound through its track's own output
// gains, so that it is heard as the track plays it. A sound the two
// seconds cut short fades out at the cut. The render goes a piece at a time
// within the frames' render budget; a new audition replaces one still
// rendering. Main thread.

#include <cstdint>
#include <vector>

#include "editor/render_budget.h"
#include "engine/engine/output_gains.h"
#include "engine/model/project.h"
#include "engine/player/offline_render.h"
#include "engine/pool/sample_pool_snapshot.h"

namespace orbi {

struct EngineHost;

class Audition {
 public:
  static constexpr double kRate = 44100.0;
  static constexpr int kFrames = 88200;  // two seconds
  // Each side's gain is clamped to 0..kMaxGain (not a number is 0), and
  // lowered further when the sound would go past full scale.
  static constexpr float kMaxGain = 2.0f;
  static constexpr float kFullScale = 1.0f;

  explicit Audition(EngineHost& host);

  // Which of the two buffers the render fills flips now.
  void start(const ob::Sound& sound, float level, ob::OutputGains gains);
  // Renders within the budget and hands the samples to the preview once
  // they are all in.
  void run(RenderBudget& budget);
  // Everything left, now.
  void finish();
  bool pending() const { return pending_; }

  // The render's left side as the sound made it, before the gains.
  const std::vector<float>& buffer(int index) const { return buffers_[index & 1].left; }
  std::uint32_t index() const { return index_; }

 private:
  // From the first sample, against the pool as it is now.
  void begin();
  void publish();

  EngineHost& host_;
  ob::OfflineRender render_;
  ob::SamplePoolSnapshot snapshot_;
  std::uint32_t poolChanges_ = 0;  // the host's count the snapshot was taken at
  ob::Sound sound_;
  float level_ = 1.0f;
  ob::OutputGains gains_;
  bool pending_ = false;
  struct Sides {
    std::vector<float> left, right;
  };
  Sides buffers_[2];
  std::uint32_t index_ = 0;
};

}  // namespace orbi
