// The sample view: the title strip's pills and chips, the chop menu, the
// typed entry, the waveform painter and the three views' gestures.
#include "editor/widgets/sample/sample_view.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/allocation_counter.h"
#include "tests/editor/widgets/sample_rig.h"

namespace orbi {
namespace sample_view_test {

using test::Calls;
using test::keyed;
using ui::DrawOp;

constexpr std::uint32_t kDimWave = 0x598A8870;
constexpr std::uint32_t kBrightWave = 0xFF8DC63F;

class ViewRig : public test::GestureRig {
 public:
  explicit ViewRig(float s = 1.0f) : GestureRig(s) {
    view.title = "SAMPLE";
    view.onChange = test::recordInto(calls);
    body = [this] { view.draw(area); };
  }
  ui::Rect content() {
    ui::Rect c;
    harness.frame([&] {
      body();
      c = view.contentRect();
    });
    return c;
  }
  void load(float seconds) {
    sample = test::sineSample(seconds);
    view.setSample(sample.data(), static_cast<int>(sample.size()), seconds);
  }
  void windowSlots(float start, float end, float fadeIn = 0.0f, float fadeOut = 0.0f, float gain = 0.0f) {
    view.mode = SampleView::kWindow;
    view.setSlots({keyed(0, "start", 0, 1, start), keyed(1, "end", 0, 1, end),
                   keyed(2, "fadeIn", 0, 1, fadeIn), keyed(3, "fadeOut", 0, 1, fadeOut),
                   keyed(4, "gain", -24, 24, gain)});
  }
  float value(const char* key) const {
    return view.slots[static_cast<std::size_t>(view.findSlot(key))].value;
  }

  SampleView view;
  ui::Rect area{100.0f, 100.0f, 600.0f, 200.0f};
  std::vector<float> sample;
  Calls calls;
};

// ---- title strip

class TitleStripAtScale : public testing::TestWithParam<float> {};

TEST_P(TitleStripAtScale, WithoutMarkersTheChipsStartAtTheRightEnd) {
  const float s = GetParam();
  for (const bool withPresets : {false, true}) {
    SCOPED_TRACE(withPresets);
    ViewRig rig(s);
    rig.area = {100.0f, 100.0f, 600.0f * s, 200.0f * s};
    rig.view.chips = {{"LOOP", 1, 7, {}}, {"REV", 0, 8, {}}};
    if (withPresets) rig.view.setPresets({ParamWidget::ResolvedPreset{"p", "", {}, {}}});
    rig.step();
    EXPECT_TRUE(rig.itemAreas("pill").empty());
    EXPECT_TRUE(rig.itemAreas("chop").empty());
    const auto chips = rig.itemAreas("toggle");
    ASSERT_EQ(chips.size(), 2u);
    const float right = 100.0f + s + (600.0f - 2.0f) * s - (withPresets ? 26.0f * s : 0.0f);
    EXPECT_FLOAT_EQ(chips[0].x, right - 44.0f * s + 3.0f * s);
    EXPECT_FLOAT_EQ(chips[0].width, 38.0f * s);
    EXPECT_FLOAT_EQ(chips[1].x, right - 88.0f * s + 3.0f * s);
    EXPECT_FLOAT_EQ(chips[0].y, 100.0f + 3.0f * s);
    EXPECT_FLOAT_EQ(chips[0].height, 14.0f * s);
  }
}

INSTANTIATE_TEST_SUITE_P(Scales, TitleStripAtScale, testing::Values(1.0f, 1.5f, 2.0f));

TEST(SampleViewStrip, TheChopPillShowsOnlyInTheSlicesView) {
  ViewRig rig;
  rig.view.hasMarkers = 1;
  rig.view.chips = {{"LOOP", 0, 1, {}}};
  rig.step();
  ASSERT_EQ(rig.itemAreas("pill").size(), 1u);
  EXPECT_TRUE(rig.itemAreas("chop").empty());
  EXPECT_FLOAT_EQ(rig.itemAreas("toggle")[0].x, 699.0f - 52.0f - 44.0f + 3.0f);
  rig.view.mode = SampleView::kSlices;
  rig.step();
  ASSERT_EQ(rig.itemAreas("chop").size(), 1u);
  EXPECT_FLOAT_EQ(rig.itemAreas("pill")[0].x, 699.0f - 52.0f + 3.0f);
  EXPECT_FLOAT_EQ(rig.itemAreas("chop")[0].x, 699.0f - 98.0f + 3.0f);
  EXPECT_FLOAT_EQ(rig.itemAreas("toggle")[0].x, 699.0f - 142.0f + 3.0f);
  EXPECT_TRUE(rig.showsText("WINDOW"));
  EXPECT_TRUE(rig.showsText("CHOP"));
}

TEST(SampleViewStrip, PillAndChipsReportThroughTheirCallbacks) {
  ViewRig rig;
  rig.view.hasMarkers = 1;
  rig.view.slicesOn = 1;
  std::vector<bool> toggles;
  std::vector<int> chipValues;
  rig.view.onModeToggle = [&](bool slices) { toggles.push_back(slices); };
  // The owner's rebuild replaces the chips inside the callback.
  rig.view.chips = {{"LOOP", 0, 5, {}}, {"REV", 0, 6, {}}};
  rig.view.onChip = [&](int v) {
    chipValues.push_back(v);
    rig.view.chips = {{"LOOP", 1, 5, {}}};
  };
  rig.step();
  rig.clickAt(test::centreOf(rig.itemAreas("pill")[0]));
  EXPECT_EQ(toggles, std::vector<bool>{false});
  rig.clickAt(test::centreOf(rig.itemAreas("toggle")[1]));
  EXPECT_EQ(chipValues, std::vector<int>{6});
  EXPECT_TRUE(rig.showsText("SLICES"));
}

// ---- chop menu

class ChopRig : public ViewRig {
 public:
  ChopRig() {
    view.hasMarkers = 1;
    view.mode = SampleView::kSlices;
    view.onDetectTransients = [this] { log.push_back(-1); };
    view.onClearChops = [this] { log.push_back(-2); };
    view.onDivide = [this](int n) { log.push_back(n); };
    step();
  }
  void openMenu() {
    clickAt(test::centreOf(itemAreas("chop")[0]));
    steps(2);
  }
  void hover(const char* label) {
    const ui::ItemRecord* item = harness.drawLog().findItem(label);
    ASSERT_NE(item, nullptr) << label;
    harness.movePointer(test::centreOf(item->hitArea));
    steps(20);
  }
  void choose(const char* label) { EXPECT_TRUE(harness.clickItem(label, body)) << label; }
  bool shows(const char* label) const { return harness.drawLog().findItem(label) != nullptr; }
  std::vector<int> log;
};

TEST(SampleViewChopMenu, GreysWhatCannotBeDone) {
  ChopRig rig;
  rig.openMenu();
  ASSERT_TRUE(rig.shows("Detect transients"));
  rig.choose("Detect transients");
  rig.choose("Clear chops");
  rig.hover("Divide into");
  EXPECT_FALSE(rig.shows("16"));
  EXPECT_TRUE(rig.log.empty());
}

TEST(SampleViewChopMenu, DividesDetectsAndClears) {
  ChopRig rig;
  rig.load(0.5f);
  const float markers[] = {0.0f, 0.5f};
  rig.view.markers = markers;
  rig.view.markerCount = 2;
  rig.openMenu();
  rig.hover("Divide into");
  ASSERT_TRUE(rig.shows("16"));
  rig.choose("16");
  EXPECT_EQ(rig.log, std::vector<int>{16});
  rig.openMenu();
  rig.choose("Detect transients");
  rig.openMenu();
  rig.choose("Clear chops");
  EXPECT_EQ(rig.log, (std::vector<int>{16, -1, -2}));
}

// ---- typed entry

TEST(SampleViewEntry, AStartTypedPastTheEndStopsJustBeforeIt) {
  ViewRig rig;
  rig.load(0.5f);
  rig.windowSlots(0.0f, 0.4f);
  rig.step();
  rig.harness.frame([&] {
    rig.view.openEntryFor(0);
    rig.view.draw(rig.area);
  });
  rig.steps(2);
  EXPECT_EQ(rig.view.entry.value.spec().max, 500.0f);
  rig.type("250");
  rig.pressKey(ui::Key::Enter);
  EXPECT_NEAR(rig.value("start"), 0.399f, 1e-6f);
  ASSERT_EQ(rig.calls.size(), 1u);
  EXPECT_EQ(rig.calls[0].first, 0);
}

TEST(SampleViewEntry, SprayOffersHalfTheSample) {
  ViewRig rig;
  rig.load(2.0f);
  rig.view.mode = SampleView::kGrains;
  rig.view.setSlots({keyed(0, "position", 0, 1, 0.5f), keyed(1, "spray", 0, 1, 0.1f)});
  rig.step();
  rig.harness.frame([&] {
    rig.view.openEntryFor(1);
    rig.view.draw(rig.area);
  });
  rig.steps(2);
  EXPECT_EQ(rig.view.entry.value.spec().min, 0.0f);
  EXPECT_EQ(rig.view.entry.value.spec().max, 1000.0f);
  rig.type("300");
  rig.pressKey(ui::Key::Enter);
  EXPECT_NEAR(rig.value("spray"), 300.0f / 2000.0f, 1e-6f);
}

TEST(SampleViewEntry, TypingIsRefusedInTheSlicesView) {
  ViewRig rig;
  rig.view.mode = SampleView::kSlices;
  rig.view.setSlots({keyed(0, "slice", 0, 63, 0)});
  rig.harness.frame([&] { rig.view.openEntryFor(0); });
  EXPECT_EQ(rig.view.entry.openId(), -1);
  rig.view.mode = SampleView::kWindow;
  rig.harness.frame([&] { rig.view.openEntryFor(0); });
  EXPECT_EQ(rig.view.entry.openId(), 0);
}

TEST(SampleViewEntry, FadesAndGainTypeInTheirOwnUnits) {
  ViewRig rig;
  rig.windowSlots(0.0f, 1.0f);
  rig.view.commitTyped(2, 40.0f);
  rig.view.commitTyped(4, -6.0f);
  EXPECT_FLOAT_EQ(rig.value("fadeIn"), 0.4f);
  EXPECT_FLOAT_EQ(rig.value("gain"), -6.0f);
  // Without a length the window is typed in percent.
  rig.view.commitTyped(1, 50.0f);
  EXPECT_FLOAT_EQ(rig.value("end"), 0.5f);
}

// ---- the painter

TEST(SampleViewWave, WithoutASampleItSaysSo) {
  ViewRig rig;
  rig.windowSlots(0.0f, 1.0f);
  rig.step();
  EXPECT_TRUE(rig.showsText("no sample loaded"));
  EXPECT_TRUE(rig.harness.drawLog().find(DrawOp::FillBand).empty());
  // A sample a load kept unread says it cannot play, and why.
  rig.view.setCannotPlay("its bytes fail their checksum");
  rig.step();
  EXPECT_FALSE(rig.showsText("no sample loaded"));
  EXPECT_TRUE(rig.showsText("this sample cannot play: its bytes fail their checksum"));
}

// A long sample's overview takes a quarter of its audio: set again (as
// every rebuild of the bench does), the view never holds two at once.
TEST(SampleViewWave, ASampleSetAgainHoldsOneOverview) {
  const std::vector<float> sample(std::size_t(1) << 20, 0.5f);
  SampleView view;
  view.setSample(sample.data(), static_cast<int>(sample.size()), 20.0f);
  ob::test::resetPeakLiveBytes();
  const std::size_t held = ob::test::liveBytes();
  view.setSample(sample.data(), static_cast<int>(sample.size()), 20.0f);
  EXPECT_LT(ob::test::peakLiveBytes() - held, sample.size() * sizeof(float) / 16);
}

TEST(SampleViewWave, AnEmptyStretchDrawsOnlyTheDimPass) {
  ViewRig rig;
  rig.load(0.5f);
  const ui::Rect r{100.0f, 400.0f, 500.0f, 100.0f};
  for (const auto& [from, to, bright] :
       {std::tuple{0.5f, 0.5f, false}, std::tuple{0.6f, 0.2f, false}, std::tuple{0.2f, 0.6f, true}}) {
    SCOPED_TRACE(from);
    // Copied: clang 14 captures no structured binding.
    rig.harness.frame(
        [&, from = from, to = to] { rig.view.paintWave(ImGui::GetWindowDrawList(), r, from, to, {}); });
    EXPECT_EQ(rig.drawn(DrawOp::FillBand, kDimWave).size(), 1u);
    EXPECT_EQ(rig.drawn(DrawOp::FillBand, kBrightWave).size(), bright ? 1u : 0u);
  }
}

// ---- window view

TEST(SampleViewWindow, TheEdgesKeepAThousandthApart) {
  ViewRig rig;
  rig.windowSlots(0.2f, 0.6f);
  const ui::Rect c = rig.content();
  const float y = c.y + c.height / 2.0f;
  rig.drag({c.x + c.width * 0.2f, y}, {{100.0f, 0.0f}, {600.0f, 0.0f}});
  EXPECT_NEAR(rig.value("start"), 0.599f, 1e-6f);
  rig.windowSlots(0.2f, 0.6f);
  rig.drag({c.x + c.width * 0.6f, y}, {{-100.0f, 0.0f}, {-600.0f, 0.0f}});
  EXPECT_NEAR(rig.value("end"), 0.201f, 1e-6f);
}

TEST(SampleViewWindow, TheStuckWindowCanBeOpenedFromItsEnd) {
  ViewRig rig;
  rig.windowSlots(0.0f, 0.001f);
  const ui::Rect c = rig.content();
  const ImVec2 press{c.x + 5.0f, c.y + c.height / 2.0f};
  rig.harness.frame([&] { EXPECT_EQ(rig.view.windowHit(press), SampleView::kEnd); });
  rig.drag(press, {{50.0f, 0.0f}, {c.width / 2.0f, 0.0f}});
  EXPECT_EQ(rig.value("start"), 0.0f);
  // The end moves by the drag from where it was, not from the press.
  EXPECT_NEAR(rig.value("end"), 0.001f + 0.5f, 1e-5f);
}

TEST(SampleViewWindow, FadesAreHitOnlyInTheTopBandAndReachOne) {
  ViewRig rig;
  rig.windowSlots(0.2f, 0.6f, 0.25f, 0.25f);
  const ui::Rect c = rig.content();
  const float fadeInX = c.x + c.width * (0.2f + 0.4f * 0.25f);
  rig.harness.frame([&] {
    EXPECT_EQ(rig.view.windowHit({fadeInX, c.y + 10.0f}), SampleView::kFadeIn);
    EXPECT_EQ(rig.view.windowHit({fadeInX, c.y + 11.0f}), SampleView::kBody);
    EXPECT_EQ(rig.view.windowHit({c.x + c.width * 0.5f, c.y + 2.0f}), SampleView::kFadeOut);
  });
  rig.drag({fadeInX, c.y + 4.0f}, {{200.0f, 0.0f}, {700.0f, 0.0f}});
  EXPECT_EQ(rig.value("fadeIn"), 1.0f);
}

TEST(SampleViewWindow, AWindowSqueezedToNothingShowsBothEdgesEachTakenAtItsBar) {
  // The start's bar lies left of its edge and the end's right of it: both
  // show, and a press on either (at a whole pixel, as the pointer is) takes
  // that edge.
  constexpr std::uint32_t kStartBar = 0xFFA4D165, kEndBar = 0xFFD0A828;
  for (const float s : {1.0f, 1.5f}) {
    SCOPED_TRACE(s);
    ViewRig rig(s);
    rig.windowSlots(0.3f, 0.301f);
    const ui::Rect c = rig.content();
    const auto barOf = [&](std::uint32_t colour) {
      for (const ui::DrawRecord* r : rig.drawn(DrawOp::FillRect, colour))
        if (r->rect.height == c.height) return r->rect;
      ADD_FAILURE() << "no bar";
      return ui::Rect{};
    };
    const ui::Rect start = barOf(kStartBar), end = barOf(kEndBar);
    EXPECT_LE(start.x + start.width, end.x) << "one bar hides the other";
    const float y = c.y + c.height / 2.0f;
    rig.harness.frame([&] {
      EXPECT_EQ(rig.view.windowHit({std::floor(start.x + start.width / 2.0f), y}), SampleView::kStart);
      EXPECT_EQ(rig.view.windowHit({std::floor(end.x + end.width / 2.0f), y}), SampleView::kEnd);
    });
  }
}

TEST(SampleViewWindow, AFadeOutDrawnOntoTheFadeInIsTakenAtItsOwnFlag) {
  // Both fades on the window's start: the fade-in's flag points right of
  // the line and the fade-out's left, and a press on either flag takes it.
  for (const float s : {1.0f, 1.5f}) {
    SCOPED_TRACE(s);
    ViewRig rig(s);
    rig.windowSlots(0.2f, 0.6f, 0.0f, 1.0f);
    const ui::Rect c = rig.content();
    const float line = c.x + c.width * 0.2f, flag = c.y + 4.0f * s;
    rig.harness.frame([&] {
      EXPECT_EQ(rig.view.windowHit({line - 3.0f * s, flag}), SampleView::kFadeOut);
      EXPECT_EQ(rig.view.windowHit({line + 3.0f * s, flag}), SampleView::kFadeIn);
    });
    rig.drag({line - 3.0f * s, flag}, {{0.1f * c.width, 0.0f}});
    EXPECT_NEAR(rig.value("fadeOut"), 0.75f, 0.01f);  // moved a quarter of the window back
    EXPECT_EQ(rig.value("fadeIn"), 0.0f);
  }
}

TEST(SampleViewWindow, TheBodyCarriesTheGain) {
  ViewRig rig;
  rig.windowSlots(0.0f, 1.0f);
  const ui::Rect c = rig.content();
  rig.drag({c.x + c.width / 2.0f, c.y + c.height - 10.0f}, {{0.0f, -80.0f}, {0.0f, -160.0f}});
  EXPECT_EQ(rig.value("gain"), 24.0f);
  EXPECT_EQ(rig.value("start"), 0.0f);
  EXPECT_EQ(rig.value("end"), 1.0f);
}

TEST(SampleViewWindow, TheGainLabelShowsWhileTheBodyIsHovered) {
  ViewRig rig;
  rig.load(0.5f);
  rig.windowSlots(0.0f, 1.0f);
  const ui::Rect c = rig.content();
  rig.harness.movePointer({c.x + c.width / 2.0f, c.y + c.height / 2.0f});
  rig.steps(2);
  EXPECT_TRUE(rig.showsText("Gain +0.0 dB"));
  rig.harness.pointerAway();
  rig.steps(2);
  EXPECT_FALSE(rig.showsText("Gain +0.0 dB"));
  rig.view.slots[4].value = -3.0f;
  rig.step();
  EXPECT_TRUE(rig.showsText("Gain -3.0 dB"));
}

// ---- slices view

class SlicesRig : public ViewRig {
 public:
  explicit SlicesRig(float s = 1.0f) : ViewRig(s) {
    view.mode = SampleView::kSlices;
    view.setSlots({keyed(0, "slice", 0, 63, 3)});
    view.markers = markers;
    view.markerCount = 4;
    view.onSliceAdd = [this](float u) { added.push_back(u); };
    view.onSliceDelete = [this](int i) { deleted.push_back(i); };
    view.onSliceMove = [this](int i, float u) { moves.emplace_back(i, u); };
    c = content();
  }
  ImVec2 at(float u) const { return {c.x + c.width * u, c.y + c.height / 2.0f}; }
  float markers[4] = {0.0f, 0.25f, 0.5f, 0.75f};
  ui::Rect c;
  std::vector<float> added;
  std::vector<int> deleted;
  Calls moves;
};

TEST(SampleViewSlices, APressSelectsTheSliceUnderIt) {
  SlicesRig rig;
  rig.clickAt(rig.at(0.1f));
  EXPECT_EQ(rig.view.slots[0].value, 0.0f);
  rig.clickAt(rig.at(0.6f));
  EXPECT_EQ(rig.view.slots[0].value, 2.0f);
  ASSERT_EQ(rig.calls.size(), 2u);
}

TEST(SampleViewSlices, AddingAndDeletingSpareTheMarkers) {
  SlicesRig rig;
  rig.doubleClickAt({rig.at(0.25f).x + 3.0f, rig.at(0.25f).y});
  EXPECT_TRUE(rig.added.empty());
  rig.doubleClickAt(rig.at(0.4f));
  ASSERT_EQ(rig.added.size(), 1u);
  EXPECT_NEAR(rig.added[0], 0.4f, 1.0f / rig.c.width);  // the pointer stands on whole pixels
  rig.clickAt(rig.at(0.0f), ImGuiMouseButton_Right);
  EXPECT_TRUE(rig.deleted.empty());
  rig.clickAt(rig.at(0.5f), ImGuiMouseButton_Right);
  EXPECT_EQ(rig.deleted, std::vector<int>{2});
}

TEST(SampleViewSlices, AMarkerDragReportsEveryMovedFrame) {
  SlicesRig rig;
  rig.drag(rig.at(0.5f), {{10.0f, 0.0f}, {10.0f, 5.0f}, {40.0f, 5.0f}});
  ASSERT_EQ(rig.moves.size(), 2u);
  for (const auto& [index, u] : rig.moves) EXPECT_EQ(index, 2);
  EXPECT_NEAR(rig.moves[0].second, 0.5f + 10.0f / rig.c.width, 1e-5f);
  EXPECT_NEAR(rig.moves[1].second, 0.5f + 40.0f / rig.c.width, 1e-5f);
  EXPECT_TRUE(rig.calls.empty());
}

TEST(SampleViewSlices, AMarkerStopsShortOfItsNeighboursAndEachIsTakenAtItsBar) {
  // Dragged onto the marker before it, or past the one after, a marker
  // stops four pixels short: both bars show and a press at each takes it.
  for (const float s : {1.0f, 1.5f}) {
    SCOPED_TRACE(s);
    SlicesRig rig(s);
    const float gap = 4.0f * s / rig.c.width;
    rig.drag(rig.at(0.5f), {{-rig.c.width, 0.0f}});
    ASSERT_FALSE(rig.moves.empty());
    EXPECT_NEAR(rig.moves.back().second, 0.25f + gap, 1e-5f);
    rig.markers[2] = rig.moves.back().second;
    rig.harness.frame([&] {
      rig.view.draw(rig.area);
      EXPECT_EQ(rig.view.slicePick(std::floor(rig.at(0.25f).x)), 1);
      EXPECT_EQ(rig.view.slicePick(std::floor(rig.at(rig.markers[2]).x) + 1.0f), 2);
    });
    rig.drag(rig.at(0.25f), {{-rig.c.width, 0.0f}});
    EXPECT_NEAR(rig.moves.back().second, gap, 1e-5f);
    rig.drag(rig.at(0.75f), {{rig.c.width, 0.0f}});
    EXPECT_NEAR(rig.moves.back().second, 1.0f, 1e-5f);  // the sample's end is no marker
  }
}

// ---- grains view

class GrainsRig : public ViewRig {
 public:
  GrainsRig() {
    view.mode = SampleView::kGrains;
    view.setSlots(
        {keyed(0, "position", 0, 1, 0.5f), keyed(1, "spray", 0, 1, 0.2f), keyed(2, "gain", -24, 24, 0)});
    c = content();
  }
  ImVec2 at(float u) const { return {c.x + c.width * u, c.y + c.height / 2.0f}; }
  ui::Rect c;
};

TEST(SampleViewGrains, ASmallDragChangesNothing) {
  GrainsRig rig;
  rig.drag(rig.at(0.5f), {{2.0f, 0.0f}, {2.0f, 2.0f}});
  EXPECT_TRUE(rig.calls.empty());
}

TEST(SampleViewGrains, TheFirstLargerMoveFixesTheAxis) {
  GrainsRig rig;
  rig.drag(rig.at(0.5f), {{10.0f, 0.0f}, {20.0f, -100.0f}});
  EXPECT_NEAR(rig.value("position"), 0.5f + 20.0f / rig.c.width, 1e-5f);
  EXPECT_EQ(rig.value("gain"), 0.0f);
  rig.drag(rig.at(0.5f), {{0.0f, -80.0f}, {30.0f, -80.0f}});
  EXPECT_NEAR(rig.value("gain"), 24.0f, 1e-4f);
  EXPECT_NEAR(rig.value("position"), 0.5f + 20.0f / rig.c.width, 1e-5f);
}

TEST(SampleViewGrains, AnEdgeSetsTheSprayAndNoSprayLeavesOnlyTheLine) {
  GrainsRig rig;
  rig.drag(rig.at(0.7f), {{0.0f, 0.0f}, {rig.c.width * 0.1f, 0.0f}});
  EXPECT_NEAR(rig.value("spray"), 0.3f, 2.0f / rig.c.width);
  rig.view.slots[1].value = 0.0f;
  rig.harness.frame([&] {
    for (float u = 0.0f; u <= 1.0f; u += 0.05f) EXPECT_EQ(rig.view.grainsPick(rig.at(u).x), 0) << u;
  });
}

TEST(SampleViewGrains, WithNoSprayItsFlagsStillTakeIt) {
  GrainsRig rig;
  rig.view.slots[1].value = 0.0f;
  rig.step();
  const ui::HandleRecord* spray = rig.harness.drawLog().findHandle(&rig.view, "spray");
  ASSERT_NE(spray, nullptr) << "no spray to take";
  const ImVec2 line = rig.at(0.5f);
  EXPECT_GT(spray->centre.x, line.x + 1.0f) << "the flag lies on the position line";
  rig.drag({std::floor(spray->centre.x) + 1.0f, spray->centre.y},
           {{10.0f, 0.0f}, {0.1f * rig.c.width, 0.0f}});
  EXPECT_NEAR(rig.value("spray"), 0.1f, 2.0f / rig.c.width);
  EXPECT_EQ(rig.value("position"), 0.5f);
  // The left flag widens it the other way.
  rig.view.slots[1].value = 0.0f;
  rig.drag({std::floor(line.x) - 3.0f, spray->centre.y}, {{-10.0f, 0.0f}, {-0.1f * rig.c.width, 0.0f}});
  EXPECT_NEAR(rig.value("spray"), 0.1f, 2.0f / rig.c.width);
  EXPECT_EQ(rig.value("position"), 0.5f);
}

// ---- what a drag shows while it moves

// An edge or a fade, a marker and the grains' line each show where they are
// while they move, as a time in the sample.
TEST(SampleViewReadouts, EveryDragShowsItsPlaceWhileItMoves) {
  {
    ViewRig rig;
    rig.load(0.5f);
    rig.windowSlots(0.2f, 0.6f, 0.25f, 0.25f);
    const ui::Rect c = rig.content();
    const float y = c.y + c.height / 2.0f;
    EXPECT_TRUE(
        test::showsMovingValue(rig.textsWhileDragged({c.x + c.width * 0.2f, y}, {10.0f, 0.0f}, {40.0f, 0.0f}),
                               sample::testing::samplerSlotName("start"), " ms"));
    EXPECT_TRUE(test::showsMovingValue(
        rig.textsWhileDragged({c.x + c.width * 0.6f, y}, {-10.0f, 0.0f}, {-40.0f, 0.0f}),
        sample::testing::samplerSlotName("end"), " ms"));
    rig.windowSlots(0.2f, 0.6f, 0.25f, 0.25f);
    const float fadeInX = c.x + c.width * (0.2f + 0.4f * 0.25f);
    EXPECT_TRUE(
        test::showsMovingValue(rig.textsWhileDragged({fadeInX, c.y + 4.0f}, {10.0f, 0.0f}, {30.0f, 0.0f}),
                               sample::testing::samplerSlotName("fadeIn"), " ms"));
  }
  {
    SlicesRig rig;
    rig.load(0.5f);
    rig.view.onSliceMove = [&rig](int i, float u) { rig.markers[i] = u; };
    EXPECT_TRUE(test::showsMovingValue(rig.textsWhileDragged(rig.at(0.5f), {10.0f, 0.0f}, {40.0f, 0.0f}),
                                       "slice 3", " ms"));
  }
  {
    GrainsRig rig;
    EXPECT_TRUE(test::showsMovingValue(rig.textsWhileDragged(rig.at(0.5f), {10.0f, 0.0f}, {40.0f, 0.0f}),
                                       sample::testing::samplerSlotName("position"), " %"));
  }
}

}  // namespace sample_view_test
}  // namespace orbi
