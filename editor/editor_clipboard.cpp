#include "editor/editor_clipboard.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "editor/editor_context.h"
#include "editor/gone_report.h"
#include "engine/model/edit_command.h"
#include "engine/model/machine_change.h"

namespace orbi {

namespace {

// The machine the track plays: its sound's, the drum's for a track
// without one.
std::int32_t machineOfTrack(const ob::Pattern& part, std::int32_t track) {
  const int s = part.tracks[track].soundIndex;
  return s >= 0 && s < ob::kMaxTracks ? part.kit.sounds[s].machine : ob::kMachineDrum;
}

std::string soundName(const ob::Pattern& part, std::int32_t track) {
  const int s = part.tracks[track].soundIndex;
  if (s < 0 || s >= ob::kMaxTracks) return "track " + std::to_string(track + 1);
  const ob::Sound& sound = part.kit.sounds[s];
  return std::string(sound.name, strnlen(sound.name, sizeof sound.name));
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
  const bool one = clipboard.kind == ClipboardKind::Step;
  const int first = one ? step : 0;
  const int count = one ? 1 : ob::kStepsPerTrack;
  ob::Step* pasted = part().tracks[track].steps + first;
  std::copy_n(one ? &clipboard.step : clipboard.steps, count, pasted);
  // Locks and random depths of parameters the sound lacks go, said.
  const std::int32_t machine = machineOfTrack(part(), track);
  std::vector<ob::GoneRef> gone;
  ob::listStepParamsGone(pasted, count, clipboard.machine, machine, track, first, gone);
  ob::followStepParams(pasted, count, clipboard.machine, machine);
  // What a load kept with the steps pasted over goes with them.
  ob::ReplacedOwners replaced;
  for (int s = first; s < first + count; ++s) replaced.steps.push_back({track, s});
  context_.markReplaced(replaced);
  commitSteps();
  if (SaidLine said = goneReport("The paste onto " + soundName(part(), track), "which its machine lacks",
                                 goneNames(gone, part().kit));
      !said.text.empty())
    context_.sayOnStatusLine(std::move(said), StatusKind::Changed);
}

void EditActions::clearTrack() {
  const int track = selectedTrack();
  if (track < 0) return;
  context_.pushUndo();
  for (ob::Step& step : part().tracks[track].steps) std::construct_at(&step);
  commitSteps();
}

void EditActions::clearStep() {
  const std::int32_t step = context_.selectedCell();
  const int track = selectedTrack();
  if (track < 0 || !isStepIndex(step)) return;
  context_.pushUndo();
  std::construct_at(&part().tracks[track].steps[step]);
  commitSteps();
}

void EditActions::clear() {
  if (isStepIndex(context_.selectedCell()))
    clearStep();
  else
    clearTrack();
}

}  // namespace orbi
