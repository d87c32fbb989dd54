#pragma once
// A drum diagram set up the way the bench shows it, for the pixel snapshot
// and the benchmark: a band-pass hit, a clap as the second hit and a
// wavetable body with detune, each half with its labelled type and
// preview, the socket after the mix and the drum reversed.

#include <vector>

#include "editor/widgets/anatomy/anatomy_view.h"
#include "support/editor/widgets/graph_gallery.h"
#include "support/editor/widgets/half_set_gallery.h"

namespace orbi::graph::testing {

inline const char* const kHitLabels[] = {"off",      "click", "knock",    "band-pass",
                                         "recorded", "clap",  "high-pass"};
inline const char* const kBodyLabels[] = {"off",   "sine",   "shell", "modal",    "recorded",
                                          "metal", "string", "fm",    "wavetable"};

inline NodeGraph::Model modelOfHalf(bool body, int mode) {
  NodeGraph::Model m;
  for (const HalfSet& set : halfSets()) {
    if (set.body != body || set.mode != mode) continue;
    m.body = body;
    m.mode = mode;
    m.shape = shapeOf(set);
    m.nodes = set.nodes;
  }
  for (Node& n : m.nodes)
    if (n.nodeKind() == NodeKind::kDetune) n.value = 0.05f;  // two bank waves
  return m;
}

inline ParamSlot typeSlotOf(const char* key, int id, const char* const* labels, int count, int value) {
  ParamSlot s;
  s.id = id;
  s.info.id = key;
  s.info.max = static_cast<float>(count - 1);
  s.info.stepped = 1;
  s.info.labels = labels;
  s.info.labelCount = static_cast<std::uint32_t>(count);
  s.value = static_cast<float>(value);
  return s;
}

// The diagram as the snapshot shows it, pointing into the preview.
inline void fillDiagram(AnatomyView& view, const std::vector<float>& preview) {
  view.hasSecondHit = true;
  view.secondHitBrowser.title = "HIT 2";
  view.hitBrowser.setSlots({typeSlotOf("exc1_type", 1, kHitLabels, 7, hit_type::kBandPass)});
  view.secondHitBrowser.setSlots({typeSlotOf("exc2_type", 2, kHitLabels, 7, hit_type::kClap)});
  view.bodyBrowser.setSlots({typeSlotOf("res_type", 3, kBodyLabels, 9, body_type::kWavetable)});
  for (HalfBrowser* b : {&view.hitBrowser, &view.secondHitBrowser, &view.bodyBrowser})
    b->setWaveform(preview.data(), static_cast<int>(preview.size()));
  view.hitGraph.setModel(modelOfHalf(false, hit_type::kBandPass));
  view.secondHitGraph.setModel(modelOfHalf(false, hit_type::kClap));
  view.bodyGraph.setModel(modelOfHalf(true, body_type::kWavetable));
  view.bodyGraph.setWaveform(preview.data(), static_cast<int>(preview.size()), 1.0f);
  view.setSumWaveform(preview.data(), static_cast<int>(preview.size()));
  view.socket.drive = 0.6f;
  view.socket.bias = 0.2f;
  view.socket.position = 1;
  view.bleed = 0.5f;
  view.bodyLevel = 0.8f;
  view.reversed = true;
  view.onReverse = [](bool) {};
  view.onBleed = [](float) {};
  view.onBodyLevel = [](float) {};
}

// The diagram and the previews it points into.
struct BenchDrum {
  BenchDrum(const BenchDrum&) = delete;
  BenchDrum& operator=(const BenchDrum&) = delete;
  BenchDrum() : preview(previewOfBody(22050)) { fillDiagram(view, preview); }
  std::vector<float> preview;
  AnatomyView view;
};

}  // namespace orbi::graph::testing
