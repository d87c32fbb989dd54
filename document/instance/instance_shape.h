#pragma once
// What of an instance document (or a kit file written as one) this build's
// readers look at: the envelope, the state and the audition as their
// writers write them. A load parses the document to this shape, so what no
// reader looks at stays the text it was read from, and goes back from there.

#include "document/json/json_shape.h"

namespace ob {

// The most notes an audition's reader reads: this build's fullest pattern
// writes 12,288 (eight tracks of sixteen steps rated 1/32T, each step
// retriggered 32 times).
inline constexpr std::uint32_t kAuditionNotesRead = 16384;

const JsonShape& instanceDocumentShape();
// Of an instance document's "audition" member, the same.
const JsonShape& auditionShape();

}  // namespace ob
