#pragma once
// What the macros panel and the kit browser ask of the root view: the
// project and its samples, the selection, and edits with their undo snapshots and posts.
// Narrower than the editor context, so that the panels run without a whole
// editor around them. Main thread.

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "document/project/kept_document.h"
#include "engine/model/edit_command.h"
#include "engine/model/project.h"
#include "engine/pool/sample_pool.h"

namespace orbi {

class PanelContext {
 public:
  virtual ~PanelContext() = default;
  virtual ob::Project& project() = 0;
  // The samples the project's slots hold.
  virtual const ob::SamplePool& pool() = 0;
  virtual std::int32_t selectedPart() const = 0;
  virtual std::int32_t selectedTrack() const = 0;
  // Takes the undo snapshot by the command's rule, changes the project and
  // queues the command for the engine.
  virtual void apply(ob::EditCommand& command) = 0;
  // Why a save after the edits would be one its load refuses (save_trial.h);
  // empty when it would not.
  virtual std::string saveRefusalAfter(std::span<const ob::EditCommand> edits) = 0;
  // The same of the kit coming in, with what its file kept in place of the
  // last kit's.
  virtual std::string saveRefusalWithKit(const ob::Pattern& kit,
                                         std::shared_ptr<const ob::KitFileKept> kitFile) = 0;
  // A snapshot before an edit of the whole part.
  virtual void pushUndo() = 0;
  virtual void commitProject(bool keepPosition) = 0;
  // The next commit puts a kit in the part's place: what loads kept with
  // the voices, sounds and macros it replaces goes with them.
  virtual void kitComesIn() = 0;
  // What the file of the part's kit held that this build does not read,
  // which that kit's saves put back: the instance's (KeptDocument::kitFile).
  virtual std::shared_ptr<const ob::KitFileKept>& kitFileKept() = 0;
  virtual void refresh() = 0;
};

}  // namespace orbi
