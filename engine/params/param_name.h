#pragma once
// The one name a user reads for a parameter, wherever the editor shows or
// says it: on its control, in a tooltip or readout, on the status line, in
// the macro panel, its picker and the host's log. It is the descriptor's
// label, and where another parameter of another meaning shows that label
// too, on this machine or another, the label and where it sits: its group
// for one of a machine's own, the voice chain for one every machine has
// ("Drive (Distortion)", "Drive (voice chain)"; the synthesiser's tune in
// hertz "Tune (Oscillators)", the sampler's in semitones "Tune (Source)").
// Two parameters mean the same when meanTheSame says so (param_tables.h).
// Main thread: the names are made at the first call.

namespace ob {

// The name of the parameter at a combined index of the machine (codes other
// than 0, 1 and 2 are the drum), static for the program's life; its key
// where it has no label, "parameter N" where the index names none.
const char* paramName(int machineType, int index);

// The name of the machine's parameter of this key; "" for a key it lacks.
const char* paramNameOfKey(int machineType, const char* key);
// The name of a parameter of the voice chain by its key: every machine has
// them alike. "" for a key that names none.
const char* chainParamName(const char* key);

}  // namespace ob
