#pragma once
// Frames for the editor shell's panel tests: a stand-in root view that
// records every call the panels make of it, and a headless harness with
// pointer gestures, keys and typing.

#include <imgui.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "editor/kits/kit_browser.h"
#include "editor/macros/macro_panel.h"
#include "engine/model/edit_command.h"
#include "engine/model/project.h"
#include "engine/params/param_info.h"
#include "engine/params/param_tables.h"
#include "support/ui/ui_harness.h"
#include "ui/context.h"
#include "ui/draw/draw_log.h"
#include "ui/imgui_internals.h"
#include "ui/keys.h"

namespace orbi::test {

// The root view as the panels see it: the project, the selection, the
// commands applied (and their effect), the snapshots, posts and refreshes.
class FakeRoot : public PanelContext {
 public:
  FakeRoot() : project_(ob::makeProject()) {}

  ob::Project& project() override { return *project_; }
  const ob::SamplePool& pool() override { return samples; }
  std::int32_t selectedPart() const override { return part; }
  std::int32_t selectedTrack() const override { return track; }
  void apply(ob::EditCommand& command) override {
    command.pattern = static_cast<std::uint8_t>(part);
    sent.push_back(command);
    ob::applyEditCommand(*project_, command);
  }
  std::string saveRefusalAfter(std::span<const ob::EditCommand>) override { return saveRefusal; }
  std::string saveRefusalWithKit(const ob::Pattern&, std::shared_ptr<const ob::KitFileKept>) override {
    return saveRefusal;
  }
  void pushUndo() override { snapshots.push_back(std::make_unique<ob::Project>(*project_)); }
  void commitProject(bool keepPosition) override { commits.push_back(keepPosition); }
  void kitComesIn() override {}
  std::shared_ptr<const ob::KitFileKept>& kitFileKept() override { return kitFile; }
  void refresh() override { ++refreshes; }

  ob::Pattern& pattern() { return project_->patterns[0]; }
  // Gives track t a fresh sound of the machine, named, at kit slot t.
  void addTrack(std::uint8_t machine, const char* name) {
    ob::Pattern& p = pattern();
    const int t = p.numTracks++;
    ob::initSoundParams(p.kit.sounds[t], machine);
    ob::copyText(p.kit.sounds[t].name, name);
    p.tracks[t].soundIndex = static_cast<std::int8_t>(t);
  }
  std::vector<ob::EditCommand> sentOf(ob::EditKind kind) const {
    std::vector<ob::EditCommand> out;
    for (const ob::EditCommand& c : sent)
      if (c.kind == kind) out.push_back(c);
    return out;
  }

  int part = 0;
  int track = 0;
  ob::SamplePool samples;
  std::vector<ob::EditCommand> sent;
  std::vector<std::unique_ptr<ob::Project>> snapshots;
  std::vector<bool> commits;
  std::shared_ptr<const ob::KitFileKept> kitFile;
  int refreshes = 0;
  std::string saveRefusal;  // what every trial of an edit or a kit answers

 private:
  std::unique_ptr<ob::Project> project_;
};

class ShellRig {
 public:
  ShellRig() { harness.frame(); }

  void step() { harness.frame(body); }
  void steps(int n) { harness.frames(n, body); }
  void moveTo(ImVec2 p) {
    harness.movePointer(p);
    step();
  }
  void button(bool down, ImGuiMouseButton which = ImGuiMouseButton_Left) {
    harness.setButton(which, down);
    step();
  }
  // Waits out the double-click time, hovers the point, presses there.
  void pressAt(ImVec2 p) {
    steps(30);
    moveTo(p);
    button(true);
  }
  void clickAt(ImVec2 p, ImGuiMouseButton which = ImGuiMouseButton_Left) {
    moveTo(p);
    button(true, which);
    button(false, which);
  }
  void doubleClickAt(ImVec2 p) {
    steps(30);
    clickAt(p);
    clickAt(p);
  }
  void pressKey(ui::Key key) {
    harness.setKey(key, true);
    step();
    harness.setKey(key, false);
    step();
  }
  void type(std::string_view text) {
    harness.typeText(text);
    step();
  }
  // Every item registered under the id text in the last frame.
  std::vector<ui::Rect> items(std::string_view idText) const {
    std::vector<ui::Rect> areas;
    for (const ui::ItemRecord& item : harness.drawLog().items())
      if (item.idText == idText) areas.push_back(item.hitArea);
    return areas;
  }
  // The texts drawn in the last frame.
  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (const ui::DrawRecord& r : harness.drawLog().records())
      if (!r.text.empty()) out.push_back(r.text);
    return out;
  }
  // Runs fn with the rig's UI context current.
  template <class Fn>
  auto scoped(Fn fn) {
    ui::ContextScope scope(harness.ui());
    return fn();
  }
  bool drew(std::string_view text) const {
    for (const std::string& t : texts())
      if (t == text) return true;
    return false;
  }

  ui::UiHarness harness;
  std::function<void()> body;
};

inline ImVec2 centreOf(const ui::Rect& r) { return {r.x + r.width / 2.0f, r.y + r.height / 2.0f}; }

}  // namespace orbi::test
