#include "editor/widgets/chain/filter_tile.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "editor/widgets/chain/stage_curves.h"
#include "editor/widgets/widget_support.h"
#include "engine/params/param_name.h"
#include "ui/context.h"
#include "ui/controls/value_text.h"
#include "ui/draw/shapes.h"

namespace orbi {
namespace {

constexpr float kLowestHz = 20.0f;
constexpr float kHighestHz = 20000.0f;
constexpr float kReach = 14.0f;
constexpr float kFloorDb = -42.0f;
constexpr float kRangeDb = 56.0f;         // up to +14 dB
constexpr float kResonanceSweep = 0.25f;  // of the plot's height: the whole resonance range
constexpr float kHandleClearance = 5.0f;  // a hot handle's radius and a little more
// The cutoff of filter k, 0 or 1.
const char* cutoffName(int k) { return ob::chainParamName(k == 0 ? "flt_cutoff" : "flt2_cutoff"); }

const char* help() {
  static const std::string text =
      "FILTER - what the drum is allowed to keep, drawn as the curve both filters make.\ndrag a corner: " +
      std::string(cutoffName(0)) + " or " + cutoffName(1) + ", up/down for " +
      ob::chainParamName("flt_reso") + " or " + ob::chainParamName("flt2_reso") +
      "  /  its pill: " + ob::chainParamName("flt_type") + " or " + ob::chainParamName("flt2_type") +
      "  /  right-click: type";
  return text.c_str();
}

const char* typeWord(int type) { return type == 1 ? "high" : type == 2 ? "band" : "low"; }

float qOf(float resonance) { return clamp01NanTo0(resonance) * 9.0f + 0.5f; }

}  // namespace

FilterTile::FilterTile() {
  entry.onCommit = [this](int id, float value) { commitTyped(id, value); };
}

float FilterTile::frequencyX(float hz, const ui::Rect& p) {
  return p.x + clamp01NanTo0(std::log(std::max(hz, kLowestHz) / kLowestHz) / std::log(1000.0f)) * p.width;
}

float FilterTile::magnitudeY(float magnitude, const ui::Rect& p) {
  const float yn = (20.0f * std::log10(std::max(magnitude, 1e-5f)) - kFloorDb) / kRangeDb;
  return p.y + p.height - clamp01NanTo0(yn) * p.height;
}

int FilterTile::hitTest(ImVec2 p) const {
  if (!rect.contains(p)) return -1;
  const ui::Rect plot = plotRect();
  int best = -1;
  float bestDistance = kReach * ui::scale();
  for (int k = 0; k < 2; ++k) {
    if (!isOn(k)) continue;
    const float d = distance(StageCurves::filterPoint(*this, k, plot), p);
    if (d < bestDistance) {
      bestDistance = d;
      best = k;
    }
  }
  return best;
}

// Under the handle at the plot's bottom, or at its top when the handle
// sits so low that the pill would cover it (the curve at the handle's x is
// then low, so the top is clear).
ui::Rect FilterTile::pillRect(int k) const {
  const float s = ui::scale();
  const ui::Rect p = plotRect();
  const ImVec2 handle = StageCurves::filterPoint(*this, k, p);
  const float x0 = handle.x - 15.0f * s;
  const float xMax = p.x + p.width - 30.0f * s;
  const float bottom = p.y + p.height - 11.0f * s;
  const float y = handle.y + kHandleClearance * s > bottom ? p.y : bottom;
  return {x0 > xMax ? xMax : std::max(x0, p.x), y, 30.0f * s, 11.0f * s};
}

void FilterTile::dragCorner(ImVec2 at) {
  const int k = dragTarget_;
  if (k < 0 || k > 1) return;
  const ui::Rect p = plotRect();
  Filter& f = filters[static_cast<std::size_t>(k)];
  // From the cutoff at the press, by as many decades as the pointer moved
  // sideways: an upright drag leaves it exactly as it was.
  const float decades = 3.0f * (at.x - pressX_) / std::max(p.width, 1.0f);
  const float cutoff = clampTo(cutoffAtPress_ * std::pow(10.0f, decades), kLowestHz, kHighestHz);
  if (changes(f.cutoff, cutoff) && onCutoff) onCutoff(k, f.cutoff);
  // Relative: the handle sits on the curve, not on a linear resonance
  // scale, so an absolute mapping would change the resonance on a mere
  // press. The top quarter of the plot spans the whole range.
  const float dy = at.y - pressY_;
  const float resonance =
      clamp01NanTo0(resonanceAtPress_ + (-dy) / std::max(kResonanceSweep * p.height, 1.0f));
  if (changes(f.resonance, resonance) && onResonance) onResonance(k, f.resonance);
}

bool FilterTile::clickPill(ImVec2 p) {
  for (int k = 0; k < 2; ++k) {
    if (!isOn(k) || !pillRect(k).contains(p)) continue;
    dragTarget_ = -1;
    if (onType) onType(k, (filters[static_cast<std::size_t>(k)].type + 1) % 3);
    gestureEnded();
    return true;
  }
  return false;
}

void FilterTile::commitTyped(int id, float value) {
  if (id != 0 && id != 1) return;
  Filter& f = filters[static_cast<std::size_t>(id)];
  f.cutoff = clampTo(value, kLowestHz, kHighestHz);
  if (onCutoff) onCutoff(id, f.cutoff);
}

void FilterTile::draw(const ui::Rect& r) {
  rect = r;
  const ImVec2 mouse = pointer();
  const int underPointer = hitTest(mouse);
  const ui::Interaction it =
      begin("filter", r, help(), underPointer >= 0 ? ImGuiMouseCursor_Hand : ImGuiMouseCursor_Arrow);
  const ui::Rect p = plotRect();
  switch (gesture(it)) {
    case TileGesture::RightClick:
      if (underPointer >= 0)
        entry.open(StageCurves::filterPoint(*this, underPointer, p),
                   {underPointer, filters[static_cast<std::size_t>(underPointer)].cutoff, kLowestHz,
                    kHighestHz, cutoffName(underPointer), "Hz"});
      break;
    case TileGesture::Press: {
      const int h = hitTest(it.pressPos);
      const bool onIt = h >= 0 && onHandle(it.pressPos, StageCurves::filterPoint(*this, h, p));
      if ((onIt || !clickPill(it.pressPos)) && h >= 0) {
        const ImVec2 handle = StageCurves::filterPoint(*this, h, p);
        // Three decades of cutoff over the width, the resonance over the top
        // quarter of the height.
        grab(h, handle, {p.width, kResonanceSweep * p.height});
        resonanceAtPress_ = filters[static_cast<std::size_t>(h)].resonance;
        cutoffAtPress_ = filters[static_cast<std::size_t>(h)].cutoff;
        pressX_ = handle.x;
        pressY_ = handle.y;
      }
      break;
    }
    case TileGesture::SecondClick: clickPill(it.pressPos); break;
    case TileGesture::Drag: dragCorner(dragPoint(it)); break;
    case TileGesture::Release: release(); break;
    case TileGesture::None: break;
  }
  updateHover(it, hitTest(mouse));

  ImDrawList* dl = ImGui::GetWindowDrawList();
  drawTitle(dl, "FILTER");
  const float unity = magnitudeY(1.0f, p);
  ui::drawLine(dl, ImVec2(p.x, unity), ImVec2(p.x + p.width, unity), tilecolour::kDashed, 1.0f, 4.0f, 3.0f);
  drawCurve(dl, StageCurves::filterResponse(*this, p), p.y + p.height, tilecolour::kFilterFill);
  for (int k = 0; k < 2; ++k) {
    if (!isOn(k)) continue;
    drawHandle(dl, StageCurves::filterPoint(*this, k, p), k, k == 0 ? "cutoff" : "cutoff 2", ui::kAlongBoth);
    drawPill(dl, pillRect(k), typeWord(filters[static_cast<std::size_t>(k)].type));
  }
  if (hoverTarget_ >= 0) {
    const Filter& f = filters[static_cast<std::size_t>(hoverTarget_)];
    drawHoverLabel(dl, std::string(typeWord(f.type)) + "  " + ui::formatNumber(f.cutoff, 0) + " Hz  Q " +
                           ui::formatNumber(qOf(f.resonance), 1));
  }
  end();
}

}  // namespace orbi
