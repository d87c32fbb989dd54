// Anchored popups and the modal dialogs: where a popup opens against its
// anchor, and how the message and text-entry dialogs are decided by keys
// and buttons and then close.

#include "ui/popups/popup.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <utility>

#include "support/ui/ui_harness.h"
#include "ui/draw/draw_log.h"
#include "ui/imgui_internals.h"
#include "ui/keys.h"
#include "ui/popups/dialogs.h"
#include "ui/popups/menu.h"
#include "ui/shortcuts.h"
#include "ui/theme/colour.h"

namespace orbi::ui {
namespace popups_test {

constexpr ImGuiMouseButton kLeft = ImGuiMouseButton_Left;

struct Placement {
  Rect anchor;
  float height;  // 0: left to the contents
  bool below;
};

class AnchoredPopup : public testing::TestWithParam<Placement> {};

TEST_P(AnchoredPopup, OpensBelowItsAnchorWhenItFitsElseAbove) {
  const Placement& c = GetParam();
  UiHarness harness;  // 960 x 940
  ImVec2 pos, size;
  bool open = false;
  auto body = [&] {
    open = beginAnchoredPopup("popup", c.anchor, ImVec2(0.0f, c.height));
    if (!open) return;
    ImGui::Dummy(ImVec2(120, 60));
    pos = ImGui::GetWindowPos();
    size = ImGui::GetWindowSize();
    endPopup();
  };
  harness.frame([&] {
    EXPECT_FALSE(beginAnchoredPopup("popup", c.anchor, {}));
    openPopup("popup");
  });
  harness.frames(3, body);
  ASSERT_TRUE(open);
  // Dear ImGui nudges a popup placed at a point (not by a pivot) a pixel
  // to the right as it first shows, to keep it off the pointer.
  EXPECT_NEAR(pos.x, c.anchor.x, 1.0f);
  if (c.below)
    EXPECT_FLOAT_EQ(pos.y, c.anchor.y + c.anchor.height + 4.0f);
  else
    EXPECT_FLOAT_EQ(pos.y + size.y, c.anchor.y - 4.0f);
  // Without a size the contents and the padding (10 each side) decide.
  if (c.height == 0.0f) {
    EXPECT_FLOAT_EQ(size.x, 140.0f);
    EXPECT_FLOAT_EQ(size.y, 80.0f);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AnchoredPopup,
    testing::Values(Placement{{100, 100, 80, 20}, 0, true},   // room below
                    Placement{{100, 600, 80, 20}, 0, false},  // more room above
                    Placement{{100, 460, 80, 20}, 0, true},   // as much room below as above
                    Placement{{100, 461, 80, 20}, 0, false},
                    Placement{{100, 600, 80, 20}, 316, true},  // 320 below: the popup and the gap fit
                    Placement{{100, 600, 80, 20}, 317, false}, Placement{{100, 200, 80, 20}, 750, false}));

TEST(AnchoredPopup, ByTheEditorWindowsEdgeItMovesInside) {
  struct Case {
    Rect anchor;
    ImVec2 size;  // 0: left to the contents
  };
  for (const Case& c : {Case{{900, 100, 50, 20}, {}}, Case{{930, 880, 20, 20}, {}},
                        Case{{900, 300, 50, 20}, {240, 200}}, Case{{-40, 100, 30, 20}, {}}}) {
    SCOPED_TRACE(testing::Message() << c.anchor.x << "," << c.anchor.y);
    UiHarness harness;
    ImVec2 pos, size;
    harness.frame([] { openPopup("popup"); });
    harness.frames(3, [&] {
      if (!beginAnchoredPopup("popup", c.anchor, c.size)) return;
      ImGui::Dummy(ImVec2(120, 60));
      pos = ImGui::GetWindowPos();
      size = ImGui::GetWindowSize();
      endPopup();
    });
    EXPECT_GE(size.x, 120.0f);
    EXPECT_GE(pos.x, 0.0f);
    EXPECT_GE(pos.y, 0.0f);
    EXPECT_LE(pos.x + size.x, UiHarness::kDisplayWidth);
    EXPECT_LE(pos.y + size.y, UiHarness::kDisplayHeight);
    // Still beside its anchor: below or above it, never over it.
    EXPECT_TRUE(pos.y >= c.anchor.y + c.anchor.height || pos.y + size.y <= c.anchor.y);
  }
}

TEST(AnchoredPopup, TakesTheGivenSizeAsItFirstShows) {
  UiHarness harness;
  ImVec2 size;
  harness.frame([] { openPopup("sized"); });
  harness.frames(2, [&] {
    if (!beginAnchoredPopup("sized", {100, 100, 50, 20}, ImVec2(180, 100))) return;
    size = ImGui::GetWindowSize();
    ImGui::Dummy(ImVec2(160, 80));
    endPopup();
  });
  EXPECT_FLOAT_EQ(size.x, 180.0f);
  EXPECT_FLOAT_EQ(size.y, 100.0f);
}

TEST(AnchoredPopup, ClosesOnAClickOutsideOrByTheCaller) {
  UiHarness harness;
  bool open = false, closeNow = false, blocked = false;
  auto body = [&] {
    open = beginAnchoredPopup("p", {100, 100, 50, 20}, {});
    blocked = shortcutsBlocked();
    if (!open) return;
    ImGui::Dummy(ImVec2(100, 40));
    if (closeNow) closePopup();
    endPopup();
  };
  harness.frame([] { openPopup("p"); });
  harness.frames(2, body);
  EXPECT_TRUE(open);
  EXPECT_TRUE(blocked);
  harness.movePointer({700, 700});
  harness.setButton(kLeft, true);
  harness.frames(2, body);
  harness.setButton(kLeft, false);
  harness.frame(body);
  EXPECT_FALSE(open);

  harness.frame([] { openPopup("p"); });
  harness.frames(2, body);
  EXPECT_TRUE(open);
  closeNow = true;
  harness.frames(2, body);
  EXPECT_FALSE(open);
}

// Runs a dialog every frame, remembering every result it gave.
class DialogRun {
 public:
  explicit DialogRun(std::function<DialogResult()> dialog) : dialog_(std::move(dialog)) { harness_.frame(); }

  UiHarness& harness() { return harness_; }
  DialogResult step() {
    harness_.frame([&] {
      last = dialog_();
      typing = ImGui::GetIO().WantTextInput;
      blocked = shortcutsBlocked();
    });
    return last;
  }
  // Opens the dialog and lets it lay itself out and take its place.
  void open(const char* id) {
    harness_.frame([&] {
      openPopup(id);
      last = dialog_();
    });
    for (int i = 0; i < 3; ++i) step();
  }
  // One frame with the key down, one with it up; the first frame's result.
  DialogResult tap(Key key) {
    harness_.setKey(key, true);
    const DialogResult down = step();
    harness_.setKey(key, false);
    step();
    return down;
  }
  // Clicks the item; the result of the release frame.
  DialogResult click(const char* idText) {
    const bool found = harness_.clickItem(idText, [&] { last = dialog_(); });
    EXPECT_TRUE(found) << idText;
    return last;
  }

  DialogResult last = DialogResult::NotOpen;
  bool typing = false;   // a text field had the keyboard in the frame before
  bool blocked = false;  // shortcuts were blocked

 private:
  UiHarness harness_;
  std::function<DialogResult()> dialog_;
};

struct Decision {
  const char* name;
  bool cancelButton;
  std::function<DialogResult(DialogRun&)> act;
  DialogResult result;
  ReturnGives returns = ReturnGives::Accept;
};

class MessageDialog : public testing::TestWithParam<Decision> {};

TEST_P(MessageDialog, IsDecidedOnceAndThenCloses) {
  const Decision& c = GetParam();
  DialogRun run([&] {
    return messageDialog("confirm", "Delete kit", "The kit file is removed from the folder.", "Delete",
                         c.cancelButton ? "Keep" : nullptr, c.returns);
  });
  EXPECT_EQ(run.step(), DialogResult::NotOpen);
  run.open("confirm");
  EXPECT_EQ(run.step(), DialogResult::Open);
  EXPECT_TRUE(run.blocked);
  EXPECT_EQ(c.act(run), c.result);
  run.step();
  EXPECT_EQ(run.step(), DialogResult::NotOpen);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, MessageDialog,
    testing::Values(
        Decision{"Enter", true, [](DialogRun& r) { return r.tap(Key::Enter); }, DialogResult::Accepted},
        Decision{"KeypadEnter", true, [](DialogRun& r) { return r.tap(Key::KeypadEnter); },
                 DialogResult::Accepted},
        Decision{"Escape", true, [](DialogRun& r) { return r.tap(Key::Escape); }, DialogResult::Cancelled},
        Decision{"EscapeWithOneButton", false, [](DialogRun& r) { return r.tap(Key::Escape); },
                 DialogResult::Accepted},
        Decision{"AcceptButton", true, [](DialogRun& r) { return r.click("##accept"); },
                 DialogResult::Accepted},
        Decision{"CancelButton", true, [](DialogRun& r) { return r.click("##cancel"); },
                 DialogResult::Cancelled},
        Decision{"TheOnlyButton", false, [](DialogRun& r) { return r.click("##accept"); },
                 DialogResult::Accepted},
        // A question whose accept loses something: Return keeps.
        Decision{"EnterThatKeeps", true, [](DialogRun& r) { return r.tap(Key::Enter); },
                 DialogResult::Cancelled, ReturnGives::Cancel},
        Decision{"AcceptWhereEnterKeeps", true, [](DialogRun& r) { return r.click("##accept"); },
                 DialogResult::Accepted, ReturnGives::Cancel}),
    [](const testing::TestParamInfo<Decision>& info) { return std::string(info.param.name); });

TEST(MessageDialog, WithoutACancelLabelHasOneButtonAtTheRightEnd) {
  DialogRun run([] { return messageDialog("note", "Saved", "", "OK", nullptr); });
  run.open("note");
  run.step();
  const DrawLog& log = run.harness().drawLog();
  ASSERT_NE(log.findItem("##accept"), nullptr);
  EXPECT_EQ(log.findItem("##cancel"), nullptr);
}

TEST(MessageDialog, ButtonsAre84By24WithCancelEightToTheLeftOfAccept) {
  DialogRun run([] { return messageDialog("confirm", "Title", "Text", "Yes", "No"); });
  run.open("confirm");
  run.step();
  const DrawLog& log = run.harness().drawLog();
  const ItemRecord* accept = log.findItem("##accept");
  const ItemRecord* cancel = log.findItem("##cancel");
  ASSERT_TRUE(accept && cancel);
  // Both labels fit the natural 64 x 24 button, centred in its 84 box.
  EXPECT_FLOAT_EQ(accept->hitArea.width, 64.0f);
  EXPECT_FLOAT_EQ(accept->hitArea.height, 24.0f);
  EXPECT_FLOAT_EQ(accept->hitArea.x - (cancel->hitArea.x + cancel->hitArea.width), 10.0f + 8.0f + 10.0f);
  EXPECT_FLOAT_EQ(accept->hitArea.y, cancel->hitArea.y);
}

TEST(MessageDialog, IsCentredAcrossTheDisplayWithinItsWidthLimits) {
  ImVec2 pos, size;
  DialogRun run([&] {
    const DialogResult r = messageDialog("m", "Title", "", "OK", nullptr);
    if (ImGuiWindow* modal = ImGui::GetTopMostPopupModal()) {
      pos = modal->Pos;
      size = modal->Size;
    }
    return r;
  });
  run.open("m");
  EXPECT_FLOAT_EQ(size.x, 300.0f);  // the narrowest a modal gets
  EXPECT_FLOAT_EQ(pos.x + size.x / 2.0f, 480.0f);
  EXPECT_NEAR(pos.y + size.y / 2.0f, 940.0f * 0.45f, 0.5f);
}

// Every vertex colour a frame drew, in Dear ImGui's packed order.
std::set<ImU32> vertexColours(const ImDrawData& data) {
  std::set<ImU32> colours;
  for (int i = 0; i < data.CmdListsCount; ++i)
    for (const ImDrawVert& v : data.CmdLists[i]->VtxBuffer) colours.insert(v.col);
  return colours;
}

TEST(PopupText, HeadingsAndSectionLabelsAreTheThemesMutedGrey) {
  const MenuEntry menu[] = {MenuEntry::sectionLabel("Drums"), MenuEntry("Kick", 1)};
  struct Case {
    const char* name;
    const char* id;
    std::function<void()> run;
  };
  const Case cases[] = {
      {"modal heading", "m", [] { messageDialog("m", "Title", "", "OK", nullptr); }},
      {"menu section label", "menu", [&] { popupMenu("menu", menu); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UiHarness harness;
    harness.frame([&] {
      openPopupAt(c.id, ImVec2(100, 100));
      c.run();
    });
    harness.frames(3, c.run);
    const std::set<ImU32> colours = vertexColours(harness.frame(c.run));
    EXPECT_TRUE(colours.count(packColour(0xFF8A8870)));
    EXPECT_FALSE(colours.count(packColour(0xFF70888A)));  // the grey with red and blue swapped
  }
}

// The text-entry dialog over a string, run every frame.
class TextEntry : public DialogRun {
 public:
  TextEntry()
      : DialogRun([this] { return textEntryDialog("name", "New tag", "Tag name:", &value, "Add tag"); }) {}
  std::string value;
};

TEST(TextEntryDialog, TakesTheKeyboardAndAcceptsEnterInItsField) {
  TextEntry entry;
  entry.open("name");
  EXPECT_TRUE(entry.typing);
  entry.harness().typeText("Snappy");
  EXPECT_EQ(entry.step(), DialogResult::Open);
  EXPECT_EQ(entry.value, "Snappy");
  EXPECT_EQ(entry.tap(Key::Enter), DialogResult::Accepted);
  EXPECT_EQ(entry.value, "Snappy");
  entry.step();
  EXPECT_EQ(entry.step(), DialogResult::NotOpen);
}

TEST(TextEntryDialog, CancelsOnEscapeOrTheCancelButton) {
  for (const bool byButton : {false, true}) {
    SCOPED_TRACE(byButton ? "button" : "Escape");
    TextEntry entry;
    entry.open("name");
    EXPECT_EQ(byButton ? entry.click("##cancel") : entry.tap(Key::Escape), DialogResult::Cancelled);
    entry.step();
    EXPECT_EQ(entry.step(), DialogResult::NotOpen);
  }
}

TEST(TextEntryDialog, AcceptsByItsButtonWithTheTypedText) {
  TextEntry entry;
  entry.open("name");
  entry.harness().typeText("Dusty");
  entry.step();
  EXPECT_EQ(entry.click("##accept"), DialogResult::Accepted);
  EXPECT_EQ(entry.value, "Dusty");
}

TEST(TextEntryDialog, EnterOutsideTheFieldDoesNothing) {
  TextEntry entry;
  entry.open("name");
  // A click on the dialog's heading takes the keyboard from the field.
  const ItemRecord* field = entry.harness().drawLog().findItem("##text");
  ASSERT_NE(field, nullptr);
  entry.harness().movePointer({field->hitArea.x + 2.0f, field->hitArea.y - 10.0f});
  entry.step();
  entry.harness().setButton(kLeft, true);
  entry.step();
  entry.harness().setButton(kLeft, false);
  entry.step();
  entry.step();
  EXPECT_FALSE(entry.typing);
  EXPECT_EQ(entry.tap(Key::Enter), DialogResult::Open);
  EXPECT_EQ(entry.step(), DialogResult::Open);
}

}  // namespace popups_test
}  // namespace orbi::ui
