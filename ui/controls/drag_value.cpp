#include "ui/controls/drag_value.h"

#include <imgui.h>

#include <algorithm>
#include <string>

#include "ui/animation.h"
#include "ui/context.h"
#include "ui/controls/held_edits.h"
#include "ui/controls/number_entry.h"
#include "ui/draw/shapes.h"
#include "ui/draw/text.h"
#include "ui/interact/interaction.h"
#include "ui/theme/colour.h"
#include "ui/theme/palette.h"

namespace orbi::ui {
namespace {

// Design pixels of vertical drag: across the whole normalised range, and
// per step of a stepped or choice value.
constexpr float kPixelsPerRange = 200.0f;
constexpr float kPixelsPerStep = 6.0f;
constexpr float kFineFactor = 0.1f;  // with Shift
constexpr float kFlashFade = 0.5f;   // seconds

constexpr std::uint32_t kFill = palette::kGreenButton;
constexpr std::uint32_t kFillActive = palette::kGreenHover;  // hovered or held
constexpr std::uint32_t kBorderHeld = palette::kAccentDim;
constexpr std::uint32_t kBorder = palette::kBorder;
constexpr std::uint32_t kBorderFlash = palette::kAccent;
constexpr std::uint32_t kBareHighlight = palette::withAlphaByte(palette::kGreenHover, 0x99);
constexpr std::uint32_t kTextReadOnly = palette::kDisabledText;
constexpr std::uint32_t kTextHeld = palette::kAccent;
constexpr std::uint32_t kText = palette::kLight;
constexpr std::uint32_t kCaption = palette::kMuted;

ImVec2 naturalSize(const DragValueOptions& options) {
  const float s = scale();
  if (options.large) return ImVec2(92.0f * s, (options.bare ? 26.0f : 36.0f) * s);
  return ImVec2(64.0f * s, (options.label ? 40.0f : 24.0f) * s);
}

bool continuous(const ParamSpec& desc) { return !desc.stepped && desc.choices.empty(); }

// The field's interaction; a read-only field keeps only its tooltip.
Interaction fieldInteraction(const char* id, const Rect& field, const ParamSpec& desc,
                             const DragValueOptions& options) {
  InteractSpec hit;
  hit.kind = HitKind::Rectangle;
  hit.rect = field;
  hit.reach = 8.0f;
  hit.axis = DragAxis::Vertical;
  hit.cursor = options.readOnly ? ImGuiMouseCursor_Arrow : ImGuiMouseCursor_ResizeNS;
  hit.tooltip = options.tooltip ? options.tooltip : desc.help.empty() ? nullptr : desc.help.c_str();
  Interaction it = interact(id, hit);
  if (options.readOnly) {
    it.hovered = it.held = it.pressed = it.released = it.doubleClicked = false;
    it.delta = ImVec2(0.0f, 0.0f);
  }
  return it;
}

// The drag position between press and release, in the window's storage
// under "drag" inside the field's id: normalised for a continuous value,
// the value itself for a stepped one.
class DragPosition {
 public:
  explicit DragPosition(const char* id) : storage_(*ImGui::GetStateStorage()) {
    ImGui::PushID(id);
    key_ = ImGui::GetID("drag");
    ImGui::PopID();
  }
  float get(float fallback) const { return storage_.GetFloat(key_, fallback); }
  void set(float v) { storage_.SetFloat(key_, v); }

 private:
  ImGuiStorage& storage_;
  ImGuiID key_ = 0;
};

// Press, vertical movement and release turned into edits of the param.
// Returns whether the value was set.
bool followDrag(const char* id, const Interaction& it, Param& param) {
  const ParamSpec& desc = param.spec();
  DragPosition position(id);
  const ImGuiID item = ImGui::GetID(id);
  if (it.pressed) {
    beginHeldEdit(item, param);
    position.set(continuous(desc) ? toNormalized(desc, param.value()) : param.value());
  }
  if (!heldEditOpen(item)) return false;
  bool changed = false;
  const float dy = it.delta.y;  // down is positive
  if ((it.held || it.released) && dy != 0.0f) {
    const float s = scale();
    const float fine = ImGui::GetIO().KeyShift ? kFineFactor : 1.0f;
    float next;
    if (continuous(desc)) {
      const float t =
          std::clamp(position.get(normalizedValue(param)) - dy / (kPixelsPerRange * s) * fine, 0.0f, 1.0f);
      position.set(t);
      next = fromNormalized(desc, t);
    } else {
      const float a = position.get(param.value()) - dy / (kPixelsPerStep * s) * fine;
      // Kept within the range, so dragging back from past a bound moves at once.
      position.set(std::clamp(a, std::min(desc.min, desc.max), std::max(desc.min, desc.max)));
      next = clampToParam(desc, a);
    }
    if (next != param.value()) {
      param.setValue(next);
      changed = true;
    }
  }
  // Released, or the press was lost: turned read-only, or not drawn for a
  // while and the button let go meanwhile.
  if (!it.held) endHeldEdit(item);
  return changed;
}

void paintFrame(ImDrawList* dl, const char* id, const Rect& field, const Interaction& it, bool bare) {
  const bool active = it.hovered || it.held;
  if (bare) {
    if (active) fillRect(dl, field, kBareHighlight, field.height / 2.0f / scale());
    return;
  }
  fillRect(dl, field, active ? kFillActive : kFill, 6.0f);
  const float flash = animationState(ImGui::GetID(id), kFlashFade);
  strokeRect(dl, field, it.held ? kBorderHeld : lerpColor(kBorder, kBorderFlash, flash), 6.0f, 1.0f);
}

// The param's text; with a caption the " unit" of a custom label gives way
// to it.
std::string valueText(const Param& param, const DragValueOptions& options) {
  std::string text = param.format(param.value());
  const std::size_t unit = param.spec().unitLabel.size();
  if (options.label && unit > 0 && text.size() > unit + 1) text.resize(text.size() - (unit + 1));
  return text;
}

void paintText(ImDrawList* dl, const Rect& field, const std::string& text, std::uint32_t colour,
               const DragValueOptions& options) {
  const float s = scale();
  Rect inner = field.inset(4.0f * s, 4.0f * s);
  if (options.large) {
    const float vw = measureText(text, TextStyle::Title).x;
    const float lw = options.label ? measureText(options.label, TextStyle::Caption).x : 0.0f;
    const float gap = options.label ? 4.0f * s : 0.0f;
    const float x0 = std::max(0.0f, (inner.width - vw - gap - lw) / 2.0f);
    drawText(dl, {inner.x + x0, inner.y, vw, inner.height}, text, TextStyle::Title, colour);
    if (options.label)
      drawText(dl, {inner.x + x0 + vw + gap, inner.y, lw, inner.height}, options.label, TextStyle::Caption,
               kCaption);
    return;
  }
  if (options.label) {
    const float band = std::min(12.0f * s, inner.height);
    const Rect caption{inner.x, inner.y + inner.height - band, inner.width, band};
    inner.height -= band;
    drawText(dl, caption, options.label, TextStyle::Caption, kCaption, TextAlign::Centre);
  }
  drawText(dl, inner, text, TextStyle::MonoValue, colour, TextAlign::Centre);
}

}  // namespace

DragValueResult dragValue(const char* id, const Rect& rect, Param& param, const DragValueOptions& options) {
  // Every size below follows the fitted scale.
  const ScaleToFit fit(rect, {SizeMode::Natural, 0.0f}, naturalSize(options), options.align, Align::Centre);
  const Rect& field = fit.rect();
  const Interaction it = fieldInteraction(id, field, param.spec(), options);

  DragValueResult result;
  result.changed = followDrag(id, it, param);
  if (it.doubleClicked) {
    // The box's top 16 design pixels above the field's centre line.
    const float above = (16.0f - kNumberEntryHeight / 2.0f) * scale();
    beginNumberEntry(id, ImVec2(field.x + field.width / 2.0f, field.y + field.height / 2.0f - above), param);
  }
  if (numberEntry(id, param) == NumberEntryResult::Committed) result.changed = true;
  keepHeldNote(id, field, {});

  // The number entry drew a window of its own: back to this window's list.
  ImDrawList* dl = ImGui::GetWindowDrawList();
  paintFrame(dl, id, field, it, options.bare);
  const std::uint32_t colour = options.readOnly ? kTextReadOnly : it.held ? kTextHeld : kText;
  paintText(dl, field, valueText(param, options), colour, options);
  result.hovered = it.hovered;
  result.held = it.held;
  return result;
}

}  // namespace orbi::ui
