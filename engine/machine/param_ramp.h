#pragma once
#include <cstdint>

#include "engine/machine/mod_layers.h"

namespace ob {

// Linear glide of one smoothed value. New targets are taken only when the
// modulation block's serial changes, and are reached after its ramp length.
struct ParamRamp {
  float current = 0.0f;
  float step = 0.0f;
  float target = 0.0f;
  std::int32_t remaining = 0;
  std::uint32_t serial = 0;
  bool started = false;

  // The next setTarget jumps straight to its value.
  void restart() { started = false; }

  void setTarget(float value, const ModLayers& mod) {
    if (!started) {
      current = target = value;
      step = 0.0f;
      remaining = 0;
      serial = mod.serial;
      started = true;
      return;
    }
    if (mod.serial == serial) return;
    serial = mod.serial;
    target = value;
    if (value == current) {  // nothing to glide: same values, no per-sample work
      step = 0.0f;
      remaining = 0;
      return;
    }
    const std::int32_t n = mod.effectiveRampLength();
    step = (value - current) / static_cast<float>(n);
    remaining = n;
  }

  // One sample on; lands exactly on the target at the last step.
  float advance() {
    if (remaining > 0) {
      current = remaining == 1 ? target : current + step;
      --remaining;
    }
    return current;
  }
};

}  // namespace ob
