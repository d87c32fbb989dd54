#pragma once
// The row of step cells at the top of the bench page: one cell per step of
// the selected track, each the drum as it sounds at that step (its
// waveform, scaled by velocity, shifted by micro-timing, with its retrig
// repeats), so the pattern is edited by touching the hits themselves. The
// grid never touches the project: the bench controller writes the cells,
// waveforms and lengths, the editor's frame writes the playing step, and
// every gesture leaves through a callback. Main thread, inside the
// editor's frame.

#include <imgui.h>

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "engine/clock/step_rate.h"
#include "ui/draw/wave_overview.h"
#include "ui/geometry.h"

namespace orbi {

class HitsGrid {
 public:
  static constexpr int kCells = 16;
  static constexpr int kMaxRetrig = 32;
  // The retrig rate a step without one plays and is drawn at, one repeat
  // a step; repeats started on such a step store it.
  static constexpr int kDefaultRetrigTicks = ob::kDefaultRetrigTicks;

  enum DragMode : int { kUndecided = 0, kMicro = 1, kRetrigCount = 2, kRetrigRamp = 3 };

  // One step as the rebuild describes it.
  struct Cell {
    std::uint8_t sounds = 0;     // active with a velocity above 0
    std::uint8_t hasLocks = 0;   // holds parameter locks
    std::uint8_t hasRandom = 0;  // active, and random amounts apply
    std::uint8_t silent = 0;     // active with velocity 0
    float velocity = 1.0f;       // velocity / 127
    float micro = 0.0f;          // micro-timing / 64, -1..1
    int retrigCount = 0;
    int retrigTicks = kDefaultRetrigTicks;
    int retrigRamp = 0;  // -128..127
    bool active() const { return sounds != 0 || silent != 0; }
  };

  // Where the cells of a frame lie.
  struct Geometry {
    ui::Rect rect;
    int count = 1;  // cells shown, 1..16
    float gap = 0.0f;
    float cellWidth = 0.0f;
    float cellHeight = 0.0f;  // above the number strip
    float loopX = 0.0f;       // the loop tab's centre
    float cellX(int i) const { return rect.x + static_cast<float>(i) * (cellWidth + gap); }
    ui::Rect cell(int i) const { return {cellX(i), rect.y, cellWidth, cellHeight}; }
    // The cell under the point, -1 for none.
    int cellAt(ImVec2 p) const;
    // The cell boundary 1..count nearest to x, the first of equals.
    int boundaryNearest(float x) const;
  };

  // A waveform the rebuild handed over: the samples stay the owner's and
  // valid until the next call for the same cell.
  struct Wave {
    const float* samples = nullptr;
    int frames = 0;
    ui::WaveOverview overview;
  };

  HitsGrid();

  void draw(const ui::Rect& r);
  Geometry geometry(const ui::Rect& r) const;
  // Whether cell i shows its retrig rate chip this frame, and where.
  bool hasChip(const Geometry& g, int i) const;
  static ui::Rect chipRect(const Geometry& g, int i);
  // Retrig rates by code 0..7: 96, 48, 32, 24, 16, 12, 8 and 6 ticks a
  // repeat, a quarter down to a sixty-fourth.
  static constexpr int kRateCodes = 8;
  // The ticks of a rate code; the default outside 0..7.
  static int rateTicks(int code);
  // The rate code nearest to the ticks (the first of equals) and its label.
  static int rateCode(int ticks);
  static const char* rateLabel(int ticks);
  // The height share 0..1 of retrig repeat k of a cell.
  static float repeatGain(const Cell& c, int k);

  void setBaseWaveform(const float* samples, int frames);
  void setCellWaveform(int step, const float* samples, int frames);
  void setCellVariations(int step, std::span<const std::pair<const float*, int>> variations);
  void clearCellWaveforms();

  std::function<void(int step)> onSelect;  // -1 for none
  std::function<void(int step)> onToggle;
  std::function<void(int step, float offset)> onMicro;
  std::function<void(int length)> onLoopLength;
  std::function<void(int step, int count)> onRetrigCount;
  std::function<void(int step, int ramp)> onRetrigRamp;
  std::function<void(int step, bool up)> onRetrigRate;

  std::array<Cell, kCells> cells{};
  std::array<Wave, kCells> cellWaves;
  std::array<std::vector<Wave>, kCells> cellVariations;
  Wave baseWave;
  std::string help;
  int selectedStep = -1;
  int playStep = -1;  // written each frame; -1 when stopped
  int count = kCells;
  int loopLength = kCells;
  ui::Rect rect;

 private:
  void drawGrid(const Geometry& g);
  void interactLoopTab(const Geometry& g);
  void interactChips(const Geometry& g);
  void interactCell(const Geometry& g, int i);
  void dragCell(const Geometry& g, int i, ImVec2 total, bool altAtPress);
  void select(int i) const;
  void drawCells(ImDrawList* dl, const Geometry& g) const;
  void drawCell(ImDrawList* dl, const Geometry& g, int i) const;
  void drawWave(ImDrawList* dl, const ui::Rect& cell, const ui::Rect& box, int i, float a) const;
  void drawRepeats(ImDrawList* dl, const Geometry& g, int i, float a) const;
  void drawChips(ImDrawList* dl, const Geometry& g) const;
  void drawLoopTab(ImDrawList* dl, const Geometry& g) const;
  void drawNumbers(ImDrawList* dl, const Geometry& g) const;

  // Gesture state, from a press on an active cell to its release.
  int dragStep_ = -1;
  float baseMicro_ = 0.0f;
  int baseCount_ = 0;
  int baseRamp_ = 0;
  int dragMode_ = kUndecided;
  int loopSent_ = 0;  // the length last sent by the loop tab's drag

  int hoverStep_ = -1;
  std::uint8_t loopHot_ = 0;
};

}  // namespace orbi
