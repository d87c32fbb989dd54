#include "ui/link.h"

#include <imgui.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

#include "ui/context.h"
#include "ui/draw/shapes.h"
#include "ui/draw/text.h"
#include "ui/interact/interaction.h"
#include "ui/platform/system_opener.h"
#include "ui/theme/colour.h"
#include "ui/theme/palette.h"

namespace orbi::ui {
namespace {

using palette::kAccent;

Rect textRect(const Rect& rect, ImVec2 size, TextAlign alignment) {
  const float width = std::min(rect.width, size.x);
  float x = rect.x;
  if (alignment == TextAlign::Centre)
    x += (rect.width - width) / 2.0f;
  else if (alignment == TextAlign::Right)
    x += rect.width - width;
  return {x, rect.y + rect.height / 2.0f - size.y / 2.0f, width, size.y};
}

}  // namespace

bool openLink(std::string_view target) {
  if (openWithSystem(target)) return true;
  std::fprintf(stderr, "orbi-ui: the system could not open %.*s\n", static_cast<int>(target.size()),
               target.data());
  return false;
}

bool link(const char* id, const Rect& rect, std::string_view text, std::string_view target,
          TextAlign alignment, std::string_view tooltip) {
  const Rect box = textRect(rect, measureText(text, TextStyle::Body), alignment);
  const std::string tip(tooltip.empty() ? target : tooltip);
  InteractSpec desc;
  desc.kind = HitKind::Rectangle;
  desc.rect = box;
  desc.reach = 8.0f;
  desc.cursor = ImGuiMouseCursor_Hand;
  desc.tooltip = tip.c_str();
  const Interaction hit = interact(id, desc);

  const std::uint32_t colour = hit.hovered ? lerpColor(kAccent, palette::kWhite, 0.25f) : kAccent;
  ImDrawList* dl = ImGui::GetWindowDrawList();
  drawText(dl, box, text, TextStyle::Body, colour, TextAlign::Left);
  if (hit.hovered) {
    const std::array<ImVec2, 2> underline{ImVec2(box.x, box.y + box.height),
                                          ImVec2(box.x + box.width, box.y + box.height)};
    drawPolyline(dl, underline, colour, 1.0f);
  }
  if (!(hit.clicked && hit.hovered)) return false;
  openLink(target);
  return true;
}

}  // namespace orbi::ui
