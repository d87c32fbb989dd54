#pragma once
// Project to instance document and back. The reader fills a fresh project and
// replaces the caller's only when the whole read succeeds; every problem is a
// diagnostic. The writer builds the complete document value.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/diagnostics.h"
#include "document/instance/keys_as_loaded.h"
#include "document/instance/macro_state.h"
#include "document/json/json_value.h"
#include "document/project/kept_record.h"
#include "engine/model/project.h"

namespace ob {

struct LoadedAudition;

inline constexpr const char* kInstancePlugin = "orbitrane";

// assetRefs gets one entry per loaded sample slot (the document's "assets"
// reference for that sample, or empty), also when the read fails after the
// samples were read. False leaves project untouched; true gives keys, when
// asked, the keys the records it took were read from, and auditionGridRead
// whether it took the grid saved beside the audition's notes.
bool readInstanceState(const JsonValue& document, Project& project, std::vector<std::string>& assetRefs,
                       Diagnostics& diagnostics, KeysAsLoaded* keys = nullptr,
                       bool* auditionGridRead = nullptr);

// What a written document's audition is for: a save, which writes the
// loaded one back while it plays what the project plays (auditionToWrite),
// or the rewrite a load compares its document with (auditionBeside).
enum class AuditionFor : std::uint8_t { Save, LoadRewrite };

// kitOnly (0 or 1) leaves out the "project" member and writes the audition
// only when some step is active or the loaded document has one.
// assetRefs[i] is slot i's reference text.
// loaded is the document the project was loaded from, if any, whose
// extensions stay declared, and whose "extensions" or "params" read as
// neither list nor object go back as read (the latter while the macros
// hold what a load of it gives); loadedAudition is its audition, as read
// or held as its text, with the voices the project then had; keys, that
// load's, give its records back the keys they were read by.
JsonValue writeInstanceState(const Project& project, const std::vector<std::string>& assetRefs,
                             std::uint32_t kitOnly, std::string_view pluginVersion, std::string_view id,
                             const JsonValue* loaded = nullptr,
                             const LoadedAudition* loadedAudition = nullptr,
                             AuditionFor use = AuditionFor::Save, const KeysAsLoaded* keys = nullptr);

// Whether a load takes a voice (its key and value, an object built one
// level at least) beside the tracks the pattern holds in use and the first
// `soundsLoaded` of its kit's sounds, were there room.
bool voiceALoadTakes(std::string_view key, const JsonValue& voice, const Pattern& pattern, int soundsLoaded,
                     const KeysAsLoaded& keys);
// Whether a load reads a sound (built as a load builds it) into the kit,
// were there room and its id its own.
bool soundALoadReads(std::string_view key, const JsonValue& sound, const SampleSlotTable& samples,
                     const KeysAsLoaded& keys);

// The same for callers that load no sample audio (kits): the references
// are dropped; and a writer without references or id.
bool readInstanceState(const JsonValue& document, Project& project, Diagnostics& diagnostics);
JsonValue writeInstanceState(const Project& project, std::uint32_t kitOnly, std::string_view pluginVersion);

// The kit sound a track plays, or null when it has none.
const Sound* soundOfVoice(const Pattern& pattern, int track);

}  // namespace ob
