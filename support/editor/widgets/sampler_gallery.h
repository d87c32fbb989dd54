#pragma once
// A sampler panel set up the way the bench shows it, for the benchmarks
// and the page's pixel snapshot: a sample with its chips and eight chop
// markers, the view's slots for the mode, and the speed, tone or grains,
// and amp lanes with values away from their defaults.

#include <cmath>
#include <vector>

#include "editor/widgets/sample/sampler_lanes.h"
#include "engine/params/param_info.h"
#include "engine/params/param_name.h"

namespace orbi::sample::testing {

// A decaying sine restarted every half second, at 44.1 kHz.
inline std::vector<float> decayingBursts(int frames) {
  std::vector<float> v(static_cast<std::size_t>(frames));
  for (int i = 0; i < frames; ++i)
    v[static_cast<std::size_t>(i)] = std::sin(i * 0.031f) * std::exp(-(i % 22050) / 6000.0f);
  return v;
}

// The name the bench gives a sampler's or a granular sound's slot.
inline const char* samplerSlotName(const char* key) {
  const char* name = ob::paramNameOfKey(ob::kMachineSample, key);
  return *name != '\0' ? name : ob::paramNameOfKey(ob::kMachineGranular, key);
}

inline ParamSlot slot(int id, const char* key, float lo, float hi, float value) {
  ParamSlot s;
  s.id = id;
  s.info.id = key;
  s.name = samplerSlotName(key);
  s.info.min = lo;
  s.info.max = hi;
  s.value = value;
  return s;
}

// The panel in the view (SampleView::Mode) over the samples, which it keeps
// pointing into.
inline void fillSamplerPanel(SamplerLanes& panel, int view, const std::vector<float>& samples) {
  panel.sampleView.title = "SAMPLE";
  panel.sampleView.setSample(samples.data(), static_cast<int>(samples.size()),
                             static_cast<float>(samples.size()) / 44100.0f);
  panel.sampleView.chips = {
      {samplerSlotName("loop"), 1, 1, {}}, {samplerSlotName("reverse"), 0, 2, {}}, {samplerSlotName("normalize"), 0, 3, {}}};
  panel.sampleView.hasMarkers = 1;
  static const float markers[] = {0.0f, 0.125f, 0.25f, 0.375f, 0.5f, 0.625f, 0.75f, 0.875f};
  panel.sampleView.markers = markers;
  panel.sampleView.markerCount = 8;
  panel.sampleView.mode = view;
  if (view == SampleView::kWindow)
    panel.sampleView.setSlots({slot(0, "start", 0, 1, 0.1f), slot(1, "end", 0, 1, 0.8f),
                               slot(2, "fadeIn", 0, 1, 0.1f), slot(3, "fadeOut", 0, 1, 0.3f),
                               slot(4, "gain", -24, 24, -3)});
  else if (view == SampleView::kSlices)
    panel.sampleView.setSlots({slot(0, "slice", 0, 63, 2)});
  else
    panel.sampleView.setSlots(
        {slot(0, "position", 0, 1, 0.4f), slot(1, "spray", 0, 1, 0.1f), slot(2, "gain", -24, 24, 0)});
  panel.mode = view == SampleView::kGrains ? SamplerLanes::kGrains : SamplerLanes::kTone;
  panel.speed.title = "SPEED";
  panel.speed.setSlots({slot(0, "tune", -24, 24, -3), slot(1, "spread", 0, 1, 0.3f)});
  panel.tone.title = "TONE";
  panel.tone.setSlots({slot(0, "crush", 1, 16, 8), slot(1, "srr", 0, 1, 0.2f), slot(2, "lp", 200, 20000, 3000)});
  panel.tone.slots[2].logScale = 1;
  panel.grains.title = "GRAINS";
  panel.grains.setSlots({slot(0, "size", 5, 200, 60), slot(1, "density", 1, 100, 30)});
  panel.amp.title = "AMP";
  panel.amp.setSlots(
      {slot(0, "attack", 0, 0.5f, 0.02f), slot(1, "decay", 0.01f, 8, 1.2f), slot(2, "level", 0, 1, 0.9f)});
}

}  // namespace orbi::sample::testing
