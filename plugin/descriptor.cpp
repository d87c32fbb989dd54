#include "plugin/descriptor.h"

#include <cstring>
#include <new>

#include "plugin/no_throw.h"
#include "plugin/plugin.h"

namespace ob::clap {

namespace {

const char* const kFeatures[] = {"instrument", "drum-machine", "stereo", nullptr};

const clap_plugin_descriptor_t kDescriptor = {
    CLAP_VERSION, kPluginId, "Orbitrane",         "Tarnex",  "https://tarnex.io", "",
    "",           "0.0.6",   "Drum sound design", kFeatures,
};

uint32_t factoryCount(const clap_plugin_factory_t*) { return 1; }

const clap_plugin_descriptor_t* factoryDescriptor(const clap_plugin_factory_t*, uint32_t index) {
  return index == 0 ? &kDescriptor : nullptr;
}

const clap_plugin_t* factoryCreate(const clap_plugin_factory_t*, const clap_host_t* host, const char* id) {
  if (host == nullptr || id == nullptr || std::strcmp(id, kPluginId) != 0) return nullptr;
  if (host->clap_version.major == 0) return nullptr;
  return guarded("create_plugin", static_cast<const clap_plugin_t*>(nullptr), [&] {
    Plugin* p = new (std::nothrow) Plugin(host, pluginEditorFactory());
    return p != nullptr ? &p->plugin : nullptr;
  });
}

const clap_plugin_factory_t kFactory = {factoryCount, factoryDescriptor, factoryCreate};

// Set once by the module's entry, on the main thread, before any instance.
EditorFactory editorFactory = nullptr;

}  // namespace

const clap_plugin_descriptor_t* pluginDescriptor() { return &kDescriptor; }
const clap_plugin_factory_t* pluginFactory() { return &kFactory; }
EditorFactory pluginEditorFactory() { return editorFactory; }
void setPluginEditorFactory(EditorFactory factory) { editorFactory = factory; }

bool entryInit(const char*) { return true; }
void entryDeinit() {}
const void* entryGetFactory(const char* factoryId) {
  if (factoryId == nullptr || std::strcmp(factoryId, CLAP_PLUGIN_FACTORY_ID) != 0) return nullptr;
  return pluginFactory();
}

}  // namespace ob::clap
