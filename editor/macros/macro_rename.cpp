// The rename popup of a macro cell, opened by a double-click on its name.

#include <imgui.h>

#include <algorithm>
#include <cstring>

#include "content/tools/utf8_fit.h"
#include "editor/macros/macro_panel.h"
#include "ui/context.h"
#include "ui/controls/text_field.h"
#include "ui/popups/popup.h"

namespace orbi {
namespace {

constexpr const char* kPopup = "macro.rename";
// The most bytes of UTF-8 a macro's name holds, as its command carries it.
constexpr std::size_t kNameBytes = sizeof(ob::EditCommand::text) - 1;

}  // namespace

void MacroPanel::renamePopup() {
  if (renameMacro < 0 || renameMacro >= ob::kMacroCount) return;
  const float s = ui::scale();
  if (renamePending) {
    ui::openPopup(kPopup);
    renameCutSaid = false;
  }
  if (!ui::beginAnchoredPopup(kPopup, cellRects[renameMacro], ImVec2(180.0f * s, 0.0f))) {
    renameMacro = -1;
    return;
  }
  if (renamePending) {
    ImGui::SetKeyboardFocusHere();
    renamePending = false;
  }
  const ImVec2 at = ImGui::GetCursorScreenPos();
  ui::TextFieldOptions options;
  options.fit = ui::SizeMode::Fill;
  options.hint = "macro name";
  // The field takes no more than the name holds, so that the name given is
  // the name seen, and says when it left some out.
  options.maxBytes = kNameBytes;
  const ui::TextFieldResult result =
      ui::textField("macro.renameField", {at.x, at.y, 160.0f * s, 24.0f * s}, renameText, options);
  // Said once a rename, however many keys the full field refuses.
  if (result == ui::TextFieldResult::Cut && !renameCutSaid) {
    pendingNotice = "A macro name holds " + std::to_string(kNameBytes) + " bytes: the rest was left out";
    renameCutSaid = true;
  }
  if (result == ui::TextFieldResult::Entered) {
    ob::EditCommand command;
    command.kind = ob::kEditMacroName;
    command.param = renameMacro;
    // Cut at a character boundary: a half character would leave the name,
    // and every document written from it, invalid UTF-8.
    const std::string_view name = ob::utf8Prefix(renameText, kNameBytes);
    std::memcpy(command.text, name.data(), name.size());
    ctx_.apply(command);
    ui::closePopup();
  } else if (result == ui::TextFieldResult::Escaped) {
    ui::closePopup();
  }
  ui::endPopup();
}

}  // namespace orbi
