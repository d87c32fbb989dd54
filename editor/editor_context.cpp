#include "editor/editor_context.h"

#include "editor/editor_clipboard.h"

namespace orbi {

std::int32_t EditorContext::selectedStep() {
  const std::int32_t track = selectedTrack(), cell = selectedCell();
  if (!isStepIndex(cell) || !isTrackIndex(track)) return -1;
  const ob::Pattern& part = project().patterns[selectedPart()];
  if (track >= part.numTracks) return -1;
  return part.tracks[track].steps[cell].active ? cell : -1;
}

}  // namespace orbi
