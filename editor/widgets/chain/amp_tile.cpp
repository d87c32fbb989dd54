#include "editor/widgets/chain/amp_tile.h"

#include <algorithm>
#include <cmath>

#include "editor/widgets/chain/stage_curves.h"
#include "editor/widgets/widget_support.h"
#include "engine/chain/voice_chain.h"
#include "engine/clock/tempo.h"
#include "engine/params/param_name.h"
#include "engine/params/param_tables.h"
#include "ui/context.h"
#include "ui/controls/value_text.h"

namespace orbi {
namespace {

constexpr float kAxisStart = 0.002f;  // seconds: the axis' knee
// 28 s over the knee: the longest attack and hold and three longest decays.
constexpr float kAxisSpan = 28.0f / kAxisStart;
constexpr float kMaxAttack = 2.0f;
constexpr float kMaxHold = 2.0f;
constexpr float kMaxDecay = 8.0f;
constexpr float kReach = 13.0f;
constexpr std::uint32_t kTempoPill = palette::withAlphaByte(palette::kAccent, 0x47);
// The parameter a corner sets, its division's when synced.
const char* cornerName(int corner, bool synced) {
  if (corner == 1) return ob::chainParamName("amp_hold");
  if (synced) return ob::chainParamName(corner == 0 ? "amp_atk_div" : "amp_dec_div");
  return ob::chainParamName(corner == 0 ? "amp_attack" : "amp_decay");
}

const char* help() {
  static const std::string text =
      "AMP - a second envelope over the whole drum: rise, hold, fall.\ndrag a corner: " +
      std::string(cornerName(0, false)) + ", " + cornerName(1, false) + ", " + cornerName(2, false) +
      "  /  the pill: " + ob::chainParamName("amp_sync") + "  /  right-click: type";
  return text.c_str();
}

double beatSeconds(double tempo) { return 60.0 / ob::effectiveTempo(tempo); }

float divisionSeconds(int division, double tempo) {
  return static_cast<float>(beatSeconds(tempo) *
                            ob::divisionBeats(std::clamp(division, 0, ob::kDivisionCount - 1)));
}

}  // namespace

int snapToDivision(float seconds, double tempo) {
  const double beat = beatSeconds(tempo);
  int best = 0;
  double bestDistance = std::min(std::fabs(beat * ob::divisionBeats(0) - seconds), 1e9);
  for (int k = 1; k < ob::kDivisionCount; ++k) {
    const double d = std::fabs(beat * ob::divisionBeats(k) - seconds);
    if (d < bestDistance) {
      bestDistance = d;
      best = k;
    }
  }
  return best;
}

float ampTimeToX(float seconds) {
  return clamp01NanTo0(std::log1p(std::max(seconds, 0.0f) / kAxisStart) / std::log1p(kAxisSpan));
}

float ampXToTime(float u) { return kAxisStart * (std::exp(u * std::log1p(kAxisSpan)) - 1.0f); }

AmpTile::AmpTile() {
  entry.onCommit = [this](int id, float value) { commitTyped(id, value); };
}

float AmpTile::attackSeconds() const { return sync ? divisionSeconds(attackDivision, tempo) : attack; }

float AmpTile::decaySeconds() const { return sync ? divisionSeconds(decayDivision, tempo) : decay; }

void AmpTile::setTimeValue(int which, float seconds) {
  if (which == 0) {
    if (sync) {
      attackDivision = snapToDivision(seconds, tempo);
      if (onAttackDivision) onAttackDivision(attackDivision);
    } else {
      attack = clampTo(seconds, 0.0f, kMaxAttack);
      if (onAttack) onAttack(attack);
    }
  } else if (which == 1) {
    hold = clampTo(seconds, 0.0f, kMaxHold);
    if (onHold) onHold(hold);
  } else if (sync) {
    decayDivision = snapToDivision(seconds, tempo);
    if (onDecayDivision) onDecayDivision(decayDivision);
  } else {
    decay = clampTo(seconds, 0.0f, kMaxDecay);
    if (onDecay) onDecay(decay);
  }
}

// A drag sends only a new value: one resting on a division or at an end
// would otherwise send the same one every frame.
void AmpTile::dragTime(int which, float seconds) {
  bool same = false;
  if (which == 0)
    same = sync ? snapToDivision(seconds, tempo) == attackDivision
                : clampTo(seconds, 0.0f, kMaxAttack) == attack;
  else if (which == 1)
    same = clampTo(seconds, 0.0f, kMaxHold) == hold;
  else
    same =
        sync ? snapToDivision(seconds, tempo) == decayDivision : clampTo(seconds, 0.0f, kMaxDecay) == decay;
  if (same) return;
  markChanged();
  setTimeValue(which, seconds);
}

std::string AmpTile::timeLabel(int corner) const {
  std::string text = std::string(cornerName(corner, sync)) + "  ";
  if (sync && corner != 1) {
    const char* label = ob::divisionLabel(std::clamp(corner == 0 ? attackDivision : decayDivision, 0, 9));
    return text + (label ? label : "");
  }
  const float seconds = corner == 0 ? attackSeconds() : corner == 1 ? hold : decaySeconds();
  return text + ui::formatNumber(seconds * 1000.0f, 0) + " ms";
}

ImVec2 AmpTile::cornerPoint(int k, const ui::Rect& p) const {
  const float a = attackSeconds();
  const float t = k == 0 ? a : k == 1 ? a + hold : a + hold + 3.0f * decaySeconds();
  return ImVec2(p.x + ampTimeToX(t) * p.width, k == 2 ? p.y + p.height : p.y);
}

// The pixels over which the corner's drag sweeps its whole range, the
// corners before it held where they are.
float AmpTile::cornerSpan(int k, const ui::Rect& p) const {
  const bool divisions = sync && k != 1;
  const float lo = divisions ? divisionSeconds(0, tempo) : 0.0f;
  const float hi = divisions ? divisionSeconds(ob::kDivisionCount - 1, tempo)
                   : k == 0  ? kMaxAttack
                   : k == 1  ? kMaxHold
                             : kMaxDecay;
  const float before = k == 0 ? 0.0f : k == 1 ? attackSeconds() : attackSeconds() + hold;
  const float scale = k == 2 ? 3.0f : 1.0f;  // the corner sits three decays on
  return (ampTimeToX(before + scale * hi) - ampTimeToX(before + scale * lo)) * p.width;
}

int AmpTile::hitTest(ImVec2 p) const {
  if (!rect.contains(p)) return -1;
  const ui::Rect plot = plotRect();
  // The hold corner is tried first, so a tie with the attack goes to it: a
  // hold dragged to 0 sits on the attack corner and must be reachable to
  // open again (the attack can still be typed).
  const int order[] = {1, 0, 2};
  const ImVec2 corners[] = {cornerPoint(1, plot), cornerPoint(0, plot), cornerPoint(2, plot)};
  const int nearest = nearestWithin(corners, p, kReach * ui::scale());
  return nearest < 0 ? -1 : order[nearest];
}

// In the title row at the right: in the plot's corner the decay corner of
// a long envelope would lie under it.
ui::Rect AmpTile::pillRect() const {
  const float s = ui::scale();
  const ui::Rect p = plotRect();
  return {p.x + p.width - 46.0f * s, rect.y, std::max(46.0f * s, 0.0f),
          clampTo(11.0f * s, 0.0f, rect.height)};
}

void AmpTile::dragCorner(int k, ImVec2 at) {
  const ui::Rect p = plotRect();
  const float t = ampXToTime(clamp01NanTo0((at.x - p.x) / std::max(p.width, 1.0f)));
  const float a = attackSeconds();
  if (k == 0) {
    dragTime(0, t);
  } else if (k == 1) {
    dragTime(1, t - a);
  } else {
    dragTime(2, (t - a - hold) / 3.0f);
  }
}

bool AmpTile::clickPill(ImVec2 p) {
  if (!pillRect().contains(p)) return false;
  dragTarget_ = -1;
  if (onSync) onSync(!sync);
  gestureEnded();
  return true;
}

void AmpTile::commitTyped(int id, float value) { setTimeValue(id, std::max(value / 1000.0f, 0.0f)); }

void AmpTile::draw(const ui::Rect& r) {
  rect = r;
  const ImVec2 mouse = pointer();
  const int underPointer = hitTest(mouse);
  const ui::Interaction it =
      begin("amp", r, help(), underPointer >= 0 ? ImGuiMouseCursor_Hand : ImGuiMouseCursor_Arrow);
  const ui::Rect p = plotRect();
  switch (gesture(it)) {
    case TileGesture::RightClick:
      if ((underPointer == 0 || underPointer == 2) && !sync) {
        const bool isAttack = underPointer == 0;
        entry.open(cornerPoint(underPointer, p),
                   {underPointer, (isAttack ? attack : decay) * 1000.0f, 0.0f, isAttack ? 2000.0f : 8000.0f,
                    cornerName(underPointer, false), "ms"});
      }
      break;
    case TileGesture::Press: {
      const int h = hitTest(it.pressPos);
      if (h >= 0 && onHandle(it.pressPos, cornerPoint(h, p)))
        grab(h, cornerPoint(h, p), {cornerSpan(h, p), 0.0f});
      else if (!clickPill(it.pressPos) && h >= 0)
        grab(h, cornerPoint(h, p), {cornerSpan(h, p), 0.0f});
      break;
    }
    case TileGesture::SecondClick: clickPill(it.pressPos); break;
    case TileGesture::Drag: dragCorner(dragTarget_, dragPoint(it)); break;
    case TileGesture::Release: release(); break;
    case TileGesture::None: break;
  }
  updateHover(it, hitTest(mouse));

  ImDrawList* dl = ImGui::GetWindowDrawList();
  drawTitle(dl, "AMP");
  drawCurve(dl, StageCurves::ampCurve(*this, p), p.y + p.height, tilecolour::kFill);
  const char* const names[] = {"attack", "hold", "decay"};
  for (int k = 0; k < 3; ++k) drawHandle(dl, cornerPoint(k, p), k, names[k], ui::kAlongX);
  if (sync)
    drawPill(dl, pillRect(), "tempo", kTempoPill, tilecolour::kLight);
  else
    drawPill(dl, pillRect(), "seconds");
  reserveHeaderFrom(pillRect().x - 4.0f * ui::scale());
  if (hoverTarget_ >= 0) drawHoverLabel(dl, timeLabel(hoverTarget_));
  end();
}

}  // namespace orbi
