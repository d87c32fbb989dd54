#pragma once
// How the editor's height under the header is shared: a gap, the credits
// strip, a gap, the macros band, a gap and the page. On the bench the
// window's height is fixed, so the macros band and the bench page share
// what is left in this order: the band's cells, the page's floors (its
// hits grid's cells bare lines), the selected macro's first row, the hits
// grid's waveforms, the macro's first three rows, the page's bands at
// their ease, then the macro's other rows; the page takes the rest. On
// another page the band takes all it wants. Pure: heights in pixels for a
// UI scale.

#include "editor/widgets/bench/bench_heights.h"
#include "ui/geometry.h"

namespace orbi {

// A band of rows that can make do with less than it would take, in
// pixels: its least (in a page too full even for its floor), its floor,
// what it shows whenever the page keeps its own floors beside it, every row
// at its least, every row at its most, and the least row, the step in
// which it grows up to every row.
struct BandHeight {
  float least = 0.0f;
  float floor = 0.0f;
  float comfort = 0.0f;
  float full = 0.0f;
  float wanted = 0.0f;
  float row = 0.0f;
};

struct ColumnRects {
  ui::Rect credits, macros, page;
};

// The column's bands; bench is the bench page's needs while it is shown,
// else null.
ColumnRects layoutColumn(const ui::Rect& content, const BandHeight& macros, const BenchNeeds* bench, float s);

}  // namespace orbi
