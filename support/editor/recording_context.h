#pragma once
// An editor context over a bare engine host that records what a page asks
// of it: the commands it applies (also applied to the project), snapshots,
// posts, publishes and auditions. Undo restores the newest snapshot.

#include <cstdint>
#include <memory>
#include <vector>

#include "editor/editor_clipboard.h"
#include "editor/editor_context.h"
#include "editor/undo_history.h"
#include "engine/model/edit_command.h"
#include "engine/session/engine_host.h"

namespace orbi::test {

class RecordingContext final : public EditorContext {
 public:
  RecordingContext() : host_(EngineHost::create()) {}

  ob::Project& project() override { return host_->project; }
  EngineHost& host() override { return *host_; }
  ob::SamplePool& samplePool() override { return host_->pool; }
  EditorClipboard& clipboard() override { return clipboard_; }
  UndoHistory& undoHistory() override { return undo_; }
  std::int32_t selectedPart() const override { return 0; }
  std::int32_t selectedTrack() const override { return track; }
  std::int32_t selectedStep() const override { return -1; }
  std::int32_t selectedSound() const override { return -1; }
  void setSelectedTrack(std::int32_t t) override {
    track = t;
    order.push_back(kSelectTrack);
  }
  void setSelectedStep(std::int32_t) override {}
  void selectPart(std::int32_t) override {}
  void apply(ob::EditCommand& command) override {
    commands.push_back(command);
    order.push_back(command.kind);
    ob::applyEditCommand(host_->project, command);
  }
  void pushUndo() override { undo_.push(host_->project); }
  void pushUndoCoalesced() override { undo_.push(host_->project); }
  void commitProject(bool) override { ++commits; }
  void publishSamples() override {
    ++publishes;
    host_->publishSamples();
  }
  void toggleMute(std::int32_t) override {}
  void audition(const ob::Sound& sound, float, float) override { auditions.push_back(sound); }
  void refresh() override {}
  void benchChanged() override {}

  // The newest snapshot back over the project; false when there is none.
  bool undo() {
    if (undo_.empty()) return false;
    host_->project = undo_.back();
    undo_.pop_back();
    return true;
  }

  static constexpr int kSelectTrack = 1000;  // in order, beside command kinds
  std::int32_t track = 0;
  std::vector<ob::EditCommand> commands;
  std::vector<int> order;
  int commits = 0;
  int publishes = 0;
  std::vector<ob::Sound> auditions;

 private:
  std::unique_ptr<EngineHost> host_;
  EditorClipboard clipboard_;
  UndoHistory undo_;
};

}  // namespace orbi::test
