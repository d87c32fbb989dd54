#pragma once
// Fitting a box of design size into a rectangle. A box sized naturally is
// scaled to fit, and the factor is pushed on the UI scale for as long as
// the scope lives, so everything drawn inside in design units fits with it.

#include <imgui.h>

#include <cstdint>

#include "ui/geometry.h"

namespace orbi::ui {

enum class SizeMode : std::uint32_t {
  Natural,   // the natural size (the available one when it is negative), at most the available
  Fixed,     // value times the UI scale, at most the available
  Fill,      // the available size; any mode past these acts as this
  Fraction,  // the available size times value, value kept within 0..1
};

// Sizes one axis of a box in a rectangle.
struct SizeRule {
  SizeMode mode = SizeMode::Natural;
  float value = 0.0f;
};

// The size the rule gives an axis with this natural and available size.
float ruleSize(SizeRule rule, float natural, float available);

// Where a box sits across an axis; any other value acts as Start.
enum class Align : std::uint32_t { Start, Centre, End };

class ScaleToFit {
 public:
  // The height always follows the natural rule. A naturally sized box with
  // both natural sizes positive is scaled by min(width ratio, height
  // ratio), at least 0.001, and that factor is pushed; otherwise each axis
  // is sized by its rule and nothing is pushed.
  ScaleToFit(const Rect& rect, SizeRule width, ImVec2 natural, Align alignX, Align alignY);
  ~ScaleToFit();
  ScaleToFit(const ScaleToFit&) = delete;
  ScaleToFit& operator=(const ScaleToFit&) = delete;

  // The box, placed in the rectangle.
  const Rect& rect() const { return rect_; }
  bool pushedScale() const { return pushed_; }

 private:
  Rect rect_;
  bool pushed_ = false;
};

}  // namespace orbi::ui
