#pragma once
// An edit that adds entries to a list of the saved document (a track's
// voice and sound, a sound's parameters, a macro's destinations) is tried
// on a copy of the project first: one after which a save would hold what
// its load refuses, beside what the last load kept there, is not made.
// Main thread.

#include <span>
#include <string>

#include "engine/model/edit_command.h"

namespace orbi {

class EditorContext;

// Why a save after the edits (of the selected part) would be one its load
// refuses, in lower-case words that name the limit; empty when it would not.
std::string saveRefusalAfter(EditorContext& context, std::span<const ob::EditCommand> edits);

}  // namespace orbi
