#include "editor/undo_rule.h"

namespace orbi {

namespace {

// Step fields a drag moves; the others are toggles and choices.
bool isContinuousStepField(int subField) {
  switch (subField) {
    case ob::kStepVelocity:
    case ob::kStepNote:
    case ob::kStepLengthTicks:
    case ob::kStepMicro:
    case ob::kStepRetrigCount:
    case ob::kStepVelCurve:
    case ob::kStepRandVel:
    case ob::kStepRandTime:
    case ob::kStepRandPan:
    case ob::kStepPanValue: return true;
    default: return false;
  }
}

}  // namespace

UndoRule undoRuleOf(const ob::EditCommand& command) {
  switch (command.kind) {
    case ob::kEditMuteTrack:
    case ob::kEditMuteMask: return UndoRule::None;
    case ob::kEditSoundParam:
    case ob::kEditSetStepLock:
    case ob::kEditTrackGain:
    case ob::kEditTrackPan:
    case ob::kEditBpm:
    case ob::kEditPatternSwing:
    case ob::kEditMacroValue:
    case ob::kEditStepRandom:
    case ob::kEditLfoRate:
    case ob::kEditLfoDepth:
    case ob::kEditAccent:
    case ob::kEditTrackSwing:
    // Sent on every moved frame of a drag as well: breathing amounts, macro
    // targets, the loop tab, zone dividers and velocity routes.
    case ob::kEditTrackRandom:
    case ob::kEditMacroDest:
    case ob::kEditTrackLength:
    case ob::kEditZoneVelMax:
    case ob::kEditVelocityDest: return UndoRule::Continuous;
    case ob::kEditStepField:
      return isContinuousStepField(command.param) ? UndoRule::Continuous : UndoRule::Snapshot;
    default: return UndoRule::Snapshot;
  }
}

}  // namespace orbi
