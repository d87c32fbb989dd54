#pragma once
// The bench controller over a stand-in for the root view: the demo project
// in a real engine host, edits applied to the editor copy as the root view
// applies them, and everything else the controller asks of the view
// counted (snapshots, posts, publishes, auditions, bench changes).

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "editor/bench/bench_controller.h"
#include "editor/editor_context.h"
#include "editor/undo_history.h"
#include "editor/widgets/bench/bench_page.h"
#include "engine/model/demo_project.h"
#include "engine/params/param_tables.h"
#include "engine/pool/sample_pool.h"
#include "engine/session/engine_host.h"

namespace orbi::test {

struct Audition {
  ob::Sound sound;
  float level = 0.0f;
  float gain = 0.0f;
};

class FakeEditorContext : public EditorContext {
 public:
  FakeEditorContext() : host_(EngineHost::create()) { reset(); }

  // The demo project, track 0, no step, nothing counted.
  void reset() {
    ob::buildDemoProject(host_->project);
    track = 0;
    step = -1;
    commands.clear();
    auditions.clear();
    undo.clear();
    snapshots = coalescedSnapshots = commits = publishes = benchChanges = 0;
  }

  ob::Project& project() override { return host_->project; }
  EngineHost& host() override { return *host_; }
  ob::SamplePool& samplePool() override { return host_->pool; }
  EditorClipboard& clipboard() override { std::abort(); }  // the bench never copies
  UndoHistory& undoHistory() override { return undo; }
  std::int32_t selectedPart() const override { return 0; }
  std::int32_t selectedTrack() const override { return track; }
  std::int32_t selectedStep() const override { return step; }
  std::int32_t selectedSound() const override {
    const ob::Pattern& p = host_->project.patterns[0];
    return track >= 0 && track < p.numTracks ? p.tracks[track].soundIndex : -1;
  }
  void setSelectedTrack(std::int32_t t) override { track = t; }
  void setSelectedStep(std::int32_t s) override { step = s; }
  void selectPart(std::int32_t) override {}
  void apply(ob::EditCommand& command) override {
    command.pattern = 0;
    ob::applyEditCommand(host_->project, command);
    commands.push_back(command);
  }
  void pushUndo() override {
    ++snapshots;
    undo.push(host_->project);
  }
  void pushUndoCoalesced() override { ++coalescedSnapshots; }
  void commitProject(bool) override { ++commits; }
  void publishSamples() override { ++publishes; }
  void toggleMute(std::int32_t t) override {
    const ob::Pattern& p = host_->project.patterns[0];
    if (t < 0 || t >= p.numTracks) return;
    ob::EditCommand c;
    c.kind = ob::kEditMuteTrack;
    c.track = static_cast<std::uint32_t>(t);
    c.value = (p.muteMask >> t) & 1u ? 0.0f : 1.0f;
    apply(c);
  }
  void audition(const ob::Sound& sound, float level, float gain) override {
    auditions.push_back({sound, level, gain});
  }
  void refresh() override {}
  void benchChanged() override { ++benchChanges; }

  ob::Pattern& pattern() { return host_->project.patterns[0]; }

  std::int32_t track = 0;
  std::int32_t step = -1;
  std::vector<ob::EditCommand> commands;
  std::vector<Audition> auditions;
  UndoHistory undo;
  int snapshots = 0;
  int coalescedSnapshots = 0;
  int commits = 0;
  int publishes = 0;
  int benchChanges = 0;

 private:
  std::unique_ptr<EngineHost> host_;
};

// The page and its controller wired as the root view wires them.
struct BenchRig {
  BenchRig() {
    bench.wire();
    bench.rebuild();
  }
  void reset() {
    context.reset();
    bench.rebuild();
  }
  ob::Pattern& pattern() { return context.pattern(); }
  ob::Sound& soundOf(int track) { return pattern().kit.sounds[pattern().tracks[track].soundIndex]; }
  // Turns track t's sound into a fresh sound of the machine, selects the
  // track and rebuilds.
  ob::Sound& selectMachine(int t, std::uint8_t machine) {
    ob::initSoundParams(soundOf(t), machine);
    context.track = t;
    bench.rebuild();
    return soundOf(t);
  }
  // A sine of the given length in pool slot `slot`, named in the table.
  void putSample(int slot, double seconds, const char* name = "tone") {
    ob::SampleAudio audio;
    audio.sampleRate = 44100.0;
    audio.left.resize(static_cast<std::size_t>(seconds * audio.sampleRate));
    for (std::size_t i = 0; i < audio.left.size(); ++i) audio.left[i] = 0.5f * std::sin(0.05f * static_cast<float>(i));
    context.samplePool().replaceSlot(static_cast<std::uint32_t>(slot), std::move(audio));
    ob::SampleSlotTable& table = context.project().samples;
    std::snprintf(table.slots[slot].name, sizeof table.slots[slot].name, "%s", name);
    table.count = std::max<std::uint8_t>(table.count, static_cast<std::uint8_t>(slot + 1));
  }

  FakeEditorContext context;
  BenchPage page;
  BenchController bench{context, page};
};

inline int drumParam(const char* key) { return ob::findParamIndex(ob::kMachineDrum, key); }
inline int samplerParam(const char* key) { return ob::findParamIndex(ob::kMachineSample, key); }

}  // namespace orbi::test
