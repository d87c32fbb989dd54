// The header's document flows: actions of a delegated document, the file
// document's own dialogs, the unsaved-changes prompt in front of what would
// drop changes, and the caller's items with and without dialogs.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tests/ui/header_rig.h"
#include "ui/dialogs/file_dialog.h"
#include "ui/dialogs/in_editor_chooser.h"
#include "ui/header/header_flows.h"

namespace orbi::ui {
namespace header_flows_test {

namespace fs = std::filesystem;
using test::HeaderRig;

class FlowRig : public HeaderRig {
 public:
  FlowRig() {
    char pattern[] = "/tmp/orbi-header-XXXXXX";
    folder = mkdtemp(pattern);
    folderText = folder.string();
    after = [this] { busyOnce = busyOnce || fileDialogBusy(); };
  }
  ~FlowRig() {
    std::error_code ec;
    fs::remove_all(folder, ec);
  }

  HeaderDocument document(DocumentKind kind) const {
    HeaderDocument d;
    d.kind = kind;
    d.label = "Song";
    d.name = "groove";
    d.canStep = d.canSave = true;
    d.filters = {{"Orbi project", {"project.orbi"}}};
    d.folder = folderText;
    return d;
  }

  FileChooserSession* session() { return activeFileChooser(harness.ui()); }
  // The chooser answers with the named file of the folder, or cancels.
  void answer(const char* name) {
    ASSERT_NE(session(), nullptr);
    FileChooserSession& s = *session();
    if (!name) {
      cancelChoice(s);
    } else if (s.request.kind == FileDialogKind::Save) {
      s.name = name;
      acceptChoice(s);
    } else {
      for (std::size_t i = 0; i < s.entries.size(); ++i)
        if (s.entries[i].name == name) selectEntry(s, i, false);
      acceptChoice(s);
    }
    step(3);
  }
  bool promptShown() {
    step(2);
    return item("##accept") != nullptr;
  }
  void decide(const char* button) {
    ASSERT_TRUE(click(button)) << button;
    step();
  }

  fs::path folder;
  std::string folderText;
  bool busyOnce = false;
};

TEST(HeaderFlows, ADelegatedDocumentOnlyEverYieldsActions) {
  FlowRig rig;
  rig.model.document = rig.document(DocumentKind::Delegated);
  rig.model.document->modified = rig.model.document->confirmDiscard = true;
  struct Case {
    const char* label;
    HeaderAction action;
  };
  for (const Case& c : {Case{"Open...", HeaderAction::Browse}, Case{"Save", HeaderAction::Save},
                        Case{"Save As...", HeaderAction::SaveAs}}) {
    SCOPED_TRACE(c.label);
    rig.clear();
    rig.choose(c.label);
    EXPECT_EQ(rig.lastAction(), c.action);
  }
  rig.clear();
  ASSERT_TRUE(rig.click("name"));
  EXPECT_EQ(rig.lastAction(), HeaderAction::Browse);
  ASSERT_TRUE(rig.click("save"));
  EXPECT_EQ(rig.lastAction(), HeaderAction::Save);
  EXPECT_FALSE(rig.busyOnce);

  // "New" still asks first.
  rig.clear();
  rig.choose("New");
  EXPECT_FALSE(rig.lastAction());
  ASSERT_TRUE(rig.promptShown());
  rig.decide("##accept");
  EXPECT_EQ(rig.lastAction(), HeaderAction::New);
  EXPECT_FALSE(rig.busyOnce);
}

TEST(HeaderFlows, AFileWithoutAPathIsSavedAsFromItsFolder) {
  FlowRig rig;
  rig.model.document = rig.document(DocumentKind::File);
  rig.choose("Save");
  ASSERT_NE(rig.session(), nullptr);
  const FileDialogRequest& request = rig.session()->request;
  EXPECT_EQ(request.kind, FileDialogKind::Save);
  EXPECT_EQ(request.title, "Save as");
  EXPECT_EQ(request.folder, rig.folderText);
  EXPECT_EQ(request.fileName, "groove.project.orbi");
  ASSERT_EQ(request.filters.size(), 1u);
  EXPECT_EQ(request.filters[0].label, "Orbi project");
  rig.answer("beat.project.orbi");
  EXPECT_EQ(rig.last(&HeaderResult::savePath), (rig.folder / "beat.project.orbi").string());
}

TEST(HeaderFlows, AFileWithAPathSavesThereAndItsDialogsStartBesideIt) {
  FlowRig rig;
  rig.model.document = rig.document(DocumentKind::File);
  fs::create_directory(rig.folder / "songs");
  const std::string path = (rig.folder / "songs" / "groove.project.orbi").string();
  rig.model.document->path = path;
  rig.choose("Save");
  EXPECT_EQ(rig.last(&HeaderResult::savePath), path);
  EXPECT_FALSE(rig.busyOnce);

  for (const char* label : {"Save As...", "Open..."}) {
    SCOPED_TRACE(label);
    rig.clear();
    rig.choose(label);
    ASSERT_NE(rig.session(), nullptr);
    const FileDialogRequest& request = rig.session()->request;
    EXPECT_EQ(request.folder, (rig.folder / "songs").string());
    EXPECT_EQ(request.title, std::string(label) == "Open..." ? "Open" : "Save as");
    EXPECT_FALSE(request.multiple);
    rig.answer(nullptr);  // cancelled: nothing comes back
    EXPECT_FALSE(rig.last(&HeaderResult::savePath));
    EXPECT_FALSE(rig.last(&HeaderResult::openPath));
  }
}

TEST(HeaderFlows, TheProposedNameEndsInTheFirstPatternOnce) {
  struct Case {
    const char* name;
    std::vector<FileFilter> filters;
    const char* proposed;
  };
  const Case cases[] = {
      {"song", {{"WAV audio", {"wav", "wave"}}}, "song.wav"},
      {"song.wav", {{"WAV audio", {"wav"}}}, "song.wav"},
      {"song.WAV", {{"WAV audio", {"wav"}}}, "song.WAV.wav"},
      {"", {{"WAV audio", {"wav"}}}, "Untitled.wav"},
      {"song", {}, "song"},
      {"song", {{"Anything", {}}, {"WAV audio", {"wav"}}}, "song"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HeaderDocument document;
    document.name = c.name;
    document.filters = c.filters;
    EXPECT_EQ(defaultSaveName(document), c.proposed);
  }
}

TEST(HeaderFlows, TheParentFolderIsTheTextBeforeTheLastSeparator) {
  const std::pair<const char*, const char*> cases[] = {
      {"/home/ana/songs/groove.project.orbi", "/home/ana/songs"},
      {"C:\\Users\\ana\\groove.orbi", "C:\\Users\\ana"},
      {"mixed/dir\\file", "mixed/dir"},
      {"groove.orbi", ""},
      {"", ""},
      {"/groove.orbi", ""},
  };
  for (const auto& [path, parent] : cases) EXPECT_EQ(parentFolder(path), parent) << path;
}

TEST(HeaderFlows, ThePromptNamesTheDocument) {
  EXPECT_EQ(discardPromptText(""), "Discard the unsaved changes to Untitled?");
  EXPECT_EQ(discardPromptText("Dusty Kit"), "Discard the unsaved changes to Dusty Kit?");
}

TEST(HeaderFlows, KeepDropsTheActionAndTheNextRequestAsksAgain) {
  FlowRig rig;
  rig.model.document = rig.document(DocumentKind::Delegated);
  rig.model.document->name = "";
  rig.model.document->modified = rig.model.document->confirmDiscard = true;
  ASSERT_TRUE(rig.click("previous"));
  EXPECT_FALSE(rig.lastAction());
  ASSERT_TRUE(rig.promptShown());
  rig.decide("##cancel");
  rig.step(2);
  EXPECT_FALSE(rig.lastAction());
  EXPECT_EQ(rig.item("##accept"), nullptr);

  // Return keeps them too: it never discards.
  ASSERT_TRUE(rig.click("next"));
  ASSERT_TRUE(rig.promptShown());
  rig.press({Key::Enter, kModNone});
  rig.step(20);  // past a double-click's time: the next click on "next" is a click of its own
  EXPECT_FALSE(rig.lastAction());
  EXPECT_EQ(rig.item("##accept"), nullptr);

  ASSERT_TRUE(rig.click("next"));
  EXPECT_FALSE(rig.lastAction());
  ASSERT_TRUE(rig.promptShown());
  rig.decide("##accept");
  EXPECT_EQ(rig.lastAction(), HeaderAction::Next);  // the second request, not the first
}

TEST(HeaderFlows, WithoutConfirmationOrChangesNothingAsks) {
  for (const bool modified : {false, true}) {
    SCOPED_TRACE(modified);
    FlowRig rig;
    rig.model.document = rig.document(DocumentKind::Delegated);
    rig.model.document->modified = modified;
    rig.model.document->confirmDiscard = !modified;
    ASSERT_TRUE(rig.click("previous"));
    EXPECT_EQ(rig.lastAction(), HeaderAction::Previous);
    EXPECT_FALSE(rig.promptShown());
  }
}

TEST(HeaderFlows, DiscardRunsTheOpenAndItsPathArrivesLater) {
  FlowRig rig;
  test::writeWhole(rig.folder / "old.project.orbi", "x");
  rig.model.document = rig.document(DocumentKind::File);
  rig.model.document->modified = rig.model.document->confirmDiscard = true;
  ASSERT_TRUE(rig.click("name"));
  EXPECT_EQ(rig.session(), nullptr);
  ASSERT_TRUE(rig.promptShown());
  rig.decide("##accept");
  ASSERT_NE(rig.session(), nullptr);
  EXPECT_EQ(rig.session()->request.title, "Open");
  EXPECT_FALSE(rig.last(&HeaderResult::openPath));
  rig.answer("old.project.orbi");
  EXPECT_EQ(rig.last(&HeaderResult::openPath), (rig.folder / "old.project.orbi").string());
  EXPECT_FALSE(rig.lastAction());
}

TEST(HeaderFlows, ItemsRunAtOnceOrThroughTheirOwnDialog) {
  FlowRig rig;
  test::writeWhole(rig.folder / "kick.wav", "x");
  rig.model.document = rig.document(DocumentKind::Delegated);
  HeaderItem import;
  import.section = HeaderSection::Document;
  import.entry = MenuEntry("Import WAV...##import", 5);
  import.dialog = ItemDialog::Open;
  import.filters = {{ "WAV audio", { "wav" } }};
  HeaderItem plain;
  plain.section = HeaderSection::Product;
  plain.entry = MenuEntry("Rescan kits", 7);
  const std::vector<HeaderItem> items{import, plain};
  rig.model.items = items;

  rig.choose("Rescan kits");
  EXPECT_EQ(rig.last(&HeaderResult::item), 7u);
  EXPECT_FALSE(rig.busyOnce);

  rig.clear();
  rig.choose("Import WAV...##import");
  ASSERT_NE(rig.session(), nullptr);
  EXPECT_EQ(rig.session()->request.title, "Import WAV...");
  ASSERT_EQ(rig.session()->request.filters.size(), 1u);
  EXPECT_EQ(rig.session()->request.filters[0].label, "WAV audio");
  EXPECT_EQ(rig.session()->request.folder, rig.folderText);
  rig.answer(nullptr);
  EXPECT_FALSE(rig.last(&HeaderResult::itemFile));
  EXPECT_FALSE(rig.last(&HeaderResult::item));

  rig.choose("Import WAV...##import");
  rig.answer("kick.wav");
  const std::optional<ItemFile> file = rig.last(&HeaderResult::itemFile);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->command, 5u);
  EXPECT_EQ(file->path, (rig.folder / "kick.wav").string());
}

TEST(HeaderFlows, AnItemAsksByItsOwnFlagNotTheDocuments) {
  struct Case {
    bool itemAsks;
    bool documentAsks;
    bool asked;
  };
  for (const Case& c : {Case{true, false, true}, Case{false, true, false}}) {
    SCOPED_TRACE(c.itemAsks);
    FlowRig rig;
    rig.model.document = rig.document(DocumentKind::Delegated);
    rig.model.document->modified = true;
    rig.model.document->confirmDiscard = c.documentAsks;
    HeaderItem reload;
    reload.entry = MenuEntry("Reload kit", 3);
    reload.confirmDiscard = c.itemAsks;
    const std::vector<HeaderItem> items{reload};
    rig.model.items = items;
    rig.choose("Reload kit");
    EXPECT_EQ(rig.promptShown(), c.asked);
    EXPECT_EQ(rig.last(&HeaderResult::item).has_value(), !c.asked);
    if (!c.asked) continue;
    rig.decide("##accept");
    EXPECT_EQ(rig.last(&HeaderResult::item), 3u);
  }
}

TEST(HeaderFlows, AnUnknownItemComesBackAsItIs) {
  HeaderRig rig;
  rig.harness.frame([&] {
    HeaderResult result;
    HeaderState state;
    HeaderFlow flow{rig.model, state, result};
    guardHeaderAction(flow, FlowAction::RunItem, 99);
    EXPECT_EQ(result.item, 99u);
    EXPECT_FALSE(fileDialogBusy());
  });
}

}  // namespace header_flows_test
}  // namespace orbi::ui
