#include "ui/header/header_status.h"

#include <imgui.h>

#include <string>

#include "ui/context.h"
#include "ui/draw/text.h"
#include "ui/interact/interaction.h"
#include "ui/theme/palette.h"

namespace orbi::ui {
namespace {

constexpr float kStatusPadding = 4.0f;  // design pixels

// The full text when it was shortened, then the detail: empty for none.
std::string statusTooltip(const StatusMessage& message, bool shortened) {
  std::string tip;
  if (shortened) tip = message.text;
  if (!message.detail.empty()) {
    if (!tip.empty()) tip += '\n';
    tip += message.detail;
  }
  return tip;
}

}  // namespace

const StatusMessage& shownStatus(const HeaderStatus& status) {
  return status.overlay.text.empty() ? status.primary : status.overlay;
}

std::uint32_t statusColour(StatusTone tone) {
  switch (tone) {
    case StatusTone::Notice: return palette::kWarning;
    case StatusTone::Error: return palette::kDanger;
    default: return palette::kMuted;
  }
}

float statusWidth(const HeaderStatus& status) {
  const StatusMessage& message = shownStatus(status);
  if (message.text.empty()) return 0.0f;
  return measureText(message.text, TextStyle::Small).x + kStatusPadding * scale();
}

void drawStatus(const char* id, const Rect& rect, const HeaderStatus& status) {
  const StatusMessage& message = shownStatus(status);
  if (message.text.empty() || rect.width <= 0.0f || rect.height <= 0.0f) return;
  const bool shortened = fitTextToWidth(message.text, TextStyle::Small, rect.width).truncated;
  drawText(ImGui::GetWindowDrawList(), rect, message.text, TextStyle::Small, statusColour(message.tone),
           status.align);
  const std::string tip = statusTooltip(message, shortened);
  if (tip.empty()) return;
  InteractSpec desc;
  desc.kind = HitKind::Rectangle;
  desc.rect = rect;
  desc.reach = 8.0f;
  desc.cursor = ImGuiMouseCursor_Arrow;
  desc.tooltip = tip.c_str();
  interact(id, desc);
}

}  // namespace orbi::ui
