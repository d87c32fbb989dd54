#pragma once
// A small script of GUI steps for the test host, one step a line (or
// separated by ';'), '#' starting a comment:
//   frames N              run until the editor's frame timer has ticked N
//                         times (the editor draws on those that find a
//                         frame due)
//   wait MS               run the loop for MS milliseconds
//   move X Y              the pointer to (X, Y) of the editor window
//   press [B] / release [B]   button B (1 left, 2 middle, 3 right; 1)
//   click X Y [B]
//   drag X1 Y1 X2 Y2 [B]
//   key CHORD             e.g. ctrl+z, ctrl+shift+z, Delete, Return
//   type TEXT             the rest of the step, typed (no ; or #); any
//                         UTF-8 text
//   clipboard TEXT        the rest of the step put on the clipboard, as
//                         another program would, for a ctrl+v to paste
//   hide / show           the editor, through "clap.gui"
//   reopen                the editor closed and opened again as a host
//                         does (gui destroy, then create in a new window)
//   play [BPM] / stop     the host's transport
//   snapshot FILE.png     a picture of the editor window
//   usage                 prints "usage: cpu S wall S": the CPU seconds of
//                         every thread so far, and the steady clock
//   memory                prints "memory: resident M MiB, peak M MiB": what
//                         the process holds, and held at most since the
//                         last memory step
#include <string>

#include "tools/clap_host/gui_session.h"

namespace orbi::host {

// Runs the steps in order; false at the first step that fails or cannot be
// read, with its line number and the reason in error.
bool runGuiScript(GuiSession& session, const std::string& script, std::string& error);

}  // namespace orbi::host
