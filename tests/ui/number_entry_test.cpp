// The number entry: its lifetime in frames, commits through the Param in
// order, rejected and nan texts, one box per window, and where the box
// hangs.
#include "ui/controls/number_entry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/ui/ui_harness.h"
#include "tests/ui/fake_param.h"
#include "ui/context.h"
#include "ui/imgui_internals.h"

namespace orbi::ui {
namespace number_entry_test {

using test::EditCall;
using test::FakeParam;

ParamSpec tempoSpec() {
  ParamSpec desc;
  desc.name = "BPM";
  desc.min = 40.0f;
  desc.max = 240.0f;
  desc.stepped = true;
  return desc;
}

// A harness whose every frame runs the entry of one control, "field",
// opened on request at the anchor.
class EntryRig {
 public:
  explicit EntryRig(float displayScale = 1.0f) : harness(displayScale) { harness.frame(); }

  // One frame; `open` first opens the entry, `after` runs after it.
  NumberEntryResult step(bool open = false, const std::function<void()>& after = {}) {
    NumberEntryResult result = NumberEntryResult::Closed;
    harness.frame([&] {
      if (open) beginNumberEntry("field", anchor, param);
      result = numberEntry("field", param);
      if (after) after();
    });
    return result;
  }
  // Opens the entry and steps until its input has the keyboard.
  void openFocused() {
    step(true);
    step();
    ContextScope scope(harness.ui());
    ASSERT_NE(GImGui->ActiveId, 0u) << "the entry's input never took the keyboard";
  }
  NumberEntryResult pressKey(Key key) {
    harness.setKey(key, true);
    const NumberEntryResult result = step();
    harness.setKey(key, false);
    return result;
  }
  NumberEntryResult typeAndEnter(std::string_view text) {
    harness.typeText(text);
    step();
    return pressKey(Key::Enter);
  }

  UiHarness harness;
  FakeParam param{tempoSpec(), 120.0f};
  ImVec2 anchor{300.0f, 200.0f};
};

TEST(NumberEntry, LivesThreeFramesBeforeAnInactiveInputClosesIt) {
  EntryRig rig;
  // The input loses the keyboard whenever it gets it, so it never counts
  // as active.
  const auto noKeyboard = [] { ImGui::ClearActiveID(); };
  EXPECT_EQ(rig.step(true, noKeyboard), NumberEntryResult::Editing);  // frame n
  EXPECT_EQ(rig.step(false, noKeyboard), NumberEntryResult::Editing);
  EXPECT_EQ(rig.step(false, noKeyboard), NumberEntryResult::Editing);  // n + 2
  EXPECT_EQ(rig.step(false, noKeyboard), NumberEntryResult::Cancelled);
  EXPECT_EQ(rig.step(), NumberEntryResult::Closed);
  EXPECT_TRUE(rig.param.calls.empty());
}

TEST(NumberEntry, AFocusedInputStaysOpenAndShowsTheParamsText) {
  EntryRig rig;
  rig.openFocused();
  for (int i = 0; i < 10; ++i) EXPECT_EQ(rig.step(), NumberEntryResult::Editing);
  EXPECT_STREQ(rig.harness.ui().numberEntryState().entryText, "120");
  EXPECT_TRUE(rig.param.calls.empty());
}

TEST(NumberEntry, EnterOnUnchangedTextCommitsTheValueAgain) {
  EntryRig rig;
  rig.openFocused();
  EXPECT_EQ(rig.pressKey(Key::Enter), NumberEntryResult::Committed);
  EXPECT_EQ(rig.param.calls, (std::vector<EditCall>{EditCall::Begin, EditCall::Set, EditCall::End}));
  EXPECT_EQ(rig.param.values, std::vector<float>{120.0f});
  EXPECT_EQ(rig.step(), NumberEntryResult::Closed);
}

TEST(NumberEntry, TypedValuesAreClampedToTheSpecWhateverTheParamReads) {
  struct Case {
    const char* typed;
    float committed;
  };
  for (const Case& c : {Case{"96", 96.0f}, Case{"300", 240.0f}, Case{"99.6", 100.0f}, Case{"-5", 40.0f}}) {
    SCOPED_TRACE(c.typed);
    EntryRig rig;
    // A reader that ignores the range: the entry clamps all the same.
    rig.param.reader = [](std::string_view text) -> std::optional<float> {
      return std::stof(std::string(text));
    };
    rig.openFocused();
    EXPECT_EQ(rig.typeAndEnter(c.typed), NumberEntryResult::Committed);
    EXPECT_EQ(rig.param.values, std::vector<float>{c.committed});
    EXPECT_EQ(rig.param.value(), c.committed);
  }
}

TEST(NumberEntry, RejectedOrNanTextCallsNothing) {
  struct Case {
    const char* what;
    const char* typed;
    bool nanReader;
  };
  for (const Case& c : {Case{"not a number", "abc", false}, Case{"typed nan", "nan", false},
                        Case{"a reader that lets nan through", "12", true}}) {
    SCOPED_TRACE(c.what);
    EntryRig rig;
    if (c.nanReader)
      rig.param.reader = [](std::string_view) -> std::optional<float> {
        return std::numeric_limits<float>::quiet_NaN();
      };
    rig.openFocused();
    EXPECT_EQ(rig.typeAndEnter(c.typed), NumberEntryResult::Cancelled);
    EXPECT_TRUE(rig.param.calls.empty());
    EXPECT_EQ(rig.param.value(), 120.0f);
    EXPECT_EQ(rig.step(), NumberEntryResult::Closed);
  }
}

// Text the param refuses with a word keeps the entry open: the word takes
// the text's place, selected, and the next text typed replaces it.
TEST(NumberEntry, ARefusalWithAWordKeepsTheEntryOpen) {
  EntryRig rig;
  rig.openFocused();
  EXPECT_EQ(rig.typeAndEnter("120 bpm"), NumberEntryResult::Editing);
  EXPECT_STREQ(rig.harness.ui().numberEntryState().entryText, "a number");
  EXPECT_TRUE(rig.param.calls.empty());
  for (int i = 0; i < 3; ++i) EXPECT_EQ(rig.step(), NumberEntryResult::Editing);
  {
    ContextScope scope(rig.harness.ui());
    EXPECT_NE(GImGui->ActiveId, 0u) << "the input has the keyboard again";
  }
  EXPECT_EQ(rig.typeAndEnter("96"), NumberEntryResult::Committed);
  EXPECT_EQ(rig.param.values, std::vector<float>{96.0f});
  EXPECT_FALSE(rig.harness.ui().numberEntryState().refused);
}

TEST(NumberEntry, EscapeAndAClickElsewhereCancel) {
  {
    EntryRig rig;
    rig.openFocused();
    rig.harness.typeText("150");
    rig.step();
    EXPECT_EQ(rig.pressKey(Key::Escape), NumberEntryResult::Cancelled);
    EXPECT_TRUE(rig.param.calls.empty());
  }
  {
    EntryRig rig;
    rig.openFocused();
    rig.harness.movePointer(ImVec2(800.0f, 800.0f));
    rig.step();
    rig.harness.setButton(ImGuiMouseButton_Left, true);
    EXPECT_EQ(rig.step(), NumberEntryResult::Cancelled);
    EXPECT_TRUE(rig.param.calls.empty());
  }
}

TEST(NumberEntry, ASecondEntryTakesTheBoxAndTheFirstReadsClosed) {
  EntryRig rig;
  FakeParam other(tempoSpec(), 90.0f);
  NumberEntryResult first = NumberEntryResult::Closed, second = NumberEntryResult::Closed;
  auto both = [&](bool openFirst, bool openSecond) {
    rig.harness.frame([&] {
      if (openFirst) beginNumberEntry("first", rig.anchor, rig.param);
      first = numberEntry("first", rig.param);
      if (openSecond) beginNumberEntry("second", rig.anchor, other);
      second = numberEntry("second", other);
    });
  };
  both(true, false);
  EXPECT_EQ(first, NumberEntryResult::Editing);
  EXPECT_EQ(second, NumberEntryResult::Closed);
  both(false, true);
  EXPECT_EQ(first, NumberEntryResult::Editing);  // still its box when it asked
  EXPECT_EQ(second, NumberEntryResult::Editing);
  both(false, false);
  EXPECT_EQ(first, NumberEntryResult::Closed);
  EXPECT_EQ(second, NumberEntryResult::Editing);
  EXPECT_STREQ(rig.harness.ui().numberEntryState().entryText, "90");
  // The box now edits the second control's text and commits to it alone.
  rig.harness.setKey(Key::Enter, true);
  both(false, false);
  EXPECT_EQ(first, NumberEntryResult::Closed);
  EXPECT_EQ(second, NumberEntryResult::Committed);
  EXPECT_EQ(other.values, std::vector<float>{90.0f});
  EXPECT_TRUE(rig.param.calls.empty());
}

TEST(NumberEntry, ReopeningWhileTypingShowsTheNewText) {
  EntryRig rig;
  rig.openFocused();
  rig.harness.typeText("150");
  rig.step();
  // The owner opens it again for another value before Enter.
  rig.param.reset(130.0f);
  EXPECT_EQ(rig.step(true), NumberEntryResult::Editing);
  rig.step();
  EXPECT_EQ(rig.pressKey(Key::Enter), NumberEntryResult::Committed);
  EXPECT_EQ(rig.param.values, std::vector<float>{130.0f});
}

TEST(NumberEntry, IdsAreTakenInTheCurrentIdScope) {
  EntryRig rig;
  NumberEntryResult inOther = NumberEntryResult::Closed, inOwn = NumberEntryResult::Closed;
  rig.harness.frame([&] {
    ImGui::PushID(1);
    beginNumberEntry("field", rig.anchor, rig.param);
    ImGui::PopID();
    ImGui::PushID(2);
    inOther = numberEntry("field", rig.param);
    ImGui::PopID();
    ImGui::PushID(1);
    inOwn = numberEntry("field", rig.param);
    ImGui::PopID();
  });
  EXPECT_EQ(inOther, NumberEntryResult::Closed);
  EXPECT_EQ(inOwn, NumberEntryResult::Editing);
}

class NumberEntryBox : public testing::TestWithParam<float> {};

// Centred on its anchor; by the editor window's edges moved inside it.
TEST_P(NumberEntryBox, IsCentredOnItsAnchorAndStaysInsideTheWindow) {
  const float s = GetParam();
  const float w = UiHarness::kDisplayWidth * s, h = UiHarness::kDisplayHeight * s;
  struct Case {
    ImVec2 anchor;
    ImVec2 corner;
  };
  for (const Case& c :
       {Case{{400.0f * s, 300.0f * s}, {352.0f * s, 288.0f * s}},
        Case{{w - 10.0f * s, 5.0f * s}, {w - 96.0f * s, 0.0f}}, Case{{2.0f * s, h}, {0.0f, h - 24.0f * s}}}) {
    SCOPED_TRACE(testing::Message() << c.anchor.x << "," << c.anchor.y);
    EntryRig rig(s);
    rig.anchor = c.anchor;
    rig.openFocused();
    ContextScope scope(rig.harness.ui());
    const ImGuiWindow* box = ImGui::FindWindowByName("##orbi.numberEntry");
    ASSERT_NE(box, nullptr);
    EXPECT_FLOAT_EQ(box->Pos.x, c.corner.x);
    EXPECT_FLOAT_EQ(box->Pos.y, c.corner.y);
    EXPECT_FLOAT_EQ(box->Size.x, 96.0f * s);
    EXPECT_FLOAT_EQ(box->Size.y, 24.0f * s);
  }
}

INSTANTIATE_TEST_SUITE_P(Scales, NumberEntryBox, testing::Values(1.0f, 2.0f));

// Wherever its handle lies in a picture as low as a drum's pitch curve, the
// held-to note stays in the picture, over neither the handle nor the value
// shown beside it, towards the picture's middle.
TEST(NumberEntry, AHeldNoteStaysInItsPanelClearOfItsHandleAndValue) {
  for (const float s : {1.0f, 1.5f}) {
    const Rect panel{30.0f * s, 517.0f * s, 320.0f * s, 61.0f * s};
    for (float x = panel.x; x <= panel.x + panel.width; x += 4.0f * s)
      for (float y = panel.y; y <= panel.y + panel.height; y += 3.0f * s) {
        const Rect handle{x - 6.0f * s, y - 6.0f * s, 12.0f * s, 12.0f * s};
        const float towardsMiddle = x > panel.x + panel.width / 2.0f ? -110.0f * s : 10.0f * s;
        const Rect value{x + towardsMiddle, y - 6.0f * s, 100.0f * s, 12.0f * s};
        LabelPlacer clear;
        clear.block(value);
        const Rect note = placeHeldNote(handle, ImVec2(158.0f * s, 24.0f * s), panel, clear, s);
        EXPECT_FALSE(note.overlaps(handle) || note.overlaps(value)) << s << ": " << x << "," << y;
        EXPECT_TRUE(panel.containsWithEdges(ImVec2(note.x, note.y)) &&
                    panel.containsWithEdges(ImVec2(note.x + note.width, note.y + note.height)));
      }
  }
}

TEST(NumberEntry, TextLongerThanTheBufferIsCutBetweenCharacters) {
  EntryRig rig;
  // 31 two-byte characters fill 62 bytes; the next one would pass 63.
  std::string longText;
  for (int i = 0; i < 40; ++i) longText += "\xC3\xA9";
  rig.param.formatter = [&](float) { return longText; };
  rig.step(true);
  const std::string shown = rig.harness.ui().numberEntryState().entryText;
  EXPECT_EQ(shown, longText.substr(0, 62));

  const std::string ascii(80, '7');
  rig.param.formatter = [&](float) { return ascii; };
  rig.step(true);
  EXPECT_EQ(std::string(rig.harness.ui().numberEntryState().entryText), ascii.substr(0, 63));
}

}  // namespace number_entry_test
}  // namespace orbi::ui
