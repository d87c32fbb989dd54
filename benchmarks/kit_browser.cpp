// The kit browser's disk and comparison work: the modified answer after an
// edit (one kit text of the part), and a rescan and a step over a library
// folder of 200 kit files.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "content/kits/kit_library.h"
#include "editor/kits/kit_browser.h"
#include "engine/model/edit_command.h"
#include "engine/model/project.h"
#include "engine/params/param_tables.h"

namespace {

namespace fs = std::filesystem;

// A root view that only keeps the project.
class BenchRoot : public orbi::PanelContext {
 public:
  BenchRoot() : project_(ob::makeProject()) {
    ob::Pattern& part = project_->patterns[0];
    part.numTracks = 8;
    for (int t = 0; t < ob::kMaxTracks; ++t) {
      ob::initSoundParams(part.kit.sounds[t], t % ob::kMachineTypeCount);
      part.tracks[t].soundIndex = static_cast<std::int8_t>(t);
    }
  }
  ob::Project& project() override { return *project_; }
  const ob::SamplePool& pool() override { return pool_; }
  std::int32_t selectedPart() const override { return 0; }
  std::int32_t selectedTrack() const override { return 0; }
  void apply(ob::EditCommand& command) override { ob::applyEditCommand(*project_, command); }
  std::string saveRefusalAfter(std::span<const ob::EditCommand>) override { return {}; }
  std::string saveRefusalWithKit(const ob::Pattern&, std::shared_ptr<const ob::KitFileKept>) override {
    return {};
  }
  void pushUndo() override {}
  void commitProject(bool) override {}
  void kitComesIn() override {}
  std::shared_ptr<const ob::KitFileKept>& kitFileKept() override { return kitFile_; }
  void refresh() override {}

 private:
  std::unique_ptr<ob::Project> project_;
  std::shared_ptr<const ob::KitFileKept> kitFile_;
  ob::SamplePool pool_;
};

// A folder of kit files written by the library, removed at the end.
class Library {
 public:
  explicit Library(int count)
      : path_(fs::temp_directory_path() / ("orbi-bench-kits-" + std::to_string(::getpid()))) {
    fs::create_directories(path_);
    BenchRoot source;
    ob::Pattern& part = source.project().patterns[0];
    for (int i = 0; i < count; ++i) {
      const std::string name = "Kit " + std::to_string(i);
      ob::setKitName(part.kit, name);
      ob::setKitTags(part.kit, "bench, generated");
      ob::KitLibrary::saveKitFile(ob::kitPathToUtf8(path_ / (name + ".kit.orbi")), part, nullptr);
    }
  }
  ~Library() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

void BM_IsModifiedAfterAnEdit(benchmark::State& state) {
  BenchRoot root;
  orbi::KitSession session;
  orbi::KitBrowser browser(root, session);
  browser.markClean();
  std::uint64_t revision = 0;
  ob::EditCommand edit;
  edit.kind = ob::kEditSoundParam;
  edit.param = 2;
  for (auto _ : state) {
    edit.value = static_cast<float>(revision % 100) / 100.0f;
    ob::applyEditCommand(root.project(), edit);
    benchmark::DoNotOptimize(browser.isModified(++revision));
  }
}
BENCHMARK(BM_IsModifiedAfterAnEdit)->Unit(benchmark::kMicrosecond);

void BM_RescanOf200KitFiles(benchmark::State& state) {
  const Library library(200);
  BenchRoot root;
  orbi::KitSession session;
  orbi::KitBrowser browser(root, session);
  session.folder = library.path();
  for (auto _ : state) {
    browser.rescan();
    benchmark::DoNotOptimize(browser.entries.data());
  }
  state.counters["entries"] = static_cast<double>(browser.entries.size());
}
BENCHMARK(BM_RescanOf200KitFiles)->Unit(benchmark::kMillisecond);

void BM_StepKitOver200KitFiles(benchmark::State& state) {
  const Library library(200);
  BenchRoot root;
  orbi::KitSession session;
  orbi::KitBrowser browser(root, session);
  session.folder = library.path();
  for (auto _ : state) browser.stepKit(+1);
}
BENCHMARK(BM_StepKitOver200KitFiles)->Unit(benchmark::kMillisecond);

}  // namespace
