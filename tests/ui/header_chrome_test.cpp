// The header's chrome: the page rail, the caption buttons acting on the
// window's controls, and the document box with its name, dot and buttons.

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "support/ui/ui_harness.h"
#include "tests/ui/header_rig.h"
#include "ui/dialogs/file_dialog.h"
#include "ui/draw/draw_log.h"
#include "ui/draw/text.h"
#include "ui/header/caption_buttons.h"
#include "ui/header/document_box.h"
#include "ui/header/page_rail.h"

namespace orbi::ui {
namespace header_chrome_test {

constexpr ImGuiMouseButton kLeft = ImGuiMouseButton_Left;
constexpr std::array<std::string_view, 3> kPages{"BENCH", "SAMPLES", "MIX"};

// Clicks the nth item registered under the id text.
bool clickNth(UiHarness& harness, std::string_view idText, std::size_t nth,
              const std::function<void()>& body) {
  harness.frame(body);
  std::size_t seen = 0;
  for (const ItemRecord& item : harness.drawLog().items()) {
    if (item.idText != idText || seen++ != nth) continue;
    harness.movePointer({item.hitArea.x + item.hitArea.width / 2, item.hitArea.y + item.hitArea.height / 2});
    harness.frame(body);
    harness.setButton(kLeft, true);
    harness.frame(body);
    harness.setButton(kLeft, false);
    harness.frame(body);
    return true;
  }
  return false;
}

TEST(PageRail, AClickOnAnotherPageSetsItAndOnTheCurrentChangesNothing) {
  UiHarness harness;
  std::uint32_t current = 1;
  std::vector<std::uint32_t> seen;
  const auto body = [&] {
    drawPageRail("pages", {40, 40, 400, 36}, kPages, &current);
    seen.push_back(current);
  };
  ASSERT_TRUE(clickNth(harness, "page", 1, body));
  for (std::uint32_t page : seen) EXPECT_EQ(page, 1u);
  ASSERT_TRUE(clickNth(harness, "page", 2, body));
  EXPECT_EQ(current, 2u);
  ASSERT_TRUE(clickNth(harness, "page", 0, body));
  EXPECT_EQ(current, 0u);
}

TEST(PageRail, TheCurrentPageIsLitAndLabelsOrIconsFillThePills) {
  UiHarness harness;
  std::uint32_t current = 2;
  const std::array<IconPainter, 2> icons{IconPainter(), IconPainter(paintLoop)};  // shorter than the labels
  harness.frame([&] { drawPageRail("pages", {40, 40, 400, 36}, kPages, &current, icons); });
  std::vector<const ItemRecord*> pills;
  for (const ItemRecord& item : harness.drawLog().items()) pills.push_back(&item);
  ASSERT_EQ(pills.size(), 3u);
  // A label page is its text and 28; an icon page is 44 and shows its label as tooltip.
  EXPECT_FLOAT_EQ(pills[0]->hitArea.width, measureText("BENCH", TextStyle::Body).x + 28.0f);
  EXPECT_FLOAT_EQ(pills[1]->hitArea.width, 44.0f);
  EXPECT_EQ(pills[0]->tooltip, "");
  EXPECT_EQ(pills[1]->tooltip, "SAMPLES");
  EXPECT_FLOAT_EQ(pills[1]->hitArea.x, pills[0]->hitArea.x + pills[0]->hitArea.width);
  std::vector<std::string> labels;
  std::uint32_t litColour = 0;
  for (const DrawRecord* r : harness.drawLog().find(DrawOp::Text)) {
    labels.push_back(r->text);
    if (r->text == "MIX") litColour = r->colour;
  }
  EXPECT_EQ(labels, (std::vector<std::string>{"BENCH", "MIX"}));
  EXPECT_EQ(litColour, 0xFF8DC63Fu);
  EXPECT_FLOAT_EQ(pageRailSize(kPages, icons).y, 32.0f);
}

TEST(PageRail, NoLabelsDrawNothing) {
  UiHarness harness;
  std::uint32_t current = 0;
  harness.frame([&] { drawPageRail("pages", {40, 40, 400, 36}, {}, &current); });
  EXPECT_TRUE(harness.drawLog().records().empty());
  EXPECT_TRUE(harness.drawLog().items().empty());
}

TEST(PageRail, TheHeaderReportsOnlyAChangedPage) {
  test::HeaderRig rig;
  rig.model.pages = kPages;
  rig.model.page = 0;
  ASSERT_TRUE(clickNth(rig.harness, "page", 0, rig.body()));
  EXPECT_FALSE(rig.last(&HeaderResult::page));
  ASSERT_TRUE(clickNth(rig.harness, "page", 2, rig.body()));
  EXPECT_EQ(rig.last(&HeaderResult::page), 2u);
}

class CaptionRig {
 public:
  CaptionRig() { harness.frame(); }
  std::function<void()> body() {
    return [this] {
      FrameInfo frame;
      frame.windowControls = withControls ? &controls : nullptr;
      used = drawCaptionButtons(frame, {100, 10, 400, 36});
    };
  }
  UiHarness harness;
  test::FakeWindowControls controls;
  bool withControls = true;
  float used = -1.0f;
};

TEST(CaptionButtons, WithoutControlsNothingIsDrawn) {
  CaptionRig rig;
  rig.withControls = false;
  rig.harness.frame(rig.body());
  EXPECT_FLOAT_EQ(rig.used, 0.0f);
  EXPECT_TRUE(rig.harness.drawLog().records().empty());
  EXPECT_TRUE(rig.harness.drawLog().items().empty());
}

TEST(CaptionButtons, TheMiddleButtonRestoresWhenMaximisedOrFullScreen) {
  struct Case {
    bool maximised;
    bool fullscreen;
    const char* tooltip;
  };
  for (const Case& c : {Case{false, false, "Maximise"}, Case{true, false, "Restore"},
                        Case{false, true, "Restore"}, Case{true, true, "Restore"}}) {
    SCOPED_TRACE(c.tooltip);
    CaptionRig rig;
    rig.controls.maximised = c.maximised;
    rig.controls.fullscreen = c.fullscreen;
    rig.harness.frame(rig.body());
    EXPECT_FLOAT_EQ(rig.used, 96.0f);
    const ItemRecord* max = rig.harness.drawLog().findItem("##orbi.caption.max");
    ASSERT_NE(max, nullptr);
    EXPECT_EQ(max->tooltip, c.tooltip);
  }
}

TEST(CaptionButtons, EachClickReachesTheWindow) {
  CaptionRig rig;
  rig.harness.frame(rig.body());
  std::vector<float> rights;
  for (const ItemRecord& item : rig.harness.drawLog().items())
    rights.push_back(item.hitArea.x + item.hitArea.width);
  EXPECT_EQ(rights, (std::vector<float>{500, 468, 436}));  // close, max, min from the right
  ASSERT_TRUE(rig.harness.clickItem("##orbi.caption.min", rig.body()));
  ASSERT_TRUE(rig.harness.clickItem("##orbi.caption.max", rig.body()));
  rig.harness.frames(30, rig.body());  // no double-click
  ASSERT_TRUE(rig.harness.clickItem("##orbi.caption.max", rig.body()));
  EXPECT_EQ(rig.controls.minimised, 1);
  EXPECT_EQ(rig.controls.maximiseToggles, 2);
  EXPECT_EQ(rig.controls.closed, 0);
  ASSERT_TRUE(rig.harness.clickItem("##orbi.caption.close", rig.body()));
  EXPECT_EQ(rig.controls.closed, 1);
  EXPECT_EQ(rig.controls.fullscreenToggles, 0);
}

TEST(CaptionButtons, AHoveredCloseButtonLightsRed) {
  CaptionRig rig;
  rig.harness.frame(rig.body());
  const ItemRecord* close = rig.harness.drawLog().findItem("##orbi.caption.close");
  ASSERT_NE(close, nullptr);
  rig.harness.movePointer({close->hitArea.x + 16, close->hitArea.y + 16});
  rig.harness.frames(2, rig.body());
  std::vector<std::uint32_t> fills;
  for (const DrawRecord* r : rig.harness.drawLog().find(DrawOp::FillRect)) fills.push_back(r->colour);
  EXPECT_EQ(fills, std::vector<std::uint32_t>{0xFFC84830});
  rig.harness.setButton(kLeft, true);
  rig.harness.frame(rig.body());
  fills.clear();
  for (const DrawRecord* r : rig.harness.drawLog().find(DrawOp::FillRect)) fills.push_back(r->colour);
  EXPECT_EQ(fills, std::vector<std::uint32_t>{0xFFCE5A45});
}

class BoxRig {
 public:
  BoxRig() { harness.frame(); }
  std::function<void()> body() {
    return [this] { result = drawDocumentBox("preset", rect, state); };
  }
  void step() { harness.frame(body()); }
  const DrawRecord* nameText() const {
    const auto texts = harness.drawLog().find(DrawOp::Text);
    return texts.empty() ? nullptr : texts.front();
  }
  UiHarness harness;
  DocumentBoxState state;
  Rect rect{100, 20, 300, 36};
  DocumentBoxResult result;
};

TEST(DocumentBox, ALongNameIsCutAndEveryNameCounts260) {
  BoxRig rig;
  const std::string longName(120, 'W');
  rig.state.name = longName;
  rig.step();
  const DrawRecord* name = rig.nameText();
  ASSERT_NE(name, nullptr);
  EXPECT_TRUE(fitTextToWidth(longName, TextStyle::Body, name->rect.width).truncated);
  EXPECT_LE(name->rect.x + name->rect.width, rig.rect.x + rig.rect.width - 20.0f + 0.01f);

  rig.harness.frame([&] {
    struct Case {
      bool nav;
      bool save;
      float buttons;
    };
    for (const Case& c :
         {Case{false, false, 0}, Case{true, false, 56}, Case{false, true, 28}, Case{true, true, 84}}) {
      for (const std::string_view name :
           {std::string_view(longName), std::string_view("Kit"), std::string_view()}) {
        const DocumentBoxState state{name, false, c.nav, c.save, nullptr};
        EXPECT_FLOAT_EQ(documentBoxWidth(state), 260.0f + 28.0f + c.buttons) << name;
      }
    }
  });
}

TEST(DocumentBox, WithoutButtonsTheWholeRowIsTheName) {
  BoxRig rig;
  rig.state.name = "Kit";
  rig.step();
  const auto items = rig.harness.drawLog().items();
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].idText, "name");
  EXPECT_FLOAT_EQ(items[0].hitArea.x, 100.0f);
  EXPECT_FLOAT_EQ(items[0].hitArea.width, 300.0f);
  EXPECT_FLOAT_EQ(items[0].hitArea.y, 26.0f);  // 24 high, centred
  EXPECT_FLOAT_EQ(items[0].hitArea.height, 24.0f);

  rig.state.showNav = rig.state.showSave = true;
  rig.step();
  std::vector<std::string> ids;
  for (const ItemRecord& item : rig.harness.drawLog().items()) ids.push_back(item.idText);
  EXPECT_EQ(ids, (std::vector<std::string>{"save", "next", "previous", "name"}));
  EXPECT_FLOAT_EQ(rig.harness.drawLog().findItem("name")->hitArea.width, 300.0f - 3 * 28.0f);
}

TEST(DocumentBox, TheDotAndTheSaveTooltipFollowUnsavedChanges) {
  for (const bool dirty : {false, true}) {
    SCOPED_TRACE(dirty);
    BoxRig rig;
    rig.state = {"Kit", dirty, false, true, "Browse"};
    rig.step();
    EXPECT_EQ(rig.harness.drawLog().findItem("save")->tooltip, dirty ? "Save changes" : "Save");
    EXPECT_EQ(rig.harness.drawLog().findItem("name")->tooltip, "Browse");
    const auto dots = rig.harness.drawLog().find(DrawOp::FillCircle);
    ASSERT_EQ(dots.size(), dirty ? 1u : 0u);
    if (!dirty) continue;
    const DrawRecord* name = rig.nameText();
    EXPECT_EQ(dots[0]->colour, 0xFF8DC63Fu);
    EXPECT_FLOAT_EQ(dots[0]->points[0].x, name->rect.x + measureText("Kit", TextStyle::Body).x + 6.0f);
    EXPECT_FLOAT_EQ(dots[0]->points[0].y, 38.0f);
  }
}

TEST(DocumentBox, AnEmptyNameShowsUntitledInGrey) {
  BoxRig rig;
  rig.step();
  EXPECT_EQ(rig.nameText()->text, "Untitled");
  EXPECT_EQ(rig.nameText()->colour, 0xFF8A8870u);
  rig.state.name = "Kit";
  rig.step();
  EXPECT_EQ(rig.nameText()->colour, 0xFFF0EED8u);
}

TEST(DocumentBox, EachPartReportsItsClick) {
  struct Case {
    const char* id;
    bool DocumentBoxResult::*flag;
  };
  for (const Case& c :
       {Case{"name", &DocumentBoxResult::nameClicked}, Case{"previous", &DocumentBoxResult::previous},
        Case{"next", &DocumentBoxResult::next}, Case{"save", &DocumentBoxResult::save}}) {
    SCOPED_TRACE(c.id);
    BoxRig rig;
    rig.state = {"Kit", false, true, true, nullptr};
    std::vector<DocumentBoxResult> seen;
    const auto body = [&] {
      rig.body()();
      seen.push_back(rig.result);
    };
    ASSERT_TRUE(rig.harness.clickItem(c.id, body));
    int clicks = 0, others = 0;
    for (const DocumentBoxResult& r : seen)
      for (bool DocumentBoxResult::*f : {&DocumentBoxResult::nameClicked, &DocumentBoxResult::previous,
                                         &DocumentBoxResult::next, &DocumentBoxResult::save})
        (f == c.flag ? clicks : others) += r.*f ? 1 : 0;
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(others, 0);
  }
}

TEST(HeaderUndoRedo, ButtonsActWhenEnabledAndNameWhatTheyUndo) {
  test::HeaderRig rig;
  rig.model.showUndoRedo = true;
  rig.model.canUndo = true;
  rig.model.undoLabel = "cutoff";
  rig.step();
  EXPECT_EQ(rig.item("undo")->tooltip, "Undo cutoff");
  EXPECT_EQ(rig.item("redo"), nullptr);  // disabled: no item to hover or click
  ASSERT_TRUE(rig.click("undo"));
  EXPECT_EQ(rig.lastAction(), HeaderAction::Undo);

  rig.clear();
  rig.model.canRedo = true;
  rig.harness.frames(30, rig.body());
  EXPECT_EQ(rig.item("redo")->tooltip, "Redo");
  ASSERT_TRUE(rig.click("redo"));
  EXPECT_EQ(rig.lastAction(), HeaderAction::Redo);

  rig.model.showUndoRedo = false;
  rig.step();
  EXPECT_EQ(rig.item("undo"), nullptr);
}

TEST(HeaderDocumentField, TheNameBrowsesOrOpensByTheDocument) {
  struct Case {
    DocumentKind kind;
    bool browsable;
    const char* tooltip;
  };
  for (const Case& c :
       {Case{DocumentKind::File, true, "Browse"}, Case{DocumentKind::Delegated, false, "Browse"},
        Case{DocumentKind::File, false, "Open..."}}) {
    SCOPED_TRACE(c.tooltip);
    test::HeaderRig rig;
    HeaderDocument document;
    document.kind = c.kind;
    document.browsable = c.browsable;
    rig.model.document = document;
    bool busy = false;
    rig.after = [&] { busy = busy || fileDialogBusy(); };
    rig.step();
    EXPECT_EQ(rig.item("name")->tooltip, c.tooltip);
    ASSERT_TRUE(rig.click("name"));
    const bool browses = std::string_view(c.tooltip) == "Browse";
    EXPECT_EQ(rig.lastAction(), browses ? std::optional<HeaderAction>(HeaderAction::Browse) : std::nullopt);
    EXPECT_EQ(busy, !browses);  // the open dialog otherwise
    // The field's rectangle is the caller's anchor.
    const ItemRecord* name = rig.item("name");
    if (name) {
      EXPECT_FLOAT_EQ(rig.result.documentField.x, name->hitArea.x);
    }
  }
}

}  // namespace header_chrome_test
}  // namespace orbi::ui
