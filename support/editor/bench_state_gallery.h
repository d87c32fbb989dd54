#pragma once
// The states of the bench that sweeps over the whole page walk through:
// every factory kit with each of its tracks selected, and a fresh track of
// each machine kind (a drum with one hit and with two, a sampler in its
// window and in its slices view, a granular sound, a synthesiser), as it
// is added and with all five chain stages on, as the last of 1 to 8
// tracks; each with no macro selected and with one selected that has eight
// destinations. A state is staged through the root view and the bench
// controller as the user's clicks would leave it; the UI scale is the
// harness's, so a sweep runs the states once per scale.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "content/kits/factory_kit_builder.h"
#include "editor/editor_view.h"
#include "editor/widgets/chain/stage.h"
#include "engine/model/demo_project.h"
#include "engine/model/edit_command.h"
#include "engine/model/pattern_copy.h"
#include "engine/model/project.h"
#include "engine/params/param_info.h"
#include "engine/params/param_tables.h"
#include "support/sanitized_build.h"

namespace orbi::test {

using ob::test::kSanitizedBuild;

inline constexpr float kBenchScales[] = {1.0f, 1.5f};

enum class BenchMachine : std::uint8_t {
  kKit,  // a factory kit's own track
  kDrumOneHit,
  kDrumTwoHits,
  kSamplerWindow,
  kSamplerSlices,
  kGranular,
  kSynth,
};

struct BenchState {
  BenchMachine machine = BenchMachine::kKit;
  int kit = -1;                // kKit: the factory kit
  int track = 0;               // kKit: the selected track
  int trackCount = 1;          // the others: 1..8 tracks, the new one last and selected
  bool allStages = false;      // the others: every chain stage added
  bool macroSelected = false;  // macro 1 selected, with eight destinations

  std::string name() const {
    std::string out;
    if (machine == BenchMachine::kKit) {
      const std::unique_ptr<ob::Pattern> kitPattern = std::make_unique<ob::Pattern>(ob::makeFactoryKit(kit));
      out = std::string("kit \"") + kitPattern->kit.name + "\" track " + std::to_string(track + 1);
    } else {
      static constexpr const char* kNames[] = {
          "",         "drum, one hit", "drum, two hits", "sampler window", "sampler slices",
          "granular", "synthesiser"};
      out = std::string(kNames[static_cast<int>(machine)]) + " as track " + std::to_string(trackCount) +
            " of " + std::to_string(trackCount);
      if (allStages) out += ", all stages";
    }
    if (macroSelected) out += ", macro with 8 destinations";
    return out;
  }
};

// Every state, kits first.
inline std::vector<BenchState> benchStates() {
  std::vector<BenchState> out;
  for (const bool macro : {false, true}) {
    for (int kit = 0; kit < ob::factoryKitCount(); ++kit) {
      const std::unique_ptr<ob::Pattern> pattern = std::make_unique<ob::Pattern>(ob::makeFactoryKit(kit));
      for (int track = 0; track < pattern->numTracks; ++track) {
        BenchState state;
        state.kit = kit;
        state.track = track;
        state.macroSelected = macro;
        out.push_back(state);
      }
    }
    for (const BenchMachine machine :
         {BenchMachine::kDrumOneHit, BenchMachine::kDrumTwoHits, BenchMachine::kSamplerWindow,
          BenchMachine::kSamplerSlices, BenchMachine::kGranular, BenchMachine::kSynth})
      for (const bool stages : {false, true})
        for (int count = 1; count <= ob::kMaxTracks; ++count) {
          BenchState state;
          state.machine = machine;
          state.trackCount = count;
          state.allStages = stages;
          state.macroSelected = macro;
          out.push_back(state);
        }
  }
  return out;
}

namespace detail {

inline std::uint8_t machineOf(BenchMachine m) {
  switch (m) {
    case BenchMachine::kSamplerWindow:
    case BenchMachine::kSamplerSlices: return ob::kMachineSample;
    case BenchMachine::kGranular: return ob::kMachineGranular;
    case BenchMachine::kSynth: return ob::kMachineVa;
    default: return ob::kMachineDrum;
  }
}

// The tracks before the new one: the demo's, cut to the count.
inline void keepTracks(EditorView& view, int count) {
  ob::buildDemoProject(view.project());
  ob::Pattern& part = view.project().patterns[0];
  part.numTracks = static_cast<std::uint8_t>(std::min<int>(count, part.numTracks));
  view.commitProject(true);
  view.setSelectedTrack(0);
  view.setSelectedStep(-1);
  view.refresh();
}

// Macro 1 gets destinations until it has eight: the selected track's
// continuous parameters first, then those of the other tracks.
inline void fillFirstMacro(EditorView& view) {
  const ob::Pattern& part = view.project().patterns[0];
  const int selected = view.selectedTrack();
  for (int pass = 0; pass < 2; ++pass)
    for (int track = 0; track < part.numTracks; ++track) {
      if ((pass == 0) != (track == selected)) continue;
      const int soundIndex = part.tracks[track].soundIndex;
      if (soundIndex < 0 || soundIndex >= ob::kMaxTracks) continue;
      const std::uint8_t machine = part.kit.sounds[soundIndex].machine;
      for (int param = 0; param < ob::paramCount(machine); ++param) {
        if (part.kit.macros[0].destCount >= ob::kListCapacity) return;
        const ob::ParamInfo info = ob::paramInfo(machine, param);
        if (!(info.min < info.max) || info.stepped) continue;
        ob::EditCommand command;
        command.kind = ob::kEditMacroDest;
        command.track = static_cast<std::uint32_t>(track);
        command.step = static_cast<std::uint32_t>(param);
        command.param = 0;
        command.value = info.max;
        view.apply(command);
      }
    }
}

}  // namespace detail

// Puts the view into the state: a fresh part each time, whatever came
// before. The caller runs frames afterwards.
inline void stageBenchState(EditorView& view, const BenchState& state) {
  view.macroPanel().selectedMacro = -1;
  if (state.machine == BenchMachine::kKit) {
    ob::buildDemoProject(view.project());
    const std::unique_ptr<ob::Pattern> kit = std::make_unique<ob::Pattern>(ob::makeFactoryKit(state.kit));
    ob::copyPatternIntoProject(view.project(), *kit);
    view.commitProject(true);
    view.setSelectedTrack(state.track);
    view.setSelectedStep(-1);
    view.refresh();
  } else {
    detail::keepTracks(view, state.trackCount - 1);
    BenchController& bench = view.bench();
    bench.addTrackOf(detail::machineOf(state.machine));
    if (state.machine == BenchMachine::kDrumTwoHits) bench.setParamByName("exc2_type", 3.0f);
    if (state.machine == BenchMachine::kSamplerSlices) {
      bench.setParamByName("window_mode", 1.0f);
      bench.onDivideChops(4);
    }
    if (state.allStages)
      for (int stage = 0; stage < ob::chainstage::kStageCount; ++stage)
        bench.addStage(static_cast<ob::chainstage::Stage>(stage));
    bench.rebuild();
  }
  if (state.macroSelected) {
    detail::fillFirstMacro(view);
    view.macroPanel().selectedMacro = 0;
  }
}

}  // namespace orbi::test
