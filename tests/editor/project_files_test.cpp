// Opening and saving project files from the editor, and the names it
// saves under.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "editor/project_files.h"
#include "editor_rig.h"

namespace orbi::test {
namespace project_files_test {

namespace fs = std::filesystem;

std::vector<char> fileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ProjectFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / ("orbi-editor-files-" + std::to_string(::getpid()) + "-" +
                                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder);
    rig.frames(1);
  }
  void TearDown() override { fs::remove_all(folder); }
  float& firstParam() { return rig.project().patterns[0].kit.sounds[rig.view().selectedSound()].params[0]; }

  fs::path folder;
  EditorRig rig;
};

TEST(ProjectSuffix, ReplacesOnlyTheLastExtension) {
  struct Case {
    const char* given;
    const char* saved;
  };
  for (const Case c :
       {Case{"beat", "beat.project.orbi"}, Case{"beat.json", "beat.project.orbi"},
        Case{"a.b.c", "a.b.project.orbi"}, Case{".hidden", ".hidden.project.orbi"},
        Case{"kit.PROJECT.ORBI", "kit.PROJECT.project.orbi"}, Case{"x.project.orbi", "x.project.orbi"}}) {
    SCOPED_TRACE(c.given);
    EXPECT_EQ(withProjectSuffix(fs::path("/some/dir") / c.given), fs::path("/some/dir") / c.saved);
  }
  EXPECT_EQ(fileNameOf("/a/b/song.project.orbi"), "song.project.orbi");
}

TEST_F(ProjectFiles, SaveChangeOpenGivesTheSavedProject) {
  rig.activate();
  firstParam() = 0.31f;
  ASSERT_TRUE(rig.view().saveProject(folder / "song"));
  EXPECT_EQ(rig.view().statusText(), "Saved song.project.orbi");
  EXPECT_FALSE(rig.view().statusError());
  ASSERT_TRUE(fs::exists(folder / "song.project.orbi"));

  ob::EditCommand c = soundParamEdit(0.9f);
  rig.view().apply(c);
  rig.view().setSelectedStep(3);
  ASSERT_FALSE(rig.view().undoHistory().empty());
  const std::uint64_t revision = rig.view().revision();

  ASSERT_TRUE(rig.view().openProject(folder / "song.project.orbi"));
  EXPECT_EQ(rig.view().statusText(), "Opened song.project.orbi");
  EXPECT_FALSE(rig.view().statusError());
  EXPECT_FLOAT_EQ(firstParam(), 0.31f);
  EXPECT_TRUE(rig.view().undoHistory().empty());
  EXPECT_TRUE(rig.view().redoHistory().empty());
  EXPECT_EQ(rig.view().selectedStep(), -1);
  EXPECT_GT(rig.view().revision(), revision);
  rig.audioBlock();
  EXPECT_TRUE(sameBytes(rig.engineHost().engine.project(), rig.project()));

  // What was opened saves to the same bytes.
  ASSERT_TRUE(rig.view().saveProject(folder / "again.project.orbi"));
  EXPECT_EQ(fileBytes(folder / "again.project.orbi"), fileBytes(folder / "song.project.orbi"));
}

TEST_F(ProjectFiles, AFailedOpenChangesNothing) {
  std::ofstream(folder / "bad.project.orbi", std::ios::binary) << "{ not a project";
  struct Case {
    const char* name;
    const char* reason;  // what the reason starts with; empty: any
  };
  for (const Case c : {Case{"bad.project.orbi", ""}, Case{"missing.project.orbi", "cannot open "}}) {
    SCOPED_TRACE(c.name);
    ob::EditCommand edit = soundParamEdit(0.55f);
    rig.view().apply(edit);
    const ob::Project before = rig.project();
    const std::size_t undo = rig.view().undoHistory().size();
    EXPECT_FALSE(rig.view().openProject(folder / c.name));
    const std::string prefix = std::string("Could not open ") + c.name + ": ";
    ASSERT_EQ(rig.view().statusText().rfind(prefix, 0), 0u) << rig.view().statusText();
    EXPECT_EQ(rig.view().statusText().rfind(prefix + c.reason, 0), 0u) << rig.view().statusText();
    EXPECT_GT(rig.view().statusText().size(), prefix.size());
    EXPECT_TRUE(rig.view().statusError());
    EXPECT_TRUE(sameBytes(rig.project(), before));
    EXPECT_EQ(rig.view().undoHistory().size(), undo);
    rig.frames(30);
  }
}

TEST_F(ProjectFiles, AFailedSaveLeavesTheOldFile) {
  // A name so long that the temporary beside it cannot be made.
  const fs::path target = folder / (std::string(250 - 13, 'n') + ".project.orbi");
  std::ofstream(target, std::ios::binary) << "an older project";
  const std::vector<char> old = fileBytes(target);
  firstParam() = 0.77f;
  const std::uint64_t revision = rig.view().revision();
  EXPECT_FALSE(rig.view().saveProject(target));
  EXPECT_EQ(rig.view().statusText().rfind("Could not save " + target.filename().string() + ": ", 0), 0u);
  EXPECT_TRUE(rig.view().statusError());
  EXPECT_EQ(fileBytes(target), old);
  EXPECT_EQ(rig.view().revision(), revision);
}

}  // namespace project_files_test
}  // namespace orbi::test
