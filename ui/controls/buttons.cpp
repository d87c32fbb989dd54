#include "ui/controls/buttons.h"

#include <algorithm>
#include <cmath>

#include "ui/context.h"
#include "ui/draw/shapes.h"
#include "ui/draw/text.h"
#include "ui/interact/interaction.h"
#include "ui/theme/colour.h"
#include "ui/theme/palette.h"

namespace orbi::ui {
namespace {

using palette::kAccentDim;
using palette::kBorder;
using palette::kGreenDeep;
constexpr std::uint32_t kAccentGreen = palette::kAccent;
constexpr std::uint32_t kLightText = palette::kLight;
constexpr std::uint32_t kDarkText = palette::kBackground;

struct Colours {
  std::uint32_t fill;
  std::uint32_t text;
};

Colours variantColours(ButtonVariant variant) {
  switch (variant) {
    case ButtonVariant::Accent: return {kGreenDeep, kAccentGreen};
    case ButtonVariant::Danger:
      // The warning red blended 0.55 of the way towards the normal fill.
      return {palette::kDangerDeep, kLightText};
    default: return {palette::kGreenButton, kLightText};
  }
}

Colours buttonColours(const ButtonStyle& style, ButtonState state, bool toggled) {
  Colours c = toggled ? Colours{kAccentGreen, kDarkText} : variantColours(style.variant);
  if (state.held)
    c.fill = toggled ? kAccentDim : kGreenDeep;
  else if (state.hovered)
    c.fill = lerpColor(c.fill, palette::withAlphaByte(palette::kWhite, c.fill >> 24), 0.08f);
  if (style.disabled) {
    const float alpha = static_cast<float>(c.fill >> 24);
    c.fill = palette::withAlphaByte(c.fill, static_cast<std::uint8_t>(alpha * 0.5f + 0.5f));
    c.text = palette::withAlphaByte(c.text, 0x80);
  }
  return c;
}

TextStyle labelStyle(const ButtonStyle& style) { return style.compact ? TextStyle::Small : TextStyle::Body; }

float naturalHeight(const ButtonStyle& style) { return (style.compact ? 18.0f : 24.0f) * scale(); }

// The face: an icon when there is a painter, else the label.
struct Face {
  std::string_view label;
  const IconPainter* painter = nullptr;
};

void paintButton(const Rect& f, const ButtonStyle& style, ButtonState state, bool toggled, const Face& face) {
  ImDrawList* dl = ImGui::GetWindowDrawList();
  const float s = scale();
  const Colours c = buttonColours(style, state, toggled);
  const float radius = style.compact ? 4.0f : 6.0f;
  fillRect(dl, f, c.fill, radius);
  strokeRect(dl, f, toggled ? kAccentDim : kBorder, radius, 1.0f);
  if (face.painter) {
    const float d = 0.6f * std::min(f.width, f.height);
    const Rect box{f.x + (f.width - d) / 2.0f, f.y + (f.height - d) / 2.0f, d, d};
    if (*face.painter) (*face.painter)(dl, box, packColour(c.text));
  } else {
    const Rect text{f.x + 6.0f * s, f.y, std::max(0.0f, f.width - 12.0f * s), f.height};
    drawText(dl, text, face.label, labelStyle(style), c.text, TextAlign::Centre);
  }
}

// Lays out, runs and paints one button of the natural size; the flag, when
// given, is flipped by a click before painting.
bool runButton(const char* id, const Rect& rect, ImVec2 natural, const ButtonStyle& style,
               const char* tooltip, bool* flag, bool toggled, const Face& face) {
  const ScaleToFit fit(rect, style.width, natural, style.align, Align::Centre);
  ButtonState state;
  if (!style.disabled) {
    InteractSpec desc;
    desc.kind = HitKind::Rectangle;
    desc.rect = fit.rect();
    desc.reach = 8.0f;
    desc.cursor = ImGuiMouseCursor_Hand;
    desc.tooltip = tooltip;
    const Interaction it = interact(id, desc);
    state = {it.clicked && it.hovered, it.hovered, it.held};
  }
  if (flag && state.clicked) *flag = !*flag;
  paintButton(fit.rect(), style, state, flag ? *flag : toggled, face);
  return state.clicked;
}

}  // namespace

ImVec2 iconButtonSize(std::string_view label, const ButtonStyle& style) {
  const float s = scale();
  const float labelWidth = measureText(label, labelStyle(style)).x;
  return ImVec2(std::max(28.0f * s + labelWidth, (style.compact ? 44.0f : 64.0f) * s), naturalHeight(style));
}

bool iconButton(const char* id, const Rect& rect, std::string_view label, const ButtonStyle& style) {
  return runButton(id, rect, iconButtonSize(label, style), style, style.tooltip, nullptr, false, {label});
}

bool iconToggle(const char* id, const Rect& rect, std::string_view label, bool& flag,
                const ButtonStyle& style) {
  return runButton(id, rect, iconButtonSize(label, style), style, style.tooltip, &flag, false, {label});
}

bool painterButton(const char* id, const Rect& rect, const IconPainter& painter, const char* tooltip,
                   bool toggled, const ButtonStyle& style) {
  const float side = naturalHeight(style);
  return runButton(id, rect, ImVec2(side, side), style, tooltip, nullptr, toggled, {{}, &painter});
}

}  // namespace orbi::ui
