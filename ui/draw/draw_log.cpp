#include "ui/draw/draw_log.h"

#include "ui/context.h"
#include "ui/interact/tooltip.h"

namespace orbi::ui {
namespace {

// Half the side of the square a handle's disc and ring fill, design pixels.
constexpr float kHandleReach = 6.0f;

}  // namespace

std::vector<const DrawRecord*> DrawLog::find(DrawOp op) const {
  std::vector<const DrawRecord*> found;
  for (const DrawRecord& r : records_)
    if (r.op == op) found.push_back(&r);
  return found;
}

const ItemRecord* DrawLog::findItem(std::string_view idText) const {
  for (const ItemRecord& item : items_)
    if (item.idText == idText) return &item;
  return nullptr;
}

const HandleRecord* DrawLog::findHandle(const void* owner, std::string_view name) const {
  for (const HandleRecord& h : handles_)
    if (h.owner == owner && h.name == name) return &h;
  return nullptr;
}

void logHandle(const void* owner, std::string_view name, ImVec2 centre, HandleAxes axes, bool held) {
  // A handle scrolled or clipped out of sight is not there to be taken.
  const ImDrawList* dl = ImGui::GetWindowDrawList();
  const ImVec2 lo = dl->GetClipRectMin(), hi = dl->GetClipRectMax();
  if (centre.x < lo.x || centre.y < lo.y || centre.x >= hi.x || centre.y >= hi.y) return;
  const float reach = kHandleReach * scale();
  keepTooltipClearOf({centre.x - reach, centre.y - reach, 2.0f * reach, 2.0f * reach});
  if (DrawLog* log = activeDrawLog())
    log->addHandle({owner, std::string(name), centre, (axes & kAlongX) != 0, (axes & kAlongY) != 0, held});
}

DrawLog* activeDrawLog() { return context().drawLog(); }

}  // namespace orbi::ui
