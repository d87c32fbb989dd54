#pragma once
// The base of the editor's drawn parameter widgets (half browser, sample
// view, sampler lanes). A widget shows a few of a sound's parameters as a
// drawing with handles; it never touches the project. Its owner fills the
// slots, title, presets and modulation marks before it is drawn, and every
// edit leaves as onChange(parameter id, value). The base holds what they
// share: slots and their 0..1 positions, setParam, presets and their menu,
// the panel frame, the modulation marks and the default hover hint.
//
// onChange may run the owner's rebuild, which replaces slots, presets and
// marks before it returns: nothing here holds a reference into them across
// a call. Main thread, inside the editor's frame.

#include <imgui.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "engine/params/param_info.h"
#include "ui/geometry.h"
#include "ui/popups/menu.h"

namespace orbi {

// One parameter of a widget.
struct ParamSlot {
  int id = -1;  // sent through onChange; negative: stored, never reported
  ob::ParamInfo info;
  // The parameter's name as every place names it (ob::paramName), static;
  // null: its key.
  const char* name = nullptr;
  float value = 0.0f;         // parameter units
  std::uint8_t logScale = 0;  // 1: the 0..1 position is logarithmic

  // 0 for an empty or reversed range; logarithmic only over a positive
  // range; kept within 0..1.
  float toNormalized(float v) const;
  // t kept within 0..1 first.
  float fromNormalized(float t) const;
  float normalized() const { return toNormalized(value); }
};

class ParamWidget {
 public:
  // What modulates one slot's parameter on the selected track, in
  // parameter units; each flag 1 when present.
  struct ModMarks {
    std::uint8_t hasLock = 0;
    float lockValue = 0.0f;
    std::uint8_t hasLfo = 0;
    float lfoLow = 0.0f;
    float lfoHigh = 0.0f;
    std::uint8_t hasEnv = 0;  // not drawn
    float envLow = 0.0f;
    float envHigh = 0.0f;
    std::uint8_t hasMacro = 0;
    float macroValue = 0.0f;
    std::uint8_t hasLive = 0;  // not drawn
    float liveValue = 0.0f;
  };

  using ParamPairs = std::vector<std::pair<int, float>>;

  // One entry of the presets menu.
  struct ResolvedPreset {
    std::string name;
    std::string group;  // the menu section; empty for none of its own
    ParamPairs values;  // (parameter id, value)
    // May rewrite or fill the pairs before they are applied; false refuses
    // the preset.
    std::function<bool(ParamPairs&)> filter;
  };

  virtual ~ParamWidget() = default;
  // The hover text: the title and the slots' names, each once.
  virtual std::string hint() const;
  // Where the slot sits on screen at normalised position t.
  virtual ImVec2 anchorFor(int slot, float t) const = 0;
  // Writes each pair into the slots with its id (unclamped) and reports
  // every pair, matched or not. The preset is copied first.
  virtual void applyPreset(const ResolvedPreset& preset);

  // Replaces the slots; the modulation marks become one cleared record a slot.
  void setSlots(std::vector<ParamSlot> newSlots);
  void setPresets(std::vector<ResolvedPreset> newPresets);

  // Stores the value within the slot's range and reports it when the slot
  // has an id. Nothing for a slot index out of range.
  void setParam(int slot, float value);
  // setParam, only when the value kept within the range differs from the
  // slot's: a drag resting at an end sends nothing. True when it sent.
  bool changeParam(int slot, float value);
  // Index of the first slot with this key (exact), -1 when none.
  int findSlot(const char* key) const;
  // The slot's name, its key where it has none; "" for a slot it lacks.
  const char* slotName(int slot) const;

  // Keeps r as rect and paints the panel with its title strip.
  void drawFrame(const ui::Rect& r);
  // Inside the frame, below the title strip.
  ui::Rect contentRect() const;
  // The presets button at the title strip's right end and its menu;
  // nothing without presets.
  void drawPresetMenu();
  // The LFO sweep, macro target and step lock of one slot.
  void drawModulation(ImDrawList* dl, int slot) const;

  std::function<void(int id, float value)> onChange;
  std::vector<ParamSlot> slots;
  std::vector<ModMarks> modMarks;  // may be shorter than slots
  std::string title;               // empty: no title strip
  std::vector<ResolvedPreset> presets;
  ui::Rect rect;  // of the last drawFrame
};

// The presets as menu entries: item i has command i + 1; groups get
// section labels; a column holds about 16 entries.
std::vector<ui::MenuEntry> presetMenuEntries(const std::vector<ParamWidget::ResolvedPreset>& presets);

}  // namespace orbi
