#pragma once
// Members of a loaded document that this build does not write: found at load
// by comparing the document with its rewrite, put back at save next to the
// member they followed.

#include <string>
#include <vector>

#include "document/foreign_member.h"
#include "document/json/json_value.h"

namespace ob {

// Moves to out every member of loaded (objects by key, arrays of the same
// non-zero length by index) that rewritten lacks, leaving null in its
// place, an array or object as its text (json_shape.h): held once, at what
// its text costs. path is the location of the two values as unescaped
// tokens.
void collectForeignMembers(std::vector<ForeignMember>& out, JsonValue& loaded, const JsonValue& rewritten,
                           std::vector<std::string>& path);

// Puts one member back into an object: after its old predecessor, at the
// front when it had none, at the end when the predecessor is gone or it
// goes last. Where the object holds the key, what the save wrote wins; an
// object kept whole gives it the members it lacks. False when it is no
// object.
bool putMember(JsonValue& object, const std::string& key, const JsonValue& value, const std::string& after,
               bool last);

}  // namespace ob
