#include "editor/widgets/drag_sweep.h"

#include <algorithm>

namespace orbi {

float sweepLength(float span, float s) {
  // std::max keeps its first argument for NaN: a span that is not a number
  // counts as none.
  return std::max(kLeastSweep * s, span);
}

float sweptBy(float moved, float span, float s) {
  const float length = sweepLength(span, s);
  // A span at least as long (an endless one too) moves with the pointer.
  if (!(length > span)) return moved;
  return span > 0.0f ? moved * (span / length) : 0.0f;
}

ImVec2 sweptBy(ImVec2 moved, ImVec2 span, float s) {
  return {sweptBy(moved.x, span.x, s), sweptBy(moved.y, span.y, s)};
}

}  // namespace orbi
