// The root view's header, what it reports, and the bands and page under
// it.
#include <filesystem>
#include <string>

#include "editor/column_layout.h"
#include "editor/editor_view.h"
#include "engine/session/engine_host.h"
#include "ui/context.h"
#include "ui/controls/panel.h"

namespace orbi {

namespace {

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
  input.statusText = status_.text;
  input.statusError = statusError_;
  input.statusName = statusName_;
  input.statusWhole = status_.whole;
  input.statusListsEnd = status_.listsEnd;
  input.statusFewer = status_.fewer;
  input.statusNames = status_.names;
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
  const bool bench = page_ == EditorPage::Bench;
  const float s = ui::scale();
  const BenchNeeds benchNeeded = bench ? benchNeeds(benchPage_.layoutInput(), s) : BenchNeeds{};
  const MacroPanel::Heights macros = macroPanel_.contentHeights();
  const float chrome = ui::titledPanelChrome();
  const BandHeight band{macros.least + chrome, macros.floor + chrome,  macros.comfort + chrome,
                        macros.full + chrome,  macros.wanted + chrome, macros.row};
  const ColumnRects column = layoutColumn(content, band, bench ? &benchNeeded : nullptr, s);
  credits_.draw(column.credits, host_.project);
  {
    const ui::Panel panel(column.macros, "Macros");
    macroPanel_.draw(panel.content(), ui::panelTitleRect(column.macros));
  }
  if (bench) {
    bench_.drawPage(column.page);
  } else {
    const ui::Panel panel(column.page, "Samples");
    samplesPage_.draw(panel.content());
  }
}

}  // namespace orbi
