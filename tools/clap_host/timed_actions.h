#pragma once
// Host actions at set times of a render: a note on a key, a state load, as
// a user plays and browses presets while the transport runs, or a step of
// the instance's lifecycle, as a host stops, deactivates and restarts it.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/clap_host/test_host.h"

namespace orbi::host {

// What a host does to the instance at a time; the blocks after stop or
// deactivate, until start or activate, are not processed (silence).
enum class Lifecycle : std::uint8_t { None, Stop, Start, Deactivate, Activate, Memory };

struct TimedAction {
  double seconds = 0.0;
  int key = -1;                      // a note-on at full velocity, or
  std::string statePath;             // a state to load, or
  Lifecycle step = Lifecycle::None;  // a lifecycle step (Memory: print what is held)
};

// "S:note=KEY", "S:load=FILE", or "S:" followed by "stop", "start",
// "deactivate", "activate" or "memory"; false for anything else.
bool parseTimedAction(const std::string& text, TimedAction& action);

// The actions of a render, in time order, each done once between the
// blocks on either side of its time.
class Timeline {
 public:
  explicit Timeline(std::vector<TimedAction> actions);
  // After a block that ended `seconds` into the render (0: before the
  // first): queues the notes, loads the states and takes the lifecycle
  // steps that fall due before the next block, printing each load and
  // memory step with the memory the process then holds. False when a load
  // or a step fails.
  bool runDue(Instance& instance, double seconds, std::string& error);

 private:
  bool runStep(Instance& instance, Lifecycle step, double seconds, std::string& error);

  std::vector<TimedAction> actions_;
  std::size_t next_ = 0;
  int blocksSince_ = 0;  // blocks processed since the last lifecycle step
};

}  // namespace orbi::host
