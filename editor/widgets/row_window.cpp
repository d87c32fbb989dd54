#include "editor/widgets/row_window.h"

#include <imgui.h>

#include <algorithm>
#include <cmath>

#include "editor/widgets/widget_support.h"
#include "ui/context.h"
#include "ui/draw/icons.h"
#include "ui/draw/text.h"
#include "ui/interact/interaction.h"
#include "ui/theme/colour.h"

namespace orbi {
namespace {

constexpr float kReadoutWidth = 100.0f;  // "10–12 of 16 · scroll" and its arrow in the caption style
// The arrow after the words: drawn, since the fonts' triangle is a dot at
// the caption's size.
constexpr float kArrowBox = 8.0f;
constexpr float kArrowGap = 2.0f;

}  // namespace

RowWindow::Shown RowWindow::layout(const ui::Rect& band, int rows, float least, float most) {
  Shown out;
  const float height = std::max(band.height, 0.0f);
  out.rows = band;
  if (rows <= 0) {
    first_ = 0;
    return out;
  }
  if (static_cast<float>(rows) * least <= height + 1e-3f) {
    first_ = 0;
    out.count = rows;
    out.pitch = std::min(height / static_cast<float>(rows), most);
    return out;
  }
  out.count = std::clamp(static_cast<int>(std::floor(height / least + 1e-4f)), 1, rows);
  out.pitch = std::min(height / static_cast<float>(out.count), most);
  // The wheel over the band, before the rows are drawn: they move at once.
  // The rows' own items take the hover, so the band is tested itself.
  const ImGuiIO& io = ImGui::GetIO();
  if (io.MouseWheel != 0.0f && band.contains(io.MousePos) &&
      ImGui::IsWindowHovered(ImGuiHoveredFlags_AllowWhenBlockedByActiveItem))
    first_ -= static_cast<int>(std::lround(io.MouseWheel));
  first_ = std::clamp(first_, 0, rows - out.count);
  out.first = first_;
  const float readout = std::min(kReadoutWidth * ui::scale(), std::max(band.width, 0.0f));
  out.rows.width = std::max(band.width - readout, 0.0f);
  out.readout = {band.x + out.rows.width, band.y, readout, height};
  return out;
}

void RowWindow::drive(const char* id, const Shown& shown, int rows) {
  if (!shown.scrolls()) return;
  const int last = std::min(shown.first + shown.count, rows);
  readout_ = std::to_string(shown.first + 1);
  if (last > shown.first + 1) readout_ += "\u2013" + std::to_string(last);
  readout_ += " of " + std::to_string(rows) + " \u00B7 scroll";
  // Once the last rows show, a click goes back to the first: the arrow
  // points up.
  const bool atEnd = last >= rows;
  tooltip_ = "MORE ROWS - " + std::to_string(shown.count) + " of " + std::to_string(rows) +
             " show.\nwheel over the list: the rows above or below  /  click: " +
             (atEnd ? "the first rows again" : "the next rows");
  ui::InteractSpec desc;
  desc.kind = ui::HitKind::Rectangle;
  desc.rect = shown.readout;
  desc.cursor = ImGuiMouseCursor_Hand;
  desc.tooltip = tooltip_.c_str();
  const ui::Interaction it = ui::interact(id, desc);
  if (it.clicked) {
    // The next rows, and the first again once the last show.
    const int end = std::max(rows - shown.count, 0);
    first_ = first_ >= end ? 0 : std::min(first_ + shown.count, end);
  }
  const float s = ui::scale();
  const std::uint32_t colour = it.hovered ? palette::kAccentHovered : palette::kMuted;
  ImDrawList* dl = ImGui::GetWindowDrawList();
  ui::Rect words = shown.readout;
  const float arrow = std::min(kArrowBox * s, words.width);
  const ui::Rect arrowBox = words.takeRight(arrow);
  words.takeRight(kArrowGap * s);
  ui::drawText(dl, words, readout_, ui::TextStyle::Caption, colour, ui::TextAlign::Right);
  // Centred on the band's height, as the words are.
  ui::paintCaret(dl, {arrowBox.x, arrowBox.y + (arrowBox.height - arrow) / 2.0f, arrow, arrow},
                 ui::packColour(colour), atEnd);
}

}  // namespace orbi
