#include "editor/editor_clipboard.h"

#include <algorithm>

#include "editor/editor_context.h"
#include "engine/model/edit_command.h"

namespace orbi {

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
  const std::int32_t step = context_.selectedStep();
  if (!isStepIndex(step)) {
    copyTrack(clipboard, part().tracks, track);
    return;
  }
  clipboard.step = part().tracks[track].steps[step];
  clipboard.kind = ClipboardKind::Step;
}

void EditActions::paste() {
  const EditorClipboard& clipboard = context_.clipboard();
  const std::int32_t step = context_.selectedStep();
  if (clipboard.kind == ClipboardKind::Empty) return;
  if (clipboard.kind == ClipboardKind::Step && !isStepIndex(step)) return;
  const int track = selectedTrack();
  if (track < 0) return;
  context_.pushUndo();
  if (clipboard.kind == ClipboardKind::Step)
    part().tracks[track].steps[step] = clipboard.step;
  else
    pasteTrack(clipboard, part().tracks, track);
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
  const std::int32_t step = context_.selectedStep();
  const int track = selectedTrack();
  if (track < 0 || !isStepIndex(step)) return;
  context_.pushUndo();
  part().tracks[track].steps[step] = ob::Step{};
  commitSteps();
}

void EditActions::clear() {
  if (isStepIndex(context_.selectedStep()))
    clearStep();
  else
    clearTrack();
}

}  // namespace orbi
