#pragma once
// What a kit's file held that this build does not read travels with the
// instance's state, apart where no load applies it: a member of this
// build's own ("kitFileKept": the kit's library reference, its file's
// document text as opened, and the places of what edits let go of it
// since), written only when the kit's file kept something, and read back
// into what that kit's saves put back. Nothing of it reaches the project a
// load plays.

#include <memory>
#include <string>
#include <vector>

#include "document/diagnostics.h"
#include "document/json/json_value.h"
#include "document/project/kept_document.h"

namespace ob {

inline constexpr const char* kKitFileKeptKey = "kitFileKept";

// Of a kit file's document text, opened from the library entry `reference`:
// what a load of it keeps, less the records at the places `gone` names;
// null when it keeps nothing (a file of an earlier format, or one this
// build reads whole).
std::shared_ptr<const KitFileKept> kitFileKeptOf(std::string reference, std::string text,
                                                 std::vector<std::vector<std::string>> gone = {});

// The member a save writes of it.
JsonValue writeKitFileKept(const KitFileKept& kit);

// Takes the member out of a loaded instance document, and what it says of
// the kit's file back, said as kept for that kit's saves; null when there
// is none (or it reads as none, said too).
std::shared_ptr<const KitFileKept> takeKitFileKept(JsonValue& document, Diagnostics& diagnostics);

}  // namespace ob
