#pragma once
// How the editor's pages and controllers reach the project: the editor-side
// copy, the engine host, the selection, edits with undo, whole-project
// posts and the audition. The root view is its one implementation. Main
// thread only.

#include <cstdint>
#include <string_view>

#include "document/project/kept_let_go.h"
#include "editor/said_list.h"
#include "editor/status_kind.h"
#include "engine/engine/output_gains.h"
#include "engine/model/edit_command.h"
#include "engine/model/project.h"

namespace ob {
class SamplePool;
struct KeptDocument;
}  // namespace ob

namespace orbi {

struct EngineHost;
struct EditorClipboard;
class UndoHistory;

class EditorContext {
 public:
  virtual ~EditorContext() = default;

  virtual ob::Project& project() = 0;
  virtual EngineHost& host() = 0;
  virtual ob::SamplePool& samplePool() = 0;
  // What the last document load kept for the next save.
  virtual ob::KeptDocument& keptDocument() = 0;
  virtual EditorClipboard& clipboard() = 0;
  virtual UndoHistory& undoHistory() = 0;

  virtual std::int32_t selectedPart() const = 0;
  virtual std::int32_t selectedTrack() const = 0;
  // The selected hit: the step last chosen while it holds a hit of the
  // selected track, else -1 (the base sound). Read from the project each
  // time, so that whatever takes the hit away (an undo, a clear, a kit)
  // leaves the bench on the base, and whatever brings it back (a redo, a
  // paste) finds it selected again.
  std::int32_t selectedStep();
  // The step last chosen, hit or not, -1 none: what copy, paste and Delete
  // act on.
  virtual std::int32_t selectedCell() const = 0;
  // The selected track's sound in the kit, -1 for none (also when the
  // selected track is no track).
  virtual std::int32_t selectedSound() const = 0;
  // Stored as given; readers treat an index outside the part as none.
  // Every change of track comes here, and forgets the step chosen: a step
  // belongs to the track it was chosen on, and kept, the bench would open
  // on a lock of the new track's step instead of its base sound.
  virtual void setSelectedTrack(std::int32_t track) = 0;
  virtual void setSelectedStep(std::int32_t step) = 0;
  virtual void selectPart(std::int32_t part) = 0;

  // Applies the edit to the editor copy and queues it for the engine, with
  // an undo snapshot by the command's rule. The pattern index is set here.
  virtual void apply(ob::EditCommand& command) = 0;
  // A snapshot before an edit that does not travel as a command.
  virtual void pushUndo() = 0;
  // The same, shared by edits less than 450 ms apart (a marker drag).
  virtual void pushUndoCoalesced() = 0;
  // Posts the whole editor copy to the engine.
  virtual void commitProject(bool keepPosition) = 0;
  // The edit under way puts something in an owner's place wholesale (a
  // kit, a pasted hit), which its commit lets what was kept with that owner
  // go with (ob::letGoOnEdit).
  virtual void markReplaced(const ob::ReplacedOwners& replaced) = 0;
  // Hands the audio side a fresh snapshot after the sample pool changed.
  virtual void publishSamples() = 0;
  virtual void toggleMute(std::int32_t track) = 0;
  // Renders the sound once at the level (its velocity), over the next
  // frames' render budget, and then plays it through the preview, each side
  // of the output at its gain; a later audition replaces one not yet heard.
  virtual void audition(const ob::Sound& sound, float level, ob::OutputGains gains) = 0;
  // Brings the selection back inside the project and rebuilds the pages.
  virtual void refresh() = 0;
  // Called after parameter, track, step, sample-slot and chop edits.
  virtual void benchChanged() = 0;
  // The one way what the editor says, on its status line or a page's own,
  // reaches the host's log: once, unless it is news of what was simply
  // done (see StatusKind).
  virtual void tellHost(std::string_view text, StatusKind kind) = 0;
  // The header's status line says the text, with its whole one hover
  // away; the host's log hears the whole.
  virtual void sayOnStatusLine(SaidLine said, StatusKind kind) = 0;
};

}  // namespace orbi
