#pragma once
// Which edits enter the undo history, and how.

#include "engine/model/edit_command.h"

namespace orbi {

enum class UndoRule {
  None,        // mute edits: never a snapshot, the redo history stays
  Continuous,  // drags: one snapshot for a run of edits less than 450 ms apart
  Snapshot,    // one snapshot per edit
};

// Edits of a continuous rule closer together than this share one snapshot.
inline constexpr double kCoalesceWindowMs = 450.0;
// The oldest snapshot goes when the undo history grows beyond this.
inline constexpr std::size_t kUndoDepth = 32;

UndoRule undoRuleOf(const ob::EditCommand& command);

}  // namespace orbi
