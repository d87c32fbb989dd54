#pragma once
// The static function tables of the instance's extensions.
#include "plugin/clap/abi.h"
#include "plugin/clap/own_extensions.h"

namespace ob::clap {

const clap_plugin_audio_ports_t* audioPortsExtension();
const clap_plugin_note_ports_t* notePortsExtension();
const clap_plugin_timer_support_t* timerExtension();
const PluginSession* sessionExtension();
const PluginAudition* auditionExtension();
const PluginVoices* voicesExtension();
const PluginDiagnostics* diagnosticsExtension();

}  // namespace ob::clap
