#include "ui/context.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/ui/ui_harness.h"
#include "ui/draw/text.h"
#include "ui/store.h"

namespace orbi::ui {
namespace context_test {

// Every size and colour a style holds, so two styles can be compared.
void expectSameStyle(const ImGuiStyle& a, const ImGuiStyle& b) {
  auto same2 = [](ImVec2 x, ImVec2 y) { return x.x == y.x && x.y == y.y; };
  EXPECT_TRUE(same2(a.WindowPadding, b.WindowPadding));
  EXPECT_TRUE(same2(a.WindowMinSize, b.WindowMinSize));
  EXPECT_TRUE(same2(a.FramePadding, b.FramePadding));
  EXPECT_TRUE(same2(a.ItemSpacing, b.ItemSpacing));
  EXPECT_TRUE(same2(a.ItemInnerSpacing, b.ItemInnerSpacing));
  EXPECT_TRUE(same2(a.CellPadding, b.CellPadding));
  EXPECT_TRUE(same2(a.TouchExtraPadding, b.TouchExtraPadding));
  EXPECT_TRUE(same2(a.DisplayWindowPadding, b.DisplayWindowPadding));
  EXPECT_TRUE(same2(a.DisplaySafeAreaPadding, b.DisplaySafeAreaPadding));
  for (auto field : {&ImGuiStyle::WindowRounding, &ImGuiStyle::ChildRounding, &ImGuiStyle::PopupRounding,
                     &ImGuiStyle::FrameRounding, &ImGuiStyle::IndentSpacing, &ImGuiStyle::ColumnsMinSpacing,
                     &ImGuiStyle::ScrollbarSize, &ImGuiStyle::ScrollbarRounding, &ImGuiStyle::GrabMinSize,
                     &ImGuiStyle::GrabRounding, &ImGuiStyle::LogSliderDeadzone, &ImGuiStyle::TabRounding,
                     &ImGuiStyle::TabMinWidthForCloseButton, &ImGuiStyle::MouseCursorScale,
                     &ImGuiStyle::PopupBorderSize, &ImGuiStyle::WindowBorderSize})
    EXPECT_EQ(a.*field, b.*field);
  for (int c = 0; c < ImGuiCol_COUNT; ++c) {
    SCOPED_TRACE(ImGui::GetStyleColorName(c));
    EXPECT_EQ(a.Colors[c].x, b.Colors[c].x);
    EXPECT_EQ(a.Colors[c].y, b.Colors[c].y);
    EXPECT_EQ(a.Colors[c].z, b.Colors[c].z);
    EXPECT_EQ(a.Colors[c].w, b.Colors[c].w);
  }
}

ImGuiStyle styleOf(const UiContext& ui) {
  ContextScope scope(ui);
  return ImGui::GetStyle();
}

TEST(UiContext, MadeAndDestroyedWhileAnotherIsCurrentLeavesThatOneCurrent) {
  ImGuiContext* other = ImGui::CreateContext();
  ImGui::SetCurrentContext(other);
  {
    UiContext ui;
    EXPECT_EQ(ImGui::GetCurrentContext(), other);
    EXPECT_NE(ui.imgui(), other);
    {
      ContextScope scope(ui);
      EXPECT_EQ(ImGui::GetCurrentContext(), ui.imgui());
      EXPECT_EQ(&context(), &ui);
    }
    EXPECT_EQ(ImGui::GetCurrentContext(), other);
  }
  EXPECT_EQ(ImGui::GetCurrentContext(), other);
  ImGui::DestroyContext(other);
  EXPECT_EQ(ImGui::GetCurrentContext(), nullptr);
}

TEST(UiContext, MadeWithNoneCurrentIsLeftCurrentAndDestroyedLeavesNone) {
  ASSERT_EQ(ImGui::GetCurrentContext(), nullptr);
  {
    UiContext ui;
    EXPECT_EQ(ImGui::GetCurrentContext(), ui.imgui());
    EXPECT_EQ(&context(), &ui);
  }
  EXPECT_EQ(ImGui::GetCurrentContext(), nullptr);
}

TEST(UiContext, DestroyingOneContextKeepsAnotherUiContextCurrent) {
  UiContext kept;
  ContextScope scope(kept);
  { UiContext gone; }
  EXPECT_EQ(ImGui::GetCurrentContext(), kept.imgui());
}

TEST(UiContext, DearImGuiWritesNoFiles) {
  UiContext ui;
  ContextScope scope(ui);
  EXPECT_EQ(ImGui::GetIO().IniFilename, nullptr);
  EXPECT_EQ(ImGui::GetIO().LogFilename, nullptr);
}

TEST(UiContext, ScaleMultipliesTheDisplayScaleByEveryPushedFactor) {
  UiContext ui;
  ContextScope scope(ui);
  EXPECT_EQ(scale(), 1.0f);
  ui.setDisplayScale(2.0f);
  EXPECT_EQ(scale(), 2.0f);
  ui.pushScale(0.5f);
  EXPECT_EQ(scale(), 1.0f);
  ui.pushScale(3.0f);
  EXPECT_EQ(scale(), 3.0f);
  ui.popScale();
  EXPECT_EQ(scale(), 1.0f);
  ui.popScale();
  EXPECT_EQ(scale(), 2.0f);
  ui.popScale();  // one pop too many changes nothing
  EXPECT_EQ(scale(), 2.0f);
  EXPECT_EQ(ui.displayScale(), 2.0f);
}

TEST(UiContext, InvalidDisplayScalesThrowAndKeepScaleAndStyle) {
  UiContext ui;
  ui.setDisplayScale(1.5f);
  const ImGuiStyle before = styleOf(ui);
  for (float bad : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN(),
                    std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()}) {
    SCOPED_TRACE(bad);
    try {
      ui.setDisplayScale(bad);
      ADD_FAILURE() << "accepted";
    } catch (const std::invalid_argument& e) {
      EXPECT_EQ(std::string(e.what()), "orbi-ui: display scale must be positive");
    }
    EXPECT_EQ(ui.displayScale(), 1.5f);
    expectSameStyle(styleOf(ui), before);
  }
}

TEST(UiContext, StyleAfterScaleTwoThenOneEqualsAFreshOneAtOne) {
  UiContext fresh;
  UiContext rescaled;
  rescaled.setDisplayScale(2.0f);
  EXPECT_EQ(styleOf(rescaled).FramePadding.x, 2.0f * styleOf(fresh).FramePadding.x);
  rescaled.setDisplayScale(1.0f);
  expectSameStyle(styleOf(rescaled), styleOf(fresh));
}

TEST(UiContext, AtlasIsUploadedOnceAndAgainOnlyAfterTheScaleChanged) {
  UiContext ui;
  EXPECT_TRUE(ui.prepareFrame());
  EXPECT_FALSE(ui.prepareFrame());
  ui.setDisplayScale(1.0f);
  EXPECT_FALSE(ui.prepareFrame());
  ui.setDisplayScale(2.0f);
  EXPECT_TRUE(ui.prepareFrame());
  EXPECT_FALSE(ui.prepareFrame());
}

TEST(UiContext, ScaleChangedInsideAFrameRebuildsTheAtlasAtTheNextPrepare) {
  UiHarness harness;
  float sizeInFrame = 0.0f;
  harness.frame([&] {
    harness.ui().setDisplayScale(2.0f);
    EXPECT_FALSE(harness.ui().prepareFrame());  // the atlas is locked inside a frame
    sizeInFrame = fontFor(0)->FontSize;
  });
  EXPECT_EQ(sizeInFrame, 12.0f);
  harness.frame([&] { EXPECT_EQ(fontFor(0)->FontSize, 24.0f); });
  EXPECT_EQ(harness.atlasUploads(), 2);
}

TEST(UiHarness, AFrameThatThrowsLeavesTheContextReadyForTheNext) {
  UiHarness harness;
  const ImFont* title = nullptr;
  EXPECT_THROW(harness.frame([&] {
    pushTextStyle(TextStyle::Title);
    harness.ui().pushScale(0.5f);
    pushTextStyle(TextStyle::Title);
    harness.ui().popScale();
    title = ImGui::GetFont();
    ImGui::Begin("orbi.test.window");
    throw std::runtime_error("view failed");
  }),
               std::runtime_error);
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->Scale, 1.0f);
  harness.frame([] { EXPECT_EQ(ImGui::GetFont(), fontFor(0)); });
}

struct Counter {
  int count = 0;
};
struct Label {
  std::string text = "fresh";
};

TEST(UiStore, GivesOneObjectPerKeyAndReplacesItForAnotherType) {
  UiContext ui;
  constexpr std::uint32_t key = fourCc("TEST");
  EXPECT_EQ(key, 0x54455354u);
  store<Counter>(ui, key).count = 7;
  EXPECT_EQ(store<Counter>(ui, key).count, 7);
  EXPECT_EQ(store<Counter>(ui, fourCc("OTHR")).count, 0);

  store<Label>(ui, key).text = "changed";
  EXPECT_EQ(store<Label>(ui, key).text, "changed");
  EXPECT_EQ(store<Counter>(ui, key).count, 0);  // the counter was replaced, and is new again
  EXPECT_EQ(store<Label>(ui, key).text, "fresh");
}

TEST(UiStore, KeysThatDifferInOneByteKeepTheirOwnObjects) {
  // Codes of one family share three of their four bytes; whichever byte
  // differs, each key keeps its own object however full the store gets.
  UiContext ui;
  const std::uint32_t base = fourCc("ROW0");
  std::vector<std::uint32_t> keys;
  for (int shift = 0; shift < 32; shift += 8)
    for (std::uint32_t b = 0; b < 64; ++b) {
      const std::uint32_t key = (base & ~(0xFFu << shift)) | (b << shift);
      if (key != base) keys.push_back(key);
    }
  for (std::size_t i = 0; i < keys.size(); ++i) store<Counter>(ui, keys[i]).count = static_cast<int>(i) + 1;
  for (std::size_t i = 0; i < keys.size(); ++i)
    EXPECT_EQ(store<Counter>(ui, keys[i]).count, static_cast<int>(i) + 1) << keys[i];
  EXPECT_EQ(store<Counter>(ui, base).count, 0);
}

TEST(UiContext, TwoContextsKeepTheirOwnStoresScalesAndAtlases) {
  UiContext a, b;
  store<Counter>(a, 1).count = 1;
  store<Counter>(b, 1).count = 2;
  b.setDisplayScale(2.0f);
  a.pushScale(0.5f);
  a.prepareFrame();
  b.prepareFrame();
  EXPECT_EQ(store<Counter>(a, 1).count, 1);
  EXPECT_EQ(store<Counter>(b, 1).count, 2);
  EXPECT_EQ(a.scale(), 0.5f);
  EXPECT_EQ(b.scale(), 2.0f);
  float sizeA = 0.0f, sizeB = 0.0f;
  ImFontAtlas *atlasA = nullptr, *atlasB = nullptr;
  {
    ContextScope scope(a);
    sizeA = fontFor(0)->FontSize;
    atlasA = ImGui::GetIO().Fonts;
  }
  {
    ContextScope scope(b);
    sizeB = fontFor(0)->FontSize;
    atlasB = ImGui::GetIO().Fonts;
  }
  EXPECT_NE(atlasA, atlasB);
  EXPECT_EQ(sizeA, 12.0f);
  EXPECT_EQ(sizeB, 24.0f);
  EXPECT_LT(atlasA->TexHeight * atlasA->TexWidth, atlasB->TexHeight * atlasB->TexWidth);
}

}  // namespace context_test
}  // namespace orbi::ui
