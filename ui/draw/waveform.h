#pragma once
// A stretch of a sample buffer painted into a rectangle along a time axis,
// cheap enough to redraw every frame for long samples: zoomed out, one
// column per pixel from the buffer's min/max overview; zoomed in, the
// samples themselves as a line. Drawing only.

#include <imgui.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <vector>

#include "ui/draw/axis.h"
#include "ui/draw/wave_overview.h"
#include "ui/geometry.h"
#include "ui/theme/palette.h"

namespace orbi::ui {

enum class WaveformMode : std::uint32_t {
  Bars,     // one filled column per pixel
  Outline,  // a translucent band with its two edges drawn as lines
};

struct WaveformStyle {
  WaveformMode mode = WaveformMode::Bars;
  std::uint32_t colour = palette::kAccent;  // 0xAARRGGBB
  float height = 1.0f;                      // the share of half the rect's height a full-scale sample reaches
  float gain = 1.0f;
  // When set, multiplies gain at each drawn position; its argument is the
  // time from the start of the sample in seconds.
  std::function<float(double seconds)> gainAt;
  double startTime = 0.0;  // the axis time at which sample 0 stands
  double speed = 1.0;      // the axis advances 1 / speed seconds per second of sample
  std::uint64_t from = 0;  // first sample drawn
  std::uint64_t to = std::numeric_limits<std::uint64_t>::max();  // end of the drawn samples, exclusive
};

// Where a drawing put its ink, for a painter that keeps labels off it:
// zoomed out, column i spans x from x0 + i to x0 + i + 1 and y from tops[i]
// to bottoms[i]; zoomed in, the line through the points (1.5 wide).
struct WaveformInk {
  float x0 = 0.0f;
  std::vector<float> tops, bottoms;
  std::vector<ImVec2> line;
};

// The axis maps time in seconds to x. The columns or the line are clipped to
// the rect's height; the span is cut to its width. With ink given, it is
// filled with what was drawn (emptied when nothing was).
void drawWaveform(ImDrawList* dl, const Rect& rect, const Axis& axis, const WaveOverview& overview,
                  const WaveformStyle& style, WaveformInk* ink = nullptr);

}  // namespace orbi::ui
