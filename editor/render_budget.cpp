#include "editor/render_budget.h"

namespace orbi {

RenderBudget::RenderBudget(double shareMs) : start_(Clock::now()), shareMs_(shareMs) {}

bool RenderBudget::allows() const {
  if (pieces_ == 0) return true;
  return std::chrono::duration<double, std::milli>(Clock::now() - start_).count() < shareMs_;
}

}  // namespace orbi
