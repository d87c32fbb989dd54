#pragma once
// Reads back what a piece of drawing code put into the root draw list of a
// harness frame: its vertices, and which vertices the list's indices reach.

#include <imgui.h>

#include <functional>
#include <vector>

#include "support/ui/ui_harness.h"

namespace orbi::ui::test {

// The vertices draw(dl) added to the root draw list, in order.
inline std::vector<ImDrawVert> verticesDrawnBy(UiHarness& harness,
                                               const std::function<void(ImDrawList*)>& draw) {
  std::vector<ImDrawVert> added;
  harness.frame([&] {
    ImDrawList* dl = ImGui::GetWindowDrawList();
    const int before = dl->VtxBuffer.Size;
    draw(dl);
    added.assign(dl->VtxBuffer.Data + before, dl->VtxBuffer.Data + dl->VtxBuffer.Size);
  });
  return added;
}

struct IndexReach {
  std::vector<int> perVertex;  // how many indices reach each vertex
  int pastTheEnd = 0;          // indices that reach no vertex at all
};

// Follows every index of a finished draw list, as a renderer does: the
// index plus its command's vertex offset.
inline IndexReach indexReach(const ImDrawList& dl) {
  IndexReach reach{std::vector<int>(dl.VtxBuffer.Size, 0), 0};
  for (const ImDrawCmd& cmd : dl.CmdBuffer) {
    if (cmd.UserCallback) continue;
    for (unsigned i = 0; i < cmd.ElemCount; ++i) {
      const unsigned v = cmd.VtxOffset + dl.IdxBuffer[cmd.IdxOffset + i];
      if (v < reach.perVertex.size())
        ++reach.perVertex[v];
      else
        ++reach.pastTheEnd;
    }
  }
  return reach;
}

}  // namespace orbi::ui::test
