#pragma once
// The bench page's diagram of a modelled drum, drawn as its signal path: the
// hit half (and an optional second hit) on the left, the body half in the
// middle, the sum node on the right. The hit triggers the body; the body
// runs through the distortion socket into the sum; a bleed path carries the
// hit straight to the sum. The body and bleed wires are drag handles for
// their levels, an arrow under the sum flips the drum backwards, a press on
// the sum plays it. The view never touches the project: its owner writes
// the values and models between frames and every gesture leaves through a
// callback. Main thread, inside the editor's frame.

#include <imgui.h>

#include <cstdint>
#include <functional>
#include <string>

#include "editor/widgets/anatomy/anatomy_layout.h"
#include "editor/widgets/anatomy/dist_block.h"
#include "editor/widgets/anatomy/half_browser.h"
#include "editor/widgets/graph/node_graph.h"
#include "editor/widgets/number_entry.h"
#include "ui/draw/wave_overview.h"
#include "ui/geometry.h"

namespace orbi {

// A right-pointing chevron with its tip at the point.
void drawChevron(ImDrawList* dl, ImVec2 tip, std::uint32_t colour);

class AnatomyView {
 public:
  // Which wire a drag or the pointer is on.
  enum Handle : int { kNoHandle = 0, kBleedHandle = 1, kBodyHandle = 2 };

  AnatomyView();

  void draw(const ui::Rect& r);
  // The whole drum's preview, not copied; times in samples.
  void setSumWaveform(const float* samples, int frames);
  // A typed percentage for the bleed (id 1) or the body level.
  void commitTyped(int id, float typed);

  ui::Rect sumColumnRect() const { return layout.sum; }
  ui::Rect bodyLevelRect() const { return layout.bodyWire; }
  ui::Rect bleedRect() const { return layout.bleed; }
  static std::string directionTooltip(bool reversed);
  // "bleed   40 %    /    right-click: type a value"
  static std::string valueLabelText(const char* label, float v);

  std::function<void()> onSecondHit;
  std::function<void()> onHearBoth;
  std::function<void(float)> onBleed;
  std::function<void(float)> onBodyLevel;
  std::function<void(bool)> onReverse;  // the new reversed state

  HalfBrowser hitBrowser;
  HalfBrowser secondHitBrowser;
  HalfBrowser bodyBrowser;
  NodeGraph hitGraph;
  NodeGraph secondHitGraph;
  NodeGraph bodyGraph;
  bool hasSecondHit = false;
  std::string secondHitTooltip;
  DistBlock socket;

  ui::Rect rect;      // of the last draw
  NumberEntry entry;  // typed amounts
  AnatomyLayout layout;
  const float* sumSamples = nullptr;  // not owned
  int sumFrames = 0;
  ui::WaveOverview sumOverview;

  float bleed = 1.0f;      // 0..1, as last written by the owner
  float bodyLevel = 0.9f;  // 0..1, as last written by the owner
  bool reversed = false;

 private:
  void paintDiagram(ImDrawList* dl) const;
  void paintHitToBody(ImDrawList* dl) const;
  void paintBodyWire(ImDrawList* dl) const;
  void paintBleed(ImDrawList* dl) const;
  // The height of the bleed path's run to the sum.
  float bleedWireY() const;
  // Where on the body wire a press takes its level rather than the socket.
  float bodyLevelGrabX() const;
  void paintSum(ImDrawList* dl) const;
  void paintArrow(ImDrawList* dl) const;
  void valueLabel(ImDrawList* dl, const char* label, float v, ImVec2 at) const;
  void drawAddTile();
  void drawSocket();
  void interactSum();
  bool dragBleedBodyLevel(int handle, const ui::Rect& area, const std::string& tip, const char* id);

  bool arrowHovered_ = false;
  int hotHandle_ = kNoHandle;
  int activeHandle_ = kNoHandle;
  float valueAtPress_ = 0.0f;
  std::string directionTip_;
  std::string sumTip_;
  std::string bleedTip_;
  std::string bodyTip_;
};

}  // namespace orbi
