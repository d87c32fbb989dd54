#include "ui/interact/tooltip.h"

#include <algorithm>
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

// One frame's tooltip and the places it keeps off; stale once the frame
// count moves on.
struct DueTooltip {
  int frame = -1;
  std::string text;
  int clearFrame = -1;
  std::vector<Rect> clear;
};

inline constexpr std::uint32_t kDueTooltipKey = fourCc("TIPS");

DueTooltip& due() { return store<DueTooltip>(context(), kDueTooltipKey); }

bool tooltipDue() {
  if (!ImGui::IsItemHovered(ImGuiHoveredFlags_AllowWhenDisabled)) return false;
  const ImGuiIO& io = ImGui::GetIO();
  HoverClock& clock = store<HoverClock>(context(), kHoverClockKey);
  if (clock.hovered(lastItemKey(), ImGui::GetFrameCount(), ImGui::GetTime(), io.MouseDelta)) return true;
  // The tooltip comes by itself, with no input to draw its frame.
  requestFrameAt(clock.readyAt());
  return false;
}

}  // namespace

ImVec2 placeTooltip(ImVec2 pointer, ImVec2 size, const Rect& display, std::span<const Rect> keepClear,
                    float s) {
  const float before = kPointerBefore * s, above = kPointerAbove * s, after = kPointerAfter * s;
  const ImVec2 tries[] = {
      {pointer.x + after, pointer.y},                    // right, as Dear ImGui
      {pointer.x - before, pointer.y + after},           // below
      {pointer.x - before, pointer.y - above - size.y},  // above
      {pointer.x - before - size.x, pointer.y},          // left
  };
  ImVec2 best{};
  std::ptrdiff_t fewest = -1;
  for (const ImVec2& tried : tries) {
    const ImVec2 at = keepInside(tried, size, display);
    const Rect box{at.x, at.y, size.x, size.y};
    const std::ptrdiff_t covered =
        std::count_if(keepClear.begin(), keepClear.end(), [&](const Rect& r) { return r.overlaps(box); });
    if (covered == 0) return at;
    if (fewest < 0 || covered < fewest) {
      fewest = covered;
      best = at;
    }
  }
  return best;
}

void tooltip(std::string_view text) {
  if (text.empty() || !tooltipDue()) return;
  DueTooltip& tip = due();
  tip.frame = ImGui::GetFrameCount();
  tip.text.assign(text);
}

void keepTooltipClearOf(const Rect& r) {
  DueTooltip& tip = due();
  const int frame = ImGui::GetFrameCount();
  if (tip.clearFrame != frame) {
    tip.clearFrame = frame;
    tip.clear.clear();
  }
  tip.clear.push_back(r);
}

Rect drawReadout(ImDrawList* dl, const Rect& box, std::string_view text, TextStyle style,
                 std::uint32_t colour, TextAlign alignment) {
  drawText(dl, box, text, style, colour, alignment);
  const Rect ink = textInk(box, text, style, alignment);
  keepTooltipClearOf(ink);
  return ink;
}

void drawDueTooltip() {
  DueTooltip& tip = due();
  const int frame = ImGui::GetFrameCount();
  if (tip.frame != frame) return;
  tip.frame = -1;
  const std::span<const Rect> clear =
      tip.clearFrame == frame ? std::span<const Rect>(tip.clear) : std::span<const Rect>();
  const float s = scale();
  pushTextStyle(TextStyle::Body);
  const ImVec2 text =
      ImGui::CalcTextSize(tip.text.data(), tip.text.data() + tip.text.size(), false, kWrap * s);
  const ImVec2 size(text.x + 2.0f * kPaddingX * s, text.y + 2.0f * kPaddingY * s);
  const ImGuiIO& io = ImGui::GetIO();
  ImGui::SetNextWindowPos(
      placeTooltip(io.MousePos, size, {0.0f, 0.0f, io.DisplaySize.x, io.DisplaySize.y}, clear, s));
  ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(kPaddingX * s, kPaddingY * s));
  ImGui::PushStyleVar(ImGuiStyleVar_WindowRounding, kRounding * s);
  ImGui::BeginTooltip();
  ImGui::PushTextWrapPos(ImGui::GetCursorPosX() + kWrap * s);
  ImGui::TextUnformatted(tip.text.data(), tip.text.data() + tip.text.size());
  ImGui::PopTextWrapPos();
  ImGui::EndTooltip();
  ImGui::PopStyleVar(2);
  popTextStyle();
}

}  // namespace orbi::ui
