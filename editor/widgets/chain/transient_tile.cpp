#include "editor/widgets/chain/transient_tile.h"

#include <algorithm>
#include <cmath>

#include "editor/widgets/chain/stage_curves.h"
#include "editor/widgets/widget_support.h"
#include "engine/params/param_name.h"
#include "ui/context.h"
#include "ui/draw/shapes.h"

namespace orbi {
namespace {

constexpr double kCurveSeconds = 0.45;
constexpr double kCurveRate = 3000.0;  // the followers' coefficients; stepped once a point
constexpr float kReach = 14.0f;
constexpr float kSweep = 120.0f;  // scaled pixels upwards from -1 to 1
constexpr std::uint32_t kReferenceColour = palette::withAlphaByte(palette::kMuted, 0x59);
// The parameters of the strike and of the body after it.
const char* handleName(int handle) { return ob::chainParamName(handle == 0 ? "ts_attack" : "ts_sustain"); }

const char* help() {
  static const std::string text =
      "TRANSIENT - the strike against what follows it, drawn as the shape it imposes.\ndrag the onset: " +
      std::string(handleName(0)) + "  /  drag the tail: " + handleName(1) + "  /  right-click: type";
  return text.c_str();
}

float coefficient(double rate, double seconds) {
  return static_cast<float>(1.0 - std::exp(-1.0 / (rate * seconds)));
}

float follow(float level, float x, float attack, float release) {
  return level + (x - level) * (x > level ? attack : release);
}

int firstLargest(const std::vector<float>& v) {
  return static_cast<int>(std::max_element(v.begin(), v.end()) - v.begin());
}

}  // namespace

void TransientDetector::reset(double sampleRate) {
  const double rate = sampleRate > 0.0 ? sampleRate : 44100.0;
  fast = slow = 0.0f;
  fastAttack = coefficient(rate, 0.0005);
  fastRelease = coefficient(rate, 0.02);
  slowAttack = coefficient(rate, 0.005);
  slowRelease = coefficient(rate, 0.15);
}

float TransientDetector::step(float x) {
  fast = follow(fast, x, fastAttack, fastRelease);
  slow = follow(slow, x, slowAttack, slowRelease);
  return (fast - slow) / (fast + slow + 1e-9f);
}

TransientTile::TransientTile() {
  entry.onCommit = [this](int id, float value) { commitTyped(id, value); };
  buildCurves();
}

void TransientTile::buildCurves() {
  reference.assign(kPoints, 0.0f);
  strikeGain.assign(kPoints, 0.0f);
  bodyGain.assign(kPoints, 0.0f);
  TransientDetector onset, tail;
  onset.reset(kCurveRate);
  tail.reset(kCurveRate);
  for (int i = 0; i < kPoints; ++i) {
    const double t = i * kCurveSeconds / (kPoints - 1);
    const float x = static_cast<float>((1.0 - std::exp(-t / 0.002)) * std::exp(-t / 0.085));
    reference[i] = x;
    const float d1 = onset.step(x);
    strikeGain[i] = clampTo(1.0f + std::max(d1, 0.0f), 0.0f, 4.0f) - 1.0f;
    const float d2 = tail.step(x);
    bodyGain[i] = clampTo(1.0f + std::max(-d2, 0.0f), 0.0f, 4.0f) - 1.0f;
  }
  strikePeak = firstLargest(strikeGain);
  bodyPeak = firstLargest(bodyGain);
}

ImVec2 TransientTile::handlePoint(int k) const {
  const std::vector<ImVec2> shape = StageCurves::transientShape(*this, plotRect(), strike, body);
  return shape[static_cast<std::size_t>(k == 0 ? strikePeak : bodyPeak)];
}

int TransientTile::hitTest(ImVec2 p) const {
  if (!rect.contains(p)) return -1;
  const ImVec2 handles[] = {handlePoint(0), handlePoint(1)};
  return nearestWithin(handles, p, kReach * ui::scale());
}

// By the distance dragged, from the amount at the press: solved from the
// pointer's height, the body handle (where the reference hit has all but
// died away) would swing the whole range in half a pixel.
void TransientTile::dragHandle(int k, float totalDy) {
  const float amount = clampTo(amountAtPress_ - 2.0f * totalDy / (kSweep * ui::scale()), -1.0f, 1.0f);
  if (k == 0) {
    if (changes(strike, amount) && onStrike) onStrike(amount);
  } else if (changes(body, amount) && onBody) {
    onBody(amount);
  }
}

void TransientTile::commitTyped(int id, float value) {
  const float v = clampTo(value / 100.0f, -1.0f, 1.0f);
  if (id == 0) {
    strike = v;
    if (onStrike) onStrike(v);
  } else {
    body = v;
    if (onBody) onBody(v);
  }
}

void TransientTile::draw(const ui::Rect& r) {
  rect = r;
  const ImVec2 mouse = pointer();
  const int underPointer = hitTest(mouse);
  const ui::Interaction it =
      begin("transient", r, help(), underPointer >= 0 ? ImGuiMouseCursor_ResizeNS : ImGuiMouseCursor_Arrow);
  switch (gesture(it)) {
    case TileGesture::RightClick:
      if (underPointer >= 0) {
        entry.open(handlePoint(underPointer), {underPointer, (underPointer == 0 ? strike : body) * 100.0f,
                                               -100.0f, 100.0f, handleName(underPointer), "%"});
      }
      break;
    case TileGesture::Press:
      dragTarget_ = hitTest(it.pressPos);
      amountAtPress_ = dragTarget_ == 0 ? strike : body;
      break;
    case TileGesture::Drag: dragHandle(dragTarget_, it.total.y); break;
    case TileGesture::Release: release(); break;
    case TileGesture::SecondClick:
    case TileGesture::None: break;
  }
  updateHover(it, hitTest(mouse));

  ImDrawList* dl = ImGui::GetWindowDrawList();
  const ui::Rect p = plotRect();
  drawTitle(dl, "TRANSIENT");
  ui::drawPolyline(dl, StageCurves::transientShape(*this, p, 0.0f, 0.0f), kReferenceColour, 1.0f);
  const std::vector<ImVec2> shape = StageCurves::transientShape(*this, p, strike, body);
  drawCurve(dl, shape, p.y + p.height, tilecolour::kFill);
  drawHandle(dl, shape[static_cast<std::size_t>(strikePeak)], 0, "strike", ui::kAlongY);
  drawHandle(dl, shape[static_cast<std::size_t>(bodyPeak)], 1, "body", ui::kAlongY);
  if (hoverTarget_ >= 0) {
    const float amount = hoverTarget_ == 0 ? strike : body;
    drawHoverLabel(dl, std::string(handleName(hoverTarget_)) + "  " + signedWhole(amount * 100.0f) + "%");
  }
  end();
}

}  // namespace orbi
