// The sample credits strip: which sets it names and in what order, its
// compact form, the tooltips, and the glyphs its texts need.
#include "editor/credits/sample_credits_window.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "support/ui/ui_harness.h"
#include "ui/draw/draw_log.h"
#include "ui/draw/text.h"

namespace orbi {
namespace sample_credits_test {

// A project whose slots came from the given sources, in slot order.
std::unique_ptr<ob::Project> withSources(const std::vector<std::uint8_t>& sources) {
  auto project = std::make_unique<ob::Project>();
  for (std::size_t s = 0; s < sources.size(); ++s) {
    std::snprintf(project->samples.slots[s].name, 64, "slot %zu", s);
    project->samples.slots[s].src = sources[s];
  }
  project->samples.count = static_cast<std::uint8_t>(sources.size());
  return project;
}

class CreditsStrip : public ::testing::Test {
 protected:
  // The entries' item tooltips and the texts drawn, over a band of the width.
  void draw(const ob::Project& project, float width) {
    harness.frame([&] { strip.draw({0.0f, 100.0f, width, 20.0f}, project); });
    texts.clear();
    tooltips.clear();
    for (const ui::DrawRecord* r : harness.drawLog().find(ui::DrawOp::Text)) texts.push_back(r->text);
    for (const ui::ItemRecord& item : harness.drawLog().items())
      if (item.idText == "credit") tooltips.push_back(item.tooltip);
  }
  std::vector<std::string> expectedEntries(const std::vector<std::uint32_t>& sets, bool compact) {
    std::vector<std::string> out{compact ? "Samples" : "Sample credits"};
    for (const std::uint32_t set : sets)
      out.push_back(SampleCreditsWindow::rowText(ob::sampleCreditsTable[set], compact));
    return out;
  }

  ui::UiHarness harness;
  SampleCreditsWindow strip;
  std::vector<std::string> texts;
  std::vector<std::string> tooltips;
};

TEST_F(CreditsStrip, UserImportsAloneShowNoStrip) {
  auto project = withSources({0, 0, 0});
  EXPECT_TRUE(SampleCreditsWindow::usedSets(*project).empty());
  draw(*project, 900.0f);
  EXPECT_TRUE(harness.drawLog().records().empty());
  EXPECT_TRUE(harness.drawLog().items().empty());
}

TEST_F(CreditsStrip, SetsAreListedInSlotOrderOnceEach) {
  auto project = withSources({0, 3, 3, 1, 0, 1});
  project->samples.slots[6].src = 2;  // past the count: not in use
  project->samples.slots[2].name[0] = '\0';
  EXPECT_EQ(SampleCreditsWindow::usedSets(*project), (std::vector<std::uint32_t>{3, 1}));
  draw(*project, 900.0f);
  EXPECT_EQ(texts, expectedEntries({3, 1}, false));
  EXPECT_EQ(texts[1], "Orbitrane Timpani \u2014 Orbitrane project (CC0 1.0)");
}

TEST_F(CreditsStrip, ANarrowBandShowsSamplesAndBareNames) {
  auto project = withSources({1, 2});
  draw(*project, 960.0f);
  EXPECT_EQ(texts, expectedEntries({1, 2}, false));
  draw(*project, 500.0f);
  EXPECT_EQ(texts, expectedEntries({1, 2}, true));
  // Narrower still, the strip stops at the first name that does not fit.
  draw(*project, 220.0f);
  EXPECT_EQ(texts, (std::vector<std::string>{"Samples", "Orbitrane Studio Kit"}));
}

TEST_F(CreditsStrip, TooltipsNameTheSetTheAuthorAndTheLicence) {
  auto project = withSources({2, 4});
  draw(*project, 960.0f);
  ASSERT_EQ(tooltips.size(), 2u);
  EXPECT_EQ(tooltips[0],
            "Orbitrane Rock Kit by Orbitrane project \u00B7 CC0 1.0 \u00B7 public domain\n"
            "https://creativecommons.org/publicdomain/zero/1.0/");
  EXPECT_EQ(tooltips[1], SampleCreditsWindow::tooltipText(ob::sampleCreditsTable[4]));

  ob::SampleCreditRow attributed = ob::sampleCreditsTable[1];
  attributed.attributionRequired = 1;
  attributed.licence = "CC BY 4.0";
  attributed.licenceLink = "https://example.org/by";
  EXPECT_EQ(SampleCreditsWindow::tooltipText(attributed),
            "Orbitrane Studio Kit by Orbitrane project \u00B7 CC BY 4.0 \u00B7 attribution required\n"
            "https://example.org/by");
}

TEST_F(CreditsStrip, TheFontsCarryTheDashTheDotAndTheCross) {
  harness.frame([] {
    const ui::SizedFont body = ui::styleFont(ui::TextStyle::Body);
    ASSERT_NE(body.face, nullptr);
    for (const ImWchar c : {ImWchar(0x2014), ImWchar(0x00B7), ImWchar(0x00D7)}) {
      SCOPED_TRACE(c);
      EXPECT_NE(body.face->FindGlyphNoFallback(c), nullptr);
    }
  });
}

}  // namespace sample_credits_test
}  // namespace orbi
