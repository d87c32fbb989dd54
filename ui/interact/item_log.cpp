#include "ui/interact/item_log.h"

#include <imgui_internal.h>

#include "ui/draw/draw_log.h"

namespace orbi::ui {

void logLastItem(const char* idText) {
  DrawLog* log = activeDrawLog();
  if (!log) return;
  const ImGuiLastItemData& item = GImGui->LastItemData;
  const ImRect& r = item.Rect;
  log->addItem({idText, item.ID, Rect{r.Min.x, r.Min.y, r.Max.x - r.Min.x, r.Max.y - r.Min.y},
                ImGuiMouseCursor_Arrow, ""});
}

}  // namespace orbi::ui
