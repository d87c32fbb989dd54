#pragma once
// The instance's handle on its editor: answers "clap.gui" and may claim
// timers. The instance owns it from init to destroy.
#include <memory>

#include "document/project/kept_document.h"
#include "plugin/clap/abi.h"

namespace orbi {
struct EngineHost;
}

namespace ob::clap {

class PluginEditor {
 public:
  virtual ~PluginEditor() = default;
  // An extension table the editor provides, or null.
  virtual const void* getExtension(const char* id) = 0;
  // True when the timer is the editor's own.
  virtual bool onTimer(clap_id timerId) = 0;
};

// The editor works on the instance's engine host and on what the last
// document load kept for the next save; both outlive it.
using EditorFactory = std::unique_ptr<PluginEditor> (*)(const clap_host_t* host, orbi::EngineHost& engineHost,
                                                        KeptDocument& keptDocument);

}  // namespace ob::clap
