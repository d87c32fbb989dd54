#pragma once
// What the editor knows that a user relies on after the host closed and
// opened its window again: the editor wrapper keeps one for the instance's
// life and hands it to each root view. What belongs to one window (the
// histories, the selection, the clipboard) stays with the view. Main
// thread.

#include <cstdint>

#include "editor/kits/kit_session.h"

namespace orbi {

struct EditorSession {
  // The engine host's state loads the editor has caught up with: a window
  // opened after a load made while none was open catches up as an open one
  // would have.
  std::uint32_t seenStateLoads = 0;
  KitSession kits;
};

}  // namespace orbi
