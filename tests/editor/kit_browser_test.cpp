// The kit browser over a library folder of kit files: listing and
// filtering, loading, stepping, saving, deleting, the folder's fallback,
// the modified answer and the popups' gestures.

#include "editor/kits/kit_browser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tests/editor/kit_rig.h"
#include "ui/dialogs/file_dialog_queue.h"
#include "ui/draw/text.h"

namespace orbi {
namespace kit_browser_test {

using test::centreOf;
using test::fileText;
using test::KitRig;
namespace fs = std::filesystem;

bool has(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

ob::EditCommand command(ob::EditKind kind, std::uint32_t track, std::uint32_t step, std::int32_t param,
                        float value) {
  ob::EditCommand c;
  c.kind = kind;
  c.track = track;
  c.step = step;
  c.param = param;
  c.value = value;
  return c;
}

// A kit file that cannot be read is left out of the list, and the
// browser says which and why, on the status line and under the list.
TEST(KitBrowser, ListsBuiltInKitsFirstAndSaysWhichFileItLeftOut) {
  KitRig rig;
  rig.browser.syncSelection();
  ASSERT_FALSE(rig.browser.entries.empty());
  EXPECT_TRUE(rig.browser.entries.front().builtIn);
  const auto firstFile = std::find_if(rig.browser.entries.begin(), rig.browser.entries.end(),
                                      [](const ob::KitEntry& e) { return !e.builtIn; });
  EXPECT_EQ(
      std::count_if(firstFile, rig.browser.entries.end(), [](const ob::KitEntry& e) { return e.builtIn; }),
      0);
  EXPECT_EQ(rig.browser.entries.end() - firstFile, static_cast<long>(test::libraryKits().size()));
  EXPECT_EQ(rig.entryNamed("broken"), -1);
  const std::string leftOut = "Could not read broken.kit.orbi: not a kit file (expected key)";
  EXPECT_EQ(rig.status(), leftOut);
  EXPECT_TRUE(rig.statusIsError());
  EXPECT_EQ(rig.browser.resolvedFolder, rig.library);
  rig.steps(3);
  EXPECT_TRUE(rig.drew(leftOut)) << "under the list";

  // Several: the first, and how many more.
  std::ofstream(rig.library / "empty.kit.orbi").flush();
  fs::create_symlink(rig.library / "nowhere", rig.library / "dangling.obk");
  rig.browser.rescan();
  EXPECT_EQ(rig.browser.leftOut.size(), 3u);
  EXPECT_TRUE(rig.status().starts_with("Could not read 3 kit files: ")) << rig.status();
  for (const char* file :
       {"broken.kit.orbi (not a kit file", "empty.kit.orbi (the file is empty)", "dangling.obk ("})
    EXPECT_NE(rig.status().find(file), std::string::npos) << rig.status();
  EXPECT_EQ(rig.browser.entries.size(),
            ob::KitLibrary::listBuiltinKits().size() + test::libraryKits().size());

  // A readable library says nothing.
  fs::remove(rig.library / "broken.kit.orbi");
  fs::remove(rig.library / "empty.kit.orbi");
  fs::remove(rig.library / "dangling.obk");
  rig.browser.pendingStatus.reset();
  rig.browser.rescan();
  EXPECT_FALSE(rig.browser.pendingStatus.has_value());
  EXPECT_TRUE(rig.browser.leftOut.empty());
}

TEST(KitBrowser, TheFilterMatchesNameTagsAndAuthorInAnyAsciiCase) {
  KitRig rig;
  rig.browser.rescan();
  struct Case {
    const char* filter;
    const char* found;
    const char* left;
  };
  const Case cases[] = {
      {"ROCK", "70s Rock", "Glass"},
      {"VINTAGE", "Glass", "Dark Live"},
      {"mIrA", "Glass", "Dark Live"},
      {"live", "Dark Live", "Glass"},
      {"\xC3\x89",
       "\xC3\x89"
       "cho",
       "Glass"},
      {"\xC3\xA9"
       "cho",
       "",
       "\xC3\x89"
       "cho"},  // a non-ASCII capital is not folded
      {"", "Glass", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.filter);
    rig.browser.filter = c.filter;
    rig.browser.applyFilter();
    const std::vector<std::string> names = rig.filteredNames();
    if (*c.found) {
      EXPECT_TRUE(has(names, c.found));
    }
    if (*c.left) {
      EXPECT_FALSE(has(names, c.left));
    }
  }
  rig.browser.filter.clear();
  rig.browser.applyFilter();
  EXPECT_EQ(rig.browser.filtered.size(), rig.browser.entries.size());
}

TEST(KitBrowser, NarrowingKeepsTheSelectedKitOrDropsIt) {
  KitRig rig;
  rig.browser.rescan();
  const int dark = rig.entryNamed("Dark Live");
  ASSERT_GE(dark, 0);
  rig.browser.selectedRow = dark;  // no filter yet: rows are entries
  rig.browser.filter = "live";
  rig.browser.applyFilter();
  ASSERT_GE(rig.browser.selectedRow, 0);
  EXPECT_EQ(rig.browser.filtered[rig.browser.selectedRow], dark);
  rig.browser.filter = "glass";
  rig.browser.applyFilter();
  EXPECT_EQ(rig.browser.selectedRow, -1);
}

TEST(KitBrowser, SavingNamesTagsAndWritesASafeFileName) {
  struct Case {
    const char* name;
    const char* file;
    const char* status;
  };
  const Case cases[] = {
      {"Drums/Live:1", "Drums_Live_1.kit.orbi", "Saved Drums/Live:1"},
      {"", "kit.kit.orbi", "Saved kit"},
      {"a*b?\"<>|\\c\t", "a_b______c_.kit.orbi", "Saved a*b?\"<>|\\c\t"},
      {"\xC3\x89t\xC3\xA9", "\xC3\x89t\xC3\xA9.kit.orbi", "Saved \xC3\x89t\xC3\xA9"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    KitRig rig;
    rig.root.pattern().kit.sounds[0].params[2] = 0.123f;
    rig.browser.saveName = c.name;
    rig.browser.saveTags = " heavy, ,tape ";
    rig.browser.saveKit();
    EXPECT_EQ(rig.status(), c.status);
    EXPECT_FALSE(rig.statusIsError());
    EXPECT_TRUE(fs::is_regular_file(rig.library / ob::kitPathFromUtf8(c.file)));
    EXPECT_EQ(rig.kitName(), c.name);
    ASSERT_EQ(rig.root.pattern().kit.tagCount, 2);
    EXPECT_STREQ(rig.root.pattern().kit.tags[1], "tape");
    EXPECT_EQ(rig.root.snapshots.size(), 1u);
    EXPECT_EQ(rig.root.commits, std::vector<bool>{true});
    EXPECT_FALSE(rig.browser.isModified(1)) << "a save is the clean state";

    auto back = newEmptyPart();
    ASSERT_TRUE(ob::KitLibrary::loadKitFile(ob::kitPathToUtf8(rig.library / ob::kitPathFromUtf8(c.file)),
                                            *back, nullptr));
    EXPECT_EQ(back->kit.sounds[0].params[2], 0.123f);
  }
}

TEST(KitBrowser, AFailedSaveNamesTheFileAndKeepsTheNewName) {
  KitRig rig;
  fs::create_directories(rig.library / "Taken.kit.orbi");  // a folder where the file would go
  rig.browser.saveName = "Taken";
  rig.browser.saveKit();
  EXPECT_TRUE(rig.statusIsError());
  EXPECT_EQ(rig.status().rfind("Could not save Taken.kit.orbi: ", 0), 0u) << rig.status();
  EXPECT_EQ(rig.kitName(), "Taken");
  EXPECT_EQ(rig.root.snapshots.size(), 1u);
  rig.browser.saveName = std::string(250, 'k');
  EXPECT_FALSE(rig.browser.saveKit()) << "refused: the form stays open";
  EXPECT_EQ(rig.browser.saveNotice, "Too long for a kit name: 250 of 47 bytes");
}

// Two names that differ only past what a kit's name holds would share a
// file unasked: the form takes no more than the kit holds, says so, and
// a longer name never reaches the kit.
TEST(KitBrowser, TheFormTakesNoMoreThanAKitNameHolds) {
  const std::string typed = "Late night techno drums for the warehouse set v/2";
  KitRig rig;
  rig.browser.prefillSaveForm();
  rig.steps(3);
  ASSERT_EQ(rig.items("##name").size(), 1u);
  rig.clickAt(centreOf(rig.items("##name")[0]));
  rig.harness.pressChord({ui::Key::A, ui::kModCtrl});
  rig.step();
  rig.harness.releaseKeys();
  rig.type(typed);
  EXPECT_EQ(rig.browser.saveName, typed.substr(0, ob::kKitNameBytes));
  rig.step();
  EXPECT_TRUE(rig.drew("A kit name holds 47 bytes: the rest was left out"));

  rig.browser.saveName = typed;
  EXPECT_FALSE(rig.browser.saveKit());
  EXPECT_EQ(rig.browser.saveNotice, "Too long for a kit name: 49 of 47 bytes");
  EXPECT_TRUE(rig.root.snapshots.empty()) << "nothing named or written";
}

TEST(KitBrowser, TheSaveFormIsFilledFromTheKitAndItsButtonSaves) {
  KitRig rig;
  ob::setKitName(rig.root.pattern().kit, "Mine");
  ob::setKitTags(rig.root.pattern().kit, "one,two");
  rig.browser.prefillSaveForm();
  EXPECT_EQ(rig.browser.saveName, "Mine");
  EXPECT_EQ(rig.browser.saveTags, "one, two");
  rig.steps(3);
  ASSERT_EQ(rig.items("save").size(), 1u);
  rig.clickAt(centreOf(rig.items("save")[0]));
  rig.steps(2);
  EXPECT_EQ(rig.status(), "Saved Mine");
  EXPECT_TRUE(fs::is_regular_file(rig.library / "Mine.kit.orbi"));
  EXPECT_TRUE(rig.items("save").empty()) << "the form closed";
}

// Pressing the save form's button of the id, as a user does: apart from
// the press before, which may have been at the same place.
void pressFormButton(KitRig& rig, const char* id) {
  rig.steps(30);
  const std::vector<ui::Rect> buttons = rig.items(id);
  ASSERT_EQ(buttons.size(), 1u) << id;
  rig.clickAt(centreOf(buttons[0]));
  rig.steps(2);
}

// Another kit's file is replaced only once the user says so; "Back" returns
// to the name and changes nothing.
TEST(KitBrowser, SavingOverAnotherKitsFileAsksFirst) {
  KitRig rig;
  const fs::path other = rig.library / "glass.kit.orbi";
  const std::string before = fileText(other);
  const std::string name = rig.kitName();
  rig.browser.prefillSaveForm();
  rig.browser.saveName = "glass";
  pressFormButton(rig, "save");
  EXPECT_EQ(rig.browser.replacing, other);
  EXPECT_TRUE(rig.drew("glass.kit.orbi is already in the library."));
  EXPECT_EQ(fileText(other), before);
  EXPECT_FALSE(rig.browser.pendingStatus) << "nothing saved yet";
  EXPECT_TRUE(rig.root.snapshots.empty()) << "and nothing renamed";
  EXPECT_EQ(rig.kitName(), name);

  pressFormButton(rig, "back");
  EXPECT_TRUE(rig.browser.replacing.empty());
  EXPECT_EQ(rig.items("save").size(), 1u) << "the form again";
  EXPECT_TRUE(rig.items("replace").empty());
  EXPECT_EQ(fileText(other), before);

  pressFormButton(rig, "save");
  pressFormButton(rig, "replace");
  EXPECT_EQ(rig.status(), "Saved glass");
  EXPECT_NE(fileText(other), before);
  EXPECT_EQ(rig.kitName(), "glass");
  EXPECT_EQ(rig.browser.session.kitFile, other);
  EXPECT_TRUE(rig.items("save").empty() && rig.items("replace").empty()) << "the form closed";
}

// The file the kit was loaded from or last saved to is its own: saving to
// it again asks nothing, a built-in or new kit owns no file.
TEST(KitBrowser, ItsOwnFileIsSavedWithoutAQuestion) {
  KitRig rig;
  const auto saveAs = [&](const std::string& name) {
    rig.browser.saveName = name;
    rig.browser.pendingStatus.reset();
    const bool done = rig.browser.saveKit();
    EXPECT_EQ(done, rig.browser.replacing.empty());
    return done;
  };
  rig.browser.rescan();
  ASSERT_TRUE(rig.browser.loadKit(rig.browser.entries[rig.entryNamed("Glass")]));
  EXPECT_TRUE(saveAs("glass")) << "loaded from it";
  EXPECT_EQ(rig.status(), "Saved glass");
  EXPECT_TRUE(saveAs("Mine")) << "a new file";
  EXPECT_TRUE(saveAs("Mine")) << "saved to it";
  EXPECT_FALSE(saveAs("glass")) << "no longer its own";
  EXPECT_EQ(rig.browser.replacing, rig.library / "glass.kit.orbi");

  rig.browser.prefillSaveForm();
  EXPECT_TRUE(rig.browser.replacing.empty()) << "a new form asks afresh";
  ASSERT_TRUE(rig.browser.loadKit(rig.browser.entries.front()));
  ASSERT_TRUE(rig.browser.entries.front().builtIn);
  EXPECT_FALSE(saveAs("Mine")) << "a built-in kit";
  rig.browser.newKit();
  EXPECT_FALSE(saveAs("Mine")) << "a new kit";
  rig.browser.confirmReplace();
  EXPECT_EQ(rig.status(), "Saved Mine");
}

TEST(KitBrowser, SteppingWrapsAtBothEndsAndStartsFromAnUnknownName) {
  KitRig rig;
  rig.browser.rescan();
  const std::vector<ob::KitEntry> all = rig.browser.entries;
  ASSERT_GE(all.size(), 3u);
  struct Case {
    std::string from;
    int step;
    std::string to;
  };
  const Case cases[] = {
      {all.front().name, -1, all.back().name}, {all.back().name, +1, all.front().name},
      {all[1].name, +1, all[2].name},          {"Nowhere", +1, all.front().name},
      {"Nowhere", -1, all.back().name},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.from + " " + std::to_string(c.step));
    rig.browser.markClean();  // a kit from elsewhere: only its name is known
    ob::setKitName(rig.root.pattern().kit, c.from);
    rig.browser.stepKit(c.step);
    EXPECT_EQ(rig.kitName(), c.to);
    // The first kit of fewer tracks takes the demo's hits on the others.
    EXPECT_EQ(rig.status().substr(0, rig.status().find(';')), "Loaded " + c.to);
  }
  EXPECT_EQ(rig.root.snapshots.size(), std::size(cases));
}

// A user kit named like a built-in one traps nothing: the arrows go
// through every entry of the library in turn, from the one last loaded or
// saved, and come back round to where they started.
TEST(KitBrowser, TheArrowsStepByEntryWhateverTheKitsAreCalled) {
  KitRig rig;
  rig.browser.rescan();
  const int builtIns = static_cast<int>(ob::KitLibrary::listBuiltinKits().size());
  ASSERT_GE(rig.entryNamed("Hard Rave"), 0);
  ASSERT_LT(rig.entryNamed("Hard Rave"), builtIns);
  for (const char* name : {"Hard Rave", "Dub v1.2", "Techno/Dark"}) {
    rig.browser.saveName = name;
    ASSERT_TRUE(rig.browser.saveKit()) << name;
  }
  rig.browser.rescan();
  const std::vector<ob::KitEntry> all = rig.browser.entries;
  const int n = static_cast<int>(all.size());
  ASSERT_EQ(n, builtIns + static_cast<int>(test::libraryKits().size()) + 3);

  for (const int step : {+1, -1}) {
    SCOPED_TRACE(step);
    const int start = rig.entryNamed("70s Rock");
    ASSERT_GE(start, 0);
    ASSERT_TRUE(rig.browser.loadKit(all[start]));
    std::vector<std::string> visited;
    for (int i = 1; i <= n; ++i) {
      rig.browser.stepKit(step);
      const int expected = ((start + step * i) % n + n) % n;
      ASSERT_EQ(rig.browser.session.kitReference, all[expected].reference) << "step " << i;
      visited.push_back(rig.browser.session.kitReference);
    }
    std::sort(visited.begin(), visited.end());
    EXPECT_EQ(std::unique(visited.begin(), visited.end()) - visited.begin(), n) << "every entry once";
  }
}

// The list shows which of two kits of one name is the user's, and the
// browser opens on the entry the kit came from.
TEST(KitBrowser, TheListTellsAUserKitFromABuiltInOneOfItsName) {
  KitRig rig;
  rig.browser.saveName = "Hard Rave";
  ASSERT_TRUE(rig.browser.saveKit());
  rig.browser.syncSelection();
  std::vector<std::string> details;
  int userRow = -1;
  for (std::size_t row = 0; row < rig.browser.filtered.size(); ++row) {
    const ob::KitEntry& entry = rig.browser.entries[rig.browser.filtered[row]];
    if (entry.name != "Hard Rave") continue;
    details.push_back(KitBrowser::rowDetail(entry));
    if (!entry.builtIn) userRow = static_cast<int>(row);
  }
  ASSERT_EQ(details.size(), 2u);
  EXPECT_NE(details[0], details[1]);
  EXPECT_TRUE(details[0].ends_with("built-in")) << details[0];
  EXPECT_TRUE(details[1].ends_with("Hard Rave.kit.orbi")) << details[1];
  EXPECT_EQ(rig.browser.selectedRow, userRow) << "the saved one, not the first of its name";
  rig.steps(3);
  EXPECT_TRUE(rig.drew(details[1]));
}

// Saving under a built-in kit's name says, before and after, that the kit
// will sit beside the built-in one rather than replace it.
TEST(KitBrowser, SavingUnderABuiltInNameSaysItSitsBesideIt) {
  KitRig rig;
  const char* note = "Sits beside the built-in kit of this name";
  rig.browser.prefillSaveForm();
  rig.browser.saveName = "Mine";
  rig.steps(3);
  EXPECT_FALSE(rig.drew(note));
  for (const char* name : {"Hard Rave", "hard rave"}) {
    SCOPED_TRACE(name);
    rig.browser.saveName = name;
    rig.steps(2);
    EXPECT_TRUE(rig.drew(note));
  }
  rig.browser.saveName = "Hard Rave";
  pressFormButton(rig, "save");
  EXPECT_EQ(rig.status(), "Saved Hard Rave, beside the built-in kit of that name");
  EXPECT_TRUE(fs::is_regular_file(rig.library / "Hard Rave.kit.orbi"));
  rig.browser.rescan();
  EXPECT_EQ(std::count_if(rig.browser.entries.begin(), rig.browser.entries.end(),
                          [](const ob::KitEntry& e) { return e.name == "Hard Rave"; }),
            2);
}

// Kit names are kept whole in their file names; only the kit files' own
// endings give way, in any case, and two names never share a file: one
// whose file name another kit already holds goes beside it.
TEST(KitBrowser, KitFileNamesKeepTheNameWhole) {
  struct Case {
    const char* name;
    const char* file;
  };
  for (const Case c : {Case{"Dub v1.2", "Dub v1.2.kit.orbi"}, Case{"beat.v2", "beat.v2.kit.orbi"},
                       Case{"Old.obk", "Old.kit.orbi"}, Case{"Mine.KIT.ORBI", "Mine.KIT.ORBI"},
                       Case{"Mine.orbi", "Mine.kit.orbi"}, Case{".obk", ".obk.kit.orbi"}}) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(kitFileName(c.name), c.file);
  }

  KitRig rig;
  rig.browser.saveName = "Techno/Dark";
  ASSERT_TRUE(rig.browser.saveKit());
  rig.browser.newKit();
  rig.browser.saveName = "Techno_Dark";
  ASSERT_TRUE(rig.browser.saveKit()) << "no question: the file holds another kit";
  EXPECT_EQ(rig.status(), "Saved Techno_Dark as Techno_Dark 2.kit.orbi");
  rig.browser.rescan();
  EXPECT_GE(rig.entryNamed("Techno/Dark"), 0);
  EXPECT_GE(rig.entryNamed("Techno_Dark"), 0);
  // Saved again, it goes to its own file.
  ASSERT_TRUE(rig.browser.saveKit());
  EXPECT_EQ(rig.status(), "Saved Techno_Dark as Techno_Dark 2.kit.orbi");
  rig.browser.rescan();
  EXPECT_EQ(rig.browser.entries.size(),
            ob::KitLibrary::listBuiltinKits().size() + test::libraryKits().size() + 2);

  // A kit file in capitals is listed as any other.
  rig.browser.saveName = "Loud.KIT.ORBI";
  ASSERT_TRUE(rig.browser.saveKit());
  rig.browser.rescan();
  EXPECT_GE(rig.entryNamed("Loud.KIT.ORBI"), 0);
}

// In one session too, "Techno_Dark" after stepping to "Techno/Dark" with
// the arrows replaces its file only when asked; kept, two kits remain.
TEST(KitBrowser, AKitOfAnotherNameInItsOwnFileIsReplacedOnlyWhenAsked) {
  KitRig rig;
  rig.browser.saveName = "Techno/Dark";
  ASSERT_TRUE(rig.browser.saveKit());
  rig.browser.rescan();
  ASSERT_TRUE(rig.browser.loadKit(rig.browser.entries[rig.entryNamed("Techno/Dark") - 1]));
  rig.browser.stepKit(+1);
  rig.browser.prefillSaveForm();
  rig.browser.saveName = "Techno_Dark";
  pressFormButton(rig, "save");
  EXPECT_TRUE(rig.drew("Techno_Dark.kit.orbi holds the kit Techno/Dark."));
  pressFormButton(rig, "keep");
  EXPECT_EQ(rig.status(), "Saved Techno_Dark as Techno_Dark 2.kit.orbi");
  EXPECT_TRUE(fs::exists(rig.library / "Techno_Dark.kit.orbi"));
}

// However long and wide the names, the question is read whole: the form
// grows to hold its lines, none cut, all above the buttons, at both scales.
TEST(KitBrowser, TheReplaceQuestionIsShownWholeInsideTheForm) {
  KitRig rig;
  const std::string wide(44, 'M');
  std::string whole =
      wide + "_X.kit.orbi holds the kit " + wide + "/X. Replace it with this kit, or keep both?";
  std::erase(whole, ' ');  // as the blanks where the lines break are
  rig.browser.replacing = rig.library / (wide + "_X.kit.orbi");
  rig.browser.beside = rig.library / (wide + "_X 2.kit.orbi");
  rig.browser.replacedKit = wide + "/X";
  for (const float s : {1.0f, 1.5f}) {
    SCOPED_TRACE(s);
    rig.browser.savePending = true;
    ui::UiHarness harness(s);
    harness.frames(4, [&] { rig.browser.draw(rig.anchor); });
    ui::ContextScope scope(harness.ui());
    const ImRect form = ImGui::GetCurrentContext()->OpenPopupStack[0].Window->Rect();
    const ui::ItemRecord* back = harness.drawLog().findItem("back");
    ASSERT_NE(back, nullptr);
    std::string shown;
    for (const ui::DrawRecord* line : harness.drawLog().find(ui::DrawOp::Text)) {
      const ui::Rect& r = line->rect;
      if (r.y >= back->hitArea.y) continue;  // the buttons' labels
      EXPECT_FALSE(ui::fitTextToWidth(line->text, line->style, r.width).truncated) << line->text;
      EXPECT_TRUE(form.Contains(ImRect(r.x, r.y, r.x + r.width, r.y + r.height)) &&
                  r.y + r.height <= back->hitArea.y);
      shown += line->text;
    }
    std::erase(shown, ' ');
    EXPECT_NE(shown.find(whole), std::string::npos) << shown;
  }
}

TEST(KitBrowser, NewKitGivesEachTrackAFreshDrumAndKeepsTheSteps) {
  for (int tracks : {5, 0}) {
    SCOPED_TRACE(tracks);
    KitRig rig;
    ob::Pattern& part = rig.root.pattern();
    part.numTracks = static_cast<std::uint8_t>(tracks);
    for (int t = 0; t < tracks; ++t) {
      part.tracks[t].soundIndex = 0;  // all on one sound before
      part.tracks[t].steps[t].active = 1;
    }
    part.kit.sounds[0].params[0] = 0.77f;
    ob::setKitName(part.kit, "Before");
    part.grooveEdited = 1;
    const ob::Pattern before = part;
    rig.browser.newKit();
    const int expected = std::max(tracks, 1);
    EXPECT_EQ(part.numTracks, expected);
    ob::Sound fresh;
    ob::initSoundParams(fresh, ob::kMachineDrum);
    for (int t = 0; t < expected; ++t) {
      SCOPED_TRACE(t);
      EXPECT_EQ(part.tracks[t].soundIndex, t);
      EXPECT_EQ(part.kit.sounds[t].machine, ob::kMachineDrum);
      EXPECT_EQ(std::memcmp(part.kit.sounds[t].params, fresh.params, sizeof fresh.params), 0);
      EXPECT_EQ(std::memcmp(part.tracks[t].steps, before.tracks[t].steps, sizeof before.tracks[t].steps), 0);
    }
    EXPECT_EQ(rig.kitName(), "");
    EXPECT_EQ(rig.status(), "New kit");
    EXPECT_EQ(rig.root.snapshots.size(), 1u);
    EXPECT_EQ(rig.root.commits, std::vector<bool>{true});
    EXPECT_EQ(rig.root.refreshes, 1);
  }
  // A sampler's lock that the new drum lacks goes, and the message says so.
  KitRig rig;
  ob::Pattern& part = rig.root.pattern();
  part.numTracks = part.grooveEdited = 1;
  ob::initSoundParams(part.kit.sounds[part.tracks[0].soundIndex = 0], ob::kMachineSample);
  ob::Step& hit = part.tracks[0].steps[3] = ob::Step{};
  hit.active = 1;
  ob::setStepLock(hit, ob::findParamIndex(ob::kMachineSample, "slice"), 2.0f);
  rig.browser.newKit();
  EXPECT_EQ(hit.lockCount, 0);
  EXPECT_EQ(rig.status(),
            "New kit; your steps lost step 4 lock of Slice, which its sounds lack; undo brings it back");
  EXPECT_EQ(rig.browser.pendingStatus->kind, StatusKind::Changed);
}

TEST(KitBrowser, AFailedLoadReportsAndTakesNoSnapshot) {
  KitRig rig;
  const ob::Project before = rig.root.project();
  const ob::KitEntry bad[] = {
      {"builtin:99", "Ghost", "", 1, {}, true},
      {ob::kitPathToUtf8(rig.library / "broken.kit.orbi"), "Broken", "", 1, {}, false},
      {ob::kitPathToUtf8(rig.library / "gone.kit.orbi"), "Gone", "", 1, {}, false}};
  for (const ob::KitEntry& entry : bad) {
    SCOPED_TRACE(entry.name);
    EXPECT_FALSE(rig.browser.loadKit(entry));
    EXPECT_TRUE(rig.statusIsError());
    EXPECT_EQ(rig.status().rfind("Could not load " + entry.name + ": ", 0), 0u) << rig.status();
  }
  EXPECT_EQ(rig.status(), "Could not load Gone: cannot open " + bad[2].reference + ": no such file");
  EXPECT_TRUE(rig.root.snapshots.empty());
  EXPECT_TRUE(rig.root.commits.empty());
  EXPECT_EQ(std::memcmp(&before, &rig.root.project(), sizeof before), 0);
}

// A kit saved with another project's samples loads, and the status line
// names the tracks whose slots hold no sample here: a sampler's own slot,
// any of a layered sound's zones; a drum plays no slot.
TEST(KitBrowser, ALoadNamesTheTracksWhoseSampleIsMissing) {
  KitRig rig;
  auto part = newEmptyPart();
  const auto add = [&](std::uint8_t machine, const char* name, float slot) -> ob::Sound& {
    ob::Sound& sound = part->kit.sounds[part->numTracks];
    ob::initSoundParams(sound, machine);
    ob::copyText(sound.name, name);
    if (const int param = ob::findParamIndex(machine, "slot"); param >= 0) sound.params[param] = slot;
    part->tracks[part->numTracks].soundIndex = static_cast<std::int8_t>(part->numTracks);
    ++part->numTracks;
    return sound;
  };
  add(ob::kMachineSample, "Kick", 40.0f);
  add(ob::kMachineSample, "Snare", 3.0f);
  ob::Sound& layered = add(ob::kMachineGranular, "", 3.0f);
  layered.zoneCount = 2;
  layered.slot[0] = 3;
  layered.slot[1] = 41;
  add(ob::kMachineDrum, "Tom", 0.0f);
  const std::string file = ob::kitPathToUtf8(rig.library / "borrowed.kit.orbi");
  ASSERT_TRUE(ob::KitLibrary::saveKitFile(file, *part, nullptr));
  const ob::KitEntry entry{file, "Borrowed", "", 1, {}, false};
  const auto fill = [&](std::uint32_t slot) {
    ob::SampleAudio audio;
    audio.left.assign(64, 0.5f);
    ASSERT_GE(rig.root.samples.replaceSlot(slot, std::move(audio)), 0);
  };

  fill(3);
  ASSERT_TRUE(rig.browser.loadKit(entry));
  EXPECT_EQ(rig.status(), "Loaded Borrowed: no sample for Kick and track 3");
  EXPECT_TRUE(rig.statusIsError());
  fill(41);
  ASSERT_TRUE(rig.browser.loadKit(entry));
  EXPECT_EQ(rig.status(), "Loaded Borrowed: no sample for Kick");
  fill(40);
  ASSERT_TRUE(rig.browser.loadKit(entry));
  EXPECT_EQ(rig.status(), "Loaded Borrowed");
  EXPECT_FALSE(rig.statusIsError());
}

TEST(KitBrowser, TheGrooveEditedFlagDecidesWhetherAKitBringsItsSteps) {
  KitRig rig;
  rig.browser.rescan();
  const int rock = rig.entryNamed("70s Rock");
  ASSERT_GE(rock, 0);
  ob::Pattern& part = rig.root.pattern();
  part.bpm = 77.0f;
  ASSERT_TRUE(rig.browser.loadKit(rig.browser.entries[rock]));
  EXPECT_GT(ob::countSetSteps(part), 0) << "an unedited groove takes the kit's";
  EXPECT_NE(part.bpm, 77.0f);

  ob::EditCommand toggle = command(ob::kEditToggleStep, 0, 0, 0, 0.0f);
  rig.root.apply(toggle);
  ASSERT_EQ(part.grooveEdited, 1);
  const ob::Pattern edited = part;
  ASSERT_TRUE(rig.browser.loadKit(rig.browser.entries[0]));
  EXPECT_EQ(std::memcmp(part.tracks[0].steps, edited.tracks[0].steps, sizeof edited.tracks[0].steps), 0);
  EXPECT_EQ(part.bpm, edited.bpm);

  // A kit of fewer tracks takes the hits of the others with them, said;
  // the snapshot holds them.
  const int last = part.numTracks - 1;
  ASSERT_GT(last, 0);
  for (int t = 1; t <= last; ++t) std::fill_n(part.tracks[t].steps, ob::kStepsPerTrack, ob::Step{});
  for (int s : {2, 10}) part.tracks[last].steps[s].active = 1;
  const ob::Pattern before = part;
  ASSERT_TRUE(rig.browser.loadKit(rig.browser.entries[rig.entryNamed("Glass")]));
  const std::string track = "track " + std::to_string(last + 1);
  EXPECT_EQ(rig.status(), "Loaded Glass; your steps lost 2: " + track + " step 3 hit and " + track +
                              " step 11 hit, which the kit's tracks lack; undo brings them back");
  EXPECT_EQ(std::memcmp(&rig.root.snapshots.back()->patterns[0], &before, sizeof before), 0);
}

TEST(KitBrowser, TheModifiedAnswerFollowsTheKitNotTheSteps) {
  KitRig rig;
  // A macro counts for the kit once it has a destination.
  ob::EditCommand dest = command(ob::kEditMacroDest, 0, 3, 1, 0.5f);
  rig.root.apply(dest);
  std::uint64_t revision = 0;
  ob::EditCommand first = command(ob::kEditToggleStep, 0, 0, 0, 0.0f);
  rig.root.apply(first);
  rig.browser.markClean();
  EXPECT_FALSE(rig.browser.isModified(++revision));
  ob::EditCommand step = command(ob::kEditToggleStep, 0, 5, 0, 0.0f);
  rig.root.apply(step);
  EXPECT_FALSE(rig.browser.isModified(++revision)) << "steps are no part of the kit";
  const ob::Project beforeMacro = rig.root.project();
  ob::EditCommand macro = command(ob::kEditMacroValue, 0, 0, 1, 0.6f);
  rig.root.apply(macro);
  EXPECT_TRUE(rig.browser.isModified(++revision));
  EXPECT_TRUE(rig.browser.isModified(revision));
  rig.root.project() = beforeMacro;  // what an undo does
  EXPECT_FALSE(rig.browser.isModified(++revision));
  ob::EditCommand param = command(ob::kEditSoundParam, 0, 0, 2, 0.9f);
  rig.root.apply(param);
  EXPECT_TRUE(rig.browser.isModified(++revision));
}

int textBuilds = 0;
std::string countedKitText(const ob::Pattern& pattern) {
  ++textBuilds;
  return ob::patternToJsonText(pattern);
}

TEST(KitBrowser, TheKitTextIsBuiltAtMostOncePerRevision) {
  KitRig rig;
  rig.browser.kitText = &countedKitText;
  textBuilds = 0;
  rig.browser.markClean();
  EXPECT_EQ(textBuilds, 1);
  for (std::uint64_t revision : {1u, 1u, 1u, 2u, 2u, 3u, 3u, 3u}) rig.browser.isModified(revision);
  EXPECT_EQ(textBuilds, 4);
  rig.steps(10);
  EXPECT_EQ(textBuilds, 4) << "drawing builds nothing";
}

TEST(KitBrowser, DeleteIsOffForBuiltInKitsAndWithoutASelection) {
  KitRig rig;
  rig.browser.rescan();
  const std::string firstBuiltIn = rig.browser.entries.front().name;
  for (const std::string& current : {std::string("Nowhere"), firstBuiltIn}) {
    SCOPED_TRACE(current);
    ob::setKitName(rig.root.pattern().kit, current);
    rig.browser.syncSelection();
    rig.steps(3);
    ASSERT_EQ(rig.items("folder").size(), 1u) << "the popup is open";
    EXPECT_TRUE(rig.items("delete").empty()) << "a disabled button takes no click";
    rig.pressKey(ui::Key::Escape);
  }

  ob::setKitName(rig.root.pattern().kit, "Glass");
  rig.browser.syncSelection();
  rig.steps(3);
  ASSERT_GE(rig.browser.selectedRow, 0);
  ASSERT_EQ(rig.items("delete").size(), 1u);
  rig.clickAt(centreOf(rig.items("delete")[0]));
  EXPECT_EQ(rig.status(), "Deleted Glass");
  EXPECT_FALSE(fs::exists(rig.library / "glass.kit.orbi"));
  EXPECT_EQ(rig.entryNamed("Glass"), -1);
  EXPECT_EQ(rig.browser.selectedRow, -1);
  EXPECT_EQ(rig.kitName(), "Glass") << "the part keeps the deleted kit";
  EXPECT_TRUE(rig.root.snapshots.empty());
}

TEST(KitBrowser, ALoadFromTheListClosesThePopupAndKeepsThePosition) {
  KitRig rig;
  rig.browser.syncSelection();
  EXPECT_EQ(rig.browser.selectedRow, -1);
  rig.browser.filter = "dark";
  rig.browser.applyFilter();
  rig.steps(3);
  EXPECT_TRUE(rig.drew("#dark #live   by X   dark.kit.orbi"));
  const std::vector<ui::Rect> rows = rig.items("row");
  ASSERT_EQ(rows.size(), 1u);
  rig.clickAt(centreOf(rows[0]));
  rig.steps(2);
  EXPECT_EQ(rig.status(), "Loaded Dark Live");
  EXPECT_EQ(rig.kitName(), "Dark Live");
  EXPECT_EQ(rig.root.commits, std::vector<bool>{true});
  EXPECT_EQ(rig.root.snapshots.size(), 1u);
  EXPECT_TRUE(rig.items("row").empty()) << "the popup closed";
}

TEST(KitBrowser, ThePopupsKeepTheSizeTheyOpenWith) {
  KitRig rig;
  ob::setKitName(rig.root.pattern().kit, "Glass");
  rig.browser.syncSelection();
  rig.steps(3);
  const ui::Rect folder = rig.items("folder").at(0);
  const ui::Rect opened = rig.items("delete").at(0);
  rig.steps(20);
  const ui::Rect later = rig.items("delete").at(0);
  EXPECT_EQ(later.y, opened.y) << "the window does not shrink to what Dear ImGui laid out";
  // Header to bottom bar spans the popup's 380 less its padding.
  EXPECT_GT(later.y + later.height - folder.y, 350.0f);
}

// Clicks "Folder..." and answers the dialog it asks for with the result.
void chooseFolder(KitRig& rig, const ui::FileDialogResult& result, ui::FileDialogRequest& asked) {
  rig.steps(30);  // not the second click of a double-click
  rig.clickAt(centreOf(rig.items("folder").at(0)));
  ui::FileDialogQueue& queue = ui::fileDialogQueue(rig.harness.ui());
  std::optional<ui::FileDialogQueue::Pending> pending = queue.takePending();
  ASSERT_TRUE(pending);
  asked = pending->request;
  queue.deliver(pending->id, result);
  rig.steps(2);
}

TEST(KitBrowser, AChosenFolderIsListedAndACancelledChoiceChangesNothing) {
  KitRig rig;
  const fs::path other = rig.home.path() / "other";
  fs::create_directories(other);
  test::writeKit(other, {"one.kit.orbi", "Other One", "", ""});
  rig.harness.destroyFileDialogPump();  // the test answers the dialogs
  rig.browser.syncSelection();
  rig.steps(3);

  ui::FileDialogRequest asked;
  chooseFolder(rig, {ui::FileDialogStatus::Cancelled, {}}, asked);
  EXPECT_EQ(asked.kind, ui::FileDialogKind::Folder);
  EXPECT_EQ(asked.title, "Select kit library folder");
  EXPECT_EQ(asked.folder, ob::kitPathToUtf8(rig.library));
  EXPECT_EQ(rig.browser.session.folder, rig.library);

  chooseFolder(rig, {ui::FileDialogStatus::Chosen, {ob::kitPathToUtf8(other)}}, asked);
  EXPECT_EQ(rig.browser.session.folder, other);
  EXPECT_EQ(rig.browser.resolvedFolder, other);
  EXPECT_GE(rig.entryNamed("Other One"), 0);
  EXPECT_EQ(rig.entryNamed("Glass"), -1);
  EXPECT_TRUE(rig.drew(ob::kitPathToUtf8(other)));
}

TEST(KitBrowser, AVanishedChosenFolderFallsBackToTheDefault) {
  KitRig rig;
  rig.browser.rescan();
  rig.browser.browserPending = true;
  rig.steps(3);
  EXPECT_TRUE(rig.drew(ob::kitPathToUtf8(rig.library)));
  fs::remove_all(rig.library);
  rig.steps(2);
  const fs::path fallback = rig.home.kitsFolder();
  EXPECT_TRUE(rig.drew(ob::kitPathToUtf8(fallback))) << "the popup shows where the next rescan looks";
  EXPECT_FALSE(fs::exists(fallback)) << "a frame creates nothing";
  rig.browser.rescan();
  EXPECT_EQ(rig.browser.resolvedFolder, fallback);
  EXPECT_TRUE(fs::is_directory(fallback));
  EXPECT_EQ(rig.entryNamed("Glass"), -1);
  EXPECT_FALSE(fs::exists(rig.home.path() / "kits")) << "nothing in the current directory";
}

TEST(KitBrowser, WithoutAChosenFolderKitsGoToTheUsersDataFolder) {
  KitRig rig;
  rig.browser.session.folder.clear();
  rig.browser.saveName = "Mine";
  rig.browser.saveKit();
  EXPECT_FALSE(rig.statusIsError()) << rig.status();
  EXPECT_TRUE(fs::is_regular_file(rig.home.kitsFolder() / "Mine.kit.orbi"));
  rig.browser.rescan();
  EXPECT_EQ(rig.browser.resolvedFolder, rig.home.kitsFolder());
  EXPECT_GE(rig.entryNamed("Mine"), 0);
  EXPECT_FALSE(fs::exists(rig.home.path() / "kits")) << "nothing in the current directory";
}

TEST(KitBrowser, AnUncreatableDefaultFolderComplainsOncePerRescan) {
  KitRig rig;
  rig.browser.session.folder.clear();
  fs::create_directories(rig.home.kitsFolder().parent_path());
  std::ofstream(rig.home.kitsFolder()) << "a file where the folder would go";
  testing::internal::CaptureStderr();
  rig.browser.rescan();
  const std::string once = testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::count(once.begin(), once.end(), '\n'), 1) << once;
  EXPECT_TRUE(rig.statusIsError()) << "the folder could not be listed";
  EXPECT_EQ(rig.browser.entries.size(), 9u) << "the built-in kits stay";

  testing::internal::CaptureStderr();
  rig.browser.browserPending = true;
  rig.steps(20);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "an open popup asks the disk nothing";
}

}  // namespace kit_browser_test
}  // namespace orbi
