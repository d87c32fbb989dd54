#pragma once
// What a frame says of the next. A window draws only while its picture may
// still change: after input, and then as long as the last frame says so.
// Code inside a frame asks for more through requestFrame (something moves
// on by itself: an animation, a render waiting for its turn) or
// requestFrameAt (something changes by itself at a known time: a tooltip's
// delay, a text cursor's blink). Dear ImGui's own unfinished business
// counts too (a hover or activation that changed, a window laid out hidden
// first, a popup or a scroll still to come, a button or a key other than a
// modifier held), and so
// does a picture that differs from the frame before.

#include <cstdint>
#include <limits>

#include "ui/context.h"

namespace orbi::ui {

// Inside a frame: the frame after this one is wanted too.
void requestFrame();
// Inside a frame: a frame is wanted once Dear ImGui's clock (the frame
// record's time) reaches `time` seconds. Frames drawn before then for
// other reasons leave it standing; code that waits for several times asks
// for the next in each frame.
void requestFrameAt(double time);

// What a frame asks of the next: to follow at once, or to come at a time.
struct NextFrameRequest {
  bool again = false;                                   // draw the next frame
  double at = std::numeric_limits<double>::infinity();  // else one at this time
};

// After ImGui::Render, with the context's Dear ImGui context current: what
// the frame asked for (the requests start afresh), Dear ImGui's unfinished
// business, and whether the draw data differs from the previous frame's.
NextFrameRequest takeNextFrameRequest(UiContext& ui);

}  // namespace orbi::ui
