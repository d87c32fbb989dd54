#include "tools/clap_host/reload.h"

#include <cstdio>

#include "tools/clap_host/resident_memory.h"

namespace orbi::host {

namespace {

constexpr double kTimerStepMs = 10.0;

const char* whenName(ReloadWhen when) {
  switch (when) {
    case ReloadWhen::Inactive: return "inactive";
    case ReloadWhen::Stopped: return "active and stopped";
    case ReloadWhen::Paused: return "paused, processing started";
    case ReloadWhen::Playing: return "playing";
  }
  return "?";
}

// Lets the host's clock run, firing the plug-in's timers as they fall due.
void idle(Instance& instance, double seconds) {
  for (double ms = 0.0; ms < seconds * 1000.0; ms += kTimerStepMs) instance.runMainThread(kTimerStepMs);
}

}  // namespace

bool parseReloadWhen(const std::string& text, ReloadWhen& when) {
  if (text == "inactive")
    when = ReloadWhen::Inactive;
  else if (text == "stopped")
    when = ReloadWhen::Stopped;
  else if (text == "paused")
    when = ReloadWhen::Paused;
  else if (text == "playing")
    when = ReloadWhen::Playing;
  else
    return false;
  return true;
}

bool reloadState(Instance& instance, const StateLoad& load, const ReloadRequest& request,
                 const RenderRequest& play, std::string& error) {
  RenderRequest between = play;
  between.seconds = request.secondsBetween;
  if (request.when == ReloadWhen::Stopped || request.when == ReloadWhen::Paused)
    // A host stops or pauses an instance it has played.
    renderBlocks(instance, between, [](const Instance&, std::uint32_t) { return true; });
  if (request.when == ReloadWhen::Stopped) instance.stopProcessing();
  const Resident before = residentMemory();
  for (int i = 0; i < request.times; ++i) {
    if (!load(error)) return false;
    if (request.when == ReloadWhen::Playing)
      renderBlocks(instance, between, [](const Instance&, std::uint32_t) { return true; });
    else
      idle(instance, request.secondsBetween);
  }
  const Resident after = residentMemory();
  std::printf("%d loads while %s: resident %.1f MiB before, %.1f MiB after (%+.1f MiB), peak %.1f MiB\n",
              request.times, whenName(request.when), mebibytes(before.now), mebibytes(after.now),
              mebibytes(after.now) - mebibytes(before.now), mebibytes(after.peak));
  if (request.when == ReloadWhen::Stopped) instance.startProcessing();
  return true;
}

}  // namespace orbi::host
