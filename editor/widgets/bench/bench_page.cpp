#include "editor/widgets/bench/bench_page.h"

#include <algorithm>

#include "editor/widgets/widget_support.h"
#include "ui/context.h"
#include "ui/controls/panel.h"
#include "ui/draw/text.h"

namespace orbi {

BenchPage::BenchPage() {
  grid.onSelect = [this](int step) {
    if (selectStep) selectStep(step);
  };
  grid.onToggle = [this](int step) {
    if (toggleStep) toggleStep(step);
  };
}

BenchPage::LayoutInput BenchPage::layoutInput() const {
  const float s = ui::scale();
  LayoutInput in;
  in.rowCount = static_cast<int>(rows.size());
  in.anyStageActive =
      std::any_of(chain.stageActive.begin(), chain.stageActive.end(), [](auto f) { return f != 0; });
  in.velocityFolded = velocity.folded();
  // A hidden drawer reserves no band.
  in.drawerRows = showDrawer ? static_cast<int>(drawer.rows.size()) : 0;
  if (showAnatomy) in.mainFloor = anatomyFloorHeight(anatomy.hasSecondHit, s);
  if (showSampler) in.mainFloor = std::max(in.mainFloor, SamplerLanes::floorHeight(sampler.mode, s));
  in.mainRoomy =
      showSampler ? std::max(in.mainFloor, SamplerLanes::roomyHeight(sampler.mode, s)) : in.mainFloor;
  if (!rateLabel.empty()) in.titleWidth = ui::measureText(shownTitle(), ui::TextStyle::Heading).x;
  return in;
}

void BenchPage::layout() { rects = layoutOf(rects.page, layoutInput(), ui::scale()); }

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
