#pragma once
// The bench controller and its page over the fake root view, on the demo
// project: what the controller asks of the view is recorded there.

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "editor/bench/bench_controller.h"
#include "editor/widgets/bench/bench_page.h"
#include "engine/params/param_tables.h"
#include "engine/pool/sample_pool.h"
#include "tests/editor/fake_editor_context.h"

namespace orbi::test {

// The page and its controller wired as the root view wires them.
struct BenchRig {
  BenchRig() {
    context.reset();
    bench.wire();
    bench.rebuild();
  }
  void reset() {
    context.reset();
    bench.rebuild();
  }
  ob::Pattern& pattern() { return context.project().patterns[0]; }
  ob::Sound& soundOf(int track) { return pattern().kit.sounds[pattern().tracks[track].soundIndex]; }
  // Turns track t's sound into a fresh sound of the machine, selects the
  // track and rebuilds.
  ob::Sound& selectMachine(int t, std::uint8_t machine) {
    ob::initSoundParams(soundOf(t), machine);
    context.track = t;
    bench.rebuild();
    return soundOf(t);
  }
  // A sine of the given length in pool slot `slot` (on the right too at a level there), named in the table.
  void putSample(int slot, double seconds, const char* name = "tone", float level = 0.5f,
                 float right = 0.0f) {
    ob::SampleAudio audio;
    audio.sampleRate = 44100.0;
    audio.left.resize(static_cast<std::size_t>(seconds * audio.sampleRate));
    for (std::size_t i = 0; i < audio.left.size(); ++i)
      audio.left[i] = level * std::sin(0.05f * static_cast<float>(i));
    for (std::size_t i = 0; right > 0.0f && i < audio.left.size(); ++i)
      audio.right.push_back(right * std::sin(0.05f * static_cast<float>(i)));
    context.samplePool().replaceSlot(static_cast<std::uint32_t>(slot), std::move(audio));
    ob::SampleSlotTable& table = context.project().samples;
    std::snprintf(table.slots[slot].name, sizeof table.slots[slot].name, "%s", name);
    table.count = std::max<std::uint8_t>(table.count, static_cast<std::uint8_t>(slot + 1));
  }

  FakeEditorContext context;
  BenchPage page;
  BenchController bench{context, page};
};

inline int drumParam(const char* key) { return ob::findParamIndex(ob::kMachineDrum, key); }
inline int samplerParam(const char* key) { return ob::findParamIndex(ob::kMachineSample, key); }

}  // namespace orbi::test
