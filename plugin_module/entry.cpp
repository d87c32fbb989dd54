// The library's one export: the CLAP entry structure. The module is where
// the plug-in and the editor meet: the plug-in library knows the editor only
// as the factory handed over here.
#include "editor/editor_wrapper.h"
#include "plugin/clap/abi.h"
#include "plugin/descriptor.h"

namespace {

bool entryInit(const char* path) {
  ob::clap::setPluginEditorFactory(ob::clap::makeEditor);
  return ob::clap::entryInit(path);
}
void entryDeinit() { ob::clap::entryDeinit(); }
const void* entryGetFactory(const char* id) { return ob::clap::entryGetFactory(id); }

}  // namespace

extern "C" __attribute__((visibility("default")))
const clap_plugin_entry_t clap_entry = {CLAP_VERSION, entryInit, entryDeinit, entryGetFactory};
