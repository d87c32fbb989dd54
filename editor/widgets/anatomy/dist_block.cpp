#include "editor/widgets/anatomy/dist_block.h"

#include <imgui.h>

#include <algorithm>
#include <cmath>

#include "editor/widgets/widget_support.h"
#include "engine/drum/drum_distortion.h"
#include "engine/params/param_info.h"
#include "engine/params/param_name.h"
#include "ui/context.h"
#include "ui/draw/draw_log.h"
#include "ui/draw/text.h"
#include "ui/interact/tooltip.h"

namespace orbi {
namespace {

constexpr float kSweep = 120.0f;  // a drag this long sweeps the whole range
constexpr float kCurveLimit = 1.2f;
constexpr float kReadoutWidth = 80.0f;

std::string percent(float v) { return std::to_string(std::lround(v * 100.0f)) + "%"; }

// The drum's distortion parameters, as every place names them.
std::string driveName() { return ob::paramNameOfKey(ob::kMachineDrum, "dist_amt"); }
std::string biasName() { return ob::paramNameOfKey(ob::kMachineDrum, "dist_bias"); }
std::string foldName() { return ob::paramNameOfKey(ob::kMachineDrum, "dist_fold"); }

}  // namespace

DistBlock::DistBlock() {
  entry.onCommit = [this](int id, float typed) { commitTyped(id, typed); };
}

void DistBlock::transferCurve() {
  if (curve.valid && drive == cachedDrive_ && bias == cachedBias_ && fold == cachedFold_) return;
  ob::DrumDistortion distortion;
  distortion.set(drive, bias, fold);
  constexpr int kLast = ui::kCurveSampleCount - 1;
  for (int i = 0; i <= kLast; ++i) {
    const float x = 2.0f * static_cast<float>(i) / kLast - 1.0f;
    curve.values[i] = clampTo(distortion.apply(x), -kCurveLimit, kCurveLimit);
  }
  cachedDrive_ = drive;
  cachedBias_ = bias;
  cachedFold_ = fold;
  curve.valid = true;
  ++curveComputations;
}

std::string DistBlock::tooltip(float drive, float bias, float fold, const char* positionLabel) {
  return std::string("DRIVE - distortion the body runs through (") + positionLabel +
         ").  The line is its transfer curve.\n" + driveName() + " " + percent(drive) + "   " + biasName() +
         " " + percent(bias) + "   " + foldName() + " " + percent(fold) +
         "\ndrag: move socket  /  up/down: " + driveName() + "  /  alt: " + biasName() +
         "  /  shift: " + foldName() + "  /  right-click: type";
}

void DistBlock::commitTyped(int id, float typed) {
  const float v = clamp01NanTo0(typed / 100.0f);
  if (id == 0 && onDrive) onDrive(v);
  if (id == 1 && onBias) onBias(v);
  if (id == 2 && onFold) onFold(v);
}

void DistBlock::openEntry(const ui::Rect& square) {
  const ImVec2 c(square.x + square.width / 2.0f, square.y + square.height / 2.0f);
  const ImGuiIO& io = ImGui::GetIO();
  if (io.KeyAlt)
    entry.open(c, {1, bias * 100.0f, 0.0f, 100.0f, ob::paramNameOfKey(ob::kMachineDrum, "dist_bias"), "%"});
  else if (io.KeyShift)
    entry.open(c, {2, fold * 100.0f, 0.0f, 100.0f, ob::paramNameOfKey(ob::kMachineDrum, "dist_fold"), "%"});
  else
    entry.open(c, {0, drive * 100.0f, 0.0f, 100.0f, ob::paramNameOfKey(ob::kMachineDrum, "dist_amt"), "%"});
}

// Only a new value is sent, and it marks the gesture as one that changed
// something.
void DistBlock::dragTo(const ui::Interaction& it) {
  if (it.axis == ui::DragAxis::Horizontal) {
    dragged_ = kPlace;
    const float x = it.pressPos.x + it.total.x;
    const int next = std::abs(x - xAfterMix) < std::abs(x - xInBody) ? 1 : 0;
    if (next != position && onPosition) {
      position = next;
      changed_ = true;
      onPosition(next);
    }
    return;
  }
  if (it.axis != ui::DragAxis::Vertical) return;
  const float d = it.total.y / (kSweep * ui::scale());
  const auto set = [this](float& amount, float next, const std::function<void(float)>& send) {
    if (next == amount) return;
    amount = next;
    changed_ = true;
    if (send) send(amount);
  };
  dragged_ = it.altAtPress ? kBias : it.shiftAtPress ? kFold : kDrive;
  if (dragged_ == kBias)
    set(bias, clamp01NanTo0(biasAtPress_ - d), onBias);
  else if (dragged_ == kFold)
    set(fold, clamp01NanTo0(foldAtPress_ - d), onFold);
  else
    set(drive, clamp01NanTo0(driveAtPress_ - d), onDrive);
  transferCurve();
}

std::string DistBlock::readout(int amount) const {
  if (amount == kPlace) return position == 1 ? "after mix" : "in body";
  if (amount == kBias) return biasName() + "  " + percent(bias);
  if (amount == kFold) return foldName() + "  " + percent(fold);
  return driveName() + "  " + percent(drive);
}

void DistBlock::draw(const ui::Rect& area) {
  ImGui::PushID(this);
  const float s = ui::scale();
  rect = area;
  transferCurve();
  tooltip_ = tooltip(drive, bias, fold, position == 1 ? "after the mix" : "in the body");

  const float c = clampTo(34.0f * s, 0.0f, area.height);
  const float x = position == 1 ? xAfterMix : xInBody;
  const ui::Rect square{x - c / 2.0f, area.y + (area.height - c) / 2.0f, c, c};
  const ui::CurvePreviewResult shown =
      ui::curvePreview("drive", square, curve, {.dim = drive <= 0.0f, .tooltip = tooltip_.c_str()});
  const ui::Interaction& it = shown.interaction;

  if (it.rightClicked) openEntry(shown.square);
  if (it.pressed) {
    driveAtPress_ = drive;
    biasAtPress_ = bias;
    foldAtPress_ = fold;
    dragging_ = true;
    changed_ = false;
    dragged_ = kNone;
  }
  const bool moved = it.delta.x != 0.0f || it.delta.y != 0.0f;
  if (it.held && dragging_ && moved) dragTo(it);
  if (it.released) {
    // A click, or a drag that left everything as it was, plays nothing.
    if (dragging_ && changed_ && onGestureEnd) onGestureEnd();
    dragging_ = false;
    changed_ = false;
    dragged_ = kNone;
  }
  // What the drag sets, while it moves: above the socket's place in the
  // body, the gap between the body's picture and the drum's, at either
  // place.
  if (dragging_ && dragged_ != kNone) {
    const std::string text = readout(dragged_);
    const float h = 12.0f * s,
                w = std::max(kReadoutWidth * s, ui::measureText(text, ui::TextStyle::Caption).x + 4.0f * s);
    ui::drawReadout(ImGui::GetWindowDrawList(), {xInBody - w / 2.0f, square.y - h - 2.0f * s, w, h}, text,
                    ui::TextStyle::Caption, palette::kLight, ui::TextAlign::Centre);
  }
  ui::logHandle(this, "drive", {x, square.y + 0.5f * square.height}, ui::kAlongBoth, dragging_);
  entry.draw();
  ImGui::PopID();
}

}  // namespace orbi
