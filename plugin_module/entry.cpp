// The library's one export: the CLAP entry structure.
#include "plugin/clap/abi.h"
#include "plugin/descriptor.h"

namespace {

bool entryInit(const char* path) { return ob::clap::entryInit(path); }
void entryDeinit() { ob::clap::entryDeinit(); }
const void* entryGetFactory(const char* id) { return ob::clap::entryGetFactory(id); }

}  // namespace

extern "C" __attribute__((visibility("default")))
const clap_plugin_entry_t clap_entry = {CLAP_VERSION, entryInit, entryDeinit, entryGetFactory};
