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
  const float row = kRowHeight * ui::scale();
  const int count = static_cast<int>(std::min(rows.size(), faders.size()));
  // Another sound's rows start from the top.
  const bool same = shownParams_.size() == static_cast<std::size_t>(count) &&
                    std::equal(shownParams_.begin(), shownParams_.end(), rows.begin(),
                               [](int index, const Row& row) { return index == row.index; });
  if (!same) {
    window_.reset();
    shownParams_.clear();
    for (int i = 0; i < count; ++i) shownParams_.push_back(rows[static_cast<std::size_t>(i)].index);
  }
  // Whole rows in a band too low for all of them: the others are a wheel
  // turn or a click on the readout away.
  const RowWindow::Shown shown = window_.layout(r, count, row, row);
  // The row count is read again after every fader: a fader's callback may
  // rebuild the rows.
  for (int i = shown.first;
       i < shown.first + shown.count && i < static_cast<int>(std::min(rows.size(), faders.size())); ++i)
    faders[static_cast<std::size_t>(i)].draw(
        {shown.rows.x, shown.rows.y + static_cast<float>(i - shown.first) * shown.pitch, shown.rows.width,
         shown.pitch});
  window_.drive("drawer.rows", shown, count);
  ImGui::PopID();
}

}  // namespace orbi
