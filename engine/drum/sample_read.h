#pragma once
#include <cstdint>

#include "engine/pool/sample_pool_snapshot.h"

namespace ob {

// Pool slot chosen by a 0..1 parameter: 64 evenly spaced choices.
inline int toSlotIndex(float v) {
  const float c = v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
  int i = static_cast<int>(c * 63.0f + 0.5f);
  return i < 0 ? 0 : (i > 63 ? 63 : i);
}

// A slot that can be played: data, at least one frame and a sane rate.
inline const SampleSlotInfo* usableSlot(const SamplePoolSnapshot* snapshot, int index) {
  if (snapshot == nullptr) return nullptr;
  const SampleSlotInfo& s = snapshot->slotOrEmpty(index);
  if (s.left == nullptr || s.frames < 1 || !(s.sampleRate > 0.0 && s.sampleRate < 1.0e7)) return nullptr;
  return &s;
}

// Linear interpolation of the slot's left channel; 0 outside its frames.
inline float readLinear(const SampleSlotInfo& s, double index) {
  if (!(index >= 0.0) || index > static_cast<double>(s.frames - 1)) return 0.0f;
  const auto i = static_cast<std::int32_t>(index);
  const float frac = static_cast<float>(index - i);
  const std::int32_t j = i + 1 < s.frames ? i + 1 : s.frames - 1;
  return s.left[i] + (s.left[j] - s.left[i]) * frac;
}

}  // namespace ob
