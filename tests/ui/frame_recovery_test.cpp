// A frame cut short by an exception, wherever it is thrown: inside a scroll
// area, a list, a modal or a popup, with a text style, an id, a style value
// or a colour still pushed. Dear ImGui 1.86 (asserts on) aborts when a
// window ends over such a push; here every such frame throws to its caller
// and the next frame draws whole.

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>

#include "support/ui/ui_harness.h"
#include "ui/controls/panel.h"
#include "ui/controls/scroll_area.h"
#include "ui/controls/virtual_list.h"
#include "ui/draw/text.h"
#include "ui/frame_recovery.h"
#include "ui/imgui_internals.h"
#include "ui/popups/popup.h"

namespace orbi::ui {
namespace frame_recovery_test {

enum class Push { TextStyle, Id, StyleValue, Colour };

void push(Push what) {
  switch (what) {
    case Push::TextStyle: pushTextStyle(TextStyle::Title); break;
    case Push::Id: ImGui::PushID("pushed"); break;
    case Push::StyleValue: ImGui::PushStyleVar(ImGuiStyleVar_ItemSpacing, ImVec2(1.0f, 1.0f)); break;
    case Push::Colour: ImGui::PushStyleColor(ImGuiCol_Text, IM_COL32(255, 0, 0, 255)); break;
  }
}

[[noreturn]] void pushAndThrow(Push what) {
  push(what);
  push(what);
  throw std::runtime_error("painter failed");
}

// Begins a modal popup as the framework's dialogs do and ends it through
// the same scope object, or leaves it to the frame when not scoped.
class ModalScope {
 public:
  explicit ModalScope(const char* id) {
    ImGui::OpenPopup(id);
    began_ = ImGui::BeginPopupModal(id, nullptr, ImGuiWindowFlags_AlwaysAutoResize);
    if (began_) window_.began();
  }
  ~ModalScope() {
    if (!began_) return;
    if (window_.unwinding())
      window_.endAfterException();
    else
      ImGui::EndPopup();
  }
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;

 private:
  bool began_ = false;
  ScopeWindow window_;
};

struct Place {
  const char* name;
  std::function<void(Push)> throwInside;
};

const Place kPlaces[] = {
    {"scroll area",
     [](Push what) {
       const ScrollArea area("area", {10, 10, 200, 100}, 400.0f);
       pushAndThrow(what);
     }},
    {"list row",
     [](Push what) {
       std::int32_t selected = -1;
       virtualList("list", {10, 10, 200, 100}, 50, selected, 20.0f, [&](ImDrawList*, const ListRow& row) {
         if (row.index == 2) pushAndThrow(what);
       });
     }},
    {"modal",
     [](Push what) {
       const ModalScope modal("modal");
       pushAndThrow(what);
     }},
    {"anchored popup",
     [](Push what) {
       openPopup("popup");
       if (beginAnchoredPopup("popup", {10, 10, 50, 20}, {})) pushAndThrow(what);
     }},
    // As the parameter browser draws: a list in a popup over a panel, in
    // an id scope of the widget's own.
    {"list in a popup over a panel",
     [](Push what) {
       ImGui::PushID("widget");
       const Panel panel({10, 10, 300, 300}, "Macros");
       openPopup("browser");
       if (!beginAnchoredPopup("browser", {20, 40, 50, 20}, ImVec2(240, 200))) return;
       std::int32_t selected = -1;
       virtualList("rows", {30, 70, 200, 150}, 20, selected, 18.0f, [&](ImDrawList*, const ListRow& row) {
         if (row.index == 1) pushAndThrow(what);
       });
     }},
    {"scroll area in a scroll area",
     [](Push what) {
       const ScrollArea outer("outer", {10, 10, 300, 300}, 600.0f);
       push(what);
       const ScrollArea inner("inner", {20, 20, 200, 100}, 400.0f);
       pushAndThrow(what);
     }},
};

struct Case {
  const Place* place;
  Push push;
};

void PrintTo(const Case& c, std::ostream* out) {
  *out << c.place->name << ", push " << static_cast<int>(c.push);
}

std::string caseName(const testing::TestParamInfo<Case>& info) {
  static const char* const pushes[] = {"TextStyle", "Id", "StyleValue", "Colour"};
  std::string name = info.param.place->name;
  for (char& c : name)
    if (c == ' ') c = '_';
  return name + "_" + pushes[static_cast<int>(info.param.push)];
}

std::vector<Case> everyCase() {
  std::vector<Case> cases;
  for (const Place& place : kPlaces)
    for (Push what : {Push::TextStyle, Push::Id, Push::StyleValue, Push::Colour})
      cases.push_back({&place, what});
  return cases;
}

class ThrowInside : public testing::TestWithParam<Case> {};

TEST_P(ThrowInside, ReachesTheFrameAndTheNextFrameDrawsWhole) {
  const Case& c = GetParam();
  UiHarness harness;
  ImFont* font = nullptr;
  ImVec2 spacing;
  harness.frame([&] {
    font = ImGui::GetFont();
    spacing = ImGui::GetStyle().ItemSpacing;
  });
  EXPECT_THROW(harness.frame([&] { c.place->throwInside(c.push); }), std::runtime_error);

  // The next frames draw in the root window, with nothing left pushed, and
  // the same places work again.
  for (int i = 0; i < 3; ++i) {
    harness.frame([&] {
      const ImGuiContext& g = *GImGui;
      EXPECT_EQ(g.CurrentWindowStack.Size, 2);  // Dear ImGui's own window and the root
      EXPECT_EQ(g.CurrentWindow->IDStack.Size, 1);
      EXPECT_EQ(ImGui::GetFont(), font);
      EXPECT_EQ(g.FontStack.Size, 0);
      EXPECT_EQ(g.ColorStack.Size, 0);
      EXPECT_EQ(ImGui::GetStyle().ItemSpacing.x, spacing.x);
      const ScrollArea area("again", {10, 10, 200, 100}, 400.0f);
      EXPECT_TRUE(area.began());
    });
  }
  EXPECT_TRUE(harness.ui().pushedFaces().empty());
}

INSTANTIATE_TEST_SUITE_P(Places, ThrowInside, testing::ValuesIn(everyCase()), caseName);

// Caught inside the frame: the scope has ended its window, and drawing goes
// on in the window around it with what that window had pushed.
TEST(ThrowInside, AScopeCaughtWithinTheFrameLeavesTheWindowAroundItAsItWas) {
  UiHarness harness;
  harness.frame([] {
    ImGuiWindow* root = ImGui::GetCurrentWindow();
    pushTextStyle(TextStyle::Mono);
    ImFont* mono = ImGui::GetFont();
    ImGui::PushID("outer");
    const ImGuiID inOuter = ImGui::GetID("x");
    for (Push what : {Push::TextStyle, Push::Id, Push::StyleValue, Push::Colour}) {
      try {
        const ScrollArea area("area", {10, 10, 200, 100}, 400.0f);
        pushAndThrow(what);
      } catch (const std::runtime_error&) {
      }
      EXPECT_EQ(ImGui::GetCurrentWindow(), root);
      EXPECT_EQ(ImGui::GetFont(), mono);
      EXPECT_EQ(ImGui::GetID("x"), inOuter);
    }
    ImGui::PopID();
    popTextStyle();
  });
  harness.frame();
}

}  // namespace frame_recovery_test
}  // namespace orbi::ui
