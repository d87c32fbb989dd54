#pragma once
// The seam between the instance state and the pattern's audition clip. The
// library's own audition reader and writer are installed from the start, so
// every program that writes an instance document writes its pattern; a test
// may put a codec of its own in their place.

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

// Replaces the installed codec (main thread). A codec without both functions
// puts the library's own back.
void setAuditionCodec(const AuditionCodec& codec);
const AuditionCodec& auditionCodec();

}  // namespace ob
