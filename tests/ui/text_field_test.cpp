// The text field: what each way of typing and leaving reports, the rename
// pattern that commits on Enter alone, the decimal filter, a growing
// string, the focus border, fitting and the tooltip.
#include "ui/controls/text_field.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/ui/ui_harness.h"
#include "ui/draw/draw_log.h"
#include "ui/imgui_internals.h"

namespace orbi::ui {
namespace text_field_test {

constexpr ImGuiMouseButton kLeft = ImGuiMouseButton_Left;

// One text field "name" over a string, stepped a frame at a time.
class FieldRig {
 public:
  FieldRig() { harness.frame(); }

  TextFieldResult step() {
    harness.frame([&] { last = textField("name", rect, text, options); });
    return last;
  }
  void clickAt(ImVec2 point) {
    harness.movePointer(point);
    step();
    harness.setButton(kLeft, true);
    step();
    harness.setButton(kLeft, false);
    step();
  }
  // Clicks into the field and checks it took the keyboard.
  void focus() {
    clickAt(ImVec2(rect.x + 20.0f, rect.y + rect.height / 2.0f));
    ASSERT_TRUE(active()) << "the field did not take the keyboard";
  }
  bool active() {
    ContextScope scope(harness.ui());
    return GImGui->ActiveId != 0;
  }
  TextFieldResult type(const char* characters) {
    harness.typeText(characters);
    return step();
  }
  TextFieldResult press(Key key) {
    harness.setKey(key, true);
    const TextFieldResult result = step();
    harness.setKey(key, false);
    return result;
  }
  void chord(KeyChord keys) {
    harness.pressChord(keys);
    step();
    harness.releaseKeys();
    step();
  }
  // The outcomes of the next frames, which must all be Nothing.
  void expectQuiet(int frames) {
    for (int i = 0; i < frames; ++i) EXPECT_EQ(step(), TextFieldResult::Nothing) << "frame " << i;
  }

  UiHarness harness;
  std::string text;
  TextFieldOptions options;
  Rect rect{100.0f, 100.0f, 200.0f, 24.0f};
  TextFieldResult last = TextFieldResult::Nothing;
};

TEST(TextField, AKeystrokeReportsAnEdit) {
  FieldRig rig;
  rig.expectQuiet(2);
  rig.focus();
  EXPECT_EQ(rig.type("k"), TextFieldResult::Edited);
  EXPECT_EQ(rig.text, "k");
  rig.expectQuiet(2);
  EXPECT_EQ(rig.press(Key::Backspace), TextFieldResult::Edited);
  EXPECT_EQ(rig.text, "");
  // A key that changes nothing is no edit.
  EXPECT_EQ(rig.press(Key::Left), TextFieldResult::Nothing);
}

TEST(TextField, EnterWinsOverTheLeavingItCauses) {
  FieldRig rig;
  rig.text = "kick";
  rig.focus();
  EXPECT_EQ(rig.press(Key::Enter), TextFieldResult::Entered);
  EXPECT_FALSE(rig.active());
  EXPECT_EQ(rig.text, "kick");
  rig.expectQuiet(2);
}

TEST(TextField, EscapeLeavesWithEscapeEvenAfterTyping) {
  FieldRig rig;
  rig.focus();
  rig.type("snare");
  EXPECT_EQ(rig.press(Key::Escape), TextFieldResult::Escaped);
  EXPECT_FALSE(rig.active());
  rig.expectQuiet(2);
}

TEST(TextField, AClickElsewhereLeavesTheField) {
  FieldRig rig;
  rig.focus();
  rig.type("hat");
  rig.harness.movePointer(ImVec2(600.0f, 600.0f));
  rig.step();
  rig.harness.setButton(kLeft, true);
  EXPECT_EQ(rig.step(), TextFieldResult::Left);
  rig.harness.setButton(kLeft, false);
  rig.expectQuiet(2);
  EXPECT_EQ(rig.text, "hat");
}

TEST(TextField, TabLeavesForTheNextFieldOnce) {
  FieldRig rig;
  std::string tags;
  TextFieldResult second = TextFieldResult::Nothing;
  const Rect below{100.0f, 140.0f, 200.0f, 24.0f};
  auto frame = [&] {
    rig.harness.frame([&] {
      rig.last = textField("name", rig.rect, rig.text, rig.options);
      second = textField("tags", below, tags, rig.options);
    });
    return rig.last;
  };
  rig.harness.movePointer(ImVec2(120.0f, 112.0f));
  frame();
  rig.harness.setButton(kLeft, true);
  frame();
  rig.harness.setButton(kLeft, false);
  frame();
  rig.harness.typeText("tom");
  frame();
  rig.harness.setKey(Key::Tab, true);
  std::vector<TextFieldResult> results{frame()};
  rig.harness.setKey(Key::Tab, false);
  for (int i = 0; i < 3; ++i) results.push_back(frame());
  EXPECT_EQ(std::count(results.begin(), results.end(), TextFieldResult::Left), 1);
  EXPECT_EQ(std::count(results.begin(), results.end(), TextFieldResult::Nothing), 3);
  // The keys now go to the second field.
  rig.harness.typeText("a");
  frame();
  EXPECT_EQ(second, TextFieldResult::Edited);
  EXPECT_EQ(tags, "a");
  EXPECT_EQ(rig.text, "tom");
}

TEST(TextField, TheRenamePatternCommitsOnceOnEnter) {
  FieldRig rig;
  rig.text = "macro 1";
  rig.focus();
  rig.press(Key::End);
  std::vector<std::string> commits;
  auto run = [&](TextFieldResult result) {
    if (result == TextFieldResult::Entered) commits.push_back(rig.text);
  };
  for (int i = 0; i < 7; ++i) {
    run(rig.press(Key::Backspace));
    run(rig.step());  // the key comes up
  }
  for (const char* c : {"K", "i", "c", "k"}) run(rig.type(c));
  EXPECT_TRUE(commits.empty());
  run(rig.press(Key::Enter));
  for (int i = 0; i < 3; ++i) run(rig.step());
  EXPECT_EQ(commits, std::vector<std::string>{"Kick"});
}

TEST(TextField, TheDecimalFilterKeepsOnlyANumbersCharacters) {
  FieldRig rig;
  rig.options.decimal = true;
  rig.focus();
  rig.type("-1a2.5x");
  EXPECT_EQ(rig.text, "-12.5");
}

TEST(TextField, TheStringGrowsAsTheUserTypes) {
  FieldRig rig;
  rig.focus();
  const std::string longText(300, 'w');
  rig.type(longText.c_str());
  EXPECT_EQ(rig.text, longText);
}

// Characters past U+FFFF, and those of the block that carries them through
// Dear ImGui, survive being given, typed, edited around and deleted whole.
TEST(TextField, KeepsEveryCharacterGivenOrTyped) {
  const std::string drum = "\xF0\x9F\xA5\x81", rare = "\xE3\x90\x80";  // U+1F941, U+3400
  FieldRig rig;
  rig.text = "Drums " + drum + rare;
  rig.focus();
  rig.press(Key::End);
  rig.type(("x" + drum + rare + drum).c_str());
  EXPECT_EQ(rig.text, "Drums " + drum + rare + "x" + drum + rare + drum);
  rig.press(Key::Backspace);
  rig.press(Key::Left);
  rig.press(Key::Backspace);
  EXPECT_EQ(rig.text, "Drums " + drum + rare + "x" + rare);
  FieldRig plain;
  plain.focus();
  plain.type(drum.c_str());
  EXPECT_EQ(plain.text, drum) << "typed into plain text";
}

// A limit takes what fits of a typing or a paste, whole characters, and
// says it left the rest out.
TEST(TextField, TakesNoMoreThanItsLimit) {
  FieldRig rig;
  rig.options.maxBytes = 8;
  rig.focus();
  EXPECT_EQ(rig.type("abc"), TextFieldResult::Edited);
  EXPECT_EQ(rig.type("de\xF0\x9F\xA5\x81"), TextFieldResult::Cut);
  EXPECT_EQ(rig.text, "abcde");
  EXPECT_EQ(rig.type("fghi"), TextFieldResult::Cut);
  EXPECT_EQ(rig.text, "abcdefgh");
  rig.press(Key::Home);
  EXPECT_EQ(rig.type("z"), TextFieldResult::Cut) << "a full field takes nothing more, wherever typed";
  EXPECT_EQ(rig.text, "abcdefgh");
  // Undoing and redoing past a cut leave the field's text whole and its
  // edits where they are typed.
  for (const Key key : {Key::Z, Key::Z, Key::Y}) rig.chord({key, kModCtrl});
  rig.press(Key::End);
  rig.press(Key::Backspace);
  EXPECT_EQ(rig.type("x"), TextFieldResult::Edited);
  EXPECT_EQ(rig.text, "abcdefgx");
}

TEST(TextField, AFocusBorderShowsWhileTheFieldHasTheKeyboard) {
  FieldRig rig;
  rig.step();
  EXPECT_TRUE(rig.harness.drawLog().find(DrawOp::StrokeRect).empty());
  rig.focus();
  rig.step();
  const auto borders = rig.harness.drawLog().find(DrawOp::StrokeRect);
  ASSERT_EQ(borders.size(), 1u);
  EXPECT_EQ(borders[0]->colour, 0xFF5A8A1Au);
  EXPECT_EQ(borders[0]->radius, 4.0f);
  EXPECT_EQ(borders[0]->width, 1.0f);
  EXPECT_FLOAT_EQ(borders[0]->rect.x, rig.rect.x);
  EXPECT_FLOAT_EQ(borders[0]->rect.width, rig.rect.width);
}

TEST(TextField, FitsItsNaturalSizeOrFillsTheWidth) {
  struct Case {
    const char* what;
    SizeMode fit;
    Align align;
    bool compact;
    Rect expected;
  };
  const Rect area{100.0f, 100.0f, 600.0f, 48.0f};
  for (const Case& c :
       {Case{"scaled to fit", SizeMode::Natural, Align::Start, false, {100.0f, 100.0f, 400.0f, 48.0f}},
        Case{"fitted at the end", SizeMode::Natural, Align::End, false, {300.0f, 100.0f, 400.0f, 48.0f}},
        Case{"filled", SizeMode::Fill, Align::Start, false, {100.0f, 112.0f, 600.0f, 24.0f}},
        Case{"filled compact", SizeMode::Fill, Align::Start, true, {100.0f, 115.0f, 600.0f, 18.0f}}}) {
    SCOPED_TRACE(c.what);
    FieldRig rig;
    rig.rect = area;
    rig.options.fit = c.fit;
    rig.options.align = c.align;
    rig.options.compact = c.compact;
    rig.clickAt(ImVec2(c.expected.x + 10.0f, c.expected.y + c.expected.height / 2.0f));
    rig.step();
    const auto borders = rig.harness.drawLog().find(DrawOp::StrokeRect);
    ASSERT_EQ(borders.size(), 1u);
    const Rect& got = borders[0]->rect;
    EXPECT_FLOAT_EQ(got.x, c.expected.x);
    EXPECT_FLOAT_EQ(got.y, c.expected.y);
    EXPECT_FLOAT_EQ(got.width, c.expected.width);
    EXPECT_FLOAT_EQ(got.height, c.expected.height);
  }
}

bool tooltipShown(UiHarness& harness) {
  ContextScope scope(harness.ui());
  const ImGuiWindow* window = ImGui::FindWindowByName("##Tooltip_00");
  return window && window->Active;
}

TEST(TextField, ShowsItsTooltipWhenHovered) {
  for (const char* tip : {static_cast<const char*>(nullptr), "Type part of a kit's name or tag"}) {
    FieldRig rig;
    rig.options.tooltip = tip;
    rig.harness.movePointer(ImVec2(150.0f, 112.0f));
    bool shown = false;
    for (int i = 0; i < 90 && !shown; ++i) {
      rig.step();
      shown = tooltipShown(rig.harness);
    }
    EXPECT_EQ(shown, tip != nullptr);
  }
}

}  // namespace text_field_test
}  // namespace orbi::ui
