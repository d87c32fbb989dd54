#pragma once
// What the sampler panel's narrow lanes (SPEED, TONE, GRAINS, AMP) share:
// one frame of drawing, the gesture area with its cursor and tooltip, the
// end-of-gesture callback, and the typed entry with its conversion between
// the units shown and the parameter's own. Each lane says where a press
// goes, what a drag does and how it paints. Main thread, inside the
// editor's frame.

#include <imgui.h>

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "editor/widgets/number_entry.h"
#include "editor/widgets/param_widget.h"
#include "ui/draw/text_style.h"
#include "ui/geometry.h"
#include "ui/interact/interaction.h"
#include "ui/layout/label_placer.h"

namespace orbi {

class SamplerLane : public ParamWidget {
 public:
  // The frame, then with enough slots the gesture and the painting, the
  // presets button and the entry.
  void draw(const ui::Rect& r);

  // The area the lane's one item covers: the frame less its title strip.
  ui::Rect gestureArea() const;
  // Opens the entry for the slot at the point; nothing for a slot the lane
  // lacks.
  void openTyped(int slot, ImVec2 at);
  // The entry's commit: the typed number back in parameter units.
  void commitTyped(int id, float typed);

  std::function<void()> onGestureEnd;
  NumberEntry entry;
  std::string hintCache;  // the tooltip handed to the framework this frame

 protected:
  // How one slot is typed: shown as value x scale within lo..hi.
  struct TypedField {
    float scale = 1.0f;
    float lo = 0.0f;
    float hi = 1.0f;
    const char* label = "";
    const char* unit = "";
  };

  SamplerLane(const char* idText, std::size_t slotsNeeded);

  float value(int slot, float fallback = 0.0f) const;
  // The content's bottom strip, where the caption goes.
  ui::Rect captionStrip() const;
  // Sets the slot through setParam only when the value (kept within the
  // slot's range) is new, and then counts the gesture as one that changed
  // something; true when it did.
  bool change(int slot, float v);
  // What the lane drew this frame, for placing its texts.
  ui::LabelPlacer& placer() { return placer_; }
  // The text in the first box nothing drawn crosses (see ui::LabelPlacer);
  // it then counts as drawn. Returns where its glyphs lie.
  ui::Rect placeText(std::span<const ui::Rect> boxes, std::string_view text, std::uint32_t colour,
                     std::span<const ui::TextAlign> alignments);
  // The caption: along the bottom as first choice, else along the top,
  // centred, then at the right or the left; where the content leaves no
  // room clear of its drawing, in the title row.
  void caption(std::string_view text, std::uint32_t colour);
  // The title row right of the title, before the presets button.
  ui::Rect titleRow() const;
  // What a drag of the slot shows while it moves: its name and value in
  // the units it is typed in ("crush  8 bits").
  std::string readout(int slot) const;

  virtual ImGuiMouseCursor cursorAt(ImVec2 pointer) const = 0;
  virtual void press(const ui::Interaction& it) = 0;
  // A held or releasing frame in which the pointer moved.
  virtual void move(const ui::Interaction& it) = 0;
  virtual bool gestureActive() const = 0;
  virtual void endGesture() = 0;
  // The slot a right-click at the point types, -1 for none.
  virtual int pickTyped(ImVec2 pointer) const = 0;
  virtual TypedField typedField(int slot) const = 0;
  virtual void paint(ImDrawList* dl) = 0;

 private:
  void handleInput();

  const char* idText_;
  std::size_t slotsNeeded_;
  bool changed_ = false;  // the gesture since the press has sent a new value
  ui::LabelPlacer placer_;
};

}  // namespace orbi
