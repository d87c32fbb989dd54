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
// "Kick value of Hit 1 Shape", "Closed hat parameter x_future", "Wobble
// destination v-kick:tune", a member by its key: one a member. A key that
// names a parameter of its owner's sound reads as the parameter's name, a
// macro by its own name where it has one.
std::vector<std::string> letGoNames(const std::vector<ob::KeptRecord>& gone, const ob::Project& before);

// "let go 3 kept: a, b and c, which a load kept unapplied; undo brings
// them back"; empty for none.
SaidLine letGoLine(const std::vector<std::string>& names);

}  // namespace orbi
