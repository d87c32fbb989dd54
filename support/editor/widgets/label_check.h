#pragma once
// Whether a drawn label can be read: nothing a widget drew before it (a
// line, a curve, a waveform column, a disc) passes through its glyphs,
// unless a plate was filled over that mark and under the text. Read from
// the draw log; inside a frame's UI context (the glyph box is measured).

#include <algorithm>
#include <cmath>
#include <span>
#include <string>

#include "ui/draw/draw_log.h"
#include "ui/draw/text.h"
#include "ui/geometry.h"

namespace orbi::test {

// The segment's stroke, as a chain of small boxes along it.
inline bool strokeMeets(ImVec2 a, ImVec2 b, float half, const ui::Rect& box) {
  const float length = std::hypot(b.x - a.x, b.y - a.y);
  const int steps = std::max(1, static_cast<int>(std::ceil(length)));
  for (int i = 0; i <= steps; ++i) {
    const float t = static_cast<float>(i) / static_cast<float>(steps);
    const ImVec2 p(a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t);
    if (ui::Rect{p.x - half, p.y - half, 2.0f * half, 2.0f * half}.overlaps(box)) return true;
  }
  return false;
}

// What the record draws inside the box: strokes at their scaled width,
// waveform columns at least half a pixel high, discs.
inline bool markMeets(const ui::DrawRecord& r, const ui::Rect& box, float scale) {
  switch (r.op) {
    case ui::DrawOp::Line:
    case ui::DrawOp::Polyline:
    case ui::DrawOp::StrokePath:
      for (std::size_t i = 1; i < r.points.size(); ++i)
        if (strokeMeets(r.points[i - 1], r.points[i], 0.5f * r.width * scale, box)) return true;
      return false;
    case ui::DrawOp::FillBand:
      for (std::size_t i = 0; i < r.points.size(); ++i) {
        const float top = std::min(r.points[i].y, r.partners[i].y),
                    bottom = std::max(r.points[i].y, r.partners[i].y);
        if (bottom - top >= 0.5f && ui::Rect{r.points[i].x, top, r.width, bottom - top}.overlaps(box))
          return true;
      }
      return false;
    case ui::DrawOp::FillCircle:
      return ui::Rect{r.points[0].x - r.radius, r.points[0].y - r.radius, 2.0f * r.radius, 2.0f * r.radius}
          .overlaps(box);
    default: return false;
  }
}

inline bool covers(const ui::Rect& outer, const ui::Rect& inner) {
  return outer.x <= inner.x && outer.y <= inner.y && outer.x + outer.width >= inner.x + inner.width &&
         outer.y + outer.height >= inner.y + inner.height;
}

// The first mark under the text record's glyphs that no plate covers, as
// its index in the records; -1 when the label reads clear. The glyphs are
// the text's advance less a pixel on every side, where no glyph inks.
// Without plates, a mark a plate hides counts too: the label did not find
// a place where nothing is drawn.
inline int markUnderText(std::span<const ui::DrawRecord> records, std::size_t text, float scale,
                         bool plates = true) {
  const ui::DrawRecord& label = records[text];
  const ui::Rect glyphs = ui::textInk(label.rect, label.text, label.style, label.alignment).inset(1.0f, 1.0f);
  for (std::size_t i = 0; i < text; ++i) {
    if (!markMeets(records[i], glyphs, scale)) continue;
    bool plated = false;
    for (std::size_t j = i + 1; j < text && !plated && plates; ++j)
      plated = records[j].op == ui::DrawOp::FillRect && covers(records[j].rect, glyphs);
    if (!plated) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace orbi::test
