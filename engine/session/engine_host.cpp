#include "engine/session/engine_host.h"

#include <utility>

namespace orbi {

std::unique_ptr<EngineHost> EngineHost::create() {
  // Members allocate too (buffers, players): any failure means no host.
  try {
    return std::unique_ptr<EngineHost>(new EngineHost());
  } catch (...) {
    return nullptr;
  }
}

bool EngineHost::applyEdit(const ob::EditCommand& command) {
  ob::applyEditCommand(project, command);
  return engine.postCommand(command);
}

void EngineHost::postProject(bool keepPosition) { engine.postProject(project, keepPosition); }

bool EngineHost::publishSamples() {
  ++poolChanges;
  return samples.publish(pool, project.samples, engine.sampleSet());
}


void EngineHost::replacePool(ob::SamplePool&& fresh) {
  samples.retirePool(std::move(pool));
  pool = std::move(fresh);
  publishSamples();
  // While no block runs, the old pool goes now rather than at a later pass.
  samples.pass(pool, project.samples, engine.sampleSet());
}

void EngineHost::mainThreadPass() {
  engine.drainRetired();
  samples.pass(pool, project.samples, engine.sampleSet());
}

}  // namespace orbi
