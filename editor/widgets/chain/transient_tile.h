#pragma once
// The TRANSIENT tile: the transient shaper's strike and body amounts
// (-1..1), drawn as the shape the shaper would impose on a fixed reference
// hit. Two handles on that shape are dragged up and down. Main thread.

#include <array>
#include <functional>
#include <vector>

#include "editor/widgets/chain/tile_frame.h"

namespace orbi {

// A fast and a slow envelope follower; their difference tells onset from
// tail.
struct TransientDetector {
  float fast = 0.0f;
  float slow = 0.0f;
  float fastAttack = 0.0f;
  float fastRelease = 0.0f;
  float slowAttack = 0.0f;
  float slowRelease = 0.0f;

  // Levels to 0; coefficients for the rate (44.1 kHz when not positive).
  void reset(double sampleRate);
  // Follows x one step; the normalised difference of the two levels.
  float step(float x);
};

class TransientTile : public StageTileFrame {
 public:
  static constexpr int kPoints = 160;

  TransientTile();

  // The reference hit and the two gain curves; once, by the chain strip.
  void buildCurves();
  void draw(const ui::Rect& r);
  void commitTyped(int id, float value);
  // 0 strike, 1 body, -1 none.
  int hitTest(ImVec2 p) const;
  // The handle's point on the current shape.
  ImVec2 handlePoint(int k) const;

  std::function<void(float)> onStrike;
  std::function<void(float)> onBody;
  std::vector<float> reference;   // the hit's level over 0.45 s
  std::vector<float> strikeGain;  // the shaper's gain - 1 at strike 1, body 0
  std::vector<float> bodyGain;    // at strike 0, body 1
  int strikePeak = 0;
  int bodyPeak = 0;
  float strike = 0.0f;  // -1..1
  float body = 0.0f;

 private:
  void dragHandle(int k, float totalDy);

  float amountAtPress_ = 0.0f;  // of the grabbed handle
};

}  // namespace orbi
