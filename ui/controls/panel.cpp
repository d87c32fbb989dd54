#include "ui/controls/panel.h"

#include <algorithm>
#include <array>

#include "ui/context.h"
#include "ui/draw/shapes.h"
#include "ui/draw/text.h"
#include "ui/theme/painters.h"
#include "ui/theme/palette.h"

namespace orbi::ui {
namespace {

constexpr float kRadius = 8.0f;
constexpr float kPadding = 10.0f;
constexpr float kTitleTop = 2.0f;
constexpr float kTitleHeight = 24.0f;
constexpr float kTitleGap = 4.0f;

using palette::kBorder;
using palette::withAlphaByte;
constexpr std::uint32_t kHighlight = withAlphaByte(palette::kWhite, 0x0A);
constexpr std::uint32_t kTitle = palette::kMuted;
constexpr std::uint32_t kDivider = withAlphaByte(palette::kBorder, 0x59);

// The top colour, then its blend 0.55 of the way to transparent black, and
// 0.75 of the way from the top colour to that blend just below the top.
constexpr std::array<GradientStop, 3> kBody{{{0.0f, withAlphaByte(palette::kPanelTop, 0xCC)},
                                             {0.12f, withAlphaByte(palette::kPanelUpper, 0xCC)},
                                             {1.0f, withAlphaByte(palette::kPanelBottom, 0xCC)}}};

}  // namespace

Rect panelTitleRect(const Rect& rect) {
  const float s = scale();
  return {rect.x + kPadding * s, rect.y + kTitleTop * s, std::max(0.0f, rect.width - 2.0f * kPadding * s),
          kTitleHeight * s};
}

float titledPanelChrome() { return (kTitleTop + kTitleHeight + kTitleGap + kPadding) * scale(); }

Rect paintPanelFrame(ImDrawList* dl, const Rect& rect, std::string_view title) {
  const float s = scale();
  const float r = kRadius * s;
  drawShadow(dl, rect, 0.45f, 2.0f);
  fillVerticalGradient(dl, rect, r, kBody);
  drawLine(dl, ImVec2(rect.x + r, rect.y + 0.5f), ImVec2(rect.x + rect.width - r, rect.y + 0.5f), kHighlight,
           1.0f);
  strokeRect(dl, rect.inset(s / 2.0f, s / 2.0f), kBorder, kRadius, 1.0f);

  Rect content = rect.inset(kPadding * s, kPadding * s);
  if (title.empty()) return content;
  const Rect heading = panelTitleRect(rect);
  drawText(dl, heading, title, TextStyle::Heading, kTitle, TextAlign::Left);
  const float divider = heading.y + heading.height - 0.5f * s;
  drawLine(dl, ImVec2(rect.x + 6.0f * s, divider), ImVec2(rect.x + rect.width - 6.0f * s, divider), kDivider,
           1.0f);
  const float bottom = content.y + content.height;
  content.y = heading.y + heading.height + kTitleGap * s;
  content.height = std::max(0.0f, bottom - content.y);
  return content;
}

Panel::Panel(const Rect& rect, std::string_view title) : rect_(rect), drawList_(ImGui::GetWindowDrawList()) {
  content_ = paintPanelFrame(drawList_, rect, title);
  ImGui::PushClipRect(ImVec2(content_.x, content_.y),
                      ImVec2(content_.x + content_.width, content_.y + content_.height), true);
}

Panel::~Panel() {
  // Left by an exception, a window begun over the panel may still be open:
  // its clip rectangles are not the panel's, and the frame's recovery ends it.
  if (ImGui::GetWindowDrawList() == drawList_) ImGui::PopClipRect();
}

}  // namespace orbi::ui
