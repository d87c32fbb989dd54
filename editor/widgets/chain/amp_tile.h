#pragma once
// The AMP tile: a second envelope over the whole drum (linear rise, hold,
// exponential fall) on a logarithmic time axis. Attack and decay are free
// seconds or, in tempo mode, note divisions; the hold is always seconds.
// Three corners are dragged sideways; a pill switches the mode. Main thread.

#include <functional>
#include <string>

#include "editor/widgets/chain/tile_frame.h"
#include "engine/clock/tempo.h"

namespace orbi {

// The division (0..9) whose length at the tempo is nearest to t seconds,
// ties going to the shorter; a tempo of 0 or below plays as the default.
int snapToDivision(float seconds, double tempo);
// Seconds 0..28 on the amp tile's time axis, 0..1.
float ampTimeToX(float seconds);
// The inverse of ampTimeToX.
float ampXToTime(float u);

class AmpTile : public StageTileFrame {
 public:
  AmpTile();

  void draw(const ui::Rect& r);
  void commitTyped(int id, float value);
  // The times shown: the division's length in tempo mode, else the value.
  float attackSeconds() const;
  float decaySeconds() const;
  // 0 attack, 1 hold, other decay: stores and sends a time (a division in
  // tempo mode).
  void setTimeValue(int which, float seconds);
  // "attack  12 ms", or "attack  1/16" for a synced time.
  std::string timeLabel(int corner) const;
  // 0 attack, 1 hold, 2 decay, -1 none.
  int hitTest(ImVec2 p) const;
  ImVec2 cornerPoint(int k, const ui::Rect& plot) const;
  // The pixels over which its drag sweeps the corner's whole range.
  float cornerSpan(int k, const ui::Rect& plot) const;
  // The seconds/tempo pill at the bottom right of the plot.
  ui::Rect pillRect() const;

  std::function<void(float)> onAttack;
  std::function<void(float)> onHold;
  std::function<void(float)> onDecay;
  std::function<void(bool)> onSync;
  std::function<void(int)> onAttackDivision;
  std::function<void(int)> onDecayDivision;
  float attack = 0.0f;  // seconds
  float hold = 2.0f;
  float decay = 8.0f;
  std::uint8_t sync = 0;  // tempo mode
  int attackDivision = 2;
  int decayDivision = 5;
  double tempo = ob::kDefaultTempo;

 private:
  void dragCorner(int k, ImVec2 at);
  void dragTime(int which, float seconds);
  // A press on the pill switches the mode; false elsewhere.
  bool clickPill(ImVec2 p);
};

}  // namespace orbi
