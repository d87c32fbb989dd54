#pragma once
// The node sets the bench controller builds for each half type, as the
// graph's tests need them: kind, name, unit and display range per node,
// parameter ranges 0..1 but for the body's tune (20..400 Hz).

#include <vector>

#include "editor/widgets/graph/graph_model.h"
#include "engine/params/param_info.h"
#include "engine/params/param_name.h"
#include "engine/params/param_tables.h"

namespace orbi::graph::testing {

struct HalfSet {
  bool body;
  int mode;
  std::vector<Node> nodes;
};

inline Node setNode(int id, NodeKind kind, const char* unit, float lo, float hi) {
  Node n;
  n.id = id;
  n.kind = static_cast<int>(kind);
  n.label = ob::paramName(ob::kMachineDrum, id);
  n.unit = unit;
  n.displayLo = lo;
  n.displayHi = hi;
  n.value = 0.5f;
  return n;
}

inline const char* const kNoiseColours[] = {"white", "pink", "metallic"};
inline const char* const kBanks[] = {"classic", "harmonic", "pulse"};

inline Node tuneNode() {
  Node n =
      setNode(ob::findParamIndex(ob::kMachineDrum, "res_tune"), NodeKind::kFrequency, "Hz", 20.0f, 400.0f);
  n.paramLo = 20.0f;
  n.paramHi = 400.0f;
  n.value = 55.0f;
  n.fixedPitch = 1;
  return n;
}

inline Node choiceOf(Node n, const char* const* choices, int count) {
  n.choices = choices;
  n.choiceCount = count;
  return n;
}

inline Node withSample(Node n, float seconds) {
  n.sampleSeconds = seconds;
  return n;
}

inline std::vector<HalfSet> halfSets() {
  using K = NodeKind;
  std::vector<HalfSet> sets = {
      {false,
       hit_type::kClick,
       {setNode(1, K::kColour, "", 0, 1), setNode(2, K::kLength, "s", 0.0005f, 0.5f),
        setNode(28, K::kWidth, "", 0, 1)}},
      {false,
       hit_type::kKnock,
       {setNode(1, K::kFrequency, "Hz", 40, 500), setNode(2, K::kLength, "s", 0.0005f, 0.5f),
        setNode(4, K::kDrop, "st", 0, 24), setNode(5, K::kDropSpeed, "x", 1, 4)}},
      {false,
       hit_type::kBandPass,
       {setNode(1, K::kFrequency, "Hz", 200, 12000), setNode(2, K::kLength, "s", 0.0005f, 0.5f),
        setNode(4, K::kResonance, "Q", 0.5f, 10), setNode(5, K::kSnap, "", 1, 3),
        setNode(28, K::kWidth, "", 0, 1)}},
      {false,
       hit_type::kRecorded,
       {setNode(1, K::kColour, "", 0, 1), setNode(2, K::kLength, "s", 0.0005f, 0.5f),
        setNode(4, K::kSampleSlot, "", 0, 63), withSample(setNode(5, K::kRate, "x", 0.5f, 2), 0.3f),
        setNode(6, K::kReverse, "", 0, 1)}},
      {false,
       hit_type::kClap,
       {setNode(1, K::kFrequency, "Hz", 500, 6000), setNode(2, K::kLength, "s", 0.0005f, 0.5f),
        setNode(4, K::kSpread, "ms", 5, 40), setNode(28, K::kWidth, "", 0, 1)}},
      {false,
       hit_type::kHighPass,
       {setNode(1, K::kFrequency, "Hz", 200, 18000), setNode(2, K::kLength, "s", 0.0005f, 0.5f),
        choiceOf(setNode(4, K::kChoice, "", 0, 2), kNoiseColours, 3),
        setNode(5, K::kResonance, "Q", 0.5f, 10), setNode(28, K::kWidth, "", 0, 1)}},
      {true,
       body_type::kSine,
       {setNode(18, K::kHold, "s", 0, 0.05f), setNode(17, K::kLength, "s", 0.02f, 4),
        setNode(20, K::kDrop, "st", 0, 48), setNode(21, K::kDropTime, "s", 0.005f, 0.4f)}},
      {true,
       body_type::kShell,
       {setNode(18, K::kBrightness, "", 0, 1), setNode(17, K::kLength, "s", 0.012f, 2.4f),
        setNode(20, K::kBlip, "", 0, 1), setNode(21, K::kBlipTime, "s", 0.005f, 0.15f)}},
      {true,
       body_type::kModal,
       {setNode(18, K::kBrightness, "", 0, 1), setNode(17, K::kLength, "s", 0.02f, 4),
        setNode(20, K::kInharmonic, "", 0, 1)}},
      {true,
       body_type::kRecorded,
       {setNode(18, K::kBrightness, "", 0, 1), setNode(17, K::kLength, "s", 0.02f, 4),
        setNode(20, K::kSampleSlot, "", 0, 63), withSample(setNode(21, K::kRate, "x", 0.5f, 2), 0.8f),
        setNode(22, K::kReverse, "", 0, 1)}},
      {true,
       body_type::kMetal,
       {setNode(18, K::kFrequency, "Hz", 2000, 12000), setNode(17, K::kLength, "s", 0.02f, 4),
        setNode(20, K::kShimmer, "", 0, 1)}},
      {true,
       body_type::kString,
       {setNode(18, K::kBrightness, "", 0, 1), setNode(17, K::kLength, "s", 0.02f, 4)}},
      {true,
       body_type::kFm,
       {setNode(18, K::kBrightness, "", 0, 1), setNode(17, K::kLength, "s", 0.02f, 4),
        setNode(20, K::kRatio, "x", 0.5f, 12), setNode(21, K::kBrightTime, "s", 0.005f, 3)}},
      {true,
       body_type::kWavetable,
       {setNode(18, K::kPosition, "", 0, 1), setNode(17, K::kLength, "s", 0.02f, 4),
        choiceOf(setNode(20, K::kChoice, "", 0, 2), kBanks, 3), setNode(21, K::kDetune, "ct", 0, 1200)}},
  };
  for (HalfSet& set : sets) {
    if (set.body && set.mode != body_type::kRecorded) set.nodes.push_back(tuneNode());
    if (!set.body && set.mode == hit_type::kKnock) {
      for (Node& n : set.nodes) n.fixedPitch = 1;
    }
  }
  return sets;
}

// The half's shape read from its nodes as the controller reads it from the
// sound: tone, decay, aux1, aux2 by parameter.
inline Shape shapeOf(const HalfSet& set) {
  Shape shape;
  shape.tune = set.body ? 55.0f : 0.0f;
  shape.tone = 0.5f;
  shape.aux1 = 0.5f;
  shape.aux2 = 0.5f;
  shape.decay = 0.35f;
  return shape;
}

}  // namespace orbi::graph::testing
