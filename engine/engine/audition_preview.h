#pragma once
// The editor's rendered audition, handed to the audio thread for playback.
// Three buffers: the editor fills the back one, then swaps it into the middle
// slot with a fresh mark; the audio thread swaps a fresh middle into the
// front it plays. Each side only ever touches the buffer it holds, so a new
// audition never overwrites the one still playing.

#include <atomic>
#include <cstdint>
#include <vector>

#include "engine/engine/output_gains.h"

namespace ob {

class AuditionPreview {
 public:
  AuditionPreview();

  // Main thread: copies the samples in and asks for playback from the start
  // at the given read step per output frame (source rate / output rate),
  // each side of the output at its own gain (not finite is silent). With
  // right samples as long (a stereo sound) each side plays its own;
  // without, both play the one.
  void publish(const float* left, const float* right, std::uint32_t length, double rateStep,
               OutputGains gains);
  void publish(const float* samples, std::uint32_t length, double rateStep, OutputGains gains) {
    publish(samples, nullptr, length, rateStep, gains);
  }
  // Audio thread: adds the preview (linear interpolation) to the outputs at
  // the gains it was published with, as the main mix adds the stems. right
  // may be null or equal to left (a mono output: the left side, added once).
  void mix(float* left, float* right, std::uint32_t frames);

  std::uint32_t requestCount() const { return request_.load(std::memory_order_acquire); }
  bool playing() const { return playing_; }
  double position() const { return position_; }

 private:
  struct Buffer {
    std::vector<float> samples;
    std::vector<float> right;  // empty: both sides play samples
    std::uint32_t length = 0;
    double rateStep = 1.0;
    OutputGains gains;
  };
  static constexpr std::uint32_t kFresh = 4;

  Buffer buffers_[3];
  std::atomic<std::uint32_t> middle_{1};  // buffer index | kFresh
  std::uint32_t back_ = 0;                // main thread
  std::uint32_t front_ = 2;               // audio thread
  std::atomic<std::uint32_t> request_{0};
  std::uint32_t seen_ = 0;  // audio thread
  double position_ = 0.0;   // audio thread
  bool playing_ = false;    // audio thread
};

}  // namespace ob
