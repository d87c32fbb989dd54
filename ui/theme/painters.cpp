#include "ui/theme/painters.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <vector>

#include "ui/clamp.h"
#include "ui/context.h"
#include "ui/draw/mesh_runs.h"
#include "ui/theme/colour.h"
#include "ui/theme/palette.h"
#include "ui/theme/skin.h"

namespace orbi::ui {
namespace {

constexpr float kSkinTile = 76.0f;
constexpr float kFrameBand = 5.0f;
constexpr float kGlowDepth = 40.0f;
constexpr int kGlowRings = 29;
constexpr float kShadowSpread = 12.0f;
constexpr float kShadowCorner = 20.0f;  // in pixels of the glow image, and design units on screen

bool hasArea(const Rect& r) { return r.width > 0.0f && r.height > 0.0f; }

ImU32 alphaByte(float a) { return static_cast<ImU32>(clamp01NanTo0(a) * 255.0f + 0.5f); }

ImTextureID atlasTexture() { return ImGui::GetIO().Fonts->TexID; }

// The band's inner edge: the display inset by the frame, sizes at least 0.
Rect frameInner(const Rect& r, float band) {
  return {r.x + band, r.y + band, std::max(0.0f, r.width - 2.0f * band),
          std::max(0.0f, r.height - 2.0f * band)};
}

float frameBand(const Rect& r) { return std::min(std::min(r.width, r.height) / 2.0f, kFrameBand * scale()); }

// The colour at u (0 top, 1 bottom) between the stops.
std::uint32_t gradientAt(std::span<const GradientStop> stops, float u) {
  if (u <= stops.front().t) return stops.front().colour;
  for (std::size_t i = 1; i < stops.size(); ++i) {
    if (stops[i].t < u) continue;
    const float span = stops[i].t - stops[i - 1].t;
    return lerpColor(stops[i - 1].colour, stops[i].colour, span > 0.0f ? (u - stops[i - 1].t) / span : 1.0f);
  }
  return stops.back().colour;
}

// Sample rows: the arcs of both rounded ends and one row per stop, sorted,
// with rows closer than 0.01 to the last one kept dropped.
std::vector<float> gradientRows(const Rect& rect, float r, std::span<const GradientStop> stops) {
  const int n = std::max(4, static_cast<int>(r / 1.5f));
  std::vector<float> rows;
  rows.reserve(2 * (n + 1) + stops.size());
  for (int k = 0; k <= n; ++k) {
    rows.push_back(rect.y + k * r / n);
    rows.push_back(rect.y + rect.height - k * r / n);
  }
  for (const GradientStop& stop : stops)
    rows.push_back(rect.y + std::clamp(stop.t, 0.0f, 1.0f) * rect.height);
  std::sort(rows.begin(), rows.end());
  std::vector<float> kept;
  for (float y : rows)
    if (kept.empty() || y - kept.back() > 0.01f) kept.push_back(y);
  return kept;
}

}  // namespace

void paintBackground(ImDrawList* dl, const Rect& display) {
  const ImVec2 lo(display.x, display.y), hi(display.x + display.width, display.y + display.height);
  dl->AddRectFilled(lo, hi, packColour(palette::kBackground));
  if (!hasArea(display)) return;
  const float tile = kSkinTile * scale();
  if (!(tile > 0.0f)) return;
  const UvRect uv = skinUv();
  dl->PushClipRect(lo, hi, true);
  for (int row = 0; display.y + row * tile < hi.y; ++row)
    for (int col = 0; display.x + col * tile < hi.x; ++col) {
      const ImVec2 p(display.x + col * tile, display.y + row * tile);
      dl->AddImage(atlasTexture(), p, ImVec2(p.x + tile, p.y + tile), uv.min, uv.max);
    }
  dl->PopClipRect();
}

void paintFrameBefore(ImDrawList* dl, const Rect& display) {
  if (!hasArea(display)) return;
  const Rect inner = frameInner(display, frameBand(display));
  const float depth = std::min(std::min(inner.width, inner.height) * 0.45f, kGlowDepth * scale());
  const ImDrawCallback hook = context().additiveBlendHook();
  const float strength = hook ? 0.2f : 0.24f;
  if (hook) dl->AddCallback(hook, nullptr);
  constexpr int kStrips = kGlowRings - 1;
  dl->PrimReserve(kStrips * 4 * 6, kGlowRings * 4);
  const ImVec2 uv = ImGui::GetIO().Fonts->TexUvWhitePixel;
  const unsigned base = dl->_VtxCurrentIdx;
  for (int i = 0; i < kGlowRings; ++i) {
    const float t = static_cast<float>(i) / kStrips;
    const float in = t * depth;
    const float fade = (1.0f - (3.0f - 2.0f * t) * t * t) * strength;
    const ImU32 colour = packColour(palette::kGlow | alphaByte(fade) << 24);
    const float x0 = inner.x + in, y0 = inner.y + in;
    const float x1 = inner.x + inner.width - in, y1 = inner.y + inner.height - in;
    for (ImVec2 corner : {ImVec2(x0, y0), ImVec2(x1, y0), ImVec2(x1, y1), ImVec2(x0, y1)})
      dl->PrimWriteVtx(corner, uv, colour);
  }
  // Between ring i and ring i + 1: one quadrilateral per side.
  for (int i = 0; i < kStrips; ++i) {
    const unsigned outer = base + 4 * i, inside = outer + 4;
    for (unsigned side = 0; side < 4; ++side) {
      const unsigned next = (side + 1) % 4;
      const unsigned quad[] = {outer + side, outer + next, inside + next, inside + side};
      for (int k : {0, 1, 2, 0, 2, 3}) dl->PrimWriteIdx(static_cast<ImDrawIdx>(quad[k]));
    }
  }
  if (hook) dl->AddCallback(ImDrawCallback_ResetRenderState, nullptr);
}

void paintFrameAfter(ImDrawList* dl, const Rect& display) {
  if (!hasArea(display)) return;
  const float b = frameBand(display);
  const float x1 = display.x + display.width, y1 = display.y + display.height;
  const ImU32 black = packColour(palette::kBlack);
  dl->AddRectFilled(ImVec2(display.x, display.y), ImVec2(x1, display.y + b), black);
  dl->AddRectFilled(ImVec2(display.x, y1 - b), ImVec2(x1, y1), black);
  dl->AddRectFilled(ImVec2(display.x, display.y + b), ImVec2(display.x + b, y1 - b), black);
  dl->AddRectFilled(ImVec2(x1 - b, display.y + b), ImVec2(x1, y1 - b), black);
}

void drawShadow(ImDrawList* dl, const Rect& rect, float strength, float offset) {
  const float s = scale();
  const Rect shadow{rect.x - kShadowSpread * s, rect.y - kShadowSpread * s + offset * s,
                    std::max(rect.width + 2.0f * kShadowSpread * s, 0.0f),
                    std::max(rect.height + 2.0f * kShadowSpread * s, 0.0f)};
  const float corner = std::min(std::min(shadow.width, shadow.height) / 2.0f, kShadowCorner * s);
  const float xs[] = {shadow.x, shadow.x + corner, shadow.x + shadow.width - corner, shadow.x + shadow.width};
  const float ys[] = {shadow.y, shadow.y + corner, shadow.y + shadow.height - corner,
                      shadow.y + shadow.height};
  const UvRect uv = glowUv();
  const ImVec2 texel = ImGui::GetIO().Fonts->TexUvScale;
  const float us[] = {uv.min.x, uv.min.x + kShadowCorner * texel.x, uv.max.x - kShadowCorner * texel.x,
                      uv.max.x};
  const float vs[] = {uv.min.y, uv.min.y + kShadowCorner * texel.y, uv.max.y - kShadowCorner * texel.y,
                      uv.max.y};
  const ImU32 tint = IM_COL32(255, 255, 255, alphaByte(strength));
  for (int j = 0; j < 3; ++j)
    for (int i = 0; i < 3; ++i) {
      if (!(xs[i + 1] - xs[i] > 0.0f && ys[j + 1] - ys[j] > 0.0f)) continue;
      dl->AddImage(atlasTexture(), ImVec2(xs[i], ys[j]), ImVec2(xs[i + 1], ys[j + 1]), ImVec2(us[i], vs[j]),
                   ImVec2(us[i + 1], vs[j + 1]), tint);
    }
}

void fillVerticalGradient(ImDrawList* dl, const Rect& rect, float radius,
                          std::span<const GradientStop> stops) {
  if (!hasArea(rect) || stops.empty()) return;
  const float r = clampTo(radius, 0.0f, std::min(rect.width, rect.height) / 2.0f);
  const std::vector<float> rows = gradientRows(rect, r, stops);
  if (rows.size() < 2) return;
  fillStrip(dl, rows.size(), [&](std::size_t k) {
    const float y = rows[k];
    const float d = std::min(y - rect.y, rect.y + rect.height - y);
    const float inset = d < r ? r - std::sqrt(std::max(r * r - (r - d) * (r - d), 0.0f)) : 0.0f;
    const ImU32 colour = packColour(gradientAt(stops, (y - rect.y) / rect.height));
    return StripRung{ImVec2(rect.x + inset, y), ImVec2(rect.x + rect.width - inset, y), colour};
  });
}

}  // namespace orbi::ui
