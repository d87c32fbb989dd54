#include "ui/popups/dialogs.h"

#include <imgui.h>

#include <algorithm>
#include <optional>

#include "ui/context.h"
#include "ui/controls/buttons.h"
#include "ui/controls/text_field.h"
#include "ui/draw/text.h"
#include "ui/frame_recovery.h"
#include "ui/keys.h"
#include "ui/popups/popup_text.h"
#include "ui/style_scope.h"
#include "ui/theme/colour.h"
#include "ui/theme/palette.h"

namespace orbi::ui {
namespace {

constexpr std::uint32_t kModalBackground = palette::kModalFill;
constexpr ImGuiWindowFlags kModalFlags =
    ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoSavedSettings;

constexpr float kButtonWidth = 84.0f;
constexpr float kButtonHeight = 24.0f;
constexpr float kButtonGap = 8.0f;
constexpr float kFieldHeight = 24.0f;

// One frame of a modal: begun when its popup is open, ended and its style
// popped on every way out. A decision other than Open closes it.
class Modal {
 public:
  explicit Modal(const char* id) : open_(ImGui::IsPopupOpen(id)) {
    if (!open_) return;
    centreNextModal();
    style_.emplace(12.0f, 8.0f);
    ImGui::PushStyleColor(ImGuiCol_PopupBg, colourToVec4(kModalBackground));
    began_ = ImGui::BeginPopupModal(id, nullptr, kModalFlags);
    ImGui::PopStyleColor();
    if (began_) window_.began();
  }
  ~Modal() {
    if (!began_) return;
    if (window_.unwinding())
      window_.endAfterException();
    else
      ImGui::EndPopup();
  }
  Modal(const Modal&) = delete;
  Modal& operator=(const Modal&) = delete;

  bool open() const { return open_; }
  bool began() const { return began_; }

  DialogResult decide(DialogResult result) {
    if (result != DialogResult::Open) ImGui::CloseCurrentPopup();
    return result;
  }

 private:
  bool open_ = false;
  bool began_ = false;
  std::optional<StyleVarScope> style_;
  ScopeWindow window_;
};

// A dialog with one button has nothing else for Return to give.
bool returnCancels(const char* cancelLabel, ReturnGives returns) {
  return cancelLabel && returns == ReturnGives::Cancel;
}

bool enterPressed() { return keyPressed(Key::Enter) || keyPressed(Key::KeypadEnter); }

DialogResult fromClick(ConfirmClick click) {
  switch (click) {
    case ConfirmClick::Accept: return DialogResult::Accepted;
    case ConfirmClick::Cancel: return DialogResult::Cancelled;
    default: return DialogResult::Open;
  }
}

// The text-entry dialog's field over the value, across the dialog, taking
// the keyboard as the dialog first shows. True when Enter was pressed in it.
bool entryField(std::string& value) {
  const ImVec2 at = ImGui::GetCursorScreenPos();
  const Rect row{at.x, at.y, std::max(0.0f, ImGui::GetContentRegionAvail().x), kFieldHeight * scale()};
  TextFieldOptions options;
  options.fit = SizeMode::Fill;
  if (ImGui::IsWindowAppearing()) ImGui::SetKeyboardFocusHere();
  const TextFieldResult result = textField("text", row, value, options);
  return result == TextFieldResult::Entered;
}

}  // namespace

void centreNextModal() {
  const ImVec2 display = ImGui::GetIO().DisplaySize;
  const float s = scale();
  ImGui::SetNextWindowPos(ImVec2(display.x * 0.5f, display.y * 0.45f), ImGuiCond_Appearing,
                          ImVec2(0.5f, 0.5f));
  ImGui::SetNextWindowSizeConstraints(ImVec2(300.0f * s, 0.0f), ImVec2(520.0f * s, display.y * 0.8f));
}

void modalHeading(std::string_view title, std::string_view text) {
  styledText(upperCased(title), TextStyle::Heading, kPopupLabelColour);
  if (text.empty()) return;
  pushTextStyle(TextStyle::Body);
  ImGui::PushTextWrapPos(ImGui::GetCursorPosX() + 460.0f * scale());
  ImGui::TextUnformatted(text.data(), text.data() + text.size());
  ImGui::PopTextWrapPos();
  popTextStyle();
}

ConfirmClick confirmButtons(const char* acceptLabel, const char* cancelLabel, ReturnGives returns) {
  const float s = scale();
  const float w = kButtonWidth * s, h = kButtonHeight * s, gap = kButtonGap * s;
  ImVec2 at = ImGui::GetCursorScreenPos();
  at.y += 4.0f * s;
  ImGui::SetCursorScreenPos(at);
  const float row = std::max(ImGui::GetContentRegionAvail().x, 2.0f * w + gap);

  const bool cancelIsDefault = returnCancels(cancelLabel, returns);
  ButtonStyle style;
  style.variant = cancelIsDefault ? ButtonVariant::Normal : ButtonVariant::Accent;
  style.align = Align::Centre;
  ConfirmClick click = ConfirmClick::Neither;
  if (iconButton("##accept", {at.x + row - w, at.y, w, h}, acceptLabel ? acceptLabel : "", style))
    click = ConfirmClick::Accept;
  if (cancelLabel) {
    style.variant = cancelIsDefault ? ButtonVariant::Accent : ButtonVariant::Normal;
    if (iconButton("##cancel", {at.x + row - 2.0f * w - gap, at.y, w, h}, cancelLabel, style))
      click = ConfirmClick::Cancel;
  }
  ImGui::Dummy(ImVec2(row, h));
  return click;
}

DialogResult messageDialog(const char* id, std::string_view title, std::string_view text,
                           const char* acceptLabel, const char* cancelLabel, ReturnGives returns) {
  Modal modal(id);
  if (!modal.open()) return DialogResult::NotOpen;
  if (!modal.began()) return DialogResult::Open;
  modalHeading(title, text);
  DialogResult result = fromClick(confirmButtons(acceptLabel, cancelLabel, returns));
  if (enterPressed())
    result = returnCancels(cancelLabel, returns) ? DialogResult::Cancelled : DialogResult::Accepted;
  if (keyPressed(Key::Escape)) result = cancelLabel ? DialogResult::Cancelled : DialogResult::Accepted;
  return modal.decide(result);
}

DialogResult textEntryDialog(const char* id, std::string_view title, std::string_view text,
                             std::string* value, const char* acceptLabel) {
  Modal modal(id);
  if (!modal.open()) return DialogResult::NotOpen;
  if (!modal.began()) return DialogResult::Open;
  modalHeading(title, text);
  DialogResult result = DialogResult::Open;
  if (value && entryField(*value)) result = DialogResult::Accepted;
  const ConfirmClick click = confirmButtons(acceptLabel, "Cancel");
  if (click != ConfirmClick::Neither) result = fromClick(click);
  if (keyPressed(Key::Escape)) result = DialogResult::Cancelled;
  return modal.decide(result);
}

}  // namespace orbi::ui
