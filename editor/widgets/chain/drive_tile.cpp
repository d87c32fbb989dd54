#include "editor/widgets/chain/drive_tile.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "editor/widgets/widget_support.h"
#include "engine/chain/bit_crush.h"
#include "engine/chain/drive_shape.h"
#include "engine/params/param_name.h"
#include "ui/context.h"
#include "ui/controls/value_text.h"
#include "ui/draw/shapes.h"

namespace orbi {
namespace {

constexpr float kSweep = 110.0f;  // a drag this long sweeps the whole range
constexpr int kTransferPoints = 65;
constexpr int kCrushPoints = 128;
constexpr std::uint32_t kBoxFill = palette::withAlphaByte(palette::kTrackFill, 0x80);
constexpr std::uint32_t kDim = palette::withAlphaByte(palette::kMuted, 0x8C);
// The parameters of the curve, the crush and, with shift, the rate.
const char* areaName(int area) {
  return ob::chainParamName(area == 0 ? "fx_drive" : area == 1 ? "fx_crush" : "fx_srr");
}

const char* help() {
  static const std::string text =
      "DRIVE - how hard the drum is pushed, and how coarsely it is sampled.\ndrag the curve: " +
      std::string(areaName(0)) + "  /  the pill: " + ob::chainParamName("fx_shape") +
      "  /  right of it: " + areaName(1) + ", shift for " + areaName(2) + "  /  right-click: type";
  return text.c_str();
}

const char* shapeWord(int shape) {
  return shape == ob::kDriveTanh ? "tanh" : shape == ob::kDriveFold ? "fold" : "cubic";
}

ImVec2 centreOf(const ui::Rect& r) { return ImVec2(r.x + r.width / 2.0f, r.y + r.height / 2.0f); }

}  // namespace

DriveTile::DriveTile() {
  entry.onCommit = [this](int id, float value) { commitTyped(id, value); };
}

void DriveTile::setDrive(float v) {
  drive = clampTo(v, 1.0f, 16.0f);
  if (onDrive) onDrive(drive);
}

void DriveTile::setBits(float v) {
  bits = clampTo(v, 1.0f, 16.0f);
  if (onBits) onBits(bits);
}

void DriveTile::commitTyped(int id, float value) {
  if (id == 0) {
    setDrive(value);
  } else if (id == 1) {
    setBits(value);
  } else {
    rate = clamp01NanTo0(value / 100.0f);
    if (onRate) onRate(rate);
  }
}

void DriveTile::layoutAreas() {
  const ui::Rect p = plotRect();
  const float cw = clampTo(0.46f * p.width, 0.0f, p.width);
  curveBox = {p.x, p.y, std::max(cw, 0.0f), std::max(p.height, 0.0f)};
  const float gap = clampTo(6.0f * ui::scale(), 0.0f, p.width - cw);
  crushBox = {p.x + cw + gap, p.y, p.width - cw - gap, p.height};
}

ui::Rect DriveTile::pillRect() const {
  const float s = ui::scale();
  return {curveBox.x, curveBox.y + curveBox.height - 11.0f * s, std::max(34.0f * s, 0.0f),
          std::max(11.0f * s, 0.0f)};
}

int DriveTile::hitTest(ImVec2 p, bool shift) const {
  if (curveBox.contains(p)) return 0;
  if (crushBox.contains(p)) return shift ? 2 : 1;
  return -1;
}

void DriveTile::openEntry(int h) {
  if (h == 0)
    entry.open(centreOf(curveBox), {0, drive, 1.0f, 16.0f, areaName(0), "x"});
  else if (h == 1)
    entry.open(centreOf(crushBox), {1, bits, 1.0f, 16.0f, areaName(1), "bits"});
  else
    entry.open(centreOf(crushBox), {2, rate * 100.0f, 0.0f, 100.0f, areaName(2), "%"});
}

void DriveTile::dragArea(int k, float totalDy) {
  const float n = -totalDy / (kSweep * ui::scale());
  // Only a new value is sent: a drag resting at an end sends nothing more.
  if (k == 0) {
    if (changes(drive, clampTo(dragStartValue_ + 15.0f * n, 1.0f, 16.0f)) && onDrive) onDrive(drive);
  } else if (k == 1) {
    if (changes(bits, clampTo(dragStartValue_ + 15.0f * n, 1.0f, 16.0f)) && onBits) onBits(bits);
  } else if (changes(rate, clamp01NanTo0(dragStartValue_ - n)) && onRate) {
    onRate(rate);
  }
}

float DriveTile::transferAt(float u) const {
  const float k = clampTo(drive, 1.0f, 16.0f);
  return ob::driveSample(u, k, shape, ob::fastTanh(k), ob::driveMixTarget(k));
}

std::vector<ImVec2> DriveTile::transferPoints(const ui::Rect& box) const {
  std::vector<ImVec2> points(kTransferPoints);
  for (int i = 0; i < kTransferPoints; ++i) {
    const float u = 2.0f * i / (kTransferPoints - 1) - 1.0f;
    const float out = transferAt(u);
    points[i] = ImVec2(box.x + (0.5f * u + 0.5f) * box.width,
                       box.y + 0.5f * box.height - clampTo(out, -1.2f, 1.2f) * 0.5f * box.height / 1.2f);
  }
  return points;
}

std::vector<ImVec2> DriveTile::crushPoints(const ui::Rect& box, bool crushed) const {
  const float levels = ob::bitCrushLevels(clampTo(bits, 1.0f, 16.0f));  // a NaN draws as 1 bit
  float counter = 0.0f, heldValue = 0.0f;
  std::vector<ImVec2> points(kCrushPoints);
  for (int i = 0; i < kCrushPoints; ++i) {
    const float p = static_cast<float>(i) / (kCrushPoints - 1);
    const float s = std::sin(4.0f * std::numbers::pi_v<float> * p);
    float q = ob::bitCrush(s, levels);
    if (rate > 0.0f) {
      if (counter <= 0.0f) {
        heldValue = q;
        counter += 1.0f + 49.0f * clamp01NanTo0(rate);
      }
      counter -= 1.0f;
      q = heldValue;
    }
    points[i] =
        ImVec2(box.x + p * box.width, box.y + 0.5f * box.height - 0.42f * (crushed ? q : s) * box.height);
  }
  return points;
}

void DriveTile::paintTransfer(ImDrawList* dl, const ui::Rect& box) const {
  ui::fillRect(dl, box, kBoxFill, 3.0f);
  ui::drawLine(dl, ImVec2(box.x, box.y + box.height), ImVec2(box.x + box.width, box.y), tilecolour::kDashed,
               1.0f, 4.0f, 3.0f);
  ui::drawPolyline(dl, transferPoints(box), drive > 1.0f ? tilecolour::kCurve : kDim, 1.5f);
}

void DriveTile::paintCrush(ImDrawList* dl, const ui::Rect& box) const {
  ui::fillRect(dl, box, kBoxFill, 3.0f);
  ui::drawPolyline(dl, crushPoints(box, false), tilecolour::kDashed, 1.0f);
  const bool crushing = bits < 16.0f || rate > 0.0f;
  ui::drawPolyline(dl, crushPoints(box, true), crushing ? tilecolour::kCurve : kDim, 1.5f);
}

bool DriveTile::clickPill(ImVec2 p) {
  if (!pillRect().contains(p)) return false;
  dragTarget_ = -1;
  if (onShape) onShape((shape + 1) % 3);
  gestureEnded();
  return true;
}

void DriveTile::draw(const ui::Rect& r) {
  rect = r;
  layoutAreas();
  const ui::Interaction it = begin("drive", r, help(), ImGuiMouseCursor_ResizeNS);
  switch (gesture(it)) {
    case TileGesture::RightClick: {
      const int h = hitTest(pointer(), shiftHeld());
      if (h >= 0) openEntry(h);
      break;
    }
    case TileGesture::Press:
      if (!clickPill(it.pressPos)) {
        dragTarget_ = hitTest(it.pressPos, it.shiftAtPress);
        dragStartValue_ = dragTarget_ == 0 ? drive : dragTarget_ == 1 ? bits : rate;
      }
      break;
    case TileGesture::SecondClick: clickPill(it.pressPos); break;
    case TileGesture::Drag: dragArea(dragTarget_, it.total.y); break;
    case TileGesture::Release: release(); break;
    case TileGesture::None: break;
  }

  ImDrawList* dl = ImGui::GetWindowDrawList();
  drawTitle(dl, "DRIVE");
  paintTransfer(dl, curveBox);
  paintCrush(dl, crushBox);
  drawPill(dl, pillRect(), shapeWord(shape));
  // The two areas are its handles: a drag anywhere in one sets its value.
  ui::logHandle(this, "drive", centreOf(curveBox), ui::kAlongY, dragTarget_ == 0);
  ui::logHandle(this, "crush", centreOf(crushBox), ui::kAlongY, dragTarget_ == 1);
  const int shown = dragTarget_ >= 0 ? dragTarget_ : it.hovered ? hitTest(pointer(), false) : -1;
  if (shown == 0)
    drawHoverLabel(dl, std::string(areaName(0)) + "  " + ui::formatNumber(drive, 1) + "x");
  else if (shown == 1)
    drawHoverLabel(dl, std::string(areaName(1)) + "  " + ui::formatNumber(bits, 0) + " bits");
  else if (shown == 2)
    drawHoverLabel(dl, std::string(areaName(2)) + "  " + ui::formatNumber(rate * 100.0f, 0) + "%");
  end();
}

}  // namespace orbi
