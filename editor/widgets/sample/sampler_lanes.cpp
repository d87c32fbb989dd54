#include "editor/widgets/sample/sampler_lanes.h"

#include <algorithm>

#include "ui/context.h"
#include "ui/draw/shapes.h"
#include "ui/theme/palette.h"

namespace orbi {
namespace {

// A lane's frame, title strip and content margins take 32 of its row, so
// the middle lanes and SPEED keep 14 for their picture, readout and caption.
// The AMP row and the gaps are their larger sizes when the panel can spare
// it; a panel at its floor gives every lane 14 of content and the gaps 4.
constexpr float kAmpRow = 56.0f;
constexpr float kAmpRowLeast = 46.0f;
constexpr float kMiddleRow = 46.0f;
constexpr float kSpeedRow = 46.0f;
constexpr float kGap = 8.0f;
constexpr float kGapLeast = 4.0f;
constexpr float kLeastSample = 72.0f;  // a sample view whose handles can all be taken
constexpr std::uint32_t kConnector = ui::palette::withAlphaByte(ui::palette::kMuted, 0x99);

// Takes up to c (not below 0) from the height left.
float cut(float& left, float c) {
  const float taken = std::min(std::max(c, 0.0f), left);
  left -= taken;
  return taken;
}

// A low panel gives its upper rows little or no height: a row with none
// shows nothing and takes no gestures, a short one paints only inside
// itself (its title and pills would otherwise run over the row below).
// Popups and the typed entry are windows of their own and stay whole.
template <typename View>
void drawInRow(ImDrawList* dl, const ui::Rect& row, View& view) {
  if (row.height < 1.0f || row.width < 1.0f) return;
  dl->PushClipRect(ImVec2(row.x, row.y), ImVec2(row.x + row.width, row.y + row.height), true);
  view.draw(row);
  dl->PopClipRect();
}

}  // namespace

SamplerLanes::Layout SamplerLanes::layout(const ui::Rect& r, std::uint32_t mode, float s) {
  Layout out;
  const float width = std::max(r.width, 0.0f);
  float left = std::max(r.height, 0.0f);
  const auto row = [&](float height) {
    const float taken = cut(left, height);
    return ui::Rect{r.x, r.y + left, width, taken};
  };
  out.hasMiddle = mode == kTone || mode == kGrains;
  // What the panel has past its floor goes to the AMP row, then the gaps.
  const float spare = std::max(left - floorHeight(mode, s), 0.0f);
  const float ampExtra = std::min(spare, (kAmpRow - kAmpRowLeast) * s);
  const float gapExtra = std::min((spare - ampExtra) / (out.hasMiddle ? 3.0f : 2.0f), (kGap - kGapLeast) * s);
  // Each gap as (its top, its bottom), kept from the bottom up.
  std::vector<std::pair<float, float>> gaps;
  const auto gap = [&] {
    const float bottom = r.y + left;
    const float taken = cut(left, kGapLeast * s + gapExtra);
    gaps.emplace_back(bottom - taken, bottom);
  };
  out.amp = row(kAmpRowLeast * s + ampExtra);
  gap();
  if (out.hasMiddle) {
    out.middle = row(kMiddleRow * s);
    gap();
  }
  out.speed = row(kSpeedRow * s);
  gap();
  out.sample = {r.x, r.y, r.width, left};
  out.connectorX = r.x + r.width / 2.0f;
  for (auto it = gaps.rbegin(); it != gaps.rend(); ++it)
    if (it->second > it->first) {
      out.connectors.emplace_back(out.connectorX, it->first);
      out.connectors.emplace_back(out.connectorX, it->second);
    }
  return out;
}

float SamplerLanes::floorHeight(std::uint32_t mode, float s) {
  const bool middle = mode == kTone || mode == kGrains;
  return (kLeastSample + kGapLeast + kSpeedRow + kGapLeast + (middle ? kMiddleRow + kGapLeast : 0.0f) +
          kAmpRowLeast) *
         s;
}

float SamplerLanes::roomyHeight(std::uint32_t mode, float s) {
  const bool middle = mode == kTone || mode == kGrains;
  return floorHeight(mode, s) + (kAmpRow - kAmpRowLeast + (middle ? 3.0f : 2.0f) * (kGap - kGapLeast)) * s;
}

void SamplerLanes::draw(const ui::Rect& r) {
  ImGui::PushID(this);
  lastRect = r;
  const Layout rows = layout(r, mode, ui::scale());
  ImDrawList* dl = ImGui::GetWindowDrawList();
  for (std::size_t i = 0; i + 1 < rows.connectors.size(); i += 2)
    ui::drawLine(dl, rows.connectors[i], rows.connectors[i + 1], kConnector, 1.0f, 3.0f, 3.0f);
  drawInRow(dl, rows.sample, sampleView);
  drawInRow(dl, rows.speed, speed);
  if (mode == kTone) drawInRow(dl, rows.middle, tone);
  if (mode == kGrains) drawInRow(dl, rows.middle, grains);
  drawInRow(dl, rows.amp, amp);
  ImGui::PopID();
}

}  // namespace orbi
