#include "ui/shortcuts.h"

#include "ui/context.h"
#include "ui/store.h"

namespace orbi::ui {

bool shortcutsBlocked() {
  return ImGui::GetIO().WantTextInput ||
         ImGui::IsPopupOpen("", ImGuiPopupFlags_AnyPopupId | ImGuiPopupFlags_AnyPopupLevel);
}

std::optional<Shortcut> shortcutPressed() {
  if (shortcutsBlocked()) return std::nullopt;
  for (const ShortcutEntry& entry : shortcutTable) {
    if (!chordPressed(entry.chord)) continue;
    const Consumed& consumed = store<Consumed>(context(), kConsumedKey);
    if (consumed.frame == ImGui::GetFrameCount() && consumed.command == entry.command) return std::nullopt;
    return entry.command;
  }
  return std::nullopt;
}

void markShortcutConsumed(Shortcut command) {
  store<Consumed>(context(), kConsumedKey) = {ImGui::GetFrameCount(), command};
}

}  // namespace orbi::ui
