#include "editor/widgets/param_drawer.h"

#include <imgui.h>

#include <algorithm>

#include "ui/context.h"
#include "ui/controls/scroll_area.h"

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
  const float row = kRowHeight * s;
  const std::size_t shown = std::min(rows.size(), faders.size());
  if (static_cast<float>(shown) * row > std::max(r.height, 0.0f) + 0.5f) {
    // Whole rows in a band too low for all of them: the band scrolls.
    const ui::ScrollArea area("drawer.scroll", r, static_cast<float>(shown) * row);
    if (area.began()) drawRows({area.origin().x, area.origin().y, area.contentWidth(), area.contentHeight()});
  } else {
    drawRows(r);
  }
  ImGui::PopID();
}

void ParamDrawer::drawRows(const ui::Rect& r) {
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
}

}  // namespace orbi
