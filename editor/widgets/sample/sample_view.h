#pragma once
// The waveform editor at the top of the sampler panel. It shows the sound's
// sample and shapes what is played of it in one of three views: a free
// start/end window with fades and gain, the slices of a chop-marker table,
// or the grain position with its spray. Plain edits leave through the
// base's setParam; mode switches, chips, chop operations and marker edits
// through the callbacks below. The owner sets the sample, mode, markers,
// chips and slots on every rebuild, which may run inside any callback.
// Main thread, inside the editor's frame.

#include <imgui.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "editor/widgets/number_entry.h"
#include "editor/widgets/param_widget.h"
#include "ui/draw/wave_overview.h"
#include "ui/geometry.h"
#include "ui/interact/interaction.h"
#include "ui/layout/label_placer.h"

namespace orbi {

class SampleView : public ParamWidget {
 public:
  enum Mode : int { kWindow = 0, kSlices = 1, kGrains = 2 };
  // Window-view handles, as windowHit names them.
  enum Handle : int { kNone = 0, kStart, kEnd, kFadeIn, kFadeOut, kBody };

  struct Chip {
    std::string label;
    std::uint8_t on = 0;
    std::uint32_t value = 0;  // passed to onChip
    ui::Rect rect;            // the item, laid out each frame
  };

  SampleView();

  ImVec2 anchorFor(int slot, float t) const override;

  // Keeps the pointers (not copied; valid until the owner sets them again)
  // and summarises the samples: a stereo sample's right channel as long,
  // drawn as loud as its louder side, as the track plays it.
  void setSample(const float* samples, int frames, float seconds, const float* right = nullptr);
  // Why the slot's sample cannot play (a load kept it unread), said in
  // place of the wave; empty when it plays or the slot holds none.
  void setCannotPlay(std::string_view why);
  void draw(const ui::Rect& r);
  void openEntryFor(int slot);
  void commitTyped(int slot, float typed);
  // The whole sample dim across r and the stretch from..to (0..1) bright,
  // each shaped by gain(position 0..1) when given.
  void paintWave(ImDrawList* dl, const ui::Rect& r, float from, float to,
                 const std::function<float(float)>& gain) const;

  // Which window-view handle a point takes.
  int windowHit(ImVec2 point) const;
  // What a drag of an edge or a fade shows: its name and where it is in
  // the sample ("start  120 ms"), or how long the fade is.
  std::string windowReadout(int handle) const;
  std::string lengthText(float fraction) const;
  std::string gainText() const;  // "Gain +3.0 dB"
  // The name of the slot of this key; "" when none has it.
  const char* nameOfKey(const char* key) const { return slotName(findSlot(key)); }
  // The marker nearest to x within reach, -1 when none.
  int slicePick(float x) const;
  // 0 the position line, 1 a spray edge, -1 with fewer than two slots.
  int grainsPick(float x) const;
  // The body every view's item covers: the rect below the title strip.
  ui::Rect body() const;

  std::function<void(bool slices)> onModeToggle;
  std::function<void(int value)> onChip;
  std::function<void()> onDetectTransients;
  std::function<void(int parts)> onDivide;
  std::function<void()> onClearChops;
  std::function<void(int index, float position)> onSliceMove;
  std::function<void(float position)> onSliceAdd;
  std::function<void(int index)> onSliceDelete;
  std::vector<Chip> chips;

  const float* samples = nullptr;  // not owned
  const float* right = nullptr;    // a stereo sample's, not owned
  int frameCount = 0;
  float seconds = 0.0f;
  ui::WaveOverview overview;
  NumberEntry entry;
  int mode = kWindow;
  const float* markers = nullptr;  // ascending 0..1, marker 0 at the start; not owned
  int markerCount = 0;
  std::uint8_t hasMarkers = 0;
  std::uint8_t slicesOn = 0;
  std::string hintText;

 private:
  std::string cannotPlayNote_;  // the line said in place of the wave, empty for none

  // The title strip's items, laid out from the right end each frame.
  struct StripLayout {
    ui::Rect modePill;  // zero when not shown
    ui::Rect chopPill;
  };
  StripLayout layoutStrip();
  void drawModePills();
  // The title row between the title and the pills and chips.
  ui::Rect titleRow() const;
  void drawChopMenu();
  void drawWindowView();
  void drawSlicesView();
  void drawGrainsView();
  void applyWindowDrag(float pointerX, float dy);
  // Where a slice marker dragged to u goes.
  float keptApart(int index, float u) const;

  float slotValue(const char* key, float fallback) const;
  float gainDb() const { return slotValue("gain", 0.0f); }
  float linearGain() const;
  float windowGainAt(float position, float a, float b) const;
  bool sampleLoaded() const { return samples && frameCount > 0 && !overview.empty(); }
  float xToFraction(float x) const;
  // Where the grabbed edge, fade, marker or line is dragged to.
  float draggedX(const ui::Interaction& it) const;
  // Where the window view's edge or fade handle is.
  float windowHandleX(int handle) const;
  // Where the bar of the start or end edge at edgeX is drawn and taken.
  float edgeBarX(float edgeX, int handle) const;
  // The middle of a fade's flag, where it is drawn and taken.
  ImVec2 fadeFlagCentre(int handle) const;
  // The grains view's position line (0) or the spray edge (1) nearer x.
  float grainHandleX(int which, float x) const;
  // The spray's right or left edge as drawn, and the middle of its flag.
  float sprayEdgeX(bool right) const;
  ImVec2 sprayFlagCentre(bool right) const;
  // 1 over the right spray flag, 2 over the left, else 0.
  int sprayFlagAt(ImVec2 p) const;
  void drawFooter(ImDrawList* dl, const char* text, float height, int style, std::uint32_t colour) const;
  // A readout of what is dragged or pointed at, in the view's top right.
  void drawCornerReadout(ImDrawList* dl, const std::string& text, std::uint32_t colour) const;

  StripLayout strip_;
  ui::LabelPlacer barPlacer_;  // the markers drawn this frame, for the footer
  // Gesture state, from a press to its release.
  int windowDrag_ = kNone;
  int axisLock_ = 0;  // grains view: 0 idle, 1 undecided, 2 horizontal, 3 vertical
  float gainAtPress_ = 0.0f;
  int dragIndex_ = -1;       // slices: the marker dragged; grains: 0 position, 1 spray
  float grabDx_ = 0.0f;      // from the press to the grabbed edge, fade, marker or line
  float grabSpan_ = 0.0f;    // the pixels over which its drag sweeps its range
  bool sprayRight_ = false;  // the grabbed spray edge is the one right of the line
  // The title strip's hovered items and the chop menu asked for this frame.
  std::uint8_t pillHovered_ = 0;
  std::uint8_t chopHovered_ = 0;
  std::uint8_t gainHovered_ = 0;
  std::uint8_t chopMenuRequested_ = 0;
};

}  // namespace orbi
