#include "tools/clap_host/timed_actions.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "tools/clap_host/resident_memory.h"

namespace orbi::host {

bool parseTimedAction(const std::string& text, TimedAction& action) {
  const std::size_t colon = text.find(':');
  const std::size_t equals = text.find('=', colon);
  if (colon == std::string::npos || equals == std::string::npos) return false;
  const std::string when = text.substr(0, colon);
  const std::string what = text.substr(colon + 1, equals - colon - 1);
  const std::string value = text.substr(equals + 1);
  char* end = nullptr;
  action.seconds = std::strtod(when.c_str(), &end);
  if (when.empty() || *end != '\0' || !std::isfinite(action.seconds) || action.seconds < 0.0) return false;
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
  for (; next_ < actions_.size() && actions_[next_].seconds <= seconds; ++next_) {
    const TimedAction& action = actions_[next_];
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
    std::printf("%.3f s: loaded %s, resident %.1f MiB\n", seconds, action.statePath.c_str(),
                mebibytes(residentMemory().now));
  }
  return true;
}

}  // namespace orbi::host
