#pragma once
// How far a drag moves to sweep a value's whole range. A handle that
// follows the pointer sweeps its range over the span its drawing gives it,
// and over a small drawing that is far too coarse: a few pixels would take
// a level from full to silent. So no drag sweeps a whole range over less
// than kLeastSweep times the UI scale; over a shorter span the handle moves
// slower than the pointer. Pure.

#include <imgui.h>

namespace orbi {

inline constexpr float kLeastSweep = 100.0f;  // design pixels

// The pointer movement that sweeps a whole range drawn over span pixels:
// the span itself, but never less than the least sweep.
float sweepLength(float span, float s);

// How far a handle whose whole range lies over span pixels moves when the
// pointer moved by `moved`: as far while the span is at least the least
// sweep, proportionally less over a shorter one.
float sweptBy(float moved, float span, float s);
ImVec2 sweptBy(ImVec2 moved, ImVec2 span, float s);

}  // namespace orbi
