#pragma once
// How the editor's height under the header is shared: the credits strip,
// the macros band and the page; on the bench page its groove, hits and
// anatomy panels; inside the anatomy panel the velocity tile, the chain
// strip, the parameter drawer and the main area that the drum diagram or
// the sampler lanes fill. The window's height is fixed, so every band
// first gets the floor below which its views stop working (the main area's
// is what its view asks for), and what is left goes, in this order, to the
// selected macro's first row, the hits grid up to the room its waveforms
// need, the macro's first three rows, the ease of the main area, the chain
// strip and the gaps between them, the drawer's rows, the hits grid up to
// its usual height, the velocity tile's routes, the macro's other rows, the
// hits grid up to its share of the page, and the main area. Pure: heights
// in pixels for a UI scale.

#include "ui/geometry.h"

namespace orbi {

// What the bench page's layout reads besides the page rectangle.
struct BenchRoomInput {
  int rowCount = 0;  // tracks of the part
  bool anyStageActive = false;
  bool velocityFolded = false;  // the velocity tile shows one line
  int drawerRows = 0;           // 0 for a hidden drawer
  float mainFloor = 0.0f;       // what the main area's view needs, in pixels
  float mainRoomy = 0.0f;       // what it takes when the page can spare it; the floor when less
  float titleWidth = -1.0f;     // of the hits title; negative: no rate pill
};

struct BenchRects {
  ui::Rect page, hitsPanel, anatomyPanel, groovePanel, hitsTitle, grooveTitle, trackRows, addRow, ratePill,
      hitsGrid, mainArea, chainStrip, drawer, velocity;
};

// The bench page's rectangles. The drawer holds whole rows and scrolls
// through the rest.
BenchRects layoutBenchRoom(const ui::Rect& page, const BenchRoomInput& in, float s);

// The least page height that keeps every band at its floor and the hits
// grid the room its waveforms need; with roomyHits, the hits grid at its
// usual height too.
float benchRoomFloor(const BenchRoomInput& in, float s, bool roomyHits);

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

// The bands under the header: a gap, the credits strip, a gap, the macros
// panel, a gap and the page. On the bench (bench not null) the macros panel
// takes its share of the room by the order above; on another page all it
// wants.
ColumnRects layoutColumn(const ui::Rect& content, const BandHeight& macros, const BenchRoomInput* bench,
                         float s);

}  // namespace orbi
