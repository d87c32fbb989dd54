#pragma once
// Files dragged over the window, kept in its UI context. The platform's
// drop source writes it between frames (enter, move, leave, drop); drop
// zones read it during a frame; the end of each frame settles it. Main
// thread only.

#include <imgui.h>

#include <cfloat>
#include <cstdint>
#include <string>
#include <vector>

#include "ui/context.h"
#include "ui/store_map.h"

namespace orbi::ui {

// How the last drop that a frame offered ended.
enum class DropOutcome : std::uint8_t { Nothing, Taken, Ignored };

struct DropState {
  std::vector<std::string> paths;    // the dragged files, UTF-8
  ImVec2 point{-FLT_MAX, -FLT_MAX};  // pointer in window pixels
  bool over = false;                 // a drag is over the window
  bool dropped = false;              // the paths were dropped; offered to this frame's zones
  bool accepted = false;             // a zone matched the drag in the last finished frame
  bool acceptedNow = false;          // a zone has matched it in the current frame
  // Set when a frame ends a drop, for the source to report back; the source
  // resets it.
  DropOutcome outcome = DropOutcome::Nothing;

  // A drag came in; its paths may follow later, its point comes with the
  // first move.
  void enter();
  // The drag left, or its source went away.
  void leave();
};

inline constexpr std::uint32_t kDropStateKey = fourCc("DROP");

DropState& dropState(UiContext& ui);

}  // namespace orbi::ui
