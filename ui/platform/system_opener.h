#pragma once
// Opening web pages with the desktop's browser through xdg-open. The
// openers are children of the host: they are kept in one process-wide list
// and reaped without blocking on later ticks, so one that outlives its
// window does not linger as a zombie.

#include <cstddef>
#include <string_view>

namespace orbi::ui {

// Starts xdg-open on the target. Only web addresses ("http://" or
// "https://") are opened: anything else could start a program. False when
// the target is refused or xdg-open cannot be started.
bool openWithSystem(std::string_view target);

// Reaps the openers that have ended; returns how many still run.
std::size_t reapSystemOpeners();

}  // namespace orbi::ui
