// The presets menu: one item a preset, a section label where the group
// changes, and columns of about 16 entries.
#include <cstddef>

#include "editor/widgets/param_widget.h"

namespace orbi {
namespace {

constexpr int kColumnEntries = 16;

// How many presets from the first on, one after another, share its group.
int groupRun(const std::vector<ParamWidget::ResolvedPreset>& presets, std::size_t first) {
  int run = 0;
  for (std::size_t j = first; j < presets.size() && presets[j].group == presets[first].group; ++j) ++run;
  return run;
}

}  // namespace

std::vector<ui::MenuEntry> presetMenuEntries(const std::vector<ParamWidget::ResolvedPreset>& presets) {
  std::vector<ui::MenuEntry> entries;
  int count = 0;  // entries in the current column
  std::string current;
  for (std::size_t i = 0; i < presets.size(); ++i) {
    const ParamWidget::ResolvedPreset& preset = presets[i];
    if (!preset.group.empty() && preset.group != current) {
      if (count >= 1) {
        // A section that would overflow the column starts the next one.
        if (count + 1 + groupRun(presets, i) > kColumnEntries) {
          entries.push_back(ui::MenuEntry::columnBreak());
          count = 0;
        } else {
          entries.push_back(ui::MenuEntry::separator());
          ++count;
        }
      }
      entries.push_back(ui::MenuEntry::sectionLabel(preset.group));
      ++count;
      current = preset.group;
    } else if (preset.group.empty() && count >= kColumnEntries) {
      entries.push_back(ui::MenuEntry::columnBreak());
      count = 0;
    }
    entries.emplace_back(preset.name, static_cast<std::uint32_t>(i + 1));
    ++count;
  }
  return entries;
}

}  // namespace orbi
