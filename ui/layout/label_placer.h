#pragma once
// Where a label can go with no curve, wire or handle drawn through it: a
// painter notes in a label placer the strokes, waveforms, discs and panels
// it drew, then places each label in the first of its candidate boxes that
// none of them crosses. Strokes, waveforms and areas may lie under a label
// that has a plate of its own; discs (handles), blocks (what must stay in
// view) and panels (chips, other labels) never do, though a box that must
// go somewhere may cover panels. Pixels; main thread, one frame's painting.

#include <imgui.h>

#include <cstddef>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "ui/draw/waveform.h"
#include "ui/geometry.h"

namespace orbi::ui {

class LabelPlacer {
 public:
  // A stroke of the width (pixels) from a to b.
  void line(ImVec2 a, ImVec2 b, float width);
  void polyline(std::span<const ImVec2> points, float width);
  void disc(ImVec2 centre, float radius);
  // A rectangle as firm as a disc.
  void block(const Rect& r);
  void panel(const Rect& r);
  // A rectangle as soft as a stroke.
  void area(const Rect& r);
  // What drawWaveform reported it drew; columns less than half a pixel
  // high drew nothing.
  void waveform(const WaveformInk& drawn);

  // How many noted marks the box touches.
  int crossings(const Rect& box) const;
  // How many discs and blocks (handles) and how many panels (chips,
  // labels) the box touches: a label on a plate may cover strokes, never
  // these.
  int discsUnder(const Rect& box) const;
  int panelsUnder(const Rect& box) const;
  // The first candidate nothing touches, else the first of the least
  // touched. Candidates must not be empty.
  std::size_t place(std::span<const Rect> candidates) const;

  struct Placement {
    std::size_t index = 0;
    bool clear = true;  // nothing lies under it; else it needs a plate
  };
  // The first candidate nothing touches; else the first that only strokes
  // and waveforms touch; else the first of the least touched. Candidates
  // must not be empty.
  Placement settle(std::span<const Rect> candidates) const;
  // How much of the panels the box hides, each panel counting as one
  // whole: a corner of a large panel hides less than a small one whole.
  float panelShareUnder(const Rect& box) const;
  // For a box that covers no disc or block: the first candidate nothing
  // touches; else the first that only strokes and waveforms touch (it needs
  // a plate); else, when it may cover panels, the one that hides least of
  // them (the first of those). None when every candidate it may take
  // covers what it must not.
  std::optional<std::size_t> firstClear(std::span<const Rect> candidates, bool overPanels) const;

  // Forgets everything noted.
  void clear();

 private:
  struct Mark {
    ImVec2 a, b;
    float reach = 0.0f;  // half the stroke, or the radius
    bool hard = false;   // a disc
  };
  struct Columns {
    float x0 = 0.0f;
    std::vector<float> tops, bottoms;
  };
  // Soft and hard crossings of the box.
  std::pair<int, int> touches(const Rect& box) const;
  // The first of the candidates with the fewest crossings.
  std::size_t leastTouched(std::span<const Rect> candidates) const;

  std::vector<Mark> marks_;
  std::vector<Columns> columns_;
  std::vector<Rect> blocks_;
  std::vector<Rect> panels_;
  std::vector<Rect> areas_;
};

}  // namespace orbi::ui
