#pragma once
#include <vector>

#include "document/clip/clip.h"
#include "document/json/json_value.h"

namespace ob::clip {

// A clip as a JSON object of kind "clip": members in a fixed order, empty
// ones left out, the extensions its content needs declared, invalid records
// written exactly as read, kept members merged back and number spellings of
// the document as read adopted where the values did not change.
JsonValue writeClip(const Clip& clip);

JsonValue writeTempoPoint(const TempoPoint& point);
JsonValue writeMeterPoint(const MeterPoint& point);
JsonValue writeSwing(const SwingEntry& entry);
JsonValue writeLane(const Lane& lane);
JsonValue writeLanePoint(const LanePoint& point);
JsonValue writeNote(const Note& note);
JsonValue writeNoteParams(const NoteRandom& rand);
JsonValue writeExpression(const Expression& expression);
// An object of the members in order; a repeated key replaces the earlier value.
JsonValue writeNamedValues(const std::vector<JsonMember>& members);

}  // namespace ob::clip
