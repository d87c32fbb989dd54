#pragma once
// A list of rows in a band too low for all of them, shown whole rows at a
// time: the rows from the first shown, as many as fit. The wheel over the
// band moves the rows by one a notch, and a readout at the band's right end
// says which rows show of how many and how to reach the others ("1–3 of 8
// · scroll" and an arrow down, up once the last rows show); a click on it
// shows the next rows, and the first again after the last. Main thread,
// inside a frame.

#include <string>

#include "ui/geometry.h"

namespace orbi {

class RowWindow {
 public:
  // What shows this frame.
  struct Shown {
    ui::Rect rows;       // where the rows go: the band, less the readout while they scroll
    ui::Rect readout;    // empty while every row shows
    int first = 0;       // the first row shown
    int count = 0;       // how many show
    float pitch = 0.0f;  // each row's height
    bool scrolls() const { return readout.width > 0.0f; }
  };

  // Every row when all fit at the least pitch (each then up to the most);
  // else as many whole rows at the least as fit, at least one, from the
  // first shown, which the wheel over the band moves first. Once a frame,
  // before the rows.
  Shown layout(const ui::Rect& band, int rows, float least, float most);
  // The readout's click and drawing, under the id text; once a frame,
  // after the rows.
  void drive(const char* id, const Shown& shown, int rows);
  // Back to the first row, for another list.
  void reset() { first_ = 0; }
  int first() const { return first_; }

 private:
  int first_ = 0;
  std::string readout_;  // the readout's text, kept for the frame
  std::string tooltip_;
};

}  // namespace orbi
