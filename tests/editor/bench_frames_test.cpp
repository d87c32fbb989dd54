// The bench in the root view's frames: the first frame shows rendered
// pictures, a drag keeps the old ones until 100 ms of the frame clock have
// passed, a change of the pool re-points the views on the next frame, and a
// full pool's notice opens on the frame after the refusal.
#include <gtest/gtest.h>

#include <cstdio>

#include "editor/widgets/anatomy/half_browser.h"
#include "editor_rig.h"
#include "engine/params/param_tables.h"
#include "engine/pool/sample_pool.h"
#include "ui/context.h"
#include "ui/imgui_internals.h"

namespace orbi::test {
namespace bench_frames_test {

class BenchFrames : public testing::Test {
 protected:
  BenchPage& page() { return rig.view().benchPage(); }
  BenchController& bench() { return rig.view().bench(); }

  EditorRig rig;
};

TEST_F(BenchFrames, EditsShowWithinATenthOfASecond) {
  rig.frames(1);
  const int renders = bench().previewRenders();
  EXPECT_GT(renders, 0);
  ASSERT_GT(page().anatomy.sumFrames, 0);
  const float* shown = page().anatomy.bodyBrowser.samples;

  const int decay = ob::findParamIndex(ob::kMachineDrum, "res_decay");
  page().anatomy.bodyGraph.value(decay, 2.0f);
  rig.frames(1);  // 17 ms later: the old picture meanwhile
  EXPECT_EQ(bench().previewRenders(), renders);
  EXPECT_EQ(page().anatomy.bodyBrowser.samples, shown);
  rig.frames(6);  // past 100 ms
  EXPECT_EQ(bench().previewRenders(), renders + 1);
  EXPECT_EQ(page().anatomy.bodyBrowser.frameCount, 50715);  // 2.3 s
}

TEST_F(BenchFrames, AReplacedSlotIsShownFromTheNextFrame) {
  ob::Pattern& part = rig.project().patterns[0];
  ob::Sound& sound = part.kit.sounds[part.tracks[1].soundIndex];
  ob::initSoundParams(sound, ob::kMachineSample);
  sound.params[ob::findParamIndex(ob::kMachineSample, "slot")] = 3.0f;
  rig.view().setSelectedTrack(1);
  rig.view().refresh();
  rig.frames(1);
  ob::SamplePool& pool = rig.view().samplePool();
  ASSERT_EQ(page().sampler.sampleView.samples, pool.slots[3]->left.data());

  ob::SampleAudio audio;
  audio.left.assign(1000, 0.25f);
  ASSERT_TRUE(pool.replaceAudio(3, std::move(audio)));
  rig.view().publishSamples();
  rig.frames(1);
  EXPECT_EQ(page().sampler.sampleView.samples, pool.slots[3]->left.data());
  EXPECT_EQ(page().sampler.sampleView.frameCount, 1000);
}

TEST_F(BenchFrames, AFullPoolOpensItsNoticeOnTheNextFrame) {
  ob::SamplePool& pool = rig.view().samplePool();
  ob::SampleSlotTable& table = rig.project().samples;
  for (int slot = 33; slot < 64; ++slot) {
    ob::SampleAudio audio;
    audio.left.assign(100, 0.1f);
    ASSERT_GE(pool.replaceSlot(static_cast<std::uint32_t>(slot), std::move(audio)), 0);
    std::snprintf(table.slots[slot].name, sizeof table.slots[slot].name, "imported");
  }
  table.count = 64;
  rig.view().refresh();
  rig.frames(1);
  {
    ui::ContextScope scope(rig.harness.ui());
    EXPECT_EQ(ImGui::GetCurrentContext()->OpenPopupStack.Size, 0);
  }
  HalfBrowser& hit = page().anatomy.hitBrowser;
  ASSERT_GT(hit.presets.size(), 17u);
  hit.applyPreset(hit.presets[17]);
  rig.frames(1);
  ui::ContextScope scope(rig.harness.ui());
  EXPECT_EQ(ImGui::GetCurrentContext()->OpenPopupStack.Size, 1);
}

}  // namespace bench_frames_test
}  // namespace orbi::test
