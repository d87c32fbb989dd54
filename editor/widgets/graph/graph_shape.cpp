#include "editor/widgets/graph/graph_shape.h"

#include <algorithm>
#include <cmath>

#include "editor/widgets/widget_support.h"

namespace orbi::graph {
namespace {

constexpr float kParamSpanFloor = 1e-9f;
constexpr float kDecayFloor = 0.0001f;
constexpr float kBandPassAttack = 0.0008f;  // the band-pass hit's snap

float fraction(float value, float lo, float hi) {
  return clamp01NanTo0((value - lo) / std::max(hi - lo, kParamSpanFloor));
}

float lerp(float a, float b, float t) { return a + (b - a) * t; }

}  // namespace

float normalised(const Node& node) { return fraction(node.value, node.paramLo, node.paramHi); }

float nodeDisplayValue(const Node& node) { return paramToDisplay(node, node.value); }

float paramToDisplay(const Node& node, float value) {
  return lerp(node.displayLo, node.displayHi, fraction(value, node.paramLo, node.paramHi));
}

float displayToParam(const Node& node, float display) {
  const float span = node.displayHi - node.displayLo;
  const float t = clamp01NanTo0((display - node.displayLo) / (std::fabs(span) < 1e-9f ? 1.0f : span));
  return lerp(node.paramLo, node.paramHi, t);
}

const Node* firstOfKind(std::span<const Node> nodes, NodeKind kind) {
  for (const Node& node : nodes) {
    if (node.nodeKind() == kind) return &node;
  }
  return nullptr;
}

bool hasEnvelope(Half half) {
  if (half.body)
    return half.mode == body_type::kSine || half.mode == body_type::kShell || half.mode == body_type::kModal;
  return half.mode == hit_type::kClick || half.mode == hit_type::kKnock || half.mode == hit_type::kBandPass;
}

float envelopeAt(Half half, const Shape& shape, float t) {
  t = std::max(t, 0.0f);
  const float d = std::max(shape.decay, kDecayFloor);
  if (half.body) {
    if (half.mode == body_type::kSine || half.mode == body_type::kModal) return std::exp(-t / d);
    if (half.mode == body_type::kShell) return std::exp(-t / (0.6f * d));
    return 0.0f;
  }
  if (half.mode == hit_type::kClick || half.mode == hit_type::kKnock) return std::exp(-t / d);
  if (half.mode == hit_type::kBandPass) {
    const float peak = 1.0f + 2.0f * clamp01NanTo0(shape.aux2);
    if (t < kBandPassAttack) return peak * t / kBandPassAttack;
    return std::exp(-(t - kBandPassAttack) / d);
  }
  return 0.0f;
}

float pitchAt(Half half, const Shape& shape, float t) {
  t = std::max(t, 0.0f);
  if (half.body) {
    if (half.mode == body_type::kSine) {
      const float onset = onsetOffset(half, shape);
      const float env =
          t <= onset ? 1.0f : std::exp(-(t - onset) / (0.395f * clamp01NanTo0(shape.aux2) + 0.005f));
      return shape.tune * std::exp2(48.0f * clamp01NanTo0(shape.aux1) * env / 12.0f);
    }
    if (half.mode == body_type::kShell) {
      return shape.tune * (1.0f + clamp01NanTo0(shape.aux1) *
                                      std::exp(-t / (0.14500001f * clamp01NanTo0(shape.aux2) + 0.005f)));
    }
    if (half.mode == body_type::kModal) return shape.tune;
    return 0.0f;
  }
  if (half.mode == hit_type::kKnock) {
    const float base = baseFrequency(half, shape);
    const float env =
        std::exp(-(1.0f + 3.0f * clamp01NanTo0(shape.aux2)) * t / std::max(shape.decay, kDecayFloor));
    return base * std::exp2(env * 24.0f * clamp01NanTo0(shape.aux1) / 12.0f);
  }
  if (half.mode == hit_type::kBandPass) return 200.0f + 11800.0f * clamp01NanTo0(shape.tone);
  return 0.0f;
}

float baseFrequency(Half half, const Shape& shape) {
  return half.body ? shape.tune : 40.0f + 460.0f * clamp01NanTo0(shape.tone);
}

float onsetOffset(Half half, const Shape& shape) {
  return half.body && half.mode == body_type::kSine ? 0.05f * clamp01NanTo0(shape.tone) : 0.0f;
}

float toneFrequency(std::span<const Node> nodes, const Shape& shape) {
  for (const Node& node : nodes) {
    if (node.nodeKind() == NodeKind::kFrequency && !node.fixedPitch) return paramToDisplay(node, shape.tone);
  }
  return 200.0f + 11800.0f * clamp01NanTo0(shape.tone);
}

float bandOctaves(Half half, std::span<const Node> nodes, const Shape& shape) {
  float q = !half.body && half.mode == hit_type::kClap ? 1.5f : 2.0f;
  if (const Node* resonance = firstOfKind(nodes, NodeKind::kResonance)) {
    q = clampTo(paramToDisplay(*resonance, shape.aux1), 0.5f, 10.0f);
  }
  return clampTo(1.0f / q, 0.12f, 1.6f);
}

float sampleDuration(const Node& rateNode) {
  return rateNode.sampleSeconds / std::max(nodeDisplayValue(rateNode), 0.01f);
}

std::vector<float> partialRatios(Half half, std::span<const Node> nodes, int max) {
  std::vector<float> ratios;
  const auto add = [&](float r) {
    if (static_cast<int>(ratios.size()) < max) ratios.push_back(r);
  };
  if (half.body && half.mode == body_type::kMetal) {
    for (float r : {1.0f, 1.387f, 1.711f, 1.933f, 2.245f, 2.673f}) add(r);
    return ratios;
  }
  if (half.body && half.mode == body_type::kString) {
    for (int k = 1; k <= 6; ++k) add(static_cast<float>(k));
    return ratios;
  }
  const Node* ratioNode = firstOfKind(nodes, NodeKind::kRatio);
  const float r = ratioNode ? nodeDisplayValue(*ratioNode) : 2.0f;
  add(1.0f);
  for (int k = 1; k <= 3; ++k) {
    add(1.0f + k * r);
    const float difference = std::fabs(1.0f - k * r);
    if (difference > 0.05f) add(difference);
  }
  return ratios;
}

}  // namespace orbi::graph
