#include "ui/style_scope.h"

#include <imgui.h>

#include "ui/context.h"

namespace orbi::ui {
namespace {
constexpr int kPushedVars = 7;
}

StyleVarScope::StyleVarScope(float padding, float rounding) {
  const float s = scale();
  ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(padding * s, padding * s));
  ImGui::PushStyleVar(ImGuiStyleVar_PopupRounding, rounding * s);
  ImGui::PushStyleVar(ImGuiStyleVar_WindowRounding, rounding * s);
  ImGui::PushStyleVar(ImGuiStyleVar_PopupBorderSize, 1.0f * s);
  ImGui::PushStyleVar(ImGuiStyleVar_ItemSpacing, ImVec2(8.0f * s, 4.0f * s));
  ImGui::PushStyleVar(ImGuiStyleVar_FramePadding, ImVec2(6.0f * s, 4.0f * s));
  ImGui::PushStyleVar(ImGuiStyleVar_SelectableTextAlign, ImVec2(0.0f, 0.5f));
}

StyleVarScope::~StyleVarScope() { ImGui::PopStyleVar(kPushedVars); }

}  // namespace orbi::ui
