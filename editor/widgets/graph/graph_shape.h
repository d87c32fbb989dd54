#pragma once
// The sound of a drum half as functions of time: its amplitude envelope,
// its pitch, the frequencies its tone and band stand for, and its partials.
// Pure functions of the model; the graph places handles and draws curves
// from them.

#include <span>
#include <vector>

#include "editor/widgets/graph/graph_model.h"

namespace orbi::graph {

// Which half: the body or a hit, and its type value.
struct Half {
  bool body = true;
  int mode = 0;
};

// The node's value as 0..1 of its parameter range.
float normalised(const Node& node);
// The node's value in display units.
float nodeDisplayValue(const Node& node);
// A display value back in parameter units (the bottom of the range when
// the display range is a single point).
float displayToParam(const Node& node, float display);
// A parameter value as the node would show it.
float paramToDisplay(const Node& node, float value);

// The first node of the kind, or null.
const Node* firstOfKind(std::span<const Node> nodes, NodeKind kind);

// Whether the half type draws an amplitude envelope (envelopeAt is 0 for
// the others).
bool hasEnvelope(Half half);
// Amplitude 0.. at t seconds (t before 0 reads as 0).
float envelopeAt(Half half, const Shape& shape, float t);
// Pitch in Hz at t seconds; 0 for types without a pitch curve.
float pitchAt(Half half, const Shape& shape, float t);
// The body's tune, or the pitch a hit's tone stands for.
float baseFrequency(Half half, const Shape& shape);
// Where the sine body's pitch drop starts, in seconds.
float onsetOffset(Half half, const Shape& shape);
// The filter or band frequency of the tone parameter.
float toneFrequency(std::span<const Node> nodes, const Shape& shape);
// Half the band-pass width, in octaves.
float bandOctaves(Half half, std::span<const Node> nodes, const Shape& shape);
// How long the half plays its sample at the rate node's value.
float sampleDuration(const Node& rateNode);

// The partial frequency ratios of a metal, string or FM body, at most max.
std::vector<float> partialRatios(Half half, std::span<const Node> nodes, int max);

}  // namespace orbi::graph
