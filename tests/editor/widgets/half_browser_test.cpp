// The half browser: stepping through presets or the type's steps, the
// three click areas, the hint and what is painted for a non-stepped slot.
#include "editor/widgets/anatomy/half_browser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/editor/widgets/chain_rig.h"

namespace orbi {
namespace half_browser_test {

using ui::DrawOp;

constexpr const char* kTypeLabels[] = {"skin", "wood", "metal", "glass", "paper"};

ParamSlot typeSlot(float value, bool stepped = true, bool labelled = true) {
  ParamSlot s;
  s.id = 7;
  s.info.id = "exc1_type";
  s.info.min = 0.0f;
  s.info.max = 4.0f;
  s.info.stepped = stepped ? 1 : 0;
  if (labelled) {
    s.info.labels = kTypeLabels;
    s.info.labelCount = 5;
  }
  s.value = value;
  return s;
}

ParamWidget::ResolvedPreset preset(std::string name, float type) {
  ParamWidget::ResolvedPreset p;
  p.name = std::move(name);
  p.values = {{7, type}};
  return p;
}

class BrowserRig : public test::PointerRig {
 public:
  BrowserRig() {
    browser.title = "HIT";
    browser.setSlots({typeSlot(4.0f)});
    browser.onChange = [this](int id, float v) {
      log.push_back("change " + std::to_string(id) + " " + std::to_string(v));
    };
    browser.onLand = [this] { log.push_back("land"); };
    body = [this] { browser.draw({100.0f, 100.0f, 400.0f, 64.0f}); };
    step();
  }
  ImVec2 prev() { return test::centreOf(itemAreas("prev").at(0)); }
  ImVec2 next() { return test::centreOf(itemAreas("next").at(0)); }
  ImVec2 middle() { return test::centreOf(browser.contentRect()); }
  void threePresets() {
    browser.setPresets({preset("first", 1.0f), preset("second", 2.0f), preset("third", 3.0f)});
    step();
  }
  HalfBrowser browser;
  std::vector<std::string> log;
};

TEST(HalfBrowser, PresetsWrapBothWaysFromNonePinned) {
  BrowserRig rig;
  rig.threePresets();
  rig.clickAt(rig.next());
  EXPECT_EQ(rig.browser.pinnedPreset, 0);
  rig.browser.pinnedPreset = -1;
  rig.steps(30);
  rig.clickAt(rig.prev());
  EXPECT_EQ(rig.browser.pinnedPreset, 2);
  EXPECT_FLOAT_EQ(rig.browser.slots[0].value, 3.0f);
  rig.steps(30);
  rig.clickAt(rig.next());
  EXPECT_EQ(rig.browser.pinnedPreset, 0);
  EXPECT_FLOAT_EQ(rig.browser.slots[0].value, 1.0f);
  EXPECT_EQ(rig.log.back(), "land");
}

TEST(HalfBrowser, WithoutPresetsTheTypeWrapsAndLandsAfterTheChange) {
  BrowserRig rig;
  rig.clickAt(rig.next());
  EXPECT_EQ(rig.browser.currentIndex(), 0);
  EXPECT_EQ(rig.log, (std::vector<std::string>{"change 7 " + std::to_string(0.0f), "land"}));
  rig.browser.step(-1);
  EXPECT_EQ(rig.browser.currentIndex(), 4);
}

TEST(HalfBrowser, APressOnTheMiddleReplaysWithoutAChange) {
  BrowserRig rig;
  rig.clickAt(rig.middle());
  EXPECT_EQ(rig.log, std::vector<std::string>{"land"});
  EXPECT_EQ(rig.browser.currentIndex(), 4);
}

TEST(HalfBrowser, TwoQuickClicksOnNextMoveTwoSteps) {
  BrowserRig rig;
  rig.threePresets();
  rig.clickAt(rig.next());
  rig.clickAt(rig.next());
  EXPECT_EQ(rig.browser.pinnedPreset, 1);
  EXPECT_EQ(std::count(rig.log.begin(), rig.log.end(), "land"), 2);
}

TEST(HalfBrowser, AnOwnerThatRebuildsInsideTheCallbacksIsSafe) {
  BrowserRig rig;
  rig.threePresets();
  // The owner's rebuild replaces the slots and presets the step is using.
  rig.browser.onChange = [&rig](int, float v) {
    rig.browser.setSlots({typeSlot(v)});
    rig.browser.setPresets({preset("first", 1.0f), preset("second", 2.0f), preset("third", 3.0f)});
  };
  rig.browser.onLand = [&rig] { rig.browser.setPresets({preset("only", 0.0f)}); };
  rig.clickAt(rig.next());
  EXPECT_EQ(rig.browser.pinnedPreset, 0);
  EXPECT_FLOAT_EQ(rig.browser.slots.at(0).value, 1.0f);
  EXPECT_EQ(rig.browser.presets.size(), 1u);
}

TEST(HalfBrowser, ARefusedPresetStillLands) {
  BrowserRig rig;
  ParamWidget::ResolvedPreset refused = preset("empty slot", 2.0f);
  refused.filter = [](ParamWidget::ParamPairs&) { return false; };
  rig.browser.setPresets({refused});
  rig.browser.step(1);
  EXPECT_EQ(rig.log, std::vector<std::string>{"land"});
  EXPECT_EQ(rig.browser.pinnedPreset, 0);
  EXPECT_EQ(rig.browser.currentIndex(), 4);
}

TEST(HalfBrowser, TheHintNamesTheHalfOrFallsBackToTheBase) {
  BrowserRig rig;
  EXPECT_EQ(
      rig.browser.hint(),
      "HIT: paper (tweaked - between halves) - arrow through the halves; each one plays as you land on it.");
  rig.threePresets();
  rig.browser.pinnedPreset = 1;
  EXPECT_EQ(rig.browser.hint(), "HIT: second - arrow through the halves; each one plays as you land on it.");
  rig.browser.setPresets({});
  rig.browser.pinnedPreset = -1;
  rig.browser.setSlots({typeSlot(2.0f, true, false)});
  EXPECT_EQ(rig.browser.hint(), rig.browser.ParamWidget::hint());
  EXPECT_EQ(rig.browser.choiceLabel(2), nullptr);
}

TEST(HalfBrowser, ChoiceLabelsStayWithinTheSteps) {
  HalfBrowser b;
  EXPECT_EQ(b.choiceLabel(0), nullptr);
  EXPECT_EQ(b.currentIndex(), 0);
  b.setSlots({typeSlot(9.0f)});
  EXPECT_EQ(b.currentIndex(), 4);
  EXPECT_STREQ(b.choiceLabel(1), "wood");
  EXPECT_EQ(b.choiceLabel(-1), nullptr);
  EXPECT_EQ(b.choiceLabel(5), nullptr);
  b.setSlots({typeSlot(1.0f, false)});
  EXPECT_EQ(b.choiceLabel(1), nullptr);
  EXPECT_EQ(b.currentIndex(), 0);
}

TEST(HalfBrowser, ANonSteppedSlotShowsOnlyTheFrame) {
  BrowserRig rig;
  static const float wave[] = {0.0f, 0.5f, -0.5f, 0.25f};
  rig.browser.setWaveform(wave, 4);
  rig.step();
  EXPECT_FALSE(rig.harness.drawLog().find(DrawOp::Polyline).empty());
  rig.browser.setSlots({typeSlot(1.0f, false)});
  rig.step();
  EXPECT_TRUE(rig.harness.drawLog().find(DrawOp::Polyline).empty());
  EXPECT_TRUE(rig.harness.drawLog().find(DrawOp::FillBand).empty());
  for (const ui::DrawRecord* text : rig.harness.drawLog().find(DrawOp::Text)) EXPECT_NE(text->text, "wood");
  rig.clickAt(rig.next());
  EXPECT_EQ(rig.log, std::vector<std::string>{});
  EXPECT_FLOAT_EQ(rig.browser.slots[0].value, 1.0f);
}

TEST(HalfBrowser, AnchorsRunAcrossTheContentMiddle) {
  BrowserRig rig;
  const ui::Rect c = rig.browser.contentRect();
  const ImVec2 a = rig.browser.anchorFor(3, 2.0f);
  EXPECT_FLOAT_EQ(a.x, c.x + c.width);
  EXPECT_FLOAT_EQ(a.y, c.y + c.height / 2.0f);
}

}  // namespace half_browser_test
}  // namespace orbi
