#include "editor/widgets/param_widget.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace orbi {
namespace {

bool hasKey(const ParamSlot& slot) { return slot.info.id && *slot.info.id; }

}  // namespace

void ParamWidget::setSlots(std::vector<ParamSlot> newSlots) {
  slots = std::move(newSlots);
  modMarks.assign(slots.size(), ModMarks{});
}

void ParamWidget::setPresets(std::vector<ResolvedPreset> newPresets) { presets = std::move(newPresets); }

bool ParamWidget::changeParam(int slot, float value) {
  if (slot < 0 || static_cast<std::size_t>(slot) >= slots.size()) return false;
  const ParamSlot& target = slots[static_cast<std::size_t>(slot)];
  const float kept = value > target.info.max   ? target.info.max
                     : value < target.info.min ? target.info.min
                                               : value;
  if (kept == target.value) return false;
  setParam(slot, kept);
  return true;
}

void ParamWidget::setParam(int slot, float value) {
  if (slot < 0 || static_cast<std::size_t>(slot) >= slots.size()) return;
  ParamSlot& target = slots[static_cast<std::size_t>(slot)];
  // The maximum is tested first, so a reversed range stores its maximum.
  if (value > target.info.max)
    value = target.info.max;
  else if (value < target.info.min)
    value = target.info.min;
  target.value = value;
  const int id = target.id;
  if (onChange && id >= 0) onChange(id, value);
}

void ParamWidget::applyPreset(const ResolvedPreset& preset) {
  // Each onChange may rebuild this widget, replacing the list the preset
  // lives in: work on copies.
  ParamPairs pairs = preset.values;
  const std::function<bool(ParamPairs&)> filter = preset.filter;
  if (filter && !filter(pairs)) return;
  for (const auto& [id, value] : pairs) {
    for (ParamSlot& slot : slots)
      if (slot.id == id) slot.value = value;
    if (onChange) onChange(id, value);
  }
}

int ParamWidget::findSlot(const char* key) const {
  if (!key) return -1;
  for (std::size_t i = 0; i < slots.size(); ++i)
    if (hasKey(slots[i]) && std::strcmp(slots[i].info.id, key) == 0) return static_cast<int>(i);
  return -1;
}

const char* ParamWidget::slotName(int slot) const {
  if (slot < 0 || static_cast<std::size_t>(slot) >= slots.size()) return "";
  const ParamSlot& named = slots[static_cast<std::size_t>(slot)];
  return named.name != nullptr ? named.name : named.info.id != nullptr ? named.info.id : "";
}

std::string ParamWidget::hint() const {
  std::vector<std::string_view> labels;
  for (std::size_t i = 0; i < slots.size(); ++i) {
    if (!hasKey(slots[i])) continue;
    const std::string_view label = slotName(static_cast<int>(i));
    if (std::find(labels.begin(), labels.end(), label) == labels.end()) labels.push_back(label);
  }
  std::string joined;
  for (std::string_view label : labels) {
    if (!joined.empty()) joined += " / ";
    joined += label;
  }
  if (title.empty()) return joined;
  if (joined.empty()) return title;
  return title + ": " + joined;
}

}  // namespace orbi
