#pragma once
// One plug-in instance as a host holds it: made by the factory with the
// editor the module gives it, its calls made through the CLAP tables, its
// state streamed from and into files as a host keeps its sessions, and its
// editor's view created and destroyed as gui.create and gui.destroy do,
// without a window, its frames run by the headless UI harness when a
// question must be answered.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "support/plugin/state_harness.h"

namespace orbi {
class EditorView;
namespace ui {
class UiHarness;
}
}  // namespace orbi

namespace obsession {

class Outside;

class Hosted {
 public:
  // The host's own files are written past the faults `outside` puts on the
  // plug-in.
  explicit Hosted(Outside& outside);
  ~Hosted();
  Hosted(const Hosted&) = delete;
  Hosted& operator=(const Hosted&) = delete;

  ob::clap::Plugin& plugin() { return *instance_->self; }
  orbi::EngineHost& engineHost() { return instance_->engineHost(); }
  statetest::FakeHost& host() { return host_; }
  const clap_plugin_t* clap() { return instance_->clap; }

  // gui.create and gui.destroy; the view while the editor is open.
  bool openEditor();
  void closeEditor();
  orbi::EditorView* view();

  // The host's state load from a file, read in pieces of `piece` bytes.
  bool loadState(const std::filesystem::path& file, std::size_t piece);
  // The host's state save into a file, written in pieces of at most
  // `piece` bytes.
  bool saveState(const std::filesystem::path& file, std::size_t piece);
  // The main-thread pass a host's timer or callback runs.
  void pass();

  // Frames of the editor until its question shows, then the key or click
  // that answers it; false when none was asked.
  bool answer(std::string_view how);
  // The frames a host draws between a user's actions while the editor is
  // open, so that it follows what the host did.
  void frame();

  // The host log lines since the last call.
  std::vector<std::string> takeLog();
  // What the editor's status line said since the last call (its
  // "editor-status" lines), whoever took the log.
  std::vector<std::string> takeSaid();

 private:
  orbi::ui::UiHarness& harness();

  Outside& outside_;
  statetest::FakeHost host_;
  std::unique_ptr<statetest::Instance> instance_;
  std::unique_ptr<orbi::ui::UiHarness> harness_;
  // The items of the last frame that asked nothing.
  std::unordered_set<std::uint32_t> quietItems_;
  std::vector<std::string> said_;
};

}  // namespace obsession
