#pragma once
// Loads one state again and again, as a host restoring a session or a user
// browsing presets does, and reports the memory the loads leave behind.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/clap_host/render.h"
#include "tools/clap_host/test_host.h"

namespace orbi::host {

// When the loads come: before activation, while active with processing
// stopped, while processing has started but no block comes (a host paused
// without stopping it), or between blocks while the transport plays.
enum class ReloadWhen : std::uint8_t { Inactive, Stopped, Paused, Playing };

// "inactive", "stopped", "paused" or "playing"; false for anything else.
bool parseReloadWhen(const std::string& text, ReloadWhen& when);

struct ReloadRequest {
  int times = 0;
  ReloadWhen when = ReloadWhen::Inactive;
  // Between two loads the host's main thread runs this long (and the
  // transport plays this long while Playing).
  double secondsBetween = 1.0;
};

// Loads the state request.times times, each time through `load`, and
// prints how resident memory went. The instance is inactive for Inactive
// and active otherwise; Stopped stops its processing for the loads and
// starts it again after them; Paused plays a while, then calls no process
// until the loads are done.
using StateLoad = std::function<bool(std::string& error)>;
bool reloadState(Instance& instance, const StateLoad& load, const ReloadRequest& request,
                 const RenderRequest& play, std::string& error);

}  // namespace orbi::host
