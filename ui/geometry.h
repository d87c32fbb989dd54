#pragma once
// A rectangle in physical pixels, the unit every layout of the editor is
// computed in; the far corner is (x + width, y + height).

namespace orbi::ui {

struct Rect {
  float x = 0.0f;
  float y = 0.0f;
  float width = 0.0f;
  float height = 0.0f;
};

}  // namespace orbi::ui
