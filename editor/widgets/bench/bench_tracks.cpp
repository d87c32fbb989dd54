// The bench page's tracks strip: one row a track with its name, choke
// badge and step dots, the "+ TRACK" button, and the rate pill and help
// texts of the panels' title strips.

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "editor/widgets/bench/bench_page.h"
#include "editor/widgets/widget_support.h"
#include "engine/model/project.h"
#include "ui/context.h"
#include "ui/draw/shapes.h"
#include "ui/draw/text.h"
#include "ui/interact/interaction.h"

namespace orbi {
namespace {

constexpr float kRow = 16.0f;
constexpr float kNameColumn = 76.0f;
constexpr float kBadgeRoom = 22.0f;
constexpr float kDotsLeft = 86.0f;
constexpr float kDotsSlack = 45.0f;  // the 3 between each of the sixteen dots
using palette::withAlphaByte;
constexpr std::uint32_t kRateHovered = withAlphaByte(palette::kAccent, 0x33);
constexpr std::uint32_t kMutedName = withAlphaByte(palette::kMuted, 0x73);
constexpr std::uint32_t kStrike = withAlphaByte(palette::kDanger, 0xCC);
constexpr std::uint32_t kBadgeMuted = withAlphaByte(palette::kMuted, 0x59);
constexpr std::uint32_t kBadge = withAlphaByte(palette::kAccent, 0xBF);
constexpr std::uint32_t kDotOther = withAlphaByte(palette::kAccent, 0x8C);
constexpr std::uint32_t kDotOff = withAlphaByte(palette::kBorder, 0xB3);
constexpr std::uint32_t kAddIdle = withAlphaByte(palette::kMuted, 0xA6);
constexpr std::uint32_t kAddHint = withAlphaByte(palette::kMuted, 0xB3);

constexpr const char* kHitsHelp = "click a hit to edit it, again for the base, right-click to remove";
constexpr const char* kGrooveHelp =
    "double-click a name to solo it  -  alt-click to mute  -  right-click to remove";

ui::Interaction button(const char* id, const ui::Rect& r) {
  ui::InteractSpec desc;
  desc.kind = ui::HitKind::Rectangle;
  desc.rect = r;
  desc.cursor = ImGuiMouseCursor_Arrow;
  return ui::interact(id, desc);
}

bool hasArea(const ui::Rect& r) { return r.width > 0.0f && r.height > 0.0f; }

template <class Fn>
void call(const Fn& fn, int i) {
  if (fn) fn(i);
}

}  // namespace

std::array<ImVec2, 21> roundedRectPath(const ui::Rect& box, float radius) {
  const float r = std::min({radius, box.width / 2.0f, box.height / 2.0f});
  const std::array<ImVec2, 4> centres = {
      ImVec2(box.x + box.width - r, box.y + r), ImVec2(box.x + box.width - r, box.y + box.height - r),
      ImVec2(box.x + r, box.y + box.height - r), ImVec2(box.x + r, box.y + r)};
  std::array<ImVec2, 21> path{};
  std::size_t n = 0;
  for (std::size_t arc = 0; arc < centres.size(); ++arc)
    for (int k = 0; k <= 4; ++k) {
      const double degrees = -90.0 + 90.0 * static_cast<double>(arc) + 22.5 * k;
      const double a = degrees * std::numbers::pi / 180.0;
      path[n++] = ImVec2(centres[arc].x + r * static_cast<float>(std::cos(a)),
                         centres[arc].y + r * static_cast<float>(std::sin(a)));
    }
  path[n] = path[0];
  return path;
}

ui::Rect BenchPage::rowRect(int i) const {
  const float s = ui::scale();
  const ui::Rect& area = rects.trackRows;
  const float bottom = area.y + std::max(area.height, 0.0f);
  const float top = std::min(area.y + static_cast<float>(i) * kRow * s, bottom);
  return {area.x, top, std::max(area.width, 0.0f), std::min(kRow * s, bottom - top)};
}

void BenchPage::handleTrackInput() {
  rateHovered_ = false;
  if (hasArea(rects.ratePill)) {
    const ui::Interaction it = button("rate", rects.ratePill);
    rateHovered_ = it.hovered;
    if ((it.pressed || it.doubleClicked || it.rightClicked) && cycleRate) cycleRate();
  }
  addHovered_ = false;
  if (rows.size() < ob::kMaxTracks) {
    const ui::Interaction it = button("add", rects.addRow);
    addHovered_ = it.hovered;
    if ((it.pressed || it.doubleClicked || it.rightClicked) && addTrack) addTrack();
  }
  // Every callback may rebuild the rows: the count is read again for each
  // row and nothing of a row is held across a call.
  for (int i = 0; static_cast<std::size_t>(i) < rows.size(); ++i) {
    ImGui::PushID(i);
    const ui::Interaction it = button("row", rowRect(i));
    ImGui::PopID();
    if (it.rightClicked) {
      call(selectTrack, i);
      call(openTrackMenu, i);
      continue;
    }
    if (it.pressed) call(it.altAtPress ? toggleMute : selectTrack, i);
    if (it.doubleClicked) {
      // The first click of a double-click has already acted.
      call(ImGui::GetIO().KeyAlt ? toggleMute : selectTrack, i);
      call(soloTrack, i);
    }
  }
}

void BenchPage::drawTracks(ImDrawList* dl) const {
  if (hasArea(rects.ratePill)) {
    ui::fillRect(dl, rects.ratePill, rateHovered_ ? kRateHovered : palette::kTrackFill, 4.0f);
    ui::drawText(dl, rects.ratePill, rateLabel, ui::TextStyle::Small,
                 rateHovered_ ? palette::kAccent : palette::kMuted, ui::TextAlign::Centre);
  }
  ui::drawText(dl, rects.hitsTitle, kHitsHelp, ui::TextStyle::Caption, palette::kMuted, ui::TextAlign::Right);
  ui::drawText(dl, rects.grooveTitle, kGrooveHelp, ui::TextStyle::Caption, palette::kMuted,
               ui::TextAlign::Right);
  for (int i = 0; static_cast<std::size_t>(i) < rows.size(); ++i) drawTrackRow(dl, i);
  if (rows.size() < ob::kMaxTracks) drawAddTrack(dl);
}

void BenchPage::drawTrackRow(ImDrawList* dl, int i) const {
  const float s = ui::scale();
  const TrackRow& row = rows[static_cast<std::size_t>(i)];
  const ui::Rect r = rowRect(i);
  const float yc = r.y + r.height / 2.0f;
  const bool selected = i == selectedTrack;
  const bool choked = row.chokeGroup >= 0 && row.chokeGroup < ob::kMaxTracks;
  if (selected)
    ui::fillRect(dl, {r.x, r.y + s, 3.0f * s, std::max(r.height - 2.0f * s, 0.0f)}, palette::kAccent);
  const std::uint32_t nameColour = row.muted ? kMutedName : selected ? palette::kLight : palette::kMuted;
  ui::drawText(dl, {r.x + 7.0f * s, r.y, (kNameColumn - (choked ? kBadgeRoom : 0.0f)) * s, r.height},
               row.label, ui::TextStyle::Small, nameColour);
  if (row.muted) {
    const float width = std::min(ui::measureText(row.label, ui::TextStyle::Small).x, kNameColumn * s);
    ui::fillRect(dl, {r.x + 7.0f * s, yc - 0.5f * s, width, s}, kStrike);
  }
  if (choked) {
    const ui::Rect badge{r.x + 63.0f * s, yc - 7.0f * s, 18.0f * s, 14.0f * s};
    const std::uint32_t colour = row.muted ? kBadgeMuted : kBadge;
    ui::strokeRect(dl, badge, colour, 4.0f, 1.0f);
    ui::drawText(dl, badge, std::string("G").append(std::to_string(row.chokeGroup + 1)),
                 ui::TextStyle::Caption, colour, ui::TextAlign::Centre);
  }
  const float free = std::max(r.width - kDotsLeft * s, 0.0f);
  const float pitch = (free - kDotsSlack * s) / 16.0f;
  for (std::size_t k = 0; k < row.steps.size(); ++k) {
    const ImVec2 c(r.x + kDotsLeft * s + pitch / 2.0f + static_cast<float>(k) * (pitch + 3.0f * s), yc);
    if (row.steps[k])
      ui::fillCircle(dl, c, 3.0f * s, selected ? palette::kAccent : kDotOther);
    else
      ui::fillCircle(dl, c, 1.5f * s, kDotOff);
  }
}

void BenchPage::drawAddTrack(ImDrawList* dl) const {
  const float s = ui::scale();
  const ui::Rect& A = rects.addRow;
  const ui::Rect box{A.x + 7.0f * s, A.y + s, kNameColumn * s, std::max(A.height - 2.0f * s, 0.0f)};
  const auto outline = roundedRectPath(box, 4.0f * s);
  ui::strokePath(dl, outline, addHovered_ ? palette::kAccent : palette::kBorder, 1.0f, 3.0f, 3.0f);
  ui::drawText(dl, box, "+ TRACK", ui::TextStyle::Small, addHovered_ ? palette::kAccent : kAddIdle,
               ui::TextAlign::Centre);
  if (addHovered_)
    ui::drawText(dl, {A.x + 90.0f * s, A.y, std::max(A.width - 90.0f * s, 0.0f), A.height},
                 "pick the machine for the new track", ui::TextStyle::Caption, kAddHint);
}

}  // namespace orbi
