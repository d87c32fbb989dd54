#include "editor/credits/sample_credits_window.h"

#include <imgui.h>

#include <algorithm>

#include "ui/context.h"
#include "ui/draw/text.h"
#include "ui/interact/interaction.h"
#include "ui/link.h"
#include "ui/theme/palette.h"

namespace orbi {

namespace {

constexpr std::uint32_t kTitleColour = ui::palette::withAlphaByte(ui::palette::kMuted, 0x73);
constexpr std::uint32_t kPlainEntryColour = ui::palette::kMuted;
constexpr ui::TextStyle kEntryStyle = ui::TextStyle::Body;  // the links' own

float textWidth(const std::string& text) { return ui::measureText(text, kEntryStyle).x; }

}  // namespace

std::vector<std::uint32_t> SampleCreditsWindow::usedSets(const ob::Project& project) {
  std::vector<std::uint32_t> sets;
  const int count = std::min<int>(project.samples.count, ob::kSampleSlots);
  for (int s = 0; s < count; ++s) {
    const ob::SampleSlot& slot = project.samples.slots[s];
    if (slot.name[0] == '\0' || slot.src == 0 || slot.src >= ob::kSampleCreditRowCount) continue;
    if (std::find(sets.begin(), sets.end(), slot.src) == sets.end()) sets.push_back(slot.src);
  }
  return sets;
}

std::string SampleCreditsWindow::rowText(const ob::SampleCreditRow& row, bool compact) {
  if (compact) return row.setName;
  return std::string(row.setName) + " \u2014 " + row.author + " (" + row.licence + ")";
}

std::string SampleCreditsWindow::tooltipText(const ob::SampleCreditRow& row) {
  std::string text = std::string(row.setName) + " by " + row.author + " \u00B7 " + row.licence;
  text += row.attributionRequired ? " \u00B7 attribution required" : " \u00B7 public domain";
  return text + "\n" + row.licenceLink;
}

void SampleCreditsWindow::draw(const ui::Rect& band, const ob::Project& project) {
  const std::vector<std::uint32_t> sets = usedSets(project);
  if (sets.empty()) return;
  const float s = ui::scale();
  const float gap = 24.0f * s;
  ui::Rect line{band.x + 12.0f * s, band.y, std::max(band.width - 24.0f * s, 0.0f), band.height};

  float needed = textWidth("Sample credits") + gap / 2.0f;
  for (const std::uint32_t set : sets) needed += textWidth(rowText(ob::sampleCreditsTable[set], false)) + gap;
  const bool compact = needed > line.width;

  const std::string title = compact ? "Samples" : "Sample credits";
  const float titleWidth = std::min(textWidth(title) + gap / 2.0f, line.width);
  ImDrawList* dl = ImGui::GetWindowDrawList();
  ui::drawText(dl, {line.x, line.y, titleWidth, line.height}, title, kEntryStyle, kTitleColour);
  line.x += titleWidth;
  line.width -= titleWidth;

  for (const std::uint32_t set : sets) {
    const ob::SampleCreditRow& row = ob::sampleCreditsTable[set];
    const std::string text = rowText(row, compact);
    const float width = textWidth(text) + 1.0f * s;
    if (width > line.width) break;
    const ui::Rect column{line.x, line.y, width, line.height};
    tooltips_[set] = tooltipText(row);
    ImGui::PushID(static_cast<int>(set));
    if (row.licenceLink[0] != '\0') {
      ui::link("credit", column, text, row.licenceLink, ui::TextAlign::Left, tooltips_[set]);
    } else {
      // Nothing to open: plain text that still explains itself.
      const ImVec2 size = ui::measureText(text, kEntryStyle);
      const ui::Rect box{column.x, column.y + (column.height - size.y) / 2.0f, size.x, size.y};
      ui::drawText(dl, box, text, kEntryStyle, kPlainEntryColour);
      ui::InteractSpec desc;
      desc.kind = ui::HitKind::Rectangle;
      desc.rect = box;
      desc.cursor = ImGuiMouseCursor_Arrow;
      desc.tooltip = tooltips_[set].c_str();
      ui::interact("credit", desc);
    }
    ImGui::PopID();
    const float taken = std::min(width + gap, line.width);
    line.x += taken;
    line.width -= taken;
  }
}

}  // namespace orbi
