// The root view's header, what it reports, and the bands and page under
// it.
#include <filesystem>
#include <string>

#include "editor/editor_view.h"
#include "engine/session/engine_host.h"
#include "ui/context.h"
#include "ui/controls/panel.h"

namespace orbi {

namespace {

// Design heights of the bands under the header.
constexpr float kBandGap = 10.0f;
constexpr float kCreditsBand = 20.0f;
constexpr float kMacrosBand = 118.0f;

std::filesystem::path fromUtf8(const std::string& path) {
  return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

}  // namespace

HeaderBarResult EditorView::drawHeaderBar(const ui::FrameInfo& frame, ui::Rect& content) {
  HeaderBarInput input;
  input.page = page_;
  input.canUndo = !undoHistory_.empty();
  input.canRedo = !redoHistory_.empty();
  input.kitName = host_.project.patterns[selectedPart_].kit.name;
  input.kitModified = kitModified();
  input.statusText = statusText_;
  input.statusError = statusError_;
  return headerBar_.draw(input, frame, content);
}

void EditorView::showPage(EditorPage page) {
  page_ = page;
  if (page == EditorPage::Bench) bench_.rebuild();
}

void EditorView::runHeaderResults(const HeaderBarResult& header) {
  if (header.pageChanged) showPage(header.page);
  if (header.undo) undo();
  if (header.redo) redo();
  runKitCommands(header);
  if (header.openPath) openProject(fromUtf8(*header.openPath));
  if (header.savePath) saveProject(fromUtf8(*header.savePath));
}

void EditorView::runKitCommands(const HeaderBarResult& header) {
  kitAnchor_ = header.anchor;
  if (header.newKit) newKit();
  if (header.saveKit) openKitSaveForm();
  if (header.browseKits) browseKits();
  if (header.kitStep != 0) stepKit(header.kitStep);
  kitBrowser_.draw(kitPanelRect_);
}

void EditorView::drawBelowHeader(ui::Rect content) {
  const float s = ui::scale();
  content.takeTop(kBandGap * s);
  credits_.draw(content.takeTop(kCreditsBand * s), host_.project);
  content.takeTop(kBandGap * s);
  {
    const ui::Panel macros(content.takeTop(kMacrosBand * s), "Macros");
    macroPanel_.draw(macros.content());
  }
  content.takeTop(kBandGap * s);
  if (page_ == EditorPage::Samples) {
    const ui::Panel panel(content, "Samples");
    samplesPage_.draw(panel.content());
  } else {
    bench_.drawPage(content);
  }
}

}  // namespace orbi
