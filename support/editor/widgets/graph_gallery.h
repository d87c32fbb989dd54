#pragma once
// Node graphs set up the way the bench shows them, for the pixel snapshots:
// a sine body with its pitch layer, an LFO on the drop with its chip, and
// modulation marks; a band-pass hit with its region and width bar.

#include <cmath>
#include <vector>

#include "editor/widgets/graph/node_graph.h"
#include "support/editor/widgets/half_set_gallery.h"

namespace orbi::graph::testing {

inline NodeGraph::Model sineBodyModel() {
  HalfSet set{};
  for (HalfSet& s : halfSets()) {
    if (s.body && s.mode == body_type::kSine) set = s;
  }
  NodeGraph::Model m;
  m.body = true;
  m.mode = body_type::kSine;
  m.shape = {55.0f, 0.3f, 0.45f, 0.25f, 0.6f};
  m.nodes = set.nodes;
  m.nodes[0].value = 0.3f;                    // hold
  m.nodes[1].value = (0.6f - 0.02f) / 3.98f;  // decay 0.6 s
  m.nodes[2].value = 0.45f;                   // drop
  m.nodes[2].hasLfo = 1;
  m.nodes[2].lfoAmount = 0.4f;
  m.nodes[2].lfo = 0;
  m.nodes[2].lfoShape = 1;
  m.nodes[2].lfoTrig = 1;
  m.nodes[2].lfoSynced = 1;
  m.nodes[2].hasLive = 1;
  m.nodes[2].liveAmount = 0.7f;
  m.nodes[3].value = 0.25f;  // drop time
  m.nodes[3].hasModEnvelope = 1;
  m.nodes[3].modEnvelopeAmount = -0.3f;
  m.nodes[4].hasMacro = 1;  // tune
  m.nodes[4].macroAmount = 0.5f;
  return m;
}

inline NodeGraph::Model bandPassHitModel() {
  HalfSet set{};
  for (HalfSet& s : halfSets()) {
    if (!s.body && s.mode == hit_type::kBandPass) set = s;
  }
  NodeGraph::Model m;
  m.body = false;
  m.mode = hit_type::kBandPass;
  m.shape = {0.0f, 0.02f, 0.3f, 0.6f, 0.08f};
  m.nodes = set.nodes;
  m.nodes[0].value = 0.02f;  // centre
  m.nodes[1].value = 0.16f;  // length
  m.nodes[2].value = 0.3f;   // resonance
  m.nodes[3].value = 0.6f;   // snap
  m.nodes[4].value = 0.7f;   // width
  m.nodes[4].hasLfo = 1;
  m.nodes[4].lfoAmount = 0.5f;
  return m;
}

// A decaying, dropping sine, as the bench's preview of a body would be.
inline std::vector<float> previewOfBody(int frames) {
  std::vector<float> out(static_cast<std::size_t>(frames));
  double phase = 0.0;
  for (int i = 0; i < frames; ++i) {
    const double t = i / 22050.0;
    phase += 2.0 * 3.14159265358979 * (55.0 * (1.0 + 2.0 * std::exp(-t * 20.0))) / 22050.0;
    out[static_cast<std::size_t>(i)] = static_cast<float>(std::exp(-t / 0.6) * std::sin(phase));
  }
  return out;
}

}  // namespace orbi::graph::testing
