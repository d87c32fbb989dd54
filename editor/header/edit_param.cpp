#include "editor/header/edit_param.h"

#include <utility>

#include "editor/editor_context.h"
#include "ui/controls/value_text.h"

namespace orbi {

EditParam::EditParam(EditorContext& context, ui::ParamSpec spec, Getter getter, Maker maker)
    : context_(context), spec_(std::move(spec)), getter_(std::move(getter)), maker_(std::move(maker)) {}

float EditParam::value() const { return getter_(context_.project(), context_.selectedPart()); }

void EditParam::setValue(float v) {
  ob::EditCommand command = maker_(ui::clampToParam(spec_, v));
  context_.apply(command);
}

std::string EditParam::format(float v) const { return ui::formatParamValue(spec_, v); }

std::optional<float> EditParam::parse(std::string_view text) const { return ui::parseParamText(spec_, text); }

EditParam makeBpmParam(EditorContext& context) {
  ui::ParamSpec spec;
  spec.name = "BPM";
  spec.min = 40.0f;
  spec.max = 240.0f;
  spec.defaultValue = 120.0f;
  spec.unit = ui::ParamUnit::Plain;
  spec.curve = ui::ParamCurve::Linear;
  spec.stepped = true;
  spec.help = "BPM - drag to set the tempo, double-click to type";
  return EditParam(
      context, std::move(spec),
      [](const ob::Project& project, std::int32_t part) { return project.patterns[part].bpm; },
      [](float bpm) {
        ob::EditCommand command;
        command.kind = ob::kEditBpm;
        command.value = bpm;
        return command;
      });
}

}  // namespace orbi
