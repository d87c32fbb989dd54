#pragma once
// Where the drum diagram's pieces sit: the half columns (each a browser
// header over a node graph), the add tile, the sum node and the two wire
// handles. Pure geometry, in pixels for a UI scale.

#include "ui/geometry.h"

namespace orbi {

// A half's column split into its browser header and its graph.
struct TileSplit {
  ui::Rect header;
  ui::Rect graph;
  ui::Rect column;  // from the header's top to the graph's bottom
};

TileSplit splitTileHeader(const ui::Rect& tile, float scale);

struct AnatomyLayout {
  TileSplit hit;
  TileSplit secondHit;  // all zero without a second hit
  ui::Rect addTile;     // zero with a second hit
  TileSplit body;
  ui::Rect sum;
  ui::Rect bodyWire;  // the body-level handle
  ui::Rect bleed;     // the bleed handle
};

AnatomyLayout layoutAnatomy(const ui::Rect& view, float scale, bool hasSecondHit);

// The least view height at which every half's graph has room for all its
// handles.
float anatomyFloorHeight(bool hasSecondHit, float scale);

}  // namespace orbi
