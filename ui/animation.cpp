#include "ui/animation.h"

#include <imgui.h>

#include "ui/context.h"
#include "ui/frame_requests.h"

namespace orbi::ui {

float animationState(std::uint32_t id, float duration) {
  auto& starts = context().animations();
  const auto it = starts.find(id);
  if (it == starts.end()) return 0.0f;
  const double elapsed = ImGui::GetTime() - it->second;
  if (elapsed >= 0.0 && elapsed < duration) {
    requestFrame();  // each frame of it
    const double left = 1.0 - elapsed / duration;
    return static_cast<float>(left * left);
  }
  starts.erase(it);
  return 0.0f;
}

}  // namespace orbi::ui
