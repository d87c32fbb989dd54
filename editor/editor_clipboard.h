#pragma once
// Copy, paste and clear on the editor's selection: the chosen step, hit or
// not, when there is one, else the selected track's sixteen steps. A step
// whose hit went stays chosen, so that copy, clear and paste round trip and
// a second Delete clears nothing more. Only step records
// travel; the track's sound, length and modulators stay where they are.
// Paste and clear take an undo snapshot, write the editor copy and post it.

#include <cstdint>

#include "engine/model/project.h"
#include "engine/params/param_info.h"

namespace orbi {

class EditorContext;

enum class ClipboardKind : std::uint32_t { Empty, Step, Track };

struct EditorClipboard {
  ClipboardKind kind = ClipboardKind::Empty;
  ob::Step step;                       // kind Step
  ob::Step steps[ob::kStepsPerTrack];  // kind Track
  // The machine whose parameter indices the locks hold: that of the copied
  // track's sound, the drum's for a track without one, which plays as a
  // drum. A paste onto another machine moves them to the same parameters
  // by key; those it lacks go, said on the status line.
  std::int32_t machine = ob::kMachineDrum;
};

void copyTrack(EditorClipboard& clipboard, const ob::Track* tracks, int track);
void pasteTrack(const EditorClipboard& clipboard, ob::Track* tracks, int track);

// The selection as the actions read it: a track outside 0..7 or a step
// outside 0..15 counts as none.
bool isTrackIndex(std::int32_t track);
bool isStepIndex(std::int32_t step);

class EditActions {
 public:
  explicit EditActions(EditorContext& context) : context_(context) {}

  // The chosen step, or the selected track without one.
  void copy();
  // A copied step lands only on a chosen step; a copied track lands on the
  // selected track whatever step is chosen.
  void paste();
  void clearTrack();
  void clearStep();
  // Delete: the chosen step, or the whole track without one.
  void clear();

 private:
  ob::Pattern& part();
  // The selected track when it is one of the part's tracks, else -1.
  int selectedTrack();
  // After steps were written: a groove edit like any step command, then the
  // whole project posted.
  void commitSteps();

  EditorContext& context_;
};

}  // namespace orbi
