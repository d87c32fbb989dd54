#include "tools/clap_host/timed_actions.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "tools/clap_host/resident_memory.h"

namespace orbi::host {

namespace {

Lifecycle lifecycleStep(const std::string& word) {
  static const std::pair<const char*, Lifecycle> steps[] = {{"stop", Lifecycle::Stop},
                                                            {"start", Lifecycle::Start},
                                                            {"deactivate", Lifecycle::Deactivate},
                                                            {"activate", Lifecycle::Activate},
                                                            {"memory", Lifecycle::Memory}};
  for (const auto& [name, step] : steps)
    if (word == name) return step;
  return Lifecycle::None;
}

// Prints what the process holds after `what`, `seconds` into the render.
void printResident(double seconds, const std::string& what) {
  std::printf("%.3f s: %s, resident %.1f MiB\n", seconds, what.c_str(), mebibytes(residentMemory().now));
}

}  // namespace

bool parseTimedAction(const std::string& text, TimedAction& action) {
  const std::size_t colon = text.find(':');
  if (colon == std::string::npos) return false;
  const std::string when = text.substr(0, colon);
  char* end = nullptr;
  action.seconds = std::strtod(when.c_str(), &end);
  if (when.empty() || *end != '\0' || !std::isfinite(action.seconds) || action.seconds < 0.0) return false;
  const std::size_t equals = text.find('=', colon);
  if (equals == std::string::npos) {
    action.step = lifecycleStep(text.substr(colon + 1));
    return action.step != Lifecycle::None;
  }
  const std::string what = text.substr(colon + 1, equals - colon - 1);
  const std::string value = text.substr(equals + 1);
  if (what == "load") {
    action.statePath = value;
    return !value.empty();
  }
  if (what != "note") return false;
  const long key = std::strtol(value.c_str(), &end, 10);
  if (value.empty() || *end != '\0' || key < 0 || key > 127) return false;
  action.key = static_cast<int>(key);
  return true;
}

Timeline::Timeline(std::vector<TimedAction> actions) : actions_(std::move(actions)) {
  std::stable_sort(actions_.begin(), actions_.end(),
                   [](const TimedAction& a, const TimedAction& b) { return a.seconds < b.seconds; });
}

bool Timeline::runDue(Instance& instance, double seconds, std::string& error) {
  if (seconds > 0.0 && instance.processing()) ++blocksSince_;
  for (; next_ < actions_.size() && actions_[next_].seconds <= seconds; ++next_) {
    const TimedAction& action = actions_[next_];
    if (action.step != Lifecycle::None) {
      if (!runStep(instance, action.step, seconds, error)) return false;
      continue;
    }
    if (action.key >= 0) {
      clap_event_note_t note{};
      note.header.size = sizeof note;
      note.header.type = CLAP_EVENT_NOTE_ON;
      note.note_id = -1;
      note.key = static_cast<std::int16_t>(action.key);
      note.velocity = 1.0;
      instance.queueEvent(&note);
      continue;
    }
    if (!instance.loadStateFile(action.statePath, error)) return false;
    printResident(seconds, "loaded " + action.statePath);
  }
  return true;
}

bool Timeline::runStep(Instance& instance, Lifecycle step, double seconds, std::string& error) {
  switch (step) {
    case Lifecycle::Stop: instance.stopProcessing(); break;
    case Lifecycle::Start:
      if (!instance.startProcessing()) error = "the plug-in did not start processing";
      break;
    case Lifecycle::Deactivate: instance.deactivate(); break;
    case Lifecycle::Activate:
      if (!instance.active() && !instance.reactivate()) error = "the plug-in did not activate";
      break;
    case Lifecycle::Memory:
      printResident(seconds, "after " + std::to_string(blocksSince_) + " blocks");
      break;
    case Lifecycle::None: break;
  }
  blocksSince_ = 0;
  return error.empty();
}

}  // namespace orbi::host
