#include "editor/widgets/bench/bench_page.h"

#include <algorithm>

#include "editor/widgets/widget_support.h"
#include "ui/context.h"
#include "ui/controls/panel.h"
#include "ui/draw/text.h"

namespace orbi {
namespace {

constexpr float kRow = 16.0f;
constexpr float kGrooveChrome = 40.0f;  // title and padding of a panel
constexpr float kPanelGap = 10.0f;
constexpr float kSide = 10.0f;
constexpr float kTop = 30.0f;
constexpr float kHitsMin = 68.0f;
constexpr float kHitsMax = 108.0f;
constexpr float kHitsShare = 0.32f;
constexpr float kVelocityHeight = 54.0f;
constexpr float kChainActive = 62.0f;
constexpr float kChainIdle = 16.0f;
constexpr float kRatePillWidth = 46.0f;
constexpr float kRatePillHeight = 18.0f;
constexpr float kRatePillGap = 12.0f;
constexpr int kMaxDrawerRows = ParamDrawer::kFaderCount;

// A panel's content box: 10 at the sides and bottom, 30 at the top.
ui::Rect contentOf(const ui::Rect& panel, float s) {
  return {panel.x + kSide * s, panel.y + kTop * s, std::max(panel.width - 2.0f * kSide * s, 0.0f),
          std::max(panel.height - (kTop + kSide) * s, 0.0f)};
}

ui::Rect titleStripOf(const ui::Rect& panel, float s) {
  return {panel.x + kSide * s, panel.y + 2.0f * s, std::max(panel.width - 2.0f * kSide * s, 0.0f), 24.0f * s};
}

// A band off the bottom of the box, kept within what is left of it.
ui::Rect takeBottom(ui::Rect& box, float height) {
  const float band = clampTo(height, 0.0f, box.height);
  box.height -= band;
  return {box.x, box.y + box.height, box.width, band};
}

}  // namespace

BenchPage::BenchPage() {
  grid.onSelect = [this](int step) {
    if (selectStep) selectStep(step);
  };
  grid.onToggle = [this](int step) {
    if (toggleStep) toggleStep(step);
  };
}

BenchPage::Rects BenchPage::layoutOf(const ui::Rect& page, const LayoutInput& in, float s) {
  Rects out;
  out.page = page;
  const float x = page.x, y = page.y, w = std::max(page.width, 0.0f), h = std::max(page.height, 0.0f);
  const int n = std::max(in.rowCount, 0);
  const float rowsShown = static_cast<float>(std::max(n, 1) + (n < kMaxTracks ? 1 : 0));
  const float G = clampTo(rowsShown * kRow * s + kGrooveChrome * s, 0.0f, h);
  out.groovePanel = {x, y + h - G, w, G};
  float r = h - G;
  r -= clampTo(kPanelGap * s, 0.0f, r);
  const float H = clampTo(clampTo(kHitsShare * (r - kGrooveChrome * s), kHitsMin * s, kHitsMax * s) + kGrooveChrome * s,
                          0.0f, r);
  out.hitsPanel = {x, y, w, H};
  r -= H;
  const float g = clampTo(kPanelGap * s, 0.0f, r);
  out.anatomyPanel = {x, y + H + g, w, r - g};
  out.hitsTitle = titleStripOf(out.hitsPanel, s);
  out.grooveTitle = titleStripOf(out.groovePanel, s);
  out.hitsGrid = contentOf(out.hitsPanel, s);
  if (in.titleWidth >= 0.0f)
    out.ratePill = {out.hitsTitle.x + kRatePillGap * s + in.titleWidth,
                    out.hitsTitle.y + (out.hitsTitle.height - kRatePillHeight * s) / 2.0f, kRatePillWidth * s,
                    kRatePillHeight * s};

  ui::Rect box = contentOf(out.anatomyPanel, s);
  out.velocity = takeBottom(box, kVelocityHeight * s);
  takeBottom(box, kPanelGap * s);
  out.chainStrip = takeBottom(box, (in.anyStageActive ? kChainActive : kChainIdle) * s);
  takeBottom(box, kPanelGap * s);
  const int drawerRows = std::clamp(in.drawerRows, 0, kMaxDrawerRows);
  out.drawer = takeBottom(box, std::min(kRow * s * static_cast<float>(drawerRows), box.height / 2.0f));
  if (out.drawer.height > 0.0f) takeBottom(box, kPanelGap * s);
  out.mainArea = box;

  ui::Rect groove = contentOf(out.groovePanel, s);
  if (n < kMaxTracks) out.addRow = takeBottom(groove, kRow * s);
  out.trackRows = groove;
  return out;
}

void BenchPage::layout() {
  LayoutInput in;
  in.rowCount = static_cast<int>(rows.size());
  in.anyStageActive = std::any_of(chain.stageActive.begin(), chain.stageActive.end(), [](auto f) { return f != 0; });
  // A hidden drawer reserves no band.
  in.drawerRows = showDrawer ? static_cast<int>(drawer.rows.size()) : 0;
  if (!rateLabel.empty()) in.titleWidth = ui::measureText(shownTitle(), ui::TextStyle::Heading).x;
  rects = layoutOf(rects.page, in, ui::scale());
}

void BenchPage::draw(const ui::Rect& page) {
  rects.page = page;
  ImGui::PushID(this);
  layout();
  ImDrawList* dl = ImGui::GetWindowDrawList();
  ui::paintPanelFrame(dl, rects.hitsPanel, shownTitle());
  ui::paintPanelFrame(dl, rects.anatomyPanel, "Anatomy");
  ui::paintPanelFrame(dl, rects.groovePanel, "Groove");
  handleTrackInput();
  drawTracks(dl);
  grid.draw(rects.hitsGrid);
  if (showAnatomy) anatomy.draw(rects.mainArea);
  if (showSampler) sampler.draw(rects.mainArea);
  chain.draw(rects.chainStrip);
  if (showDrawer) {
    ImGui::PushID("drawer");
    drawer.draw(rects.drawer);
    ImGui::PopID();
  }
  velocity.draw(rects.velocity);
  ImGui::PopID();
}

}  // namespace orbi
