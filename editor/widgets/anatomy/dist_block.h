#pragma once
// The distortion socket on the drum diagram's wire from the body to the sum:
// a thumbnail of the transfer curve. A vertical drag sets the drive (Alt:
// the bias, Shift: the fold), a sideways drag moves the socket between its
// two places on the wire, a right-click types an amount. Every change
// leaves through a callback; the owner writes the amounts back between
// frames. Main thread, inside the editor's frame.

#include <array>
#include <functional>
#include <string>

#include "editor/widgets/number_entry.h"
#include "ui/controls/curve_preview.h"
#include "ui/geometry.h"

namespace orbi {

class DistBlock {
 public:
  DistBlock();

  void draw(const ui::Rect& area);
  // Recomputes the curve when an amount changed since the last time.
  void transferCurve();
  static std::string tooltip(float drive, float bias, float fold, const char* positionLabel);
  // A typed percentage: id 0 drive, 1 bias, 2 fold.
  void commitTyped(int id, float typed);
  // What a drag sets, as it shows it: an amount's name and value ("drive
  // 40%"), or the socket's place.
  enum Amount : int { kNone = -1, kDrive = 0, kBias = 1, kFold = 2, kPlace = 3 };
  std::string readout(int amount) const;

  std::function<void(float)> onDrive;
  std::function<void(float)> onBias;
  std::function<void(float)> onFold;
  std::function<void(int)> onPosition;
  std::function<void()> onGestureEnd;

  // 0..1 each, written by the owner.
  float drive = 0.0f;
  float bias = 0.0f;
  float fold = 0.0f;
  int position = 0;  // 0 in the body, 1 after the mix
  // The socket's centre x at each place, written by the diagram every frame.
  float xInBody = 0.0f;
  float xAfterMix = 0.0f;

  ui::Rect rect;
  NumberEntry entry;  // typed amounts
  ui::CurveSamples curve;
  int curveComputations = 0;  // how often the curve was computed, for tests and profiling

 private:
  void dragTo(const ui::Interaction& it);
  void openEntry(const ui::Rect& square);

  float driveAtPress_ = 0.0f;
  float biasAtPress_ = 0.0f;
  float foldAtPress_ = 0.0f;
  bool dragging_ = false;
  bool changed_ = false;  // the drag has sent a new value
  int dragged_ = kNone;   // what the drag sets
  // The amounts the curve was computed for; curve.valid says whether it was.
  float cachedDrive_ = 0.0f;
  float cachedBias_ = 0.0f;
  float cachedFold_ = 0.0f;
  std::string tooltip_;
};

}  // namespace orbi
