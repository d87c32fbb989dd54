#pragma once
// The GRAINS lane of granular sounds: one second of the grain cloud, a hump
// per grain as wide as the grain size and spaced by the density. A drag
// sets the size sideways or the density up and down, the axis fixed by the
// first movement. Slots: 0 "size" (ms), 1 "density" (grains a second).

#include "editor/widgets/sample/sampler_lane.h"

namespace orbi {

class GrainLane : public SamplerLane {
 public:
  // At most this many grains are drawn.
  static constexpr int kMostGrains = 64;

  GrainLane() : SamplerLane("grains", 2) {}

  std::string hint() const override;
  ImVec2 anchorFor(int slot, float t) const override;

  // How many grains one second holds at the density, 1..64.
  static int grainCount(float density);
  // The drawn width of a grain of the size (ms) across a content width.
  static float grainWidth(float sizeMs, float contentWidth, float s);

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
  // Gesture state, from the press to the gesture's end.
  int axis_ = 0;  // 0 idle, 1 undecided, 2 horizontal (size), 3 vertical (density)
  bool dragging_ = false;
  float sizeAtPress_ = 0.0f;
  float densityAtPress_ = 0.0f;
};

}  // namespace orbi
