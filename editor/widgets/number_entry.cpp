#include "editor/widgets/number_entry.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "editor/widgets/widget_support.h"
#include "ui/controls/number_entry.h"
#include "ui/controls/typed_unit.h"
#include "ui/imgui_adapter.h"

namespace orbi {
namespace {

constexpr float kSmallestSpan = 1e-6f;
// The box's id, in the entry's own id scope: the same whichever scope the
// owner opens or draws it from.
constexpr const char* kBoxId = "entry";

}  // namespace

std::string NumberEntry::Value::format(float v) const {
  return valueText(v, spec_.max - spec_.min, unit_ ? unit_ : "");
}

bool NumberEntry::Value::showsAFraction() const {
  return *unit_ == '\0' && ui::isFractionRange(spec_.min, spec_.max);
}

std::optional<float> NumberEntry::Value::parse(std::string_view text) const {
  std::string_view rest;
  const std::optional<float> number = readLeadingNumber(text, &rest);
  if (!number) return std::nullopt;
  const std::optional<double> factor = ui::typedUnitFactor(unit_, rest, showsAFraction());
  if (!factor) return std::nullopt;
  const float value = static_cast<float>(*number * *factor);
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

std::string NumberEntry::Value::refusal(std::string_view text) const {
  std::string_view rest;
  if (!readLeadingNumber(text, &rest) || ui::typedUnitFactor(unit_, rest, showsAFraction())) return {};
  return ui::unitRefusal(unit_, showsAFraction());
}

void NumberEntry::Value::describe(std::string_view name, float lo, float hi, const char* unit) {
  spec_.name.assign(name);
  spec_.min = std::min(lo, hi);
  spec_.max = std::max(lo, hi);
  unit_ = unit ? unit : "";
}

void NumberEntry::open(ImVec2 anchor, const Request& request, float height) {
  // Written so that a range of nan is refused too.
  if (!(std::fabs(request.hi - request.lo) >= kSmallestSpan)) return;
  openId_ = request.id;
  lo_ = request.lo;
  hi_ = request.hi;
  value.describe(request.label ? request.label : "", request.lo, request.hi, request.unit);
  value.setValue(request.value);
  box_ = ui::numberEntryBox(anchor, height);
  const ui::OwnerIdScope scope(this);
  ui::beginNumberEntry(kBoxId, anchor, value, height);
}

void NumberEntry::draw(const ui::Rect& panel) {
  if (openId_ >= 0) {
    ui::NumberEntryResult result;
    {
      const ui::OwnerIdScope scope(this);
      result = ui::numberEntry(kBoxId, value);
    }
    if (result == ui::NumberEntryResult::Editing) return;
    const int id = std::exchange(openId_, -1);
    if (result == ui::NumberEntryResult::Committed) {
      committedId_ = id;
      if (onCommit) onCommit(id, clampBetween(value.value(), lo_, hi_));
    }
  }
  if (committedId_ < 0) return;
  // After the commit: the value may have moved its handle, or gone.
  const std::optional<Shown> shown = shownAt ? shownAt(committedId_) : Shown{box_, panel};
  const ui::OwnerIdScope scope(this);
  if (!shown || !ui::keepHeldNote(kBoxId, shown->handle, shown->panel)) committedId_ = -1;
}

}  // namespace orbi
