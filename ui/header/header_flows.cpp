#include "ui/header/header_flows.h"

#include <imgui.h>

#include <algorithm>
#include <utility>

#include "ui/context.h"
#include "ui/popups/dialogs.h"
#include "ui/popups/popup.h"
#include "ui/store.h"

namespace orbi::ui {
namespace {

constexpr const char* kDiscardPrompt = "discard";
constexpr const char* kOpenDialog = "open";
constexpr const char* kSaveAsDialog = "saveAs";
constexpr const char* kItemDialog = "item";

bool modified(const HeaderFlow& flow) { return flow.model.document && flow.model.document->modified; }

bool delegated(const HeaderFlow& flow) {
  return flow.model.document && flow.model.document->kind == DocumentKind::Delegated;
}

const HeaderItem* findItem(const HeaderModel& model, std::uint32_t command) {
  const auto it = std::find_if(model.items.begin(), model.items.end(),
                               [command](const HeaderItem& item) { return item.entry.command == command; });
  return it == model.items.end() ? nullptr : &*it;
}

void armPrompt(HeaderFlow& flow, FlowAction kind, std::uint32_t argument) {
  flow.state.pendingKind = kind;
  flow.state.pendingArg = argument;
  openPopup(kDiscardPrompt);
}

void requestOpenDialog(HeaderFlow& flow) {
  requestFileDialog(kOpenDialog, makeFileDialogRequest(flow.model, FileDialogKind::Open, "Open"));
}

std::string startFolder(const HeaderModel& model) {
  if (!model.document) return {};
  if (!model.document->path.empty()) return parentFolder(model.document->path);
  return model.document->folder;
}

// The first chosen path of the result under the id, taken once; nothing for
// a cancelled or failed dialog.
std::optional<std::string> takeChosenPath(const char* id) {
  std::optional<FileDialogResult> result = takeFileDialogResult(id);
  if (!result || result->status != FileDialogStatus::Chosen || result->paths.empty()) return std::nullopt;
  return std::move(result->paths.front());
}

// The label as the menu shows it: without the part from "##" on.
std::string shownLabel(const std::string& label) { return label.substr(0, label.find("##")); }

}  // namespace

HeaderState& headerState() { return store<HeaderState>(context(), ImGui::GetID("state")); }

void guardHeaderAction(HeaderFlow& flow, FlowAction kind, std::uint32_t argument) {
  if (kind == FlowAction::RunItem) {
    const HeaderItem* item = findItem(flow.model, argument);
    if (item && item->confirmDiscard && modified(flow))
      armPrompt(flow, kind, argument);
    else
      performHeaderAction(flow, kind, argument);
    return;
  }
  if (modified(flow) && flow.model.document->confirmDiscard)
    armPrompt(flow, kind, argument);
  else
    performHeaderAction(flow, kind, argument);
}

void performHeaderAction(HeaderFlow& flow, FlowAction kind, std::uint32_t argument) {
  switch (kind) {
    case FlowAction::New: flow.result.action = HeaderAction::New; break;
    case FlowAction::Open: requestOpenDialog(flow); break;
    case FlowAction::Previous: flow.result.action = HeaderAction::Previous; break;
    case FlowAction::Next: flow.result.action = HeaderAction::Next; break;
    case FlowAction::RunItem: runHeaderItem(flow, argument); break;
    default: break;
  }
}

void openDocument(HeaderFlow& flow) {
  if (delegated(flow))
    flow.result.action = HeaderAction::Browse;
  else if (modified(flow) && flow.model.document->confirmDiscard)
    armPrompt(flow, FlowAction::Open, 0);
  else
    requestOpenDialog(flow);
}

void saveDocument(HeaderFlow& flow) {
  if (delegated(flow))
    flow.result.action = HeaderAction::Save;
  else if (!flow.model.document || flow.model.document->path.empty())
    saveDocumentAs(flow);
  else
    flow.result.savePath = std::string(flow.model.document->path);
}

void saveDocumentAs(HeaderFlow& flow) {
  if (delegated(flow)) {
    flow.result.action = HeaderAction::SaveAs;
    return;
  }
  FileDialogRequest request = makeFileDialogRequest(flow.model, FileDialogKind::Save, "Save as");
  if (flow.model.document) request.fileName = defaultSaveName(*flow.model.document);
  requestFileDialog(kSaveAsDialog, std::move(request));
}

void runHeaderItem(HeaderFlow& flow, std::uint32_t command) {
  const HeaderItem* item = findItem(flow.model, command);
  if (!item || item->dialog == ItemDialog::NoDialog) {
    flow.result.item = command;
    return;
  }
  flow.state.dialogItem = command;
  const FileDialogKind kind = item->dialog == ItemDialog::Open ? FileDialogKind::Open : FileDialogKind::Save;
  FileDialogRequest request = makeFileDialogRequest(flow.model, kind, shownLabel(item->entry.label));
  request.filters = item->filters;
  requestFileDialog(kItemDialog, std::move(request));
}

void unsavedChangesDialog(HeaderFlow& flow) {
  const std::optional<HeaderDocument>& document = flow.model.document;
  // The text is made only while the prompt shows.
  if (document && ImGui::IsPopupOpen(kDiscardPrompt)) {
    // Return keeps the changes: it never destroys.
    const DialogResult answer =
        messageDialog(kDiscardPrompt, "Unsaved changes", discardPromptText(document->name), "Discard", "Keep",
                      ReturnGives::Cancel);
    // Acted on here, back in the header's scope: the dialog has ended.
    if (answer == DialogResult::Accepted) {
      const HeaderState pending = flow.state;
      flow.state.pendingKind = FlowAction::Nothing;
      performHeaderAction(flow, pending.pendingKind, pending.pendingArg);
    } else if (answer == DialogResult::Cancelled) {
      flow.state.pendingKind = FlowAction::Nothing;
    }
  }
  if (std::optional<std::string> path = takeChosenPath(kOpenDialog)) flow.result.openPath = std::move(path);
  if (std::optional<std::string> path = takeChosenPath(kSaveAsDialog)) flow.result.savePath = std::move(path);
  if (std::optional<std::string> path = takeChosenPath(kItemDialog))
    flow.result.itemFile = ItemFile{flow.state.dialogItem, std::move(*path)};
}

std::string discardPromptText(std::string_view name) {
  return "Discard the unsaved changes to " + std::string(name.empty() ? "Untitled" : name) + "?";
}

FileDialogRequest makeFileDialogRequest(const HeaderModel& model, FileDialogKind kind, std::string title) {
  FileDialogRequest request;
  request.kind = kind;
  request.title = std::move(title);
  if (model.document) request.filters = model.document->filters;
  request.folder = startFolder(model);
  request.multiple = false;
  return request;
}

std::string defaultSaveName(const HeaderDocument& document) {
  std::string name = document.name.empty() ? std::string("Untitled") : std::string(document.name);
  if (document.filters.empty() || document.filters.front().patterns.empty()) return name;
  const std::string suffix = "." + document.filters.front().patterns.front();
  if (!name.ends_with(suffix)) name += suffix;
  return name;
}

std::string parentFolder(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}

}  // namespace orbi::ui
