// Audio ports (main plus one stereo stem per track) and the one note input.
#include <cstdio>
#include <cstring>

#include "engine/model/reach.h"
#include "engine/session/engine_host.h"
#include "plugin/extensions.h"
#include "plugin/plugin.h"

namespace ob::clap {

namespace {

// The name of the sound on track t, or "" when the track is beyond the
// pattern or has no sound.
const char* trackSoundName(const Plugin* self, int t) {
  if (self == nullptr || !self->engineHost) return "";
  const Pattern& pattern = self->engineHost->project.patterns[0];
  if (t < 0 || t >= tracksInUse(pattern)) return "";
  const int s = pattern.tracks[t].soundIndex;
  if (s < 0 || s >= kMaxTracks) return "";
  const char* name = pattern.kit.sounds[s].name;
  return std::memchr(name, '\0', sizeof pattern.kit.sounds[s].name) != nullptr ? name : "";
}

uint32_t audioCount(const clap_plugin_t*, bool isInput) { return isInput ? 0 : kOutputPorts; }

void portName(const Plugin* self, uint32_t index, char (&name)[CLAP_NAME_SIZE]) {
  if (index == 0)
    std::snprintf(name, sizeof name, "Main");
  else
    std::snprintf(name, sizeof name, "%d %s", static_cast<int>(index),
                  trackSoundName(self, static_cast<int>(index) - 1));
}

bool audioGet(const clap_plugin_t* p, uint32_t index, bool isInput, clap_audio_port_info_t* info) {
  if (isInput || index >= static_cast<uint32_t>(kOutputPorts) || info == nullptr) return false;
  std::memset(info, 0, sizeof *info);
  info->id = index;
  portName(Plugin::from(p), index, info->name);
  if (index == 0) info->flags = CLAP_AUDIO_PORT_IS_MAIN;
  info->channel_count = 2;
  info->port_type = CLAP_PORT_STEREO;
  info->in_place_pair = CLAP_INVALID_ID;
  return true;
}

uint32_t noteCount(const clap_plugin_t*, bool isInput) { return isInput ? 1 : 0; }

bool noteGet(const clap_plugin_t*, uint32_t index, bool isInput, clap_note_port_info_t* info) {
  if (!isInput || index != 0 || info == nullptr) return false;
  std::memset(info, 0, sizeof *info);
  info->id = 0;
  info->supported_dialects = CLAP_NOTE_DIALECT_CLAP | CLAP_NOTE_DIALECT_MIDI;
  info->preferred_dialect = CLAP_NOTE_DIALECT_CLAP;
  std::snprintf(info->name, sizeof info->name, "Notes");
  return true;
}

const clap_plugin_audio_ports_t kAudioPorts = {audioCount, audioGet};
const clap_plugin_note_ports_t kNotePorts = {noteCount, noteGet};

}  // namespace

bool Plugin::takePortNames() {
  bool changed = false;
  for (uint32_t i = 0; i < static_cast<uint32_t>(kOutputPorts); ++i) {
    char name[CLAP_NAME_SIZE];
    portName(this, i, name);
    if (std::strcmp(name, portNamesTold[i]) == 0) continue;
    std::memcpy(portNamesTold[i], name, sizeof name);
    changed = true;
  }
  return changed;
}

bool Plugin::syncPortNames() {
  if (!takePortNames()) return false;
  // Only names change, which a host may take while the plug-in is active.
  const clap_host_audio_ports_t* ports = hostAudioPorts;
  if (ports != nullptr && ports->rescan != nullptr &&
      (ports->is_rescan_flag_supported == nullptr ||
       ports->is_rescan_flag_supported(host, CLAP_AUDIO_PORTS_RESCAN_NAMES)))
    ports->rescan(host, CLAP_AUDIO_PORTS_RESCAN_NAMES);
  return true;
}

const clap_plugin_audio_ports_t* audioPortsExtension() { return &kAudioPorts; }
const clap_plugin_note_ports_t* notePortsExtension() { return &kNotePorts; }

}  // namespace ob::clap
