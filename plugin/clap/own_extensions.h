#pragma once
// The plug-in's own extensions and the records they exchange with the host.
// Byte layouts are fixed (little-endian, 8-byte pointers) so a host written
// in any language can build them; the static_asserts below pin them.
#include <cstddef>
#include <cstdint>

#include "plugin/clap/abi.h"

namespace ob::clap {

inline constexpr char kExtSession[] = "com.tessaline.session/1";
inline constexpr char kExtVoices[] = "com.tessaline.voices/1";
inline constexpr char kExtAudition[] = "com.tessaline.audition/1";
inline constexpr char kExtDiagnostics[] = "com.tessaline.diagnostics/1";
inline constexpr char kEventSpaceName[] = "com.tessaline.events/1";

// Features a host may list in its session hello.
inline constexpr char kFeatureControlSignals[] = "com.tessaline.control-signals/1";
inline constexpr char kFeatureDiagnostics[] = "com.tessaline.diagnostics/1";

inline constexpr std::uint16_t kNoEventSpace = 0xFFFF;

// ---- session ---------------------------------------------------------------
// Host to plug-in. size is what the host built; the feature list is read only
// when size reaches past featureCount.
struct SessionHelloRecord {
  std::uint32_t size;
  std::uint64_t seed;
  std::uint32_t version;
  const char* const* features;
  std::int32_t featureCount;
};
inline constexpr std::uint32_t kHelloMinSize = 20;
inline constexpr std::uint32_t kHelloFeaturesSize = 36;

struct PluginSession {
  bool (*hello)(const clap_plugin_t* plugin, const SessionHelloRecord* record);
};

// ---- audition ----------------------------------------------------------------
struct PluginAudition {
  void (*set)(const clap_plugin_t* plugin, bool on);
};

// ---- voices ------------------------------------------------------------------
struct VoiceTrackInfo {
  std::uint32_t size;  // the caller's, left untouched
  std::uint32_t trackIndex;
  char trackId[256];
  char soundName[256];
  char machineType[256];
  std::uint32_t auxPort;  // output port of the track's stem, 0xFFFFFFFF when none
};

struct VoiceSoundInfo {
  std::uint32_t size;  // the caller's, left untouched
  std::uint32_t soundSlot;
  char soundId[256];
  char soundName[256];
};

struct PluginVoices {
  std::uint32_t (*trackCount)(const clap_plugin_t* plugin);
  bool (*getTrack)(const clap_plugin_t* plugin, std::uint32_t index, VoiceTrackInfo* info);
  std::uint32_t (*soundCount)(const clap_plugin_t* plugin);
  bool (*getSound)(const clap_plugin_t* plugin, std::uint32_t n, VoiceSoundInfo* info);
};

// Host side: told when tracks or sounds change (after a state load).
struct HostVoices {
  void (*changed)(const clap_host_t* host);
};

// ---- diagnostics -------------------------------------------------------------
struct DiagnosticInfo {
  std::uint32_t size;  // set by the caller; only that many bytes come back
  std::uint32_t severity;
  std::int32_t index;
  char code[64];
  char detail[128];
  char path[256];
  char message[512];
};

struct PluginDiagnostics {
  std::uint32_t (*count)(const clap_plugin_t* plugin);
  bool (*get)(const clap_plugin_t* plugin, std::uint32_t index, DiagnosticInfo* info);
};

static_assert(offsetof(SessionHelloRecord, seed) == 8);
static_assert(offsetof(SessionHelloRecord, version) == 16);
static_assert(offsetof(SessionHelloRecord, features) == 24);
static_assert(offsetof(SessionHelloRecord, featureCount) == 32);
static_assert(sizeof(SessionHelloRecord) == 40);

static_assert(offsetof(VoiceTrackInfo, trackIndex) == 4);
static_assert(offsetof(VoiceTrackInfo, trackId) == 8);
static_assert(offsetof(VoiceTrackInfo, soundName) == 264);
static_assert(offsetof(VoiceTrackInfo, machineType) == 520);
static_assert(offsetof(VoiceTrackInfo, auxPort) == 776);
static_assert(sizeof(VoiceTrackInfo) == 780);

static_assert(offsetof(VoiceSoundInfo, soundSlot) == 4);
static_assert(offsetof(VoiceSoundInfo, soundId) == 8);
static_assert(offsetof(VoiceSoundInfo, soundName) == 264);
static_assert(sizeof(VoiceSoundInfo) == 520);

static_assert(offsetof(DiagnosticInfo, severity) == 4);
static_assert(offsetof(DiagnosticInfo, index) == 8);
static_assert(offsetof(DiagnosticInfo, code) == 12);
static_assert(offsetof(DiagnosticInfo, detail) == 76);
static_assert(offsetof(DiagnosticInfo, path) == 204);
static_assert(offsetof(DiagnosticInfo, message) == 460);
static_assert(sizeof(DiagnosticInfo) == 972);

static_assert(sizeof(PluginSession) == 8);
static_assert(sizeof(PluginAudition) == 8);
static_assert(sizeof(PluginVoices) == 32);
static_assert(sizeof(HostVoices) == 8);
static_assert(sizeof(PluginDiagnostics) == 16);

}  // namespace ob::clap
