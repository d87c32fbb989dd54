#include "engine/engine/engine_host.h"

#include <new>
#include <utility>

namespace orbi {

std::unique_ptr<EngineHost> EngineHost::create() {
  return std::unique_ptr<EngineHost>(new (std::nothrow) EngineHost());
}

bool EngineHost::applyEdit(const ob::EditCommand& command) {
  ob::applyEditCommand(project, command);
  return engine.postCommand(command);
}

void EngineHost::postProject(bool keepPosition) { engine.postProject(project, keepPosition); }

bool EngineHost::publishSamples() { return samples.publish(pool, project.samples, engine.sampleSet()); }

void EngineHost::publishSamplesNow() { samples.publishNow(pool, project.samples, engine.sampleSet()); }

void EngineHost::retirePool() {
  samples.retirePool(std::move(pool));
  pool = ob::SamplePool{};
  publishSamples();
}

void EngineHost::mainThreadPass() {
  engine.drainRetired();
  samples.pass(pool, project.samples, engine.sampleSet());
}

}  // namespace orbi
