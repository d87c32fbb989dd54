#pragma once
// Host actions at set times of a render: a note on a key, or a state load,
// as a user plays and browses presets while the transport runs.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/clap_host/test_host.h"

namespace orbi::host {

struct TimedAction {
  double seconds = 0.0;
  int key = -1;           // a note-on at full velocity, or
  std::string statePath;  // a state to load
};

// "S:note=KEY" or "S:load=FILE"; false for anything else.
bool parseTimedAction(const std::string& text, TimedAction& action);

// The actions of a render, in time order, each done once between the
// blocks on either side of its time.
class Timeline {
 public:
  explicit Timeline(std::vector<TimedAction> actions);
  // After a block that ended `seconds` into the render: queues the notes and
  // loads the states that fall due before the next block, printing each load
  // with the memory the process then holds. False when a load fails.
  bool runDue(Instance& instance, double seconds, std::string& error);

 private:
  std::vector<TimedAction> actions_;
  std::size_t next_ = 0;
};

}  // namespace orbi::host
