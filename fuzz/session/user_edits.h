#pragma once
// The edits a session sends as a user's or a host's: what the editor's
// gestures and the host's calls send in the state the project is in, and
// nothing else. The "edit" action's numbers ask for one (the kind says
// which gesture, the others where and how much); an edit of a kind the
// editor never sends, or where no control of it shows (a step with no hit,
// an LFO switched off, a zone past the count, a track not in use), is none.
#include <vector>

#include "engine/model/edit_command.h"
#include "engine/model/project.h"

namespace obsession {

// The commands, in order, that the gesture the asked command stands for
// sends; none when no gesture sends such a command there.
std::vector<ob::EditCommand> userEdits(const ob::Project& project, ob::EditCommand asked);

// A track the part's rows show for the asked one, or -1 when none does.
int trackInUse(const ob::Project& project, int asked);

}  // namespace obsession
