#pragma once
// The FILTER tile: the magnitude both serial filters make together, on a
// logarithmic frequency axis (20 Hz..20 kHz) and a decibel axis (-42 dB at
// the bottom, +14 dB at the top). Each filter that is on has a handle on
// that curve at its cutoff (dragged sideways for the cutoff, up and down
// for the resonance) and a pill cycling its type. Main thread.

#include <array>
#include <functional>

#include "editor/widgets/chain/tile_frame.h"

namespace orbi {

class FilterTile : public StageTileFrame {
 public:
  struct Filter {
    float cutoff = 20000.0f;  // Hz; 19,999 or more is off
    float resonance = 0.0f;   // 0..1
    int type = 0;             // 0 low, 1 high, 2 band
  };
  static constexpr float kOffCutoff = 19999.0f;

  FilterTile();

  void draw(const ui::Rect& r);
  void commitTyped(int id, float value);
  bool isOn(int k) const { return filters[static_cast<std::size_t>(k)].cutoff < kOffCutoff; }
  // The handle of a filter that is on within 14 s of p, nearest first; -1.
  int hitTest(ImVec2 p) const;
  // Cutoff from the pointer's x (absolute), resonance from its height
  // relative to the press.
  void dragCorner(ImVec2 at);
  // Filter k's type pill; meaningful only while it is on.
  ui::Rect pillRect(int k) const;
  // The y of a linear magnitude and the x of a frequency on the plot.
  static float magnitudeY(float magnitude, const ui::Rect& plot);
  static float frequencyX(float hz, const ui::Rect& plot);

  std::function<void(int, float)> onCutoff;
  std::function<void(int, float)> onResonance;
  std::function<void(int, int)> onType;
  std::array<Filter, 2> filters{};
  double sampleRate = 48000.0;

 private:
  // A press on a pill cycles that filter's type; false elsewhere.
  bool clickPill(ImVec2 p);

  float resonanceAtPress_ = 0.0f;  // of the grabbed filter
  float pressY_ = 0.0f;
  float cutoffAtPress_ = 0.0f;
  float pressX_ = 0.0f;
};

}  // namespace orbi
