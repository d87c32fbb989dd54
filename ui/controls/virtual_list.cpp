#include "ui/controls/virtual_list.h"

#include <algorithm>
#include <cmath>

#include "ui/context.h"
#include "ui/controls/child_region.h"
#include "ui/draw/shapes.h"
#include "ui/frame_recovery.h"
#include "ui/interact/interaction.h"
#include "ui/theme/palette.h"

namespace orbi::ui {
namespace {

constexpr std::uint32_t kSelectedFill = palette::withAlphaByte(palette::kGreenSoft, 0x73);
constexpr std::uint32_t kHoveredFill = palette::withAlphaByte(palette::kGreenHover, 0x80);
constexpr std::uint32_t kAccentBar = palette::kAccent;
constexpr float kAccentBarWidth = 3.0f;

// Ends the child and pops the list's two style values on every way out,
// a painter that throws included.
class ListRegion {
 public:
  ListRegion(const char* id, const Rect& rect) {
    ImGui::PushStyleVar(ImGuiStyleVar_ItemSpacing, ImVec2(0.0f, 0.0f));
    ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(0.0f, 0.0f));
    beginChildRegion(id, rect, ImGuiWindowFlags_NoBackground);
    window_.began();
  }
  ~ListRegion() {
    if (window_.unwinding())
      window_.endAfterException();
    else
      ImGui::EndChild();
    ImGui::PopStyleVar(2);
  }
  ListRegion(const ListRegion&) = delete;
  ListRegion& operator=(const ListRegion&) = delete;

 private:
  ScopeWindow window_;
};

void paintRowBackground(ImDrawList* dl, const ListRow& row) {
  if (row.selected) fillRect(dl, row.rect, kSelectedFill);
  if (row.hovered) fillRect(dl, row.rect, kHoveredFill);
  if (row.selected)
    fillRect(dl, {row.rect.x, row.rect.y, kAccentBarWidth * scale(), row.rect.height}, kAccentBar);
}

// One visible row: its interaction, its painting, and the cursor moved past it.
void runRow(std::int32_t i, float h, std::int32_t& selected, const RowPainter& painter, ListResult& result) {
  const ImVec2 at = ImGui::GetCursorScreenPos();
  ListRow row;
  row.index = i;
  row.rect = {at.x, at.y, std::max(0.0f, ImGui::GetContentRegionAvail().x), h};

  InteractSpec desc;
  desc.kind = HitKind::Rectangle;
  desc.rect = row.rect;
  ImGui::PushID(i);
  const Interaction it = interact("row", desc);
  ImGui::PopID();
  if (it.clicked && it.hovered && i != selected) {
    selected = i;
    result.selectionChanged = true;
  }
  if (it.doubleClicked) result.doubleClicked = i;
  if (it.rightClicked) result.rightClicked = i;

  row.selected = i == selected;
  row.hovered = it.hovered;
  ImDrawList* dl = ImGui::GetWindowDrawList();
  paintRowBackground(dl, row);
  if (painter) painter(dl, row);
  ImGui::Dummy(ImVec2(row.rect.width, h));
}

}  // namespace

ListResult virtualList(const char* id, const Rect& rect, std::int32_t count, std::int32_t& selected,
                       float rowHeight, const RowPainter& painter, std::int32_t reveal) {
  ListResult result;
  ListRegion region(id, rect);
  // Dear ImGui's clipper asserts on rows that do not move the cursor down.
  const float h = std::max(1.0f, rowHeight * scale());
  if (count <= 0 || !std::isfinite(h)) return result;
  if (reveal >= 0 && reveal < count) {
    const float top = static_cast<float>(reveal) * h;
    const float view = ImGui::GetWindowHeight();
    const float scroll = ImGui::GetScrollY();
    if (top < scroll || top + h > scroll + view) ImGui::SetScrollY(std::max(0.0f, top - (view - h) / 2.0f));
  }
  ImGuiListClipper clipper;  // its destructor ends it, also when a painter throws
  clipper.Begin(count, h);
  while (clipper.Step())
    for (std::int32_t i = clipper.DisplayStart; i < clipper.DisplayEnd; ++i)
      runRow(i, h, selected, painter, result);
  return result;
}

}  // namespace orbi::ui
