#pragma once
// The theme's painters: the root window's background and frame decoration,
// the soft shadow behind panels and the vertical gradient fill of their
// bodies. Colours are 0xAARRGGBB; each paints nothing for an empty rect.

#include <imgui.h>

#include <cstdint>
#include <span>

#include "ui/geometry.h"

namespace orbi::ui {

struct GradientStop {
  float t;               // 0 at the top, 1 at the bottom
  std::uint32_t colour;  // 0xAARRGGBB
};

// The background colour with the skin tiled over it, 76 * scale pixels a
// tile, from the rect's top-left corner.
void paintBackground(ImDrawList* dl, const Rect& display);

// Under the view: a warm glow band fading inward from the frame; additive
// when the context has a blend hook.
void paintFrameBefore(ImDrawList* dl, const Rect& display);
// Over the view: four opaque black bars along the edges.
void paintFrameAfter(ImDrawList* dl, const Rect& display);

// Nine-slice soft shadow around the rect, strength 0..1, moved down by
// offset design units.
void drawShadow(ImDrawList* dl, const Rect& rect, float strength, float offset);

// Fills the rect with rounded corners (radius in pixels), its colour
// blended down through the stops.
void fillVerticalGradient(ImDrawList* dl, const Rect& rect, float radius,
                          std::span<const GradientStop> stops);

}  // namespace orbi::ui
