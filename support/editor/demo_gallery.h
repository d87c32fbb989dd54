#pragma once
// The demo project's bench set up for the editor's pictures, staged
// straight in the editor's project: a machine put on a track, a sampler's
// slices, a drum with its second hit on and its first step locked, random
// and selected.
#include <cstdint>

#include "editor/editor_view.h"
#include "engine/model/project.h"
#include "engine/params/param_tables.h"

namespace orbi::test {

inline constexpr std::uint8_t kKeepMachine = 255;  // the demo's sound as it is

struct DemoBench {
  const char* name;
  int track;
  std::uint8_t machine;
  bool slices = false;
  bool halves = false;  // a second hit, a recorded body, a locked random first step, selected
};

inline void stageDemoBench(EditorView& view, const DemoBench& demo) {
  ob::Pattern& part = view.project().patterns[0];
  ob::Sound& sound = part.kit.sounds[part.tracks[demo.track].soundIndex];
  const auto param = [&sound](const char* key) { return ob::findParamIndex(sound.machine, key); };
  if (demo.machine != kKeepMachine) {
    ob::initSoundParams(sound, demo.machine);
    if (const int slot = param("slot"); slot >= 0)
      sound.params[slot] = demo.machine == ob::kMachineGranular ? 7.0f : 3.0f;
    if (demo.machine == ob::kMachineVa) sound.params[param("flt_cutoff")] = 3000.0f;
  }
  if (demo.slices) {
    sound.params[param("window_mode")] = 1.0f;
    ob::SampleSlot& table = view.project().samples.slots[3];
    table.sliceCount = 4;
    for (int i = 0; i < 4; ++i) table.slices[i] = static_cast<float>(i) / 4.0f;
  }
  if (demo.halves) {
    sound.params[param("exc2_type")] = 3.0f;
    sound.params[param("exc2_level")] = 0.6f;
    sound.params[param("res_type")] = 4.0f;
    sound.params[param("res_aux1")] = 5.0f / 63.0f;
    ob::Step& first = part.tracks[demo.track].steps[0];
    first.active = 1;
    first.randCount = 1;
    first.rands[0] = {static_cast<std::uint8_t>(param("exc1_decay")), 0.6f};
    first.lockCount = 1;
    first.locks[0] = {static_cast<std::uint8_t>(param("res_tune")), 80.0f};
  }
  view.commitProject(true);
  view.setSelectedTrack(demo.track);
  view.setSelectedStep(demo.halves ? 0 : -1);
  view.refresh();
}

}  // namespace orbi::test
