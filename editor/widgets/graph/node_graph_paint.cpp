// The node graph's picture: the half's sound as layers, then the handles
// with their modulation marks, the chips and the hint lines.
#include <imgui.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "editor/widgets/graph/bank_wave.h"
#include "editor/widgets/graph/node_graph.h"
#include "editor/widgets/widget_support.h"
#include "engine/params/param_tables.h"
#include "ui/controls/value_text.h"
#include "ui/draw/draw_log.h"
#include "ui/draw/icons.h"
#include "ui/draw/shapes.h"
#include "ui/draw/text.h"
#include "ui/draw/waveform.h"
#include "ui/interact/tooltip.h"
#include "ui/layout/label_placer.h"

namespace orbi {

using graph::Layout;
using graph::NodeKind;
using graph::Point;
using ui::TextAlign;
using ui::TextStyle;

namespace {

// The graph's tints of the palette.
constexpr std::uint32_t kEnvelopeCurve = palette::withAlphaByte(palette::kAccent, 0x8C);
constexpr std::uint32_t kResonanceCurve = palette::withAlphaByte(palette::kAccent, 0x8C);
constexpr std::uint32_t kPitchCurve = palette::withAlphaByte(palette::kAccentHovered, 0xE6);
constexpr std::uint32_t kBasePitch = palette::withAlphaByte(palette::kMuted, 0x73);
// The hits behind the body.
constexpr std::uint32_t kGhost = palette::withAlphaByte(palette::kAccent, 0x29);
constexpr std::uint32_t kGhostPitch = palette::withAlphaByte(palette::kAccentHovered, 0x29);
// The sample's own length and the length it plays: lines and words.
constexpr std::uint32_t kRecordedLength = palette::withAlphaByte(palette::kMuted, 0x4D);
constexpr std::uint32_t kPlayedLength = palette::withAlphaByte(palette::kAccent, 0xD9);
constexpr std::uint32_t kToneWord = palette::withAlphaByte(palette::kMuted, 0x80);
constexpr std::uint32_t kBankWave = palette::withAlphaByte(palette::kAccent, 0xBF);
constexpr std::uint32_t kDetunedWave = palette::withAlphaByte(palette::kAccent, 0x4D);
constexpr std::uint32_t kBandFill = palette::withAlphaByte(palette::kAccent, 0x29);
// The band's centre line.
constexpr std::uint32_t kBandCentre = palette::withAlphaByte(palette::kAccent, 0xB3);
constexpr std::uint32_t kCutoffRegion = palette::withAlphaByte(palette::kAccent, 0x21);
constexpr std::uint32_t kCutoffLine = palette::withAlphaByte(palette::kAccent, 0xBF);
constexpr std::uint32_t kWidthAxes = palette::withAlphaByte(palette::kMuted, 0x59);
constexpr std::uint32_t kWidthFill = palette::withAlphaByte(palette::kAccent, 0x73);
constexpr std::uint32_t kLfoBar = palette::withAlphaByte(palette::kLfoBlue, 0x38);
constexpr std::uint32_t kEnvelopeBar = palette::withAlphaByte(palette::kEnvelopeGreen, 0x47);
constexpr std::uint32_t kMacroDot = palette::withAlphaByte(palette::kMacroOrange, 0xCC);
constexpr std::uint32_t kLfoRing = palette::withAlphaByte(palette::kLfoBlue, 0xE6);
constexpr std::uint32_t kEnvelopeRing = palette::withAlphaByte(palette::kEnvelopeGreen, 0xE6);
// Frequencies, the width bar's L and R, the top strip.
constexpr std::uint32_t kCaption = palette::withAlphaByte(palette::kMuted, 0x99);
// The rail a pitch handle runs on, where it ends below the axis' top.
constexpr std::uint32_t kReach = palette::withAlphaByte(palette::kMuted, 0x73);
constexpr std::uint32_t kHint = palette::withAlphaByte(palette::kMuted, 0xBF);
constexpr std::uint32_t kDirectionHint = palette::withAlphaByte(palette::kMuted, 0xCC);
// The free-running mode word, at rest.
constexpr std::uint32_t kTrigOff = palette::withAlphaByte(palette::kMuted, 0xB3);
constexpr std::uint32_t kEmptyChipBorder = palette::withAlphaByte(palette::kMuted, 0x4D);
constexpr std::uint32_t kEmptyChipText = palette::withAlphaByte(palette::kMuted, 0x66);
// Behind a label that could only go over a curve or the waveform.
constexpr std::uint32_t kPlate = palette::withAlphaByte(palette::kTilePanel, 0xE6);

constexpr float kShapeEpsilon = 0.000001f;
constexpr std::uint32_t kSparkleSeed = 0x5417AE;
constexpr float kToneWordStep = 18.0f;  // a tone word moves in from its end by steps of this
constexpr int kToneWordSteps = 8;
// Where its first places are crossed, a word slides along its row by steps
// of this: a word that marks a place on the bar no further than the near
// reach, one that names a row or an axis as far as a third of the picture.
constexpr float kSlideStep = 5.0f;
constexpr float kNearReach = 30.0f;
constexpr float kFarReach = 1.0f / 3.0f;  // of the picture's width

const char* const kTrigModes[] = {"FRE", "TRG", "HLD", "ONE", "HALF"};
constexpr const char* kTypeHint = "right-click: type a value";

bool isHit(const Layout& l, int type) { return !l.half.body && l.half.mode == type; }
bool isBody(const Layout& l, int type) { return l.half.body && l.half.mode == type; }

// Types drawn with a pitch curve.
bool hasPitchLayer(const Layout& l) {
  return isBody(l, graph::body_type::kSine) || isBody(l, graph::body_type::kShell) ||
         isHit(l, graph::hit_type::kKnock);
}

ImVec2 at(float x, float y) { return ImVec2(x, y); }

bool differs(float a, float b) { return std::fabs(a - b) > kShapeEpsilon; }

// Pseudo-random positions that are the same on every frame.
class Sparkles {
 public:
  float next() {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<float>(state_ >> 8) / 16777216.0f;
  }

 private:
  std::uint32_t state_ = kSparkleSeed;
};

// The rate node that knows its sample's length, or null.
const graph::Node* sampledRate(const Layout& l) {
  for (const graph::Node& node : l.nodes) {
    if (node.nodeKind() == NodeKind::kRate && node.sampleSeconds > 0.0f) return &node;
  }
  return nullptr;
}

bool reversed(const Layout& l) {
  const graph::Node* reverse = graph::firstOfKind(l.nodes, NodeKind::kReverse);
  return reverse && graph::nodeDisplayValue(*reverse) >= 0.5f;
}

// Which of the ghost curves a set of hit shapes changes.
struct GhostCurves {
  bool pitch = false;
  bool envelope = false;
  bool partials = false;
  bool filter = false;
};

GhostCurves ghostCurves(const Layout& l, const std::vector<graph::Shape>& hits) {
  GhostCurves g;
  const graph::Shape& m = l.shape;
  for (const graph::Shape& h : hits) {
    const bool tune = differs(h.tune, m.tune), tone = differs(h.tone, m.tone), aux1 = differs(h.aux1, m.aux1),
               aux2 = differs(h.aux2, m.aux2), decay = differs(h.decay, m.decay);
    if (isBody(l, graph::body_type::kSine)) g.pitch |= tune || tone || aux1 || aux2;
    if (isBody(l, graph::body_type::kShell)) g.pitch |= tune || aux1 || aux2;
    if (isHit(l, graph::hit_type::kKnock)) g.pitch |= tone || aux1 || aux2 || decay;
    g.envelope |= decay || (isHit(l, graph::hit_type::kBandPass) && aux2);
    if (isBody(l, graph::body_type::kModal)) g.partials |= tune || aux1 || decay || tone;
    if (isHit(l, graph::hit_type::kBandPass) || isHit(l, graph::hit_type::kClap)) g.filter |= tone || aux1;
  }
  return g;
}

constexpr float kModalRatios[] = {1.0f, 2.01f, 3.0f, 4.2f, 5.4f};
constexpr float kModalWeights[] = {1.0f, 0.6f, 0.45f, 0.35f, 0.28f};

float modalPartial(const graph::Shape& shape, int k) {
  return shape.tune * kModalRatios[k] * (1.0f + 0.06f * static_cast<float>(k) * clamp01NanTo0(shape.aux1));
}

class Painter {
 public:
  Painter(const NodeGraph& g, const Layout& l, ImDrawList* dl)
      : g_(g),
        l_(l),
        dl_(dl),
        s_(l.s),
        r_(l.inner),
        columns_(std::max(2, static_cast<int>(std::floor(l.inner.width)))),
        places_(graph::handlePlaces(l)) {}

  void paint(const ui::WaveOverview& overview, bool hasSample, bool overDirection) {
    ui::fillRect(dl_, r_, palette::kTilePanel);
    if (hasSample && !overview.empty()) waveform(overview, overDirection);
    directionMarks();
    if (!g_.hitShapes.empty()) ghosts();
    toneLine();
    if (isBody(l_, graph::body_type::kModal)) modalPartials();
    if (l_.half.body && l_.half.mode >= graph::body_type::kMetal && l_.half.mode <= graph::body_type::kFm)
      partials();
    if (isBody(l_, graph::body_type::kWavetable)) bankWaves();
    if (isHit(l_, graph::hit_type::kBandPass) || isHit(l_, graph::hit_type::kClap)) bandPass();
    if (isBody(l_, graph::body_type::kMetal) || isHit(l_, graph::hit_type::kHighPass)) lowPass();
    if (isHit(l_, graph::hit_type::kClap)) clapSpacing();
    const bool bar = widthBar();
    curve([&](float t) { return envelopeY(l_.shape, t); }, kEnvelopeCurve, 1.5f);
    if (hasPitchLayer(l_)) pitchLayer();
    ui::strokeRect(dl_, r_, palette::kBorder, 0.0f, 1.0f);
    for (std::size_t i = 0; i < l_.nodes.size(); ++i) reachRail(static_cast<int>(i));
    // Chips under the handles: a handle is never hidden by one.
    for (std::size_t i = 0; i < l_.nodes.size(); ++i) lfoChip(static_cast<int>(i));
    choiceChip();
    for (std::size_t i = 0; i < l_.nodes.size(); ++i) handle(static_cast<int>(i));
    // The labels last, each where nothing drawn crosses it.
    if (bar) widthWords();
    if (hasPitchLayer(l_) || isBody(l_, graph::body_type::kModal)) axisLabel();
    for (std::size_t i = 0; i < l_.nodes.size(); ++i) reachLabel(static_cast<int>(i));
    toneWords();
    if (frequencyLabel_) frequencyLabel();
    for (std::size_t i = 0; i < l_.nodes.size(); ++i) {
      if (active(static_cast<int>(i)) && l_.nodes[i].label) valueLabel(static_cast<int>(i));
    }
    hints(overDirection);
  }

 private:
  float y(float f) const { return graph::yForFrequency(l_, f); }
  float x(float t) const { return graph::xAtTime(l_, t); }
  float envelopeY(const graph::Shape& shape, float t) const {
    return r_.y + r_.height - r_.height * clamp01NanTo0(graph::envelopeAt(l_.half, shape, t));
  }
  bool active(int i) const { return g_.hoveredNode() == i || g_.valueDragNode() == i; }
  ui::Rect bottomStrip() const {
    return {r_.x + 6.0f * s_, r_.y + r_.height - 12.0f * s_, std::max(r_.width - 12.0f * s_, 0.0f),
            11.0f * s_};
  }
  ui::Rect topStrip() const {
    return {r_.x + 6.0f * s_, r_.y + s_, std::max(r_.width - 12.0f * s_, 0.0f), 11.0f * s_};
  }
  float mirrored(float X, bool rev) const { return rev ? r_.x + r_.width - (X - r_.x) : X; }
  // Lines and strokes also count as drawn for the labels placed after them.
  void line(ImVec2 a, ImVec2 b, std::uint32_t colour, float width) {
    ui::drawLine(dl_, a, b, colour, width);
    placer_.line(a, b, width * s_);
  }
  void stroke(std::span<const ImVec2> points, std::uint32_t colour, float width) {
    ui::drawPolyline(dl_, points, colour, width);
    placer_.polyline(points, width * s_);
  }
  // A box a label may go in, aligned in it.
  struct Spot {
    ui::Rect box;
    TextAlign alignment = TextAlign::Left;
  };
  // Text in the first of the spots nothing drawn crosses, else over curves
  // on a plate of its own, never over a handle or another label; it then
  // counts as drawn for the labels after it.
  ui::Rect label(std::span<const Spot> spots, std::string_view text, TextStyle style, std::uint32_t colour) {
    std::vector<ui::Rect> inks;
    for (const Spot& spot : spots) inks.push_back(ui::textInk(spot.box, text, style, spot.alignment));
    const ui::LabelPlacer::Placement at = placer_.settle(inks);
    const ui::Rect& ink = inks[at.index];
    if (!at.clear) ui::fillRect(dl_, ink.inset(-2.0f * s_, -s_), kPlate, 2.0f);
    ui::drawText(dl_, spots[at.index].box, text, style, colour, spots[at.index].alignment);
    placer_.panel(ink);
    return ink;
  }
  ui::Rect label(std::span<const ui::Rect> boxes, std::string_view text, TextStyle style,
                 std::uint32_t colour, TextAlign alignment = TextAlign::Left) {
    std::vector<Spot> spots;
    for (const ui::Rect& box : boxes) spots.push_back({box, alignment});
    return label(spots, text, style, colour);
  }
  // The spot's text box moved sideways by each step in turn, the way the
  // direction says (+1 right, -1 left): where a line crosses a word's first
  // places, a little along its row is often clear. The spot is a copy: it
  // may be one of out's own.
  void slide(std::vector<Spot>& out, Spot spot, std::string_view text, TextStyle style, float direction,
             float reach) const {
    const ui::Rect ink = ui::textInk(spot.box, text, style, spot.alignment);
    // A long word moves by half itself: no finer step clears a line sooner.
    const float step = std::max(kSlideStep * s_, 0.5f * ink.width);
    const int steps = static_cast<int>(std::floor(reach / step));
    for (int k = 1; k <= steps; ++k) {
      const float dx = direction * static_cast<float>(k) * step;
      const ui::Rect box{ink.x + dx, spot.box.y, ink.width, spot.box.height};
      if (box.x < r_.x + s_ || box.x + box.width > r_.x + r_.width - s_) break;
      out.push_back({box, TextAlign::Left});
    }
  }
  void hLine(float x0, float x1, float yy, std::uint32_t colour, float width) {
    line(at(x0, yy), at(x1, yy), colour, width);
  }
  void vLine(float xx, float y0, float y1, std::uint32_t colour, float width) {
    line(at(xx, y0), at(xx, y1), colour, width);
  }

  // One point per inner pixel column, at the column's time.
  template <typename YAt>
  void curve(YAt yAt, std::uint32_t colour, float width) {
    points_.clear();
    for (int i = 0; i < columns_; ++i) {
      const float t = clamp01NanTo0(static_cast<float>(i) / std::max(r_.width, 1.0f)) * l_.window;
      points_.push_back(at(r_.x + static_cast<float>(i), yAt(t)));
    }
    stroke(points_, colour, width);
  }
  // A ghost: a faint curve, kept out of the labels' way like the others.
  template <typename YAt>
  void ghostCurve(YAt yAt, std::uint32_t colour) {
    curve(yAt, colour, 1.0f);
  }

  void waveform(const ui::WaveOverview& overview, bool overDirection) {
    const bool rated = sampledRate(l_) != nullptr;
    ui::WaveformStyle style;
    style.colour = withAlpha(palette::kMuted, !rated ? 0.28f : overDirection ? 0.8f : 0.55f);
    style.height = rated ? 0.8f : 0.6f;
    style.gain = 1.0f;
    const float frames = static_cast<float>(overview.size());
    const bool rev = reversed(l_);
    // A range given right to left draws the sample mirrored.
    const ui::Axis axis{ui::AxisKind::Linear, rev ? frames : 0.0f, rev ? 0.0f : frames, r_.x,
                        r_.x + r_.width};
    ui::WaveformInk drawn;
    ui::drawWaveform(dl_, r_, axis, overview, style, &drawn);
    placer_.waveform(drawn);
  }

  void directionMarks() {
    const graph::Node* rate = sampledRate(l_);
    if (!rate) return;
    const bool rev = reversed(l_);
    const float top = r_.y + 0.1f * r_.height, bottom = r_.y + 0.9f * r_.height;
    const float recorded = mirrored(r_.x + r_.width * clamp01NanTo0(rate->sampleSeconds / l_.window), rev);
    if (recorded > r_.x + s_ && recorded < r_.x + r_.width - s_) {
      vLine(recorded, top, bottom, kRecordedLength, 1.0f);
      const float labelX = rev ? recorded - 3.0f * s_ - 64.0f * s_ : recorded + 3.0f * s_;
      ui::drawText(dl_, {labelX, top - 11.0f * s_, 64.0f * s_, 10.0f * s_}, "as recorded", TextStyle::Caption,
                   kRecordedLength, rev ? TextAlign::Right : TextAlign::Left);
    }
    const float played =
        mirrored(r_.x + r_.width * clamp01NanTo0(graph::sampleDuration(*rate) / l_.window), rev);
    vLine(played, top, bottom, kPlayedLength, 2.0f);
    if (rev) {
      ui::drawText(dl_, {r_.x + 3.0f * s_, bottom, 60.0f * s_, 10.0f * s_}, "reversed", TextStyle::Caption,
                   kPlayedLength);
    }
  }

  void ghosts() {
    const GhostCurves g = ghostCurves(l_, g_.hitShapes);
    for (const graph::Shape& hit : g_.hitShapes) {
      if (g.pitch) ghostCurve([&](float t) { return y(graph::pitchAt(l_.half, hit, t)); }, kGhostPitch);
      if (g.envelope) ghostCurve([&](float t) { return envelopeY(hit, t); }, kGhost);
      if (g.partials) {
        for (int k = 0; k < 5; ++k) {
          const float py = y(modalPartial(hit, k));
          ui::drawLine(dl_, at(r_.x + 2.0f * s_, py), at(x((1.0f - 0.12f * k) * hit.decay), py), kGhost,
                       1.0f);
        }
      }
      if (g.filter) {
        const float fy = y(graph::toneFrequency(l_.nodes, hit));
        ui::fillRect(dl_, {r_.x + 2.0f * s_, fy - s_, 16.0f * s_, 2.0f * s_}, kGhost);
      }
    }
  }

  void toneLine() {
    int index = -1;
    for (std::size_t i = 0; i < l_.nodes.size() && index < 0; ++i) {
      const NodeKind k = l_.nodes[i].nodeKind();
      if (k == NodeKind::kColour || k == NodeKind::kBrightness) index = static_cast<int>(i);
    }
    if (index < 0) return;
    const ui::Rect band = graph::toneBand(l_);
    const float tilt = (0.5f - clamp01NanTo0(graph::nodeDisplayValue(l_.nodes[index]))) * 0.8f * band.height;
    const float mid = band.y + 0.5f * band.height;
    const bool on = active(index);
    // Rising to the right with brightness, the right end under the handle.
    line(at(band.x, mid - tilt), at(band.x + band.width, mid + tilt),
         withAlpha(palette::kWarning, on ? 0.95f : 0.5f), on ? 2.5f : 1.5f);
    toneTilt_ = tilt;
    hasToneLine_ = true;
  }

  // "dark" and "bright" at the band's two ends, on the side of the line
  // away from its end there first, then on its other side; each moving in
  // from its end by steps, where a decaying curve has left the band's
  // corner.
  void toneWords() {
    if (!hasToneLine_) return;
    const ui::Rect band = graph::toneBand(l_);
    const float h = 0.5f * band.height;
    const bool leftHigh = toneTilt_ > 0.0f;  // the left end above the middle
    // Half the band, less the line's width at the middle.
    const float gap = 1.5f * s_;
    const auto half = [&](bool top, float shift) {
      return ui::Rect{band.x + std::max(shift, 0.0f), top ? band.y : band.y + h + gap,
                      std::max(band.width - std::fabs(shift), 0.0f), std::max(h - gap, 0.0f)};
    };
    std::vector<Spot> dark, bright;
    for (int step = 0; step < kToneWordSteps; ++step) {
      const float in = static_cast<float>(step) * kToneWordStep * s_;
      dark.insert(dark.end(),
                  {{half(!leftHigh, in), TextAlign::Left}, {half(leftHigh, in), TextAlign::Left}});
      bright.insert(bright.end(),
                    {{half(leftHigh, -in), TextAlign::Right}, {half(!leftHigh, -in), TextAlign::Right}});
    }
    // Then the two rows under the band and the two at the picture's
    // bottom, each at the ends first: a busy band, or one too low for a
    // word, leaves them at their own end of the picture.
    const float row = 11.0f * s_;
    const float first = band.y + band.height + gap;
    const int count = static_cast<int>(std::floor((r_.y + r_.height - s_ - first) / row));
    std::vector<float> rows;
    for (const int k : {0, 1, count - 2, count - 1})
      if (k >= 0 && k < count && (rows.empty() || first + static_cast<float>(k) * row > rows.back()))
        rows.push_back(first + static_cast<float>(k) * row);
    for (int step = 0; step < kToneWordSteps; ++step) {
      const float in = static_cast<float>(step) * kToneWordStep * s_;
      for (const float y : rows) {
        dark.push_back({{band.x + in, y, std::max(band.width - in, 0.0f), row}, TextAlign::Left});
        bright.push_back({{band.x, y, std::max(band.width - in, 0.0f), row}, TextAlign::Right});
      }
    }
    label(dark, "dark", TextStyle::Caption, kToneWord);
    label(bright, "bright", TextStyle::Caption, kToneWord);
  }

  void modalPartials() {
    const graph::Shape& shape = l_.shape;
    for (int k = 0; k < 5; ++k) {
      const float d = shape.decay * (1.0f - 0.12f * k);
      const float a = kModalWeights[k] * (k == 0 ? 1.0f : 0.3f + 0.7f * clamp01NanTo0(shape.tone));
      const float py = y(modalPartial(shape, k));
      hLine(r_.x + 2.0f * s_, x(d), py, withAlpha(palette::kAccent, clampTo(a, 0.12f, 0.85f)),
            clampTo(3.0f * a, 1.0f, 3.0f));
      hLine(x(d), x(2.5f * d), py, withAlpha(palette::kAccent, clampTo(0.3f * a, 0.05f, 0.25f)), 1.0f);
    }
  }

  void partials() {
    const graph::Shape& shape = l_.shape;
    const std::vector<float> ratios = graph::partialRatios(l_.half, l_.nodes, 16);
    const float lo = graph::frequencyForY(l_, r_.y + r_.height), hi = graph::frequencyForY(l_, r_.y);
    for (std::size_t k = 0; k < ratios.size(); ++k) {
      const float f = ratios[k] * shape.tune;
      if (f < lo || f > hi) continue;
      float alpha = 0.55f;
      if (l_.half.mode != graph::body_type::kMetal) {
        const int j =
            l_.half.mode == graph::body_type::kString ? static_cast<int>(k) : static_cast<int>(k + 1) / 2;
        alpha = clampTo(0.65f - (1.2f - shape.tone) * 0.14f * static_cast<float>(j), 0.08f, 0.65f);
      }
      const float width = l_.half.mode == graph::body_type::kFm && k == 0 ? 2.0f : 1.0f;
      hLine(r_.x + 2.0f * s_, x(shape.decay), y(f), withAlpha(palette::kAccent, alpha), width);
      hLine(x(shape.decay), x(2.5f * shape.decay), y(f), withAlpha(palette::kAccent, 0.28f * alpha), 1.0f);
    }
  }

  void bankWave(const ui::Rect& band, int bank, float factor, std::uint32_t colour) {
    const int n = std::max(2, static_cast<int>(std::floor(band.width)));
    const float mid = band.y + 0.5f * band.height;
    points_.clear();
    for (int i = 0; i < n; ++i) {
      const float cycles = 2.0f * (static_cast<float>(i) / static_cast<float>(n)) * factor;
      const float phase = cycles - std::floor(cycles);
      const float w = clampTo(graph::bankWave(bank, l_.shape.tone, phase), -1.0f, 1.0f);
      points_.push_back(at(band.x + static_cast<float>(i), mid - w * 0.42f * band.height));
    }
    stroke(points_, colour, 1.5f);
  }

  void bankWaves() {
    const ui::Rect band = graph::toneBand(l_);
    int bank = 0;
    if (const graph::Node* choice = graph::firstOfKind(l_.nodes, NodeKind::kChoice)) {
      const int last = std::max(std::min(choice->choiceCount, graph::kBankCount), 1) - 1;
      bank = std::clamp(static_cast<int>(std::lround(graph::nodeDisplayValue(*choice))), 0, last);
    }
    const graph::Node* detune = graph::firstOfKind(l_.nodes, NodeKind::kDetune);
    const float cents = detune ? graph::nodeDisplayValue(*detune) : 0.0f;
    if (cents > 0.5f) bankWave(band, bank, std::exp2(cents / 1200.0f), kDetunedWave);
    bankWave(band, bank, 1.0f, kBankWave);
  }

  // The band's or the cutoff's frequency beside its line: under the top
  // of its region, then under the line, then above it; left, right, then
  // in the middle.
  void frequencyLabel() {
    const std::string text = ui::formatNumber(std::round(frequencyLabel_->hz), 0) + " Hz";
    const float h = 10.0f * s_;
    const float lowest = r_.y + r_.height - h - s_;
    const float line = clampTo(frequencyLabel_->line, r_.y, r_.y + r_.height);
    const float rows[] = {clampTo(frequencyLabel_->top + s_, r_.y + s_, lowest),
                          clampTo(line + 4.0f * s_, r_.y + s_, lowest),
                          clampTo(line - h - 4.0f * s_, r_.y + s_, lowest)};
    std::vector<Spot> spots;
    for (float row : rows) {
      for (TextAlign alignment : {TextAlign::Left, TextAlign::Right, TextAlign::Centre})
        spots.push_back({{r_.x + 5.0f * s_, row, std::max(r_.width - 10.0f * s_, 0.0f), h}, alignment});
    }
    // Then along the same rows, in from either side.
    const float far = kFarReach * r_.width;
    const std::size_t first = spots.size();
    for (std::size_t i = 0; i < first; ++i) {
      if (spots[i].alignment == TextAlign::Left) slide(spots, spots[i], text, TextStyle::Caption, 1.0f, far);
      if (spots[i].alignment == TextAlign::Right)
        slide(spots, spots[i], text, TextStyle::Caption, -1.0f, far);
    }
    label(spots, text, TextStyle::Caption, kCaption);
  }

  void bandPass() {
    const float fc = graph::toneFrequency(l_.nodes, l_.shape);
    const float o = graph::bandOctaves(l_.half, l_.nodes, l_.shape);
    const float top = y(fc * std::exp2(o)), bottom = y(fc * std::exp2(-o));
    ui::fillRect(dl_, {r_.x + 2.0f * s_, top, std::max(r_.width - 4.0f * s_, 0.0f), bottom - top}, kBandFill,
                 2.0f);
    ui::fillRect(dl_, {r_.x + 2.0f * s_, y(fc) - 0.5f * s_, std::max(r_.width - 4.0f * s_, 0.0f), s_},
                 kBandCentre);
    placer_.line(at(r_.x, y(fc)), at(r_.x + r_.width, y(fc)), s_);
    frequencyLabel_ = FrequencyLabel{fc, top, y(fc)};
  }

  void lowPass() {
    const float fc = graph::toneFrequency(l_.nodes, l_.shape);
    const float yc = y(fc);
    if (yc < r_.y || yc > r_.y + r_.height) return;
    const ui::Rect region{r_.x + 2.0f * s_, yc, std::max(r_.width - 4.0f * s_, 0.0f), r_.y + r_.height - yc};
    ui::fillRect(dl_, region, kCutoffRegion, 2.0f);
    const graph::Node* shimmer = graph::firstOfKind(l_.nodes, NodeKind::kShimmer);
    const float n = shimmer ? graph::normalised(*shimmer) : 0.0f;
    if (n > 0.001f && region.height > 2.0f * s_) {
      Sparkles random;
      const std::uint32_t colour = withAlpha(palette::kAccent, 0.1f + 0.35f * n);
      const int count = static_cast<int>(std::floor(220.0f * n));
      const float side = 1.2f * s_;
      for (int i = 0; i < count; ++i) {
        const float px = region.x + random.next() * std::max(region.width - side, 0.0f);
        const float py = region.y + random.next() * std::max(region.height - side, 0.0f);
        ui::fillRect(dl_, {px, py, side, side}, colour);
      }
    }
    ui::fillRect(dl_, {region.x, yc - 0.5f * s_, region.width, s_}, kCutoffLine);
    placer_.line(at(region.x, yc), at(region.x + region.width, yc), s_);
    if (const graph::Node* resonance = graph::firstOfKind(l_.nodes, NodeKind::kResonance)) {
      const float q = graph::normalised(*resonance);
      if (q > 0.001f) resonancePeak(yc, yc - 0.25f * q * r_.height);
    }
    frequencyLabel_ = FrequencyLabel{fc, yc, yc};
  }

  // Two quadratic segments meeting flat at the top.
  void resonancePeak(float base, float top) {
    const float x0 = r_.x + 2.0f * s_, xTop = r_.x + 26.0f * s_, x1 = r_.x + 52.0f * s_;
    const std::array<std::array<ImVec2, 3>, 2> segments{
        {{at(x0, base), at(xTop - 6.0f * s_, top), at(xTop, top)},
         {at(xTop, top), at(xTop + 6.0f * s_, top), at(x1, base)}}};
    points_.clear();
    constexpr int kSteps = 12;
    for (const auto& seg : segments) {
      for (int i = points_.empty() ? 0 : 1; i <= kSteps; ++i) {
        const float t = static_cast<float>(i) / kSteps, u = 1.0f - t;
        points_.push_back(at(u * u * seg[0].x + 2 * u * t * seg[1].x + t * t * seg[2].x,
                             u * u * seg[0].y + 2 * u * t * seg[1].y + t * t * seg[2].y));
      }
    }
    stroke(points_, kResonanceCurve, 1.5f);
  }

  void clapSpacing() {
    const graph::Node* spread = graph::firstOfKind(l_.nodes, NodeKind::kSpread);
    if (!spread) return;
    const float v = graph::nodeDisplayValue(*spread);
    for (int i = 0; i < 3; ++i) {
      const float t = static_cast<float>(i) * v / 1000.0f / l_.window;
      if (t > 1.0f) break;
      vLine(r_.x + r_.width * clamp01NanTo0(t), r_.y, r_.y + r_.height,
            withAlpha(palette::kAccent, 0.85f - 0.2f * i), i == 0 ? 2.0f : 1.5f);
    }
  }

  // The bar itself; its "L" and "R" come with the labels, and until then
  // the bar counts as nothing drawn for them.
  bool widthBar() {
    const graph::Node* width = graph::firstOfKind(l_.nodes, NodeKind::kWidth);
    const bool stereoHit = isHit(l_, graph::hit_type::kClick) || isHit(l_, graph::hit_type::kBandPass) ||
                           isHit(l_, graph::hit_type::kClap) || isHit(l_, graph::hit_type::kHighPass);
    if (!width || !stereoHit) return false;
    const ui::Rect bar = graph::widthBar(l_);
    const float mid = bar.y + 0.5f * bar.height, cx = bar.x + 0.5f * bar.width;
    const float n = graph::normalised(*width);
    ui::drawLine(dl_, at(bar.x, mid), at(bar.x + bar.width, mid), kWidthAxes, 1.0f);
    ui::drawLine(dl_, at(cx, bar.y), at(cx, bar.y + bar.height), kWidthAxes, 1.0f);
    const float half = std::max(n * 0.5f * bar.width, 2.0f * s_);
    ui::fillRect(dl_, {cx - half, bar.y, 2.0f * half, bar.height}, kWidthFill, 3.0f);
    if (isHit(l_, graph::hit_type::kClap)) {
      const float spread = n * 0.5f * bar.width;
      const float ticks[] = {cx - spread, cx + spread, cx};
      // The ticks reach past the bar, where the words may go: they count.
      for (int i = 0; i < 3; ++i) {
        line(at(ticks[i], bar.y - 3.0f * s_), at(ticks[i], bar.y + bar.height + 3.0f * s_),
             withAlpha(palette::kAccent, 0.85f - 0.2f * i), i == 0 ? 2.0f : 1.5f);
      }
    }
    return true;
  }

  // "L" just left of the width bar and "R" just right of it, else above or
  // below its ends, else a little in from them along those rows (where a
  // line or the handle stands at an end), else beyond the handle; then the
  // bar with its words counts as drawn.
  void widthWords() {
    const ui::Rect bar = graph::widthBar(l_);
    const float w = 8.0f * s_, h = 10.0f * s_;
    const float above = bar.y - h - s_, below = bar.y + bar.height + s_;
    std::vector<Spot> left = {{{bar.x - w, bar.y, w, bar.height}, TextAlign::Right},
                              {{bar.x, above, w, h}, TextAlign::Left},
                              {{bar.x, below, w, h}, TextAlign::Left}};
    std::vector<Spot> right = {{{bar.x + bar.width, bar.y, w, bar.height}, TextAlign::Left},
                               {{bar.x + bar.width - w, above, w, h}, TextAlign::Right},
                               {{bar.x + bar.width - w, below, w, h}, TextAlign::Right}};
    for (std::size_t i = 1; i < 3; ++i) {
      slide(left, left[i], "L", TextStyle::Caption, 1.0f, kNearReach * s_);
      slide(right, right[i], "R", TextStyle::Caption, -1.0f, kNearReach * s_);
    }
    // Past the handle's disc at the bar's right end.
    right.push_back({{bar.x + bar.width + 7.0f * s_, bar.y, w, bar.height}, TextAlign::Left});
    label(left, "L", TextStyle::Caption, kCaption);
    label(right, "R", TextStyle::Caption, kCaption);
    placer_.panel({bar.x - w, bar.y - 3.0f * s_, bar.width + 2.0f * w, bar.height + 6.0f * s_});
  }

  void pitchLayer() {
    const float base = y(graph::baseFrequency(l_.half, l_.shape));
    ui::drawLine(dl_, at(r_.x, base), at(r_.x + r_.width, base), kBasePitch, 1.0f, 2.0f, 3.0f);
    placer_.line(at(r_.x, base), at(r_.x + r_.width, base), s_);
    curve([&](float t) { return y(graph::pitchAt(l_.half, l_.shape, t)); }, kPitchCurve, 2.0f);
  }

  // A bar along the node's axis from a to b (offsets from the handle).
  void axisBar(Point p, bool vertical, float a, float b, float thickness, float radius,
               std::uint32_t colour) {
    const float lo = std::min(a, b), len = std::fabs(b - a);
    const ui::Rect bar = vertical ? ui::Rect{p.x - 0.5f * thickness, p.y + lo, thickness, len}
                                  : ui::Rect{p.x + lo, p.y - 0.5f * thickness, len, thickness};
    ui::fillRect(dl_, bar, colour, radius);
  }

  void modulationMarks(const graph::Node& node, Point p) {
    const bool vertical = graph::dragsVertically(node.kind);
    const float half = 0.5f * (vertical ? r_.height : r_.width);
    // Screen y grows downwards: upwards on a vertical axis is negative.
    const float sign = vertical ? -1.0f : 1.0f;
    if (node.hasLfo && node.lfoAmount > 0.0f) {
      const float reach = clampTo(node.lfoAmount * half * 0.5f, 2.0f * s_, half);
      axisBar(p, vertical, -reach, reach, 6.0f * s_, 3.0f, kLfoBar);
    }
    if (node.hasModEnvelope && node.modEnvelopeAmount != 0.0f) {
      const float length = clampTo(node.modEnvelopeAmount * half, -half, half);
      axisBar(p, vertical, 0.0f, sign * length, 5.0f * s_, 2.5f, kEnvelopeBar);
    }
    if (node.hasMacro) ui::fillCircle(dl_, at(p.x + 7.0f * s_, p.y), 2.0f * s_, kMacroDot);
    if (node.hasLive) {
      const float offset = sign * (node.liveAmount - graph::normalised(node)) * half;
      ui::fillCircle(dl_, vertical ? at(p.x, p.y + offset) : at(p.x + offset, p.y), 2.5f * s_,
                     palette::kAccentHovered);
    }
  }

  void handle(int i) {
    const graph::Node& node = l_.nodes[i];
    const std::optional<Point>& p = places_[static_cast<std::size_t>(i)];
    if (!p) return;
    modulationMarks(node, *p);
    const bool on = active(i);
    ui::fillCircle(dl_, at(p->x, p->y), 4.0f * s_, on ? palette::kAccentHovered : palette::kAccent);
    ui::fillCircle(dl_, at(p->x, p->y), 1.5f * s_, palette::kDarkFill);
    const float ring = graph::kHandleRingRadius * s_;
    if (node.hasLfo) {
      ui::strokeCircle(dl_, at(p->x, p->y), ring, kLfoRing, 1.0f);
    } else if (node.hasModEnvelope) {
      ui::strokeCircle(dl_, at(p->x, p->y), ring, kEnvelopeRing, 1.0f);
    }
    placer_.disc(at(p->x, p->y), ring);
    // The help keeps off the handles where it can (as every handle noted
    // below), and off the one it is shown for always.
    if (on) ui::keepTooltipClearOf(graph::handleBounds(*p, s_), ui::KeepClear::Always);
    ui::logHandle(&g_, node.label ? node.label : "", at(p->x, p->y),
                  graph::dragsVertically(node.kind) ? ui::kAlongY : ui::kAlongX, g_.valueDragNode() == i);
  }

  // The hovered or dragged handle's value next to it, and its gestures
  // where they cover no handle.
  void valueLabel(int i) {
    const graph::Node& node = l_.nodes[i];
    const Point p = *places_[static_cast<std::size_t>(i)];
    const std::string text =
        std::string(node.label) + "  " +
        valueText(graph::nodeDisplayValue(node), node.displayHi - node.displayLo, node.unit ? node.unit : "");
    // As wide as the text, so that centred on the handle it stays by it
    // where the picture's edge moves it in.
    const float width =
        std::min({r_.width - 4.0f * s_, 190.0f * s_, ui::measureText(text, TextStyle::MonoBold).x});
    const std::vector<Spot> spots = valueSpots(p, width);
    // The handle's readout: the tooltip keeps off it. Where every place
    // would cover a handle it still shows, where least is under it.
    const std::optional<std::size_t> at = clearSpot(spots, text, TextStyle::MonoBold, true);
    ui::keepTooltipClearOf(at ? drawLabel(spots[*at], text, TextStyle::MonoBold, palette::kLight)
                              : label(spots, text, TextStyle::MonoBold, palette::kLight),
                           ui::KeepClear::Always);
    std::string hint = kTypeHint;
    if (g_.lfoReach)
      hint.append("    /    ").append(node.hasLfo ? "alt-drag: LFO reach" : "alt-drag: add LFO");
    if (g_.breatheEnabled && g_.breathe) {
      hint.append("    /    ").append(node.hasBreathe ? "shift-drag: breathe" : "shift-drag: add breathe");
    }
    // Where the whole line has no place, its first gesture may.
    if (!hintLine(hint, kHint)) hintLine(kTypeHint, kHint);
  }

  // Where a value as wide as `width` may go by the handle at p: above it,
  // else below, centred on it (moved in from the picture's edges); else
  // beside it, at its height, above or below; else further up or down.
  std::vector<Spot> valueSpots(Point p, float width) const {
    const float height = 12.0f * s_;
    const float bx = clampTo(p.x - 0.5f * width, r_.x + 2.0f * s_, r_.x + r_.width - 2.0f * s_ - width);
    const auto rowAt = [&](float by) { return clampTo(by, r_.y + 2.0f * s_, r_.y + r_.height - 14.0f * s_); };
    const auto centred = [&](float by) {
      return Spot{{bx, rowAt(by), std::max(width, 0.0f), height}, TextAlign::Centre};
    };
    const float above = p.y - 16.0f * s_, below = p.y + 8.0f * s_, level = p.y - 0.5f * height;
    const float farAbove = p.y - 30.0f * s_, farBelow = p.y + 22.0f * s_;
    std::vector<Spot> spots{centred(above), centred(below)};
    for (const float by : {level, above, below, farAbove, farBelow}) {
      for (const Spot& spot : {Spot{{p.x + 9.0f * s_, rowAt(by), width, height}, TextAlign::Left},
                               Spot{{p.x - 9.0f * s_ - width, rowAt(by), width, height}, TextAlign::Right}})
        if (spot.box.x >= r_.x && spot.box.x + spot.box.width <= r_.x + r_.width) spots.push_back(spot);
    }
    for (const float by : {farAbove, farBelow}) spots.push_back(centred(by));
    return spots;
  }

  // A hint goes where it covers no handle, chip or label: along the bottom
  // of the graph or its top, centred or at either side, else on a row
  // between them; nowhere (false), when every place would cover one.
  bool hintLine(std::string_view text, std::uint32_t colour) {
    std::vector<Spot> spots;
    const ui::Rect bottom = bottomStrip(), top = topStrip();
    for (const ui::Rect& strip : {bottom, top})
      for (const TextAlign align : {TextAlign::Centre, TextAlign::Left, TextAlign::Right})
        spots.push_back({strip, align});
    for (float y = bottom.y - bottom.height; y > top.y + top.height; y -= bottom.height)
      for (const TextAlign align : {TextAlign::Centre, TextAlign::Left, TextAlign::Right})
        spots.push_back({{bottom.x, y, bottom.width, bottom.height}, align});
    const std::optional<std::size_t> at = clearSpot(spots, text, TextStyle::Caption, false);
    if (at) drawLabel(spots[*at], text, TextStyle::Caption, colour);
    return at.has_value();
  }
  // The first spot nothing drawn crosses, else the first over strokes only
  // (on a plate); then, when it may, the one over fewest labels and chips
  // and no handle. None when each would cover what it must not.
  std::optional<std::size_t> clearSpot(std::span<const Spot> spots, std::string_view text, TextStyle style,
                                       bool overLabels) const {
    std::vector<ui::Rect> inks;
    inks.reserve(spots.size());
    for (const Spot& spot : spots) inks.push_back(ui::textInk(spot.box, text, style, spot.alignment));
    return placer_.firstClear(inks, overLabels);
  }
  // The text in the spot, on a plate when it crosses anything; it then
  // counts as drawn for the labels after it.
  ui::Rect drawLabel(const Spot& spot, std::string_view text, TextStyle style, std::uint32_t colour) {
    const ui::Rect ink = ui::textInk(spot.box, text, style, spot.alignment);
    if (placer_.crossings(ink) != 0) ui::fillRect(dl_, ink.inset(-2.0f * s_, -s_), kPlate, 2.0f);
    ui::drawText(dl_, spot.box, text, style, colour, spot.alignment);
    placer_.panel(ink);
    return ink;
  }

  // Where a pitch handle's range ends below the top of the axis it sits
  // on: its rail up to that end, and the end's frequency beside it.
  std::optional<float> reachTop(int i) const {
    const graph::Node& node = l_.nodes[i];
    if (node.nodeKind() != NodeKind::kFrequency || !node.fixedPitch || !places_[static_cast<std::size_t>(i)])
      return std::nullopt;
    const float top = std::max(node.displayLo, node.displayHi);
    if (!(top < graph::frequencyHi(l_))) return std::nullopt;
    return top;
  }
  void reachRail(int i) {
    const std::optional<float> top = reachTop(i);
    if (!top) return;
    const graph::Node& node = l_.nodes[i];
    const float x = places_[static_cast<std::size_t>(i)]->x, yTop = y(*top);
    vLine(x, y(std::min(node.displayLo, node.displayHi)), yTop, kReach, 1.0f);
    hLine(x - 4.0f * s_, x + 4.0f * s_, yTop, kReach, 1.0f);
  }
  // The handle's name and its highest frequency: left of the rail's end,
  // else above or below it, else along those rows, else along the top.
  void reachLabel(int i) {
    const std::optional<float> top = reachTop(i);
    if (!top) return;
    const graph::Node& node = l_.nodes[i];
    const std::string text =
        std::string(node.label ? node.label : "") + " to " + ui::formatNumber(*top, 0) + " Hz";
    const float x = places_[static_cast<std::size_t>(i)]->x, yTop = y(*top);
    const float w = std::min(ui::measureText(text, TextStyle::Caption).x + 2.0f * s_, r_.width),
                h = 10.0f * s_;
    const auto row = [&](float by) { return clampTo(by, r_.y + s_, r_.y + r_.height - h - s_); };
    std::vector<Spot> spots = {{{x - 8.0f * s_ - w, row(yTop - 0.5f * h), w, h}, TextAlign::Right},
                               {{x + 6.0f * s_ - w, row(yTop - h - 2.0f * s_), w, h}, TextAlign::Right},
                               {{x + 6.0f * s_ - w, row(yTop + 2.0f * s_), w, h}, TextAlign::Right}};
    const ui::Rect strip = topStrip();
    for (const TextAlign align : {TextAlign::Right, TextAlign::Left, TextAlign::Centre})
      spots.push_back({{strip.x, r_.y, strip.width, 11.0f * s_}, align});
    for (std::size_t k = 0; k < 3; ++k)
      slide(spots, spots[k], text, TextStyle::Caption, -1.0f, kFarReach * r_.width);
    for (std::size_t k = 3; k < 5; ++k) {
      slide(spots, spots[k], text, TextStyle::Caption, k == 3 ? -1.0f : 1.0f, kFarReach * r_.width);
    }
    label(spots, text, TextStyle::Caption, kCaption);
  }

  // The top of the frequency axis, in a top corner, else along the top.
  void axisLabel() {
    const std::string text = ui::formatNumber(graph::frequencyHi(l_), 0) + " Hz";
    const ui::Rect strip{r_.x + 4.0f * s_, r_.y, std::max(r_.width - 8.0f * s_, 0.0f), 11.0f * s_};
    std::vector<Spot> spots = {
        {strip, TextAlign::Left}, {strip, TextAlign::Right}, {strip, TextAlign::Centre}};
    slide(spots, spots[0], text, TextStyle::Caption, 1.0f, kFarReach * r_.width);
    slide(spots, spots[1], text, TextStyle::Caption, -1.0f, kFarReach * r_.width);
    label(spots, text, TextStyle::Caption, kCaption);
  }

  void shapeIcon(const ui::Rect& box, int shape, std::uint32_t colour) {
    const float mid = box.y + 0.5f * box.height, half = 0.5f * box.height;
    points_.clear();
    if (shape == 5) {  // random steps: four held levels
      constexpr float levels[] = {0.6f, -0.35f, 0.85f, -0.7f};
      for (int q = 0; q < 4; ++q) {
        const float ly = mid - levels[q] * half;
        points_.push_back(at(box.x + box.width * q / 4.0f, ly));
        points_.push_back(at(box.x + box.width * (q + 1) / 4.0f, ly));
      }
    } else {
      for (int i = 0; i <= 20; ++i) {
        const float p = static_cast<float>(i) / 20.0f;
        float v = 0.0f;
        switch (shape) {
          case 0: v = std::sin(2.0f * std::numbers::pi_v<float> * p); break;
          case 1: v = p < 0.5f ? 4.0f * p - 1.0f : 3.0f - 4.0f * p; break;
          case 2: v = 2.0f * p - 1.0f; break;
          case 3: v = 1.0f - 2.0f * p; break;
          default: v = p < 0.5f ? 1.0f : -1.0f; break;
        }
        points_.push_back(at(box.x + box.width * p, mid - v * half));
      }
    }
    ui::drawPolyline(dl_, points_, colour, 1.0f);
  }

  void lfoChip(int i) {
    const graph::Node& node = l_.nodes[i];
    const std::optional<ui::Rect> chip = graph::lfoChip(l_, node, places_[static_cast<std::size_t>(i)]);
    if (!chip) return;
    const bool hot = g_.hoveredChipNode() == i;
    const ui::Rect& c = *chip;
    ui::fillRect(dl_, c, withAlpha(palette::kDarkFill, hot ? 0.96f : 0.82f), 3.0f);
    ui::strokeRect(dl_, c, withAlpha(palette::kAccent, hot ? 1.0f : 0.55f), 3.0f, 1.0f);
    placer_.panel(c);
    shapeIcon(ui::Rect{c.x, c.y, 18.0f * s_, c.height}.inset(3.0f * s_, 3.0f * s_),
              std::clamp(node.lfoShape, 0, 5), withAlpha(palette::kAccent, hot ? 1.0f : 0.85f));
    const int trig = std::clamp(node.lfoTrig, 0, 4);
    const std::uint32_t trigColour =
        trig == 0 ? (hot ? palette::kMuted : kTrigOff) : withAlpha(palette::kAccent, hot ? 1.0f : 0.85f);
    ui::drawText(dl_, {c.x + 18.0f * s_, c.y, 24.0f * s_, c.height}, kTrigModes[trig], TextStyle::Caption,
                 trigColour, TextAlign::Centre);
    for (float sx : {18.0f, 42.0f}) {
      vLine(c.x + sx * s_, c.y + 2.0f * s_, c.y + c.height - 2.0f * s_,
            withAlpha(palette::kBorder, hot ? 0.8f : 0.4f), 1.0f);
    }
    const std::string rate =
        node.lfoSynced
            ? std::string(ob::divisionLabel(std::clamp(node.lfoDivision, 0, ob::kDivisionCount - 1)))
            : ui::formatNumber(node.lfoRateHz, node.lfoRateHz < 10.0f ? 1 : 0) + "Hz";
    ui::drawText(dl_, {c.x + 44.0f * s_, c.y, std::max(c.width - 46.0f * s_, 0.0f), c.height}, rate,
                 TextStyle::Caption, hot ? palette::kLight : palette::kMuted, TextAlign::Centre);
  }

  void choiceChip() {
    const std::optional<ui::Rect> chip = graph::choiceChip(l_);
    if (!chip) return;
    const graph::Node& node = *graph::choiceNode(l_);
    const bool has = node.choices && node.choiceCount >= 1;
    const bool hot = has && g_.overChoiceChip();
    ui::fillRect(dl_, *chip, withAlpha(palette::kDarkFill, hot ? 0.96f : has ? 0.82f : 0.45f), 3.0f);
    placer_.panel(*chip);
    ui::strokeRect(dl_, *chip, has ? withAlpha(palette::kAccent, hot ? 1.0f : 0.55f) : kEmptyChipBorder, 3.0f,
                   1.0f);
    const ui::Rect inside = chip->inset(3.0f * s_, 3.0f * s_);
    if (!has) {
      ui::drawText(dl_, inside, "(no samples)", TextStyle::Caption, kEmptyChipText, TextAlign::Centre);
      return;
    }
    const int index =
        std::clamp(static_cast<int>(std::lround(graph::nodeDisplayValue(node))), 0, node.choiceCount - 1);
    const char* text = node.choices[index] ? node.choices[index] : "";
    ui::drawText(dl_, inside, text, TextStyle::Caption, hot ? palette::kLight : palette::kMuted,
                 TextAlign::Centre);
  }

  void hints(bool overDirection) {
    if (g_.hoveredChipNode() >= 0) {
      hintLine("click the wave = shape,  the mode = trig,  the division = rate", kHint);
    } else if (overDirection) {
      hintLine(reversed(l_) ? "click: play forwards" : "click: play backwards", kDirectionHint);
    }
  }

  // Where the band's or cutoff's frequency is written: its value, the top
  // of its region and its line.
  struct FrequencyLabel {
    float hz = 0.0f;
    float top = 0.0f;
    float line = 0.0f;
  };

  const NodeGraph& g_;
  const Layout& l_;
  ImDrawList* dl_;
  float s_;
  ui::Rect r_;
  int columns_;
  std::vector<std::optional<Point>> places_;  // where each handle is drawn
  std::vector<ImVec2> points_;
  ui::LabelPlacer placer_;
  bool hasToneLine_ = false;
  float toneTilt_ = 0.0f;
  std::optional<FrequencyLabel> frequencyLabel_;
};

}  // namespace

void NodeGraph::paint() {
  const Layout l = layout();
  Painter(*this, l, ImGui::GetWindowDrawList()).paint(overview_, samples_ && frames_ >= 1, overDirection_);
}

}  // namespace orbi
