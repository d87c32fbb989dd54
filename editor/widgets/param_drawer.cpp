#include "editor/widgets/param_drawer.h"

#include <imgui.h>

#include <algorithm>

#include "ui/context.h"

namespace orbi {
namespace {

constexpr float kRowHeight = 16.0f;

}  // namespace

ParamDrawer::ParamDrawer() {
  for (SlotFader& fader : faders)
    fader.change = [this](int id, float value) {
      if (onChange) onChange(id, value);
    };
}

void ParamDrawer::draw(const ui::Rect& r) {
  ImGui::PushID(this);
  const float s = ui::scale();
  const float bottom = r.y + std::max(r.height, 0.0f);
  float y = r.y;
  // The row count is read again after every fader: a fader's callback may
  // rebuild the rows.
  for (std::size_t i = 0; i < std::min(rows.size(), faders.size()); ++i) {
    const float height = std::max(0.0f, std::min(kRowHeight * s, bottom - y));
    faders[i].draw({r.x, y, r.width, height});
    y += height;
  }
  ImGui::PopID();
}

}  // namespace orbi
