#pragma once
// The bench page's drawer of plain fader rows: the selected sound's
// parameters that no drawn widget shows, one SlotFader each, at most 16.
// The bench controller fills the rows and copies row i into fader i; every
// edit of a fader reaches onChange. Main thread, inside the editor's frame.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "editor/widgets/row_window.h"
#include "editor/widgets/slot_fader.h"
#include "ui/geometry.h"

namespace orbi {

class ParamDrawer {
 public:
  static constexpr int kFaderCount = 16;

  // One parameter as the controller lists it.
  struct Row {
    int index = -1;  // the parameter
    std::string label;
    std::string unit;
    float paramLo = 0.0f;
    float paramHi = 1.0f;
    float displayLo = 0.0f;
    float displayHi = 1.0f;
    float value = 0.0f;       // the sound at the selection
    float base = 0.0f;        // the sound without the step's locks
    std::uint8_t locked = 0;  // the selected step is active: edits write a lock
    std::uint8_t continuous = 0;
  };

  ParamDrawer();
  // The faders' callbacks point back here.
  ParamDrawer(const ParamDrawer&) = delete;
  ParamDrawer& operator=(const ParamDrawer&) = delete;

  // One fader a row from the top, 16 design pixels high, the rows beyond
  // the 16th not drawn. A band too low for the rows lays them out in
  // columns side by side, top to bottom and then left to right, while each
  // column keeps the width a row needs; else it shows whole rows and says
  // which show of how many.
  void draw(const ui::Rect& r);

  // How many columns the rows take in the band: 1 while one column holds
  // them all, and when no columns wide enough do.
  static int columnsFor(const ui::Rect& band, int rows, float s);
  // Row i's rectangle in the columns.
  static ui::Rect cellOf(const ui::Rect& band, int rows, int columns, int i, float s);

  std::function<void(int id, float value)> onChange;  // parameter units
  std::vector<Row> rows;
  std::array<SlotFader, kFaderCount> faders;

 private:
  RowWindow window_;
  std::vector<int> shownParams_;  // the rows' parameters the window was last drawn for
};

}  // namespace orbi
