#pragma once
// The factory samples every new instance decodes as it starts, decoded
// once a process (linked with -Wl,--wrap of the preload): each instance
// is given copies of them, held as its own, as much as it would hold had
// it decoded them itself.

namespace obsession {

// Once, before the first instance.
void decodeFactorySamplesOnce();

}  // namespace obsession
