#pragma once
// Values of a loaded state that the load could not use but whose places its
// rewrite fills all the same, so that no foreign member keeps them: a
// parameter's value that no choice or sample names (the sound plays the
// default), a sound's zones of which one names no sample in the pool (the
// sound plays the others), a macro's name longer than its field (which
// shows it cut). Each is kept with its sound or macro (kept_at_load.h),
// and a save writes it back as it was read over what the load's rewrite
// wrote there; a load of that save reads the same again.

#include <string>
#include <vector>

#include "document/instance/keys_as_loaded.h"
#include "document/json/json_value.h"
#include "engine/model/project.h"

namespace ob {

struct ValueReadOtherwise {
  std::vector<std::string> path;  // unescaped tokens from the document root
  JsonValue loaded;               // as read, held as its text
};

// Of a loaded instance document, its rewrite and the project read from it
// with the keys its records were read by.
std::vector<ValueReadOtherwise> valuesReadOtherwise(const JsonValue& loaded, const JsonValue& rewritten,
                                                    const Project& project, const KeysAsLoaded& keys);

}  // namespace ob
