// Opening and saving project files from the editor.
#include <string>
#include <utility>

#include "content/factory/factory_preload.h"
#include "document/project/project_load.h"
#include "document/project/project_save.h"
#include "editor/editor_view.h"
#include "editor/project_files.h"
#include "editor/samples/unplayable_samples.h"
#include "engine/session/engine_host.h"

namespace orbi {

bool EditorView::openProject(const std::filesystem::path& path) {
  ob::SamplePool pool;
  std::string error;
  ob::Diagnostics findings;
  // The load replaces the project and the kept document only when it
  // succeeds as a whole; samples the open pool holds already are shared.
  if (!ob::loadDocumentFile(path, host_.project, pool, kept_, &error, &findings, &host_.pool)) {
    setStatus(fileStatus("Could not open ", path, error), true);
    return false;
  }
  ob::preloadFactorySamples(host_.project, pool);
  host_.replacePool(std::move(pool));
  startOver();
  commitProject(false);
  refresh();
  // A sample left out plays silent: the user is told which and why.
  std::string leftOut = unplayableSummary(host_.project, host_.pool);
  if (leftOut.empty()) leftOut = leftOutSamples(findings);
  setStatus(fileStatus("Opened ", path, leftOut), !leftOut.empty());
  return true;
}

bool EditorView::saveProject(const std::filesystem::path& path) {
  const std::filesystem::path target = withProjectSuffix(path);
  std::string error;
  if (!ob::saveDocumentFile(target, host_.project, host_.pool, kept_, &error)) {
    setStatus(fileStatus("Could not save ", target, error), true);
    return false;
  }
  setStatus(fileStatus("Saved ", target), false);
  return true;
}

}  // namespace orbi
