#pragma once
// How the editor says what an edit let go because the sound it now reaches
// lacks it (a sample assigned to a drum, a hit pasted onto another machine,
// a kit under the user's steps), as the editor says every list it names
// (sayLine).

#include <string>
#include <string_view>
#include <vector>

#include "editor/said_list.h"
#include "engine/model/machine_change.h"

namespace orbi {

// Each reference by what held it and the parameter's label on the machine
// it was made for ("step 15 lock of Hit 1", "LFO 1 on Hit 1 Tone", "macro 1
// on Hit 1 Length"), the track first when they come from several tracks.
std::vector<std::string> goneNames(const std::vector<ob::GoneRef>& gone);

// "<who> lost 5: a, b, c and 2 more, <why>; undo brings them back", the
// count and the first names where the line's start shows them whatever its
// width: `who` lost what `names` name, in order, for the reason `why`
// ("which a sampler lacks"). Empty when nothing went.
SaidLine goneReport(std::string_view who, std::string_view why, const std::vector<std::string>& names);

}  // namespace orbi
