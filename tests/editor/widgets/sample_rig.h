#pragma once
// Frames for the sample view and sampler-lane tests: slots by key, drags
// frame by frame, and lookups in the draw log.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "editor/widgets/param_widget.h"
#include "support/editor/widgets/sampler_gallery.h"
#include "tests/editor/widgets/entry_rig.h"
#include "ui/draw/draw_log.h"

namespace orbi::test {

inline ParamSlot keyed(int id, const char* key, float lo, float hi, float value, bool log = false) {
  ParamSlot s;
  s.id = id;
  s.info.id = key;
  s.name = sample::testing::samplerSlotName(key);
  s.info.min = lo;
  s.info.max = hi;
  s.value = value;
  s.logScale = log ? 1 : 0;
  return s;
}

// A sine of the length at 44.1 kHz.
inline std::vector<float> sineSample(float seconds) {
  std::vector<float> v(static_cast<std::size_t>(seconds * 44100.0f));
  for (std::size_t i = 0; i < v.size(); ++i)
    v[i] = 0.8f * std::sin(2.0f * std::numbers::pi_v<float> * 110.0f * i / 44100.0f);
  return v;
}

class GestureRig : public FrameRig {
 public:
  using FrameRig::FrameRig;

  // Rests the pointer (long enough that the press is no double-click),
  // presses, moves by each offset in turn (one frame each, measured from
  // the press), and releases at the last place.
  void drag(ImVec2 from, std::vector<ImVec2> offsets) {
    harness.movePointer(from);
    steps(20);
    harness.setButton(ImGuiMouseButton_Left, true);
    step();
    for (const ImVec2& d : offsets) {
      harness.movePointer(ImVec2(from.x + d.x, from.y + d.y));
      step();
    }
    harness.setButton(ImGuiMouseButton_Left, false);
    step();
  }
  void doubleClickAt(ImVec2 p) {
    harness.movePointer(p);
    step();
    for (int i = 0; i < 2; ++i) {
      harness.setButton(ImGuiMouseButton_Left, true);
      step();
      harness.setButton(ImGuiMouseButton_Left, false);
      step();
    }
  }
  // Right-clicks at the point, steps until the box has the keyboard, types
  // the text and presses Enter.
  void typeAt(ImVec2 p, const char* text) {
    clickAt(p, ImGuiMouseButton_Right);
    steps(2);
    type(text);
    pressKey(ui::Key::Enter);
  }
  std::vector<const ui::DrawRecord*> drawn(ui::DrawOp op, std::uint32_t colour) const {
    std::vector<const ui::DrawRecord*> out;
    for (const ui::DrawRecord* r : harness.drawLog().find(op))
      if (r->colour == colour) out.push_back(r);
    return out;
  }
  bool showsText(std::string_view text) const {
    for (const ui::DrawRecord* r : harness.drawLog().find(ui::DrawOp::Text))
      if (r->text == text) return true;
    return false;
  }
  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (const ui::DrawRecord* r : harness.drawLog().find(ui::DrawOp::Text)) out.push_back(r->text);
    return out;
  }
  // The texts of the frames after each of two moves of a drag from the
  // point (measured from the press), before the release.
  std::pair<std::vector<std::string>, std::vector<std::string>> textsWhileDragged(ImVec2 from, ImVec2 first,
                                                                                  ImVec2 second) {
    harness.movePointer(from);
    steps(20);
    harness.setButton(ImGuiMouseButton_Left, true);
    step();
    harness.movePointer({from.x + first.x, from.y + first.y});
    step();
    std::vector<std::string> a = texts();
    harness.movePointer({from.x + second.x, from.y + second.y});
    step();
    std::vector<std::string> b = texts();
    harness.setButton(ImGuiMouseButton_Left, false);
    step();
    return {std::move(a), std::move(b)};
  }
};

// A text of the second frame that names the value and ends with its unit,
// new since the first: the value shown moved with the drag.
inline ::testing::AssertionResult showsMovingValue(
    const std::pair<std::vector<std::string>, std::vector<std::string>>& frames, std::string_view name,
    std::string_view unit) {
  const std::string prefix = std::string(name) + "  ";
  for (const std::string& text : frames.second) {
    const bool named = text.rfind(prefix, 0) == 0;
    const bool inUnit =
        text.size() > unit.size() && text.compare(text.size() - unit.size(), unit.size(), unit) == 0;
    if (named && inUnit && std::find(frames.first.begin(), frames.first.end(), text) == frames.first.end())
      return ::testing::AssertionSuccess();
  }
  std::string seen;
  for (const std::string& text : frames.second) seen += " \"" + text + "\"";
  return ::testing::AssertionFailure() << "no moving \"" << name << " ... " << unit << "\" among" << seen;
}

}  // namespace orbi::test
