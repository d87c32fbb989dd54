#pragma once
// A stand-in for the root view, for the tests of a page or controller
// without the editor around it: the project lives in a real engine host,
// and everything asked of the view is recorded rather than done. An
// applied command also changes the project (through the engine's own
// edit), so what the page reads back follows its edits; an undo snapshot
// keeps the project as it was; a publish reaches the host. Mute, undo
// and the rest are the root view's to do, and its own tests try them.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "document/project/kept_document.h"
#include "editor/editor_clipboard.h"
#include "editor/editor_context.h"
#include "editor/undo_history.h"
#include "engine/model/demo_project.h"
#include "engine/model/edit_command.h"
#include "engine/session/engine_host.h"

namespace orbi::test {

struct Audition {
  ob::Sound sound;
  float level = 0.0f;
  ob::OutputGains gains;
};

class FakeEditorContext final : public EditorContext {
 public:
  FakeEditorContext() : host_(EngineHost::create()) {}

  ob::Project& project() override { return host_->project; }
  EngineHost& host() override { return *host_; }
  ob::SamplePool& samplePool() override { return host_->pool; }
  ob::KeptDocument& keptDocument() override { return kept_; }
  EditorClipboard& clipboard() override { return clipboard_; }
  UndoHistory& undoHistory() override { return undo; }
  std::int32_t selectedPart() const override { return 0; }
  std::int32_t selectedTrack() const override { return track; }
  std::int32_t selectedCell() const override { return step; }
  std::int32_t selectedSound() const override {
    const ob::Pattern& p = host_->project.patterns[0];
    return track >= 0 && track < p.numTracks ? p.tracks[track].soundIndex : -1;
  }
  void setSelectedTrack(std::int32_t t) override {
    track = t;
    step = -1;
    order.push_back(kSelectTrack);
  }
  void setSelectedStep(std::int32_t s) override { step = s; }
  void selectPart(std::int32_t) override {}
  void apply(ob::EditCommand& command) override {
    command.pattern = 0;
    ob::applyEditCommand(host_->project, command);
    commands.push_back(command);
    order.push_back(command.kind);
  }
  void pushUndo() override {
    ++snapshots;
    undo.push(host_->project);
  }
  void pushUndoCoalesced() override {
    ++coalescedSnapshots;
    undo.push(host_->project);
  }
  void commitProject(bool) override { ++commits; }
  void markReplaced(const ob::ReplacedOwners&) override {}
  void publishSamples() override {
    ++publishes;
    host_->publishSamples();
  }
  void toggleMute(std::int32_t t) override { mutes.push_back(t); }
  void audition(const ob::Sound& sound, float level, ob::OutputGains gains) override {
    auditions.push_back({sound, level, gains});
  }
  void refresh() override {}
  void benchChanged() override {}
  void tellHost(std::string_view, StatusKind) override {}
  void sayOnStatusLine(SaidLine said, StatusKind) override { status = std::move(said); }

  // The demo project, track 0, no step, nothing recorded.
  void reset() {
    ob::buildDemoProject(host_->project);
    track = 0;
    step = -1;
    commands.clear();
    order.clear();
    mutes.clear();
    auditions.clear();
    undo.clear();
    snapshots = coalescedSnapshots = commits = publishes = 0;
    status = {};
  }

  // Stands for a track selection in `order`, beside the command kinds.
  static constexpr int kSelectTrack = 1000;

  std::int32_t track = 0;
  std::int32_t step = -1;
  std::vector<ob::EditCommand> commands;
  std::vector<int> order;  // command kinds and track selections, as they came
  std::vector<std::int32_t> mutes;
  std::vector<Audition> auditions;
  UndoHistory undo;  // the snapshots, oldest first
  int snapshots = 0;
  int coalescedSnapshots = 0;
  int commits = 0;
  int publishes = 0;
  SaidLine status;  // the last said on the status line

 private:
  std::unique_ptr<EngineHost> host_;
  ob::KeptDocument kept_;
  EditorClipboard clipboard_;
};

}  // namespace orbi::test
