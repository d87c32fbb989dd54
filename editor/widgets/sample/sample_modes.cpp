// The sample view's three views: the free window, the slices of the marker
// table and the grain position with its spray.
#include <algorithm>
#include <cmath>

#include "editor/widgets/sample/lane_geometry.h"
#include "editor/widgets/sample/sample_view.h"
#include "editor/widgets/widget_support.h"
#include "ui/context.h"
#include "ui/controls/value_text.h"
#include "ui/draw/draw_log.h"
#include "ui/draw/shapes.h"
#include "ui/draw/text.h"
#include "ui/interact/interaction.h"
#include "ui/interact/tooltip.h"
#include "ui/layout/label_placer.h"

namespace orbi {
namespace {

constexpr float kReach = 8.0f;      // handle and marker reach
constexpr float kFadeBand = 10.0f;  // the fade handles live in the top band
constexpr float kBarWidth = 2.0f;   // a window edge's bar or a marker
constexpr float kFlagWidth = 5.0f;  // a fade's flag beside its line
constexpr float kFlagHeight = 7.0f;
constexpr float kMarkerApart = 4.0f;  // between two slice markers
constexpr float kGainRange = 24.0f;
constexpr float kDbPerSweep = 48.0f;
constexpr float kSweep = 160.0f;
constexpr float kSmallestWindow = 0.001f;
constexpr float kSmallestSpan = 0.0001f;

constexpr std::uint32_t kStartBar = palette::kAccentHovered;
constexpr std::uint32_t kEndBar = palette::kWarning;
constexpr std::uint32_t kFadeOutline = palette::withAlphaByte(palette::kAccentHovered, 0x80);
constexpr std::uint32_t kGainIdle = palette::withAlphaByte(palette::kMuted, 0xCC);
constexpr std::uint32_t kFooter = palette::withAlphaByte(palette::kMuted, 0x99);
constexpr std::uint32_t kFirstMarker = palette::withAlphaByte(palette::kWarning, 0x66);
constexpr std::uint32_t kEmptyHint = palette::withAlphaByte(palette::kMuted, 0xB3);
constexpr std::uint32_t kSprayBand = palette::withAlphaByte(palette::kAccent, 0x24);
constexpr std::uint32_t kSprayEdge = palette::withAlphaByte(palette::kWarning, 0xCC);

// A marker across the content, noted so the footer keeps clear of it.
void bar(ImDrawList* dl, const ui::Rect& c, float x, std::uint32_t colour, ui::LabelPlacer& placer) {
  const float s = ui::scale();
  ui::fillRect(dl, {x - 0.5f * kBarWidth * s, c.y, kBarWidth * s, c.height}, colour);
  placer.line({x, c.y}, {x, c.y + c.height}, kBarWidth * s);
}

// A flag at the top of a line, pointing right (dir 1) or left (-1):
// filled while its value does something, else outlined.
void flag(ImDrawList* dl, ImVec2 top, float dir, std::uint32_t colour, bool filled) {
  const float s = ui::scale();
  const ImVec2 p1{top.x, top.y + kFlagHeight * s}, p2{top.x + dir * kFlagWidth * s, top.y};
  if (filled) {
    ui::fillTriangle(dl, top, p1, p2, colour);
  } else {
    const ImVec2 outline[] = {top, p1, p2, top};
    ui::drawPolyline(dl, outline, colour, 1.2f);
  }
}

ui::Interaction bodyItem(const char* id, const ui::Rect& body, ImGuiMouseCursor cursor,
                         const std::string& tip) {
  ui::InteractSpec desc;
  desc.kind = ui::HitKind::Rectangle;
  desc.rect = body;
  desc.cursor = cursor;
  desc.tooltip = tip.c_str();
  return ui::interact(id, desc);
}

bool moved(const ui::Interaction& it) { return it.delta.x != 0.0f || it.delta.y != 0.0f; }

ImGuiMouseCursor windowCursor(int handle) {
  switch (handle) {
    case SampleView::kStart:
    case SampleView::kEnd: return ImGuiMouseCursor_ResizeEW;
    case SampleView::kFadeIn:
    case SampleView::kFadeOut: return ImGuiMouseCursor_Hand;
    case SampleView::kBody: return ImGuiMouseCursor_ResizeNS;
    default: return ImGuiMouseCursor_Arrow;
  }
}

const char* windowKey(int handle) {
  static const char* const keys[] = {nullptr, "start", "end", "fadeIn", "fadeOut", "gain"};
  return handle >= SampleView::kStart && handle <= SampleView::kBody ? keys[handle] : nullptr;
}

}  // namespace

// ---- window view

int SampleView::windowHit(ImVec2 point) const {
  const ui::Rect c = contentRect();
  const float s = ui::scale();
  // An edge or fade at the content's side is taken within its reach on
  // both sides, outside the content too.
  const ui::Rect reach{c.x - kReach * s, c.y, c.width + 2.0f * kReach * s, c.height};
  if (slots.size() < 2 || !reach.containsWithEdges(point)) return kNone;
  const float a = clamp01NanTo0(slots[0].value), b = clamp01NanTo0(slots[1].value);
  const float startX = c.x + c.width * a, endX = c.x + c.width * b;
  const int fadeIn = findSlot("fadeIn"), fadeOut = findSlot("fadeOut");
  if (fadeIn >= 0 && fadeOut >= 0 && point.y <= c.y + kFadeBand * s) {
    // The nearer flag: a fade-out drawn back onto the fade-in (or on past
    // it) still shows its own flag, left of the line, and is taken there.
    const float toIn = std::fabs(point.x - fadeFlagCentre(kFadeIn).x);
    const float toOut = std::fabs(point.x - fadeFlagCentre(kFadeOut).x);
    if (std::min(toIn, toOut) <= kReach * s) return toIn <= toOut ? kFadeIn : kFadeOut;
  }
  // The nearer of the two edges' bars: with the window squeezed to almost
  // nothing both lie within reach, each bar outside its own edge.
  const float toStart = std::fabs(point.x - edgeBarX(startX, kStart));
  const float toEnd = std::fabs(point.x - edgeBarX(endX, kEnd));
  if (toStart <= kReach * s && toStart <= toEnd) return kStart;
  if (toEnd <= kReach * s) return kEnd;
  return kBody;
}

float SampleView::windowHandleX(int handle) const {
  const ui::Rect c = contentRect();
  const float a = clamp01NanTo0(slotValue("start", 0.0f)), b = clamp01NanTo0(slotValue("end", 1.0f));
  const float span = std::max(b - a, kSmallestSpan);
  switch (handle) {
    case kStart: return c.x + c.width * a;
    case kEnd: return c.x + c.width * b;
    case kFadeIn: return c.x + c.width * (a + span * slotValue("fadeIn", 0.0f));
    case kFadeOut: return c.x + c.width * (b - span * slotValue("fadeOut", 0.0f));
    default: return c.x;
  }
}

// An edge's bar lies just outside the window: the start's left of its
// line and the end's right, so that a window squeezed to nothing still
// shows both.
float SampleView::edgeBarX(float edgeX, int handle) const {
  return edgeX + (handle == kStart ? -1.0f : 1.0f) * 0.5f * kBarWidth * ui::scale();
}

// The fade-in's flag points right of its line and the fade-out's left.
ImVec2 SampleView::fadeFlagCentre(int handle) const {
  const float s = ui::scale();
  const float side = handle == kFadeIn ? 1.0f : -1.0f;
  return {windowHandleX(handle) + side * 0.5f * kFlagWidth * s, contentRect().y + s + 0.5f * kFlagHeight * s};
}

// A stretch of the sample as a time, or in percent of it while its length
// is unknown.
std::string SampleView::lengthText(float fraction) const {
  if (!(seconds > 0.0f)) return ui::formatNumber(fraction * 100.0f, 0) + " %";
  const float t = fraction * seconds;
  return t < 1.0f ? ui::formatNumber(t * 1000.0f, 0) + " ms" : ui::formatNumber(t, 2) + " s";
}

std::string SampleView::gainText() const {
  const float db = gainDb();
  return std::string(nameOfKey("gain")) + " " + (db >= 0.0f ? "+" : "") + valueText(db, 5.0f, "dB");
}

// At the content's top right, where the gain is read.
void SampleView::drawCornerReadout(ImDrawList* dl, const std::string& text, std::uint32_t colour) const {
  const ui::Rect c = contentRect();
  const float s = ui::scale();
  ui::drawReadout(dl, {c.x + 6.0f * s, c.y + 3.0f * s, std::max(0.0f, c.width - 12.0f * s), 14.0f * s}, text,
                  ui::TextStyle::Small, colour, ui::TextAlign::Right);
}

std::string SampleView::windowReadout(int handle) const {
  const float a = clamp01NanTo0(slotValue("start", 0.0f)), b = clamp01NanTo0(slotValue("end", 1.0f));
  const float span = std::max(b - a, 0.0f);
  switch (handle) {
    case kStart:
    case kEnd: return std::string(nameOfKey(windowKey(handle))) + "  " + lengthText(handle == kStart ? a : b);
    case kFadeIn:
    case kFadeOut:
      return std::string(nameOfKey(windowKey(handle))) + "  " +
             lengthText(span * clamp01NanTo0(slotValue(windowKey(handle), 0.0f)));
    default: return {};
  }
}

// The position line, or the spray edge nearer x (the right one first).
float SampleView::grainHandleX(int which, float x) const {
  const ui::Rect c = contentRect();
  if (slots.size() < 2) return c.x;
  const float p = clamp01NanTo0(slots[0].value), w = clamp01NanTo0(slots[1].value);
  if (which == 0) return c.x + c.width * p;
  const float right = c.x + c.width * (p + w), left = c.x + c.width * (p - w);
  const bool rightInside = p + w <= 1.0f, leftInside = p - w >= 0.0f;
  if (rightInside && (!leftInside || std::fabs(x - right) <= std::fabs(x - left))) return right;
  return leftInside ? left : c.x + c.width * std::min(p + w, 1.0f);
}

void SampleView::applyWindowDrag(float pointerX, float dy) {
  const float s = ui::scale();
  const float u = xToFraction(pointerX);
  const float start = slotValue("start", 0.0f), end = slotValue("end", 1.0f);
  const float span = std::max(end - start, kSmallestSpan);
  const int slot = findSlot(windowKey(windowDrag_));
  if (slot < 0) return;
  switch (windowDrag_) {
    case kStart: changeParam(slot, std::min(u, end - kSmallestWindow)); break;
    case kEnd: changeParam(slot, std::max(u, start + kSmallestWindow)); break;
    case kFadeIn: changeParam(slot, clamp01NanTo0((u - start) / span)); break;
    case kFadeOut: changeParam(slot, clamp01NanTo0((end - u) / span)); break;
    case kBody:
      changeParam(slot, clampTo(gainAtPress_ - dy * kDbPerSweep / (kSweep * s), -kGainRange, kGainRange));
      break;
    default: break;
  }
}

float SampleView::windowGainAt(float position, float a, float b) const {
  float g = linearGain();
  const int inSlot = findSlot("fadeIn"), outSlot = findSlot("fadeOut");
  if (inSlot < 0 || outSlot < 0 || position < a || position > b) return g;
  const float fadeIn = slots[static_cast<std::size_t>(inSlot)].value;
  const float fadeOut = slots[static_cast<std::size_t>(outSlot)].value;
  const float u = clamp01NanTo0((position - a) / std::max(b - a, kSmallestSpan));
  float e = fadeIn > 0.0f && u < fadeIn ? u / fadeIn : 1.0f;
  if (fadeOut > 0.0f && u > 1.0f - fadeOut) e *= (1.0f - u) / fadeOut;
  return g * e;
}

void SampleView::drawWindowView() {
  const ImVec2 pointer = ImGui::GetIO().MousePos;
  const int hit = windowHit(pointer);
  const ui::Interaction it =
      bodyItem("wave", body(), windowCursor(windowDrag_ != kNone ? windowDrag_ : hit), hintText);
  gainHovered_ = it.hovered && hit == kBody ? 1 : 0;
  if (it.rightClicked) {
    const int slot = findSlot(windowKey(hit));
    if (slot >= 0) openEntryFor(slot);
  }
  // A press takes an edge, a fade or the gain; the drag moves the edge or
  // fade from where it was.
  if (it.pressed) {
    windowDrag_ = windowHit(it.pressPos);
    if (windowDrag_ == kBody) gainAtPress_ = gainDb();
    grabDx_ =
        windowDrag_ == kStart || windowDrag_ == kEnd || windowDrag_ == kFadeIn || windowDrag_ == kFadeOut
            ? windowHandleX(windowDrag_) - it.pressPos.x
            : 0.0f;
    // A fade sweeps its range over the window's width, which a short window
    // makes narrow.
    const float window = std::max(slotValue("end", 1.0f) - slotValue("start", 0.0f), kSmallestSpan);
    grabSpan_ = contentRect().width * (windowDrag_ == kFadeIn || windowDrag_ == kFadeOut ? window : 1.0f);
  } else if ((it.held || it.released) && moved(it) && windowDrag_ != kNone && slots.size() >= 2) {
    applyWindowDrag(draggedX(it), it.total.y);
  }
  if (it.released) {
    windowDrag_ = kNone;
    dragIndex_ = -1;
  }
  if (slots.size() < 2) return;

  ImDrawList* dl = ImGui::GetWindowDrawList();
  const ui::Rect c = contentRect();
  const float s = ui::scale();
  const float a = clamp01NanTo0(slots[0].value), b = clamp01NanTo0(slots[1].value);
  paintWave(dl, c, a, b, [this, a, b](float position) { return windowGainAt(position, a, b); });
  bar(dl, c, edgeBarX(c.x + c.width * a, kStart), kStartBar, barPlacer_);
  bar(dl, c, edgeBarX(c.x + c.width * b, kEnd), kEndBar, barPlacer_);
  const int inSlot = findSlot("fadeIn"), outSlot = findSlot("fadeOut");
  if (inSlot >= 0 && outSlot >= 0) {
    const float fi = clamp01NanTo0(slots[static_cast<std::size_t>(inSlot)].value);
    const float fo = clamp01NanTo0(slots[static_cast<std::size_t>(outSlot)].value);
    const float x0 = c.x + c.width * a, x1 = c.x + c.width * b, y = c.y + s;
    flag(dl, {x0 + (x1 - x0) * fi, y}, 1.0f, fi > 0.0f ? kStartBar : kFadeOutline, fi > 0.0f);
    flag(dl, {x1 - (x1 - x0) * fo, y}, -1.0f, fo > 0.0f ? kStartBar : kFadeOutline, fo > 0.0f);
    ui::logHandle(this, "fade in", fadeFlagCentre(kFadeIn), ui::kAlongX, windowDrag_ == kFadeIn);
    ui::logHandle(this, "fade out", fadeFlagCentre(kFadeOut), ui::kAlongX, windowDrag_ == kFadeOut);
  }
  const float mid = c.y + 0.5f * c.height;
  ui::logHandle(this, "start", {edgeBarX(windowHandleX(kStart), kStart), mid}, ui::kAlongX,
                windowDrag_ == kStart);
  ui::logHandle(this, "end", {edgeBarX(windowHandleX(kEnd), kEnd), mid}, ui::kAlongX, windowDrag_ == kEnd);
  if (findSlot("gain") >= 0)
    ui::logHandle(this, "gain",
                  {0.5f * (windowHandleX(kStart) + windowHandleX(kEnd)), mid + 0.25f * c.height}, ui::kAlongY,
                  windowDrag_ == kBody);
  for (std::size_t i = 0; i < slots.size(); ++i) drawModulation(dl, static_cast<int>(i));
  if (windowDrag_ != kNone && windowDrag_ != kBody) {
    // An edge or a fade shows where it is while it moves, in the gain's
    // place.
    drawCornerReadout(dl, windowReadout(windowDrag_), kStartBar);
  } else if (findSlot("gain") >= 0) {
    const bool live = gainHovered_ || windowDrag_ == kBody;
    if (live || std::fabs(gainDb()) > 0.05f) drawCornerReadout(dl, gainText(), live ? kStartBar : kGainIdle);
  }
  const std::string footer = std::string("edges = ") + nameOfKey("start") + " / " + nameOfKey("end") +
                             " · top corners = " + nameOfKey("fadeIn") + " / " + nameOfKey("fadeOut") +
                             " · up-down = " + nameOfKey("gain");
  drawFooter(dl, footer.c_str(), 14.0f * s, 2, kFooter);
}

// ---- slices view

int SampleView::slicePick(float x) const {
  const ui::Rect c = contentRect();
  if (!markers || markerCount <= 0 || c.width <= 0.0f) return -1;
  const float reach = kReach * ui::scale();
  int best = -1;
  float bestDistance = reach;
  for (int i = 0; i < markerCount; ++i) {
    const float d = std::fabs(x - (c.x + c.width * clamp01NanTo0(markers[i])));
    if (d < bestDistance) {
      best = i;
      bestDistance = d;
    }
  }
  return best;
}

// A marker stops a few pixels short of its neighbours, so that it never
// lies on one: each shows and each is taken at its own bar. Squeezed
// between two that leave it no such room, it keeps between them.
float SampleView::keptApart(int index, float u) const {
  const ui::Rect c = contentRect();
  if (!markers || index < 1 || index >= markerCount || c.width <= 0.0f) return u;
  const float gap = kMarkerApart * ui::scale() / c.width;
  const float prev = clamp01NanTo0(markers[index - 1]);
  const float next = index + 1 < markerCount ? clamp01NanTo0(markers[index + 1]) : 1.0f + gap;
  if (next - prev < 2.0f * gap) return clampTo(u, prev, next);
  return clampTo(u, prev + gap, next - gap);
}

void SampleView::drawSlicesView() {
  const float pointerX = ImGui::GetIO().MousePos.x;
  const bool onMarker = dragIndex_ >= 1 || slicePick(pointerX) >= 1;
  const ui::Interaction it =
      bodyItem("slices", body(), onMarker ? ImGuiMouseCursor_ResizeEW : ImGuiMouseCursor_Arrow, hintText);
  if (it.rightClicked) {
    const int i = slicePick(pointerX);
    if (i >= 1 && onSliceDelete) onSliceDelete(i);
    dragIndex_ = -1;
  }
  if (it.doubleClicked && slicePick(pointerX) < 0 && onSliceAdd) onSliceAdd(xToFraction(pointerX));
  if (it.pressed) {
    const int i = slicePick(it.pressPos.x);
    dragIndex_ = i >= 1 ? i : -1;
    if (dragIndex_ >= 1)
      grabDx_ = contentRect().x + contentRect().width * clamp01NanTo0(markers[i]) - it.pressPos.x;
    grabSpan_ = contentRect().width;
    if (i < 1 && markers && markerCount > 0) {
      const float u = xToFraction(it.pressPos.x);
      int k = 0;
      for (int m = 0; m < markerCount; ++m)
        if (markers[m] <= u) k = m;
      if (!slots.empty()) setParam(0, static_cast<float>(k));
    }
  } else if ((it.held || it.released) && it.delta.x != 0.0f && dragIndex_ >= 1 && onSliceMove) {
    onSliceMove(dragIndex_, keptApart(dragIndex_, xToFraction(draggedX(it))));
  }
  if (it.released) dragIndex_ = -1;

  // onSliceMove may have replaced the marker table: read it afresh.
  ImDrawList* dl = ImGui::GetWindowDrawList();
  const ui::Rect c = contentRect();
  const float s = ui::scale();
  if (!slots.empty() && markers && markerCount >= 1) {
    const int k = std::clamp(static_cast<int>(std::lround(slots[0].value)), 0, markerCount - 1);
    const float to = k + 1 < markerCount ? markers[k + 1] : 1.0f;
    paintWave(dl, c, markers[k], to, {});
  } else {
    paintWave(dl, c, 0.0f, 0.0f, {});
  }
  if (markers && markerCount > 0) {
    for (int i = 0; i < markerCount; ++i) {
      const float x = c.x + c.width * clamp01NanTo0(markers[i]);
      bar(dl, c, x, i == 0 ? kFirstMarker : kEndBar, barPlacer_);
      if (i >= 1)
        ui::logHandle(this, "slice " + std::to_string(i), {x, c.y + 0.5f * c.height}, ui::kAlongX,
                      dragIndex_ == i);
    }
    drawFooter(dl, "drag = move · double-click = add · right-click = delete", 14.0f * s, 2, kFooter);
    // A dragged marker shows where it is while it moves.
    if (dragIndex_ >= 1 && dragIndex_ < markerCount)
      drawCornerReadout(
          dl,
          "slice " + std::to_string(dragIndex_ + 1) + "  " + lengthText(clamp01NanTo0(markers[dragIndex_])),
          kStartBar);
  } else {
    drawFooter(dl, "no slices — double-click the wave to add one", 16.0f * s, 1, kEmptyHint);
  }
}

// ---- grains view

int SampleView::grainsPick(float x) const {
  if (slots.size() < 2 || contentRect().width <= 0.0f) return -1;
  const float spray = clamp01NanTo0(slots[1].value);
  if (spray == 0.0f) return 0;
  const float d = std::fabs(xToFraction(x) - slots[0].value);
  return std::fabs(d - spray) < d ? 1 : 0;
}

// The spray's edges as drawn (each kept inside the content), and the flag
// at the top of each, pointing away from the line: at no spray both flags
// sit on the line, one each side, so that the spray can still be taken.
float SampleView::sprayEdgeX(bool right) const {
  const ui::Rect c = contentRect();
  if (slots.size() < 2) return c.x;
  const float p = clamp01NanTo0(slots[0].value), w = clamp01NanTo0(slots[1].value);
  return c.x + c.width * (right ? std::min(p + w, 1.0f) : std::max(p - w, 0.0f));
}

ImVec2 SampleView::sprayFlagCentre(bool right) const {
  const float s = ui::scale();
  return {sprayEdgeX(right) + (right ? 0.5f : -0.5f) * kFlagWidth * s,
          contentRect().y + s + 0.5f * kFlagHeight * s};
}

// In the top band the nearer spray flag within reach, 1 for the right one
// and 2 for the left; 0 elsewhere.
int SampleView::sprayFlagAt(ImVec2 p) const {
  const ui::Rect c = contentRect();
  const float s = ui::scale();
  if (slots.size() < 2 || p.y > c.y + kFadeBand * s) return 0;
  const float toRight = std::fabs(p.x - sprayFlagCentre(true).x);
  const float toLeft = std::fabs(p.x - sprayFlagCentre(false).x);
  if (std::min(toRight, toLeft) > kReach * s) return 0;
  return toRight <= toLeft ? 1 : 2;
}

void SampleView::drawGrainsView() {
  const ui::Rect c = contentRect();
  const float s = ui::scale();
  const ImVec2 pointer = ImGui::GetIO().MousePos;
  const ui::Interaction it =
      bodyItem("grains", body(),
               c.containsWithEdges(pointer) ? ImGuiMouseCursor_Hand : ImGuiMouseCursor_Arrow, hintText);
  if (it.rightClicked) {
    const int k = sprayFlagAt(pointer) != 0 ? 1 : grainsPick(pointer.x);
    if (k >= 0) openEntryFor(k);
  }
  if (it.pressed) {
    const int flag = sprayFlagAt(it.pressPos);
    dragIndex_ = flag != 0 ? 1 : grainsPick(it.pressPos.x);
    axisLock_ = 1;
    gainAtPress_ = gainDb();
    const float handleX = flag != 0 ? sprayEdgeX(flag == 1) : grainHandleX(dragIndex_, it.pressPos.x);
    grabDx_ = dragIndex_ >= 0 ? handleX - it.pressPos.x : 0.0f;
    grabSpan_ = c.width;
    sprayRight_ = flag != 0
                      ? flag == 1
                      : dragIndex_ == 1 && grainHandleX(1, it.pressPos.x) >= grainHandleX(0, it.pressPos.x);
  } else if ((it.held || it.released) && moved(it) && dragIndex_ >= 0 && slots.size() >= 2) {
    if (axisLock_ == 1 &&
        (std::fabs(it.total.x) >= kAxisDecision * s || std::fabs(it.total.y) >= kAxisDecision * s))
      axisLock_ = std::fabs(it.total.x) < std::fabs(it.total.y) ? 3 : 2;
    if (axisLock_ == 3) {
      const int gain = findSlot("gain");
      if (gain >= 0)
        changeParam(gain,
                    clampTo(gainAtPress_ - it.total.y * kDbPerSweep / (kSweep * s), -kGainRange, kGainRange));
    } else if (axisLock_ == 2) {
      const float x = draggedX(it);
      if (dragIndex_ == 0) {
        changeParam(0, xToFraction(x));
      } else {
        // The grabbed edge follows the pointer out to either end of the
        // range and stops at the line rather than crossing it.
        const float u = (x - contentRect().x) / std::max(contentRect().width, 1.0f);
        const float p = clamp01NanTo0(slots[0].value);
        changeParam(1, std::max(sprayRight_ ? u - p : p - u, 0.0f));
      }
    }
  }
  if (it.released) {
    dragIndex_ = -1;
    axisLock_ = 0;
  }
  if (slots.size() < 2) return;

  ImDrawList* dl = ImGui::GetWindowDrawList();
  const float p = clamp01NanTo0(slots[0].value), w = clamp01NanTo0(slots[1].value);
  const float gain = linearGain();
  paintWave(dl, c, p - w, p + w, [gain](float) { return gain; });
  if (w > 0.0f) {
    const float x0 = c.x + c.width * std::max(p - w, 0.0f), x1 = c.x + c.width * std::min(p + w, 1.0f);
    ui::fillRect(dl, {x0, c.y, x1 - x0, c.height}, kSprayBand);
    bar(dl, c, x0, kSprayEdge, barPlacer_);
    bar(dl, c, x1, kSprayEdge, barPlacer_);
  }
  bar(dl, c, c.x + c.width * p, kStartBar, barPlacer_);
  for (const bool right : {true, false})
    flag(dl, {sprayEdgeX(right), c.y + s}, right ? 1.0f : -1.0f, kSprayEdge, w > 0.0f);
  const float mid = c.y + 0.5f * c.height;
  ui::logHandle(this, "position", {grainHandleX(0, c.x + c.width), mid}, ui::kAlongBoth, dragIndex_ == 0);
  ui::logHandle(this, "spray", sprayFlagCentre(true), ui::kAlongX, dragIndex_ == 1);
  const std::string footer = std::string("drag the line = ") + slotName(0) + " · an edge = " + slotName(1) +
                             " · up-down = " + nameOfKey("gain");
  drawFooter(dl, footer.c_str(), 14.0f * s, 2, kFooter);
  for (std::size_t i = 0; i < slots.size(); ++i) drawModulation(dl, static_cast<int>(i));
  // What the drag sets, while it moves.
  if (dragIndex_ >= 0 && axisLock_ == 3 && findSlot("gain") >= 0)
    drawCornerReadout(dl, gainText(), kStartBar);
  else if (dragIndex_ >= 0 && axisLock_ == 2)
    drawCornerReadout(dl, std::string(slotName(dragIndex_)) + "  " + lengthText(dragIndex_ == 0 ? p : w),
                      kStartBar);
}

}  // namespace orbi
