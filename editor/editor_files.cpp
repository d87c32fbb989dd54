// Opening and saving project files from the editor.
#include <string>
#include <system_error>
#include <utility>

#include "content/factory/factory_preload.h"
#include "document/project/project_load.h"
#include "document/project/project_save.h"
#include "editor/editor_view.h"
#include "editor/project_files.h"
#include "editor/samples/unplayable_samples.h"
#include "engine/session/engine_host.h"

namespace orbi {

namespace {

// The same file by its name or, while both exist, by what they are.
bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  if (a.empty() || b.empty()) return false;
  std::error_code error;
  if (std::filesystem::equivalent(a, b, error)) return true;
  return std::filesystem::absolute(a, error).lexically_normal() ==
         std::filesystem::absolute(b, error).lexically_normal();
}

}  // namespace

bool EditorView::openProject(const std::filesystem::path& path) {
  ob::SamplePool pool;
  std::string error;
  ob::Diagnostics findings;
  // The load replaces the project and the kept document only when it
  // succeeds as a whole; samples the open pool holds already are shared.
  const bool opened = ob::loadDocumentFile(path, host_.project, pool, kept_, &error, &findings, &host_.pool);
  if (report_) report_(findings);
  if (!opened) {
    setStatus(fileStatus("Could not open ", path, error), true);
    return false;
  }
  ob::preloadFactorySamples(host_.project, pool);
  host_.replacePool(std::move(pool));
  startOver();
  commitProject(false);
  refresh();
  openedFile_ = path;
  leftOut_ = leftOutEntries(findings);
  // A sample or an entry left out is said, with why: a sample plays
  // silent, and no save holds the entry.
  std::string leftOut = unplayableSummary(host_.project, host_.pool);
  if (leftOut.empty()) leftOut = leftOutSamples(findings);
  if (const std::string entries = leftOutSummary(leftOut_); !entries.empty())
    leftOut += (leftOut.empty() ? "" : "; ") + entries;
  setStatus(fileStatus("Opened ", path, leftOut), !leftOut.empty());
  return true;
}

bool EditorView::saveProject(const std::filesystem::path& path) {
  const std::filesystem::path target = withProjectSuffix(path);
  if (leftOut_.count > 0 && sameFile(target, openedFile_)) {
    saveQuestion_.ask(target, saveWithoutQuestion(fileNameOf(target), leftOut_));
    return false;
  }
  return writeProject(target);
}

bool EditorView::writeProject(const std::filesystem::path& target) {
  std::string error;
  if (!ob::saveDocumentFile(target, host_.project, host_.pool, kept_, &error)) {
    setStatus(fileStatus("Could not save ", target, error), true);
    return false;
  }
  if (sameFile(target, openedFile_)) leftOut_ = {};
  setStatus(fileStatus("Saved ", target), false);
  return true;
}

}  // namespace orbi
