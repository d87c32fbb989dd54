#include "ui/interact/interaction.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "ui/context.h"
#include "ui/draw/draw_log.h"
#include "ui/imgui_internals.h"
#include "ui/interact/tooltip.h"

namespace orbi::ui {
namespace {

// A press becomes a drag once the pointer is further than this from where
// it went down, on either axis. Design pixels.
constexpr float kDragThreshold = 3.0f;

enum Modifier : int { kShift = 1 << 0, kAlt = 1 << 1, kCtrl = 1 << 2 };

// The item's press state in its window's storage: each field under the hash
// of its small index, seeded by the item id.
class ItemState {
 public:
  ItemState(ImGuiStorage& storage, ImGuiID item) : storage_(storage), item_(item) {}

  bool tracking() const { return storage_.GetBool(key(kTracking)); }
  void setTracking(bool on) { storage_.SetBool(key(kTracking), on); }
  bool dragging() const { return storage_.GetBool(key(kDragging)); }
  void setDragging(bool on) { storage_.SetBool(key(kDragging), on); }
  DragAxis axis() const { return static_cast<DragAxis>(storage_.GetInt(key(kAxis))); }
  void setAxis(DragAxis axis) { storage_.SetInt(key(kAxis), static_cast<int>(axis)); }
  ImVec2 lastTotal() const {
    return ImVec2(storage_.GetFloat(key(kLastTotalX)), storage_.GetFloat(key(kLastTotalY)));
  }
  void setLastTotal(ImVec2 total) {
    storage_.SetFloat(key(kLastTotalX), total.x);
    storage_.SetFloat(key(kLastTotalY), total.y);
  }
  int modifiers() const { return storage_.GetInt(key(kModifiers)); }
  void setModifiers(int mods) { storage_.SetInt(key(kModifiers), mods); }
  bool latch() const { return storage_.GetBool(key(kDoubleClickLatch)); }
  void setLatch(bool on) { storage_.SetBool(key(kDoubleClickLatch), on); }

 private:
  enum Field : std::int32_t {
    kTracking,
    kDragging,
    kAxis,
    kLastTotalX,
    kLastTotalY,
    kModifiers,
    kDoubleClickLatch,
  };
  ImGuiID key(Field field) const {
    const std::int32_t index = field;
    return ImHashData(&index, sizeof index, item_);
  }

  ImGuiStorage& storage_;
  ImGuiID item_;
};

ImRect hitArea(const InteractSpec& desc) {
  const float r = std::max(0.0f, desc.reach * scale());
  const ImVec2 p = desc.point;
  const Rect& rect = desc.rect;
  switch (desc.kind) {
    case HitKind::Point: return ImRect(p.x - r, p.y - r, p.x + r, p.y + r);
    case HitKind::VerticalBand: return ImRect(p.x - r, rect.y, p.x + r, rect.y + std::max(rect.height, 0.0f));
    case HitKind::HorizontalBand:
      return ImRect(rect.x, p.y - r, rect.x + std::max(rect.width, 0.0f), p.y + r);
    default: return ImRect(rect.x, rect.y, rect.x + rect.width, rect.y + rect.height);
  }
}

// A number past Dear ImGui's cursors would index outside a back end's
// cursor table: those show the arrow.
ImGuiMouseCursor cursorFor(const InteractSpec& desc) {
  if (desc.cursor >= ImGuiMouseCursor_COUNT) return ImGuiMouseCursor_Arrow;
  if (desc.cursor >= 0) return desc.cursor;
  switch (desc.kind) {
    case HitKind::Point: return ImGuiMouseCursor_Hand;
    case HitKind::VerticalBand: return ImGuiMouseCursor_ResizeEW;
    case HitKind::HorizontalBand: return ImGuiMouseCursor_ResizeNS;
    default: return ImGuiMouseCursor_Arrow;
  }
}

int heldModifiers(const ImGuiIO& io) {
  return (io.KeyShift ? kShift : 0) | (io.KeyAlt ? kAlt : 0) | (io.KeyCtrl ? kCtrl : 0);
}

void beginPress(ItemState& state, const InteractSpec& desc, const ImGuiIO& io) {
  state.setDragging(false);
  state.setAxis(desc.axis);
  state.setLastTotal(ImVec2(0.0f, 0.0f));
  state.setModifiers(heldModifiers(io));
}

ImVec2 lockToAxis(ImVec2 movement, DragAxis axis) {
  switch (axis) {
    case DragAxis::Free: return movement;
    case DragAxis::Horizontal: return ImVec2(movement.x, 0.0f);
    case DragAxis::Vertical: return ImVec2(0.0f, movement.y);
    default: return ImVec2(0.0f, 0.0f);
  }
}

// Follows a tracked press for one frame: drag start and axis, deltas, and
// the release. Returns whether the press is still being followed.
bool followPress(ItemState& state, Interaction& out, const ImGuiIO& io) {
  const int mods = state.modifiers();
  out.shiftAtPress = (mods & kShift) != 0;
  out.altAtPress = (mods & kAlt) != 0;
  out.ctrlAtPress = (mods & kCtrl) != 0;

  bool dragging = state.dragging();
  DragAxis axis = state.axis();
  // A pointer that left the window reports no position: hold the last one.
  ImVec2 movement = state.lastTotal();
  if (ImGui::IsMousePosValid()) {
    movement = ImVec2(io.MousePos.x - out.pressPos.x, io.MousePos.y - out.pressPos.y);
    const float ax = std::fabs(movement.x), ay = std::fabs(movement.y);
    if (!dragging && std::max(ax, ay) > kDragThreshold * scale()) {
      dragging = true;
      if (axis == DragAxis::FirstMovement) axis = ax >= ay ? DragAxis::Horizontal : DragAxis::Vertical;
      state.setDragging(true);
      state.setAxis(axis);
    }
  }
  const ImVec2 last = state.lastTotal();
  out.total = lockToAxis(movement, axis);
  out.delta = ImVec2(out.total.x - last.x, out.total.y - last.y);
  state.setLastTotal(out.total);
  out.axis = axis;
  out.dragging = dragging;
  if (out.held) return true;
  out.released = true;
  out.clicked = !dragging;
  return false;
}

void logItem(const char* id, ImGuiID item, const ImRect& area, ImGuiMouseCursor cursor, const char* tooltip) {
  if (DrawLog* log = activeDrawLog())
    log->addItem({id, item, Rect{area.Min.x, area.Min.y, area.Max.x - area.Min.x, area.Max.y - area.Min.y},
                  cursor, tooltip ? tooltip : ""});
}

}  // namespace

Interaction interact(const char* id, const InteractSpec& desc) {
  Interaction out;
  ImGuiContext& g = *GImGui;
  ImGuiWindow* window = ImGui::GetCurrentWindow();
  const ImGuiID item = window->GetID(id);
  const ImRect area = hitArea(desc);
  ImGui::ItemAdd(area, item);
  ImGui::ButtonBehavior(area, item, &out.hovered, &out.held);

  const ImGuiIO& io = ImGui::GetIO();
  out.rightClicked = out.hovered && ImGui::IsMouseClicked(ImGuiMouseButton_Right, false);
  out.wheel = out.hovered ? io.MouseWheel : 0.0f;
  out.pressPos = io.MouseClickedPos[ImGuiMouseButton_Left];

  // The stored state outlives a press that ended while the item was not
  // drawn (its page changed, its popup closed, its row scrolled away): it
  // only counts when the item was held in the previous frame, so the item
  // drawn again later reports no release and no click nobody made.
  ItemState state(*window->DC.StateStorage, item);
  const bool heldBefore = g.ActiveIdPreviousFrame == item;
  bool tracking = heldBefore && state.tracking();
  bool latch = heldBefore && state.latch();
  if (out.held && !tracking && !latch) {
    if (io.MouseClickedCount[ImGuiMouseButton_Left] == 2) {
      out.doubleClicked = true;
      latch = true;
    } else {
      beginPress(state, desc, io);
      out.pressed = true;
      tracking = true;
    }
  }
  if (tracking) tracking = followPress(state, out, io);
  state.setTracking(tracking);
  state.setLatch(out.held && latch);

  const ImGuiMouseCursor cursor = cursorFor(desc);
  if (out.hovered || out.held) ImGui::SetMouseCursor(cursor);
  if (desc.tooltip && out.hovered && !out.held) tooltip(desc.tooltip);
  keepTooltipClearOfControl({area.Min.x, area.Min.y, area.GetWidth(), area.GetHeight()});
  logItem(id, item, area, cursor, desc.tooltip);
  return out;
}

}  // namespace orbi::ui
