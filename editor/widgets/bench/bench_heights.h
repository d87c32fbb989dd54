#pragma once
// How the bench page's height is shared: its groove, hits and anatomy
// panels; inside the anatomy panel the velocity tile, the chain strip, the
// parameter drawer and the main area that the drum diagram or the sampler
// lanes fill. The window's height is fixed, so every band first gets the
// floor below which its views stop working (the main area's is what its
// view asks for), and what is left goes, in this order, to the hits grid up
// to the room its waveforms need, the ease of the main area, the chain
// strip and the gaps between them, the drawer's rows, the hits grid up to
// its usual height, the velocity tile's routes, the hits grid up to its
// share of the page, and the main area. A band outside the page that
// shares the window's height with it takes its own needs between these
// stages (benchNeeds). Pure: heights in pixels for a UI scale.

#include "ui/geometry.h"

namespace orbi {

// What the bench page's layout reads besides the page rectangle.
struct BenchHeightInput {
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
BenchRects shareBenchHeight(const ui::Rect& page, const BenchHeightInput& in, float s);

// The least page height that keeps every band at its floor and the hits
// grid the room its waveforms need; with roomyHits, the hits grid at its
// usual height too.
float benchHeightFloor(const BenchHeightInput& in, float s, bool roomyHits);

// The page heights at which its bands have met their needs in turn: every
// band at its floor with the hits grid's cells bare lines; then the hits
// grid's waveforms too (the page's floor without roomy hits); then the main
// area, the chain strip, the gaps, the drawer's rows, the hits grid's usual
// height and the velocity tile's routes at their ease.
struct BenchNeeds {
  float floors = 0.0f;
  float waveforms = 0.0f;
  float ease = 0.0f;
};
BenchNeeds benchNeeds(const BenchHeightInput& in, float s);

}  // namespace orbi
