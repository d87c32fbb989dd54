#pragma once
// How the header's first row is shared out when it is narrow: the status
// message gives way first, keeping 48 design pixels of the row free while
// it can, then the document field, down to 120.

namespace orbi::ui {

// The first row's parts, in pixels, each with the gap that follows it.
struct HeaderRowWidths {
  float menu = 0.0f;      // the menu button and its gap
  float label = 0.0f;     // the document label and its gap; 0 without one
  float field = 0.0f;     // the document field and its gap; 0 without a document
  float undoRedo = 0.0f;  // both buttons, their gap and the room after them
  float status = 0.0f;    // the status message; 0 without text
};

struct HeaderRowShares {
  float field = 0.0f;
  float status = 0.0f;
};

HeaderRowShares shareHeaderRow(const HeaderRowWidths& widths, float rowWidth, bool document);

}  // namespace orbi::ui
