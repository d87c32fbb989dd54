#pragma once
// The instrument recipes of the factory samples: every stem of the
// catalogue maps to one synthesised sound.

#include <cstddef>
#include <string>
#include <string_view>

#include "resources/factory_gen/dsp.h"

namespace gen {

// The raw sound of a catalogue stem ("ac_kick_p", "tp_low" ...), `frames`
// long. Levels are relative within an instrument's dynamic group; the
// caller finishes and normalises. Empty for an unknown stem.
Buffer synthesise(std::string_view stem, std::size_t frames);

// The instrument a stem belongs to for normalisation: the stem without its
// dynamic marking ("ac_snare_ghost" -> "ac_snare"), else the stem itself.
std::string levelGroup(std::string_view stem);

}  // namespace gen
