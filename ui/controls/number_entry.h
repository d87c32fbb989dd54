#pragma once
// The number entry: a small floating box, opened over a control, in which
// a value is typed and committed through the control's Param. A window has
// one: opening it for another control takes it over. Main thread, inside a
// frame.

#include <imgui.h>

#include <cstdint>

#include "ui/controls/param.h"
#include "ui/geometry.h"
#include "ui/layout/label_placer.h"

namespace orbi::ui {

enum class NumberEntryResult : std::uint32_t {
  Closed,  // the entry does not belong to this id
  Editing,
  Committed,  // Enter on text the param read: beginEdit, setValue, endEdit
  Cancelled,  // left without Enter, never focused, or the text was not a value and had no word
};

// The entry box's width and usual height, design pixels.
inline constexpr float kNumberEntryWidth = 96.0f;
inline constexpr float kNumberEntryHeight = 24.0f;

// Opens the entry for the control named id (in the current id scope), its
// box centred on the anchor, over the value it is about, and moved inside
// the editor window when the anchor is near its edge; it shows the param's
// text of its value. A height (pixels) above 0 makes the box that high, for
// a row lower than the usual box that it must not spill over.
void beginNumberEntry(const char* id, ImVec2 anchor, Param& param, float height = 0.0f);
// The box that entry opens with, centred on the anchor, before it is kept
// inside the window.
Rect numberEntryBox(ImVec2 anchor, float height = 0.0f);

// Runs the entry while it belongs to id; called every frame by the
// control that owns the id, after its own interaction. A commit or a
// cancel closes it. Enter on text the param refuses with a word (its
// refusal) keeps the entry open, showing the word in its place. A number
// past the param's range is held to its nearer end, and beside the value
// a note says so for a moment.
NumberEntryResult numberEntry(const char* id, Param& param);

// The control that owns id says, in every frame it shows the value that a
// held commit's note is about, where that value is (its handle or field)
// and the panel the note stays in (none: the window). A note whose value
// no control placed in a frame goes. False once the note is no longer id's.
bool keepHeldNote(const char* id, const Rect& value, const Rect& panel);

// Where a held commit's note of the size goes: beside the value, as a
// tooltip goes beside the pointer, inside the panel, and where the panel
// has room over neither the value nor what keepClear holds always.
// Pixels; s is the UI scale.
Rect placeHeldNote(const Rect& value, ImVec2 size, const Rect& panel, LabelPlacer keepClear, float s);

// The note of a commit held to the range, while it lasts and its value is
// shown, clear of what the frame's tooltip keeps clear of. The root calls
// it once a frame, after the view.
void drawHeldNote();

}  // namespace orbi::ui
