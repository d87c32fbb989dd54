#pragma once
// The root window every frame is drawn in: a full-size, undecorated Dear
// ImGui window holding the background, the view, the in-editor file
// chooser and the end of the drop frame. Shared by the embedded window and
// the headless harness, so a view behaves the same in both.

#include "ui/context.h"
#include "ui/view.h"

namespace orbi::ui {

// The margin between the display's edge and the view's content, in pixels:
// 20 times the UI scale, 5 more when the window draws its frame.
float contentInset(bool framed);

// Inside a frame: sets the frame record's content rectangle, draws the
// root window "##orbi.root" with the view in it and the frame's tooltip,
// ends the edits of held controls the view no longer drew, then ends the
// drop frame.
// An exception from the view leaves the frame open: abandonFrame closes it.
void drawRoot(View& view, const FrameInfo& frame, bool framed);

// Inside a frame that an exception cut short: every window still open is
// ended after what was pushed in it is popped, and the drop the frame
// offered is settled. What was drawn before the throw can then be rendered.
void recoverFrame();

// Recovers such a frame and ends it unrendered, so that the next NewFrame
// finds Dear ImGui between frames.
void abandonFrame(UiContext& ui);

}  // namespace orbi::ui
