// Opening and saving project files from the editor.
#include <memory>
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

// Why a save of the project holding the factory's samples, beside what its
// load kept, would be one a load refuses: the save's own check, of the
// document a state save or a project save writes of those slots, asked
// before a sample is decoded. Empty when it would be taken.
std::string factorySamplesRefusal(const ob::Project& project, const ob::KeptDocument& kept) {
  const auto with = std::make_unique<ob::Project>(project);
  with->samples = ob::preloadedSlotTable();
  return ob::measureSave(*with, ob::SamplePool(), kept).why;
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
    setStatus(fileStatus("Could not open ", path, error), StatusKind::Failed);
    return false;
  }
  // A project without samples starts with the factory's, where a save
  // holding them is one a load takes; where not, the line says why.
  const std::string factoryRefused =
      host_.project.samples.count == 0 ? factorySamplesRefusal(host_.project, kept_) : std::string();
  if (host_.project.samples.count == 0 && factoryRefused.empty())
    ob::preloadFactorySamples(host_.project, pool);
  host_.replacePool(std::move(pool));
  startOver();
  commitProject(false);
  refresh();
  kept_.leftOut = leftOutOf(path, findings);
  // What the project lacks comes first, with why: a sample plays silent,
  // and no save holds an entry left out. A sample refused with nothing
  // kept is said by the findings alone, only here, and not followed.
  std::string samples = unplayableSummary(host_.project, host_.pool);
  if (samples.empty()) samples = leftOutSamples(findings);
  if (!factoryRefused.empty()) {
    if (!samples.empty()) samples += "; ";
    samples += "the factory's samples were not added: " + factoryRefused;
  }
  SaidLine lacking = lacksLine(lacksSummary(host_.project, std::move(samples)), kept_.leftOut);
  setStatus(openedStatus(lacking, path), lacking.text.empty() ? StatusKind::Done : StatusKind::Failed);
  if (lacking.text == lacks().text) statusLacks_ = std::move(lacking.text);
  return true;
}

bool EditorView::saveProject(const std::filesystem::path& path) {
  const std::filesystem::path target = withProjectSuffix(path);
  if (!kept_.leftOut.entries.empty() && sameFile(target, kept_.leftOut.file)) {
    saveQuestion_.ask(target, saveWithoutQuestion(fileNameOf(target), kept_.leftOut));
    return false;
  }
  return writeProject(target);
}

bool EditorView::answerSaveQuestion(SaveAnswer answer) {
  const std::optional<SaveQuestion::Answered> answered = saveQuestion_.answer(answer);
  return answered && takeAnswer(*answered);
}

bool EditorView::takeAnswer(const SaveQuestion::Answered& answered) {
  if (answered.answer == SaveAnswer::SaveWithout) return writeProject(answered.target);
  setStatus(keptFileStatus(answered.target), StatusKind::Done);
  return false;
}

bool EditorView::writeProject(const std::filesystem::path& target) {
  std::string error;
  if (!ob::saveDocumentFile(target, host_.project, host_.pool, kept_, &error)) {
    setStatus(fileStatus("Could not save ", target, error), StatusKind::Failed);
    return false;
  }
  FileStatus saved = fileStatus("Saved ", target);
  StatusKind kind = StatusKind::Done;
  if (sameFile(target, kept_.leftOut.file)) {
    // The file holds no entry the open left out any more.
    saved += savedWithout(kept_.leftOut);
    if (!kept_.leftOut.entries.empty()) kind = StatusKind::Changed;
    kept_.leftOut = {};
  }
  setStatus(std::move(saved), kind);
  return true;
}

}  // namespace orbi
