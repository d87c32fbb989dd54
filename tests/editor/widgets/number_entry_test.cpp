// The typed-value box: what it shows as it opens, how typed text is read
// (in the C locale whatever the host set), the range it clamps to, and when
// it closes without a callback.
#include "editor/widgets/number_entry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

#include "support/comma_locale.h"
#include "tests/editor/widgets/entry_rig.h"
#include "ui/controls/number_entry.h"

namespace orbi {
namespace number_entry_test {

using test::Calls;
using ui::Key;

NumberEntry::Request request(int id, float value, float lo, float hi, const char* unit = "ms") {
  return {id, value, lo, hi, "Decay", unit};
}

// A harness whose frames draw one entry; open() opens it within a frame.
class EntryRig : public test::FrameRig {
 public:
  EntryRig() {
    entry.onCommit = test::recordInto(commits);
    body = [this] { entry.draw(); };
  }

  void open(const NumberEntry::Request& r) {
    harness.frame([&] {
      entry.open(anchor, r);
      entry.draw();
    });
  }
  // Opens the box and steps until its input has the keyboard.
  void openFocused(const NumberEntry::Request& r) {
    open(r);
    step();
    ASSERT_TRUE(typing()) << "the box never took the keyboard";
  }
  std::string shown() { return harness.ui().numberEntryState().entryText; }
  void typeAndEnter(const char* text) {
    // The box opens with its text selected: typing replaces it.
    type(text);
    pressKey(Key::Enter);
  }

  NumberEntry entry;
  Calls commits;
  ImVec2 anchor{300.0f, 200.0f};
};

TEST(TypedEntry, OpensShowingTheValueWithTheDecimalsOfItsSpan) {
  struct Case {
    float lo, hi;
    const char* unit;
    const char* text;
  };
  for (const Case& c :
       {Case{0, 2000, "ms", "250 ms"}, Case{0, 50, "ms", "250.0 ms"}, Case{0, 100, "ms", "250 ms"},
        Case{0, 5, "ms", "250.0 ms"}, Case{0, 4.99f, "ms", "250.000 ms"}, Case{300, 200, "Hz", "250 Hz"},
        Case{0, 10, nullptr, "250.0"}, Case{0, 10, "", "250.0"}}) {
    SCOPED_TRACE(std::string(c.text));
    EntryRig rig;
    rig.open(request(3, 250.0f, c.lo, c.hi, c.unit));
    EXPECT_EQ(rig.shown(), c.text);
    EXPECT_EQ(rig.entry.openId(), 3);
    EXPECT_EQ(rig.entry.value.spec().name, "Decay");
  }
}

// A value held to the range says so where the box was, for a moment.
TEST(TypedEntry, ADescendingRangeClampsTypedValuesAndSaysSo) {
  struct Case {
    const char* typed;
    float committed;
    const char* said;
  };
  for (const Case& c : {Case{"15", 10.0f, "held to 10.0 ms, the highest"},
                        Case{"-3", 0.0f, "held to 0.0 ms, the lowest"}, Case{"7.5", 7.5f, nullptr}}) {
    SCOPED_TRACE(c.typed);
    EntryRig rig;
    rig.openFocused(request(4, 2.0f, 10.0f, 0.0f));
    EXPECT_EQ(rig.shown(), "2.0 ms");
    rig.typeAndEnter(c.typed);
    EXPECT_EQ(rig.commits, (Calls{{4, c.committed}}));
    EXPECT_EQ(rig.entry.openId(), -1);
    for (const int frames : {1, 150}) {  // said, then gone
      rig.steps(frames);
      int said = 0;
      for (const ui::DrawRecord& r : rig.harness.drawLog().records()) said += c.said && r.text == c.said;
      EXPECT_EQ(said, c.said && frames == 1 ? 1 : 0) << frames;
    }
  }
}

TEST(TypedEntry, TypedTextIsReadFromItsStart) {
  struct Case {
    const char* typed;
    float committed;
  };
  // The reading's own rules are the shared reader's (widget_support_test).
  for (const Case& c : {Case{"1e3", 1000.0f}, Case{"250 ms", 250.0f}, Case{"  +7", 7.0f}}) {
    SCOPED_TRACE(c.typed);
    EntryRig rig;
    rig.openFocused(request(1, 0.0f, 0.0f, 2000.0f));
    rig.typeAndEnter(c.typed);
    EXPECT_EQ(rig.commits, (Calls{{1, c.committed}}));
  }
}

// A unit typed after the number is honoured when it scales the box's own:
// "300 ms" in a box in seconds is 0.3, "2k" in one in hertz 2000, and "50%"
// in a box that shows a fraction 0.5. The box's own unit, in any case,
// reads as the number.
TEST(TypedEntry, AUnitThatScalesTheBoxsOwnIsHonoured) {
  struct Case {
    const char* unit;
    float lo, hi;
    const char* typed;
    float committed;
  };
  const Case cases[] = {
      {"s", 0.02f, 4.0f, "300 ms", 0.3f},
      {"s", 0.02f, 4.0f, "0.3", 0.3f},
      {"s", 0.02f, 4.0f, "1.5 S", 1.5f},
      {"ms", 0.0f, 500.0f, "0.25s", 250.0f},
      {"ms", 0.0f, 500.0f, "120 MS", 120.0f},
      {"Hz", 20.0f, 20000.0f, "2k", 2000.0f},
      {"Hz", 20.0f, 20000.0f, "2.5 kHz", 2500.0f},
      {"Hz", 20.0f, 20000.0f, "440 hz", 440.0f},
      {"%", 0.0f, 100.0f, "40%", 40.0f},
      {"", 0.0f, 1.0f, "50%", 0.5f},
      {"", 0.0f, 1.0f, "0.25", 0.25f},
      {"st", -24.0f, 24.0f, "-7 st", -7.0f},
      {"dB", -24.0f, 24.0f, "-6db", -6.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.typed << " in " << c.unit);
    EntryRig rig;
    rig.openFocused(request(4, c.lo, c.lo, c.hi, c.unit));
    rig.typeAndEnter(c.typed);
    ASSERT_EQ(rig.commits.size(), 1u);
    EXPECT_FLOAT_EQ(rig.commits[0].second, c.committed);
  }
}

// A unit the box cannot read refuses the entry: the box stays open and
// shows, selected, the units it takes; what is typed next replaces it.
TEST(TypedEntry, AUnitItCannotReadKeepsTheBoxOpenWithAWord) {
  struct Case {
    const char* unit;
    float lo, hi;
    const char* typed;
    const char* word;
  };
  const Case cases[] = {
      {"s", 0.02f, 4.0f, "300 Hz", "s or ms"}, {"Hz", 20.0f, 20000.0f, "2 s", "Hz or kHz"},
      {"st", -24.0f, 24.0f, "3 ms", "in st"},  {"%", 0.0f, 100.0f, "0.5k", "in %"},
      {"", 1.0f, 16.0f, "50%", "a number"},    {"", 0.0f, 1.0f, "3 dB", "0-1 or %"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.typed << " in " << c.unit);
    EntryRig rig;
    rig.openFocused(request(5, c.lo, c.lo, c.hi, c.unit));
    rig.typeAndEnter(c.typed);
    EXPECT_TRUE(rig.commits.empty());
    EXPECT_EQ(rig.entry.openId(), 5) << "still open";
    EXPECT_EQ(rig.shown(), c.word);
    EXPECT_TRUE(rig.harness.ui().numberEntryState().refused);
    rig.steps(2);
    EXPECT_TRUE(rig.typing()) << "and has the keyboard again";
  }
  EntryRig rig;
  rig.openFocused(request(6, 1.0f, 0.02f, 4.0f, "s"));
  rig.typeAndEnter("300 kg");
  rig.steps(2);
  ASSERT_TRUE(rig.typing());
  rig.typeAndEnter("300 ms");
  ASSERT_EQ(rig.commits.size(), 1u);
  EXPECT_FLOAT_EQ(rig.commits[0].second, 0.3f);
  EXPECT_EQ(rig.entry.openId(), -1);
}

TEST(TypedEntry, TextThatIsNoFiniteNumberClosesWithoutACallback) {
  for (const char* typed : {"abc", "inf", "1e50", ""}) {
    SCOPED_TRACE(typed);
    EntryRig rig;
    rig.openFocused(request(1, 0.0f, 0.0f, 2000.0f));
    if (*typed)
      rig.type(typed);
    else
      rig.pressKey(Key::Backspace);
    rig.pressKey(Key::Enter);
    EXPECT_TRUE(rig.commits.empty());
    EXPECT_EQ(rig.entry.openId(), -1);
    EXPECT_FALSE(rig.typing());
  }
}

TEST(TypedEntry, ARangeOfOnePointDoesNotOpen) {
  EntryRig rig;
  rig.open(request(2, 5.0f, 5.0f, 5.0f));
  EXPECT_EQ(rig.entry.openId(), -1);
  EXPECT_EQ(rig.harness.ui().numberEntryState().entryId, 0u);
  rig.open(request(2, 5.0f, 5.0f, 5.0000005f));
  EXPECT_EQ(rig.entry.openId(), -1);
  rig.open(request(2, 5.0f, 5.0f, std::nanf("")));
  EXPECT_EQ(rig.entry.openId(), -1);

  // An open entry stays as it was.
  rig.openFocused(request(7, 1.0f, 0.0f, 10.0f));
  rig.open(request(8, 5.0f, 3.0f, 3.0f));
  EXPECT_EQ(rig.entry.openId(), 7);
  EXPECT_EQ(rig.shown(), "1.0 ms");
  rig.pressKey(Key::Enter);
  EXPECT_EQ(rig.commits, (Calls{{7, 1.0f}}));
}

TEST(TypedEntry, OpeningAnotherEntryClosesTheFirstWithoutItsCallback) {
  EntryRig rig;
  NumberEntry other;
  Calls otherCommits;
  other.onCommit = test::recordInto(otherCommits);
  rig.body = [&] {
    rig.entry.draw();
    other.draw();
  };
  rig.openFocused(request(1, 100.0f, 0.0f, 1000.0f));
  rig.harness.frame([&] {
    rig.entry.draw();
    other.open(rig.anchor, request(2, 40.0f, 0.0f, 50.0f));
    other.draw();
  });
  rig.step();
  EXPECT_EQ(rig.entry.openId(), -1);
  EXPECT_EQ(other.openId(), 2);
  EXPECT_EQ(rig.shown(), "40.0 ms");
  rig.typeAndEnter("45");
  EXPECT_TRUE(rig.commits.empty());
  EXPECT_EQ(otherCommits, (Calls{{2, 45.0f}}));
}

TEST(TypedEntry, AnUnfocusedBoxLivesThreeFrames) {
  EntryRig rig;
  // The input loses the keyboard whenever it takes it.
  const auto drawWithoutKeyboard = [&] {
    rig.entry.draw();
    ImGui::ClearActiveID();
  };
  rig.harness.frame([&] {
    rig.entry.open(rig.anchor, request(5, 1.0f, 0.0f, 10.0f));
    drawWithoutKeyboard();
  });
  rig.body = drawWithoutKeyboard;
  rig.steps(2);
  EXPECT_EQ(rig.entry.openId(), 5);
  rig.step();
  EXPECT_EQ(rig.entry.openId(), -1);
  EXPECT_TRUE(rig.commits.empty());
}

TEST(TypedEntry, EscapeClosesWithoutACallback) {
  EntryRig rig;
  rig.openFocused(request(1, 100.0f, 0.0f, 1000.0f));
  rig.type("300");
  rig.pressKey(Key::Escape);
  EXPECT_EQ(rig.entry.openId(), -1);
  EXPECT_TRUE(rig.commits.empty());
}

TEST(TypedEntry, CloseForgetsTheRequestAndTheBoxGoes) {
  EntryRig rig;
  rig.openFocused(request(6, 100.0f, 0.0f, 1000.0f));
  rig.entry.close();
  EXPECT_EQ(rig.entry.openId(), -1);
  rig.type("300");
  rig.pressKey(Key::Enter);
  EXPECT_TRUE(rig.commits.empty());
  EXPECT_FALSE(rig.typing());
  ui::ContextScope scope(rig.harness.ui());
  const ImGuiWindow* box = ImGui::FindWindowByName("##orbi.numberEntry");
  ASSERT_NE(box, nullptr);
  EXPECT_FALSE(box->Active);
}

TEST(TypedEntry, OpenAndDrawMeetFromDifferentIdScopes) {
  EntryRig rig;
  rig.harness.frame([&] {
    ImGui::PushID("owner's handle");
    rig.entry.open(rig.anchor, request(9, 1.0f, 0.0f, 10.0f));
    ImGui::PopID();
  });
  rig.body = [&] {
    ImGui::PushID(42);
    rig.entry.draw();
    ImGui::PopID();
  };
  rig.steps(2);  // the box asks for the keyboard as it first shows
  ASSERT_TRUE(rig.typing());
  rig.typeAndEnter("4");
  EXPECT_EQ(rig.commits, (Calls{{9, 4.0f}}));
}

TEST(TypedEntry, ACommaLocaleShowsAndReadsAPoint) {
  const ob::test::CommaDecimalLocale comma;
  if (!comma.active()) GTEST_SKIP() << "no comma-decimal locale available";
  EntryRig rig;
  rig.openFocused(request(1, 250.0f, 0.0f, 50.0f));
  EXPECT_EQ(rig.shown(), "250.0 ms");
  rig.typeAndEnter("0.5");
  EXPECT_EQ(rig.commits, (Calls{{1, 0.5f}}));
}

}  // namespace number_entry_test
}  // namespace orbi
