#pragma once
// The state's lists of records, which a load takes in turn up to a limit and
// by first id (sounds in written order, voices and samples by "order"):
// their members a load kept unloaded go back after every record a save
// writes, in place and in order. Else the next load could take a kept
// member in place of a record that played, and the save of that write
// another document.

#include <vector>

#include "document/foreign_member.h"
#include "document/instance/sorted_by_order.h"
#include "document/json/json_value.h"

namespace ob {

// The lowest order among the kept members of each list read by order.
struct KeptRecordOrders {
  double voices = kNoOrder;
  double samples = kNoOrder;
};

// Of a loaded instance document and its rewrite: the lowest order of the
// records of each list that the rewrite lacks.
KeptRecordOrders keptRecordOrders(const JsonValue& loaded, const JsonValue& rewritten);

// Sends the kept records among the members kept to the end of their lists.
void keepRecordsLast(std::vector<ForeignMember>& kept);

// Moves each voice record of a written document's state that a load kept
// out (one of `kept`) and a load of that document would take, now that
// the project left it room, to the state's "voicesOff", where no load
// takes it and the next save keeps it (never over a voice it holds
// already): else that load would play a voice the project did not.
void keepVoicesOut(JsonValue& written, const std::vector<ForeignMember>& kept);

// Makes each list of a written document that a kept record goes back into
// and the save wrote none of (samples, asset references, a macro's
// destinations are written only when they hold some): else a save after
// the project's own records there went would drop the ones the load kept.
void makeRoomForKeptRecords(JsonValue& written, const std::vector<ForeignMember>& kept);

// Numbers each record of a written document no higher than the kept
// members of its list, so that it sorts before them (its place before
// theirs settles a tie).
void orderBeforeKept(JsonValue& written, const KeptRecordOrders& kept);

}  // namespace ob
