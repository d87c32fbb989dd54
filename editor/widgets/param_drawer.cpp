#include "editor/widgets/param_drawer.h"

#include <imgui.h>

#include <algorithm>
#include <cmath>

#include "ui/context.h"

namespace orbi {
namespace {

constexpr float kRowHeight = 16.0f;
// A column keeps a row's label, value, track margins and a track as long
// as the label's column.
constexpr float kLeastColumn = 236.0f;
constexpr float kColumnGap = 16.0f;

}  // namespace

int ParamDrawer::columnsFor(const ui::Rect& band, int rows, float s) {
  const int fit = static_cast<int>(std::floor(std::max(band.height, 0.0f) / (kRowHeight * s) + 1e-4f));
  if (rows <= fit || fit < 1) return 1;
  const int columns = (rows + fit - 1) / fit;
  const float width =
      (band.width - static_cast<float>(columns - 1) * kColumnGap * s) / static_cast<float>(columns);
  return width >= kLeastColumn * s ? columns : 1;
}

ui::Rect ParamDrawer::cellOf(const ui::Rect& band, int rows, int columns, int i, float s) {
  const int perColumn = (rows + columns - 1) / columns;
  const float gap = kColumnGap * s;
  const float width = (band.width - static_cast<float>(columns - 1) * gap) / static_cast<float>(columns);
  const int column = i / perColumn, line = i % perColumn;
  return {band.x + static_cast<float>(column) * (width + gap),
          band.y + static_cast<float>(line) * kRowHeight * s, width, kRowHeight * s};
}

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
  const float s = ui::scale();
  if (const int columns = columnsFor(r, count, s); columns > 1) {
    window_.reset();
    // The row count is read again after every fader: a fader's callback may
    // rebuild the rows.
    for (int i = 0; i < count && i < static_cast<int>(std::min(rows.size(), faders.size())); ++i)
      faders[static_cast<std::size_t>(i)].draw(cellOf(r, count, columns, i, s));
    ImGui::PopID();
    return;
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
