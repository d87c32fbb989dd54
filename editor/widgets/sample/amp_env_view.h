#pragma once
// The AMP lane: the attack-decay envelope that gates each sampler hit, a
// rise to a peak and an exponential tail. The peak drags sideways for the
// attack or up and down for the level, the axis fixed by the first
// movement; the tail drags for the decay. Slots: 0 "attack" (s), 1 "decay"
// (s), 2 "level" (0..1).

#include "editor/widgets/sample/sampler_lane.h"

namespace orbi {

class AmpEnvView : public SamplerLane {
 public:
  enum Target : int { kNoTarget = 0, kPeak = 1, kTail = 2 };

  AmpEnvView() : SamplerLane("amp", 3) {}

  std::string hint() const override;
  ImVec2 anchorFor(int slot, float t) const override;

  float peakX() const;
  float peakY(float level) const;
  // The tail handle: one time constant into the decay.
  ImVec2 tailHandle() const;

 protected:
  ImGuiMouseCursor cursorAt(ImVec2 pointer) const override;
  void press(const ui::Interaction& it) override;
  void move(const ui::Interaction& it) override;
  bool gestureActive() const override { return target_ != kNoTarget; }
  void endGesture() override;
  int pickTyped(ImVec2 pointer) const override;
  TypedField typedField(int slot) const override;
  void paint(ImDrawList* dl) override;

 private:
  float tailLength() const;
  // Which handle a press at p takes.
  int targetAt(ImVec2 p) const;
  void dragTo(ImVec2 pointer, ImVec2 total);

  // Gesture state, from the press to the gesture's end.
  int target_ = kNoTarget;
  int peakAxis_ = 1;      // 1 undecided, 2 horizontal (attack), 3 vertical (level)
  ImVec2 handleAtPress_;  // where the grabbed handle was
  ImVec2 handleSpan_;     // the pixels over which its drags sweep their ranges
};

}  // namespace orbi
