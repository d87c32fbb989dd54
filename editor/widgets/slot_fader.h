#pragma once
// One fader row of the parameter drawer: a label, a horizontal track and
// the value as text. Dragging sets the value (absolutely: a press alone
// sets it), a right-click types it. A row locked to the selected hit shows
// the drum's own value beside it. The bench controller rewrites the fields
// before each frame; the row keeps its label and unit as its own strings,
// since the rows they were copied from may be replaced by a rebuild inside
// its own change callback. Main thread, inside the editor's frame.

#include <cstdint>
#include <functional>
#include <string>

#include "editor/widgets/number_entry.h"
#include "editor/widgets/widget_support.h"
#include "ui/geometry.h"

namespace orbi {

class SlotFader {
 public:
  SlotFader();
  // The entry's callback points back here.
  SlotFader(const SlotFader&) = delete;
  SlotFader& operator=(const SlotFader&) = delete;

  // Nothing for a row without an id or a label.
  void draw(const ui::Rect& r);

  // The row's parameter and display ranges.
  DisplayRange range() const { return {paramLo, paramHi, displayLo, displayHi}; }
  // The value in display units with the span's decimals and the unit.
  std::string valueText() const;
  // The tooltip: the label, whose value the row edits and how to type it.
  std::string tooltipSuffix() const;
  // A typed display value, back in parameter units, sent for the id the
  // entry was opened with.
  void commitTyped(int openedId, float typed);

  std::function<void(int id, float value)> change;  // parameter units
  int id = -1;                                      // the parameter; -1 hides the row
  std::string label;
  std::string unit;
  float paramLo = 0.0f;
  float paramHi = 1.0f;
  float displayLo = 0.0f;
  float displayHi = 1.0f;
  float value = 0.0f;         // parameter units
  float base = 0.0f;          // the drum's own value, shown while locked
  std::uint8_t locked = 0;    // the row edits a lock of the selected hit
  std::uint8_t typeable = 1;  // a right-click types the value
  ui::Rect rect;              // of the last draw
  std::string tooltip;        // rebuilt every frame
  NumberEntry entry;

 private:
  float valueAtPress_ = 0.0f;
};

}  // namespace orbi
