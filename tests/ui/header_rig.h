#pragma once
// The header drawn every harness frame from a model the test edits: what
// each frame reported is kept, and a test can run more code in the same
// frame before and after the header (as the editor's own key handling
// runs after it). No chooser program is on PATH: the header's file dialogs
// show the in-editor chooser, unless a test installs a stand-in.

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/ui/ui_harness.h"
#include "tests/ui/fake_programs.h"
#include "ui/draw/draw_log.h"
#include "ui/header/header.h"
#include "ui/header/header_model.h"
#include "ui/view.h"

namespace orbi::ui::test {

// Window controls that count what the caption buttons asked of them.
class FakeWindowControls final : public WindowControls {
 public:
  void minimise() override { ++minimised; }
  void toggleMaximise() override { ++maximiseToggles; }
  void toggleFullscreen() override { ++fullscreenToggles; }
  void close() override { ++closed; }
  bool isMaximised() const override { return maximised; }
  bool isFullscreen() const override { return fullscreen; }

  bool maximised = false;
  bool fullscreen = false;
  int minimised = 0;
  int maximiseToggles = 0;
  int fullscreenToggles = 0;
  int closed = 0;
};

// The top-level menu entry with the label, or null.
inline const MenuEntry* findMenuEntry(const std::vector<MenuEntry>& menu, std::string_view label) {
  for (const MenuEntry& e : menu)
    if (e.label == label) return &e;
  return nullptr;
}

class HeaderRig {
 public:
  explicit HeaderRig(float scale = 1.0f) : harness(scale) {
    model.about.productName = "Orbitrane";
    model.about.version = "0.0.6";
    rect = {20.0f * scale, 20.0f * scale, 920.0f * scale, 0.0f};
    harness.frame();
  }

  // One frame's body: the header at the top of its rectangle, then `after`.
  std::function<void()> body() {
    return [this] {
      if (before) before();
      rect.height = headerHeight(model);
      drawHeader(result, frame, rect, model);
      seen.push_back(result);
      if (after) after();
    };
  }
  void step(int frames = 1) { harness.frames(frames, body()); }
  bool click(std::string_view idText) { return harness.clickItem(idText, body()); }

  // Presses the chord for one frame and lets it go in the next.
  void press(KeyChord chord) {
    harness.pressChord(chord);
    step();
    harness.releaseKeys();
    step();
  }

  // Opens the menu and clicks its entry with the label.
  void choose(std::string_view label) {
    ASSERT_TRUE(click("button"));
    step(2);
    ASSERT_TRUE(click(label)) << label;
    step();
  }

  // The last action any frame since clear() reported.
  std::optional<HeaderAction> lastAction() const {
    for (auto it = seen.rbegin(); it != seen.rend(); ++it)
      if (it->action) return it->action;
    return std::nullopt;
  }
  template <typename T>
  std::optional<T> last(std::optional<T> HeaderResult::*field) const {
    for (auto it = seen.rbegin(); it != seen.rend(); ++it)
      if ((*it).*field) return (*it).*field;
    return std::nullopt;
  }
  void clear() { seen.clear(); }

  const ItemRecord* item(std::string_view idText) const { return harness.drawLog().findItem(idText); }
  // The text records of the last frame in the style.
  std::vector<const DrawRecord*> texts(TextStyle style) const {
    std::vector<const DrawRecord*> out;
    for (const DrawRecord& r : harness.drawLog().records())
      if ((r.op == DrawOp::Text || r.op == DrawOp::TextAt) && r.style == style) out.push_back(&r);
    return out;
  }
  const DrawRecord* text(std::string_view content) const {
    for (const DrawRecord& r : harness.drawLog().records())
      if ((r.op == DrawOp::Text || r.op == DrawOp::TextAt) && r.text == content) return &r;
    return nullptr;
  }

  FakePrograms programs;  // before the harness: its pump ends a chooser first
  UiHarness harness;
  HeaderModel model;
  FrameInfo frame;
  Rect rect;
  HeaderResult result;
  std::vector<HeaderResult> seen;
  std::function<void()> before;
  std::function<void()> after;
};

}  // namespace orbi::ui::test
