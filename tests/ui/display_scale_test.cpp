// The desktop's scale from the X resource-manager text, and the limits
// every scale the window applies is kept within.

#include "ui/platform/display_scale.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace orbi::ui {
namespace display_scale_test {

struct Case {
  const char* resources;
  float scale;
};

TEST(DisplayScale, XftDpiOverNinetySix) {
  const std::vector<Case> cases = {
      {"", 1.0f},
      {"Xft.antialias:\t1\nXft.hinting:\t1\n", 1.0f},
      {"Xft.dpi:\t96\n", 1.0f},
      {"Xft.dpi:\t144\n", 1.5f},
      {"Xcursor.size:\t24\nXft.dpi:\t192\nXft.rgba:\trgb\n", 2.0f},
      {"Xft.dpi:  120  ", 1.25f},
      {"Xft.dpi:\t120\r\n", 1.25f},
      {"Xft.dpi:\t120.0\n", 1.25f},
      // The last entry is the one the resource database keeps.
      {"Xft.dpi:\t96\nXft.dpi:\t144\n", 1.5f},
      // Unusable values leave the default.
      {"Xft.dpi:\tlarge\n", 1.0f},
      {"Xft.dpi:\t144dpi\n", 1.0f},
      {"Xft.dpi:\t0\n", 1.0f},
      {"Xft.dpi:\t-96\n", 1.0f},
      {"Xft.dpi:\tnan\n", 1.0f},
      {"Xft.dpi:\tinf\n", 1.0f},
      {"Xft.dpi:\n", 1.0f},
      // Other names are not Xft.dpi.
      {"*dpi:\t144\nXft.dpiX:\t144\nMyXft.dpi:\t144\n", 1.0f},
      // Within what the window applies.
      {"Xft.dpi:\t9600\n", kMaxDisplayScale},
      {"Xft.dpi:\t12\n", kMinDisplayScale},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.resources);
    EXPECT_FLOAT_EQ(xftDpiScale(c.resources), c.scale);
  }
}

TEST(DisplayScale, AppliedScalesStayWithinTheLimits) {
  EXPECT_FLOAT_EQ(clampDisplayScale(1.75f), 1.75f);
  EXPECT_FLOAT_EQ(clampDisplayScale(0.01f), kMinDisplayScale);
  EXPECT_FLOAT_EQ(clampDisplayScale(1e30f), kMaxDisplayScale);
  EXPECT_FLOAT_EQ(clampDisplayScale(std::numeric_limits<float>::max()), kMaxDisplayScale);
  EXPECT_LT(kMinDisplayScale, 1.0f);
  EXPECT_GT(kMaxDisplayScale, 1.0f);
}

}  // namespace display_scale_test
}  // namespace orbi::ui
