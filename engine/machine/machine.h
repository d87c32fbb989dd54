#pragma once

#include "engine/machine/mod_layers.h"
#include "engine/params/param_info.h"

namespace ob {

// A sound generator. A track player holds one of each kind inline and drives
// the one its sound names. Renders ADD into caller-cleared buffers, run on
// one thread at a time and never allocate, lock or wait.
// The order of the virtual operations is part of the interface; keep it.
class Machine {
 public:
  virtual ~Machine() = default;
  // Stores the rate, clears all voice state and builds rate tables.
  virtual void prepare(double sampleRate) = 0;
  // Number of the machine's own parameters (common voice rows excluded).
  virtual int paramCount() const = 0;
  // Own row at index 0..paramCount()-1.
  virtual ParamInfo paramInfo(int index) const = 0;
  virtual void trigger(float note, float velocity) = 0;
  virtual void renderMono(float* out, int frames, const ModLayers& mod) = 0;
  virtual bool isActive() const = 0;
  virtual void renderStereo(float* left, float* right, int frames, const ModLayers& mod) = 0;
};

}  // namespace ob
