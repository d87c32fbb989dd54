#include "editor/editor_clipboard.h"

#include <algorithm>

#include "editor/editor_context.h"
#include "engine/model/edit_command.h"
#include "engine/model/machine_change.h"

namespace orbi {

namespace {

std::int32_t machineOfTrack(const ob::Pattern& part, std::int32_t track) {
  const int s = part.tracks[track].soundIndex;
  return s >= 0 && s < ob::kMaxTracks ? part.kit.sounds[s].machine : -1;
}

}  // namespace

void copyTrack(EditorClipboard& clipboard, const ob::Track* tracks, int track) {
  std::copy_n(tracks[track].steps, ob::kStepsPerTrack, clipboard.steps);
  clipboard.kind = ClipboardKind::Track;
}

void pasteTrack(const EditorClipboard& clipboard, ob::Track* tracks, int track) {
  std::copy_n(clipboard.steps, ob::kStepsPerTrack, tracks[track].steps);
}

bool isTrackIndex(std::int32_t track) { return track >= 0 && track < ob::kMaxTracks; }
bool isStepIndex(std::int32_t step) { return step >= 0 && step < ob::kStepsPerTrack; }

ob::Pattern& EditActions::part() { return context_.project().patterns[context_.selectedPart()]; }

int EditActions::selectedTrack() {
  const std::int32_t track = context_.selectedTrack();
  return isTrackIndex(track) && track < part().numTracks ? track : -1;
}

void EditActions::commitSteps() {
  ob::markGrooveEdited(part());
  context_.commitProject(true);
  context_.refresh();
}

void EditActions::copy() {
  // Copying reads any of the eight tracks: a track beyond the part's count
  // holds default steps, which paste as a clear would.
  const std::int32_t track = context_.selectedTrack();
  if (!isTrackIndex(track)) return;
  EditorClipboard& clipboard = context_.clipboard();
  const std::int32_t step = context_.selectedCell();
  clipboard.machine = machineOfTrack(part(), track);
  if (!isStepIndex(step)) {
    copyTrack(clipboard, part().tracks, track);
    return;
  }
  clipboard.step = part().tracks[track].steps[step];
  clipboard.kind = ClipboardKind::Step;
}

void EditActions::paste() {
  const EditorClipboard& clipboard = context_.clipboard();
  const std::int32_t step = context_.selectedCell();
  if (clipboard.kind == ClipboardKind::Empty) return;
  if (clipboard.kind == ClipboardKind::Step && !isStepIndex(step)) return;
  const int track = selectedTrack();
  if (track < 0) return;
  context_.pushUndo();
  ob::Step* pasted = part().tracks[track].steps;
  int count = ob::kStepsPerTrack;
  if (clipboard.kind == ClipboardKind::Step) {
    pasted += step;
    count = 1;
    *pasted = clipboard.step;
  } else {
    pasteTrack(clipboard, part().tracks, track);
  }
  const std::int32_t machine = machineOfTrack(part(), track);
  if (clipboard.machine >= 0 && machine >= 0) ob::followStepParams(pasted, count, clipboard.machine, machine);
  commitSteps();
}

void EditActions::clearTrack() {
  const int track = selectedTrack();
  if (track < 0) return;
  context_.pushUndo();
  std::fill_n(part().tracks[track].steps, ob::kStepsPerTrack, ob::Step{});
  commitSteps();
}

void EditActions::clearStep() {
  const std::int32_t step = context_.selectedCell();
  const int track = selectedTrack();
  if (track < 0 || !isStepIndex(step)) return;
  context_.pushUndo();
  part().tracks[track].steps[step] = ob::Step{};
  commitSteps();
}

void EditActions::clear() {
  if (isStepIndex(context_.selectedCell()))
    clearStep();
  else
    clearTrack();
}

}  // namespace orbi
