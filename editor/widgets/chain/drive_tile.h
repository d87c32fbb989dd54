#pragma once
// The DRIVE tile: how hard the drum is pushed into the waveshaper (left:
// the transfer curve, with a pill cycling the shape) and how coarsely it is
// sampled afterwards (right: a sine before and after crushing). Vertical
// drags on either area; Shift on the right drags the rate reduction.
// Areas instead of handles: no hover target is kept. Main thread.

#include <functional>
#include <vector>

#include "editor/widgets/chain/tile_frame.h"

namespace orbi {

class DriveTile : public StageTileFrame {
 public:
  DriveTile();

  void draw(const ui::Rect& r);
  void commitTyped(int id, float value);
  // Store the value within 1..16 and send it.
  void setDrive(float v);
  void setBits(float v);
  // 0 the curve, 1 crush (2 rate with shift), -1 neither.
  int hitTest(ImVec2 p, bool shift) const;
  // The two pictures.
  void paintTransfer(ImDrawList* dl, const ui::Rect& box) const;
  void paintCrush(ImDrawList* dl, const ui::Rect& box) const;
  // What the voice chain's drive makes of an input u (-1..1) at the tile's
  // drive and shape: the transfer curve.
  float transferAt(float u) const;
  // The points of the pictures, for painting and tests.
  std::vector<ImVec2> transferPoints(const ui::Rect& box) const;
  std::vector<ImVec2> crushPoints(const ui::Rect& box, bool crushed) const;
  // The shape pill at the bottom left of the curve box.
  ui::Rect pillRect() const;

  std::function<void(float)> onDrive;
  std::function<void(float)> onBits;
  std::function<void(float)> onRate;
  std::function<void(int)> onShape;
  float drive = 1.0f;  // 1..16
  float bits = 16.0f;  // 1..16; 16 is clean
  float rate = 0.0f;   // 0..1 sample-rate reduction
  int shape = 0;       // 0 cubic, 1 tanh, 2 fold
  ui::Rect curveBox;   // recomputed at the start of every draw
  ui::Rect crushBox;

 private:
  void layoutAreas();
  void openEntry(int h);
  void dragArea(int k, float totalDy);
  // A press on the pill cycles the shape; false elsewhere.
  bool clickPill(ImVec2 p);

  float dragStartValue_ = 0.0f;  // of the dragged area, at the press
};

}  // namespace orbi
