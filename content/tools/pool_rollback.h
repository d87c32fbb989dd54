#pragma once
// Taking back a slot that an operation has just appended to the pool, when
// a later step of the same operation fails.

#include <cstdint>

#include "engine/pool/sample_pool.h"

namespace ob {

// Removes the pool's last slot when it is `index`. Only for a slot appended
// by the running main-thread operation: no snapshot can have published it
// yet, so freeing it at once cannot pull audio from under the audio thread.
inline bool dropUnpublishedSlot(SamplePool& pool, std::int32_t index) {
  if (index < 0 || index != pool.slotCount() - 1) return false;
  pool.slots.pop_back();
  return true;
}

}  // namespace ob
