// What a frame says of the next, as a window that draws only when told
// reads it: whenever a frame says nothing is due before a time, every frame
// drawn until then repeats its picture exactly; after hovers, clicks, a
// popup, an animation and typing it settles within a few frames; and the
// requests of the frame's own code reach it. Also the window's schedule.
#include "ui/frame_requests.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "support/ui/ui_harness.h"
#include "ui/animation.h"
#include "ui/controls/text_field.h"
#include "ui/draw/shapes.h"
#include "ui/frame_demand.h"
#include "ui/frame_failures.h"
#include "ui/imgui_internals.h"
#include "ui/interact/interaction.h"
#include "ui/popups/menu.h"

namespace orbi::ui {
namespace frame_requests_test {

constexpr ImGuiMouseButton kLeft = ImGuiMouseButton_Left;
constexpr double kFrameSeconds = 1.0 / 60.0;

// Everything a frame hands the renderer, byte for byte.
std::vector<unsigned char> pictureOf(const ImDrawData& data) {
  std::vector<unsigned char> bytes;
  const auto append = [&](const void* p, std::size_t n) {
    const auto* b = static_cast<const unsigned char*>(p);
    bytes.insert(bytes.end(), b, b + n);
  };
  for (int l = 0; l < data.CmdListsCount; ++l) {
    const ImDrawList& list = *data.CmdLists[l];
    append(list.VtxBuffer.Data, list.VtxBuffer.size_in_bytes());
    append(list.IdxBuffer.Data, list.IdxBuffer.size_in_bytes());
    for (const ImDrawCmd& cmd : list.CmdBuffer) {
      append(&cmd.ClipRect, sizeof cmd.ClipRect);
      append(&cmd.TextureId, sizeof cmd.TextureId);
      append(&cmd.ElemCount, sizeof cmd.ElemCount);
    }
  }
  return bytes;
}

double imguiTime(UiHarness& h) {
  ContextScope scope(h.ui());
  return ImGui::GetTime();
}

// A small page of what the editor's pages are made of: a control that
// lights up when hovered and has a tooltip, one that opens a menu, one that
// starts a flash, and a text field.
class SmallPage {
 public:
  static constexpr Rect kTipped{40, 40, 120, 40};
  static constexpr Rect kMenuButton{200, 40, 120, 40};
  static constexpr Rect kFlash{360, 40, 120, 40};
  static constexpr Rect kField{40, 120, 240, 24};

  void operator()() {
    ImDrawList* dl = ImGui::GetWindowDrawList();
    InteractSpec desc;
    desc.kind = HitKind::Rectangle;
    desc.rect = kTipped;
    desc.tooltip = "TIPPED - shows a tooltip";
    fillRect(dl, kTipped, interact("tipped", desc).hovered ? 0xFFA4D165 : 0xFF8DC63F);

    desc.rect = kMenuButton;
    desc.tooltip = nullptr;
    if (interact("menu", desc).clicked) openPopupAt("page.menu");
    fillRect(dl, kMenuButton, 0xFF202C19);
    const MenuEntry entries[] = {{"First", 1}, {"Second", 2}};
    if (popupMenu("page.menu", entries).command) ++chosen;

    desc.rect = kFlash;
    const ImGuiID flash = ImGui::GetID("flash");
    if (interact("flash", desc).clicked) context().animations()[flash] = ImGui::GetTime();
    const float left = animationState(flash, 0.3f);
    fillRect(dl, kFlash, 0xFF000000u | static_cast<std::uint32_t>(255.0f * left) << 16);

    textField("field", kField, text);
  }

  int chosen = 0;
  std::string text;
};

// Draws frames with the input left alone until one says the next is not
// due (nothing left but a time to wake), failing when that takes more than
// `most`. Returns that frame's request for the next.
NextFrameRequest settle(UiHarness& h, SmallPage& page, int most = 8) {
  for (int frame = 0; frame < most; ++frame) {
    h.frame(std::ref(page));
    const NextFrameRequest o = h.nextFrameRequest();
    if (!o.again && imguiTime(h) + kFrameSeconds < o.at) return o;
  }
  ADD_FAILURE() << "no settled frame in " << most;
  return h.nextFrameRequest();
}

// A press in one frame and the release in the next.
void click(UiHarness& h, SmallPage& page, ImVec2 at) {
  h.movePointer(at);
  h.setButton(kLeft, true);
  h.frame(std::ref(page));
  h.setButton(kLeft, false);
  h.frame(std::ref(page));
}

// Frames through the next `seconds` with the input left alone: a frame
// that is not due repeats the last picture.
void quietFor(UiHarness& h, SmallPage& page, double seconds) {
  std::vector<unsigned char> last = pictureOf(h.frame(std::ref(page)));
  const int frames = static_cast<int>(seconds / kFrameSeconds);
  for (int frame = 0; frame < frames; ++frame) {
    const NextFrameRequest o = h.nextFrameRequest();
    const bool due = o.again || imguiTime(h) + kFrameSeconds >= o.at;
    std::vector<unsigned char> now = pictureOf(h.frame(std::ref(page)));
    if (!due) {
      ASSERT_TRUE(now == last) << "frame " << frame << " changed the picture though none was due";
    }
    last = std::move(now);
  }
}

TEST(NextFrameRequest, FramesThatAreNotDueRepeatThePicture) {
  UiHarness h;
  SmallPage page;
  const struct Step {
    const char* what;
    std::function<void()> input;
    int settleFrames = 8;
  } steps[] = {
      {"nothing", [] {}},
      {"hover the tipped control",
       [&] {
         h.movePointer({80, 60});
       }},
      {"click the menu button: the menu opens",
       [&] {
         click(h, page, {260, 60});
       }},
      {"click outside: it closes",
       [&] {
         click(h, page, {700, 700});
       }},
      {"click the flash: it fades for 0.3 s",
       [&] {
         click(h, page, {420, 60});
       },
       24},
      {"click into the field",
       [&] {
         click(h, page, {100, 132});
       }},
      {"type", [&] { h.typeText("ab"); }},
      {"leave the field",
       [&] {
         click(h, page, {700, 700});
       }},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.input();
    settle(h, page, step.settleFrames);
    quietFor(h, page, 1.5);
  }
  EXPECT_EQ(page.text, "ab");
  // Everything done, nothing is due, now or later.
  const NextFrameRequest last = settle(h, page);
  EXPECT_FALSE(last.again);
  EXPECT_EQ(last.at, std::numeric_limits<double>::infinity());
}

TEST(NextFrameRequest, ATooltipAndABlinkingCursorAskForTheirTime) {
  UiHarness h;
  SmallPage page;
  settle(h, page);
  h.movePointer({80, 60});
  NextFrameRequest o = settle(h, page);
  // The tooltip's 0.6 s from a hovered frame just past.
  EXPECT_GT(o.at, imguiTime(h) + 0.5);
  EXPECT_LT(o.at, imguiTime(h) + 0.6);

  click(h, page, {100, 132});
  o = settle(h, page);
  // The field has the keyboard: its cursor blinks by itself, within the
  // blink's period.
  EXPECT_GT(o.at, imguiTime(h));
  EXPECT_LT(o.at, imguiTime(h) + 1.3);
}

TEST(NextFrameRequest, HeldInputKeepsFramesComing) {
  UiHarness h;
  SmallPage page;
  settle(h, page);
  h.movePointer({700, 700});
  h.setButton(kLeft, true);
  h.frames(10, std::ref(page));
  EXPECT_TRUE(h.nextFrameRequest().again);
  h.setButton(kLeft, false);
  h.setKey(Key::Backspace, true);
  h.frames(10, std::ref(page));
  EXPECT_TRUE(h.nextFrameRequest().again);
  h.setKey(Key::Backspace, false);
  EXPECT_FALSE(settle(h, page).again);
}

// Ctrl, Shift, Alt or Super held with nothing else changes nothing after
// the frames that show it went down.
TEST(NextFrameRequest, AModifierHeldAloneAsksForNoFrames) {
  UiHarness h;
  SmallPage page;
  settle(h, page);
  h.movePointer({700, 700});
  for (const std::uint8_t mod : {kModCtrl, kModShift, kModAlt, kModSuper}) {
    SCOPED_TRACE(static_cast<int>(mod));
    h.setMods(mod);
    EXPECT_FALSE(settle(h, page, FrameDemand::kSettleFrames + 1).again);
    h.setMods(0);
    settle(h, page);
  }
}

TEST(NextFrameRequest, TheFramesCodeAsksThroughItsRequests) {
  UiHarness h;
  SmallPage page;
  settle(h, page);
  h.frame([&] {
    page();
    requestFrame();
  });
  EXPECT_TRUE(h.nextFrameRequest().again);
  double at = 0.0;
  h.frame([&] {
    page();
    at = ImGui::GetTime() + 5.0;
    requestFrameAt(at + 1.0);
    requestFrameAt(at);
  });
  EXPECT_FALSE(h.nextFrameRequest().again);
  EXPECT_EQ(h.nextFrameRequest().at, at);
  // Each frame asks afresh.
  h.frame(std::ref(page));
  EXPECT_EQ(h.nextFrameRequest().at, std::numeric_limits<double>::infinity());
}

// A model driven without a window asks into nothing, with no Dear ImGui
// context current or one that no window made.
TEST(NextFrameRequest, RequestsOutsideAnyWindowGoNowhere) {
  UiHarness h;
  SmallPage page;
  settle(h, page);
  ImGuiContext* const before = ImGui::GetCurrentContext();
  ImGui::SetCurrentContext(nullptr);
  requestFrame();
  ImGuiContext* bare = ImGui::CreateContext();
  ImGui::SetCurrentContext(bare);
  requestFrame();
  requestFrameAt(0.0);
  ImGui::DestroyContext(bare);
  ImGui::SetCurrentContext(before);
  h.frame(std::ref(page));
  EXPECT_FALSE(h.nextFrameRequest().again);
  EXPECT_EQ(h.nextFrameRequest().at, std::numeric_limits<double>::infinity());
}

// A run of failed frames: the first few are tried again at once; then
// each waits, never less than the one before, from the first wait up to
// the longest; a frame that works ends the run and the next failure is
// tried at once again.
TEST(FrameFailures, AFewAtOnceThenWaitsThatGrowToTheLongest) {
  FrameFailures failures;
  double now = 5.0;
  for (int i = 1; i < FrameFailures::kTriedAtOnce; ++i) {
    EXPECT_TRUE(failures.failed(now).again);
    EXPECT_FALSE(failures.holdsOff(now));
    EXPECT_FALSE(failures.backingOff());
    now += kFrameSeconds;
  }
  double wait = 0.0;
  for (int i = 0; i < 12; ++i) {
    SCOPED_TRACE(i);
    const NextFrameRequest o = failures.failed(now);
    EXPECT_TRUE(failures.backingOff());
    EXPECT_FALSE(o.again);
    const double next = o.at - now;
    EXPECT_GE(next, i == 0 ? FrameFailures::kFirstWait : wait);
    EXPECT_LE(next, FrameFailures::kLongestWait);
    EXPECT_TRUE(failures.holdsOff(now));
    EXPECT_TRUE(failures.holdsOff(o.at - 1e-6));
    EXPECT_FALSE(failures.holdsOff(o.at));
    wait = next;
    now = o.at;
  }
  EXPECT_EQ(wait, FrameFailures::kLongestWait);
  EXPECT_EQ(failures.succeeded(), FrameFailures::kTriedAtOnce - 1 + 12);
  EXPECT_FALSE(failures.holdsOff(now));
  EXPECT_EQ(failures.inARow(), 0);
  EXPECT_TRUE(failures.failed(now).again);
}

TEST(FrameDemand, AWakeDrawsTheSettlingFramesThenWhatFramesAskFor) {
  FrameDemand demand;
  EXPECT_TRUE(demand.idle());
  EXPECT_FALSE(demand.due(100.0));
  demand.wake();
  for (int frame = 0; frame < FrameDemand::kSettleFrames; ++frame) {
    SCOPED_TRACE(frame);
    EXPECT_TRUE(demand.due(0.0));
    demand.drawn({}, 0.0);
  }
  EXPECT_FALSE(demand.due(0.0));
  EXPECT_TRUE(demand.idle());

  // A frame that asks for the next keeps them coming, one at a time.
  demand.wake();
  demand.drawn({}, 0.0);
  demand.drawn({true}, 0.0);
  EXPECT_TRUE(demand.due(0.0));
  demand.drawn({false}, 0.0);
  EXPECT_FALSE(demand.due(0.0));
}

TEST(FrameDemand, ATimeAskedForStandsUntilAFrameIsDrawnThen) {
  FrameDemand demand;
  demand.drawn({false, 2.5}, 1.0);
  EXPECT_FALSE(demand.idle());
  EXPECT_FALSE(demand.due(2.4));
  EXPECT_TRUE(demand.due(2.5));
  EXPECT_TRUE(demand.due(9.0));
  // Frames drawn before it for other reasons leave it standing.
  demand.wake();
  demand.drawn({}, 1.5);
  demand.drawn({}, 1.6);
  EXPECT_FALSE(demand.due(2.4));
  EXPECT_TRUE(demand.due(2.5));
  // The frame at its time ends it, unless that frame asks again.
  demand.drawn({false, 3.0}, 2.6);
  EXPECT_FALSE(demand.due(2.9));
  EXPECT_TRUE(demand.due(3.0));
  demand.drawn({}, 3.1);
  EXPECT_FALSE(demand.due(9.0));
  EXPECT_TRUE(demand.idle());
  // Of two times, the earlier stands; the frame at it asks for what still
  // waits.
  demand.drawn({false, 5.0}, 4.0);
  demand.wake();
  demand.drawn({false, 4.5}, 4.1);
  EXPECT_TRUE(demand.due(4.5));
}

}  // namespace frame_requests_test
}  // namespace orbi::ui
