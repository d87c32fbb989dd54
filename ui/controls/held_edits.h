#pragma once
// The edits that a press on a control began on its Param and its release
// has not yet ended. A control may stop being drawn while it is held (its
// page closes, it turns read-only) and then never sees the release: its
// edit is ended at the end of the first frame that did not draw it, so
// every beginEdit gets exactly one endEdit. The Param must live until
// then. Kept per window in its UI context; main thread, inside a frame.

#include <imgui.h>

#include "ui/controls/param.h"

namespace orbi::ui {

// The press on the item (its Dear ImGui id) begins the param's edit.
void beginHeldEdit(ImGuiID item, Param& param);
// The item is drawn this frame: whether it has an edit open, which then
// stays open through this frame.
bool heldEditOpen(ImGuiID item);
// Ends the item's edit when one is open.
void endHeldEdit(ImGuiID item);

// Called by the root window once the view has drawn: ends the edits whose
// items this frame did not draw.
void endUndrawnEdits();

}  // namespace orbi::ui
