#include "editor/header/edit_param.h"

#include <utility>

#include "editor/editor_context.h"
#include "engine/clock/tempo.h"
#include "ui/controls/value_text.h"

namespace orbi {

EditParam::EditParam(EditorContext& context, ui::ParamSpec desc, Getter getter, Maker maker)
    : context_(context), desc_(std::move(desc)), getter_(std::move(getter)), maker_(std::move(maker)) {}

float EditParam::value() const { return getter_(context_.project(), context_.selectedPart()); }

void EditParam::setValue(float v) {
  ob::EditCommand command = maker_(ui::clampToParam(desc_, v));
  context_.apply(command);
}

std::string EditParam::format(float v) const { return ui::formatParamValue(desc_, v); }

std::optional<float> EditParam::parse(std::string_view text) const { return ui::parseParamText(desc_, text); }

std::string EditParam::refusal(std::string_view text) const { return ui::paramTextRefusal(desc_, text); }

EditParam makeBpmParam(EditorContext& context) {
  ui::ParamSpec desc;
  desc.name = "BPM";
  desc.min = 40.0f;
  desc.max = 240.0f;
  desc.defaultValue = ob::kDefaultTempo;
  desc.unit = ui::ParamUnit::Plain;
  desc.curve = ui::ParamCurve::Linear;
  desc.stepped = true;
  desc.help = "BPM - drag to set the tempo, double-click to type";
  return EditParam(
      context, std::move(desc),
      [](const ob::Project& project, std::int32_t part) { return project.patterns[part].bpm; },
      [](float bpm) {
        ob::EditCommand command;
        command.kind = ob::kEditBpm;
        command.value = bpm;
        return command;
      });
}

}  // namespace orbi
