#include "editor/widgets/anatomy/anatomy_view.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <string_view>

#include "editor/widgets/widget_support.h"
#include "engine/params/param_info.h"
#include "engine/params/param_name.h"
#include "ui/context.h"
#include "ui/draw/shapes.h"
#include "ui/draw/text.h"
#include "ui/interact/interaction.h"

namespace orbi {
namespace {

constexpr float kSweep = 120.0f;  // a wire drag this long sweeps the whole level
// The socket's centre in the body, from the wire's start: half its 34
// pixels less the 4 between the body column and the wire, and 2 to spare.
constexpr float kSocketInBody = 15.0f;
constexpr float kWordGap = 4.0f;  // between the add tile's words and its dashes
constexpr const char* kAddTip =
    "A SECOND HIT - a strike layered on the first, struck at the same moment.\n"
    "a stick and wires, a knock under a click: click to add one";
constexpr const char* kSumTip = "THE DRUM - the two halves summed.  Click to hear both together.";
constexpr const char* kHandleEnding = "\ndrag up/down: how much  /  right-click: type a value";

std::string percent(float v) { return std::to_string(std::lround(v * 100.0f)) + "%"; }

ui::Interaction clickArea(const char* id, const ui::Rect& r, const char* tip) {
  ui::InteractSpec desc;
  desc.kind = ui::HitKind::Rectangle;
  desc.rect = r;
  desc.cursor = ImGuiMouseCursor_Hand;
  desc.tooltip = tip;
  return ui::interact(id, desc);
}

}  // namespace

AnatomyView::AnatomyView() {
  hitBrowser.title = "HIT";
  bodyBrowser.title = "BODY";
  entry.onCommit = [this](int id, float typed) { commitTyped(id, typed); };
}

void AnatomyView::setSumWaveform(const float* samples, int frames) {
  sumSamples = samples;
  sumFrames = frames;
  if (samples != nullptr && frames > 0)
    sumOverview = ui::WaveOverview(std::span<const float>(samples, static_cast<std::size_t>(frames)), 1.0);
  else
    sumOverview = ui::WaveOverview();
}

void AnatomyView::commitTyped(int id, float typed) {
  const float v = clamp01NanTo0(typed / 100.0f);
  if (id == kBleedHandle) {
    if (onBleed) onBleed(v);
  } else if (onBodyLevel) {
    onBodyLevel(v);
  }
}

std::string AnatomyView::directionTooltip(bool reversed) {
  if (reversed)
    return "REVERSED - the whole drum plays back to front, room included, swelling into its hit.\nclick: "
           "play "
           "forwards";
  return "DIRECTION - time runs left to right through the drum.\nclick: play backwards";
}

void AnatomyView::draw(const ui::Rect& r) {
  ImGui::PushID(this);
  const float s = ui::scale();
  rect = r;
  layout = layoutAnatomy(r, s, hasSecondHit);
  paintDiagram(ImGui::GetWindowDrawList());

  hitBrowser.draw(layout.hit.header);
  hitGraph.draw(layout.hit.graph);
  if (hasSecondHit) {
    secondHitBrowser.draw(layout.secondHit.header);
    secondHitGraph.draw(layout.secondHit.graph);
  } else if (layout.addTile.height > 0.0f) {
    drawAddTile();
  }
  bodyBrowser.draw(layout.body.header);
  bodyGraph.draw(layout.body.graph);
  drawSocket();
  interactSum();
  entry.draw();
  ImGui::PopID();
}

void AnatomyView::drawSocket() {
  const float s = ui::scale();
  const ui::Rect& R = layout.bodyWire;
  // In the body the socket sits just clear of the body column, whose graph
  // it would otherwise cover at its right edge, handles and words there
  // included.
  socket.xInBody = R.x + kSocketInBody * ui::scale();
  socket.xAfterMix = R.x + R.width;
  socket.draw(
      {R.x - 20.0f * s, R.y + R.height / 2.0f - 20.0f * s, std::max(R.width + 40.0f * s, 0.0f), 40.0f * s});
}

void AnatomyView::drawAddTile() {
  const ui::Rect& t = layout.addTile;
  secondHitTooltip = kAddTip;
  const ui::Interaction it = clickArea("anatomy.addHit2", t, secondHitTooltip.c_str());
  const float a = it.hovered ? 0.85f : 0.4f;
  ImDrawList* dl = ImGui::GetWindowDrawList();
  const float mid = t.y + t.height / 2.0f;
  // The dashed line stops short of the words on either side.
  constexpr std::string_view kWords = "+ second hit";
  const ui::Rect words = ui::textInk(t, kWords, ui::TextStyle::Caption, ui::TextAlign::Centre);
  const float gap = kWordGap * ui::scale();
  const std::uint32_t dash = withAlpha(palette::kMuted, a * 0.5f);
  if (words.x - gap > t.x) ui::drawLine(dl, {t.x, mid}, {words.x - gap, mid}, dash, 1.0f, 4.0f, 3.0f);
  if (words.x + words.width + gap < t.x + t.width)
    ui::drawLine(dl, {words.x + words.width + gap, mid}, {t.x + t.width, mid}, dash, 1.0f, 4.0f, 3.0f);
  ui::drawText(dl, t, kWords, ui::TextStyle::Caption, withAlpha(palette::kMuted, a), ui::TextAlign::Centre);
  if (it.clicked && onSecondHit) onSecondHit();
}

void AnatomyView::interactSum() {
  const float s = ui::scale();
  const ui::Rect& S = layout.sum;
  arrowHovered_ = false;
  if (onReverse) {
    directionTip_ = directionTooltip(reversed);
    const ui::Interaction arrow =
        clickArea("arrow", {S.x, S.y + S.height - 12.0f * s, S.width, 12.0f * s}, directionTip_.c_str());
    arrowHovered_ = arrow.hovered;
    // The second of two quick clicks comes as a double-click: it flips too.
    if ((arrow.pressed || arrow.doubleClicked) && onReverse) onReverse(!reversed);
  }
  sumTip_ = kSumTip;
  const ui::Interaction sum = clickArea("sum", S, sumTip_.c_str());
  if (sum.pressed && onHearBoth) onHearBoth();

  bool bleedHovered = false;
  bool bodyHovered = false;
  if (onBleed) {
    bleedTip_ = std::string(ob::paramNameOfKey(ob::kMachineDrum, "bleed")) +
                " - the hit heard directly, beside the body.  " + percent(bleed) + kHandleEnding;
    bleedHovered = dragBleedBodyLevel(kBleedHandle, layout.bleed, bleedTip_, "bleed");
  }
  if (onBodyLevel) {
    bodyTip_ = std::string(ob::paramNameOfKey(ob::kMachineDrum, "res_level")) +
               " - the body's share of the drum.  " + percent(bodyLevel) + kHandleEnding;
    bodyHovered = dragBleedBodyLevel(kBodyHandle, layout.bodyWire, bodyTip_, "body");
  }
  hotHandle_ = bodyHovered ? kBodyHandle : bleedHovered ? kBleedHandle : kNoHandle;
}

bool AnatomyView::dragBleedBodyLevel(int handle, const ui::Rect& area, const std::string& tip,
                                     const char* id) {
  ui::InteractSpec desc;
  desc.kind = ui::HitKind::Rectangle;
  desc.rect = area;
  desc.axis = ui::DragAxis::Free;
  desc.cursor = ImGuiMouseCursor_ResizeNS;
  desc.tooltip = tip.c_str();
  const ui::Interaction it = ui::interact(id, desc);
  const bool isBleed = handle == kBleedHandle;
  const float current = isBleed ? bleed : bodyLevel;
  if (it.rightClicked)
    entry.open(ImVec2(area.x + area.width / 2.0f, area.y + area.height / 2.0f),
               {handle, current * 100.0f, 0.0f, 100.0f,
                ob::paramNameOfKey(ob::kMachineDrum, isBleed ? "bleed" : "res_level"), "%"});
  if (it.pressed) {
    activeHandle_ = handle;
    valueAtPress_ = current;
  }
  if (it.held && it.dragging && it.delta.y != 0.0f && activeHandle_ == handle) {
    // The view shows what the owner writes back; it keeps no level of its own.
    const float v = clamp01NanTo0(valueAtPress_ - it.total.y / (kSweep * ui::scale()));
    const std::function<void(float)> send = isBleed ? onBleed : onBodyLevel;
    if (send) send(v);
  }
  if (it.released && activeHandle_ == handle) activeHandle_ = kNoHandle;
  return it.hovered;
}

}  // namespace orbi
