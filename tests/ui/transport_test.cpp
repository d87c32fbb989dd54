// The transport: position arithmetic over signatures, the buttons each look
// shows and what clicking them reports, Space, the tempo and swing fields,
// and how the bar fits its rectangle.

#include "ui/controls/transport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "support/ui/ui_harness.h"
#include "tests/ui/fake_param.h"
#include "ui/controls/text_field.h"
#include "ui/draw/draw_log.h"
#include "ui/popups/popup.h"

namespace orbi::ui {
namespace transport_test {

using test::FakeParam;

constexpr ImGuiMouseButton kLeft = ImGuiMouseButton_Left;

std::string shown(const TransportState& state) {
  const BarBeatSixteenth p = transportPosition(state);
  return std::to_string(p.bar) + "." + std::to_string(p.beat) + "." + std::to_string(p.sixteenth);
}

TransportState at(double position, int numerator = 4, int denominator = 4) {
  TransportState state;
  state.position = position;
  state.numerator = numerator;
  state.denominator = denominator;
  return state;
}

TEST(TransportPosition, CountsBarsBeatsAndSixteenthsFromOne) {
  struct Case {
    TransportState state;
    const char* text;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      {at(0.0), "1.1.1"},       {at(4.0), "2.1.1"},  {at(3.75), "1.4.4"},        {at(0.5, 6, 8), "1.2.1"},
      {at(3.0, 6, 8), "2.1.1"}, {at(2.99), "1.3.4"}, {at(-3.0), "1.1.1"},        {at(-0.0001), "1.1.1"},
      {at(nan), "1.1.1"},       {at(-inf), "1.1.1"}, {at(0.25, 7, 16), "1.2.1"}, {at(64.0, 3, 4), "22.2.1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.state.position);
    EXPECT_EQ(shown(c.state), c.text);
  }
}

TEST(TransportPosition, SignaturesBelowOneCountAsOne) {
  for (const double position : {0.0, 1.5, 4.0, 9.25, 100.0}) {
    SCOPED_TRACE(position);
    const std::string ones = shown(at(position, 1, 1));
    EXPECT_EQ(shown(at(position, 0, 0)), ones);
    EXPECT_EQ(shown(at(position, -3, -8)), ones);
    EXPECT_EQ(shown(at(position, 0, 4)), shown(at(position, 1, 4)));
  }
}

TEST(TransportPosition, AHugePositionStaysAWholeNumberOfBars) {
  const BarBeatSixteenth p = transportPosition(at(std::numeric_limits<double>::max()));
  EXPECT_GT(p.bar, 1000000000LL);
  EXPECT_GE(p.beat, 1);
  EXPECT_GE(p.sixteenth, 1);
}

ParamSpec tempoSpec() {
  ParamSpec desc;
  desc.name = "BPM";
  desc.min = 40;
  desc.max = 240;
  desc.stepped = true;
  desc.help = "Tempo";
  return desc;
}

// A transport at its natural size, drawn each frame.
class TransportRig {
 public:
  TransportRig() : tempo(tempoSpec(), 120.0f), swing(tempoSpec(), 60.0f) { harness.frame(); }

  std::function<void()> body() {
    return [this] {
      rect = {100, 100, transportSize(options).x, transportSize(options).y};
      result = drawTransport("transport", rect, state, withTempo ? &tempo : nullptr, options);
      if (result.play) ++plays;
      if (after) after();
    };
  }
  void step(int frames = 1) { harness.frames(frames, body()); }
  bool click(std::string_view id) { return harness.clickItem(id, body()); }
  std::vector<std::string> items() const {
    std::vector<std::string> ids;
    for (const ItemRecord& item : harness.drawLog().items()) ids.push_back(item.idText);
    return ids;
  }
  const ItemRecord* item(std::string_view id) const { return harness.drawLog().findItem(id); }

  UiHarness harness;
  FakeParam tempo;
  FakeParam swing;
  bool withTempo = true;
  TransportState state;
  TransportOptions options;
  Rect rect;
  TransportResult result;
  int plays = 0;
  std::function<void()> after;
};

TEST(Transport, WithEveryOptionOffItIsOnePlayButton) {
  for (const bool panel : {false, true}) {
    SCOPED_TRACE(panel);
    TransportRig rig;
    rig.withTempo = false;
    rig.options.tempoMode = TempoMode::Hidden;
    rig.options.panel = panel;
    rig.step();
    EXPECT_EQ(rig.items(), std::vector<std::string>{"play"});
    // A tempo parameter without a field to edit it changes nothing.
    rig.withTempo = true;
    rig.step();
    EXPECT_EQ(rig.items(), std::vector<std::string>{"play"});
    rig.options.tempoMode = TempoMode::Editable;
    rig.withTempo = false;
    rig.step();
    EXPECT_EQ(rig.items(), std::vector<std::string>{"play"});
  }
}

TEST(Transport, EveryPartShowsInOrderAndTheNaturalSizeGrowsWithIt) {
  for (const bool panel : {false, true}) {
    SCOPED_TRACE(panel);
    TransportRig rig;
    rig.options.panel = panel;
    rig.options.tempoMode = TempoMode::Hidden;
    const float bare = transportSize(rig.options).x;
    rig.options = {true,    true,       true,  true,  TempoMode::Editable,
                   nullptr, &rig.swing, false, panel, Align::Start};
    rig.step();
    std::vector<std::string> expected{"rewind", "play", "record", "loop", "tempo", "swing"};
    if (!panel) expected.push_back("position");
    EXPECT_EQ(rig.items(), expected);
    EXPECT_GT(transportSize(rig.options).x, bare + 3 * 32 + 2 * 92 + 104);
    // Left to right, none overlapping.
    float x = rig.rect.x;
    for (const ItemRecord& item : rig.harness.drawLog().items()) {
      EXPECT_GE(item.hitArea.x, x - 0.01f) << item.idText;
      x = item.hitArea.x + item.hitArea.width;
    }
    EXPECT_LE(x, rig.rect.x + rig.rect.width + 0.01f);
    // The panel parts its fields with solid upright rules, 60 % of its inner height.
    std::vector<float> rules;
    for (const DrawRecord* r : rig.harness.drawLog().find(DrawOp::Polyline))
      if (r->colour == 0x8C5A8A1Au && r->points.size() == 2 && r->points[0].x == r->points[1].x)
        rules.push_back(r->points[1].y - r->points[0].y);
    EXPECT_EQ(rules.size(), panel ? 3u : 0u);
    for (float h : rules) EXPECT_NEAR(h, 0.6f * (32.0f - 6.0f), 0.01f);
  }
}

TEST(Transport, TheButtonsReportTheirClicksAndFollowTheState) {
  struct Case {
    const char* id;
    bool TransportResult::*flag;
  };
  for (const bool panel : {false, true}) {
    for (const Case& c : {Case{"rewind", &TransportResult::rewind}, Case{"play", &TransportResult::play},
                          Case{"record", &TransportResult::record}, Case{"loop", &TransportResult::loop}}) {
      SCOPED_TRACE(std::string(c.id) + (panel ? " panel" : " plain"));
      TransportRig rig;
      rig.options.showRewind = rig.options.showRecord = rig.options.showLoop = true;
      rig.options.panel = panel;
      bool reported = false, others = false;
      rig.after = [&] {
        reported = reported || rig.result.*c.flag;
        for (bool TransportResult::*f : {&TransportResult::rewind, &TransportResult::play,
                                         &TransportResult::record, &TransportResult::loop})
          if (f != c.flag) others = others || rig.result.*f;
      };
      ASSERT_TRUE(rig.click(c.id));
      EXPECT_TRUE(reported);
      EXPECT_FALSE(others);
    }
  }
}

TEST(Transport, TooltipsAndTheRecordDotFollowTheState) {
  TransportRig rig;
  rig.options.showRecord = true;
  rig.step();
  EXPECT_EQ(rig.item("play")->tooltip, "Play (Space)");
  EXPECT_EQ(rig.item("record")->tooltip, "Record");
  rig.state.playing = rig.state.recording = true;
  rig.step();
  EXPECT_EQ(rig.item("play")->tooltip, "Stop (Space)");
  EXPECT_EQ(rig.item("record")->tooltip, "Stop recording");
  bool red = false;
  for (const DrawRecord* r : rig.harness.drawLog().find(DrawOp::FillCircle))
    red = red || r->colour == 0xFFC84830u;
  EXPECT_TRUE(red);
}

TEST(Transport, ThePositionShowsInTheStateColour) {
  for (const bool panel : {false, true}) {
    for (const bool playing : {false, true}) {
      SCOPED_TRACE(std::to_string(panel) + std::to_string(playing));
      TransportRig rig;
      rig.options.showPosition = true;
      rig.options.panel = panel;
      rig.state = at(4.0);
      rig.state.playing = playing;
      rig.step();
      const DrawRecord* text = nullptr;
      for (const DrawRecord* r : rig.harness.drawLog().find(DrawOp::Text))
        if (r->style == TextStyle::MonoLarge) text = r;
      ASSERT_NE(text, nullptr);
      EXPECT_EQ(text->text, "2.1.1");
      EXPECT_EQ(text->colour, playing ? 0xFF8DC63Fu : 0xFFF0EED8u);
      const ItemRecord* item = rig.item("position");
      EXPECT_EQ(item != nullptr, !panel);
      if (item) {
        EXPECT_EQ(item->tooltip, "Position: bar, beat, sixteenth");
      }
    }
  }
}

TEST(Transport, SpacePlaysOnlyWhenAllowedAndTheKeysAreFree) {
  struct Case {
    const char* name;
    bool allowed;
    bool popup;
    bool typing;
    bool repeat;  // the key held on
    int plays;
  };
  const Case cases[] = {
      {"allowed", true, false, false, false, 1},     {"not allowed", false, false, false, false, 0},
      {"a popup open", true, true, false, false, 0}, {"a field typing", true, false, true, false, 0},
      {"held on", true, false, false, true, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TransportRig rig;
    rig.options.spaceTogglesPlay = c.allowed;
    std::string text;
    Rect field{100, 300, 200, 24};
    rig.after = [&] {
      if (c.typing) textField("typing", field, text, {});
      if (c.popup && beginAnchoredPopup("other", field, ImVec2(0, 0))) endPopup();
    };
    if (c.popup) rig.harness.frame([&] { openPopup("other"); });
    if (c.typing) {
      rig.harness.movePointer({150, 312});
      rig.step();
      rig.harness.setButton(kLeft, true);
      rig.step();
      rig.harness.setButton(kLeft, false);
      rig.harness.movePointer({-100, -100});
    }
    rig.step(2);
    rig.plays = 0;
    rig.harness.setKey(Key::Space, true);
    rig.step(c.repeat ? 60 : 1);
    rig.harness.setKey(Key::Space, false);
    rig.step();
    EXPECT_EQ(rig.plays, c.plays);
  }
}

TEST(Transport, TempoAndSwingDragsComeThrough) {
  for (const bool panel : {false, true}) {
    for (const char* id : {"tempo", "swing"}) {
      SCOPED_TRACE(std::string(id) + (panel ? " panel" : " plain"));
      TransportRig rig;
      rig.options.panel = panel;
      rig.options.swing = &rig.swing;
      rig.options.tempoTooltip = "BPM - drag to set the tempo";
      rig.step();
      const ItemRecord* field = rig.item(id);
      ASSERT_NE(field, nullptr);
      EXPECT_EQ(field->tooltip, std::string(id) == "tempo" ? "BPM - drag to set the tempo" : "Tempo");
      bool changed = false, otherChanged = false;
      rig.after = [&] {
        const bool tempo = std::string(id) == "tempo";
        changed = changed || (tempo ? rig.result.tempo.changed : rig.result.swing.changed);
        otherChanged = otherChanged || (tempo ? rig.result.swing.changed : rig.result.tempo.changed);
      };
      const ImVec2 centre{field->hitArea.x + field->hitArea.width / 2,
                          field->hitArea.y + field->hitArea.height / 2};
      rig.harness.movePointer(centre);
      rig.step();
      rig.harness.setButton(kLeft, true);
      rig.step();
      for (int i = 1; i <= 6; ++i) {
        rig.harness.movePointer({centre.x, centre.y - 10.0f * i});
        rig.step();
      }
      rig.harness.setButton(kLeft, false);
      rig.step();
      EXPECT_TRUE(changed);
      EXPECT_FALSE(otherChanged);
      FakeParam& param = std::string(id) == "tempo" ? rig.tempo : rig.swing;
      EXPECT_GT(param.value(), std::string(id) == "tempo" ? 120.0f : 60.0f);
    }
  }
}

TEST(Transport, AReadOnlyTempoTakesNoDrag) {
  TransportRig rig;
  rig.options.tempoMode = TempoMode::ReadOnly;
  rig.step();
  const ItemRecord* field = rig.item("tempo");
  ASSERT_NE(field, nullptr);
  rig.harness.movePointer({field->hitArea.x + 10, field->hitArea.y + 10});
  rig.step();
  rig.harness.setButton(kLeft, true);
  rig.step();
  rig.harness.movePointer({field->hitArea.x + 10, field->hitArea.y - 60});
  rig.step(3);
  rig.harness.setButton(kLeft, false);
  rig.step();
  EXPECT_TRUE(rig.tempo.calls.empty());
}

TEST(Transport, TheBarIsScaledIntoItsRectAndPlacedByItsAlignment) {
  for (const Align align : {Align::Start, Align::Centre, Align::End}) {
    SCOPED_TRACE(static_cast<int>(align));
    UiHarness harness;
    TransportOptions options;
    options.panel = true;
    options.showRewind = options.showLoop = true;
    options.tempoMode = TempoMode::Hidden;
    options.align = align;
    harness.frame();
    ImVec2 natural;
    const Rect rect{50, 40, 600, 16};  // half the panel's height
    harness.frame([&] {
      natural = transportSize(options);
      drawTransport("transport", rect, TransportState{}, nullptr, options);
    });
    float left = 1e9f, right = -1e9f;
    for (const ItemRecord& item : harness.drawLog().items()) {
      left = std::min(left, item.hitArea.x);
      right = std::max(right, item.hitArea.x + item.hitArea.width);
    }
    const float width = natural.x * 0.5f;
    const float start = align == Align::Start    ? rect.x
                        : align == Align::Centre ? rect.x + (rect.width - width) / 2
                                                 : rect.x + rect.width - width;
    // The pills sit inside the panel's padding, halved with the rest.
    EXPECT_NEAR(left, start + 1.5f, 0.01f);
    EXPECT_NEAR(right, start + width - 1.5f, 0.01f);
  }
}

}  // namespace transport_test
}  // namespace orbi::ui
