#include "ui/draw/draw_log.h"

#include "ui/context.h"

namespace orbi::ui {

std::vector<const DrawRecord*> DrawLog::find(DrawOp op) const {
  std::vector<const DrawRecord*> found;
  for (const DrawRecord& r : records_)
    if (r.op == op) found.push_back(&r);
  return found;
}

DrawLog* activeDrawLog() { return context().drawLog(); }

}  // namespace orbi::ui
