#pragma once
// How the editor says what an edit let go of what a load kept unapplied
// (ob::letGoOnEdit), as it says every list it names (sayLine): each by
// where the user finds its owner in the project as the edit found it.

#include <string>
#include <vector>

#include "document/project/kept_record.h"
#include "editor/said_list.h"
#include "engine/model/project.h"

namespace orbi {

// "track 3 step 15 lock of exc9_type", "track 2 notes off its steps",
// "Kick value of model", "macro 2 destination v-kick:tune", a member by
// its key: one a member.
std::vector<std::string> letGoNames(const std::vector<ob::KeptRecord>& gone, const ob::Project& before);

// "let go 3 kept: a, b and c, which a load kept unapplied; undo brings
// them back"; empty for none.
SaidLine letGoLine(const std::vector<std::string>& names);

}  // namespace orbi
