#include "ui/interact/tooltip.h"

#include "ui/context.h"
#include "ui/draw/text.h"
#include "ui/frame_requests.h"
#include "ui/imgui_adapter.h"
#include "ui/interact/hover_clock.h"
#include "ui/store.h"

namespace orbi::ui {
namespace {

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

void tooltip(std::string_view text) {
  if (text.empty() || !tooltipDue()) return;
  const float s = scale();
  ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(8.0f * s, 5.0f * s));
  ImGui::PushStyleVar(ImGuiStyleVar_WindowRounding, 4.0f * s);
  ImGui::BeginTooltip();
  pushTextStyle(TextStyle::Body);
  ImGui::PushTextWrapPos(ImGui::GetCursorPosX() + 320.0f * s);
  ImGui::TextUnformatted(text.data(), text.data() + text.size());
  ImGui::PopTextWrapPos();
  popTextStyle();
  ImGui::EndTooltip();
  ImGui::PopStyleVar(2);
}

}  // namespace orbi::ui
