#include "editor/widgets/chain/chain_strip.h"

#include <algorithm>

#include "editor/widgets/widget_support.h"
#include "ui/context.h"
#include "ui/draw/shapes.h"
#include "ui/interact/interaction.h"

namespace orbi {
namespace {

using ob::chainstage::Stage;

constexpr float kAddWidth = 26.0f;
constexpr float kAddBox = 16.0f;
constexpr float kGap = 10.0f;
constexpr float kMinTile = 120.0f;
constexpr float kMaxTile = 300.0f;
constexpr const char* kPopup = "chain.addStage";
constexpr const char* kAddHelp =
    "ADD A STAGE - the chain every drum runs through.\n"
    "a stage appears here once it is doing something, and leaves when it is back to neutral";

}  // namespace

ChainStrip::Layout ChainStrip::layout(const ui::Rect& r) const {
  const float s = ui::scale();
  const float y = r.y + s;
  const float h = std::max(r.height - 2.0f * s, 0.0f);
  const float w = std::max(r.width, 0.0f);
  const float a = clampTo(kAddWidth * s, 0.0f, w);
  Layout out;
  out.addStage = {r.x + w - a, y, a, h};
  const auto n =
      static_cast<int>(std::count_if(stageActive.begin(), stageActive.end(), [](auto f) { return f != 0; }));
  if (n == 0) return out;
  const float free = w - a;
  const float gap = kGap * s;
  const float tile = std::max((free - (n - 1) * gap) / n, kMinTile * s);
  float x = r.x, rest = free;
  for (int i = 0; i < ob::chainstage::kStageCount; ++i) {
    if (!stageActive[static_cast<std::size_t>(i)]) continue;
    const float width = clampTo(std::min(kMaxTile * s, tile), 0.0f, rest);
    out.tiles[static_cast<std::size_t>(i)] = {x, y, width, h};
    x += width;
    rest -= width;
    const float g = clampTo(gap, 0.0f, rest);
    x += g;
    rest -= g;
  }
  return out;
}

void ChainStrip::draw(const ui::Rect& r) {
  ImGui::PushID(this);
  rect = r;
  const Layout l = layout(r);
  drawAddStage(l.addStage);
  for (int i = 0; i < ob::chainstage::kStageCount; ++i)
    if (stageActive[static_cast<std::size_t>(i)])
      drawTile(static_cast<Stage>(i), l.tiles[static_cast<std::size_t>(i)]);
  ImGui::PopID();
}

void ChainStrip::drawTile(Stage stage, const ui::Rect& r) {
  switch (stage) {
    case Stage::TRANSIENT: transient.draw(r); break;
    case Stage::AMP: amp.draw(r); break;
    case Stage::DRIVE: drive.draw(r); break;
    case Stage::FILTER: filter.draw(r); break;
    case Stage::ROOM: room.draw(r); break;
  }
}

void ChainStrip::drawAddStage(const ui::Rect& a) {
  const float s = ui::scale();
  const float side = std::max(kAddBox * s, 0.0f);
  const ui::Rect box{a.x + (a.width - kAddBox * s) / 2.0f, a.y + (a.height - kAddBox * s) / 2.0f, side, side};
  tooltipText = kAddHelp;
  ui::InteractSpec desc;
  desc.kind = ui::HitKind::Rectangle;
  desc.rect = box;
  desc.reach = 8.0f;
  desc.cursor = ImGuiMouseCursor_Hand;
  desc.tooltip = tooltipText.c_str();
  const ui::Interaction it = ui::interact("chain.add", desc);

  ImDrawList* dl = ImGui::GetWindowDrawList();
  ui::strokeRect(dl, box, withAlpha(palette::kMuted, it.hovered ? 0.55f : 0.3f), 3.0f, 1.0f);
  const ImVec2 c(box.x + box.width / 2.0f, box.y + box.height / 2.0f);
  const std::uint32_t plus = withAlpha(palette::kMuted, it.hovered ? 0.9f : 0.5f);
  const float arm = 4.0f * s;
  ui::drawLine(dl, ImVec2(c.x - arm, c.y), ImVec2(c.x + arm, c.y), plus, 1.0f);
  ui::drawLine(dl, ImVec2(c.x, c.y - arm), ImVec2(c.x, c.y + arm), plus, 1.0f);

  addStageEntries.clear();
  for (int i = 0; i < ob::chainstage::kStageCount; ++i)
    if (!stageActive[static_cast<std::size_t>(i)])
      addStageEntries.emplace_back(ob::chainstage::stageName(static_cast<Stage>(i)),
                                   static_cast<std::uint32_t>(i + 1));
  if (it.clicked && !addStageEntries.empty()) ui::openPopupAt(kPopup);
  const ui::MenuChoice choice = ui::popupMenu(kPopup, addStageEntries);
  if (choice.command && *choice.command >= 1 && *choice.command <= ob::chainstage::kStageCount && onAddStage)
    onAddStage(static_cast<Stage>(*choice.command - 1));
}

}  // namespace orbi
