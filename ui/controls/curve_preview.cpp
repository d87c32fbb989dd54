#include "ui/controls/curve_preview.h"

#include <algorithm>

#include "ui/context.h"
#include "ui/draw/shapes.h"
#include "ui/theme/palette.h"

namespace orbi::ui {
namespace {

constexpr float kSide = 34.0f;
constexpr float kRadius = 6.0f;
constexpr float kCurveReach = 0.42f;  // a value of 1 plots this much of the area's height above its centre

constexpr std::uint32_t kHoverBorder = palette::kAccentHovered;
constexpr std::uint32_t kDimBorder = palette::kBorder;
using palette::kAccent;
constexpr std::uint32_t kDimCurve = palette::withAlphaByte(palette::kMuted, 0x80);

std::uint32_t background(bool dim) { return palette::withAlphaByte(palette::kDarkFill, dim ? 0x8C : 0xF2); }

void plotCurve(ImDrawList* dl, const Rect& square, const CurveSamples& curve, bool dim) {
  const Rect area = square.inset(4.0f * scale(), 4.0f * scale());
  const float centre = area.y + area.height / 2.0f;
  constexpr int kLast = kCurveSampleCount - 1;
  std::array<ImVec2, kLast / 2 + 1> points;
  for (int i = 0; i <= kLast; i += 2)
    points[i / 2] = ImVec2(area.x + area.width * static_cast<float>(i) / kLast,
                           centre - area.height * curve.values[i] * kCurveReach);
  drawPolyline(dl, points, dim ? kDimCurve : kAccent, 1.6f);
}

}  // namespace

CurvePreviewResult curvePreview(const char* id, const Rect& rect, const CurveSamples& curve,
                                const CurvePreviewOptions& options) {
  const float s = scale();
  const float d = std::max(0.0f, std::min({kSide * s, rect.width, rect.height}));
  const Rect square{rect.x + (rect.width - d) / 2.0f, rect.y + (rect.height - d) / 2.0f, d, d};

  // The caller acts on the decided axis; Shift or Alt at the press forces
  // vertical (interact reads the mode only when a press begins).
  const ImGuiIO& io = ImGui::GetIO();
  const bool forced = io.KeyShift || io.KeyAlt;
  InteractSpec desc;
  desc.kind = HitKind::Rectangle;
  desc.rect = square;
  desc.reach = 8.0f;
  desc.axis = forced ? DragAxis::Vertical : DragAxis::FirstMovement;
  desc.cursor = forced ? ImGuiMouseCursor_ResizeAll : ImGuiMouseCursor_ResizeNS;
  desc.tooltip = options.tooltip;
  const Interaction it = interact(id, desc);

  ImDrawList* dl = ImGui::GetWindowDrawList();
  fillRect(dl, square, background(options.dim), kRadius);
  const bool lit = it.hovered || it.held;
  const float w = lit ? 1.6f : 1.0f;
  const std::uint32_t border = lit ? kHoverBorder : options.dim ? kDimBorder : kAccent;
  strokeRect(dl, square.inset(w * s / 2.0f, w * s / 2.0f), border, kRadius, w);
  if (curve.valid) plotCurve(dl, square, curve, options.dim);
  return {it, square};
}

}  // namespace orbi::ui
