// The node graph's pure side: shape functions of a drum half, the axes,
// handle positions over every half type's node set, drag mappings and the
// partial list.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "editor/widgets/graph/graph_layout.h"
#include "editor/widgets/graph/graph_shape.h"
#include "support/editor/widgets/half_set_gallery.h"

namespace orbi::graph {
namespace graph_shape_test {

using testing::halfSets;

Layout layoutOf(const Half& half, const Shape& shape, std::span<const Node> nodes, float s = 1.0f) {
  Layout l;
  l.inner = innerRect(ui::Rect{10.0f, 20.0f, 300.0f, 200.0f}, s);
  l.s = s;
  l.window = 0.4f;
  l.half = half;
  l.shape = shape;
  l.nodes = nodes;
  return l;
}

TEST(GraphShape, BandPassHitSnapsAboveOneThenDecays) {
  const Half hit{false, hit_type::kBandPass};
  for (float aux2 : {0.0f, 0.25f, 1.0f}) {
    SCOPED_TRACE(aux2);
    const Shape shape{0.0f, 0.5f, 0.0f, aux2, 0.1f};
    EXPECT_NEAR(envelopeAt(hit, shape, 0.0f), 0.0f, 1e-6f);
    EXPECT_NEAR(envelopeAt(hit, shape, 0.0008f - 1e-7f), 1.0f + 2.0f * aux2, 1e-3f);
    EXPECT_NEAR(envelopeAt(hit, shape, 0.0008f), 1.0f, 1e-6f);
    EXPECT_NEAR(envelopeAt(hit, shape, 0.0008f + 0.1f), std::exp(-1.0f), 1e-5f);
  }
}

TEST(GraphShape, SineBodyPitchStartsRaisedAndRelaxesToTune) {
  const Half body{true, body_type::kSine};
  for (float aux1 : {0.0f, 0.3f, 1.0f}) {
    SCOPED_TRACE(aux1);
    const Shape shape{80.0f, 0.2f, aux1, 0.4f, 0.5f};
    EXPECT_NEAR(pitchAt(body, shape, 0.0f), 80.0f * std::exp2(4.0f * aux1), 1e-2f);
    // Before the onset the drop holds.
    EXPECT_NEAR(pitchAt(body, shape, onsetOffset(body, shape)), 80.0f * std::exp2(4.0f * aux1), 1e-2f);
    EXPECT_NEAR(pitchAt(body, shape, 30.0f), 80.0f, 1e-3f);
    EXPECT_GE(pitchAt(body, shape, 0.05f), pitchAt(body, shape, 0.2f));
  }
}

TEST(GraphShape, EnvelopesOfTypesWithoutOneAreSilent) {
  const Shape shape{100.0f, 0.5f, 0.5f, 0.5f, 0.3f};
  EXPECT_EQ(envelopeAt({true, body_type::kMetal}, shape, 0.1f), 0.0f);
  EXPECT_EQ(envelopeAt({false, hit_type::kClap}, shape, 0.1f), 0.0f);
  EXPECT_NEAR(envelopeAt({true, body_type::kShell}, shape, 0.6f * 0.3f), std::exp(-1.0f), 1e-5f);
  EXPECT_EQ(pitchAt({false, hit_type::kClick}, shape, 0.0f), 0.0f);
}

TEST(GraphLayout, FrequencyAxisInvertsItselfForBothHalves) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  for (bool body : {true, false}) {
    const Layout l = layoutOf({body, 1}, {}, {});
    const float lo = body ? 20.0f : 40.0f;
    const float hi = body ? 6400.0f : 2000.0f;
    EXPECT_NEAR(yForFrequency(l, lo), l.inner.y + l.inner.height, 1e-3f);
    EXPECT_NEAR(yForFrequency(l, hi), l.inner.y, 1e-3f);
    for (int i = 0; i < 200; ++i) {
      const float f = lo * std::pow(hi / lo, unit(rng));
      SCOPED_TRACE(f);
      EXPECT_NEAR(frequencyForY(l, yForFrequency(l, f)), f, f * 1e-4f);
      const float y = l.inner.y + unit(rng) * l.inner.height;
      EXPECT_NEAR(yForFrequency(l, frequencyForY(l, y)), y, 1e-2f);
    }
  }
}

TEST(GraphLayout, PartialLists) {
  const Half metal{true, body_type::kMetal};
  EXPECT_EQ(partialRatios(metal, {}, 16), (std::vector<float>{1.0f, 1.387f, 1.711f, 1.933f, 2.245f, 2.673f}));
  EXPECT_EQ(partialRatios(metal, {}, 3).size(), 3u);
  EXPECT_EQ(partialRatios({true, body_type::kString}, {}, 16), (std::vector<float>{1, 2, 3, 4, 5, 6}));

  Node ratio = testing::setNode(20, NodeKind::kRatio, "x", 0.5f, 12.0f);
  ratio.value = (1.0f - 0.5f) / 11.5f;  // shows 1.0
  const std::vector<Node> nodes{ratio};
  const std::vector<float> fm = partialRatios({true, body_type::kFm}, nodes, 16);
  ASSERT_EQ(fm.size(), 6u);
  EXPECT_FLOAT_EQ(fm[0], 1.0f);
  EXPECT_FLOAT_EQ(fm[1], 2.0f);
  EXPECT_FLOAT_EQ(fm[2], 3.0f);
  EXPECT_FLOAT_EQ(fm[3], 1.0f);
  EXPECT_FLOAT_EQ(fm[4], 4.0f);
  EXPECT_FLOAT_EQ(fm[5], 2.0f);
  // Without a ratio node the ratio is 2: 1, 3, 1, 5, 3, 7, 5.
  EXPECT_EQ(partialRatios({true, body_type::kFm}, {}, 16), (std::vector<float>{1, 3, 1, 5, 3, 7, 5}));
}

TEST(GraphLayout, ChoiceKindsAndTheDirectionBandHaveNoHandle) {
  for (const testing::HalfSet& set : halfSets()) {
    const Layout l = layoutOf({set.body, set.mode}, testing::shapeOf(set), set.nodes);
    for (const Node& n : set.nodes) {
      const NodeKind k = n.nodeKind();
      if (k == NodeKind::kChoice || k == NodeKind::kSampleSlot || k == NodeKind::kReverse) {
        EXPECT_FALSE(nodePosition(l, n).has_value()) << n.kind;
      }
    }
  }
  Node unknown = testing::setNode(3, NodeKind::kLength, "", 0, 1);
  unknown.kind = 25;
  EXPECT_FALSE(nodePosition(layoutOf({true, 1}, {}, {}), unknown).has_value());
}

TEST(GraphLayout, ValueDragsLandOnTheHandleTheyAskFor) {
  // Dragging to where a handle sits reads back the handle's own value for
  // every absolute mapping.
  for (const testing::HalfSet& set : halfSets()) {
    for (std::size_t i = 0; i < set.nodes.size(); ++i) {
      std::vector<Node> nodes = set.nodes;
      Node& n = nodes[i];
      switch (n.nodeKind()) {
        case NodeKind::kInharmonic:  // relative
        case NodeKind::kFrequency:   // placed by the shape's tone or tune, not the node
        case NodeKind::kResonance:
        case NodeKind::kSnap:
        case NodeKind::kShimmer:
        case NodeKind::kDrop:
        case NodeKind::kBlip: continue;
        default: break;
      }
      n.value = n.paramLo + 0.37f * (n.paramHi - n.paramLo);
      Layout l = layoutOf({set.body, set.mode}, testing::shapeOf(set), nodes);
      l.window = 1.5f;  // most time values well inside the axis
      const std::optional<Point> p = nodePosition(l, n);
      if (!p) continue;
      // A handle held whole inside at an edge does not sit on its value.
      const ui::Rect& r = l.inner;
      const float margin = 4.5f;
      if (p->x < r.x + margin || p->x > r.x + r.width - margin || p->y < r.y + margin ||
          p->y > r.y + r.height - margin)
        continue;
      SCOPED_TRACE(::testing::Message() << (set.body ? "body " : "hit ") << set.mode << " kind " << n.kind);
      const std::optional<float> d = dragDisplayValue(l, n, *p, {});
      ASSERT_TRUE(d.has_value());
      const float span = std::fabs(n.displayHi - n.displayLo);
      EXPECT_NEAR(*d, nodeDisplayValue(n), span * 0.02f);
    }
  }
}

TEST(GraphLayout, InharmonicDragIsRelative) {
  Node n = testing::setNode(20, NodeKind::kInharmonic, "", 0, 1);
  for (float s : {1.0f, 1.5f}) {
    const Layout l = layoutOf({true, body_type::kModal}, {}, {}, s);
    EXPECT_FLOAT_EQ(*dragDisplayValue(l, n, {0.0f, 500.0f - 120.0f * s}, {0.0f, 500.0f}), 1.0f);
    EXPECT_FLOAT_EQ(*dragDisplayValue(l, n, {0.0f, 500.0f - 60.0f * s}, {0.25f, 500.0f}), 0.75f);
    EXPECT_FLOAT_EQ(*dragDisplayValue(l, n, {0.0f, 500.0f - 240.0f * s}, {0.5f, 500.0f}), 1.0f);
  }
}

// A quarter of the picture away is the whole amount, but never less far
// than 100 pixels (times the scale): on this picture the quarters are
// nearer, on one four times as large further.
TEST(GraphLayout, ModulationAmountsGrowAwayFromTheHandle) {
  const std::vector<Node> nodes{testing::setNode(18, NodeKind::kBrightness, "", 0, 1),
                                testing::setNode(17, NodeKind::kLength, "s", 0.02f, 4)};
  const Layout l = layoutOf({true, body_type::kString}, {}, nodes);
  const float whole = 100.0f;
  ASSERT_LT(0.25f * l.inner.width, whole);
  const Point v = *nodePosition(l, nodes[0]);
  EXPECT_FLOAT_EQ(modAmount(l, nodes[0], {v.x + 50.0f, v.y + whole}), 1.0f);
  EXPECT_FLOAT_EQ(modAmount(l, nodes[0], {v.x, v.y - 0.5f * whole}), 0.5f);
  // 0.029 is below the dead zone.
  EXPECT_EQ(modAmount(l, nodes[0], {v.x, v.y + 0.029f * whole}), 0.0f);
  const Point hz = *nodePosition(l, nodes[1]);
  EXPECT_FLOAT_EQ(modAmount(l, nodes[1], {hz.x - whole, hz.y + 80.0f}), 1.0f);

  Layout big = l;
  big.inner = innerRect(ui::Rect{10.0f, 20.0f, 1200.0f, 800.0f}, 1.0f);
  const Point b = *nodePosition(big, nodes[0]);
  EXPECT_FLOAT_EQ(modAmount(big, nodes[0], {b.x, b.y + 0.25f * big.inner.height}), 1.0f);
  EXPECT_NEAR(modAmount(big, nodes[0], {b.x, b.y - 0.125f * big.inner.height}), 0.5f, 1e-5f);
}

TEST(GraphLayout, ChipsNeedRoomAndAChoiceOrAnLfo) {
  std::vector<Node> nodes{
      testing::setNode(18, NodeKind::kBrightness, "", 0, 1),
      testing::choiceOf(testing::setNode(20, NodeKind::kChoice, "", 0, 2), testing::kBanks, 3)};
  nodes[0].lfo = 0;
  Layout l = layoutOf({true, body_type::kWavetable}, {}, nodes);
  ASSERT_TRUE(choiceChip(l).has_value());
  ASSERT_TRUE(lfoChip(l, 0).has_value());
  const ui::Rect chip = *lfoChip(l, 0);
  EXPECT_EQ(chipAt(l, {chip.x + 1.0f, chip.y + 1.0f}).zone, 0);
  EXPECT_EQ(chipAt(l, {chip.x + 20.0f, chip.y + 1.0f}).zone, 1);
  EXPECT_EQ(chipAt(l, {chip.x + 50.0f, chip.y + 1.0f}).zone, 2);
  EXPECT_EQ(chipAt(l, {chip.x + chip.width, chip.y + 1.0f}).node, -1);
  for (float s : {1.0f, 2.0f}) {
    l.s = s;
    l.inner.width = 61.9f * s;
    EXPECT_FALSE(choiceChip(l).has_value());
    l.inner.width = 62.0f * s;
    EXPECT_TRUE(choiceChip(l).has_value());
    l.inner.width = 81.9f * s;
    EXPECT_FALSE(lfoChip(l, 0).has_value());
    l.inner.width = 82.0f * s;
    EXPECT_TRUE(lfoChip(l, 0).has_value());
  }
}

TEST(GraphLayout, NearestNodeTakesTheClosestWithinReach) {
  std::vector<Node> nodes{testing::setNode(20, NodeKind::kPosition, "", 0, 1),
                          testing::setNode(21, NodeKind::kPosition, "", 0, 1)};
  nodes[1].value = 0.52f;
  const Layout l = layoutOf({true, body_type::kWavetable}, {}, nodes);
  const Point a = *handlePlace(l, 0);
  const Point b = *handlePlace(l, 1);
  EXPECT_EQ(nearestNode(l, a), 0);
  EXPECT_EQ(nearestNode(l, b), 1);
  EXPECT_EQ(nearestNode(l, {a.x - 13.9f, a.y}), 0);
  EXPECT_EQ(nearestNode(l, {a.x - 14.1f, a.y}), -1);
  // Both the same: the second is drawn a little apart, and each is taken
  // at its own place.
  nodes[1].value = nodes[0].value;
  EXPECT_EQ(nearestNode(l, a), 0);
  const Point shown = *handlePlace(l, 1);
  EXPECT_NEAR(std::hypot(shown.x - a.x, shown.y - a.y), 8.0f, 1e-4f);
  EXPECT_EQ(shown.x, a.x) << "moved along its own axis";
  EXPECT_EQ(nearestNode(l, shown), 1);
}

// Over every half type's node set, with values and shapes across their
// ranges and at two scales: no handle lies on another, each is taken at
// the place it is drawn, and each is drawn within a few pixels of where
// its value puts it, across its drag axis only.
TEST(GraphLayout, HandlesKeepApartAndEachIsTakenWhereItIsDrawn) {
  for (const float s : {1.0f, 2.0f}) {
    for (testing::HalfSet set : halfSets()) {
      for (const float position : {0.0f, 0.001f, 0.25f, 0.5f, 0.999f, 1.0f}) {
        for (Node& n : set.nodes) n.value = n.paramLo + (n.paramHi - n.paramLo) * position;
        for (const float shapeValue : {0.0f, 0.5f, 1.0f}) {
          const Shape shape{set.body ? 20.0f + 380.0f * shapeValue : 0.0f, shapeValue, shapeValue, shapeValue,
                            0.0001f + 4.0f * shapeValue};
          const Layout l = layoutOf({set.body, set.mode}, shape, set.nodes, s);
          const std::vector<std::optional<Point>> places = handlePlaces(l);
          ASSERT_EQ(places.size(), set.nodes.size());
          for (std::size_t i = 0; i < places.size(); ++i) {
            SCOPED_TRACE(::testing::Message()
                         << (set.body ? "body " : "hit ") << set.mode << " kind " << set.nodes[i].kind
                         << " at " << position << " shape " << shapeValue << " s " << s);
            const std::optional<Point> value = nodePosition(l, set.nodes[i]);
            ASSERT_EQ(places[i].has_value(), value.has_value());
            if (!places[i]) continue;
            const Point p = *places[i];
            EXPECT_EQ(dragsVertically(set.nodes[i].kind) ? p.y : p.x,
                      dragsVertically(set.nodes[i].kind) ? value->y : value->x);
            EXPECT_LE(std::hypot(p.x - value->x, p.y - value->y), 24.0f * s);
            EXPECT_EQ(nearestNode(l, p), static_cast<int>(i));
            for (std::size_t j = 0; j < i; ++j) {
              if (places[j]) {
                EXPECT_GE(std::hypot(p.x - places[j]->x, p.y - places[j]->y), 8.0f * s - 1e-3f);
              }
            }
          }
        }
      }
    }
  }
}

}  // namespace graph_shape_test
}  // namespace orbi::graph
