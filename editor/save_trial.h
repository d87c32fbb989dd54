#pragma once
// An edit that adds entries to a list of the saved document (a track's
// voice and sound, a sound's parameters, a macro's destinations) is tried
// on a copy of the project first: one after which a save would hold what
// its load refuses, beside what the last load kept there, is not made.
// Main thread.

#include <memory>
#include <span>
#include <string>

#include "document/project/kept_document.h"
#include "engine/model/edit_command.h"
#include "engine/model/project.h"

namespace orbi {

class EditorContext;

// Why a save after the edits (of the selected part) would be one its load
// refuses, in lower-case words that name the limit; empty when it would not.
std::string saveRefusalAfter(EditorContext& context, std::span<const ob::EditCommand> edits);

// The same of a kit coming in, with what its file held that this build
// does not read kept for its saves in place of the last kit's: what an
// open keeps is measured against what the instance's state can hold, by
// the measure its save takes, before the open changes anything.
std::string saveRefusalWithKit(EditorContext& context, const ob::Pattern& kit,
                               std::shared_ptr<const ob::KitFileKept> kitFile);

}  // namespace orbi
