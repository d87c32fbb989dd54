#pragma once
// Dear ImGui indexes vertices with 16 bits counted from a command's vertex
// offset, and a new offset starts only between primitives: one primitive of
// more than 65,535 vertices wraps its indices and is drawn wrong. Long point
// lists are therefore drawn as several primitives, runs that share their
// joint point so the shape stays continuous.

#include <imgui.h>

#include <algorithm>
#include <cstddef>
#include <initializer_list>

namespace orbi::ui {

// Calls draw(first, count) for consecutive runs of at most maxRun points
// covering 0..total-1, each starting at the previous run's last point.
// Nothing for fewer than two points.
template <typename Draw>
void forEachRun(std::size_t total, std::size_t maxRun, Draw&& draw) {
  if (total < 2) return;
  for (std::size_t first = 0; first + 1 < total; first += maxRun - 1)
    draw(first, std::min(maxRun, total - first));
}

// One rung of a strip: its two ends and their colour (packed).
struct StripRung {
  ImVec2 a, b;
  ImU32 colour;
};

// Fills between consecutive rungs 0..total-1 (rungAt(i) gives rung i), two
// triangles each, written straight into the draw list with the atlas's
// white texel; runs of at most 32,000 rungs.
template <typename RungAt>
void fillStrip(ImDrawList* dl, std::size_t total, RungAt&& rungAt) {
  constexpr std::size_t kRungsPerRun = 32000;
  const ImVec2 uv = ImGui::GetIO().Fonts->TexUvWhitePixel;
  forEachRun(total, kRungsPerRun, [&](std::size_t first, std::size_t count) {
    dl->PrimReserve(static_cast<int>(6 * (count - 1)), static_cast<int>(2 * count));
    const unsigned base = dl->_VtxCurrentIdx;
    for (std::size_t i = first; i < first + count; ++i) {
      const StripRung rung = rungAt(i);
      dl->PrimWriteVtx(rung.a, uv, rung.colour);
      dl->PrimWriteVtx(rung.b, uv, rung.colour);
    }
    for (std::size_t i = 0; i + 1 < count; ++i) {
      const unsigned a0 = base + 2 * static_cast<unsigned>(i), b0 = a0 + 1, a1 = a0 + 2, b1 = a0 + 3;
      for (unsigned idx : {a0, a1, b1, a0, b1, b0}) dl->PrimWriteIdx(static_cast<ImDrawIdx>(idx));
    }
  });
}

}  // namespace orbi::ui
