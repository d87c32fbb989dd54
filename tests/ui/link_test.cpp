#include "ui/link.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <cerrno>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "support/ui/ui_harness.h"
#include "tests/ui/fake_programs.h"
#include "ui/draw/draw_log.h"
#include "ui/draw/text.h"
#include "ui/platform/system_opener.h"
#include "ui/theme/colour.h"

namespace orbi::ui {
namespace link_test {

using test::FakePrograms;

TEST(HsvToArgb, PrimariesWrappedHuesAndClamps) {
  struct Case {
    float h, s, v, a;
    std::uint32_t expected;
  };
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (const Case& c : {Case{0, 1, 1, 1, 0xFFFF0000}, Case{1.0f / 3.0f, 1, 1, 1, 0xFF00FF00},
                        Case{2.0f / 3.0f, 1, 1, 1, 0xFF0000FF}, Case{1.0f / 6.0f, 1, 1, 1, 0xFFFFFF00},
                        Case{0.5f, 1, 1, 1, 0xFF00FFFF}, Case{5.0f / 6.0f, 1, 1, 1, 0xFFFF00FF},
                        Case{0.25f, 0, 0.5f, 1, 0xFF808080},  // no saturation: grey
                        Case{0.25f, 1, 0, 1, 0xFF000000}, Case{0, 1, 1, 0.5f, 0x80FF0000},
                        Case{0, 2, 3, 4, 0xFFFF0000}, Case{0, -1, 1, -1, 0x00FFFFFF},  // clamped
                        Case{nan, 1, 1, 1, 0xFFFF0000}, Case{0, nan, 1, 1, 0xFFFFFFFF}}) {
    SCOPED_TRACE(testing::Message() << c.h << " " << c.s << " " << c.v << " " << c.a);
    EXPECT_EQ(hsvToArgb(c.h, c.s, c.v, c.a), c.expected);
  }
  // Only the fraction of the hue counts.
  for (float h : {0.1f, 0.25f, 0.6f, 0.9f}) {
    SCOPED_TRACE(h);
    EXPECT_EQ(hsvToArgb(h + 1.0f, 0.7f, 0.8f, 1), hsvToArgb(h, 0.7f, 0.8f, 1));
    EXPECT_EQ(hsvToArgb(h - 1.0f, 0.7f, 0.8f, 1), hsvToArgb(h, 0.7f, 0.8f, 1));
  }
}

constexpr const char* kLicence = "https://example.org/licences/cc-by-4.0";
const Rect kRect{100, 100, 300, 24};

class Links : public testing::Test {
 protected:
  Links() { harness_.frame(); }

  // One frame of a link; returns what it drew as text.
  const DrawRecord* drawn(TextAlign alignment, const Rect& rect = kRect, const char* text = "Licence") {
    harness_.frame([&] { link("credit", rect, text, kLicence, alignment); });
    const auto texts = harness_.drawLog().find(DrawOp::Text);
    return texts.empty() ? nullptr : texts.front();
  }
  float textWidth(const char* text) {
    float w = 0;
    harness_.frame([&] { w = measureText(text, TextStyle::Body).x; });
    return w;
  }

  FakePrograms fakes_;
  UiHarness harness_;
};

TEST_F(Links, TheTextSitsAsWideAsItIsWhereTheAlignmentPutsIt) {
  const float width = textWidth("Licence");
  ASSERT_LT(width, kRect.width);
  struct Case {
    TextAlign alignment;
    float x;
  };
  for (const Case& c :
       {Case{TextAlign::Left, kRect.x}, Case{TextAlign::Centre, kRect.x + (kRect.width - width) / 2},
        Case{TextAlign::Right, kRect.x + kRect.width - width}}) {
    SCOPED_TRACE(static_cast<int>(c.alignment));
    const DrawRecord* text = drawn(c.alignment);
    ASSERT_NE(text, nullptr);
    EXPECT_FLOAT_EQ(text->rect.x, c.x);
    EXPECT_FLOAT_EQ(text->rect.width, width);
    EXPECT_EQ(text->alignment, TextAlign::Left);
  }
  // Flush with the right edge.
  const DrawRecord* right = drawn(TextAlign::Right);
  EXPECT_FLOAT_EQ(right->rect.x + right->rect.width, kRect.x + kRect.width);
  // Wider than the rect: cut to it.
  const DrawRecord* cut = drawn(TextAlign::Right, Rect{100, 100, 20, 24});
  EXPECT_FLOAT_EQ(cut->rect.x, 100);
  EXPECT_FLOAT_EQ(cut->rect.width, 20);
  // Centred down the rect.
  EXPECT_FLOAT_EQ(cut->rect.y + cut->rect.height / 2, kRect.y + kRect.height / 2);
}

TEST_F(Links, HoveringLightensAndUnderlines) {
  const DrawRecord* idle = drawn(TextAlign::Left);
  EXPECT_EQ(idle->colour, 0xFF8DC63Fu);
  EXPECT_TRUE(harness_.drawLog().find(DrawOp::Polyline).empty());
  const ItemRecord* item = harness_.drawLog().findItem("credit");
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->tooltip, kLicence);
  EXPECT_EQ(item->cursor, ImGuiMouseCursor_Hand);

  harness_.movePointer(ImVec2(idle->rect.x + 5, idle->rect.y + 5));
  drawn(TextAlign::Left);
  const DrawRecord* hovered = drawn(TextAlign::Left);
  EXPECT_EQ(hovered->colour, 0xFFAAD46Fu);
  const auto lines = harness_.drawLog().find(DrawOp::Polyline);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0]->colour, 0xFFAAD46Fu);
  EXPECT_FLOAT_EQ(lines[0]->width, 1.0f);
  ASSERT_EQ(lines[0]->points.size(), 2u);
  EXPECT_FLOAT_EQ(lines[0]->points[0].x, hovered->rect.x);
  EXPECT_FLOAT_EQ(lines[0]->points[1].x, hovered->rect.x + hovered->rect.width);
  EXPECT_FLOAT_EQ(lines[0]->points[0].y, hovered->rect.y + hovered->rect.height);
}

TEST_F(Links, AClickOpensTheAddressOnceAndTheOpenerIsReaped) {
  fakes_.install("xdg-open");
  int clicks = 0;
  ASSERT_TRUE(
      harness_.clickItem("credit", [&] { clicks += link("credit", kRect, "Licence", kLicence) ? 1 : 0; }));
  EXPECT_EQ(clicks, 1);
  const std::optional<pid_t> pid = fakes_.pid("xdg-open");
  ASSERT_TRUE(pid);
  EXPECT_EQ(fakes_.arguments("xdg-open"), std::vector<std::string>{kLicence});
  // Frames reap it once it has ended: it is not left a zombie.
  EXPECT_TRUE(test::eventually([&] {
    harness_.frame();
    return kill(*pid, 0) < 0 && errno == ESRCH;
  }));
  EXPECT_EQ(reapSystemOpeners(), 0u);
  EXPECT_EQ(fakes_.runs("xdg-open"), 1);
}

TEST_F(Links, OnlyWebAddressesAreOpened) {
  fakes_.install("xdg-open");
  // An opener started for a refused address would still be running when
  // the refusals are done, so the count of running openers shows it.
  fakes_.hang("xdg-open");
  for (const char* target : {"file:///etc/passwd", "javascript:alert(1)", "/usr/bin/xterm",
                             "ftp://example.org/", "httpx://example.org", "", "mailto:someone@example.org"}) {
    SCOPED_TRACE(target);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(openLink(target));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              std::string("orbi-ui: the system could not open ") + target + "\n");
    int clicks = 0;
    testing::internal::CaptureStderr();
    harness_.clickItem("bad", [&] { clicks += link("bad", kRect, "Bad", target) ? 1 : 0; });
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(clicks, 1);  // the click is reported all the same
    harness_.frames(30);   // so the next click is not a double-click
  }
  EXPECT_EQ(reapSystemOpeners(), 0u);
  fakes_.stopHanging("xdg-open");
  EXPECT_TRUE(openLink("HTTPS://example.org/upper"));
  EXPECT_TRUE(openLink("http://example.org/plain"));
  EXPECT_TRUE(test::eventually([&] { return fakes_.runs("xdg-open") == 2; }));
  EXPECT_TRUE(test::eventually([&] { return reapSystemOpeners() == 0; }));
}

TEST_F(Links, WithoutXdgOpenNothingOpens) {
  testing::internal::CaptureStderr();
  EXPECT_FALSE(openLink(kLicence));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            std::string("orbi-ui: the system could not open ") + kLicence + "\n");
  EXPECT_EQ(reapSystemOpeners(), 0u);
}

}  // namespace link_test
}  // namespace orbi::ui
