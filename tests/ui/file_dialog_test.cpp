#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/scoped_env.h"
#include "support/ui/ui_harness.h"
#include "tests/ui/fake_programs.h"
#include "ui/dialogs/file_dialog.h"
#include "ui/dialogs/file_dialog_queue.h"
#include "ui/dialogs/in_editor_chooser.h"
#include "ui/imgui_internals.h"

namespace orbi::ui {
namespace file_dialog_test {

namespace fs = std::filesystem;
using test::FakePrograms;
using Paths = std::vector<std::string>;

// No chooser program on PATH: every request goes to the in-editor chooser.
class FileDialogs : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/orbi-chooser-XXXXXX";
    folder_ = mkdtemp(pattern);
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(folder_, fs::perms::owner_all, ec);
    fs::remove_all(folder_, ec);
  }

  void touch(const std::string& name) { test::writeWhole(folder_ / name, "x"); }

  FileDialogRequest openIn(const fs::path& folder, bool multiple = false) {
    return {FileDialogKind::Open, "Load", {{"WAV audio", {"wav"}}, {"Anything", {}}},
            folder.string(),      "",     multiple};
  }
  FileDialogRequest saveIn(const fs::path& folder) {
    return {FileDialogKind::Save, "Save", {{"Project", {"project.orbi"}, {"orbi"}}},
            folder.string(),      "",     false};
  }

  // Requests in a frame of its own; true when it was filed.
  bool request(const char* id, const FileDialogRequest& r) {
    bool filed = false;
    harness_.frame([&] { filed = requestFileDialog(id, r); });
    return filed;
  }
  std::optional<FileDialogResult> take(const char* id) {
    std::optional<FileDialogResult> result;
    harness_.frame([&] { result = takeFileDialogResult(id); });
    return result;
  }
  bool busy() {
    bool b = false;
    harness_.frame([&] { b = fileDialogBusy(); });
    return b;
  }
  FileChooserSession* session() { return activeFileChooser(harness_.ui()); }

  void press(Key key) {
    harness_.setKey(key, true);
    harness_.frame();
    harness_.setKey(key, false);
    harness_.frame();
  }

  FakePrograms noPrograms_;
  UiHarness harness_;
  fs::path folder_;
};

TEST_F(FileDialogs, ASecondRequestIsRefusedWhilePendingOrOpen) {
  bool first = false, second = false;
  harness_.frame([&] {
    first = requestFileDialog("samples.load", openIn(folder_));
    second = requestFileDialog("kits.folder", openIn(folder_));
  });
  EXPECT_TRUE(first);
  EXPECT_FALSE(second);  // refused while pending
  ASSERT_NE(session(), nullptr);
  EXPECT_EQ(session()->request.title, "Load");
  EXPECT_FALSE(request("kits.folder", saveIn(folder_)));  // refused while open
  EXPECT_EQ(session()->request.kind, FileDialogKind::Open);

  press(Key::Escape);
  EXPECT_TRUE(take("samples.load"));
  EXPECT_FALSE(take("kits.folder"));
}

TEST_F(FileDialogs, ARequestMadeWhileHiddenWaitsForADrawnFrame) {
  ImGuiID id = 0;
  harness_.frame([&] { id = ImGui::GetID("samples.load"); });
  // No frames are drawn while the window is hidden, and only the end of a
  // drawn frame pumps: the request waits however long that takes.
  ASSERT_TRUE(fileDialogQueue(harness_.ui()).request(id, openIn(folder_)));
  EXPECT_TRUE(fileDialogQueue(harness_.ui()).busy());
  EXPECT_EQ(session(), nullptr);
  harness_.frame();
  EXPECT_NE(session(), nullptr);
}

TEST_F(FileDialogs, ACancelledResultIsTakenOnce) {
  ASSERT_TRUE(request("samples.load", openIn(folder_)));
  harness_.frames(3);
  press(Key::Escape);
  EXPECT_EQ(session(), nullptr);
  const std::optional<FileDialogResult> result = take("samples.load");
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, FileDialogStatus::Cancelled);
  EXPECT_TRUE(result->paths.empty());
  EXPECT_FALSE(take("samples.load"));
}

TEST_F(FileDialogs, BusySpansRequestToDelivery) {
  EXPECT_FALSE(busy());
  bool busyInRequestFrame = false;
  harness_.frame([&] {
    requestFileDialog("samples.load", openIn(folder_));
    busyInRequestFrame = fileDialogBusy();
  });
  EXPECT_TRUE(busyInRequestFrame);
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(busy()) << "frame " << i;
  harness_.setKey(Key::Escape, true);
  bool busyInAnswerFrame = false;
  harness_.frame([&] { busyInAnswerFrame = fileDialogBusy(); });
  harness_.setKey(Key::Escape, false);
  EXPECT_TRUE(busyInAnswerFrame);  // delivered by the pump after this frame
  EXPECT_FALSE(busy());
}

TEST_F(FileDialogs, AResultNotTakenIsReplacedByTheNextUnderItsId) {
  ASSERT_TRUE(request("samples.load", openIn(folder_)));
  press(Key::Escape);
  touch("kick.wav");
  ASSERT_TRUE(request("samples.load", openIn(folder_)));
  ASSERT_NE(session(), nullptr);
  selectEntry(*session(), 0, false);
  acceptChoice(*session());
  harness_.frame();
  const std::optional<FileDialogResult> result = take("samples.load");
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, FileDialogStatus::Chosen);
  EXPECT_FALSE(take("samples.load"));
}

// The chooser starts where it is asked; asked for no folder, in the host's
// current directory. It reads no environment: the editor asks for home.
TEST_F(FileDialogs, TheChooserStartsInTheFolderAskedForElseTheCurrentOne) {
  ob::test::ScopedEnv home{"HOME"};
  home.set((folder_ / "home").string());
  fs::create_directory(folder_ / "home");
  fs::create_directory(folder_ / "asked");
  fs::create_directory(folder_ / "cwd");
  const fs::path previous = fs::current_path();
  fs::current_path(folder_ / "cwd");
  EXPECT_EQ(newChooserSession(openIn((folder_ / "asked").string()))->folder, folder_ / "asked");
  EXPECT_EQ(newChooserSession(openIn(""))->folder, folder_ / "cwd");
  fs::current_path(previous);
}

TEST_F(FileDialogs, TheChooserListsFoldersThenMatchingFiles) {
  for (const char* name : {"b.wav", "A.WAV", "notes.txt", "loop.wavx", ".hidden.wav"}) touch(name);
  fs::create_directory(folder_ / "drums");
  fs::create_directory(folder_ / ".cache");
  struct Case {
    std::vector<std::string> patterns;
    bool foldersOnly;
    std::vector<std::string> names;
  };
  for (const Case& c : {Case{{"wav"}, false, {"drums", "A.WAV", "b.wav"}},
                        Case{{}, false, {"drums", "A.WAV", "b.wav", "loop.wavx", "notes.txt"}},
                        Case{{"wav"}, true, {"drums"}}}) {
    SCOPED_TRACE(c.names.size());
    std::vector<std::string> names;
    for (const ChooserEntry& e : listFolder(folder_, c.patterns, c.foldersOnly)) names.push_back(e.name);
    EXPECT_EQ(names, c.names);
  }
}

TEST_F(FileDialogs, AnUnreadableFolderShowsEmpty) {
  touch("a-file");
  fs::create_directory(folder_ / "locked");
  test::writeWhole(folder_ / "locked" / "kick.wav", "x");
  fs::permissions(folder_ / "locked", fs::perms::none);
  const bool permissionsBind = geteuid() != 0;  // root reads any folder
  for (const fs::path& folder : {folder_ / "missing", folder_ / "a-file", folder_ / "locked"}) {
    SCOPED_TRACE(folder.string());
    if (folder.filename() == "locked" && !permissionsBind) continue;
    EXPECT_NO_THROW(EXPECT_TRUE(listFolder(folder, {}, false).empty()));
    ASSERT_TRUE(request("samples.load", openIn(folder)));
    ASSERT_NE(session(), nullptr);
    EXPECT_TRUE(session()->entries.empty());
    EXPECT_NO_THROW(harness_.frames(3));
    press(Key::Escape);
    EXPECT_TRUE(take("samples.load"));
  }
}

TEST_F(FileDialogs, OpeningChoosesTheSelectedFilesInListOrder) {
  for (const char* name : {"a.wav", "b.wav", "c.wav"}) touch(name);
  ASSERT_TRUE(request("samples.load", openIn(folder_, true)));
  FileChooserSession& s = *session();
  selectEntry(s, 2, false);
  selectEntry(s, 0, true);
  selectEntry(s, 1, true);
  selectEntry(s, 1, true);  // a second click takes it out again
  acceptChoice(s);
  harness_.frame();
  const std::optional<FileDialogResult> result = take("samples.load");
  ASSERT_TRUE(result);
  EXPECT_EQ(result->paths, (Paths{(folder_ / "a.wav").string(), (folder_ / "c.wav").string()}));
}

TEST_F(FileDialogs, AcceptingASelectedFolderEntersIt) {
  fs::create_directory(folder_ / "drums");
  touch("drums/kick.wav");
  ASSERT_TRUE(request("samples.load", openIn(folder_)));
  selectEntry(*session(), 0, false);
  acceptChoice(*session());
  EXPECT_EQ(session()->folder, folder_ / "drums");
  ASSERT_EQ(session()->entries.size(), 1u);
  EXPECT_EQ(session()->entries[0].name, "kick.wav");
  EXPECT_FALSE(session()->result);
}

TEST_F(FileDialogs, AFolderRequestChoosesTheSelectedOrTheShownFolder) {
  fs::create_directory(folder_ / "kits");
  FileDialogRequest request{FileDialogKind::Folder, "", {{"Kits", {"kit.orbi"}}},
                            folder_.string(),       "", false};
  ASSERT_TRUE(this->request("kits.folder", request));
  acceptChoice(*session());
  harness_.frame();
  std::optional<FileDialogResult> result = take("kits.folder");
  ASSERT_TRUE(result);
  EXPECT_EQ(result->paths, Paths{folder_.string()});

  ASSERT_TRUE(this->request("kits.folder", request));
  selectEntry(*session(), 0, false);
  acceptChoice(*session());
  harness_.frame();
  result = take("kits.folder");
  ASSERT_TRUE(result);
  EXPECT_EQ(result->paths, Paths{(folder_ / "kits").string()});
}

TEST_F(FileDialogs, SavingATypedNameAddsTheDefaultExtensionAndAsksBeforeReplacing) {
  ASSERT_TRUE(request("saveAs", saveIn(folder_)));
  harness_.frames(3);
  harness_.typeText("Groove");
  harness_.frame();
  EXPECT_EQ(session()->name, "Groove");
  press(Key::Enter);
  std::optional<FileDialogResult> result = take("saveAs");
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, FileDialogStatus::Chosen);
  EXPECT_EQ(result->paths, Paths{(folder_ / "Groove.project.orbi").string()});

  touch("Groove.project.orbi");
  // Any name that the extension makes "Groove.project.orbi" asks about it.
  for (const char* typed : {"Groove.orbi", "Groove.ORBI"}) {
    SCOPED_TRACE(typed);
    ASSERT_TRUE(request("saveAs", saveIn(folder_)));
    session()->name = typed;
    press(Key::Enter);
    ASSERT_NE(session(), nullptr);
    EXPECT_EQ(session()->replacing, (folder_ / "Groove.project.orbi").string());
    press(Key::Escape);
    press(Key::Escape);
    const std::optional<FileDialogResult> cancelled = take("saveAs");
    ASSERT_TRUE(cancelled);
    EXPECT_EQ(cancelled->status, FileDialogStatus::Cancelled);
  }
  ASSERT_TRUE(request("saveAs", saveIn(folder_)));
  session()->name = "Groove";
  press(Key::Enter);
  ASSERT_NE(session(), nullptr);
  EXPECT_EQ(session()->replacing, (folder_ / "Groove.project.orbi").string());
  press(Key::Escape);  // back to the name
  ASSERT_NE(session(), nullptr);
  EXPECT_TRUE(session()->replacing.empty());
  press(Key::Enter);
  press(Key::Enter);  // Return goes back to the name: it never replaces
  EXPECT_TRUE(session()->replacing.empty());
  press(Key::Enter);
  confirmReplace(*session());
  harness_.frame();
  result = take("saveAs");
  ASSERT_TRUE(result);
  EXPECT_EQ(result->paths, Paths{(folder_ / "Groove.project.orbi").string()});
}

// A project two folders away: its folder's path typed in the field (Enter
// shows it), or the file's own path, relative to the folder shown (Enter
// opens it); what names nothing stays typed.
TEST_F(FileDialogs, ThePathFieldGoesWhereEnterSends) {
  fs::create_directories(folder_ / "songs" / "live");
  touch("songs/live/Groove.project.orbi");
  struct Case {
    const char* name;
    FileDialogKind kind;
    std::string typed;
    fs::path shown;               // the folder shown afterwards
    std::optional<Paths> chosen;  // the answer, if any
  };
  const fs::path live = folder_ / "songs" / "live";
  const Case cases[] = {
      {"a folder", FileDialogKind::Open, (folder_ / "songs/live").string(), live, std::nullopt},
      {"a file, relative", FileDialogKind::Open, "songs/live/Groove.project.orbi", folder_,
       Paths{(live / "Groove.project.orbi").string()}},
      {"nothing there", FileDialogKind::Open, "songs/gone", folder_, std::nullopt},
      {"a name to save under", FileDialogKind::Save, "songs/live/Other", live,
       Paths{(live / "Other.project.orbi").string()}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(request("dialog", c.kind == FileDialogKind::Save ? saveIn(folder_) : openIn(folder_)));
    harness_.frames(3);
    session()->path = c.typed;
    ASSERT_TRUE(harness_.clickItem("Path", {}));
    press(Key::Enter);
    const std::optional<FileDialogResult> result = take("dialog");
    if (c.chosen) {
      ASSERT_TRUE(result);
      EXPECT_EQ(result->paths, *c.chosen);
      continue;
    }
    EXPECT_FALSE(result);
    ASSERT_NE(session(), nullptr);
    EXPECT_EQ(session()->folder, c.shown);
    EXPECT_EQ(session()->path, c.shown == folder_ ? c.typed : c.shown.string());
    press(Key::Escape);
    press(Key::Escape);
    take("dialog");
  }
  // A save onto an existing file asks first.
  ASSERT_TRUE(request("dialog", saveIn(folder_)));
  harness_.frames(3);
  session()->path = (live / "Groove").string();
  ASSERT_TRUE(harness_.clickItem("Path", {}));
  press(Key::Enter);
  ASSERT_NE(session(), nullptr);
  EXPECT_EQ(session()->replacing, (live / "Groove.project.orbi").string());
}

// What the path field cannot go to is refused with the reason, shown in
// the chooser until the path is put right; the chooser stays where it was.
TEST_F(FileDialogs, ThePathFieldSaysWhyItRefusesAPath) {
  ASSERT_EQ(mkfifo((folder_ / "pipe").c_str(), 0600), 0);
  ASSERT_EQ(mkfifo((folder_ / "pipe.project.orbi").c_str(), 0600), 0);
  touch("kick.wav");
  struct Case {
    FileDialogKind kind;
    std::string typed;
    std::string notice;
  };
  const std::string f = folder_.string();
  const Case cases[] = {
      {FileDialogKind::Open, "pipe", f + "/pipe is a pipe, not a file"},
      {FileDialogKind::Open, "/dev/null", "/dev/null is a device, not a file"},
      {FileDialogKind::Open, "gone.wav", f + "/gone.wav does not exist"},
      {FileDialogKind::Open, "gone/kick.wav", f + "/gone/kick.wav does not exist"},
      {FileDialogKind::Save, "gone/Groove", "The folder " + f + "/gone does not exist"},
      {FileDialogKind::Save, "pipe.orbi", f + "/pipe.project.orbi is a pipe, not a file"},
      {FileDialogKind::Save, "...",
       "A name that starts with a dot makes a hidden file, which Open does not list"},
      {FileDialogKind::Save, std::string(250, 'n'), "Too long for a file name: 263 of 255 bytes"},
      {FileDialogKind::Folder, "kick.wav", f + "/kick.wav is not a folder"},
      {FileDialogKind::Folder, "gone", f + "/gone does not exist"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    FileDialogRequest r = c.kind == FileDialogKind::Save ? saveIn(folder_) : openIn(folder_);
    r.kind = c.kind;
    ASSERT_TRUE(request("dialog", r));
    harness_.frames(3);
    session()->path = c.typed;
    ASSERT_TRUE(harness_.clickItem("Path", {}));
    press(Key::Enter);
    ASSERT_NE(session(), nullptr);
    EXPECT_FALSE(session()->result);
    EXPECT_EQ(session()->notice, c.notice);
    EXPECT_EQ(session()->folder, folder_);
    EXPECT_NE(harness_.drawLog().findItem(c.notice), nullptr) << "shown in the chooser";
    ASSERT_TRUE(harness_.clickItem("Path", {}));
    EXPECT_EQ(session()->notice, c.notice);
    harness_.typeText("x");
    harness_.frame();
    EXPECT_TRUE(session()->notice.empty()) << "an edit of the path takes it away";
    press(Key::Escape);
    take("dialog");
  }
}

// The list of the folder entered starts at its top, wherever the last
// folder's list was scrolled to.
TEST_F(FileDialogs, EachFolderStartsAtTheTopOfItsList) {
  for (const char* sub : {"a", "b"}) {
    fs::create_directory(folder_ / sub);
    for (int i = 0; i < 80; ++i) touch(std::string(sub) + "/take" + std::to_string(100 + i) + ".wav");
  }
  // The list is the chooser's one child window.
  const auto listScroll = [&] {
    ContextScope scope(harness_.ui());
    const ImGuiWindow* chooser = ImGui::GetTopMostPopupModal();
    for (const ImGuiWindow* w : GImGui->Windows)
      if (w->Active && w->ParentWindow == chooser && (w->Flags & ImGuiWindowFlags_ChildWindow))
        return w->Scroll.y;
    return -1.0f;
  };
  ASSERT_TRUE(request("samples.load", openIn(folder_ / "a")));
  harness_.frames(3);
  const ItemRecord* row = harness_.drawLog().findItem("take100.wav");
  ASSERT_NE(row, nullptr);
  harness_.movePointer(ImVec2(row->hitArea.x + 20.0f, row->hitArea.y + 20.0f));
  for (int i = 0; i < 10; ++i) {
    harness_.scrollWheel(-5.0f);
    harness_.frame();
  }
  ASSERT_GT(listScroll(), 100.0f);
  session()->path = "../b";
  ASSERT_TRUE(harness_.clickItem("Path", {}));
  harness_.setKey(Key::Enter, true);
  harness_.frame();
  harness_.setKey(Key::Enter, false);
  harness_.frame();
  EXPECT_EQ(session()->folder, folder_ / "b");
  EXPECT_EQ(listScroll(), 0.0f);
  EXPECT_NE(harness_.drawLog().findItem("take100.wav"), nullptr);
}

// Dear ImGui places the chooser's rows and buttons: a test finds them in
// the draw log by their text and clicks them.
TEST_F(FileDialogs, RowsAndButtonsAreFoundByTheirTextAndClicked) {
  touch("a.wav");
  touch("b.wav");
  ASSERT_TRUE(request("samples.load", openIn(folder_)));
  harness_.frames(3);
  for (const char* text : {"Up", "a.wav", "b.wav", "Cancel", "Open"}) {
    SCOPED_TRACE(text);
    const ItemRecord* item = harness_.drawLog().findItem(text);
    ASSERT_NE(item, nullptr);
    EXPECT_GT(item->hitArea.width, 0.0f);
    EXPECT_GT(item->hitArea.height, 0.0f);
  }
  ASSERT_TRUE(harness_.clickItem("b.wav", {}));
  ASSERT_TRUE(harness_.clickItem("Open", {}));
  const std::optional<FileDialogResult> result = take("samples.load");
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, FileDialogStatus::Chosen);
  EXPECT_EQ(result->paths, Paths{(folder_ / "b.wav").string()});
}

TEST_F(FileDialogs, ClosingTheWindowClosesTheChooserAndDeliversNothing) {
  ASSERT_TRUE(request("samples.load", openIn(folder_)));
  harness_.frames(2);
  ASSERT_NE(session(), nullptr);
  harness_.destroyFileDialogPump();
  harness_.frames(2);
  EXPECT_EQ(session(), nullptr);
  EXPECT_FALSE(take("samples.load"));
  // The modal is gone: nothing blocks the window any more.
  harness_.frame([] { EXPECT_EQ(ImGui::GetTopMostPopupModal(), nullptr); });
}

}  // namespace file_dialog_test
}  // namespace orbi::ui
