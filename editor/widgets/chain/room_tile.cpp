#include "editor/widgets/chain/room_tile.h"

#include <algorithm>
#include <cmath>

#include "editor/widgets/widget_support.h"
#include "engine/chain/space_reverb.h"
#include "engine/params/param_name.h"
#include "ui/context.h"
#include "ui/controls/value_text.h"
#include "ui/draw/shapes.h"
#include "ui/draw/text.h"

namespace orbi {
namespace {

constexpr float kReach = 13.0f;
constexpr float kSmallestPlot = 4.0f;
constexpr int kBisectionSteps = 24;
constexpr int kTailPoints = 41;
constexpr float kTailEnd = 0.05f;  // the level that counts as the tail's end
constexpr std::uint32_t kHot = palette::kAccentHovered;
constexpr std::uint32_t kBorderActive = palette::withAlphaByte(palette::kAccent, 0xB3);
constexpr std::uint32_t kOff = palette::kBorder;
constexpr const char* kHandleNames[] = {"size", "mix", "damp"};
// The parameters of the handles, in their order.
const char* handleName(int handle) {
  return ob::chainParamName(handle == 0 ? "space_size" : handle == 1 ? "space_mix" : "space_damp");
}

const char* help() {
  static const std::string text =
      "ROOM - the space this drum sits in, drawn as its decay tail.\ndrag a handle: " +
      std::string(handleName(0)) + " (length), " + handleName(1) + " (height), " + handleName(2) +
      " (droop)  /  right-click: type";
  return text.c_str();
}

float loopTime(float size, double rate) {
  return rate > 0.0 ? ob::roomDecayTime(clamp01NanTo0(size), rate) : 0.0f;
}

float& valueOf(RoomTile& tile, int k) { return k == 0 ? tile.size : k == 1 ? tile.mix : tile.damp; }
float valueIn(const RoomTile& tile, int k) { return k == 0 ? tile.size : k == 1 ? tile.mix : tile.damp; }

// The 0..1 value in lo..hi at which more is too much, by bisection: tooFar
// (mid) says the answer lies at or below mid.
template <class TooFar>
float bisect(TooFar tooFar) {
  float lo = 0.0f, hi = 1.0f;
  for (int i = 0; i < kBisectionSteps; ++i) {
    const float mid = (lo + hi) / 2.0f;
    (tooFar(mid) ? hi : lo) = mid;
  }
  return (lo + hi) / 2.0f;
}

}  // namespace

float roomFeedback(float size, float damp) {
  return clampTo((0.38f * clamp01NanTo0(size) + 0.55f) * (1.0f - 0.55f * clampTo(damp, 0.0f, 0.95f)), 0.0f,
                 0.999f);
}

float roomTailGain(float size, float damp, float t, double sampleRate) {
  if (t <= 0.0f) return 1.0f;
  const float loop = loopTime(size, sampleRate);
  if (loop <= 0.0f) return 0.0f;
  return std::pow(roomFeedback(size, damp), t / loop);
}

float roomRt(float size, float damp, double sampleRate) {
  const float loop = loopTime(size, sampleRate);
  const float feedback = roomFeedback(size, damp);
  if (loop <= 0.0f || feedback <= 0.0f) return 0.0f;
  return std::log(kTailEnd) * loop / std::log(feedback);
}

RoomTile::RoomTile() {
  entry.onCommit = [this](int id, float value) { commitTyped(id, value); };
}

float RoomTile::timeToX(float t) const {
  const float t0 = loopTime(0.0f, sampleRate);
  const float rtMax = roomRt(1.0f, 0.0f, sampleRate);
  if (t0 <= 0.0f) return 0.0f;
  return clamp01NanTo0(std::log1p(std::max(t, 0.0f) / t0) / std::log1p(rtMax / t0));
}

float RoomTile::xToTime(float u) const {
  const float t0 = loopTime(0.0f, sampleRate);
  const float rtMax = roomRt(1.0f, 0.0f, sampleRate);
  if (t0 <= 0.0f) return 0.0f;
  return (std::exp(clamp01NanTo0(u) * std::log1p(rtMax / t0)) - 1.0f) * t0;
}

float RoomTile::dampHandleTime() const { return xToTime(timeToX(roomRt(size, damp, sampleRate)) / 2.0f); }

ImVec2 RoomTile::handlePoint(int k, const ui::Rect& p) const {
  const float x = timeToX(roomRt(size, damp, sampleRate));
  if (k == 0) return ImVec2(p.x + x * p.width, p.y + p.height);
  if (k == 1) return ImVec2(p.x, p.y + p.height - mix * p.height);
  const float level = roomTailGain(size, damp, dampHandleTime(), sampleRate) * mix;
  return ImVec2(p.x + x / 2.0f * p.width, p.y + p.height - level * p.height);
}

// The pixels over which the handle's drag sweeps its whole range: the size
// between the shortest and the longest tail at this damping, the mix over
// the height, the damping between the levels of the droop at its ends.
ImVec2 RoomTile::handleSpan(int k, const ui::Rect& p) const {
  if (k == 0)
    return {(timeToX(roomRt(1.0f, damp, sampleRate)) - timeToX(roomRt(0.0f, damp, sampleRate))) * p.width,
            0.0f};
  if (k == 1) return {0.0f, p.height};
  const auto droop = [this](float d) {
    const float t = xToTime(timeToX(roomRt(size, d, sampleRate)) / 2.0f);
    return roomTailGain(size, d, t, sampleRate) * mix;
  };
  return {0.0f, std::fabs(droop(0.0f) - droop(1.0f)) * p.height};
}

int RoomTile::hitTest(ImVec2 p) const {
  const ui::Rect plot = plotRect();
  const ImVec2 handles[] = {handlePoint(0, plot), handlePoint(1, plot), handlePoint(2, plot)};
  return nearestWithin(handles, p, kReach * ui::scale());
}

void RoomTile::dragTo(ImVec2 p) {
  const ui::Rect plot = plotRect();
  const float s = ui::scale();
  if (plot.width < kSmallestPlot * s || plot.height < kSmallestPlot * s) return;
  const float v = clamp01NanTo0((plot.y + plot.height - p.y) / plot.height);
  if (dragTarget_ == 0) {
    const float target = clampTo(xToTime((p.x - plot.x) / plot.width), roomRt(0.0f, 1.0f, sampleRate),
                                 roomRt(1.0f, 0.0f, sampleRate));
    if (changes(size, bisect([&](float mid) { return target <= roomRt(mid, damp, sampleRate); })) && onSize)
      onSize(size);
  } else if (dragTarget_ == 1) {
    if (changes(mix, v) && onMix) onMix(mix);
  } else if (dragTarget_ == 2) {
    const float wanted = mix > 0.001f ? clamp01NanTo0(v / mix) : 0.0f;
    const float t = dampHandleTime();
    if (changes(damp, bisect([&](float mid) { return roomTailGain(size, mid, t, sampleRate) <= wanted; })) &&
        onDamp)
      onDamp(damp);
  }
}

// In percent, as it is typed.
std::string RoomTile::handleLabel(int k) const {
  const int handle = std::clamp(k, 0, 2);
  return std::string(handleName(handle)) + "  " + ui::formatNumber(valueIn(*this, handle) * 100.0f, 0) + "%";
}

void RoomTile::commitTyped(int id, float value) {
  const float v = clamp01NanTo0(value / 100.0f);
  const int k = id == 0 || id == 1 ? id : 2;
  valueOf(*this, k) = v;
  const auto& send = k == 0 ? onSize : k == 1 ? onMix : onDamp;
  if (send) send(v);
}

std::vector<ImVec2> RoomTile::tailPoints(const ui::Rect& p) const {
  std::vector<ImVec2> points(kTailPoints);
  for (int i = 0; i < kTailPoints; ++i) {
    const float u = static_cast<float>(i) / (kTailPoints - 1);
    const float level = active() ? roomTailGain(size, damp, xToTime(u), sampleRate) * mix : 0.0f;
    points[i] = ImVec2(p.x + u * p.width, p.y + p.height - level * p.height);
  }
  return points;
}

void RoomTile::paint(ImDrawList* dl, const ui::Rect& r) const {
  const float s = ui::scale();
  const bool on = active();
  // Off, the panel keeps 0.55 of its own alpha.
  const float panelAlpha = static_cast<float>(palette::kTilePanel >> 24) / 255.0f;
  ui::fillRect(dl, r, on ? palette::kTilePanel : withAlpha(palette::kTilePanel, 0.55f * panelAlpha), 4.0f);
  const std::uint32_t border = hoverTarget_ >= 0 ? kHot : on ? kBorderActive : kOff;
  ui::strokeRect(dl, r.inset(0.5f * s, 0.5f * s), border, 4.0f, 1.0f);
  const float header = clampTo(11.0f * s, 0.0f, r.height);
  const float cut = clampTo(5.0f * s, 0.0f, std::max(r.width, 0.0f));
  ui::drawText(dl, {r.x + cut, r.y, std::max(r.width, 0.0f) - cut, std::max(header, 0.0f)}, "ROOM",
               ui::TextStyle::Caption, tilecolour::kMuted);
  const ui::Rect p = plotRect();
  if (p.width < kSmallestPlot * s || p.height < kSmallestPlot * s) return;

  const std::vector<ImVec2> tail = tailPoints(p);
  const float bottom = p.y + p.height;
  ui::fillUnder(dl, tail, bottom,
                withAlpha(tilecolour::kCurve, on ? clamp01NanTo0(0.3f - 0.16f * damp) : 0.06f));
  std::vector<ImVec2> outline;
  outline.reserve(tail.size() + 3);
  outline.emplace_back(p.x, bottom);
  outline.insert(outline.end(), tail.begin(), tail.end());
  outline.emplace_back(p.x + p.width, bottom);
  outline.emplace_back(p.x, bottom);
  ui::drawPolyline(dl, outline, on ? withAlpha(tilecolour::kCurve, clamp01NanTo0(1.0f - 0.35f * damp)) : kOff,
                   1.4f);
  if (on) {
    for (int k = 0; k < 3; ++k) {
      const ImVec2 at = handlePoint(k, p);
      ui::fillCircle(dl, at, 3.0f * s, k == hoverTarget_ ? kHot : tilecolour::kCurve);
      ui::logHandle(this, kHandleNames[k], at, k == 0 ? ui::kAlongX : ui::kAlongY, k == dragTarget_);
    }
  }
  if (hoverTarget_ >= 0) drawHoverLabel(dl, handleLabel(hoverTarget_));
}

void RoomTile::draw(const ui::Rect& r) {
  rect = r;
  const ImVec2 mouse = pointer();
  const int underPointer = active() && r.contains(mouse) ? hitTest(mouse) : -1;
  const ui::Interaction it =
      begin("room", r, help(), underPointer >= 0 ? ImGuiMouseCursor_Hand : ImGuiMouseCursor_Arrow);
  const ui::Rect p = plotRect();
  if (it.rightClicked) {
    const int h = hitTest(mouse);
    if (h >= 0)
      entry.open(handlePoint(h, p), {h, valueOf(*this, h) * 100.0f, 0.0f, 100.0f, handleName(h), "%"});
  }
  if ((it.pressed || it.doubleClicked) && mix <= 0.0f) {
    // A second quick click switches on too; it never grabs a handle.
    dragTarget_ = -1;
    mix = kSwitchOnMix;
    if (onMix) onMix(kSwitchOnMix);
    gestureEnded();
  } else if (it.pressed) {
    // A press only takes the handle; the drag moves it from where it was.
    const int h = hitTest(it.pressPos);
    dragTarget_ = -1;
    if (h >= 0) grab(h, handlePoint(h, p), handleSpan(h, p));
  } else if (it.held && dragTarget_ >= 0 && (it.delta.x != 0.0f || it.delta.y != 0.0f)) {
    dragTo(dragPoint(it));
  } else if (it.released) {
    release();
  }
  // The dragged handle stays hot, with its value, however fast the press.
  if (dragTarget_ >= 0)
    hoverTarget_ = dragTarget_;
  else if (!it.held)
    hoverTarget_ = it.hovered ? underPointer : -1;
  paint(ImGui::GetWindowDrawList(), r);
  end();
}

}  // namespace orbi
