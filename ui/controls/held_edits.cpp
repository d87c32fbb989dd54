#include "ui/controls/held_edits.h"

#include <algorithm>
#include <vector>

#include "ui/store.h"

namespace orbi::ui {
namespace {

struct HeldEdit {
  ImGuiID item;
  Param* param;
  int drawnFrame;  // Dear ImGui's frame count
};

using HeldEdits = std::vector<HeldEdit>;

inline constexpr std::uint32_t kHeldEditsKey = fourCc("EDIT");

HeldEdits& heldEdits() { return store<HeldEdits>(context(), kHeldEditsKey); }

HeldEdits::iterator find(HeldEdits& edits, ImGuiID item) {
  return std::find_if(edits.begin(), edits.end(), [&](const HeldEdit& e) { return e.item == item; });
}

}  // namespace

void beginHeldEdit(ImGuiID item, Param& param) {
  endHeldEdit(item);
  param.beginEdit();
  heldEdits().push_back({item, &param, ImGui::GetFrameCount()});
}

bool heldEditOpen(ImGuiID item) {
  HeldEdits& edits = heldEdits();
  const auto it = find(edits, item);
  if (it == edits.end()) return false;
  it->drawnFrame = ImGui::GetFrameCount();
  return true;
}

void endHeldEdit(ImGuiID item) {
  HeldEdits& edits = heldEdits();
  const auto it = find(edits, item);
  if (it == edits.end()) return;
  Param* param = it->param;
  edits.erase(it);
  param->endEdit();
}

void endUndrawnEdits() {
  HeldEdits* edits = findStore<HeldEdits>(context(), kHeldEditsKey);
  if (!edits) return;
  const int frame = ImGui::GetFrameCount();
  // Out of the list before the params hear of it.
  HeldEdits ending;
  std::erase_if(*edits, [&](const HeldEdit& e) {
    if (e.drawnFrame == frame) return false;
    ending.push_back(e);
    return true;
  });
  for (const HeldEdit& e : ending) e.param->endEdit();
}

}  // namespace orbi::ui
