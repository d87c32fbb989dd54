#pragma once
// A root view that shows a little of everything the framework draws: a
// panel, buttons, a line in every text style and a waveform. Used for the
// window's pixel snapshots and for frame-time benchmarks, so it draws the
// same pixels every frame (no time, no hover while the pointer is away).

#include <vector>

#include "ui/draw/wave_overview.h"
#include "ui/view.h"

namespace orbi::ui {

class ShowcaseView : public View {
 public:
  // The window size at scale 1 that the view is laid out for.
  static constexpr float kWidth = 480.0f;
  static constexpr float kHeight = 360.0f;

  ShowcaseView();
  void frame(const FrameInfo& frame) override;

  int frames() const { return frames_; }

 private:
  std::vector<float> sample_;
  WaveOverview overview_;
  int frames_ = 0;
};

}  // namespace orbi::ui
