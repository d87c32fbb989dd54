// The header's layout: its height and second row, how a narrowing first
// row is shared out, the caption buttons' room, and the status message.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "tests/ui/header_rig.h"
#include "ui/draw/text.h"
#include "ui/header/header.h"
#include "ui/header/header_layout.h"
#include "ui/header/header_status.h"

namespace orbi::ui {
namespace header_layout_test {

using test::HeaderRig;

constexpr std::array<std::string_view, 1> kOnePage{"BENCH"};
constexpr std::array<std::string_view, 2> kTwoPages{"BENCH", "SAMPLES"};

float right(const Rect& r) { return r.x + r.width; }

HeaderDocument kitDocument() {
  HeaderDocument document;
  document.kind = DocumentKind::Delegated;
  document.label = "Kit";
  document.name = "Analogue Room Kit";
  document.canStep = true;
  document.canSave = true;
  return document;
}

TEST(HeaderHeight, IsOneRowUnlessPagesATransportOrTheSpareAskForASecond) {
  struct Case {
    const char* name;
    std::span<const std::string_view> pages;
    bool transport;
    bool spare;
    float height;
  };
  const Case cases[] = {
      {"one page", kOnePage, false, false, 36},   {"no pages", {}, false, false, 36},
      {"two pages", kTwoPages, false, false, 80}, {"a transport", kOnePage, true, false, 80},
      {"the spare", {}, false, true, 80},
  };
  for (const float scale : {1.0f, 2.0f}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + " at scale " + std::to_string(scale));
      HeaderRig rig(scale);
      rig.model.pages = c.pages;
      if (c.transport) rig.model.transport = HeaderTransport{};
      rig.model.showSpare = c.spare;
      rig.step();
      EXPECT_FLOAT_EQ(rig.rect.height, c.height * scale);
      // The second row's pills and buttons sit below the first row and its gap.
      const bool second = c.height > 36;
      EXPECT_EQ(rig.item("page") != nullptr, c.pages.size() > 1);
      EXPECT_EQ(rig.item("play") != nullptr, c.transport);
      for (const ItemRecord& item : rig.harness.drawLog().items()) {
        if (item.idText != "page" && item.idText != "play") continue;
        EXPECT_TRUE(second);
        EXPECT_GE(item.hitArea.y, rig.rect.y + 44 * scale - 0.01f);
        EXPECT_LE(item.hitArea.y + item.hitArea.height, rig.rect.y + 80 * scale + 0.01f);
      }
    }
  }
}

TEST(HeaderRow2, TheSpareLiesBetweenTheRailAndTheTransport) {
  HeaderRig rig;
  rig.model.pages = kTwoPages;
  rig.model.transport = HeaderTransport{};
  rig.model.showSpare = true;
  rig.step();
  const Rect spare = rig.result.spare;
  std::vector<Rect> pages;
  for (const ItemRecord& item : rig.harness.drawLog().items())
    if (item.idText == "page") pages.push_back(item.hitArea);
  ASSERT_EQ(pages.size(), 2u);
  const ItemRecord* play = rig.item("play");
  ASSERT_NE(play, nullptr);
  EXPECT_GT(spare.width, 400.0f);
  EXPECT_GE(spare.x, right(pages[1]) + 8.0f);
  EXPECT_LE(right(spare), play->hitArea.x - 8.0f);
  EXPECT_FLOAT_EQ(spare.y, rig.rect.y + 44.0f);
  EXPECT_FLOAT_EQ(spare.height, 36.0f);
  // The transport ends at the row's right end, inset by 4.
  const ItemRecord* tempoOrPlay = play;
  EXPECT_LE(right(tempoOrPlay->hitArea), right(rig.rect) - 4.0f + 0.01f);

  rig.model.showSpare = false;
  rig.step();
  EXPECT_FLOAT_EQ(rig.result.spare.width, 0.0f);
}

// One frame at each width, from wide to narrow.
struct RowFrame {
  float width;
  Rect field;
  float undoEnd;  // after the redo button and the room kept behind it
  std::optional<Rect> status;
  bool statusCut = false;
};

std::vector<RowFrame> narrowingRow(HeaderRig& rig) {
  std::vector<RowFrame> frames;
  for (float width = 920.0f; width >= 150.0f; width -= 5.0f) {
    rig.rect.width = width;
    rig.step();
    RowFrame f{width, rig.result.documentField, 0.0f, std::nullopt};
    const ItemRecord* redo = rig.item("redo");
    EXPECT_NE(redo, nullptr);
    if (redo) f.undoEnd = right(redo->hitArea) + 8.0f;
    const auto status = rig.texts(TextStyle::Small);
    if (!status.empty()) {
      f.status = status.front()->rect;
      f.statusCut = fitTextToWidth(status.front()->text, TextStyle::Small, f.status->width).truncated;
    }
    frames.push_back(f);
  }
  return frames;
}

TEST(HeaderRow1, TheStatusGivesWayFirstThenTheFieldDownTo120) {
  HeaderRig rig;
  rig.model.document = kitDocument();
  rig.model.showUndoRedo = rig.model.canUndo = rig.model.canRedo = true;
  rig.model.status.primary.text = "Loaded 9 kits from the library folder, 2 of them skipped";
  const std::vector<RowFrame> frames = narrowingRow(rig);
  ASSERT_TRUE(frames.front().status);
  EXPECT_FALSE(frames.front().statusCut);
  const float fullField = frames.front().field.width;
  ASSERT_GT(fullField, 200.0f);

  bool sawCutStatus = false, sawNarrowerField = false, sawFloor = false;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    const RowFrame& f = frames[i];
    SCOPED_TRACE(f.width);
    const float rowRight = rig.rect.x + f.width - 4.0f;
    if (f.status) {
      sawCutStatus = sawCutStatus || f.statusCut;
      EXPECT_FLOAT_EQ(f.field.width, fullField);  // the field waits for the status
      EXPECT_GE(f.status->x - f.undoEnd, 48.0f - 0.01f);
      EXPECT_NEAR(right(*f.status), rowRight, 0.01f);
    } else if (f.field.width < fullField) {
      sawNarrowerField = true;
      // The field gives up only what keeps 48 free, and stops at 120 with its gap.
      EXPECT_TRUE(rowRight - f.undoEnd >= 48.0f - 0.01f || f.field.width + 8.0f <= 120.0f + 0.01f);
      sawFloor = sawFloor || f.field.width + 8.0f <= 120.0f + 0.01f;
    }
    // Below 120 only where the row itself ends inside the field.
    EXPECT_TRUE(f.field.width + 8.0f >= 120.0f - 0.01f || right(f.field) >= rowRight - 0.01f);
    if (i > 0) {
      EXPECT_LE(f.field.width, frames[i - 1].field.width + 0.01f);
      EXPECT_LE(f.status ? f.status->width : 0.0f,
                frames[i - 1].status ? frames[i - 1].status->width + 0.01f : 0.0f);
    }
  }
  EXPECT_TRUE(sawCutStatus);
  EXPECT_TRUE(sawNarrowerField);
  EXPECT_TRUE(sawFloor);
}

TEST(HeaderRow1, AFieldNarrowerThan120IsNeverCutAndNothingPassesTheRow) {
  HeaderRig rig;
  rig.harness.frame([] {
    HeaderRowWidths widths;
    widths.menu = 150.0f;
    widths.field = 100.0f;
    for (const float row : {400.0f, 200.0f, 120.0f})
      EXPECT_FLOAT_EQ(shareHeaderRow(widths, row, true).field, 100.0f);
  });

  rig.model.document = kitDocument();
  rig.model.status.primary.text = "Ready";
  for (float width = 600.0f; width >= 0.0f; width -= 5.0f) {
    SCOPED_TRACE(width);
    rig.rect.width = width;
    rig.step();
    const float rowRight = rig.rect.x + std::max(width - 4.0f, 4.0f);
    EXPECT_LE(right(rig.result.documentField), rowRight + 0.01f);
    for (const DrawRecord* text : rig.texts(TextStyle::Small)) EXPECT_LE(right(text->rect), rowRight + 0.01f);
  }
}

// Stepping through the kits with one click after another at the same spot.
TEST(HeaderRow1, TheKitsArrowsStayPutWhateverItsName) {
  HeaderRig rig;
  HeaderDocument document = kitDocument();
  rig.model.showUndoRedo = rig.model.canUndo = true;
  rig.model.status.primary.text = "Loaded";
  std::vector<float> previous, next;
  for (const char* name : {"Demo Kit", "Crushed Techno", "Acid Bass and Drums",
                           "A kit whose name is far longer than any arrow should have to move for"}) {
    SCOPED_TRACE(name);
    document.name = name;
    rig.model.document = document;
    rig.step();
    previous.push_back(rig.item("previous")->hitArea.x);
    next.push_back(rig.item("next")->hitArea.x);
    const DrawRecord* shown = rig.texts(TextStyle::Body).front();
    EXPECT_LE(right(shown->rect), previous.back());
  }
  for (std::size_t i = 1; i < next.size(); ++i) {
    EXPECT_FLOAT_EQ(previous[i], previous[0]);
    EXPECT_FLOAT_EQ(next[i], next[0]);
  }
}

TEST(HeaderRow1, CaptionButtonsTakeTheirRoomAtTheRightEnd) {
  HeaderRig rig;
  rig.model.status.primary.text = "Ready";
  rig.step();
  EXPECT_EQ(rig.item("##orbi.caption.close"), nullptr);
  const float statusRight = right(rig.texts(TextStyle::Small).front()->rect);
  EXPECT_FLOAT_EQ(statusRight, right(rig.rect) - 4.0f);

  test::FakeWindowControls controls;
  rig.frame.windowControls = &controls;
  rig.step();
  const ItemRecord* close = rig.item("##orbi.caption.close");
  ASSERT_NE(close, nullptr);
  EXPECT_FLOAT_EQ(right(close->hitArea), right(rig.rect) - 4.0f);
  EXPECT_FLOAT_EQ(right(rig.texts(TextStyle::Small).front()->rect), statusRight - 96.0f);
}

TEST(HeaderStatus, TheOverlayReplacesThePrimaryAndTheToneColoursIt) {
  struct Case {
    const char* name;
    StatusMessage primary;
    StatusMessage overlay;
    const char* shown;
    std::uint32_t colour;
  };
  const Case cases[] = {
      {"primary", {"Saved kit", "", StatusTone::Plain}, {}, "Saved kit", 0xFF8A8870},
      {"notice", {"Nothing to undo", "", StatusTone::Notice}, {}, "Nothing to undo", 0xFFD0A828},
      {"error", {"Could not save kit", "", StatusTone::Error}, {}, "Could not save kit", 0xFFC84830},
      {"unknown tone", {"Odd", "", static_cast<StatusTone>(9)}, {}, "Odd", 0xFF8A8870},
      {"overlay",
       {"Saved kit", "", StatusTone::Plain},
       {"Dragging cutoff", "", StatusTone::Error},
       "Dragging cutoff",
       0xFFC84830},
      {"empty overlay",
       {"Saved kit", "", StatusTone::Error},
       {"", "detail only", StatusTone::Plain},
       "Saved kit",
       0xFFC84830},
  };
  HeaderRig rig;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    rig.model.status.primary = c.primary;
    rig.model.status.overlay = c.overlay;
    rig.step();
    const auto status = rig.texts(TextStyle::Small);
    ASSERT_EQ(status.size(), 1u);
    EXPECT_EQ(status[0]->text, c.shown);
    EXPECT_EQ(status[0]->colour, c.colour);
  }
  rig.model.status = {};
  rig.step();
  EXPECT_TRUE(rig.texts(TextStyle::Small).empty());
  EXPECT_EQ(rig.item("status"), nullptr);
}

TEST(HeaderStatus, AShortenedTextAndADetailShowAsTheTooltip) {
  struct Case {
    const char* name;
    float width;
    std::string_view detail;
    const char* tooltip;  // null: no status item at all
  };
  constexpr const char* kText = "Could not open drums.kit.orbi: unexpected end of the file";
  const Case cases[] = {
      {"fits, no detail", 920, "", nullptr},
      {"fits, with detail", 920, "at byte 512", "at byte 512"},
      {"cut, no detail", 300, "", kText},
      {"cut, with detail", 300, "at byte 512",
       "Could not open drums.kit.orbi: unexpected end of the file\nat byte 512"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HeaderRig rig;
    rig.model.status.primary = {kText, c.detail, StatusTone::Error};
    rig.model.status.align = TextAlign::Right;
    rig.rect.width = c.width;
    rig.step();
    // Cut, it takes two lines, broken between words.
    const auto status = rig.texts(TextStyle::Small);
    ASSERT_EQ(status.size(), c.width < 500 ? 2u : 1u);
    std::string shown;
    for (const DrawRecord* line : status) {
      EXPECT_EQ(line->alignment, TextAlign::Right);
      shown += (shown.empty() ? "" : " ") + line->text;
    }
    // Cut, the second line ends between words.
    if (c.width < 500) {
      ASSERT_TRUE(shown.ends_with("\xE2\x80\xA6")) << shown;
      const std::string start = shown.substr(0, shown.size() - 3);
      EXPECT_TRUE(std::string_view(kText).starts_with(start)) << shown;
      EXPECT_EQ(kText[start.size()], ':') << shown;
    } else {
      EXPECT_EQ(shown, kText);
    }
    const ItemRecord* item = rig.item("status");
    if (!c.tooltip) {
      EXPECT_EQ(item, nullptr);
      continue;
    }
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->tooltip, c.tooltip);
    EXPECT_EQ(item->cursor, ImGuiMouseCursor_Arrow);
  }
}

// A status whose file name may give way: whole while it fits; in a
// narrower place the name loses its middle, as little as it must, and the
// reason after it shows whole; a place too narrow for even the shortest
// name cuts the rest at the end between words, as any text. The tooltip
// has it all.
TEST(HeaderStatus, AYieldingNameGivesWayInItsMiddleOnlyWhenTheTextDoesNotFit) {
  const std::string name = "Warehouse Set Final Mix \xC3\x9C\xC3\x9C For Friday Night.project.orbi";
  const std::string text = "Could not open " + name + ": not a project file";
  StatusMessage message{text, "", StatusTone::Error};
  message.yieldFrom = std::string_view("Could not open ").size();
  message.yieldLength = name.size();
  HeaderRig rig;
  ContextScope scope(rig.harness.ui());
  const float whole = measureText(text, TextStyle::Small).x;
  EXPECT_EQ(fitStatusText(message, whole + 1.0f), text);
  const auto characters = [](std::string_view t) {
    return std::count_if(t.begin(), t.end(),
                         [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
  };
  auto lastLength = characters(text);
  for (float width = whole - 1.0f; width > 60.0f; width -= 23.0f) {
    SCOPED_TRACE(width);
    const std::string shown = fitStatusText(message, width);
    EXPECT_FALSE(fitTextToWidth(shown, TextStyle::Small, width).truncated) << shown;
    if (!shown.ends_with("orbi: not a project file")) {
      // Cut at its end after a whole word: the name is at its shortest.
      ASSERT_TRUE(shown.ends_with("\xE2\x80\xA6")) << shown;
      EXPECT_TRUE(shown.starts_with("Could not")) << shown;
      EXPECT_NE(shown[shown.size() - 4], ' ') << shown;
      EXPECT_LE(characters(shown), characters(text) - characters(name) + static_cast<long>(kShortestYield));
      continue;
    }
    const std::size_t mark = shown.find("\xE2\x80\xA6");
    ASSERT_NE(mark, std::string::npos) << shown;
    EXPECT_TRUE(shown.starts_with("Could not open Ware")) << shown;
    EXPECT_TRUE(text.starts_with(shown.substr(0, mark)));
    EXPECT_TRUE(text.ends_with(shown.substr(mark + 3)));
    for (const std::size_t cut : {mark, mark + 3})
      EXPECT_NE(static_cast<unsigned char>(shown[cut]) & 0xC0, 0x80) << "a character split at " << cut;
    EXPECT_LE(characters(shown), lastLength);
    lastLength = characters(shown);
    // As little cut as fits: within a character of the place's width.
    EXPECT_GT(measureText(shown, TextStyle::Small).x, width - 2.0f * measureText("W", TextStyle::Small).x);
  }
  // Without a yielding part the text is cut at its end, after a word.
  message.yieldLength = 0;
  const std::string cut = fitStatusText(message, 100.0f);
  ASSERT_TRUE(cut.ends_with("\xE2\x80\xA6")) << cut;
  EXPECT_TRUE(text.starts_with(cut.substr(0, cut.size() - 3))) << cut;
  EXPECT_EQ(text[cut.size() - 3], ' ') << cut;
}

// A message of megabytes (a document can quote one) is measured, drawn
// and shown in its tooltip only as far as any header shows it: its start,
// cut where a character starts, and an ellipsis.
TEST(HeaderStatus, AMessageOfMegabytesIsCutBeforeItIsMeasured) {
  const std::string ellipsis = "\xE2\x80\xA6";
  std::string text = "Could not open x: A ";
  while (text.size() < (std::size_t{4} << 20)) text += "\xC3\xA9";
  HeaderRig rig;
  ContextScope scope(rig.harness.ui());
  for (const std::size_t yieldLength : {std::size_t{0}, std::size_t{1}}) {
    SCOPED_TRACE(yieldLength);
    StatusMessage message{text, "", StatusTone::Error};
    message.yieldFrom = std::string_view("Could not open ").size();
    message.yieldLength = yieldLength;
    const std::string shown = fitStatusText(message, 300.0f);
    ASSERT_TRUE(shown.ends_with(ellipsis));
    const std::string start = shown.substr(0, shown.size() - ellipsis.size());
    EXPECT_LE(start.size(), kLongestStatusBytes);
    EXPECT_TRUE(text.starts_with(start));
    EXPECT_NE(static_cast<unsigned char>(text[start.size()]) & 0xC0, 0x80) << "a character split";
    // Its width is that of its first kLongestStatusBytes and the ellipsis
    // (here whole characters), with the padding any status has.
    HeaderStatus huge, small;
    huge.primary = message;
    small.primary = StatusMessage{"x", "", StatusTone::Error};
    const std::string measured = text.substr(0, kLongestStatusBytes) + ellipsis;
    EXPECT_FLOAT_EQ(statusWidth(huge) - measureText(measured, TextStyle::Small).x,
                    statusWidth(small) - measureText("x", TextStyle::Small).x);
  }
}

}  // namespace header_layout_test
}  // namespace orbi::ui
