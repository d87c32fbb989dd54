// The macros panel driven by scripted pointer and key frames: the faders,
// selection and rename of the cells, the destination rows and the
// parameter browser, checked through the commands the panel sends.

#include "editor/macros/macro_panel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <set>
#include <string>

#include "editor/gone_report.h"
#include "editor/let_go_report.h"
#include "tests/editor/shell_rig.h"
#include "ui/context.h"
#include "ui/controls/value_text.h"
#include "ui/draw/text.h"

namespace orbi {
namespace macro_panel_test {

using test::centreOf;

constexpr ui::Rect kArea{20.0f, 60.0f, 920.0f, 110.0f};

class MacroRig : public test::ShellRig {
 public:
  MacroRig() {
    root.addTrack(ob::kMachineDrum, "Kick");
    root.addTrack(ob::kMachineVa, "Bass");
    root.pattern().numTracks = 3;  // the third track plays no sound
    body = [this] { panel.draw(kArea); };
    step();
  }
  ob::Macro& macro(int m) { return root.pattern().kit.macros[m]; }
  void addDestination(int m, int track, int param, float target) {
    ob::Macro& mac = macro(m);
    mac.dests[mac.destCount++] = {static_cast<std::uint8_t>(track), static_cast<std::uint8_t>(param), target};
  }
  // The fader strip of cell i: its hit area less the 6 above and below.
  ui::Rect strip(int i) {
    ui::Rect r = items("fader").at(i);
    return {r.x, r.y + 6.0f, r.width, r.height - 12.0f};
  }
  ImVec2 nameOf(int i) { return {panel.cellRects[i].x + 30.0f, panel.cellRects[i].y + 7.0f}; }
  std::vector<float> values() {
    std::vector<float> out;
    for (const ob::EditCommand& c : root.sentOf(ob::kEditMacroValue)) out.push_back(c.value);
    return out;
  }
  void select(int m) {
    panel.selectedMacro = m;
    step();
  }
  void openBrowser(int m) {
    select(m);
    steps(30);
    clickAt(centreOf(items("macro.add").at(0)));
    steps(2);
  }
  // The browser cell of a parameter key of the track's sound: the browser's
  // cells follow the four macro cells, in the order of its items.
  ui::Rect browserCell(int track, const char* key) {
    const ob::Sound& sound = root.pattern().kit.sounds[root.pattern().tracks[track].soundIndex];
    const int param = ob::findParamIndex(sound.machine, key);
    const std::vector<ui::Rect> cells = items("cell");
    for (std::size_t i = 0; i < panel.browser.items.size(); ++i)
      if (static_cast<int>(panel.browser.items[i].param) == param && ob::kMacroCount + i < cells.size())
        return cells[ob::kMacroCount + i];
    return {};
  }

  test::FakeRoot root;
  MacroPanel panel{root};
};

TEST(MacroPanel, APressSelectsAndADragPastEitherEndSendsTheEnd) {
  MacroRig rig;
  rig.macro(1).value = 0.5f;
  const ui::Rect s = rig.strip(1);
  const float y = s.y + s.height / 2.0f;
  rig.pressAt({s.x + s.width * 0.9f, y});
  EXPECT_TRUE(rig.values().empty()) << "a press alone sets nothing";
  EXPECT_EQ(rig.panel.selectedMacro, 1) << "the press selects the cell";
  rig.moveTo({s.x - s.width, y});
  rig.button(false);
  rig.steps(30);
  rig.pressAt({s.x + s.width * 0.1f, y});
  rig.moveTo({s.x + 2.0f * s.width, y});
  rig.button(false);
  const std::vector<ob::EditCommand> sent = rig.root.sentOf(ob::kEditMacroValue);
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].value, 0.0f);
  EXPECT_EQ(sent[1].value, 1.0f);
  for (const ob::EditCommand& c : sent) EXPECT_EQ(c.param, 1);
  EXPECT_EQ(rig.macro(1).value, 1.0f);
}

TEST(MacroPanel, ADragSendsOnlyOnFramesWherePointerMovedAcross) {
  MacroRig rig;
  const ui::Rect s = rig.strip(0);
  const float y = s.y + s.height / 2.0f;
  rig.pressAt({s.x + 10.0f, y});
  rig.steps(5);
  EXPECT_TRUE(rig.values().empty()) << "a press and a still pointer send nothing";
  rig.moveTo({s.x + 10.0f, y + 3.0f});
  EXPECT_TRUE(rig.values().empty()) << "an upright movement sends nothing";
  for (int i = 1; i <= 3; ++i) {
    rig.moveTo({s.x + 10.0f + 20.0f * i, y});
    rig.step();
  }
  rig.moveTo({s.x + s.width + 50.0f, y});
  rig.button(false);
  const std::vector<float> v = rig.values();
  ASSERT_EQ(v.size(), 4u);
  EXPECT_TRUE(std::is_sorted(v.begin(), v.end()));
  EXPECT_EQ(v.back(), 1.0f) << "past the end is the end";
}

TEST(MacroPanel, AClickTogglesTheSelectionAndTheListFollows) {
  MacroRig rig;
  rig.addDestination(2, 0, 3, 0.5f);
  rig.step();
  rig.clickAt(rig.nameOf(2));
  EXPECT_EQ(rig.panel.selectedMacro, 2);
  rig.step();
  EXPECT_EQ(rig.items("target").size(), 1u);
  rig.steps(30);
  rig.clickAt(rig.nameOf(2));
  EXPECT_EQ(rig.panel.selectedMacro, -1);
  rig.step();
  EXPECT_TRUE(rig.drew("click a macro to see its destinations"));
  EXPECT_TRUE(rig.root.sent.empty()) << "selection sends nothing";
}

TEST(MacroPanel, CellLabelsShowNameNumberAndDestinationCount) {
  MacroRig rig;
  ob::copyText(rig.macro(0).name, "Crush");
  for (int i = 0; i < 3; ++i) rig.addDestination(0, 0, i, 0.2f);
  rig.step();
  EXPECT_TRUE(rig.drew("Crush  (3)"));
  EXPECT_TRUE(rig.drew("macro 2"));
  EXPECT_TRUE(rig.drew("macro 4"));
}

class RenameTest : public ::testing::Test {
 protected:
  // A double-click on the name band; the field opens with the name.
  void startRename(int m, const char* name) {
    ob::copyText(rig.macro(m).name, name);
    rig.step();
    rig.doubleClickAt(rig.nameOf(m));
    rig.steps(3);
    ASSERT_EQ(rig.panel.renameMacro, m);
    ASSERT_EQ(rig.panel.selectedMacro, m);
    ASSERT_EQ(rig.panel.renameText, name);
  }
  MacroRig rig;
};

TEST_F(RenameTest, EnterSendsTheNameAndEscapeSendsNothing) {
  startRename(3, "");
  rig.type("Air");
  rig.pressKey(ui::Key::Enter);
  const std::vector<ob::EditCommand> names = rig.root.sentOf(ob::kEditMacroName);
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0].param, 3);
  EXPECT_STREQ(names[0].text, "Air");
  EXPECT_STREQ(rig.macro(3).name, "Air");
  rig.steps(2);
  EXPECT_EQ(rig.panel.renameMacro, -1) << "the popup closed";

  startRename(1, "Old");
  rig.type("er");
  rig.pressKey(ui::Key::Escape);
  rig.steps(2);
  EXPECT_EQ(rig.root.sentOf(ob::kEditMacroName).size(), 1u);
  EXPECT_STREQ(rig.macro(1).name, "Old");
  EXPECT_EQ(rig.panel.renameMacro, -1);
}

TEST_F(RenameTest, AnEmptyNameBringsBackTheNumber) {
  startRename(0, "Old");
  for (int i = 0; i < 3; ++i) rig.pressKey(ui::Key::Backspace);
  rig.pressKey(ui::Key::Enter);
  rig.step();
  ASSERT_EQ(rig.root.sentOf(ob::kEditMacroName).size(), 1u);
  EXPECT_STREQ(rig.macro(0).name, "");
  EXPECT_TRUE(rig.drew("macro 1"));
}

// The field takes what the name holds, cut at a character boundary, and
// says that it left the rest out.
TEST_F(RenameTest, ALongNameIsCutAtACharacterBoundary) {
  const std::string said = "A macro name holds 23 bytes: the rest was left out";
  startRename(2, "");
  // 22 ASCII bytes, then a two-byte character across bytes 23 and 24.
  const std::string typed = std::string(22, 'n') + "\xC3\xA9" + "tail!!";
  ASSERT_EQ(typed.size(), 30u);
  rig.type(typed);
  EXPECT_EQ(rig.panel.pendingNotice.value_or(""), said);
  rig.pressKey(ui::Key::Enter);
  EXPECT_EQ(std::string(rig.macro(2).name), std::string(22, 'n'));
  rig.steps(30);
  rig.panel.pendingNotice.reset();
  startRename(1, "");
  rig.type(std::string(30, 'a'));
  EXPECT_EQ(rig.panel.pendingNotice.value_or(""), said);
  // Said once a rename, however many keys more the full field refuses.
  rig.panel.pendingNotice.reset();
  rig.type("more");
  EXPECT_FALSE(rig.panel.pendingNotice.has_value());
  rig.pressKey(ui::Key::Enter);
  EXPECT_EQ(std::string(rig.macro(1).name), std::string(23, 'a'));
}

TEST(MacroPanel, ARightClickRemovesADestinationAndLaterRowsWaitAFrame) {
  MacroRig rig;
  for (int i = 0; i < 3; ++i) rig.addDestination(0, 0, 10 + i, 0.3f);
  rig.select(0);
  ASSERT_EQ(rig.items("row").size(), 3u);
  const ui::Rect first = rig.items("row").at(0);
  rig.moveTo({first.x + 5.0f, first.y + first.height / 2.0f});
  rig.button(true, ImGuiMouseButton_Right);
  const std::vector<ob::EditCommand> removed = rig.root.sentOf(ob::kEditRemoveMacroDest);
  ASSERT_EQ(removed.size(), 1u);
  EXPECT_EQ(removed[0].track, 0u);
  EXPECT_EQ(removed[0].step, 10u);
  EXPECT_EQ(removed[0].param, 0);
  EXPECT_EQ(rig.items("row").size(), 1u) << "no rows after the removed one this frame";
  rig.button(false, ImGuiMouseButton_Right);
  EXPECT_EQ(rig.items("row").size(), 2u);
  EXPECT_EQ(rig.macro(0).dests[0].param, 11);
}

// The rows that show, by the handles drawn, in order.
std::vector<std::string> shownTargets(MacroRig& rig) {
  std::vector<std::string> out;
  for (const ui::HandleRecord& h : rig.harness.drawLog().handles())
    if (h.name.rfind("target ", 0) == 0) out.push_back(h.name);
  return out;
}

std::string readoutOf(MacroRig& rig) {
  for (const ui::DrawRecord& r : rig.harness.drawLog().records())
    if (r.text.find(" \u00B7 scroll") != std::string::npos) return r.text;
  return {};
}

TEST(MacroPanel, EightDestinationsHideTheAddRowAndTheListShowsWholeRows) {
  MacroRig rig;
  for (int i = 0; i < ob::kListCapacity; ++i) rig.addDestination(1, 0, i, 0.1f);
  rig.select(1);
  EXPECT_TRUE(rig.items("macro.add").empty());
  // Four rows of 16 fit under the cells: they show, and say so.
  const std::vector<ui::Rect> rows = rig.items("row");
  ASSERT_EQ(rows.size(), 4u);
  for (const ui::Rect& row : rows) EXPECT_GE(row.height, 16.0f);
  EXPECT_EQ(readoutOf(rig), "1\u20134 of 8 \u00B7 scroll");
  rig.macro(1).destCount = 7;
  rig.step();
  // Without a title strip the add row sits under the rows, which make room.
  ASSERT_EQ(rig.items("macro.add").size(), 1u);
  const ui::Rect add = rig.items("macro.add")[0];
  EXPECT_GT(add.y, rig.items("row").back().y) << "the add row sits under the rows";
  EXPECT_EQ(rig.items("row").size(), 3u);
  // With one, the add row goes there and the rows keep the list. The strip
  // lies outside the panel's content, drawn under its clip as the root view
  // draws it, and takes the click all the same.
  const ui::Rect strip{kArea.x, kArea.y - 26.0f, kArea.width, 24.0f};
  rig.body = [&rig, strip] {
    ImGui::PushClipRect(ImVec2(kArea.x, kArea.y), ImVec2(kArea.x + kArea.width, kArea.y + kArea.height),
                        true);
    rig.panel.draw(kArea, strip);
    ImGui::PopClipRect();
  };
  rig.steps(30);
  ASSERT_EQ(rig.items("macro.add").size(), 1u);
  const ui::Rect inStrip = rig.items("macro.add")[0];
  EXPECT_GE(inStrip.y, strip.y);
  EXPECT_LE(inStrip.y + inStrip.height, strip.y + strip.height);
  EXPECT_GT(inStrip.x, strip.x + strip.width / 2.0f) << "right-aligned";
  EXPECT_EQ(rig.items("row").size(), 4u);
  rig.clickAt(centreOf(inStrip));
  rig.steps(2);
  EXPECT_EQ(rig.panel.browserMacro, 1) << "the add row in the strip opens the browser";
}

// At eight destinations the title strip says the macro is full where it
// offered another; below eight it offers one again.
TEST(MacroPanel, AFullMacroSaysSoWhereTheAddRowWas) {
  MacroRig rig;
  const ui::Rect strip{kArea.x, kArea.y - 26.0f, kArea.width, 24.0f};
  rig.body = [&rig, strip] { rig.panel.draw(kArea, strip); };
  for (int i = 0; i < ob::kListCapacity; ++i) rig.addDestination(1, 0, i, 0.1f);
  rig.select(1);
  const auto fullWord = [&rig]() -> const ui::DrawRecord* {
    for (const ui::DrawRecord& r : rig.harness.drawLog().records())
      if (r.op == ui::DrawOp::Text && r.text == "macro full: 8 destinations") return &r;
    return nullptr;
  };
  const ui::DrawRecord* full = fullWord();
  ASSERT_NE(full, nullptr);
  EXPECT_TRUE(rig.items("macro.add").empty());
  EXPECT_GE(full->rect.y, strip.y);
  EXPECT_LE(full->rect.y + full->rect.height, strip.y + strip.height);
  rig.macro(1).destCount = 7;
  rig.step();
  EXPECT_EQ(fullWord(), nullptr);
  EXPECT_EQ(rig.items("macro.add").size(), 1u);
}

TEST(MacroPanel, ItsHeightsShowEveryRowThreeOrOneAndTheWheelBringsTheOthers) {
  MacroRig rig;
  const auto heights = [&rig] { return rig.scoped([&rig] { return rig.panel.contentHeights(); }); };
  const MacroPanel::Heights folded = heights();
  EXPECT_FLOAT_EQ(folded.floor, folded.wanted);
  EXPECT_LT(folded.floor, kArea.height);
  for (int i = 0; i < ob::kListCapacity; ++i) rig.addDestination(1, 0, i, 0.1f);
  rig.select(1);
  const MacroPanel::Heights open = heights();
  EXPECT_GT(open.floor, folded.floor);
  EXPECT_GT(open.comfort, open.floor);
  EXPECT_GT(open.full, open.comfort);
  EXPECT_GT(open.wanted, open.full);
  const auto bottom = [](const ui::Rect& r) { return r.y + r.height; };
  const std::pair<float, std::size_t> shown[] = {
      {open.wanted, 8u}, {open.full, 8u}, {open.comfort, 3u}, {open.floor, 1u}};
  for (const auto& [height, count] : shown) {
    SCOPED_TRACE(height);
    const ui::Rect area{kArea.x, kArea.y, kArea.width, height};
    rig.body = [&rig, area] { rig.panel.draw(area); };
    rig.steps(2);
    const std::vector<ui::Rect> rows = rig.items("row");
    ASSERT_EQ(rows.size(), count);
    for (const ui::Rect& row : rows) {
      EXPECT_GE(row.height, 16.0f);
      EXPECT_LE(bottom(row), bottom(area) + 1e-3f);
    }
    EXPECT_EQ(readoutOf(rig).empty(), count == 8u);
  }
  // The wheel over the low list brings the last row in, whole.
  const ui::Rect first = rig.items("row").front();
  rig.moveTo(centreOf(first));
  rig.harness.scrollWheel(-20.0f);
  rig.step();
  EXPECT_EQ(shownTargets(rig), (std::vector<std::string>{"target 8"}));
  const ui::Rect last = rig.items("row").back();
  EXPECT_LE(bottom(last), kArea.y + open.floor + 0.5f);
  EXPECT_GE(last.y, first.y - 0.5f);
  // And back, a notch a row.
  rig.harness.scrollWheel(1.0f);
  rig.step();
  EXPECT_EQ(shownTargets(rig), (std::vector<std::string>{"target 7"}));
}

TEST(MacroPanel, WithoutASelectionTheHintGoesToTheStripItIsGiven) {
  MacroRig rig;
  const ui::Rect strip{kArea.x, kArea.y - 26.0f, kArea.width, 24.0f};
  rig.body = [&rig, strip] { rig.panel.draw({kArea.x, kArea.y, kArea.width, 38.0f}, strip); };
  rig.step();
  const ui::DrawRecord* hint = nullptr;
  for (const ui::DrawRecord& r : rig.harness.drawLog().records())
    if (r.text == "click a macro to see its destinations") hint = &r;
  ASSERT_NE(hint, nullptr);
  EXPECT_FLOAT_EQ(hint->rect.y, strip.y);
  EXPECT_FLOAT_EQ(hint->rect.height, strip.height);
}

TEST(MacroPanel, ADestinationWithoutSoundIsNumberedAndSpansZeroToOne) {
  MacroRig rig;
  ob::MacroDest dest{2, 17, 0.25f};
  const MacroPanel::DestinationInfo info = MacroPanel::describeDestination(rig.root.pattern(), dest);
  EXPECT_EQ(info.label, "t3:p17");
  EXPECT_EQ(info.base, 0.0f);
  EXPECT_EQ(info.min, 0.0f);
  EXPECT_EQ(info.max, 1.0f);

  const int cutoff = ob::findParamIndex(ob::kMachineVa, "cutoff");
  ASSERT_GE(cutoff, 0);
  const ob::ParamInfo range = ob::paramInfo(ob::kMachineVa, cutoff);
  const MacroPanel::DestinationInfo named =
      MacroPanel::describeDestination(rig.root.pattern(), {1, static_cast<std::uint8_t>(cutoff), 0.0f});
  EXPECT_EQ(named.label, "Bass: Cutoff");
  EXPECT_EQ(named.min, range.min);
  EXPECT_EQ(named.max, range.max);
  EXPECT_EQ(named.base, rig.root.pattern().kit.sounds[1].params[cutoff]);

  rig.addDestination(0, 2, 17, 0.25f);
  rig.select(0);
  const ui::Rect slider = rig.items("target").at(0);
  const float y = slider.y + slider.height / 2.0f;
  rig.pressAt({slider.x + slider.width * 0.75f, y});
  EXPECT_TRUE(rig.root.sentOf(ob::kEditMacroDest).empty());
  rig.moveTo({slider.x + slider.width * 0.5f, y});  // a quarter of the span down from 0.25
  rig.button(false);
  const std::vector<ob::EditCommand> set = rig.root.sentOf(ob::kEditMacroDest);
  ASSERT_EQ(set.size(), 1u);
  EXPECT_NEAR(set[0].value, 0.0f, 0.01f);
  EXPECT_EQ(set[0].track, 2u);
  EXPECT_EQ(set[0].step, 17u);

  // A parameter has one name wherever the editor names it: the macro
  // panel's destinations and picker, the status line (a named macro by its
  // name) and what an edit lets go of what a load kept; no two parameters
  // of different meaning share one, on one sound or on two machines.
  ob::Pattern& part = rig.root.pattern();
  ob::Sound& sound = part.kit.sounds[part.tracks[1].soundIndex];
  ob::copyText(part.kit.macros[0].name, "Wobble");
  rig.root.track = 1;
  std::map<std::string, std::pair<int, int>> namers;  // the machine and parameter named first
  for (std::uint8_t machine = 0; machine < ob::kMachineTypeCount; ++machine) {
    ob::initSoundParams(sound, machine);
    ob::copyText(sound.id, "s-bass");
    rig.panel.openParamBrowser(0);
    std::map<int, std::string> picked;
    for (const MacroPanel::BrowserItem& item : rig.panel.browser.items)
      picked[static_cast<int>(item.param)] = item.label;
    for (int k = 0; k < ob::paramCount(machine); ++k) {
      SCOPED_TRACE(testing::Message() << static_cast<int>(machine) << " " << ob::paramInfo(machine, k).id);
      const std::uint8_t param = static_cast<std::uint8_t>(k);
      const std::string label = MacroPanel::describeDestination(part, {1, param, 0.0f}).label;
      const std::string name = label.substr(label.find(": ") + 2);
      EXPECT_EQ(goneNames({{ob::GoneKind::MacroDest, machine, param, 1, 0}}, part.kit).gone.at(0),
                "Wobble on " + name);
      ob::KeptRecord kept;
      kept.owner = {ob::KeptOwnerKind::Sound, "s-bass"};
      kept.place = ob::KeptPlace::InPlace;
      kept.path = {"state", "sounds", "s-bass", "params", ob::paramInfo(machine, k).id};
      EXPECT_EQ(letGoNames({kept}, rig.root.project()), std::vector<std::string>{"Bass value of " + name});
      if (picked.contains(k)) {
        EXPECT_EQ(picked[k], name);
      }
      const auto [first, fresh] = namers.try_emplace(name, machine, k);
      const auto [otherMachine, other] = first->second;
      EXPECT_TRUE(fresh || (otherMachine != machine &&
                            ob::meanTheSame(ob::paramInfo(machine, k), ob::paramInfo(otherMachine, other))))
          << name << " also names parameter " << other << " of machine " << otherMachine;
    }
    EXPECT_FALSE(picked.empty());
  }
}

// A dragged target shows the value it sets, with its unit, while the
// macro at 0 leaves the parameter where it was; a dragged fader shows the
// macro's value.
TEST(MacroPanel, ADraggedTargetOrFaderShowsTheValueItSets) {
  MacroRig rig;
  const int cutoff = ob::findParamIndex(ob::kMachineVa, "cutoff");
  ASSERT_GE(cutoff, 0);
  rig.addDestination(0, 1, cutoff, 2000.0f);
  rig.select(0);
  const auto drawn = [&rig](const std::string& text) {
    for (const ui::DrawRecord& r : rig.harness.drawLog().records())
      if (r.op == ui::DrawOp::Text && r.text == text) return true;
    return false;
  };
  const ui::Rect slider = rig.items("target").at(0);
  const float y = slider.y + slider.height / 2.0f;
  rig.pressAt({slider.x + slider.width * 0.1f, y});
  rig.moveTo({slider.x + slider.width * 0.3f, y});
  const std::vector<ob::EditCommand> set = rig.root.sentOf(ob::kEditMacroDest);
  ASSERT_FALSE(set.empty());
  const ob::ParamInfo range = ob::paramInfo(ob::kMachineVa, cutoff);
  const std::string target = ui::formatNumber(set.back().value, 0) + " Hz";
  EXPECT_GT(range.max - range.min, 100.0f);  // whole hertz
  EXPECT_TRUE(drawn(target)) << "no \"" << target << "\" while the target moves";
  rig.button(false);

  rig.steps(30);
  const ui::Rect s = rig.strip(2);
  rig.pressAt({s.x + 10.0f, s.y + s.height / 2.0f});
  rig.moveTo({s.x + 10.0f + s.width * 0.42f, s.y + s.height / 2.0f});
  const std::string percent = std::to_string(std::lround(rig.macro(2).value * 100.0f)) + "%";
  EXPECT_GT(rig.macro(2).value, 0.0f);
  EXPECT_TRUE(drawn(percent)) << "no \"" << percent << "\" while the fader moves";
  rig.button(false);
}

TEST(MacroPanel, PickingAnExistingDestinationOnlyRetargetsIt) {
  MacroRig rig;
  rig.root.track = 0;
  const int tone = ob::findParamIndex(ob::kMachineDrum, "exc1_tone");
  ASSERT_GE(tone, 0);
  rig.addDestination(0, 0, tone, 0.0f);
  rig.openBrowser(0);
  ASSERT_EQ(rig.panel.browserMacro, 0);
  ASSERT_EQ(rig.panel.browserTrack, 0);
  EXPECT_EQ(rig.panel.browser.title, "macro 1  \u00B7  add to  Kick");
  const bool dotDrawn = rig.scoped(
      [] { return ui::styleFont(ui::TextStyle::Small).face->FindGlyphNoFallback(0x00B7) != nullptr; });
  EXPECT_TRUE(dotDrawn) << "the title's middle dot is in the font";
  const ui::Rect cell = rig.browserCell(0, "exc1_tone");
  ASSERT_GT(cell.width, 0.0f);
  rig.clickAt(centreOf(cell));
  rig.steps(2);
  EXPECT_EQ(rig.macro(0).destCount, 1);
  EXPECT_EQ(rig.macro(0).dests[0].target, ob::paramInfo(ob::kMachineDrum, tone).max);
  EXPECT_TRUE(rig.items("macro.paramBrowser.scroll").empty());
  EXPECT_EQ(rig.panel.browserMacro, 0) << "kept after the popup closed";
}

TEST(MacroPanel, TheDrumBrowserHeadsExciterOneTwice) {
  MacroRig rig;
  rig.openBrowser(2);
  int headers = 0;
  for (const ui::DrawRecord& r : rig.harness.drawLog().records())
    if (r.text == "Exciter 1" && r.style == ui::TextStyle::Heading) ++headers;
  EXPECT_EQ(headers, 2);
}

TEST(MacroPanel, TheSynthesiserBrowserListsContinuousParametersOnly) {
  MacroRig rig;
  rig.root.track = 1;
  rig.openBrowser(0);
  const auto& items = rig.panel.browser.items;
  ASSERT_FALSE(items.empty());
  for (const MacroPanel::BrowserItem& item : items) {
    SCOPED_TRACE(item.label);
    EXPECT_EQ(ob::paramInfo(ob::kMachineVa, item.param).stepped, 0u);
  }
  const auto listed = [&](const char* key) {
    const int k = ob::findParamIndex(ob::kMachineVa, key);
    EXPECT_GE(k, 0) << key;
    return std::any_of(items.begin(), items.end(),
                       [&](const MacroPanel::BrowserItem& i) { return static_cast<int>(i.param) == k; });
  };
  EXPECT_TRUE(listed("cutoff"));
  EXPECT_FALSE(listed("wave1")) << "a wave choice is no macro destination";
}

TEST(MacroPanel, AddingWithoutASoundOpensNothing) {
  MacroRig rig;
  for (int track : {2, -1, 5}) {
    SCOPED_TRACE(track);
    rig.root.track = track;
    rig.openBrowser(1);
    EXPECT_EQ(rig.panel.browserMacro, -1);
    EXPECT_TRUE(rig.items("macro.paramBrowser.scroll").empty());
  }
}

}  // namespace macro_panel_test
}  // namespace orbi
