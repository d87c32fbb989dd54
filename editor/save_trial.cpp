#include "editor/save_trial.h"

#include <memory>
#include <utility>

#include "document/project/kept_let_go.h"
#include "document/project/project_save.h"
#include "editor/editor_context.h"
#include "engine/model/pattern_copy.h"

namespace orbi {
namespace {

// What the instance keeps, with the records and the kit's file's of a
// trial in their place until it ends: measured where a save finds them.
class LentKept {
 public:
  LentKept(ob::KeptDocument& kept, ob::SharedKeptRecords records, std::shared_ptr<const ob::KitFileKept> kit)
      : kept_(kept), records_(std::move(records)), kit_(std::move(kit)) {
    swap();
  }
  ~LentKept() { swap(); }
  LentKept(const LentKept&) = delete;
  LentKept& operator=(const LentKept&) = delete;

 private:
  void swap() {
    std::swap(kept_.records, records_);
    std::swap(kept_.kitFile, kit_);
  }
  ob::KeptDocument& kept_;
  ob::SharedKeptRecords records_;
  std::shared_ptr<const ob::KitFileKept> kit_;
};

}  // namespace

std::string saveRefusalAfter(EditorContext& context, std::span<const ob::EditCommand> edits) {
  auto trial = std::make_unique<ob::Project>(context.project());
  for (ob::EditCommand edit : edits) {
    edit.pattern = static_cast<std::uint8_t>(context.selectedPart());
    ob::applyEditCommand(*trial, edit);
  }
  return ob::measureSave(*trial, context.samplePool(), context.keptDocument()).why;
}

std::string saveRefusalWithKit(EditorContext& context, const ob::Pattern& kit,
                               std::shared_ptr<const ob::KitFileKept> kitFile) {
  auto trial = std::make_unique<ob::Project>(context.project());
  ob::copyPatternIntoProject(*trial, kit);
  ob::KeptDocument& kept = context.keptDocument();
  // What the kit takes the place of goes with what was kept with it.
  ob::ReplacedOwners replaced;
  replaced.kit = true;
  const LentKept lent(
      kept, ob::letGoOnEdit(kept.records, context.project(), *trial, replaced, kept.keysAsLoaded).kept,
      std::move(kitFile));
  return ob::measureSave(*trial, context.samplePool(), kept).why;
}

}  // namespace orbi
