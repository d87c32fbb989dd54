#pragma once
// The four machines of a voice, one of each kind, held inline: a track
// player's and a reverse pre-render's. A sound's machine type picks the one
// that plays. Whoever holds the set owns its thread: the audio thread after
// prepare.

#include <cstdint>

#include "engine/drum/drum_machine.h"
#include "engine/granular/granular_machine.h"
#include "engine/params/param_info.h"
#include "engine/sampler/sample_machine.h"
#include "engine/va/va_machine.h"

namespace ob {

struct MachineSet {
  DrumMachine drum;
  SampleMachine sampler;
  VaMachine va;
  GranularMachine granular;

 private:
  // The one place a machine type names its member (ahead of its users,
  // which need its return type).
  template <typename F>
  static decltype(auto) withMember(std::uint8_t machineType, F&& f) {
    switch (machineType) {
      case kMachineSample: return f(&MachineSet::sampler);
      case kMachineVa: return f(&MachineSet::va);
      case kMachineGranular: return f(&MachineSet::granular);
      default: return f(&MachineSet::drum);
    }
  }

 public:
  // Every machine at the rate.
  void prepare(double sampleRate) {
    drum.prepare(sampleRate);
    sampler.prepare(sampleRate);
    va.prepare(sampleRate);
    granular.prepare(sampleRate);
  }

  // The machine of a type; any type but the sampler's, the va's and the
  // granular's is the drum.
  Machine& of(std::uint8_t machineType) {
    return withMember(machineType, [this](auto member) -> Machine& { return this->*member; });
  }

  // The state of the machine of a type copied from another set. Both are
  // prepared at the same rate, so the drum's string buffer is copied in
  // place and nothing allocates.
  void copyState(std::uint8_t machineType, const MachineSet& from) {
    withMember(machineType, [this, &from](auto member) { this->*member = from.*member; });
  }
};

}  // namespace ob
