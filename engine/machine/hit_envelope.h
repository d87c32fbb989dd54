#pragma once
#include <algorithm>
#include <cmath>

#include "engine/chain/block_memo.h"

namespace ob {

// How short a machine lets its hit envelope be. The machines differ on
// purpose, so each names its own.
struct HitEnvelopeFloors {
  float instantAttack;    // an attack (s) at or below this starts at full level
  double shortestAttack;  // a longer attack ramps over at least this (s)
  double shortestDecay;   // the decay's time constant is at least this (s)
};

// A block's pace of the envelope; the render loop keeps it in locals.
struct HitEnvelopeSteps {
  float attack = 1.0f;  // level added a sample while rising
  float decay = 0.0f;   // factor a sample while falling
};

// A linear attack to full level, then an exponential decay that ends the
// voice below kSilent: the amplitude envelope of the sample, granular and
// va machines. Each machine says whether a sample plays before or after
// its step. A field of its machine: audio thread after prepare.
class HitEnvelope {
 public:
  static constexpr float kSilent = 0.0001f;

  // At prepare: silent, and the decay is worked out again for the new rate.
  void prepare() {
    restart();
    decayMemo_.reset();
  }
  // At a trigger: silent, rising.
  void restart() {
    level_ = 0.0f;
    decaying_ = false;
  }

  // The steps for this block's attack and decay (s); the decay's exp is
  // worked out only when its time changed.
  HitEnvelopeSteps steps(float attack, float decay, double rate, const HitEnvelopeFloors& floors) {
    HitEnvelopeSteps s;
    if (attack > floors.instantAttack)
      s.attack =
          static_cast<float>(1.0 / (rate * std::max(static_cast<double>(attack), floors.shortestAttack)));
    s.decay = static_cast<float>(decayMemo_.get(
        decay, [&](double d) { return std::exp(-1.0 / (std::max(d, floors.shortestDecay) * rate)); }));
    return s;
  }

  // One sample on.
  void advance(HitEnvelopeSteps s) {
    if (!decaying_) {
      level_ += s.attack;
      if (level_ >= 1.0f) {
        level_ = 1.0f;
        decaying_ = true;
      }
    } else {
      level_ *= s.decay;
    }
  }

  float level() const { return level_; }
  // Fallen silent: the voice ends.
  bool ended() const { return decaying_ && level_ < kSilent; }

 private:
  float level_ = 0.0f;
  bool decaying_ = false;
  BlockMemo decayMemo_;
};

}  // namespace ob
