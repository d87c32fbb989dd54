#pragma once
// The fingerprint that ties the step grid saved beside an audition's notes to
// those notes: a hash of the notes' compact JSON text with every number in
// the writer's own spelling, so re-spelling a number (1.0 as 1) keeps it,
// and changing any value changes it.

#include <string>

#include "document/json/json_value.h"

namespace ob {

// 16 lower-case hex digits of the FNV-1a 64 hash of the canonical text;
// empty when that text does not read back as JSON.
std::string notesFingerprint(const JsonValue& notes);

// The same fingerprint taken the long way round (write, parse, drop the
// number spellings, write again); notesFingerprint must always agree.
std::string notesFingerprintByReparse(const JsonValue& notes);

}  // namespace ob
