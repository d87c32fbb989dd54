#pragma once
// Frames for the chain strip's tests: one tile (or the strip) drawn into a
// fixed rectangle, pointer gestures, and a log of every callback a tile
// sends.

#include <imgui.h>

#include <functional>
#include <string>
#include <vector>

#include "editor/widgets/chain/chain_strip.h"
#include "tests/editor/widgets/entry_rig.h"
#include "ui/context.h"
#include "ui/draw/draw_log.h"
#include "ui/keys.h"

namespace orbi::test {

// Every callback of a tile, as "name value" texts in the order sent.
struct Sent {
  std::vector<std::string> calls;
  int gestureEnds = 0;

  void add(const char* name, float v) { calls.push_back(std::string(name) + " " + std::to_string(v)); }
  std::size_t size() const { return calls.size(); }
  // The values of the calls with the name, in order.
  std::vector<float> values(const std::string& name) const {
    std::vector<float> out;
    for (const std::string& c : calls)
      if (c.rfind(name + " ", 0) == 0) out.push_back(std::stof(c.substr(name.size() + 1)));
    return out;
  }
};

inline void listen(TransientTile& t, Sent& s) {
  t.onStrike = [&s](float v) { s.add("strike", v); };
  t.onBody = [&s](float v) { s.add("body", v); };
  t.onGestureEnd = [&s] { ++s.gestureEnds; };
}
inline void listen(AmpTile& t, Sent& s) {
  t.onAttack = [&s](float v) { s.add("attack", v); };
  t.onHold = [&s](float v) { s.add("hold", v); };
  t.onDecay = [&s](float v) { s.add("decay", v); };
  t.onSync = [&s](bool on) { s.add("sync", on ? 1.0f : 0.0f); };
  t.onAttackDivision = [&s](int d) { s.add("attackDivision", static_cast<float>(d)); };
  t.onDecayDivision = [&s](int d) { s.add("decayDivision", static_cast<float>(d)); };
  t.onGestureEnd = [&s] { ++s.gestureEnds; };
}
inline void listen(DriveTile& t, Sent& s) {
  t.onDrive = [&s](float v) { s.add("drive", v); };
  t.onBits = [&s](float v) { s.add("bits", v); };
  t.onRate = [&s](float v) { s.add("rate", v); };
  t.onShape = [&s](int v) { s.add("shape", static_cast<float>(v)); };
  t.onGestureEnd = [&s] { ++s.gestureEnds; };
}
inline void listen(FilterTile& t, Sent& s) {
  t.onCutoff = [&s](int k, float v) { s.add(k == 0 ? "cutoff" : "cutoff2", v); };
  t.onResonance = [&s](int k, float v) { s.add(k == 0 ? "resonance" : "resonance2", v); };
  t.onType = [&s](int k, int v) { s.add(k == 0 ? "type" : "type2", static_cast<float>(v)); };
  t.onGestureEnd = [&s] { ++s.gestureEnds; };
}
inline void listen(RoomTile& t, Sent& s) {
  t.onSize = [&s](float v) { s.add("size", v); };
  t.onMix = [&s](float v) { s.add("mix", v); };
  t.onDamp = [&s](float v) { s.add("damp", v); };
  t.onGestureEnd = [&s] { ++s.gestureEnds; };
}

class PointerRig : public FrameRig {
 public:
  using FrameRig::FrameRig;

  void moveTo(ImVec2 p) {
    harness.movePointer(p);
    step();
  }
  // Hovers the point, then the left button goes down there.
  void pressAt(ImVec2 p) {
    moveTo(p);
    harness.setButton(ImGuiMouseButton_Left, true);
    step();
  }
  void releaseButton() {
    harness.setButton(ImGuiMouseButton_Left, false);
    step();
  }
  // Press at from, move to to over a few frames, release there. Waits out
  // the double-click time first, so a drag right after another is a press.
  void dragFromTo(ImVec2 from, ImVec2 to) {
    steps(30);
    pressAt(from);
    for (int i = 1; i <= 4; ++i)
      moveTo(ImVec2(from.x + (to.x - from.x) * i / 4.0f, from.y + (to.y - from.y) * i / 4.0f));
    releaseButton();
  }
  void rightClickAt(ImVec2 p) { clickAt(p, ImGuiMouseButton_Right); }
  // The name of the handle drawn as held in the last frame; empty for none.
  std::string heldHandle() const {
    for (const ui::HandleRecord& h : harness.drawLog().handles())
      if (h.held) return h.name;
    return {};
  }
  // Types the text into the open entry and confirms it.
  void typeAndEnter(std::string_view text) {
    step();
    type(text);
    pressKey(ui::Key::Enter);
  }
  // Runs fn with the rig's UI context current (for the scale).
  template <class Fn>
  auto scoped(Fn fn) {
    ui::ContextScope scope(harness.ui());
    return fn();
  }
};

// One tile drawn into a fixed rectangle.
template <class Tile>
class TileRig : public PointerRig {
 public:
  explicit TileRig(float s = 1.0f, ui::Rect r = {100.0f, 100.0f, 300.0f, 160.0f}) : PointerRig(s), area(r) {
    listen(tile, sent);
    body = [this] { tile.draw(area); };
    step();
  }
  ui::Rect plot() {
    return scoped([this] { return tile.plotRect(); });
  }

  Tile tile;
  Sent sent;
  ui::Rect area;
};

}  // namespace orbi::test
