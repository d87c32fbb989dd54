#pragma once
// The panels' context over the root view's editor context. Main thread.

#include <utility>

#include "editor/editor_context.h"
#include "editor/panel_context.h"
#include "editor/save_trial.h"

namespace orbi {

class PanelHost final : public PanelContext {
 public:
  explicit PanelHost(EditorContext& context) : context_(context) {}

  ob::Project& project() override { return context_.project(); }
  const ob::SamplePool& pool() override { return context_.samplePool(); }
  std::int32_t selectedPart() const override { return context_.selectedPart(); }
  std::int32_t selectedTrack() const override { return context_.selectedTrack(); }
  void apply(ob::EditCommand& command) override { context_.apply(command); }
  std::string saveRefusalAfter(std::span<const ob::EditCommand> edits) override {
    return orbi::saveRefusalAfter(context_, edits);
  }
  std::string saveRefusalWithKit(const ob::Pattern& kit,
                                 std::shared_ptr<const ob::KitFileKept> kitFile) override {
    return orbi::saveRefusalWithKit(context_, kit, std::move(kitFile));
  }
  void pushUndo() override { context_.pushUndo(); }
  void commitProject(bool keepPosition) override { context_.commitProject(keepPosition); }
  void kitComesIn() override {
    ob::ReplacedOwners kit;
    kit.kit = true;
    context_.markReplaced(kit);
  }
  std::shared_ptr<const ob::KitFileKept>& kitFileKept() override { return context_.keptDocument().kitFile; }
  void refresh() override { context_.refresh(); }

 private:
  EditorContext& context_;
};

}  // namespace orbi
