#pragma once
// The bench page's panel for a sampler or granular sound: the sample view
// on top and below it the SPEED lane, the TONE block (sampler) or the
// GRAINS lane (granular), and the AMP lane, joined by dashed connectors.
// The owner fills every lane's slots, the mode and the sample on each
// rebuild and installs the callbacks. Main thread, inside the editor's
// frame.

#include <cstdint>
#include <vector>

#include "editor/widgets/sample/amp_env_view.h"
#include "editor/widgets/sample/grain_lane.h"
#include "editor/widgets/sample/sample_view.h"
#include "editor/widgets/sample/speed_lane.h"
#include "editor/widgets/sample/tone_block.h"
#include "ui/geometry.h"

namespace orbi {

class SamplerLanes {
 public:
  enum Middle : std::uint32_t { kNoMiddle = 0, kTone = 1, kGrains = 2 };

  // Where the rows of a panel go; rows are cut from the bottom.
  struct Layout {
    ui::Rect sample, speed, middle, amp;  // middle has no height without a middle lane
    bool hasMiddle = false;
    // The dashed lines through the gaps: (top, bottom) pairs at the centre x.
    std::vector<ImVec2> connectors;
    float connectorX = 0.0f;
  };
  static Layout layout(const ui::Rect& r, std::uint32_t mode, float s);
  // The least panel height at which the sample view and every lane keep
  // room for what they show.
  static float floorHeight(std::uint32_t mode, float s);
  // The height at which the AMP lane and the gaps have their larger sizes.
  static float roomyHeight(std::uint32_t mode, float s);

  void draw(const ui::Rect& r);

  SampleView sampleView;
  SpeedLane speed;
  ToneBlock tone;
  GrainLane grains;
  AmpEnvView amp;
  std::uint32_t mode = kNoMiddle;
  ui::Rect lastRect;
};

}  // namespace orbi
