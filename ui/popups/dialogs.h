#pragma once
// Centred modal dialogs: a message with accept and cancel buttons, and a
// one-line text entry. Each is opened with openPopup on one frame and run
// every frame after; it reports Open until the user decides, then closes.

#include <string>
#include <string_view>

namespace orbi::ui {

enum class DialogResult : int { NotOpen, Open, Accepted, Cancelled };

enum class ConfirmClick : int { Neither, Accept, Cancel };

// The answer Return gives, drawn as the default button. A question whose
// accept loses something takes Cancel: Return never destroys.
enum class ReturnGives : int { Accept, Cancel };

// Places the next window as the modals are placed: centred across the
// display at 45 % of its height, 300 to 520 design pixels wide and at most
// 80 % of the display high.
void centreNextModal();

// The dialog's title in capitals and, when not empty, its text wrapped.
void modalHeading(std::string_view title, std::string_view text);

// The accept button at the right end of a row and, when there is a cancel
// label, the cancel button to its left; the one Return gives is drawn as
// the default. A cancel click wins.
ConfirmClick confirmButtons(const char* acceptLabel, const char* cancelLabel,
                            ReturnGives returns = ReturnGives::Accept);

// Enter gives what `returns` says; Escape cancels, or accepts when there is
// no cancel label (a dialog with one button).
DialogResult messageDialog(const char* id, std::string_view title, std::string_view text,
                           const char* acceptLabel, const char* cancelLabel,
                           ReturnGives returns = ReturnGives::Accept);

// Edits the value in a field that has the keyboard when the dialog first
// shows. Enter in the field or the accept button accepts; "Cancel" or
// Escape cancels. A null value gives a dialog without a field.
DialogResult textEntryDialog(const char* id, std::string_view title, std::string_view text,
                             std::string* value, const char* acceptLabel);

}  // namespace orbi::ui
