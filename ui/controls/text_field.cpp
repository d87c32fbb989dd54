#include "ui/controls/text_field.h"

#include <imgui.h>

#include <algorithm>

#include "ui/context.h"
#include "ui/draw/shapes.h"
#include "ui/draw/text.h"
#include "ui/imgui_adapter.h"
#include "ui/interact/item_log.h"
#include "ui/interact/tooltip.h"
#include "ui/keys.h"
#include "ui/theme/colour.h"
#include "ui/theme/palette.h"

namespace orbi::ui {
namespace {

constexpr float kWidth = 200.0f;
constexpr float kHeight = 24.0f;
constexpr float kCompactHeight = 18.0f;

constexpr std::uint32_t kFill = palette::kTrackFill;
constexpr std::uint32_t kBorder = palette::kBorder;
constexpr std::uint32_t kHint = palette::kDisabledText;
constexpr std::uint32_t kFocusBorder = palette::kAccentDim;

TextStyle fieldStyle(const TextFieldOptions& options) {
  if (options.mono) return TextStyle::Mono;
  return options.compact ? TextStyle::Small : TextStyle::Body;
}

// The frame look of the input, for as long as the scope lives.
class FieldStyle {
 public:
  FieldStyle(const Rect& field, float textPx) {
    const float s = scale();
    ImGui::PushStyleVar(ImGuiStyleVar_FramePadding,
                        ImVec2(6.0f * s, std::max(0.0f, (field.height - textPx * s) / 2.0f)));
    ImGui::PushStyleVar(ImGuiStyleVar_FrameRounding, 4.0f * s);
    ImGui::PushStyleVar(ImGuiStyleVar_FrameBorderSize, s);
    ImGui::PushStyleColor(ImGuiCol_FrameBg, colourToVec4(kFill));
    ImGui::PushStyleColor(ImGuiCol_Border, colourToVec4(kBorder));
    ImGui::PushStyleColor(ImGuiCol_TextDisabled, colourToVec4(kHint));
  }
  ~FieldStyle() {
    ImGui::PopStyleColor(3);
    ImGui::PopStyleVar(3);
  }
  FieldStyle(const FieldStyle&) = delete;
  FieldStyle& operator=(const FieldStyle&) = delete;
};

}  // namespace

TextFieldResult textField(const char* id, const Rect& rect, std::string& text,
                          const TextFieldOptions& options) {
  const float s = scale();
  const ImVec2 natural(kWidth * s, (options.compact ? kCompactHeight : kHeight) * s);
  const ScaleToFit fit(rect, {options.fit, 0.0f}, natural, options.align, Align::Centre);
  const Rect& field = fit.rect();
  const TextStyle style = fieldStyle(options);

  ImGui::SetCursorScreenPos(ImVec2(field.x, field.y));
  ImGui::SetNextItemWidth(field.width);
  const FieldStyle look(field, textStyleSpec(style).px);
  // Before the input, which takes the key for itself.
  const bool escape = keyPressed(Key::Escape);
  pushTextStyle(style);
  const std::string label = std::string("##") + id;
  TextInput input;
  input.hint = options.hint;
  input.flags = ImGuiInputTextFlags_EnterReturnsTrue;
  if (options.decimal) input.flags |= ImGuiInputTextFlags_CharsDecimal;
  input.maxBytes = options.maxBytes;
  const TextInputOutcome outcome = inputText(label.c_str(), text, input);
  logLastItem(label.c_str());
  const bool enter = outcome.returned;
  const bool edited = ImGui::IsItemEdited();
  const bool deactivated = ImGui::IsItemDeactivated();
  const bool active = ImGui::IsItemActive();
  popTextStyle();
  if (active) strokeRect(ImGui::GetWindowDrawList(), field, kFocusBorder, 4.0f, 1.0f);
  if (options.tooltip) tooltip(options.tooltip);

  if (enter) return TextFieldResult::Entered;
  if (deactivated) return escape ? TextFieldResult::Escaped : TextFieldResult::Left;
  if (outcome.cut) return TextFieldResult::Cut;
  return edited ? TextFieldResult::Edited : TextFieldResult::Nothing;
}

}  // namespace orbi::ui
