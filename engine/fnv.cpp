#include "engine/fnv.h"

namespace ob {
static_assert(fnv1a64("") == kFnvOffsetBasis);
static_assert(fnv1a64("a") == 0xaf63dc4c8601ec8cull);
}  // namespace ob
