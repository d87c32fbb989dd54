#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <cerrno>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tests/ui/fake_programs.h"
#include "ui/context.h"
#include "ui/dialogs/file_dialog_pump.h"
#include "ui/dialogs/file_dialog_queue.h"
#include "ui/dialogs/in_editor_chooser.h"

namespace orbi::ui {
namespace file_chooser_test {

using test::FakePrograms;
using Args = std::vector<std::string>;

constexpr ImGuiID kId = 0x5A17u;

FileDialogRequest openWav() {
  return {FileDialogKind::Open, "Load a WAV sample", {{"WAV audio", {"wav"}}}, "/data/samples", "", false};
}

FileDialogRequest openSeveral() {
  return {FileDialogKind::Open, "", {{"Audio", {"wav", "aif"}}, {"All", {}}}, "", "", true};
}

FileDialogRequest saveProject() {
  return {FileDialogKind::Save, "Save project", {{"Project", {"project.orbi"}, {"orbi"}}},
          "/home/u/projects",   "Untitled",     false};
}

FileDialogRequest chooseFolder() {
  return {FileDialogKind::Folder, "Kit folder", {{"Kits", {"kit.orbi"}}}, "/k", "", false};
}

// A window's context and pump, driven without frames: the process choosers
// need none.
struct Surface {
  UiContext ui;
  std::optional<FileDialogPump> pump{std::in_place};

  FileDialogQueue& queue() { return fileDialogQueue(ui); }

  // Files the request and pumps until its result arrives (10 s at most).
  std::optional<FileDialogResult> run(const FileDialogRequest& request) {
    EXPECT_TRUE(queue().request(kId, request));
    std::optional<FileDialogResult> result;
    test::eventually([&] {
      pump->pump(&ui);
      result = queue().take(kId);
      return result.has_value();
    });
    return result;
  }
};

// The result of the request from a chooser program that prints and exits
// as told.
std::optional<FileDialogResult> answeredBy(const std::string& program, const std::string& printed, int exit,
                                           const FileDialogRequest& request = openWav()) {
  FakePrograms fakes;
  fakes.install(program);
  fakes.answer(program, printed, exit);
  Surface surface;
  return surface.run(request);
}

struct ArgumentCase {
  const char* name;
  FileDialogRequest request;
  Args zenity;
  Args kdialog;
};

void PrintTo(const ArgumentCase& c, std::ostream* out) { *out << c.name; }

class ChooserArguments : public testing::TestWithParam<ArgumentCase> {};

TEST_P(ChooserArguments, FollowTheRequest) {
  const ArgumentCase& c = GetParam();
  for (const char* program : {"zenity", "kdialog"}) {
    SCOPED_TRACE(program);
    FakePrograms fakes;
    fakes.install(program);
    fakes.answer(program, "", 1);
    Surface surface;
    ASSERT_TRUE(surface.run(c.request));
    EXPECT_EQ(fakes.arguments(program), std::string(program) == "zenity" ? c.zenity : c.kdialog);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ChooserArguments,
    testing::Values(
        ArgumentCase{"open",
                     openWav(),
                     {"--file-selection", "--title=Load a WAV sample", "--filename=/data/samples/",
                      "--file-filter=WAV audio | *.[wW][aA][vV]"},
                     {"--title", "Load a WAV sample", "--getopenfilename", "/data/samples/",
                      "*.[wW][aA][vV]|WAV audio"}},
        ArgumentCase{"multiple",
                     openSeveral(),
                     {"--file-selection", "--multiple", "--separator=\n",
                      "--file-filter=Audio | *.[wW][aA][vV] *.[aA][iI][fF]", "--file-filter=All | *.*"},
                     {"--multiple", "--separate-output", "--getopenfilename", "",
                      "*.[wW][aA][vV] *.[aA][iI][fF]|Audio\n*.*|All"}},
        ArgumentCase{"save",
                     saveProject(),
                     {"--file-selection", "--title=Save project", "--save", "--confirm-overwrite",
                      "--filename=/home/u/projects/Untitled", "--file-filter=Project | *.project.orbi"},
                     {"--title", "Save project", "--getsavefilename", "/home/u/projects/Untitled",
                      "*.project.orbi|Project"}},
        ArgumentCase{"folder",
                     chooseFolder(),
                     {"--file-selection", "--title=Kit folder", "--directory", "--filename=/k/"},
                     {"--title", "Kit folder", "--getexistingdirectory", "/k/"}}),
    [](const testing::TestParamInfo<ArgumentCase>& info) { return std::string(info.param.name); });

TEST(ChooserPrograms, ExitCodesGiveTheStatus) {
  struct Case {
    int exit;
    std::string printed;
    FileDialogStatus status;
  };
  for (const Case& c :
       {Case{0, "/s/kick.wav\n", FileDialogStatus::Chosen}, Case{1, "", FileDialogStatus::Cancelled},
        Case{1, "/s/kick.wav\n", FileDialogStatus::Cancelled}}) {
    SCOPED_TRACE(testing::Message() << "exit " << c.exit << " printing '" << c.printed << "'");
    const std::optional<FileDialogResult> result = answeredBy("zenity", c.printed, c.exit);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, c.status);
    if (c.status == FileDialogStatus::Chosen)
      EXPECT_EQ(result->paths, Args{"/s/kick.wav"});
    else
      EXPECT_TRUE(result->paths.empty());
  }
}

// A program that started but neither chose nor cancelled (not runnable in
// this session, a crash, an answer without a path) says so on standard
// error, and the next chooser is shown.
TEST(ChooserPrograms, AProgramThatFailsGivesWayToTheNext) {
  struct Case {
    const char* name;
    int exit;
    int signal;  // 0: exits
    std::string printed;
    const char* logged;
  };
  for (const Case& c : {Case{"exit 127", 127, 0, "", "showing the file dialog failed (0x0000007f)"},
                        Case{"exit 5 with a path", 5, 0, "/s/kick.wav\n", "showing the file dialog failed"},
                        Case{"killed", 0, SIGKILL, "", "showing the file dialog failed (0x00000009)"},
                        Case{"ended by a signal after printing", 0, SIGTERM, "/s/kick.wav\n",
                             "showing the file dialog failed (0x0000000f)"},
                        Case{"nothing chosen", 0, 0, "\n\n", "reading the chosen path failed"}}) {
    SCOPED_TRACE(c.name);
    FakePrograms fakes;
    fakes.install("zenity");
    fakes.answer("zenity", c.printed, c.exit);
    if (c.signal != 0) fakes.dieBy("zenity", c.signal);
    fakes.install("kdialog");
    fakes.answer("kdialog", "/s/snare.wav\n", 0);
    Surface surface;
    testing::internal::CaptureStderr();
    const std::optional<FileDialogResult> result = surface.run(openWav());
    const std::string said = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, FileDialogStatus::Chosen);
    EXPECT_EQ(result->paths, Args{"/s/snare.wav"});
    EXPECT_EQ(fakes.runs("zenity"), 1);
    EXPECT_EQ(fakes.runs("kdialog"), 1);
    EXPECT_NE(said.find(c.logged), std::string::npos) << said;
  }
  // Both fail: the in-editor chooser is shown.
  FakePrograms fakes;
  for (const char* program : {"zenity", "kdialog"}) {
    fakes.install(program);
    fakes.answer(program, "", 127);
  }
  Surface surface;
  ASSERT_TRUE(surface.queue().request(kId, openWav()));
  testing::internal::CaptureStderr();
  FileChooserSession* session = nullptr;
  EXPECT_TRUE(test::eventually([&] {
    surface.pump->pump(&surface.ui);
    return (session = activeFileChooser(surface.ui)) != nullptr;
  }));
  testing::internal::GetCapturedStderr();
  ASSERT_NE(session, nullptr);
  EXPECT_EQ(session->request.title, "Load a WAV sample");
  EXPECT_TRUE(surface.queue().busy());
  EXPECT_FALSE(surface.queue().take(kId));
  EXPECT_EQ(fakes.runs("kdialog"), 1);
}

TEST(ChooserPrograms, SeveralPathsComeBackInTheirOrder) {
  for (const char* program : {"zenity", "kdialog"}) {
    SCOPED_TRACE(program);
    const std::optional<FileDialogResult> result =
        answeredBy(program, "/s/b snare.wav\n/s/a kick.WAV\n/s/c hat.wav\n", 0, openSeveral());
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, FileDialogStatus::Chosen);
    EXPECT_EQ(result->paths, (Args{"/s/b snare.wav", "/s/a kick.WAV", "/s/c hat.wav"}));
  }
}

TEST(ChooserPrograms, ASingleChoiceKeepsTheFirstPath) {
  const std::optional<FileDialogResult> result = answeredBy("zenity", "/s/one.wav\n/s/two.wav\n", 0);
  ASSERT_TRUE(result);
  EXPECT_EQ(result->paths, Args{"/s/one.wav"});
}

// The name is completed to the file the save writes: kept whole, with the
// default extension after it unless it ends so in any case; only an
// ending of the filter's family gives way.
TEST(ChooserPrograms, ASavedNameIsCompletedToTheDefaultExtension) {
  struct Case {
    std::string printed, expected;
  };
  for (const Case& c :
       {Case{"/p/Groove\n", "/p/Groove.project.orbi"}, Case{"/p/Groove.orbi\n", "/p/Groove.project.orbi"},
        Case{"/p/my.song\n", "/p/my.song.project.orbi"},
        Case{"/p/Backup 1.5\n", "/p/Backup 1.5.project.orbi"},
        Case{"/p/x.project.orbi\n", "/p/x.project.orbi"}, Case{"/p/X.Project.ORBI\n", "/p/X.Project.ORBI"},
        Case{"/p.d/Groove\n", "/p.d/Groove.project.orbi"}}) {
    SCOPED_TRACE(c.printed);
    const std::optional<FileDialogResult> result = answeredBy("kdialog", c.printed, 0, saveProject());
    ASSERT_TRUE(result);
    EXPECT_EQ(result->paths, Args{c.expected});
  }
  // Without a pattern there is nothing to complete to.
  FileDialogRequest request = saveProject();
  request.filters = {{"Anything", {}}};
  const std::optional<FileDialogResult> result = answeredBy("zenity", "/p/Groove\n", 0, request);
  ASSERT_TRUE(result);
  EXPECT_EQ(result->paths, Args{"/p/Groove"});
}

// A name the program took that cannot be saved is put right in the editor.
TEST(ChooserPrograms, ANameThatCannotBeSavedIsPutRightInTheEditor) {
  FakePrograms fakes;
  fakes.install("zenity");
  fakes.answer("zenity", (fakes.dir() / "...").string() + "\n", 0);
  Surface surface;
  ASSERT_TRUE(surface.queue().request(kId, saveProject()));
  FileChooserSession* session = nullptr;
  ASSERT_TRUE(test::eventually([&] {
    surface.pump->pump(&surface.ui);
    return (session = activeFileChooser(surface.ui)) != nullptr;
  }));
  EXPECT_FALSE(session->notice.empty());
  EXPECT_EQ(session->name, "....project.orbi");
}

// The program asked about replacing the name typed; "Groove.project.orbi"
// is what would be written, and the in-editor chooser asks about that.
TEST(ChooserPrograms, ASavedNameThatTheExtensionMakesAnExistingFileIsConfirmedInTheEditor) {
  for (const bool replace : {true, false}) {
    for (const char* typed : {"Groove", "Groove.orbi"}) {
      SCOPED_TRACE(testing::Message() << (replace ? "replace " : "back out ") << typed);
      FakePrograms fakes;
      const std::filesystem::path existing = fakes.dir() / "Groove.project.orbi";
      test::writeWhole(existing, "{}");
      fakes.install("zenity");
      fakes.answer("zenity", (fakes.dir() / typed).string() + "\n", 0);
      Surface surface;
      ASSERT_TRUE(surface.queue().request(kId, saveProject()));
      FileChooserSession* session = nullptr;
      ASSERT_TRUE(test::eventually([&] {
        surface.pump->pump(&surface.ui);
        session = activeFileChooser(surface.ui);
        return session != nullptr;
      }));
      EXPECT_FALSE(surface.queue().take(kId));
      EXPECT_TRUE(surface.queue().busy());
      EXPECT_EQ(session->replacing, existing.string());
      EXPECT_EQ(session->folder, fakes.dir());
      EXPECT_EQ(session->name, "Groove.project.orbi");
      if (replace)
        confirmReplace(*session);
      else
        cancelChoice(*session);
      surface.pump->pump(&surface.ui);
      const std::optional<FileDialogResult> result = surface.queue().take(kId);
      ASSERT_TRUE(result);
      EXPECT_EQ(result->status, replace ? FileDialogStatus::Chosen : FileDialogStatus::Cancelled);
      EXPECT_EQ(result->paths, replace ? Args{existing.string()} : Args{});
    }
  }
}

TEST(ChooserPrograms, AMissingProgramFallsToTheNext) {
  {
    FakePrograms fakes;
    fakes.install("kdialog");
    fakes.answer("kdialog", "/s/kick.wav\n", 0);
    Surface surface;
    const std::optional<FileDialogResult> result = surface.run(openWav());
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, FileDialogStatus::Chosen);
    EXPECT_TRUE(fakes.ran("kdialog"));
  }
  {
    FakePrograms fakes;  // neither installed: the in-editor chooser
    Surface surface;
    ASSERT_TRUE(surface.queue().request(kId, openWav()));
    surface.pump->pump(&surface.ui);
    FileChooserSession* session = activeFileChooser(surface.ui);
    ASSERT_NE(session, nullptr);
    EXPECT_EQ(session->request.title, "Load a WAV sample");
    EXPECT_TRUE(surface.queue().busy());
    cancelChoice(*session);
    surface.pump->pump(&surface.ui);
    const std::optional<FileDialogResult> result = surface.queue().take(kId);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, FileDialogStatus::Cancelled);
  }
}

// Found but not executable: posix_spawnp answers EACCES, as it does for a
// PATH entry that cannot be searched.
TEST(ChooserPrograms, AProgramThatCannotStartGivesWayToTheNextAndTheInEditorChooserIsLast) {
  for (const bool kdialogStarts : {true, false}) {
    SCOPED_TRACE(kdialogStarts ? "kdialog starts" : "neither starts");
    FakePrograms fakes;
    fakes.install("zenity");
    chmod((fakes.dir() / "zenity").c_str(), 0644);
    fakes.install("kdialog");
    fakes.answer("kdialog", "/s/kick.wav\n", 0);
    if (!kdialogStarts) chmod((fakes.dir() / "kdialog").c_str(), 0644);
    Surface surface;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(surface.queue().request(kId, openWav()));
    surface.pump->pump(&surface.ui);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("starting the file chooser failed (0x0000000d)"), std::string::npos) << said;
    if (kdialogStarts) {
      std::optional<FileDialogResult> result;
      test::eventually([&] {
        surface.pump->pump(&surface.ui);
        result = surface.queue().take(kId);
        return result.has_value();
      });
      ASSERT_TRUE(result);
      EXPECT_EQ(result->status, FileDialogStatus::Chosen);
      EXPECT_EQ(activeFileChooser(surface.ui), nullptr);
    } else {
      EXPECT_FALSE(fakes.ran("kdialog"));
      ASSERT_NE(activeFileChooser(surface.ui), nullptr);
      EXPECT_TRUE(surface.queue().busy());
    }
  }
}

bool processGone(pid_t pid) {
  errno = 0;
  const bool notOurs = waitpid(pid, nullptr, WNOHANG) < 0 && errno == ECHILD;
  return notOurs && kill(pid, 0) < 0 && errno == ESRCH;
}

// Starts a chooser that runs until it is killed; its process id.
std::optional<pid_t> startHangingChooser(FakePrograms& fakes, Surface& surface) {
  fakes.install("zenity");
  fakes.hang("zenity");
  EXPECT_TRUE(surface.queue().request(kId, openWav()));
  surface.pump->pump(&surface.ui);
  return fakes.pid("zenity");
}

TEST(ChooserPrograms, ClosingTheWindowEndsARunningChooserAndDeliversNothing) {
  FakePrograms fakes;
  Surface surface;
  const std::optional<pid_t> pid = startHangingChooser(fakes, surface);
  ASSERT_TRUE(pid);
  surface.pump->pump(&surface.ui);
  EXPECT_TRUE(surface.pump->choosing());
  EXPECT_EQ(kill(*pid, 0), 0);

  surface.pump.reset();
  EXPECT_TRUE(processGone(*pid));
  EXPECT_FALSE(surface.queue().take(kId));
}

// The host may ignore SIGCHLD, which reaps children before we can.
class IgnoredSigchld : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(sigaction(SIGCHLD, &ignore_, &saved_), 0); }
  void TearDown() override { sigaction(SIGCHLD, &saved_, nullptr); }

 private:
  struct sigaction ignore_ = [] {
    struct sigaction a {};
    a.sa_handler = SIG_IGN;
    return a;
  }();
  struct sigaction saved_ {};
};

TEST_F(IgnoredSigchld, WhatWasPrintedDecides) {
  struct Case {
    std::string printed;
    int exit;
    FileDialogStatus status;
  };
  for (const Case& c :
       {Case{"/s/kick.wav\n", 0, FileDialogStatus::Chosen}, Case{"", 1, FileDialogStatus::Cancelled}}) {
    SCOPED_TRACE(c.printed);
    const std::optional<FileDialogResult> result = answeredBy("zenity", c.printed, c.exit);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, c.status);
  }
  // Closing the window still ends a running chooser.
  FakePrograms fakes;
  Surface surface;
  const std::optional<pid_t> pid = startHangingChooser(fakes, surface);
  ASSERT_TRUE(pid);
  surface.pump.reset();
  EXPECT_TRUE(processGone(*pid));
}

TEST(ChooserPrograms, TheChildHoldsNoneOfTheHostsDescriptors) {
  FakePrograms fakes;
  // Lists its open descriptors instead of paths.
  test::writeWhole(fakes.dir() / "zenity", "#!/bin/sh\nexec /bin/ls /proc/self/fd\n");
  chmod((fakes.dir() / "zenity").c_str(), 0755);
  // A descriptor of the host's that is not close-on-exec.
  const int leaked = 200;
  ASSERT_EQ(::dup2(STDERR_FILENO, leaked), leaked);
  Surface surface;
  const std::optional<FileDialogResult> result = surface.run(openSeveral());
  ::close(leaked);
  ASSERT_TRUE(result);
  ASSERT_EQ(result->status, FileDialogStatus::Chosen);
  EXPECT_FALSE(result->paths.empty());
  for (const std::string& fd : result->paths) EXPECT_NE(fd, std::to_string(leaked));
}

}  // namespace file_chooser_test
}  // namespace orbi::ui
