#pragma once
// One name for each parameter wherever the editor names one in words (the
// status line, the macro panel's destinations and its browser): the label
// its control shows, and where another parameter of the same machine shows
// that label too, the label and where it sits: its group for one of the
// machine's own, the voice chain for one every machine has ("Drive
// (Distortion)", "Drive (voice chain)"). Main thread.

#include <string>

namespace orbi {

// The name of the parameter at a combined index of the machine; its key
// where it has no label, "parameter N" where the index names none.
std::string paramName(int machine, int param);

}  // namespace orbi
