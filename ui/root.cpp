#include "ui/root.h"

#include <algorithm>

#include "ui/controls/held_edits.h"
#include "ui/controls/number_entry.h"
#include "ui/dialogs/in_editor_chooser.h"
#include "ui/drop/drop_zone.h"
#include "ui/frame_recovery.h"
#include "ui/interact/tooltip.h"
#include "ui/theme/painters.h"

namespace orbi::ui {
namespace {

constexpr float kInset = 20.0f;
constexpr float kFrameInset = 5.0f;

constexpr ImGuiWindowFlags kRootFlags = ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize |
                                        ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoScrollbar |
                                        ImGuiWindowFlags_NoScrollWithMouse | ImGuiWindowFlags_NoCollapse |
                                        ImGuiWindowFlags_NoBackground | ImGuiWindowFlags_NoSavedSettings |
                                        ImGuiWindowFlags_NoBringToFrontOnFocus | ImGuiWindowFlags_NoNavFocus;

}  // namespace

float contentInset(bool framed) { return (kInset + (framed ? kFrameInset : 0.0f)) * scale(); }

void drawRoot(View& view, const FrameInfo& frame, bool framed) {
  FrameInfo info = frame;
  const float inset = contentInset(framed);
  const Rect& d = info.display;
  info.content = {d.x + inset, d.y + inset, std::max(0.0f, d.width - 2.0f * inset),
                  std::max(0.0f, d.height - 2.0f * inset)};

  ImGui::SetNextWindowPos(ImVec2(d.x, d.y), ImGuiCond_Always, ImVec2(0.0f, 0.0f));
  ImGui::SetNextWindowSize(ImVec2(d.width, d.height));
  ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(0.0f, 0.0f));
  ImGui::Begin("##orbi.root", nullptr, kRootFlags);
  ImGui::PopStyleVar();
  ImDrawList* dl = ImGui::GetWindowDrawList();
  paintBackground(dl, d);
  if (framed) paintFrameBefore(dl, d);
  view.frame(info);
  if (framed) paintFrameAfter(dl, d);
  drawFileChooser();
  drawHeldNote();
  drawDueTooltip();
  endUndrawnEdits();
  ImGui::End();
  endDropFrame();
}

void recoverFrame() {
  endEveryWindow();
  // Settled as a whole frame settles it: a drop is offered to one frame.
  endDropFrame();
}

void abandonFrame(UiContext& ui) {
  ContextScope scope(ui);
  recoverFrame();
  ImGui::EndFrame();
}

}  // namespace orbi::ui
