#pragma once
// The seam between the instance state and the pattern's audition clip. The
// audition code installs its reader and writer here; until it does, the
// state neither writes an audition nor takes the pattern from one.

#include <string_view>

#include "document/diagnostics.h"
#include "document/json/json_value.h"
#include "engine/model/project.h"

namespace ob {

struct AuditionCodec {
    // Fills the project's pattern from the document's "audition" member and
    // reports under path.
    void (*read)(const JsonValue& audition, Project& project, const SampleSlotTable& samples,
                 Diagnostics& diagnostics, std::string_view path) = nullptr;
    // The audition clip document built from the project's pattern.
    JsonValue (*write)(const Project& project, const SampleSlotTable& samples) = nullptr;
};

// Replaces the installed codec (main thread; both functions or neither).
void setAuditionCodec(const AuditionCodec& codec);
const AuditionCodec& auditionCodec();
bool hasAuditionCodec();

}  // namespace ob
