#pragma once
// Events the plug-in sends to the host: note ends of host notes and the
// engine's control signals, pushed in time order.
#include <cstdint>

#include "engine/model/host_records.h"
#include "plugin/clap/abi.h"
#include "plugin/host_note.h"

namespace ob::clap {

// One NOTE_END for a host note; a full queue loses it.
void sendNoteEnd(const clap_output_events_t* out, std::int32_t time, const NoteRef& ref);
// One control signal (own event type 701) in the given event space.
void sendControlSignal(const clap_output_events_t* out, std::uint16_t eventSpace, std::int32_t time,
                       const ControlSignal& signal);

// Inserts into a list sorted by time; an equal time goes after those already
// held. False when the list is full.
bool insertNoteEnd(NoteEnd* list, std::int32_t& count, std::int32_t capacity, const NoteEnd& end);

}  // namespace ob::clap
