#pragma once
// A macro destination a load kept unapplied (a ninth, or one on a voice,
// parameter or sample the kit lacked) stays unapplied whatever the project
// became since: where a load of a save would apply it (the eight before it
// thinned out, a track made under its voice, a machine or sample that now
// has what it names), the save moves it, under its key and as read, to the
// macro's "destsOff", which no load applies and every save keeps.

#include <vector>

#include "document/foreign_member.h"
#include "document/json/json_value.h"

namespace ob {

// Moves each destination of a written document that the load kept (one of
// `kept`) and a load of that document would apply to its macro's
// "destsOff", never over a destination that holds already; a "dests" that
// the moves leave empty goes.
void keepDestsOut(JsonValue& written, const std::vector<ForeignMember>& kept);

}  // namespace ob
