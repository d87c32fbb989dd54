#include "ui/interact/item_log.h"

#include "ui/draw/draw_log.h"
#include "ui/imgui_adapter.h"

namespace orbi::ui {

void logLastItem(const char* idText) {
  DrawLog* log = activeDrawLog();
  if (!log) return;
  log->addItem({idText, lastItemId(), lastItemRect(), ImGuiMouseCursor_Arrow, ""});
}

}  // namespace orbi::ui
