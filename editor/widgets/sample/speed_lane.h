#pragma once
// The SPEED lane: the sound's pitch drawn as the length the recording plays
// for, a bar from the left edge that a lower pitch lengthens. Granular
// sounds add a translucent fan for the grain pitch spread, its edge
// draggable. Slots: 0 "tune" (semitones), 1 "spread" (0..1, granular only;
// the fan draws 1 as 7 semitones either way).

#include "editor/widgets/sample/sampler_lane.h"

namespace orbi {

class SpeedLane : public SamplerLane {
 public:
  enum Target : int { kNoTarget = -1, kBar = 0, kFan = 1 };

  SpeedLane() : SamplerLane("speed", 1) {}

  std::string hint() const override;
  ImVec2 anchorFor(int slot, float t) const override;

  // Where the bar of a pitch ends.
  float lengthX(float pitch) const;
  int spreadSlot() const { return findSlot("spread"); }
  // Which handle a press at the point takes.
  int targetAt(ImVec2 p) const;
  ImVec2 barHandle() const;
  // Under the bar, at the fan's long edge.
  ImVec2 fanHandle() const;
  // The readout: the sample's length at the pitch, or the speed factor.
  std::string lengthLabel(float tune) const;

  float sampleSeconds = 0.0f;  // the sound's sample, 0 without one; set by the owner

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
  static float lengthAt(float pitch);
  float fanOffset() const;
  // The pitch whose bar ends at x, also past the right edge.
  float pitchAtX(float x) const;
  void dragTo(float dx);

  // Gesture state, from the press to the gesture's end.
  int target_ = kNoTarget;
  bool dragging_ = false;
  float grabX_ = 0.0f;  // the grabbed handle's x at the press
  float tuneAtPress_ = 0.0f;
  float spreadAtPress_ = 0.0f;
};

}  // namespace orbi
