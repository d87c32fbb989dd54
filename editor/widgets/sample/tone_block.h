#pragma once
// The TONE lane of sampler sounds: the source degradation. The left part
// shows a test sine before and after bit crush and rate reduction, dragged
// up and down for the crush (with Shift at the press, the rate reduction);
// the right corner shows the low-pass response, dragged sideways for its
// frequency. Slots: 0 "crush" (bits 1..16, 16 clean), 1 "srr" (0..1), 2
// "lp" (Hz, logarithmic).

#include <cstdint>
#include <string_view>
#include <vector>

#include "editor/widgets/sample/sampler_lane.h"

namespace orbi {

class ToneBlock : public SamplerLane {
 public:
  enum Target : int { kNoTarget = -1, kCrush = 0, kSrr = 1, kLowPass = 2 };

  ToneBlock() : SamplerLane("tone", 3) {}

  std::string hint() const override;
  ImVec2 anchorFor(int slot, float t) const override;

  ui::Rect crushRect() const;
  ui::Rect toneCornerRect() const;
  // Whether a press at the point takes the corner.
  bool onCorner(ImVec2 p) const;
  // The test sine's n + 1 values after crush and rate reduction.
  static std::vector<float> processedSine(int n, float crush, float srr);
  // The one-pole low-pass's gain at frequency f (Hz) for a corner at lp.
  static float lowPassGain(float lp, float f);

 protected:
  ImGuiMouseCursor cursorAt(ImVec2 pointer) const override;
  void press(const ui::Interaction& it) override;
  void move(const ui::Interaction& it) override;
  bool gestureActive() const override { return dragging_; }
  void endGesture() override;
  int pickTyped(ImVec2 pointer) const override;
  TypedField typedField(int slot) const override;
  void paint(ImDrawList* dl) override;

 private:
  void dragTo(float x, float dy);
  // The corner's handle, on the response at -3 dB.
  ImVec2 lowPassHandle() const;
  void paintCrush(ImDrawList* dl);
  void paintTone(ImDrawList* dl);
  void partCaption(const ui::Rect& r, std::string_view text, std::uint32_t colour);

  // Gesture state, from the press to the gesture's end.
  int target_ = kNoTarget;
  float valueAtPress_ = 0.0f;
  bool dragging_ = false;
  float grabDx_ = 0.0f;  // from the press to the corner's handle
};

}  // namespace orbi
