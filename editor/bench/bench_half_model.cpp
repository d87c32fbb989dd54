// The node graphs' models of a drum's halves: a handle per parameter the
// half type exposes, and the marks of what modulates each one.

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "editor/bench/bench_controller.h"
#include "editor/bench/sound_values.h"
#include "editor/editor_context.h"
#include "editor/widgets/graph/node_graph.h"
#include "editor/widgets/widget_support.h"
#include "engine/params/param_name.h"
#include "engine/params/param_tables.h"

namespace orbi {
namespace {

using graph::NodeKind;

// A row without a kind has no node; each node is named as its parameter.
struct SlotRow {
  const char* unit = "";
  NodeKind kind{};
  float displayLo = 0.0f;
  float displayHi = 1.0f;
  const char* const* choices = nullptr;
  int choiceCount = 0;
};
using HalfRows = std::array<SlotRow, 6>;

constexpr const char* kNoiseColours[] = {"white", "pink", "metallic"};
constexpr const char* kBanks[] = {"classic", "harmonic", "pulse"};

constexpr SlotRow kHitLength{"s", NodeKind::kLength, 0.0005f, 0.5f};
constexpr SlotRow kHitWidth{"", NodeKind::kWidth, 0.0f, 1.0f};
constexpr SlotRow kBodyDecay{"s", NodeKind::kLength, 0.02f, 4.0f};
constexpr SlotRow kBrightness{"", NodeKind::kBrightness, 0.0f, 1.0f};
constexpr SlotRow kRate{"x", NodeKind::kRate, 0.5f, 2.0f};
constexpr SlotRow kReverse{"", NodeKind::kReverse, 0.0f, 1.0f};

// Hit types 0..6, slots 0..5.
constexpr std::array<HalfRows, 7> kHitSlots = {{
    {},
    {{{"", NodeKind::kColour, 0, 1}, kHitLength, {}, {}, {}, kHitWidth}},
    {{{"Hz", NodeKind::kFrequency, 40, 500}, kHitLength, {"st", NodeKind::kDrop, 0, 24},
      {"x", NodeKind::kDropSpeed, 1, 4}, {}, {}}},
    {{{"Hz", NodeKind::kFrequency, 200, 12000}, kHitLength,
      {"Q", NodeKind::kResonance, 0.5f, 10}, {"", NodeKind::kSnap, 1, 3}, {}, kHitWidth}},
    {{{"", NodeKind::kColour, 0, 1}, kHitLength, {"", NodeKind::kSampleSlot, 0, 63}, kRate,
      kReverse, {}}},
    {{{"Hz", NodeKind::kFrequency, 500, 6000}, {"s", NodeKind::kLength, 0.0005f, 0.5f},
      {"ms", NodeKind::kSpread, 5, 40}, {}, {}, kHitWidth}},
    {{{"Hz", NodeKind::kFrequency, 200, 18000}, kHitLength,
      {"", NodeKind::kChoice, 0, 2, kNoiseColours, 3}, {"Q", NodeKind::kResonance, 0.5f, 10},
      {}, kHitWidth}},
}};

// Body types 0..8.
constexpr std::array<HalfRows, 9> kBodySlots = {{
    {},
    {{{"s", NodeKind::kHold, 0, 0.05f}, kBodyDecay, {"st", NodeKind::kDrop, 0, 48},
      {"s", NodeKind::kDropTime, 0.005f, 0.4f}, {}, {}}},
    {{kBrightness, {"s", NodeKind::kLength, 0.012f, 2.4f}, {"", NodeKind::kBlip, 0, 1},
      {"s", NodeKind::kBlipTime, 0.005f, 0.15f}, {}, {}}},
    {{kBrightness, kBodyDecay, {"", NodeKind::kInharmonic, 0, 1}, {}, {}, {}}},
    {{kBrightness, kBodyDecay, {"", NodeKind::kSampleSlot, 0, 63}, kRate, kReverse, {}}},
    {{{"Hz", NodeKind::kFrequency, 2000, 12000}, kBodyDecay,
      {"", NodeKind::kShimmer, 0, 1}, {}, {}, {}}},
    {{kBrightness, kBodyDecay, {}, {}, {}, {}}},
    {{kBrightness, kBodyDecay, {"x", NodeKind::kRatio, 0.5f, 12},
      {"s", NodeKind::kBrightTime, 0.005f, 3}, {}, {}}},
    {{{"", NodeKind::kPosition, 0, 1}, kBodyDecay, {"", NodeKind::kChoice, 0, 2, kBanks, 3},
      {"ct", NodeKind::kDetune, 0, 1200}, {}, {}}},
}};

constexpr std::array<const char*, 5> kBodySlotKeys = {"res_tone", "res_decay", "res_aux1", "res_aux2", "res_rev"};
// Offsets from the hit's type parameter of slots 0..4.
constexpr std::array<int, 5> kHitSlotOffsets = {1, 2, 4, 5, 6};

int slotParam(int machine, bool isBody, int paramBase, int slot) {
  if (isBody) return slot < 5 ? ob::findParamIndex(machine, kBodySlotKeys[slot]) : -1;
  if (slot < 5) return paramBase + kHitSlotOffsets[slot];
  return ob::findParamIndex(machine, paramBase == 0 ? "exc1_width" : "exc2_width");
}

}  // namespace

graph::Shape BenchController::halfShape(const ob::Sound& s, bool isBody, int paramBase) {
  if (isBody)
    return {soundValue(s, "res_tune"), soundValue(s, "res_tone"), soundValue(s, "res_aux1"),
            soundValue(s, "res_aux2"), soundValue(s, "res_decay")};
  const std::string p = paramBase != 0 ? "exc2_" : "exc1_";
  return {0.0f, soundValue(s, p + "tone"), soundValue(s, p + "aux1"), soundValue(s, p + "aux2"),
          soundValue(s, p + "decay")};
}

void BenchController::buildHalfModel(NodeGraph& graph, const ob::Sound& s, bool isBody, int halfType,
                                     int paramBase) const {
  graph::Model model;
  model.body = isBody;
  model.mode = halfType;
  model.shape = halfShape(s, isBody, paramBase);
  const int typeCount = static_cast<int>(isBody ? kBodySlots.size() : kHitSlots.size());
  const bool known = halfType >= 0 && halfType < typeCount;
  for (int slot = 0; known && slot < 6; ++slot) {
    const std::size_t type = static_cast<std::size_t>(halfType);
    const SlotRow& row = isBody ? kBodySlots[type][slot] : kHitSlots[type][slot];
    const int id = slotParam(s.machine, isBody, paramBase, slot);
    if (row.kind == NodeKind{} || id < 0 || id >= ob::kSoundParamSlots) continue;
    const ob::ParamInfo info = ob::paramInfo(s.machine, id);
    graph::Node n;
    n.id = id;
    n.kind = static_cast<int>(row.kind);
    n.value = s.params[id];
    n.paramLo = info.min;
    n.paramHi = info.max;
    n.displayLo = row.displayLo;
    n.displayHi = row.displayHi;
    n.label = ob::paramName(s.machine, id);
    n.unit = row.unit;
    n.choices = row.choices;
    n.choiceCount = row.choiceCount;
    if (row.kind == NodeKind::kSampleSlot) {
      n.choices = slotNamePointers_.data();
      n.choiceCount = slotNameCount_;
    }
    if (row.kind == NodeKind::kRate) {
      const int aux1 = isBody ? ob::findParamIndex(s.machine, "res_aux1") : paramBase + 4;
      const float a = aux1 >= 0 ? std::clamp(s.params[aux1], 0.0f, 1.0f) : 0.0f;
      const ob::SampleSlotInfo& audio = snapshot_.slotOrEmpty(std::lround(a * 63.0f));
      if (audio.left && audio.frames > 0)
        n.sampleSeconds = static_cast<float>(audio.frames / (audio.sampleRate > 0.0 ? audio.sampleRate : 44100.0));
    }
    n.fixedPitch = !isBody && halfType == graph::hit_type::kKnock ? 1 : 0;
    decorateNode(n);
    model.nodes.push_back(n);
  }
  const int tune = ob::findParamIndex(s.machine, "res_tune");
  if (isBody && halfType != graph::body_type::kRecorded && tune >= 0) {
    const ob::ParamInfo info = ob::paramInfo(s.machine, tune);
    graph::Node n;
    n.id = tune;
    n.kind = static_cast<int>(NodeKind::kFrequency);
    n.value = s.params[tune];
    n.paramLo = n.displayLo = info.min;
    n.paramHi = n.displayHi = info.max;
    n.label = ob::paramName(s.machine, tune);
    n.unit = "Hz";
    n.fixedPitch = 1;
    decorateNode(n);
    model.nodes.push_back(n);
  }
  graph.setModel(std::move(model));
}

ParamWidget::ModMarks BenchController::modulationSummary(const ob::Pattern& p, int soundIndex, int track, int step,
                                                         int machine, int param) {
  ParamWidget::ModMarks m;
  if (track < 0 || track >= ob::kMaxTracks || param < 0 || param >= ob::kSoundParamSlots) return m;
  const ob::Track& t = p.tracks[track];
  const ob::ParamInfo info = ob::paramInfo(machine, param);
  const float lo = info.min, hi = info.max;
  const float b = soundIndex >= 0 && soundIndex < ob::kMaxTracks ? p.kit.sounds[soundIndex].params[param] : 0.0f;
  if (step >= 0 && step < ob::kStepsPerTrack) {
    const ob::Step& s = t.steps[step];
    for (int i = 0; i < std::min<int>(s.lockCount, ob::kListCapacity); ++i)
      if (s.locks[i].param == param) {
        m.hasLock = 1;
        m.lockValue = s.locks[i].value;
      }
  }
  float spread = 0.0f;
  bool lfo = false;
  for (const ob::Lfo& l : t.lfos)
    if (l.enabled && l.dest == param) {
      spread += std::fabs(l.depth) * (hi - lo) * 0.5f;
      lfo = true;
    }
  if (lfo) {
    m.hasLfo = 1;
    m.lfoLow = clampBetween(b - spread, lo, hi);
    m.lfoHigh = clampBetween(b + spread, lo, hi);
  }
  float offset = 0.0f;
  bool env = false;
  for (const ob::ModEnv& e : t.modEnvs)
    if (e.enabled && e.dest == param) {
      offset += e.depth * (hi - lo);
      env = true;
    }
  if (env) {
    m.hasEnv = 1;
    m.envLow = clampBetween(std::min(b, b + offset), lo, hi);
    m.envHigh = clampBetween(std::max(b, b + offset), lo, hi);
  }
  for (const ob::Macro& macro : p.kit.macros)
    for (int d = 0; d < std::min<int>(macro.destCount, ob::kListCapacity); ++d)
      if (macro.dests[d].track == track && macro.dests[d].param == param) {
        m.hasMacro = 1;
        m.macroValue = macro.dests[d].target;
      }
  return m;
}

void BenchController::decorateNode(graph::Node& n) const {
  const int t = validTrack();
  if (t < 0 || n.id < 0) return;
  const ob::Pattern& p = pattern();
  const ob::Track& track = p.tracks[t];
  const int s = context->selectedStep();
  const ParamWidget::ModMarks m = modulationSummary(p, track.soundIndex, t, s, panelSound_.machine, n.id);
  const float span = std::max(n.paramHi - n.paramLo, 1e-9f);
  if (m.hasLfo) {
    n.hasLfo = 1;
    n.lfoAmount = (m.lfoHigh - m.lfoLow) / span;
  }
  if (m.hasEnv) {
    const float up = m.envHigh - n.value, down = m.envLow - n.value;
    n.hasModEnvelope = 1;
    n.modEnvelopeAmount = (std::fabs(up) >= std::fabs(down) ? up : down) / span;
  }
  if (m.hasMacro) {
    n.hasMacro = 1;
    n.macroAmount = std::clamp((m.macroValue - n.paramLo) / span, 0.0f, 1.0f);
  }
  n.hasLive = m.hasLfo || m.hasEnv ? 1 : 0;
  for (int i = 0; i < 2; ++i) {
    const ob::Lfo& l = track.lfos[i];
    if (!l.enabled || l.dest != n.id) continue;
    n.lfo = i;
    n.lfoShape = l.shape;
    n.lfoTrig = l.trig;
    n.lfoSynced = l.sync;
    n.lfoDivision = l.rateDiv;
    n.lfoRateHz = l.rate;
    break;
  }
  if (s >= 0) {
    const ob::Step& step = track.steps[s];
    for (int i = 0; i < std::min<int>(step.randCount, ob::kListCapacity); ++i)
      if (step.rands[i].param == n.id) {
        n.hasBreathe = 1;
        n.breatheAmount = step.rands[i].value;
      }
  }
}

}  // namespace orbi
