#include "ui/header/header.h"

#include <imgui.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "ui/context.h"
#include "ui/controls/buttons.h"
#include "ui/controls/transport.h"
#include "ui/dialogs/file_dialog.h"
#include "ui/draw/icons.h"
#include "ui/draw/text.h"
#include "ui/header/caption_buttons.h"
#include "ui/header/document_box.h"
#include "ui/header/header_flows.h"
#include "ui/header/header_layout.h"
#include "ui/header/header_status.h"
#include "ui/header/page_rail.h"
#include "ui/shortcuts.h"
#include "ui/theme/palette.h"

namespace orbi::ui {
namespace {

// Design pixels.
constexpr float kRow = 36.0f;
constexpr float kRowGap = 8.0f;
constexpr float kRowInset = 4.0f;
constexpr float kGap = 8.0f;
constexpr float kUndoButton = 24.0f;
constexpr float kUndoGap = 4.0f;

constexpr std::uint32_t kLabelColour = palette::kMuted;

constexpr std::array<ShortcutRow, 4> kGeneralRows{{
    {"Ctrl+Z", "Undo"},
    {"Ctrl+Shift+Z", "Redo"},
    {"Ctrl+S", "Save"},
    {"Ctrl+O", "Open"},
}};

bool hasLabel(const HeaderModel& model) { return model.document && !model.document->label.empty(); }

DocumentBoxState documentBoxState(const HeaderDocument& document) {
  DocumentBoxState box;
  box.name = document.name;
  box.dirty = document.modified;
  box.showNav = document.canStep;
  box.showSave = document.canSave;
  const bool browses = document.browsable || document.kind == DocumentKind::Delegated;
  box.nameTooltip = browses ? "Browse" : "Open...";
  return box;
}

HeaderRowWidths rowWidths(const HeaderModel& model, const HeaderMenuInput& menu) {
  const float s = scale();
  HeaderRowWidths widths;
  widths.menu = headerMenuWidth(menu) + kGap * s;
  if (hasLabel(model)) widths.label = measureText(model.document->label, TextStyle::Caption).x + kGap * s;
  if (model.document) widths.field = documentBoxWidth(documentBoxState(*model.document)) + kGap * s;
  if (model.showUndoRedo) widths.undoRedo = (2.0f * kUndoButton + kUndoGap + kGap) * s;
  widths.status = statusWidth(model.status);
  return widths;
}

void drawDocument(HeaderFlow& flow, Rect& row, float fieldShare) {
  const float s = scale();
  const HeaderDocument& document = *flow.model.document;
  if (hasLabel(flow.model)) {
    const Rect label = row.takeLeft(measureText(document.label, TextStyle::Caption).x);
    drawText(ImGui::GetWindowDrawList(), label, document.label, TextStyle::Caption, kLabelColour);
    row.takeLeft(kGap * s);
  }
  const Rect field = row.takeLeft(fieldShare - kGap * s);
  row.takeLeft(kGap * s);
  flow.result.documentField = field;
  const DocumentBoxResult clicks = drawDocumentBox("preset", field, documentBoxState(document));
  if (clicks.nameClicked) {
    if (document.browsable || document.kind == DocumentKind::Delegated)
      flow.result.action = HeaderAction::Browse;
    else
      guardHeaderAction(flow, FlowAction::Open);
  }
  if (clicks.previous) guardHeaderAction(flow, FlowAction::Previous);
  if (clicks.next) guardHeaderAction(flow, FlowAction::Next);
  if (clicks.save) saveDocument(flow);
}

std::string undoTooltip(const char* verb, std::string_view label) {
  std::string tip = verb;
  if (!label.empty()) (tip += ' ') += label;
  return tip;
}

void drawUndoRedo(const HeaderModel& model, Rect& row, HeaderResult& result) {
  const float s = scale();
  ButtonStyle style;
  style.disabled = !model.canUndo;
  const std::string undo = undoTooltip("Undo", model.undoLabel);
  if (painterButton("undo", row.takeLeft(kUndoButton * s), paintUndo, undo.c_str(), false, style))
    result.action = HeaderAction::Undo;
  row.takeLeft(kUndoGap * s);
  style.disabled = !model.canRedo;
  const std::string redo = undoTooltip("Redo", model.redoLabel);
  if (painterButton("redo", row.takeLeft(kUndoButton * s), paintRedo, redo.c_str(), false, style))
    result.action = HeaderAction::Redo;
  row.takeLeft(kGap * s);
}

void dispatchMenuChoice(HeaderFlow& flow, const HeaderMenuChoice& choice) {
  if (choice.action) {
    switch (*choice.action) {
      case MenuAction::New: guardHeaderAction(flow, FlowAction::New); break;
      case MenuAction::Open: openDocument(flow); break;
      case MenuAction::Save: saveDocument(flow); break;
      case MenuAction::SaveAs: saveDocumentAs(flow); break;
      case MenuAction::Undo: flow.result.action = HeaderAction::Undo; break;
      case MenuAction::Redo: flow.result.action = HeaderAction::Redo; break;
      case MenuAction::Settings: flow.result.action = HeaderAction::Settings; break;
    }
  }
  if (choice.item) guardHeaderAction(flow, FlowAction::RunItem, *choice.item);
  if (choice.uiSize) flow.result.uiSize = choice.uiSize;
  flow.result.menuOpened = choice.opened;
}

// Whether the header acted on the shortcut.
bool actOnShortcut(HeaderFlow& flow, Shortcut shortcut) {
  const HeaderModel& model = flow.model;
  switch (shortcut) {
    case Shortcut::Undo:
      if (!model.showUndoRedo || !model.canUndo) return false;
      flow.result.action = HeaderAction::Undo;
      return true;
    case Shortcut::Redo:
      if (!model.showUndoRedo || !model.canRedo) return false;
      flow.result.action = HeaderAction::Redo;
      return true;
    case Shortcut::Save:
      if (!model.document) return false;
      saveDocument(flow);
      return true;
    case Shortcut::Open:
      if (!model.document) return false;
      openDocument(flow);
      return true;
    default: return false;
  }
}

void handleKeyboard(HeaderFlow& flow, const FrameInfo& frame) {
  if (!headerOwnsKeyboard(frame, flow.model) || fileDialogBusy()) return;
  const std::optional<Shortcut> shortcut = shortcutPressed();
  if (shortcut && actOnShortcut(flow, *shortcut)) markShortcutConsumed(*shortcut);
}

void drawFirstRow(HeaderFlow& flow, const FrameInfo& frame, Rect row) {
  const float s = scale();
  const HeaderModel& model = flow.model;
  row = row.inset(kRowInset * s, 0.0f);
  row.takeRight(std::clamp(drawCaptionButtons(frame, row), 0.0f, row.width));

  std::vector<ShortcutGroup> groups;
  const HeaderMenuInput menu = headerMenuInput(frame, model, groups);
  const HeaderRowWidths widths = rowWidths(model, menu);
  const HeaderRowShares shares = shareHeaderRow(widths, row.width, model.document.has_value());

  const HeaderMenuChoice choice = headerMenu("menu", row.takeLeft(widths.menu - kGap * s), menu);
  row.takeLeft(kGap * s);
  if (model.document) drawDocument(flow, row, shares.field);
  if (model.showUndoRedo) drawUndoRedo(model, row, flow.result);
  if (shares.status > 0.0f) drawStatus("status", row.takeRight(shares.status), model.status);
  dispatchMenuChoice(flow, choice);
  handleKeyboard(flow, frame);
}

void drawSecondRow(HeaderFlow& flow, const FrameInfo& frame, Rect row) {
  const float s = scale();
  const HeaderModel& model = flow.model;
  row = row.inset(kRowInset * s, 0.0f);
  if (model.pages.size() > 1) {
    const Rect rail = row.takeLeft(pageRailSize(model.pages, model.pageExtras).x);
    row.takeLeft(kGap * s);
    std::uint32_t page = model.page;
    drawPageRail("pages", rail, model.pages, &page, model.pageExtras);
    if (page != model.page) flow.result.page = page;
  }
  if (const std::optional<HeaderTransport>& transport = model.transport) {
    TransportOptions options = transport->options;
    options.panel = true;
    options.align = Align::End;
    options.spaceTogglesPlay = options.spaceTogglesPlay && frame.windowControls != nullptr;
    if (!transport->tempo) options.tempoMode = TempoMode::Hidden;
    const Rect bar = row.takeRight(transportSize(options).x);
    row.takeRight(kGap * s);
    flow.result.transport = drawTransport("transport", bar, transport->state, transport->tempo, options);
  }
  if (model.showSpare) flow.result.spare = row;
}

}  // namespace

bool headerOwnsKeyboard(const FrameInfo& frame, const HeaderModel& model) {
  return model.keyboard || frame.windowControls != nullptr;
}

HeaderMenuInput headerMenuInput(const FrameInfo& frame, const HeaderModel& model,
                                std::vector<ShortcutGroup>& groups) {
  const bool keyboard = headerOwnsKeyboard(frame, model);
  groups.clear();
  const std::span<const ShortcutRow> general = generalShortcutRows(model);
  if (keyboard && !general.empty()) groups.push_back({"General", general});
  groups.insert(groups.end(), model.shortcutGroups.begin(), model.shortcutGroups.end());

  HeaderMenuInput input;
  input.about = model.about;
  if (model.document) input.documentLabel = model.document->label;
  input.showUndoRedo = model.showUndoRedo;
  input.canUndo = model.showUndoRedo && model.canUndo;
  input.canRedo = model.showUndoRedo && model.canRedo;
  input.uiSize = model.uiSize;
  input.showUiSize = model.showUiSize;
  input.showSettings = model.showSettings;
  input.keyboard = keyboard;
  input.items = model.items;
  input.shortcutGroups = groups;
  return input;
}

std::span<const ShortcutRow> generalShortcutRows(const HeaderModel& model) {
  const std::span<const ShortcutRow> all = kGeneralRows;
  const bool undo = model.showUndoRedo, document = model.document.has_value();
  if (undo && document) return all;
  if (undo) return all.first(2);
  if (document) return all.last(2);
  return {};
}

void drawHeader(HeaderResult& result, const FrameInfo& frame, const Rect& rect, const HeaderModel& model) {
  const float s = scale();
  result = HeaderResult{};
  ImGui::PushID("orbi.header");
  HeaderFlow flow{model, headerState(), result};

  Rect area = rect;
  const Rect first = area.takeTop(kRow * s);
  Rect second{area.x, area.y, area.width, 0.0f};
  if (headerHasSecondRow(model)) {
    area.takeTop(kRowGap * s);
    second = area.takeTop(kRow * s);
  }
  drawFirstRow(flow, frame, first);
  if (rect.width > 0.0f && second.height > 0.0f) drawSecondRow(flow, frame, second);
  unsavedChangesDialog(flow);
  ImGui::PopID();
}

}  // namespace orbi::ui
