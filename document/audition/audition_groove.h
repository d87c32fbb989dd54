#pragma once
// The exact step grid that an audition clip carries beside its notes, under
// the clip's "ext" object: pattern length, swing, accent and every active
// step of every voice, with its locks, random amounts and retrigs. A step
// switched off holds nothing; the steps switched off and the unlocked pans
// an earlier build saved ("stepsOff", "panOff") are kept as read, unapplied.

#include <string>
#include <string_view>
#include <vector>

#include "document/diagnostics.h"
#include "document/instance/keys_as_loaded.h"
#include "document/json/json_value.h"
#include "engine/model/project.h"

namespace ob {

inline constexpr const char* kStepsExtensionName = "com.orbitrane.steps";
inline constexpr int kStepsExtensionVersion = 1;

// What an earlier build saved of steps switched off, beside a voice's
// "steps", and of a step's pan not locked.
inline constexpr const char* kStepsOffKey = "stepsOff";
inline constexpr const char* kPanOffKey = "panOff";

// "com.orbitrane.steps/1": the member of the clip's "ext" holding the groove.
std::string stepsExtensionKey();

// Index of the first track in use (at most eight) whose key (the key it
// was loaded by, else its id) is exactly name; -1 when none.
int voiceIndexByName(const Project& project, const KeysAsLoaded& keys, std::string_view name);

// The keys of the voices a grid of the project names, in track order.
std::vector<std::string> auditionVoices(const Project& project, const KeysAsLoaded& keys);

// The kit sound a track plays; a track without one (index outside 0..7)
// gets a shared drum sound with the drum's defaults and an empty name.
const Sound& auditionTrackSound(const Project& project, int track);

// "length", "swing", "edited", "accent" (unless it is the fresh pattern's) and
// "voices", each under its key; the audition writer puts the notes
// fingerprint in front. Records are named by the keys they go by (keys).
JsonValue writeGroove(const Project& project, const SampleSlotTable& samples,
                      const KeysAsLoaded& keys = KeysAsLoaded::none());
JsonValue writeStep(const Step& step, const Sound& sound, const SampleSlotTable& samples,
                    const KeysAsLoaded& keys = KeysAsLoaded::none());

// Replaces every step of all eight tracks with the groove's grid, each
// voice found by its key. Every number is held to the range of the field
// it lands in.
void readGroove(const JsonValue& groove, Project& project, const SampleSlotTable& samples,
                Diagnostics& diagnostics, std::string_view path,
                const KeysAsLoaded& keys = KeysAsLoaded::none());
// The step index a key of a voice's "steps" names: the whole key as a
// base-10 integer 0..15, leading white space and a sign allowed.
bool readStepKey(std::string_view key, int& out);
// The accent a groove's "accent" member gives; a value that is no object
// gives no amount and leaves every and curve.
void readAccent(const JsonValue& accent, float& amount, std::uint8_t& every, float& curve);
// Reads one active step; path is the step's own.
void readStep(const JsonValue& value, Step& step, const Sound& sound, const SampleSlotTable& samples,
              Diagnostics& diagnostics, std::string_view path,
              const KeysAsLoaded& keys = KeysAsLoaded::none());

}  // namespace ob
