#pragma once
// The editor's sound-design page: three stacked panels, the hits of the
// selected track at the top, the selected sound's anatomy (the drum diagram
// or the sampler lanes, the parameter drawer, the chain strip and the
// velocity tile) in the middle, and the tracks strip of the groove at the
// bottom. The page touches neither the project nor the engine: the bench
// controller writes what it shows into its members, and every gesture
// leaves through its callbacks or those of its views. Main thread, inside
// the editor's frame.

#include <imgui.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "editor/widgets/anatomy/anatomy_view.h"
#include "editor/widgets/bench/bench_heights.h"
#include "editor/widgets/bench/hits_grid.h"
#include "editor/widgets/bench/velocity_tile.h"
#include "editor/widgets/chain/chain_strip.h"
#include "editor/widgets/param_drawer.h"
#include "editor/widgets/sample/sampler_lanes.h"
#include "ui/geometry.h"

namespace orbi {

class BenchPage {
 public:
  struct TrackRow {
    std::string label;                     // the sound's name, or "TRK " and the number
    std::array<std::uint8_t, 16> steps{};  // 1 where the step is active
    bool muted = false;
    int chokeGroup = -1;  // 0..7, -1 for none
  };

  // What the layout reads besides the page rectangle, and what it gives.
  using LayoutInput = BenchHeightInput;
  using Rects = BenchRects;
  static Rects layoutOf(const ui::Rect& page, const LayoutInput& in, float s) {
    return shareBenchHeight(page, in, s);
  }

  BenchPage();
  // The views' callbacks point back into them.
  BenchPage(const BenchPage&) = delete;
  BenchPage& operator=(const BenchPage&) = delete;

  void draw(const ui::Rect& page);
  // Recomputes the rectangles from the page rectangle and what the page
  // holds now.
  void layout();
  // What the layout reads of what the page holds now: text is measured,
  // so only inside a frame.
  LayoutInput layoutInput() const;
  // The tracks strip: input first, then drawing.
  void handleTrackInput();
  void drawTracks(ImDrawList* dl) const;
  // Row i's rectangle in the track rows.
  ui::Rect rowRect(int i) const;
  std::string shownTitle() const { return hitsTitle.empty() ? "16 HITS" : hitsTitle; }

  std::function<void(int track)> selectTrack;
  std::function<void(int step)> selectStep;
  std::function<void(int step)> toggleStep;
  std::function<void(int track)> toggleMute;
  std::function<void(int track)> soloTrack;
  std::function<void()> cycleRate;
  std::function<void()> addTrack;
  std::function<void(int track)> openTrackMenu;

  HitsGrid grid;
  AnatomyView anatomy;
  SamplerLanes sampler;
  ChainStrip chain;
  ParamDrawer drawer;
  VelocityTile velocity;

  bool showAnatomy = true;
  bool showSampler = false;
  bool showDrawer = true;

  std::vector<TrackRow> rows;  // at most 8
  std::string hitsTitle;
  std::string rateLabel;
  Rects rects;
  int selectedTrack = 0;

 private:
  void drawTrackRow(ImDrawList* dl, int i) const;
  void drawAddTrack(ImDrawList* dl) const;

  // The rate pill and the add row are under the pointer this frame.
  bool rateHovered_ = false;
  bool addHovered_ = false;
};

// A closed rounded-rectangle outline as 21 points: four quarter arcs of five
// points each, clockwise from the top right, and the first point again.
std::array<ImVec2, 21> roundedRectPath(const ui::Rect& box, float radius);

}  // namespace orbi
