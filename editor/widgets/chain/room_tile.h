#pragma once
// The ROOM tile: the room reverb drawn as its decay tail on a logarithmic
// time axis ending at the longest tail the room makes. Three handles: size
// (the tail's length), mix (its start) and damp (its droop). It paints its
// own panel and border, and a press on a room that is off switches it on.
// Main thread.

#include <functional>
#include <string>
#include <vector>

#include "editor/widgets/chain/tile_frame.h"

namespace orbi {

// The room's comb feedback, its tail level t seconds in, and the time the
// tail takes to fall to 0.05; the loop time is the engine's.
float roomFeedback(float size, float damp);
float roomTailGain(float size, float damp, float t, double sampleRate);
float roomRt(float size, float damp, double sampleRate);

class RoomTile : public StageTileFrame {
 public:
  static constexpr float kSwitchOnMix = 0.35f;

  RoomTile();

  void draw(const ui::Rect& r);
  void commitTyped(int id, float value);
  // The time axis: seconds to 0..1 and back.
  float timeToX(float t) const;
  float xToTime(float u) const;
  // 0 size, 1 mix, 2 damp.
  ImVec2 handlePoint(int k, const ui::Rect& plot) const;
  // The pixels over which its drag sweeps the handle's whole range.
  ImVec2 handleSpan(int k, const ui::Rect& plot) const;
  // The handle within 13 s of p, nearest first; -1. Not limited to rect.
  int hitTest(ImVec2 p) const;
  // Sets and sends the dragged value for the pointer.
  void dragTo(ImVec2 p);
  // The 41 points of the tail.
  std::vector<ImVec2> tailPoints(const ui::Rect& plot) const;
  // The hover label: the handle's name and its value ("mix  35%").
  std::string handleLabel(int k) const;

  std::function<void(float)> onSize;
  std::function<void(float)> onMix;
  std::function<void(float)> onDamp;
  float size = 0.35f;
  float mix = 0.0f;
  float damp = 0.5f;
  double sampleRate = 44100.0;

 private:
  bool active() const { return mix > 0.0f; }
  // The time of the damp handle: half way, on the axis, to the tail's end.
  float dampHandleTime() const;
  void paint(ImDrawList* dl, const ui::Rect& r) const;
};

}  // namespace orbi
