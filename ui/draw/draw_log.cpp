#include "ui/draw/draw_log.h"

#include "ui/context.h"

namespace orbi::ui {

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

DrawLog* activeDrawLog() { return context().drawLog(); }

}  // namespace orbi::ui
