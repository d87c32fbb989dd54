#pragma once
// What a load of an audition kept unplayed goes back beside the audition a
// save writes anew once the pattern was edited: the declared extensions,
// the tempo and meter points and swing entries it did not read, and of its
// grid the voices the kit lacks, the entries that are no steps, and what
// steps carry that their sound cannot take (locks and random amounts of
// parameters it lacks, members no reader knows). What went with what the
// user removed goes too: a step cleared takes what it carried, a voice
// removed its entries. Nothing goes back that would play: a member is put
// back only where the project reads it as it reads without it.

#include <string>
#include <vector>

#include "document/instance/keys_as_loaded.h"
#include "document/json/json_value.h"
#include "document/reading/extension_id.h"
#include "engine/model/project.h"

namespace ob {

// The audition a load read and the keys of the voices the project then
// had: what it holds of any other voice, the load kept unplayed.
struct LoadedAudition {
  const JsonValue& audition;
  const std::vector<std::string>& voices;
};

// Moves into written, the audition of the project written anew, what the
// loaded one (of a load that found the voices given) kept unplayed, each
// member after the one it followed. The grid only when its load read it:
// one its notes replaced was not kept. Voices and samples go by their keys.
void keepUnplayed(JsonValue& written, JsonValue& loaded, const std::vector<std::string>& voices,
                  bool gridRead, const Project& project, const SampleSlotTable& samples,
                  const KeysAsLoaded& keys);

// Moves into written's swing entries those of loaded that no load plays:
// of no bar the pattern has, failing their check, or of a voice the kit
// lacks and lacked at the load.
void keepUnplayedSwing(JsonValue& written, JsonValue& loaded, const std::vector<std::string>& voices,
                       const Project& project, const KeysAsLoaded& keys);

// Appends to a list of declared extensions each id whose name it lacks.
void appendUndeclared(JsonValue& declared, const std::vector<ExtensionId>& ids);

}  // namespace ob
