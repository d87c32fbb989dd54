#pragma once
// What of an instance document (or a kit file written as one) this build's
// readers look at: the envelope, the state and the audition as their
// writers write them. A load parses the document to this shape, so what no
// reader looks at stays the text it was read from, and goes back from there.

#include "document/json/json_shape.h"

namespace ob {

const JsonShape& instanceDocumentShape();

}  // namespace ob
