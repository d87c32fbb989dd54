// What the adapter reads of Dear ImGui, checked against its public view of
// the same things.
#include "ui/imgui_adapter.h"

#include <gtest/gtest.h>

#include "support/ui/ui_harness.h"
#include "ui/draw/text.h"

namespace orbi::ui {
namespace imgui_adapter_test {

TEST(ImGuiAdapter, AnOwnersIdsAreTheSameInsideAnyScope) {
  UiHarness harness;
  const int owner = 0, other = 0;
  harness.frame([&] {
    const ImGuiID outside = ImGui::GetID("box");
    ImGuiID fromRoot = 0, fromNested = 0, ofOther = 0;
    {
      const OwnerIdScope scope(&owner);
      fromRoot = ImGui::GetID("box");
    }
    ImGui::PushID("row");
    ImGui::PushID(7);
    {
      const OwnerIdScope scope(&owner);
      fromNested = ImGui::GetID("box");
    }
    {
      const OwnerIdScope scope(&other);
      ofOther = ImGui::GetID("box");
    }
    ImGui::PopID();
    ImGui::PopID();
    EXPECT_EQ(fromRoot, fromNested);
    EXPECT_NE(fromRoot, ofOther);
    EXPECT_NE(fromRoot, outside);
    EXPECT_EQ(ImGui::GetID("box"), outside) << "the scope was not popped";
  });
}

TEST(ImGuiAdapter, LastItemIsTheOneJustLaidOut) {
  UiHarness harness;
  harness.frame([&] {
    ImGui::SetCursorScreenPos(ImVec2(40.0f, 60.0f));
    const ImGuiID id = ImGui::GetID("Press");
    ImGui::Button("Press", ImVec2(80.0f, 24.0f));
    EXPECT_EQ(lastItemId(), id);
    EXPECT_EQ(lastItemKey(), id);
    const Rect r = lastItemRect();
    EXPECT_EQ(r.x, ImGui::GetItemRectMin().x);
    EXPECT_EQ(r.y, ImGui::GetItemRectMin().y);
    EXPECT_EQ(r.width, ImGui::GetItemRectSize().x);
    EXPECT_EQ(r.height, ImGui::GetItemRectSize().y);

    // Plain text has no id: it is told apart by where it is.
    ImGui::SetCursorScreenPos(ImVec2(40.0f, 120.0f));
    ImGui::TextUnformatted("same");
    EXPECT_EQ(lastItemId(), 0u);
    const ImGuiID first = lastItemKey();
    ImGui::SetCursorScreenPos(ImVec2(40.0f, 160.0f));
    ImGui::TextUnformatted("same");
    EXPECT_NE(lastItemKey(), first);
    EXPECT_NE(first, 0u);
  });
}

TEST(ImGuiAdapter, PaddingAndFontsAreTheWindowsOwn) {
  UiHarness harness;
  harness.frame([&] {
    // The root window began without padding; the style keeps its own.
    EXPECT_EQ(windowPadding().x, 0.0f);
    EXPECT_GT(ImGui::GetStyle().WindowPadding.x, 0.0f);
    const int depth = fontStackDepth();
    pushTextStyle(TextStyle::Body);
    EXPECT_EQ(fontStackDepth(), depth + 1);
    popTextStyle();
    EXPECT_EQ(fontStackDepth(), depth);
  });
}

}  // namespace imgui_adapter_test
}  // namespace orbi::ui
