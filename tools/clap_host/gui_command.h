#pragma once
// The command line's GUI mode: the editor opened in the host's window with
// the transport as asked, a script of steps run, a picture taken; without
// a script or a picture the window stays until the user closes it.
#include <string>

#include "engine/clock/tempo.h"
#include "tools/clap_host/gui_session.h"

namespace orbi::host {

struct GuiCommand {
  GuiOptions options;
  std::string script;    // steps, from --script files and --steps
  std::string snapshot;  // the last picture's file; empty: none
  bool play = false;
  double tempo = ob::kDefaultTempo;
};

// The exit status: 0, or 1 with the reason on standard error.
int runGui(Instance& instance, const GuiCommand& command);

}  // namespace orbi::host
