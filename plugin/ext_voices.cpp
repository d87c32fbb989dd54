// A read-only view of the tracks and sounds of the editor-side project.
#include <algorithm>
#include <cstring>

#include "engine/params/param_tables.h"
#include "engine/session/engine_host.h"
#include "plugin/caller_record.h"
#include "plugin/extensions.h"
#include "plugin/plugin.h"

namespace ob::clap {

namespace {

// Copies text cut to dest's size; source may lack a terminator within
// sourceCap bytes.
template <std::size_t N>
void fitText(char (&dest)[N], const char* source, std::size_t sourceCap = N - 1) {
  const std::size_t n = source != nullptr ? strnlen(source, std::min(sourceCap, N - 1)) : 0;
  if (n > 0) std::memcpy(dest, source, n);
  dest[n] = '\0';
}

const Project* projectOf(const clap_plugin_t* p) {
  const Plugin* self = Plugin::from(p);
  return self != nullptr && self->engineHost ? &self->engineHost->project : nullptr;
}

std::uint32_t trackCountOf(const Project& project) {
  const int n = project.patterns[0].numTracks;
  return static_cast<std::uint32_t>(n < kMaxTracks ? n : kMaxTracks);
}

uint32_t trackCount(const clap_plugin_t* p) {
  const Project* project = projectOf(p);
  return project != nullptr ? trackCountOf(*project) : 0;
}

// Filled whole here, then cut to the caller's record.
bool getTrack(const clap_plugin_t* p, uint32_t index, VoiceTrackInfo* info) {
  const Project* project = projectOf(p);
  if (project == nullptr || info == nullptr || index >= trackCountOf(*project)) return false;
  const Pattern& pattern = project->patterns[0];
  const Track& track = pattern.tracks[index];
  VoiceTrackInfo full{};
  full.trackIndex = index;
  fitText(full.trackId, track.id, sizeof track.id);
  if (track.soundIndex >= 0 && track.soundIndex < kMaxTracks) {
    const Sound& sound = pattern.kit.sounds[track.soundIndex];
    fitText(full.soundName, sound.name, sizeof sound.name);
    fitText(full.machineType, machineTypeName(sound.machine));
  }
  full.auxPort = index + 1 < static_cast<uint32_t>(kOutputPorts) ? index + 1 : 0xFFFFFFFFu;
  return writeCallerRecord(info, full);
}

uint32_t soundCount(const clap_plugin_t* p) {
  const Project* project = projectOf(p);
  if (project == nullptr) return 0;
  uint32_t n = 0;
  for (const Sound& s : project->patterns[0].kit.sounds) n += s.id[0] != '\0' ? 1 : 0;
  return n;
}

bool getSound(const clap_plugin_t* p, uint32_t n, VoiceSoundInfo* info) {
  const Project* project = projectOf(p);
  if (project == nullptr || info == nullptr) return false;
  const Kit& kit = project->patterns[0].kit;
  uint32_t seen = 0;
  for (int slot = 0; slot < kMaxTracks; ++slot) {
    const Sound& s = kit.sounds[slot];
    if (s.id[0] == '\0') continue;
    if (seen++ != n) continue;
    VoiceSoundInfo full{};
    full.soundSlot = static_cast<std::uint32_t>(slot);
    fitText(full.soundId, s.id, sizeof s.id);
    fitText(full.soundName, s.name, sizeof s.name);
    return writeCallerRecord(info, full);
  }
  return false;
}

const PluginVoices kVoices = {trackCount, getTrack, soundCount, getSound};

}  // namespace

const PluginVoices* voicesExtension() { return &kVoices; }

}  // namespace ob::clap
