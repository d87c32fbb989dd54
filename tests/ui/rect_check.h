#pragma once
// The check the layout tests repeat: rectangles compared field by field.

#include <gtest/gtest.h>

#include "ui/geometry.h"

namespace orbi::ui::test {

inline void expectRect(const Rect& got, const Rect& want) {
  EXPECT_FLOAT_EQ(got.x, want.x);
  EXPECT_FLOAT_EQ(got.y, want.y);
  EXPECT_FLOAT_EQ(got.width, want.width);
  EXPECT_FLOAT_EQ(got.height, want.height);
}

}  // namespace orbi::ui::test
