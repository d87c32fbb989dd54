#include "editor/save_trial.h"

#include <memory>

#include "document/project/project_save.h"
#include "editor/editor_context.h"

namespace orbi {

std::string saveRefusalAfter(EditorContext& context, std::span<const ob::EditCommand> edits) {
  auto trial = std::make_unique<ob::Project>(context.project());
  for (ob::EditCommand edit : edits) {
    edit.pattern = static_cast<std::uint8_t>(context.selectedPart());
    ob::applyEditCommand(*trial, edit);
  }
  return ob::measureSave(*trial, context.samplePool(), context.keptDocument()).why;
}

}  // namespace orbi
