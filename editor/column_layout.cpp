#include "editor/column_layout.h"

#include <algorithm>

#include "ui/layout/height_sharer.h"

namespace orbi {
namespace {

// Design heights.
constexpr float kBandGap = 10.0f;
constexpr float kCreditsBand = 20.0f;

// The macros band's height in the room it shares with the bench page.
float macrosBesideBench(float room, const BandHeight& macros, const BenchNeeds& bench, float s) {
  ui::HeightSharer sharer(room);
  float band = macros.least;
  sharer.take(macros.least);
  float page = 0.0f;
  sharer.give(page, bench.floors);
  sharer.giveAll(band, macros.floor);
  sharer.give(page, bench.waveforms);
  // The list grows only past a first row it has.
  const bool listed = band >= macros.floor - 1e-3f * s;
  if (listed) sharer.giveRows(band, macros.comfort, macros.row);
  sharer.give(page, bench.ease);
  if (listed) {
    sharer.giveRows(band, macros.full, macros.row);
    if (band >= macros.full - 1e-3f * s) sharer.give(band, macros.wanted);
  }
  return band;
}

}  // namespace

ColumnRects layoutColumn(const ui::Rect& content, const BandHeight& macros, const BenchNeeds* bench,
                         float s) {
  ColumnRects out;
  ui::Rect rest = content;
  rest.takeTop(kBandGap * s);
  out.credits = rest.takeTop(kCreditsBand * s);
  rest.takeTop(kBandGap * s);
  const float height = bench ? macrosBesideBench(rest.height - kBandGap * s, macros, *bench, s)
                             : std::max(macros.wanted, macros.floor);
  out.macros = rest.takeTop(height);
  rest.takeTop(kBandGap * s);
  out.page = rest;
  return out;
}

}  // namespace orbi
