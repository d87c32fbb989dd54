#pragma once
// Host notes as the engine records them: the plug-in fills a NoteRef from
// each CLAP or MIDI note-on and turns the engine's NoteEnd entries back into
// NOTE_END events.
#include "engine/model/host_records.h"

namespace ob::clap {

using NoteRef = ob::NoteRef;
using NoteEnd = ob::NoteEnd;

}  // namespace ob::clap
