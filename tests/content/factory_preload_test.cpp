// Start-up preload of the studio kit and on-demand placement of split
// halves in the sample pool.
#include <gtest/gtest.h>
#include <algorithm>

#include <cstring>
#include <memory>

#include "content/factory/factory_content.h"
#include "content/factory/factory_preload.h"
#include "document/factory/factory_catalogue.h"
#include "document/factory/factory_sample.h"
#include "document/wav/wav_pool.h"
#include "engine/model/project.h"
#include "engine/pool/sample_pool.h"

namespace factory_preload_test {

std::unique_ptr<ob::Project> freshProject() { return std::make_unique<ob::Project>(); }

TEST(FactoryPreload, FillsSlotsZeroTo32InCatalogueOrder) {
  auto project = freshProject();
  ob::SamplePool pool;
  EXPECT_EQ(ob::preloadFactorySamples(*project, pool), 33);
  EXPECT_EQ(project->samples.count, 33);
  ASSERT_EQ(pool.slotCount(), 33);
  for (int i = 0; i < 33; ++i) {
    SCOPED_TRACE(i);
    const ob::SampleSlot expected =
        ob::makeFactorySampleSlot(static_cast<std::uint32_t>(i), ob::kFactoryPartWhole);
    EXPECT_STREQ(project->samples.slots[i].name, expected.name);
    EXPECT_STREQ(project->samples.slots[i].factory, expected.factory);
    EXPECT_EQ(project->samples.slots[i].src, 1);
    ASSERT_NE(pool.slots[i], nullptr);
    EXPECT_EQ(pool.slots[i]->frames, static_cast<std::int32_t>(ob::kFactorySampleCatalogue[i].lengthMs * 48));
    EXPECT_EQ(pool.slots[i]->sampleRate, 48000.0);
    // Its file is given back by its audio, so the pool does not hold it.
    EXPECT_TRUE(pool.slots[i]->bytes.empty());
    EXPECT_TRUE(
        ob::isFileOf(ob::factorySampleBytes(ob::kFactorySampleCatalogue[i].fileName), *pool.slots[i]->data));
  }
  EXPECT_STREQ(project->samples.slots[0].name, "Kick P");
  EXPECT_STREQ(project->samples.slots[0].factory, "ac_kick_p");
  EXPECT_EQ(project->samples.slots[33].name[0], '\0');
}

TEST(FactoryPreload, LoadsNothingIntoAProjectOrPoolThatHoldsSamples) {
  auto project = freshProject();
  project->samples.count = 1;
  ob::SamplePool pool;
  EXPECT_EQ(ob::preloadFactorySamples(*project, pool), 0);
  EXPECT_EQ(pool.slotCount(), 0);
  EXPECT_EQ(project->samples.count, 1);

  auto other = freshProject();
  ob::SamplePool used;
  used.slot(0);
  EXPECT_EQ(ob::preloadFactorySamples(*other, used), 0);
  EXPECT_EQ(used.slotCount(), 1);
  EXPECT_EQ(other->samples.count, 0);

  // A second preload after the first changes nothing.
  ob::SamplePool pool2;
  auto third = freshProject();
  EXPECT_EQ(ob::preloadFactorySamples(*third, pool2), 33);
  EXPECT_EQ(ob::preloadFactorySamples(*third, pool2), 0);
  EXPECT_EQ(pool2.slotCount(), 33);
}

TEST(FactoryPreload, HalvesGoIntoFreeSlotsFrom33AndAreReused) {
  auto project = freshProject();
  ob::SamplePool pool;
  ASSERT_EQ(ob::preloadFactorySamples(*project, pool), 33);

  const std::int32_t hit = ob::assignFactorySampleSlot(*project, pool, 40, false);
  EXPECT_EQ(hit, 33);
  EXPECT_EQ(ob::assignFactorySampleSlot(*project, pool, 40, false), hit);
  EXPECT_EQ(project->samples.count, 34);
  EXPECT_STREQ(project->samples.slots[hit].name, "Bongo High hit");
  EXPECT_STREQ(project->samples.slots[hit].factory, "wp_bongo_hi_hit");
  EXPECT_EQ(project->samples.slots[hit].src, 4);
  ASSERT_NE(pool.slot(hit), nullptr);
  EXPECT_TRUE(ob::isFileOf(ob::factorySampleBytes("wp_bongo_hi_hit.wav"), *pool.slot(hit)->data));

  const std::int32_t body = ob::assignFactorySampleSlot(*project, pool, 40, true);
  EXPECT_EQ(body, 34);
  EXPECT_STREQ(project->samples.slots[body].name, "Bongo High body");
  EXPECT_EQ(project->samples.count, 35);
  EXPECT_TRUE(ob::isFileOf(ob::factorySampleBytes("wp_bongo_hi_body.wav"), *pool.slot(body)->data));

  // A slot whose record is named but holds no audio is neither reused nor
  // overwritten.
  std::strcpy(project->samples.slots[35].name, "Timpani Low hit");
  EXPECT_EQ(ob::assignFactorySampleSlot(*project, pool, 33, false), 36);
  EXPECT_EQ(project->samples.count, 37);
}

TEST(FactoryPreload, RefusesRowsThatAreNotSplitAndAFullPool) {
  auto project = freshProject();
  ob::SamplePool pool;
  ASSERT_EQ(ob::preloadFactorySamples(*project, pool), 33);
  EXPECT_EQ(ob::assignFactorySampleSlot(*project, pool, 10, false), -1);
  EXPECT_EQ(ob::assignFactorySampleSlot(*project, pool, 32, true), -1);
  EXPECT_EQ(ob::assignFactorySampleSlot(*project, pool, 68, false), -1);
  EXPECT_EQ(ob::assignFactorySampleSlot(*project, pool, 1000, true), -1);
  EXPECT_EQ(pool.slotCount(), 33);

  // 31 halves fill slots 33 to 63; the next one finds no room, while a
  // half already placed is still found.
  int placed = 0;
  for (std::uint32_t row = 33; row < 68 && placed < 31; ++row) {
    for (bool isBody : {false, true}) {
      if (placed == 31) break;
      EXPECT_EQ(ob::assignFactorySampleSlot(*project, pool, row, isBody), 33 + placed);
      ++placed;
    }
  }
  EXPECT_EQ(project->samples.count, 64);
  EXPECT_EQ(ob::assignFactorySampleSlot(*project, pool, 67, true), -1);
  EXPECT_EQ(ob::assignFactorySampleSlot(*project, pool, 33, true), 34);
}

TEST(FactoryPreload, AHalfGoesIntoAnEmptiedSlotWithoutTouchingOthers) {
  auto project = freshProject();
  ob::SamplePool pool;
  // No preload: slots below 33 are not the halves' business.
  const std::int32_t k = ob::assignFactorySampleSlot(*project, pool, 51, false);
  EXPECT_EQ(k, 33);
  EXPECT_EQ(project->samples.count, 34);
  EXPECT_EQ(pool.slotCount(), 34);
  for (int i = 0; i < 33; ++i) EXPECT_EQ(pool.slot(i)->frames, 0);
  EXPECT_STREQ(project->samples.slots[33].name, "BS Kick P hit");
}

}  // namespace factory_preload_test
