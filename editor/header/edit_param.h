#pragma once
// A framework control's parameter over a project value: it reads the value
// of the selected part through a getter and writes it back as an edit
// command through the context, so a header field edits the project as any
// other gesture does, with undo. Main thread only.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "engine/model/edit_command.h"
#include "engine/model/project.h"
#include "ui/controls/param.h"

namespace orbi {

class EditorContext;

class EditParam final : public ui::Param {
 public:
  using Getter = std::function<float(const ob::Project&, std::int32_t part)>;
  using Maker = std::function<ob::EditCommand(float)>;

  EditParam(EditorContext& context, ui::ParamSpec desc, Getter getter, Maker maker);

  const ui::ParamSpec& spec() const override { return desc_; }
  float value() const override;
  // Clamped and snapped to the parameter before it becomes a command.
  void setValue(float v) override;
  void beginEdit() override {}
  void endEdit() override {}
  std::string format(float v) const override;
  std::optional<float> parse(std::string_view text) const override;
  std::string refusal(std::string_view text) const override;

 private:
  EditorContext& context_;
  ui::ParamSpec desc_;
  Getter getter_;
  Maker maker_;
};

// The header's tempo: whole BPM from 40 to 240 of the selected part.
EditParam makeBpmParam(EditorContext& context);

}  // namespace orbi
