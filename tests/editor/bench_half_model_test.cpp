// The node graphs' models of a drum's halves: the nodes of every half type,
// the second hit's parameters, the sample-slot and rate nodes, and the
// modulation marks of LFOs, envelopes, macros and breathe.
#include <gtest/gtest.h>

#include <string>

#include "editor/widgets/graph/node_graph.h"
#include "engine/params/param_name.h"
#include "support/editor/widgets/half_set_gallery.h"
#include "tests/editor/bench_rig.h"

namespace orbi::test {
namespace bench_half_model_test {

using graph::Node;

class HalfModels : public testing::Test {
 protected:
  HalfModels() { drum = &rig.selectMachine(0, ob::kMachineDrum); }
  const std::vector<Node>& hitNodes() const { return rig.page.anatomy.hitGraph.nodes; }
  const std::vector<Node>& bodyNodes() const { return rig.page.anatomy.bodyGraph.nodes; }
  const Node* nodeOf(const std::vector<Node>& nodes, const char* key) const {
    for (const Node& n : nodes)
      if (n.id == drumParam(key)) return &n;
    return nullptr;
  }

  BenchRig rig;
  ob::Sound* drum = nullptr;
};

// The graph's own node sets, which the graph's pictures were drawn from.
TEST_F(HalfModels, EveryHalfTypeHasItsNodeSet) {
  for (const graph::testing::HalfSet& set : graph::testing::halfSets()) {
    SCOPED_TRACE(testing::Message() << (set.body ? "body " : "hit ") << set.mode);
    drum->params[drumParam(set.body ? "res_type" : "exc1_type")] = static_cast<float>(set.mode);
    drum->params[drumParam("exc2_type")] = set.body ? 0.0f : static_cast<float>(set.mode);
    rig.bench.rebuild();
    for (const NodeGraph* graph :
         {set.body ? &rig.page.anatomy.bodyGraph : &rig.page.anatomy.hitGraph,
          set.body ? &rig.page.anatomy.bodyGraph : &rig.page.anatomy.secondHitGraph}) {
      const int offset = graph == &rig.page.anatomy.secondHitGraph ? 7 : 0;
      ASSERT_EQ(graph->nodes.size(), set.nodes.size());
      EXPECT_EQ(graph->mode, set.mode);
      for (std::size_t i = 0; i < set.nodes.size(); ++i) {
        const Node& got = graph->nodes[i];
        const Node& want = set.nodes[i];
        SCOPED_TRACE(want.label);
        EXPECT_EQ(got.kind, want.kind);
        // Named as its parameter is wherever the editor names it.
        EXPECT_STREQ(got.label, ob::paramName(ob::kMachineDrum, got.id));
        EXPECT_STREQ(got.unit, want.unit);
        EXPECT_FLOAT_EQ(got.displayLo, want.displayLo);
        EXPECT_FLOAT_EQ(got.displayHi, want.displayHi);
        EXPECT_EQ(got.fixedPitch, want.fixedPitch);
        if (want.kind == static_cast<int>(graph::NodeKind::kChoice)) {
          EXPECT_EQ(got.choiceCount, want.choiceCount);
          EXPECT_STREQ(got.choices[0], want.choices[0]);
        }
        const std::string key = ob::paramInfo(ob::kMachineDrum, got.id).id;
        if (want.kind == static_cast<int>(graph::NodeKind::kWidth))
          EXPECT_EQ(key, offset ? "exc2_width" : "exc1_width");
        else
          EXPECT_EQ(got.id, want.id + offset);
      }
    }
  }
}

TEST_F(HalfModels, SilentHitNoBodyAndRecordedBody) {
  rig.putSample(34, 0.8);
  drum->params[drumParam("exc1_type")] = 0.0f;
  drum->params[drumParam("res_type")] = 0.0f;
  rig.bench.rebuild();
  EXPECT_TRUE(hitNodes().empty());
  ASSERT_EQ(bodyNodes().size(), 1u);
  EXPECT_EQ(bodyNodes()[0].id, drumParam("res_tune"));
  EXPECT_STREQ(bodyNodes()[0].label, "Body Pitch");

  drum->params[drumParam("res_type")] = 4.0f;
  drum->params[drumParam("res_aux1")] = 34.0f / 63.0f;
  rig.bench.rebuild();
  EXPECT_EQ(nodeOf(bodyNodes(), "res_tune"), nullptr);
  const Node* rate = nodeOf(bodyNodes(), "res_aux2");
  ASSERT_NE(rate, nullptr);
  EXPECT_EQ(rate->kind, static_cast<int>(graph::NodeKind::kRate));
  EXPECT_NEAR(rate->sampleSeconds, 0.8f, 1e-4f);
  const Node* slot = nodeOf(bodyNodes(), "res_aux1");
  ASSERT_NE(slot, nullptr);
  EXPECT_EQ(slot->choiceCount, rig.bench.slotNameCount());
  EXPECT_STREQ(slot->choices[34], "tone");
}

TEST_F(HalfModels, TwoLfosAddTheirSpreadsAndTheChipShowsTheFirst) {
  drum->params[drumParam("exc1_type")] = 1.0f;
  drum->params[drumParam("exc1_tone")] = 0.5f;
  ob::Track& track = rig.pattern().tracks[0];
  for (int i = 0; i < 2; ++i) {
    track.lfos[i].enabled = 1;
    track.lfos[i].dest = static_cast<std::uint8_t>(drumParam("exc1_tone"));
    track.lfos[i].depth = i == 0 ? 0.2f : -0.1f;
    track.lfos[i].shape = static_cast<std::uint8_t>(i + 2);
  }
  rig.bench.rebuild();
  const Node* tone = nodeOf(hitNodes(), "exc1_tone");
  ASSERT_NE(tone, nullptr);
  EXPECT_EQ(tone->hasLfo, 1);
  EXPECT_NEAR(tone->lfoAmount, 0.3f, 1e-6f);  // 0.1 + 0.05 either side
  EXPECT_EQ(tone->lfo, 0);
  EXPECT_EQ(tone->lfoShape, 2);
  EXPECT_EQ(tone->hasLive, 1);
  EXPECT_EQ(nodeOf(hitNodes(), "exc1_decay")->hasLfo, 0);
}

TEST_F(HalfModels, ANegativeEnvelopeGivesANegativeAmountAndMacrosTheirTarget) {
  drum->params[drumParam("res_type")] = 1.0f;
  drum->params[drumParam("res_tone")] = 0.5f;
  ob::Track& track = rig.pattern().tracks[0];
  track.modEnvs[1].enabled = 1;
  track.modEnvs[1].dest = static_cast<std::uint8_t>(drumParam("res_tone"));
  track.modEnvs[1].depth = -0.25f;
  ob::Macro& macro = rig.pattern().kit.macros[2];
  macro.destCount = 1;
  macro.dests[0] = {0, static_cast<std::uint8_t>(drumParam("res_tone")), 0.8f};
  rig.bench.rebuild();
  const Node* tone = nodeOf(bodyNodes(), "res_tone");
  ASSERT_NE(tone, nullptr);
  EXPECT_EQ(tone->hasModEnvelope, 1);
  EXPECT_NEAR(tone->modEnvelopeAmount, -0.25f, 1e-6f);
  EXPECT_EQ(tone->hasMacro, 1);
  EXPECT_NEAR(tone->macroAmount, 0.8f, 1e-6f);
  EXPECT_EQ(tone->hasLfo, 0);
}

TEST_F(HalfModels, BreatheOnlyOnAnActiveStep) {
  drum->params[drumParam("exc1_type")] = 1.0f;
  ob::Step& step = rig.pattern().tracks[0].steps[7];
  step.randCount = 1;
  step.rands[0] = {static_cast<std::uint8_t>(drumParam("exc1_decay")), 0.4f};
  for (int active : {0, 1}) {
    SCOPED_TRACE(active);
    step.active = static_cast<std::uint8_t>(active);
    for (int selected : {-1, 7}) {
      rig.context.step = selected;
      rig.bench.rebuild();
      const Node* decay = nodeOf(hitNodes(), "exc1_decay");
      ASSERT_NE(decay, nullptr);
      EXPECT_EQ(decay->hasBreathe, active && selected == 7 ? 1 : 0);
      if (decay->hasBreathe) {
        EXPECT_FLOAT_EQ(decay->breatheAmount, 0.4f);
      }
    }
  }
}

}  // namespace bench_half_model_test
}  // namespace orbi::test
