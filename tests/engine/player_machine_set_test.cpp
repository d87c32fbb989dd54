// The four machines of a voice: which one a machine type plays, and a copy
// of one machine's state from another set that leaves the others be.
#include "engine/player/machine_set.h"

#include <gtest/gtest.h>

#include <memory>

namespace player_machine_set_test {

using ob::Machine;
using ob::MachineSet;

TEST(MachineSet, EachTypePlaysItsOwnMachineAndAnyOtherTheDrum) {
  auto set = std::make_unique<MachineSet>();
  struct Case {
    std::uint8_t type;
    const Machine* machine;
  };
  const Case cases[] = {{ob::kMachineSample, &set->sampler},
                        {ob::kMachineVa, &set->va},
                        {ob::kMachineGranular, &set->granular},
                        {ob::kMachineDrum, &set->drum},
                        {4, &set->drum},
                        {255, &set->drum}};
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.type));
    EXPECT_EQ(&set->of(c.type), c.machine);
  }
}

TEST(MachineSet, ACopyTakesOnlyTheMachineOfItsType) {
  auto from = std::make_unique<MachineSet>();
  auto to = std::make_unique<MachineSet>();
  from->prepare(48000.0);
  to->prepare(48000.0);
  for (std::uint8_t type : {ob::kMachineVa, ob::kMachineDrum}) from->of(type).trigger(60.0f, 1.0f);
  to->copyState(ob::kMachineVa, *from);
  EXPECT_TRUE(to->va.isActive());
  EXPECT_FALSE(to->drum.isActive());
  // The copy plays on exactly as the original does.
  float a[64] = {}, b[64] = {};
  ob::ModLayers mod;
  for (int i = 0; i < from->va.paramCount(); ++i) mod.layers[0][i] = from->va.paramInfo(i).defaultValue;
  from->va.renderMono(a, 64, mod);
  to->va.renderMono(b, 64, mod);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(a[i], b[i]) << i;
  EXPECT_NE(a[63], 0.0f);
}

}  // namespace player_machine_set_test
