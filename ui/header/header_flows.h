#pragma once
// The header's document flows: new, open, save, save as, previous, next and
// the caller's menu items become an action for the caller or one of the
// header's file dialogs, and the requests that would drop unsaved changes
// first ask "Unsaved changes". A file document runs its own dialogs; a
// delegated one only yields actions. Dialogs answer a frame or more after
// their request.
//
// Requests and results are filed in the header's id scope of the root
// window: every flow runs there, never inside the menu or the prompt,
// whose windows have id stacks of their own. Main thread, inside a frame.

#include <cstdint>
#include <string>
#include <string_view>

#include "ui/dialogs/file_dialog.h"
#include "ui/header/header_model.h"

namespace orbi::ui {

// The actions the discard prompt can hold back.
enum class FlowAction : std::uint32_t { Nothing, New, Open, Previous, Next, RunItem };

// One a UI context, zero at first.
struct HeaderState {
  FlowAction pendingKind = FlowAction::Nothing;  // waiting for the prompt
  std::uint32_t pendingArg = 0;                  // the item's command for RunItem
  std::uint32_t dialogItem = 0;                  // the item whose dialog was asked for last
};

// The context's state, under the id of "state" in the current id scope
// (the header's).
HeaderState& headerState();

// What a flow works on: the frame's model and result and the kept state.
struct HeaderFlow {
  const HeaderModel& model;
  HeaderState& state;
  HeaderResult& result;
};

// Runs the action at once, or first asks when the document is modified and
// the document (for RunItem: the item) wants to be asked.
void guardHeaderAction(HeaderFlow& flow, FlowAction kind, std::uint32_t argument = 0);
void performHeaderAction(HeaderFlow& flow, FlowAction kind, std::uint32_t argument = 0);

void openDocument(HeaderFlow& flow);
void saveDocument(HeaderFlow& flow);
void saveDocumentAs(HeaderFlow& flow);
void runHeaderItem(HeaderFlow& flow, std::uint32_t command);

// At the end of every header frame: the prompt, then the dialogs' results.
void unsavedChangesDialog(HeaderFlow& flow);

// "Discard the unsaved changes to " the name ("Untitled" when empty) "?".
std::string discardPromptText(std::string_view name);

// A request over the document's filters and start folder.
FileDialogRequest makeFileDialogRequest(const HeaderModel& model, FileDialogKind kind, std::string title);

// The name, or "Untitled", with "." and the first filter's first pattern
// after it unless it ends so already (letter case counts).
std::string defaultSaveName(const HeaderDocument& document);

// The text before the last '/' or '\'; empty without one.
std::string parentFolder(std::string_view path);

}  // namespace orbi::ui
