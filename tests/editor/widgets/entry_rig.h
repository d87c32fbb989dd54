#pragma once
// Frames for the widget tests: a headless harness with keys, typing and
// pointer gestures, and a record of (id, value) callbacks.

#include <imgui.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/ui/ui_harness.h"
#include "ui/draw/draw_log.h"
#include "ui/imgui_internals.h"
#include "ui/keys.h"

namespace orbi::test {

using Calls = std::vector<std::pair<int, float>>;

// A callback that appends every (id, value) it gets.
inline std::function<void(int, float)> recordInto(Calls& calls) {
  return [&calls](int id, float value) { calls.emplace_back(id, value); };
}

class FrameRig {
 public:
  explicit FrameRig(float displayScale = 1.0f) : harness(displayScale) { harness.frame(); }

  // One frame of the body.
  void step() { harness.frame(body); }
  void steps(int n) { harness.frames(n, body); }

  // The key down for one frame, then up for one.
  void pressKey(ui::Key key) {
    harness.setKey(key, true);
    step();
    harness.setKey(key, false);
    step();
  }
  void type(std::string_view text) {
    harness.typeText(text);
    step();
  }
  // Whether a text input has the keyboard.
  bool typing() {
    ui::ContextScope scope(harness.ui());
    return GImGui->ActiveId != 0;
  }

  // A button down for one frame at the point, then up.
  void clickAt(ImVec2 point, ImGuiMouseButton button = ImGuiMouseButton_Left) {
    harness.movePointer(point);
    step();
    harness.setButton(button, true);
    step();
    harness.setButton(button, false);
    step();
  }

  // Rests the pointer on the point until a tooltip shows; where it shows,
  // or nothing when none does within a second.
  std::optional<ui::Rect> tooltipAt(ImVec2 point) {
    harness.movePointer(point);
    for (int frame = 0; frame < 60; ++frame) {
      step();
      ui::ContextScope scope(harness.ui());
      const ImGuiWindow* tip = ImGui::FindWindowByName("##Tooltip_00");
      if (tip && tip->Active) return ui::Rect{tip->Pos.x, tip->Pos.y, tip->Size.x, tip->Size.y};
    }
    return std::nullopt;
  }

  // The hit areas of every item registered under the id text last frame.
  std::vector<ui::Rect> itemAreas(std::string_view idText) const {
    std::vector<ui::Rect> areas;
    for (const ui::ItemRecord& item : harness.drawLog().items())
      if (item.idText == idText) areas.push_back(item.hitArea);
    return areas;
  }

  ui::UiHarness harness;
  std::function<void()> body;
};

// "p" and 3 make "p3".
inline std::string numbered(std::string_view prefix, int i) {
  return std::string(prefix).append(std::to_string(i));
}

inline ImVec2 centreOf(const ui::Rect& r) { return ImVec2(r.x + r.width / 2.0f, r.y + r.height / 2.0f); }

}  // namespace orbi::test
