#pragma once
// The one plug-in this library offers, its factory and the entry's calls.
#include "plugin/clap/abi.h"
#include "plugin/plugin_editor.h"

namespace ob::clap {

inline constexpr char kPluginId[] = "io.tarnex.orbitrane";

const clap_plugin_descriptor_t* pluginDescriptor();
const clap_plugin_factory_t* pluginFactory();

// The editor factory new instances are made with: none unless the module
// that links an editor in hands one over before the factory is used.
EditorFactory pluginEditorFactory();
void setPluginEditorFactory(EditorFactory factory);

// Fills a plug-in structure with the instance callbacks, in CLAP's order.
void fillPluginCallbacks(clap_plugin_t& plugin);

// The entry structure's three functions.
bool entryInit(const char* pluginPath);
void entryDeinit();
const void* entryGetFactory(const char* factoryId);

}  // namespace ob::clap
