// The macros panel and the kit browser inside the root view: where the
// frame draws them, what its undo rule makes of a macro target drag, the
// resets that come with a part change and an open, the kit baseline, the
// kit browser's messages on the status line and the kit commands.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "editor_rig.h"
#include "tests/editor/kit_rig.h"
#include "ui/header/header_model.h"
#include "ui/root.h"

namespace orbi::test {
namespace editor_panels_test {

namespace fs = std::filesystem;

// Pointer gestures on the root view's frames.
void hover(EditorRig& rig, ImVec2 p) {
  rig.harness.movePointer(p);
  rig.frames(1);
}
void click(EditorRig& rig, ImVec2 p) {
  rig.frames(30);  // no double-click with what came before
  hover(rig, p);
  rig.harness.setButton(ImGuiMouseButton_Left, true);
  rig.frames(1);
  rig.harness.setButton(ImGuiMouseButton_Left, false);
  rig.frames(1);
}
std::vector<ui::Rect> itemsOf(const EditorRig& rig, std::string_view id) {
  std::vector<ui::Rect> out;
  for (const ui::ItemRecord& item : rig.harness.drawLog().items())
    if (item.idText == id) out.push_back(item.hitArea);
  return out;
}

// The kit browser's rows: the bench page's tracks strip names its rows
// "row" too, below the bands.
std::vector<ui::Rect> kitRows(EditorRig& rig) {
  std::vector<ui::Rect> out;
  for (const ui::Rect& r : itemsOf(rig, "row"))
    if (r.y < rig.view().benchPage().rects.page.y) out.push_back(r);
  return out;
}

// A project of its own: the drum on track 1 with one macro destination.
void oneDestination(EditorRig& rig) {
  ob::Pattern& part = rig.project().patterns[0];
  part.numTracks = 1;
  part.tracks[0].soundIndex = 0;
  ob::initSoundParams(part.kit.sounds[0], ob::kMachineDrum);
  ob::Macro& macro = part.kit.macros[0];
  macro.destCount = 1;
  macro.dests[0] = {0, 3, 0.5f};
}

// The header's height over the content's top.
float headerBottom(EditorRig& rig) {
  float height = 0.0f;
  rig.harness.frame([&] { height = ui::headerHeight(rig.view().headerBar().model()); });
  return height;
}

TEST(EditorPanels, TheMacrosBandSitsUnderTheCreditsBand) {
  EditorRig rig;
  rig.frames(1);
  const float header = headerBottom(rig);
  rig.frames(1);
  const ui::DrawRecord* title = nullptr;
  for (const ui::DrawRecord& r : rig.harness.drawLog().records())
    if (r.text == "Macros") title = &r;
  ASSERT_NE(title, nullptr);
  // Below the header: 10 gap, 20 credits, 10 gap; the title sits 2 into
  // the panel.
  const float top = ui::contentInset(false) + header + 40.0f;
  EXPECT_FLOAT_EQ(title->rect.y, top + 2.0f);
  const std::vector<ui::Rect> faders = itemsOf(rig, "fader");
  ASSERT_EQ(faders.size(), 4u);
  for (const ui::Rect& f : faders) {
    EXPECT_GT(f.y, top);
    EXPECT_LT(f.y + f.height, top + 118.0f);
  }
}

TEST(EditorPanels, ATwoSecondTargetDragIsOneUndoStep) {
  EditorRig rig;
  oneDestination(rig);
  rig.view().macroPanel().selectedMacro = 0;
  rig.frames(2);
  const ui::Rect slider = itemsOf(rig, "target").at(0);
  const std::size_t before = rig.view().undoHistory().size();
  const float y = slider.y + slider.height / 2.0f;
  hover(rig, {slider.x + 2.0f, y});
  rig.harness.setButton(ImGuiMouseButton_Left, true);
  for (int frame = 0; frame < 120; ++frame) {
    // Up to a little under half the slider from 0.5: never resting at an end.
    rig.harness.movePointer({slider.x + 2.0f + (frame % 60) * slider.width / 128.0f, y});
    rig.frames(1);
  }
  rig.harness.setButton(ImGuiMouseButton_Left, false);
  rig.frames(1);
  EXPECT_EQ(rig.view().undoHistory().size(), before + 1);
  EXPECT_NE(rig.project().patterns[0].kit.macros[0].dests[0].target, 0.5f);
  rig.view().undo();
  EXPECT_EQ(rig.project().patterns[0].kit.macros[0].dests[0].target, 0.5f);
}

TEST(EditorPanels, APartChangeAndAnOpenClearTheMacroSelectionAndRenewTheBaseline) {
  EditorRig rig;
  oneDestination(rig);
  rig.frames(1);
  ob::EditCommand value;
  value.kind = ob::kEditMacroValue;
  value.value = 0.7f;
  rig.view().apply(value);
  EXPECT_TRUE(rig.view().kitModified());
  rig.view().undo();
  EXPECT_FALSE(rig.view().kitModified()) << "the first frame marked the kit as it was clean";
  rig.view().macroPanel().selectedMacro = 2;
  rig.view().selectPart(0);
  EXPECT_EQ(rig.view().macroPanel().selectedMacro, -1);

  const fs::path file =
      fs::temp_directory_path() / ("orbi-panels-" + std::to_string(::getpid()) + ".project.orbi");
  ASSERT_TRUE(rig.view().saveProject(file));
  rig.view().apply(value);
  EXPECT_TRUE(rig.view().kitModified());
  rig.view().macroPanel().selectedMacro = 1;
  ASSERT_TRUE(rig.view().openProject(file));
  fs::remove(file);
  EXPECT_EQ(rig.view().macroPanel().selectedMacro, -1);
  EXPECT_FALSE(rig.view().kitModified()) << "the opened project is the clean state";
}

TEST(EditorPanels, KitMessagesReachTheStatusLineOnTheNextFrame) {
  TempHome home;
  EditorRig rig;
  rig.frames(1);
  ob::setKitName(rig.project().patterns[0].kit, "Nowhere");
  rig.view().stepKit(+1);
  EXPECT_EQ(rig.view().statusText(), "");
  rig.frames(1);
  EXPECT_EQ(rig.view().statusText().rfind("Loaded ", 0), 0u) << rig.view().statusText();
  EXPECT_FALSE(rig.view().statusError());
  EXPECT_FALSE(rig.view().kitModified());
  EXPECT_FALSE(rig.view().kitBrowser().pendingStatus.has_value());
  // The macros panel's, and the host's log hears it.
  rig.view().macroPanel().pendingNotice = "A macro name holds 23 bytes: the rest was left out";
  rig.frames(1);
  EXPECT_EQ(rig.host.logLines.back().text, "editor-status : " + rig.view().statusText());
  EXPECT_EQ(rig.view().statusText(), "A macro name holds 23 bytes: the rest was left out");
}

// What a kit file holds that this build does not read (a newer build's):
// the status line names the first few, its hover and the host's log all,
// after the load's findings; the kit's saves keep it as read while the
// project holds that kit, an undo past another kit's load included.
TEST(EditorPanels, AKitsUnreadMembersAreSaidAndFollowTheKitThroughUndo) {
  TempHome home;
  EditorRig rig;
  rig.frames(1);
  KitBrowser& kits = rig.view().kitBrowser();
  kits.session.folder = home.path();
  writeKit(home.path(), {"Newer.kit.orbi", "Newer", "", ""});
  std::string text = fileText(home.path() / "Newer.kit.orbi");
  text.insert(text.find("\"exc1_type\""), "\"x-warp\": 0.250,\n          ");
  for (const char* key : {"x-d", "x-c", "x-b", "x-a"})
    text.insert(2, "  \"" + std::string(key) + "\": 1.50,\n");
  std::ofstream(home.path() / "Newer.kit.orbi", std::ios::binary) << text;
  kits.rescan();
  ASSERT_TRUE(kits.loadKit(*std::find_if(kits.entries.begin(), kits.entries.end(),
                                         [](const ob::KitEntry& e) { return e.name == "Newer"; })));
  rig.frames(1);
  // The kit of one track takes the demo's hits on the others, said after.
  const std::string kept = "Loaded Newer: kept 5 members: x-a, x-b, x-c",
                    unread = ", which this build does not read; your steps lost 18: track 2 step 5 hit, ";
  EXPECT_TRUE(rig.view().statusText().starts_with(kept + " and 2 more" + unread)) << rig.view().statusText();
  const std::string whole = rig.view().statusWhole();
  EXPECT_TRUE(whole.starts_with(kept + ", x-d and sounds/s-newer/params/x-warp" + unread)) << whole;
  EXPECT_TRUE(
      whole.ends_with(" and track 6 step 14 hit, which the kit's tracks lack; undo brings them back"));
  const ui::Rect line = rig.harness.drawLog().findItem("status")->hitArea;
  EXPECT_EQ(rig.harness.drawLog().findItem("status")->tooltip, whole);
  // On the line itself, at scale 1: a whole name, and how many more; what
  // has no room is cut between words, never inside a name.
  std::string shown;
  for (const ui::DrawRecord& r : rig.harness.drawLog().records())
    if (r.op == ui::DrawOp::Text && r.rect.y >= line.y && r.rect.y + r.rect.height <= line.y + line.height &&
        r.rect.x >= line.x)
      shown += (shown.empty() ? "" : " ") + r.text;
  EXPECT_NE(shown.find("kept 5 members: x-a and 4 more, which this build does not read"), std::string::npos)
      << shown;
  EXPECT_TRUE(shown.ends_with("your steps lost 18\xE2\x80\xA6") ||
              shown.ends_with(", which the kit's tracks lack; undo brings them back"))
      << shown;
  const auto last = rig.host.logLines.end();
  EXPECT_TRUE(last[-2].text.starts_with("unknown-param /state/sounds/s-newer/params/x-warp: "));
  EXPECT_EQ(last[-1].text, "editor-status : " + whole);

  rig.view().newKit();
  rig.view().undo();
  kits.saveName = "Newer";
  if (!kits.saveKit()) kits.confirmReplace();  // asked whether to write over the file
  EXPECT_EQ(kits.pendingStatus->text, "Saved Newer");
  EXPECT_EQ(fileText(home.path() / "Newer.kit.orbi"), text);
}

TEST(EditorPanels, TheBrowserOpensAtTheTopAndALoadPostsTheProject) {
  TempHome home;
  EditorRig rig;
  rig.frames(1);
  ob::setKitName(rig.project().patterns[0].kit, "Nowhere");
  rig.view().browseKits();
  rig.frames(3);
  const std::vector<ui::Rect> rows = kitRows(rig);
  ASSERT_GE(rows.size(), 2u);
  // Under the header's kit field on its first row: the row, the gap, the
  // popup's padding, header, path, filter and their gaps.
  EXPECT_GT(rows[0].y, ui::contentInset(false) + 36.0f);
  EXPECT_LT(rows[0].y, ui::contentInset(false) + 36.0f + 4.0f + 10.0f + 70.0f + 8.0f);
  const std::size_t before = rig.view().undoHistory().size();
  const std::uint64_t revision = rig.view().revision();
  click(rig, centreOf(rows[1]));
  rig.frames(1);
  EXPECT_EQ(rig.view().statusText(), "Loaded " + rig.view().kitBrowser().entries[1].name);
  EXPECT_EQ(rig.view().undoHistory().size(), before + 1);
  EXPECT_GT(rig.view().revision(), revision);
  EXPECT_TRUE(rig.engineHost().engine.mailboxFull()) << "the whole project went to the engine";
  EXPECT_TRUE(kitRows(rig).empty()) << "the popup closed";
}

TEST(EditorPanels, TheSaveFormCommandOpensTheFormThatSaves) {
  TempHome home;
  EditorRig rig;
  rig.frames(1);
  ob::setKitName(rig.project().patterns[0].kit, "Mine");
  rig.view().openKitSaveForm();
  rig.frames(3);
  // The header's kit field has a save button of its own; the form's comes
  // after it.
  const std::vector<ui::Rect> save = itemsOf(rig, "save");
  ASSERT_EQ(save.size(), 2u);
  click(rig, centreOf(save[1]));
  rig.frames(1);
  EXPECT_EQ(rig.view().statusText(), "Saved Mine");
  EXPECT_TRUE(fs::is_regular_file(home.kitsFolder() / "Mine.kit.orbi"));
  EXPECT_FALSE(rig.view().kitModified());
}

}  // namespace editor_panels_test
}  // namespace orbi::test
