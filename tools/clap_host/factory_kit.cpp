#include "tools/clap_host/factory_kit.h"

#include <memory>

#include "content/factory/factory_preload.h"
#include "content/kits/kit_library.h"
#include "document/project/project_save.h"
#include "engine/model/project.h"
#include "engine/pool/sample_pool.h"

namespace orbi::host {

bool factoryKitState(std::string_view number, std::vector<std::uint8_t>& state, std::string& error) {
  std::unique_ptr<ob::Project> project = ob::makeProject();
  // Prefixed here, so a number can never be taken for a kit file's path.
  const std::string reference = std::string(ob::kBuiltinKitPrefix) + std::string(number);
  if (!ob::KitLibrary::loadKit(reference, project->patterns[0], &error)) return false;
  ob::SamplePool pool;
  ob::preloadFactorySamples(*project, pool);
  state = ob::writeProjectDocument(*project, pool, {});
  if (state.empty()) {
    error = "cannot write the state of " + reference;
    return false;
  }
  return true;
}

}  // namespace orbi::host
