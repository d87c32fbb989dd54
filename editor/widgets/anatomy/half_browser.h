#pragma once
// The small panel of one half of the drum diagram (a hit or the body): the
// half in use by name with its waveform, and arrows that step through the
// alternatives, the recorded halves the owner offers as presets or, without
// any, the steps of the half's type parameter. Each half plays (onLand) as
// the user lands on it. Slot 0 is the half's type parameter. Main thread.

#include <functional>
#include <string>

#include "editor/widgets/param_widget.h"
#include "ui/draw/wave_overview.h"

namespace orbi {

class HalfBrowser : public ParamWidget {
 public:
  std::string hint() const override;
  ImVec2 anchorFor(int slot, float t) const override;
  // The base's preset, then onLand, also when the preset was refused.
  void applyPreset(const ResolvedPreset& preset) override;

  // Keeps the pointer (the owner keeps the samples alive); times of the
  // overview are in samples.
  void setWaveform(const float* samples, int frames);
  void draw(const ui::Rect& r);
  // -1 the previous half, +1 the next, wrapping.
  void step(int delta);
  int currentIndex() const;
  // The display label of step i of slot 0; null when there is none.
  const char* choiceLabel(int i) const;

  std::function<void()> onLand;
  const float* samples = nullptr;  // not owned
  int frameCount = 0;
  ui::WaveOverview overview;
  int pinnedPreset = -1;  // the preset shown; -1 when the sound matches none
  std::string hintText;   // of the last frame

 private:
  int stepCount() const;
  const char* shownName() const;
  void paintContent(ImDrawList* dl, const ui::Rect& c, bool prevLit, bool nextLit) const;
};

}  // namespace orbi
