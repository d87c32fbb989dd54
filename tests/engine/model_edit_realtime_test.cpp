// The edit applier runs inside the audio callback: no command may allocate.
#include <gtest/gtest.h>

#include <random>

#include "engine/model/demo_project.h"
#include "engine/model/edit_command.h"
#include "engine/model/project.h"
#include "support/allocation_counter.h"

namespace model_edit_realtime_test {

TEST(EditRealtime, EveryKindAppliesWithoutAllocating) {
  auto project = ob::makeProject();
  ASSERT_NE(project, nullptr);
  ob::buildDemoProject(*project);

  // Commands drawn up front so the loop itself allocates nothing.
  std::mt19937 rng(99);
  static ob::EditCommand commands[4096];
  for (ob::EditCommand& c : commands) {
    c.kind = static_cast<std::uint8_t>(rng() % 50);
    c.track = rng() % 9;
    c.step = rng() % 17;
    c.param = static_cast<std::int32_t>(rng() % 66);
    c.value = static_cast<float>(static_cast<int>(rng() % 400) - 100) * 0.25f;
    if (c.kind == ob::kEditAddTrack || c.kind == ob::kEditMacroName) c.text[0] = 'K';
  }

  const long before = ob::test::allocationCount();
  for (int pass = 0; pass < 4; ++pass)
    for (const ob::EditCommand& c : commands) ob::applyEditCommand(*project, c);
  EXPECT_EQ(ob::test::allocationCount(), before);
  EXPECT_GT(project->patterns[0].numTracks, 0);
}

}  // namespace model_edit_realtime_test
