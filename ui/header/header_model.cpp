#include "ui/header/header_model.h"

#include "ui/context.h"

namespace orbi::ui {

bool headerHasSecondRow(const HeaderModel& model) {
  return model.pages.size() > 1 || model.showSpare || model.transport.has_value();
}

float headerHeight(const HeaderModel& model) {
  return (headerHasSecondRow(model) ? 36.0f + 44.0f : 36.0f) * scale();
}

}  // namespace orbi::ui
