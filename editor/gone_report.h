#pragma once
// How the editor says what an edit let go because the sound it now reaches
// lacks it (a sample assigned to a drum, a hit pasted onto another machine,
// a kit under the user's steps), and what it held to a narrower range, as
// the editor says every list it names (sayLine).

#include <string>
#include <string_view>
#include <vector>

#include "editor/said_list.h"
#include "engine/model/machine_change.h"

namespace orbi {

// What went and what stayed held, each by what held it and the parameter's
// name on the machine it was made for ("step 15 lock of Hit 1", "LFO 1 on
// Hit 1 Tone", "macro 1 on Hit 1 Length", a named macro by its name:
// "Wobble on Body Length"; held: "step 3 lock of Attack held to 0.500 s"),
// the track first when they come from several tracks; a hit always with
// its track ("track 6 step 3 hit"). The kit holds the macros' names.
struct GoneNames {
  std::vector<std::string> gone;
  std::vector<std::string> held;
};
GoneNames goneNames(const std::vector<ob::GoneRef>& gone, const ob::Kit& kit);

// "<who> lost 5: a, b, c and 2 more, <why>; undo brings them back", or
// with what was held, "<who> lost 2 and changed 1: a, b and x held to 0.5
// s, <why>; ...", the count and the first names where the line's start
// shows them whatever its width: `who` lost what the names name, in order,
// for the reason `why` ("which a sampler lacks"). Empty when nothing went
// or changed.
SaidLine goneReport(std::string_view who, std::string_view why, const GoneNames& names);

}  // namespace orbi
