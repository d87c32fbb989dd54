#pragma once
// The editor's header bar, drawn at the top of the root view every frame:
// on the first row the menu button, the document's label and field, undo
// and redo, the status message and the window's caption buttons; on the
// second the page rail and the transport. The caller fills the model each
// frame and acts on the result; the header keeps only its document flows'
// state (header_flows.h). Main thread, inside the root window.

#include <span>
#include <vector>

#include "ui/geometry.h"
#include "ui/header/header_menu.h"
#include "ui/header/header_model.h"
#include "ui/view.h"

namespace orbi::ui {

void drawHeader(HeaderResult& result, const FrameInfo& frame, const Rect& rect, const HeaderModel& model);

// The header acts on undo, redo, save and open keys: the model asks it to,
// or the window has controls of its own.
bool headerOwnsKeyboard(const FrameInfo& frame, const HeaderModel& model);

// What the menu is built from this frame. The shortcut groups ("General"
// first when the header owns the keyboard, then the model's) are put in
// groups, which the input points into.
HeaderMenuInput headerMenuInput(const FrameInfo& frame, const HeaderModel& model,
                                std::vector<ShortcutGroup>& groups);

// The "General" rows of the shortcuts window: undo and redo with the
// buttons, save and open with a document.
std::span<const ShortcutRow> generalShortcutRows(const HeaderModel& model);

}  // namespace orbi::ui
