#include "ui/interact/tooltip.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "ui/context.h"
#include "ui/draw/text.h"
#include "ui/frame_requests.h"
#include "ui/imgui_adapter.h"
#include "ui/interact/hover_clock.h"
#include "ui/layout/keep_inside.h"
#include "ui/store.h"

namespace orbi::ui {
namespace {

// Design pixels.
constexpr float kPaddingX = 8.0f;
constexpr float kPaddingY = 5.0f;
constexpr float kRounding = 4.0f;
constexpr float kWrap = 320.0f;
// The pointer's own room, as Dear ImGui keeps a tooltip off it: left and
// above of its tip, then right and below.
constexpr float kPointerBefore = 16.0f;
constexpr float kPointerAbove = 8.0f;
constexpr float kPointerAfter = 24.0f;
// Past its places beside the pointer, a tooltip looks this much further
// out each time, this many times, for a place that covers nothing it keeps
// clear of.
constexpr float kStep = 8.0f;
constexpr int kSteps = 12;
// A control no larger than this square is small: a tooltip over it hides
// it whole.
constexpr float kSmallControl = 48.0f;

// One frame's tooltip and the places it keeps off; stale once the frame
// count moves on.
struct DueTooltip {
  int frame = -1;
  std::string text;
  int clearFrame = -1;
  LabelPlacer clear;
};

inline constexpr std::uint32_t kDueTooltipKey = fourCc("TIPS");

DueTooltip& due() { return store<DueTooltip>(context(), kDueTooltipKey); }

// What the tooltip keeps off in this frame; a new frame starts with none.
LabelPlacer& keptClear() {
  DueTooltip& tip = due();
  const int frame = ImGui::GetFrameCount();
  if (tip.clearFrame != frame) {
    tip.clearFrame = frame;
    tip.clear.clear();
  }
  return tip.clear;
}

bool tooltipDue() {
  if (!ImGui::IsItemHovered(ImGuiHoveredFlags_AllowWhenDisabled)) return false;
  const ImGuiIO& io = ImGui::GetIO();
  HoverClock& clock = store<HoverClock>(context(), kHoverClockKey);
  if (clock.hovered(lastItemKey(), ImGui::GetFrameCount(), ImGui::GetTime(), io.MouseDelta)) return true;
  // The tooltip comes by itself, with no input to draw its frame.
  requestFrameAt(clock.readyAt());
  return false;
}

// The text's own lines, between its line feeds.
std::vector<std::string_view> ownLines(std::string_view text) {
  std::vector<std::string_view> lines;
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) return lines;
    start = end + 1;
  }
}

// The width of the widest word of the lines, in the tooltip's style.
float widestWord(const std::vector<std::string_view>& lines) {
  float widest = 0.0f;
  for (std::string_view line : lines) {
    for (std::size_t start = 0; start < line.size();) {
      const std::size_t end = std::min(line.find(' ', start), line.size());
      widest = std::max(widest, measureText(line.substr(start, end - start), TextStyle::Body).x);
      start = end + 1;
    }
  }
  return widest;
}

}  // namespace

std::string tooltipLines(std::string_view text, float wrap, float room) {
  const std::vector<std::string_view> paragraphs = ownLines(text);
  const float width = std::min(std::max(wrap, widestWord(paragraphs)), room);
  std::string out;
  for (std::size_t i = 0; i < paragraphs.size(); ++i) {
    if (i > 0) out += '\n';
    const std::vector<std::string_view> lines = wrapText(paragraphs[i], TextStyle::Body, width);
    for (std::size_t j = 0; j < lines.size(); ++j) {
      if (j > 0) out += '\n';
      out.append(lines[j]);
    }
  }
  return out;
}

ImVec2 placeTooltip(ImVec2 pointer, ImVec2 size, const Rect& display, const LabelPlacer& keepClear, float s) {
  const float before = kPointerBefore * s, above = kPointerAbove * s, after = kPointerAfter * s;
  const float endingAtPointer = pointer.x + before - size.x;
  std::vector<Rect> places;
  for (int step = 0; step <= kSteps; ++step) {
    const float out = static_cast<float>(step) * kStep * s;
    const ImVec2 tries[] = {
        {pointer.x + after + out, pointer.y},                    // right, as Dear ImGui
        {pointer.x - before, pointer.y + after + out},           // below
        {pointer.x - before, pointer.y - above - size.y - out},  // above
        {pointer.x - before - size.x - out, pointer.y},          // left
        {endingAtPointer, pointer.y + after + out},              // below, to the left
        {endingAtPointer, pointer.y - above - size.y - out},     // above, to the left
    };
    for (const ImVec2& tried : tries) {
      const ImVec2 at = keepInside(tried, size, display);
      places.push_back({at.x, at.y, size.x, size.y});
    }
  }
  const std::optional<std::size_t> clear = keepClear.firstClear(places, true);
  const std::size_t i = clear ? *clear : keepClear.place(places);
  return {places[i].x, places[i].y};
}

void tooltip(std::string_view text) {
  if (text.empty() || !tooltipDue()) return;
  DueTooltip& tip = due();
  tip.frame = ImGui::GetFrameCount();
  tip.text.assign(text);
}

void keepTooltipClearOf(const Rect& r, KeepClear how) {
  LabelPlacer& clear = keptClear();
  switch (how) {
    case KeepClear::Always: clear.block(r); break;
    case KeepClear::WhereItCan: clear.panel(r); break;
    case KeepClear::Lightly: clear.area(r); break;
  }
}

const LabelPlacer& tooltipKeepClear() { return keptClear(); }

void keepTooltipClearOfControl(const Rect& r) {
  if (!(r.width > 0.0f && r.height > 0.0f)) return;
  const ImVec2 pointer = ImGui::GetIO().MousePos;
  if (r.contains(pointer)) return;
  const float small = kSmallControl * scale();
  keepTooltipClearOf(r, r.width * r.height <= small * small ? KeepClear::WhereItCan : KeepClear::Lightly);
}

Rect drawReadout(ImDrawList* dl, const Rect& box, std::string_view text, TextStyle style,
                 std::uint32_t colour, TextAlign alignment) {
  drawText(dl, box, text, style, colour, alignment);
  const Rect ink = textInk(box, text, style, alignment);
  keepTooltipClearOf(ink, KeepClear::Always);
  return ink;
}

void drawDueTooltip() {
  DueTooltip& tip = due();
  const int frame = ImGui::GetFrameCount();
  if (tip.frame != frame) return;
  tip.frame = -1;
  const float s = scale();
  const ImGuiIO& io = ImGui::GetIO();
  const std::string shown = tooltipLines(tip.text, kWrap * s, io.DisplaySize.x - 2.0f * kPaddingX * s);
  pushTextStyle(TextStyle::Body);
  const ImVec2 text = ImGui::CalcTextSize(shown.data(), shown.data() + shown.size());
  const ImVec2 size(text.x + 2.0f * kPaddingX * s, text.y + 2.0f * kPaddingY * s);
  ImGui::SetNextWindowPos(
      placeTooltip(io.MousePos, size, {0.0f, 0.0f, io.DisplaySize.x, io.DisplaySize.y}, keptClear(), s));
  ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(kPaddingX * s, kPaddingY * s));
  ImGui::PushStyleVar(ImGuiStyleVar_WindowRounding, kRounding * s);
  ImGui::BeginTooltip();
  ImGui::TextUnformatted(shown.data(), shown.data() + shown.size());
  ImGui::EndTooltip();
  ImGui::PopStyleVar(2);
  popTextStyle();
}

}  // namespace orbi::ui
